// The data root on Windows: the user's profile folder.
#if defined(_WIN32)
#include "DataFolder.h"

#include <windows.h>
#include <shlobj.h>

namespace datafiles
{

std::string platformDataRoot()
{
    char profile[MAX_PATH] = {};
    if (SHGetFolderPathA(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile) != S_OK)
        return std::string();
    return withoutTrailingSeparators(profile);
}

} // namespace datafiles
#endif
