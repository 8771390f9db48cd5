// The data root on Linux: the XDG data folder of the user.
#if !defined(_WIN32)
#include "DataFolder.h"

#include <cstdlib>

namespace datafiles
{

namespace
{
std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}
} // namespace

std::string platformDataRoot()
{
    const std::string xdg = environment("XDG_DATA_HOME");
    if (isAbsolutePath(xdg))
        return withoutTrailingSeparators(xdg);
    std::string home = withoutTrailingSeparators(environment("HOME"));
    if (!isAbsolutePath(home))
        return std::string();
    if (home == "/")
        home.clear();
    return home + "/.local/share";
}

} // namespace datafiles
#endif
