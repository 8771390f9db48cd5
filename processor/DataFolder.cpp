#include "DataFolder.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/types.h>

namespace datafiles
{

namespace
{
std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool isAbsolute(const std::string& path)
{
    return !path.empty() && path[0] == '/';
}

std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool isDirectory(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ensureDirectory(const std::string& path)
{
    if (isDirectory(path))
        return true;
    if (mkdir(path.c_str(), 0777) == 0)
        return true;
    // Another instance may have created it in between.
    return errno == EEXIST && isDirectory(path);
}

std::string joined(const std::string& root, const char* tail)
{
    if (root.empty())
        return std::string();
    std::string path = root;
    if (path.back() != '/')
        path += '/';
    return path + tail;
}

std::string findLinuxDataRoot()
{
    std::string root = environment("QUILLATONE_DATA_ROOT");
    if (!root.empty())
        return withoutTrailingSlashes(root);
    root = environment("XDG_DATA_HOME");
    if (isAbsolute(root))
        return withoutTrailingSlashes(root);
    std::string home = withoutTrailingSlashes(environment("HOME"));
    if (!isAbsolute(home))
        return std::string();
    if (home == "/")
        home.clear();
    return home + "/.local/share";
}

std::string linuxMakerFolder(const std::string& root)
{
    return joined(root, makerFolderName);
}

// Installed once, before any effect reads it.
DataRootRule currentRule = {&findLinuxDataRoot, &linuxMakerFolder};
} // namespace

const DataRootRule& linuxDataRootRule()
{
    static const DataRootRule rule = {&findLinuxDataRoot, &linuxMakerFolder};
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

std::string makerFolderPath(const std::string& root)
{
    return currentRule.makerFolder(root);
}

std::string productFolderPath(const std::string& root)
{
    const std::string maker = makerFolderPath(root);
    return maker.empty() ? maker : maker + "/" + productFolderName;
}

std::string productFilePath(const std::string& root, const std::string& relative)
{
    const std::string product = productFolderPath(root);
    return product.empty() ? product : product + "/" + relative;
}

bool createDataFolders(const std::string& root)
{
    const std::string maker = makerFolderPath(root);
    if (maker.empty())
        return false;
    const std::string product = productFolderPath(root);
    const std::string folders[] = {
        maker, maker + "/bin", maker + "/cache",
        product, product + "/bin", product + "/cache", product + "/preset",
    };
    for (const std::string& folder : folders)
        if (!ensureDirectory(folder))
            return false;
    return true;
}

} // namespace datafiles
