// Numbers and booleans.
// Every function here may be called from any thread; a mutable object needs one writer at a time.
#pragma once

#include <CoreFoundation/CFBase.h>

typedef const struct SyCFNumber* CFNumberRef;
typedef const struct SyCFBoolean* CFBooleanRef;

typedef CFIndex CFNumberType;
enum {
  kCFNumberSInt8Type = 1,
  kCFNumberSInt16Type = 2,
  kCFNumberSInt32Type = 3,
  kCFNumberSInt64Type = 4,
  kCFNumberFloat32Type = 5,
  kCFNumberFloat64Type = 6,
  kCFNumberCharType = 7,
  kCFNumberShortType = 8,
  kCFNumberIntType = 9,
  kCFNumberLongType = 10,
  kCFNumberLongLongType = 11,
  kCFNumberFloatType = 12,
  kCFNumberDoubleType = 13,
  kCFNumberCFIndexType = 14
};

SY_BEGIN_C
SY_EXPORT CFTypeID CFNumberGetTypeID(void);
SY_EXPORT CFTypeID CFBooleanGetTypeID(void);

// [any thread] NULL for an unknown type.
SY_EXPORT CFNumberRef CFNumberCreate(CFAllocatorRef alloc, CFNumberType type, const void* valuePtr);
// [any thread] False when the value does not convert exactly (it is still stored, converted).
SY_EXPORT Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* valuePtr);
SY_EXPORT CFNumberType CFNumberGetType(CFNumberRef number);
SY_EXPORT Boolean CFNumberIsFloatType(CFNumberRef number);

SY_EXPORT extern const CFBooleanRef kCFBooleanTrue;
SY_EXPORT extern const CFBooleanRef kCFBooleanFalse;
SY_EXPORT Boolean CFBooleanGetValue(CFBooleanRef boolean);
SY_END_C
