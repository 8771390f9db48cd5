// Ordered collections; with NULL callbacks they hold raw, unretained pointers.
// Every function here may be called from any thread; a mutable object needs one writer at a time.
#pragma once

#include <CoreFoundation/CFBase.h>

typedef const struct SyCFArray* CFArrayRef;
typedef struct SyCFArray* CFMutableArrayRef;

typedef const void* (*CFArrayRetainCallBack)(CFAllocatorRef allocator, const void* value);
typedef void (*CFArrayReleaseCallBack)(CFAllocatorRef allocator, const void* value);
typedef CFStringRef (*CFArrayCopyDescriptionCallBack)(const void* value);
typedef Boolean (*CFArrayEqualCallBack)(const void* value1, const void* value2);

typedef struct {
  CFIndex version;
  CFArrayRetainCallBack retain;
  CFArrayReleaseCallBack release;
  CFArrayCopyDescriptionCallBack copyDescription;
  CFArrayEqualCallBack equal;
} CFArrayCallBacks;

SY_BEGIN_C
SY_EXPORT extern const CFArrayCallBacks kCFTypeArrayCallBacks;
SY_EXPORT CFTypeID CFArrayGetTypeID(void);

SY_EXPORT CFArrayRef CFArrayCreate(CFAllocatorRef alloc, const void** values, CFIndex numValues,
                                   const CFArrayCallBacks* callBacks);
SY_EXPORT CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef alloc, CFIndex capacity,
                                                 const CFArrayCallBacks* callBacks);
SY_EXPORT CFIndex CFArrayGetCount(CFArrayRef array);
// [any thread] NULL for an index out of range.
SY_EXPORT const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex idx);
SY_EXPORT void CFArrayAppendValue(CFMutableArrayRef array, const void* value);
SY_EXPORT void CFArrayRemoveValueAtIndex(CFMutableArrayRef array, CFIndex idx);
SY_EXPORT void CFArrayRemoveAllValues(CFMutableArrayRef array);
SY_END_C
