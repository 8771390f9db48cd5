#include "BundlePath.h"

#include <CoreFoundation/CoreFoundation.h>

bool getBundlePath(const char* bundleIdentifier, int maxLength, char* path)
{
    if (!bundleIdentifier || !path || maxLength <= 0)
        return false;
    path[0] = '\0';
    CFStringRef identifier = CFStringCreateWithCString(nullptr, bundleIdentifier, kCFStringEncodingUTF8);
    if (!identifier)
        return false;
    CFBundleRef bundle = CFBundleGetBundleWithIdentifier(identifier);
    CFRelease(identifier);
    if (!bundle)
        return false;
    CFURLRef url = CFBundleCopyBundleURL(bundle);
    if (!url)
        return false;
    const bool fits = CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<UInt8*>(path), maxLength);
    CFRelease(url);
    if (!fits)
        path[0] = '\0';
    return fits && path[0] != '\0';
}
