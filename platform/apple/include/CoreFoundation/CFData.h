// Byte buffers.
// Every function here may be called from any thread; a mutable object needs one writer at a time.
#pragma once

#include <CoreFoundation/CFBase.h>

typedef const struct SyCFData* CFDataRef;
typedef struct SyCFData* CFMutableDataRef;

SY_BEGIN_C
SY_EXPORT CFTypeID CFDataGetTypeID(void);
SY_EXPORT CFDataRef CFDataCreate(CFAllocatorRef alloc, const UInt8* bytes, CFIndex length);
SY_EXPORT CFMutableDataRef CFDataCreateMutable(CFAllocatorRef alloc, CFIndex capacity);
SY_EXPORT CFIndex CFDataGetLength(CFDataRef data);
SY_EXPORT const UInt8* CFDataGetBytePtr(CFDataRef data);
SY_EXPORT UInt8* CFDataGetMutableBytePtr(CFMutableDataRef data);
SY_EXPORT void CFDataAppendBytes(CFMutableDataRef data, const UInt8* bytes, CFIndex length);
SY_EXPORT void CFDataSetLength(CFMutableDataRef data, CFIndex length);
SY_END_C
