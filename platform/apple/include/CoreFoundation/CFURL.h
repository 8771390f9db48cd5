// File URLs: absolute POSIX paths; folder URLs end in '/'.
// Every function here may be called from any thread; a mutable object needs one writer at a time.
#pragma once

#include <CoreFoundation/CFBase.h>

typedef const struct SyCFURL* CFURLRef;

typedef CFIndex CFURLPathStyle;
enum { kCFURLPOSIXPathStyle = 0 };

SY_BEGIN_C
SY_EXPORT CFTypeID CFURLGetTypeID(void);
// [any thread] A relative path is taken from the current folder.
SY_EXPORT CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef alloc, const UInt8* buffer,
                                                           CFIndex bufLen, Boolean isDirectory);
SY_EXPORT CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef alloc, CFStringRef filePath,
                                                 CFURLPathStyle pathStyle, Boolean isDirectory);
// [any thread] The parent folder (ending in '/'); NULL for "/".
SY_EXPORT CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef alloc, CFURLRef url);
SY_EXPORT CFURLRef CFURLCreateCopyAppendingPathComponent(CFAllocatorRef alloc, CFURLRef url,
                                                         CFStringRef pathComponent, Boolean isDirectory);
SY_EXPORT CFStringRef CFURLCopyLastPathComponent(CFURLRef url);
SY_EXPORT Boolean CFURLHasDirectoryPath(CFURLRef url);
// [any thread] The path without a trailing '/', terminated; false when it does not fit.
SY_EXPORT Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, UInt8* buffer,
                                                   CFIndex maxBufLen);
// [any thread] "file://" and the path with reserved bytes escaped; owned by the URL.
SY_EXPORT CFStringRef CFURLGetString(CFURLRef url);
SY_EXPORT CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle pathStyle);
SY_END_C
