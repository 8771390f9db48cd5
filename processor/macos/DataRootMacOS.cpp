#include "DataRootMacOS.h"

#include <Foundation/NSFileManager.h>

#include <climits>
#include <string>

namespace datafiles
{

namespace
{
std::string textOf(CFStringRef text)
{
    if (!text)
        return std::string();
    std::string out(size_t(CFStringGetMaximumSizeForEncoding(CFStringGetLength(text), kCFStringEncodingUTF8)) + 1,
                    '\0');
    if (!CFStringGetCString(text, out.data(), CFIndex(out.size()), kCFStringEncodingUTF8))
        return std::string();
    out.resize(out.find('\0'));
    return out;
}

// The users folder's path with its trailing slash. The URL must name a folder
// under "/Users"; its whole path is taken, so a users folder that lies
// elsewhere than at the top ("/Volumes/Data/Users/") is still found.
std::string findMacOSDataRoot()
{
    CFArrayRef urls = NSFileManager::defaultManager()->URLsForDirectory(NSUserDirectory, NSAllDomainsMask);
    if (!urls)
        return std::string();
    std::string root;
    if (CFArrayGetCount(urls) > 0)
    {
        auto url = CFURLRef(CFArrayGetValueAtIndex(urls, 0));
        char path[PATH_MAX];
        if (url && textOf(CFURLGetString(url)).find("/Users") != std::string::npos &&
            CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<UInt8*>(path), sizeof path))
        {
            root = path;
            if (root.back() != '/')
                root += '/';
        }
    }
    CFRelease(urls);
    return root;
}

std::string macOSMakerFolder(const std::string& root)
{
    return root + "Shared/" + makerFolderName;
}
} // namespace

const DataRootRule& macOSDataRootRule()
{
    static const DataRootRule rule = {&findMacOSDataRoot, &macOSMakerFolder};
    return rule;
}

} // namespace datafiles
