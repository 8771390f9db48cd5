// Bundles as folders: Contents/Info.plist, Contents/MacOS/<executable>, Contents/Resources.
// Bundle functions may be called from any thread; the bundle table is locked inside.
#pragma once

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFURL.h>

typedef struct SyCFBundle* CFBundleRef;

SY_BEGIN_C
SY_EXPORT CFTypeID CFBundleGetTypeID(void);
// [any thread] One bundle object per folder in the process; NULL when the folder is missing.
SY_EXPORT CFBundleRef CFBundleCreate(CFAllocatorRef alloc, CFURLRef bundleURL);
// [any thread] The folder of the process executable (not retained by the caller).
SY_EXPORT CFBundleRef CFBundleGetMainBundle(void);
// [any thread] A bundle of this process with that identifier (not retained), or NULL.
SY_EXPORT CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID);
SY_EXPORT CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
SY_EXPORT CFStringRef CFBundleGetIdentifier(CFBundleRef bundle);
SY_EXPORT CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle);
SY_EXPORT CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle);
// [any thread] Info.plist as read once; NULL when missing or unreadable.
SY_EXPORT CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle);
SY_EXPORT CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key);
// [any thread] Resources entries ending in ".<type>", sorted; NULL when Resources cannot be read.
SY_EXPORT CFArrayRef CFBundleCopyResourceURLsOfType(CFBundleRef bundle, CFStringRef resourceType,
                                                    CFStringRef subDirName);
// [host thread] Loading: this object's own dlopen handle.
SY_EXPORT Boolean CFBundleIsExecutableLoaded(CFBundleRef bundle);
SY_EXPORT Boolean CFBundleLoadExecutable(CFBundleRef bundle);
SY_EXPORT void CFBundleUnloadExecutable(CFBundleRef bundle);
SY_EXPORT void* CFBundleGetFunctionPointerForName(CFBundleRef bundle, CFStringRef functionName);
SY_END_C
