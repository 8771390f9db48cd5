// The XML property-list reader of the macOS stand-in.
#include <CoreFoundation/CoreFoundation.h>

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFDataRef bytes = CFDataCreate(nullptr, data, CFIndex(size));
    CFStringRef error = nullptr;
    CFPropertyListRef list = CFPropertyListCreateFromXMLData(nullptr, bytes, kCFPropertyListImmutable, &error);
    if (list)
    {
        // What was read writes back.
        CFDataRef written = CFPropertyListCreateXMLData(nullptr, list);
        if (written)
            CFRelease(written);
        CFRelease(list);
    }
    if (error)
        CFRelease(error);
    CFRelease(bytes);
    return 0;
}
