// Core object model: reference-counted, typed objects behind opaque references.
// Every function here may be called from any thread; a mutable object needs one writer at a time.
#pragma once

#include <MacTypes.h>

typedef const void* CFTypeRef;
typedef unsigned long CFTypeID;
typedef unsigned long CFHashCode;
typedef unsigned long CFOptionFlags;
typedef long CFIndex;
typedef const struct SyCFAllocator* CFAllocatorRef;
typedef const struct SyCFString* CFStringRef;
typedef struct SyCFString* CFMutableStringRef;
typedef CFTypeRef CFPropertyListRef;

typedef struct {
  CFIndex location;
  CFIndex length;
} CFRange;

#ifdef __cplusplus
inline CFRange CFRangeMake(CFIndex location, CFIndex length) { return CFRange{location, length}; }
#endif

typedef CFIndex CFComparisonResult;
enum { kCFCompareLessThan = -1, kCFCompareEqualTo = 0, kCFCompareGreaterThan = 1 };
enum { kCFNotFound = -1 };

#define kCFAllocatorDefault ((CFAllocatorRef)0)

SY_BEGIN_C
// [any thread] Reference counting; the count is atomic, objects die at zero.
SY_EXPORT CFTypeRef CFRetain(CFTypeRef cf);
SY_EXPORT void CFRelease(CFTypeRef cf);
SY_EXPORT CFIndex CFGetRetainCount(CFTypeRef cf);
SY_EXPORT CFTypeID CFGetTypeID(CFTypeRef cf);
SY_EXPORT Boolean CFEqual(CFTypeRef a, CFTypeRef b);
SY_EXPORT CFHashCode CFHash(CFTypeRef cf);
SY_END_C
