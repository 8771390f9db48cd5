#include "DataFolder.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/types.h>

#if defined(_WIN32)
#include <direct.h>
#include <windows.h>
#endif

namespace datafiles
{

namespace
{
bool isSeparator(char c, PathStyle style)
{
    return c == '/' || (style == PathStyle::windows && c == '\\');
}

char separatorOf(PathStyle style)
{
    return style == PathStyle::windows ? '\\' : '/';
}

bool isDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Length of the part of path that trailing separators never leave: "/",
// "C:\", or "\\server\share" (the share name included).
size_t rootLength(const std::string& path, PathStyle style)
{
    if (style == PathStyle::posix)
        return path.empty() || path[0] != '/' ? 0 : 1;
    if (path.size() >= 3 && isDriveLetter(path[0]) && path[1] == ':' && isSeparator(path[2], style))
        return 3;
    if (path.size() >= 2 && isSeparator(path[0], style) && isSeparator(path[1], style))
    {
        size_t end = 2;
        for (int part = 0; part < 2; ++part)
        {
            while (end < path.size() && !isSeparator(path[end], style))
                ++end;
            if (part == 0 && end < path.size())
                ++end;
        }
        return end;
    }
    return !path.empty() && isSeparator(path[0], style) ? 1 : 0;
}

#if defined(_WIN32)
bool isDirectory(const std::string& path)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (length <= 0)
        return false;
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], length);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(wide.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int makeDirectory(const std::string& path)
{
    return _mkdir(path.c_str());
}
#else
bool isDirectory(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int makeDirectory(const std::string& path)
{
    return mkdir(path.c_str(), 0777);
}
#endif

bool ensureDirectory(const std::string& path)
{
    if (isDirectory(path))
        return true;
    if (makeDirectory(path) == 0)
        return true;
    // Another instance may have created it in between.
    return errno == EEXIST && isDirectory(path);
}

std::string findOwnDataRoot()
{
    const char* override = std::getenv("QUILLATONE_DATA_ROOT");
    if (override && *override)
        return withoutTrailingSeparators(override);
    return platformDataRoot();
}

std::string ownMakerFolder(const std::string& root)
{
    return joinPath(root, makerFolderName);
}

// Installed once, before any effect reads it.
DataRootRule currentRule = {&findOwnDataRoot, &ownMakerFolder};
} // namespace

const DataRootRule& ownDataRootRule()
{
    static const DataRootRule rule = {&findOwnDataRoot, &ownMakerFolder};
    return rule;
}

void useDataRootRule(const DataRootRule& rule)
{
    currentRule = rule;
}

std::string findDataRoot()
{
    return currentRule.findRoot();
}

bool isAbsolutePath(const std::string& path, PathStyle style)
{
    if (style == PathStyle::posix)
        return !path.empty() && path[0] == '/';
    return (path.size() >= 3 && isDriveLetter(path[0]) && path[1] == ':' && isSeparator(path[2], style)) ||
           (path.size() >= 2 && isSeparator(path[0], style) && isSeparator(path[1], style));
}

std::string withoutTrailingSeparators(std::string path, PathStyle style)
{
    const size_t keep = rootLength(path, style);
    while (path.size() > keep && isSeparator(path.back(), style))
        path.pop_back();
    return path;
}

std::string joinPath(const std::string& folder, const std::string& relative, PathStyle style)
{
    if (folder.empty())
        return std::string();
    const char separator = separatorOf(style);
    std::string path = folder;
    if (!isSeparator(path.back(), style))
        path += separator;
    for (char c : relative)
        path += c == '/' ? separator : c;
    return path;
}

std::string makerFolderPath(const std::string& root)
{
    return currentRule.makerFolder(root);
}

std::string productFolderPath(const std::string& root)
{
    return joinPath(makerFolderPath(root), productFolderName);
}

std::string productFilePath(const std::string& root, const std::string& relative)
{
    return joinPath(productFolderPath(root), relative);
}

bool createDataFolders(const std::string& root)
{
    const std::string maker = makerFolderPath(root);
    if (maker.empty())
        return false;
    const std::string product = productFolderPath(root);
    const std::string folders[] = {
        maker, joinPath(maker, "bin"), joinPath(maker, "cache"),
        product, joinPath(product, "bin"), joinPath(product, "cache"), joinPath(product, "preset"),
    };
    for (const std::string& folder : folders)
        if (!ensureDirectory(folder))
            return false;
    return true;
}

} // namespace datafiles
