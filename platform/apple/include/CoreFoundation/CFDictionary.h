// Key-value collections; keys compare with the key callbacks (CFEqual and CFHash for CF types).
// Every function here may be called from any thread; a mutable object needs one writer at a time.
#pragma once

#include <CoreFoundation/CFBase.h>

typedef const struct SyCFDictionary* CFDictionaryRef;
typedef struct SyCFDictionary* CFMutableDictionaryRef;

typedef const void* (*CFDictionaryRetainCallBack)(CFAllocatorRef allocator, const void* value);
typedef void (*CFDictionaryReleaseCallBack)(CFAllocatorRef allocator, const void* value);
typedef CFStringRef (*CFDictionaryCopyDescriptionCallBack)(const void* value);
typedef Boolean (*CFDictionaryEqualCallBack)(const void* value1, const void* value2);
typedef CFHashCode (*CFDictionaryHashCallBack)(const void* value);

typedef struct {
  CFIndex version;
  CFDictionaryRetainCallBack retain;
  CFDictionaryReleaseCallBack release;
  CFDictionaryCopyDescriptionCallBack copyDescription;
  CFDictionaryEqualCallBack equal;
  CFDictionaryHashCallBack hash;
} CFDictionaryKeyCallBacks;

typedef struct {
  CFIndex version;
  CFDictionaryRetainCallBack retain;
  CFDictionaryReleaseCallBack release;
  CFDictionaryCopyDescriptionCallBack copyDescription;
  CFDictionaryEqualCallBack equal;
} CFDictionaryValueCallBacks;

SY_BEGIN_C
SY_EXPORT extern const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks;
SY_EXPORT extern const CFDictionaryKeyCallBacks kCFCopyStringDictionaryKeyCallBacks;
SY_EXPORT extern const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks;
SY_EXPORT CFTypeID CFDictionaryGetTypeID(void);

SY_EXPORT CFDictionaryRef CFDictionaryCreate(CFAllocatorRef alloc, const void** keys, const void** values,
                                             CFIndex numValues, const CFDictionaryKeyCallBacks* keyCallBacks,
                                             const CFDictionaryValueCallBacks* valueCallBacks);
SY_EXPORT CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef alloc, CFIndex capacity,
                                                           const CFDictionaryKeyCallBacks* keyCallBacks,
                                                           const CFDictionaryValueCallBacks* valueCallBacks);
SY_EXPORT CFIndex CFDictionaryGetCount(CFDictionaryRef dict);
SY_EXPORT const void* CFDictionaryGetValue(CFDictionaryRef dict, const void* key);
SY_EXPORT Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef dict, const void* key, const void** value);
SY_EXPORT Boolean CFDictionaryContainsKey(CFDictionaryRef dict, const void* key);
// [any thread] Keys and values in matching order; either array may be NULL.
SY_EXPORT void CFDictionaryGetKeysAndValues(CFDictionaryRef dict, const void** keys, const void** values);
// [any thread] Set replaces or adds; Add leaves an existing key alone.
SY_EXPORT void CFDictionarySetValue(CFMutableDictionaryRef dict, const void* key, const void* value);
SY_EXPORT void CFDictionaryAddValue(CFMutableDictionaryRef dict, const void* key, const void* value);
SY_EXPORT void CFDictionaryRemoveValue(CFMutableDictionaryRef dict, const void* key);
SY_END_C
