// Immutable Unicode strings (UTF-16 inside) with Mac Roman, ASCII and UTF-8 conversion.
// Every function here may be called from any thread; a mutable object needs one writer at a time.
#pragma once

#include <CoreFoundation/CFBase.h>

typedef UInt32 CFStringEncoding;
enum {
  kCFStringEncodingMacRoman = 0,
  kCFStringEncodingASCII = 0x0600,
  kCFStringEncodingUTF8 = 0x08000100,
  kCFStringEncodingUnicode = 0x0100,
  kCFStringEncodingUTF16 = 0x0100
};

typedef CFOptionFlags CFStringCompareFlags;
enum { kCFCompareCaseInsensitive = 1, kCFCompareNumerically = 64 };

typedef const struct SyCFArray* CFArrayRef;

SY_BEGIN_C
SY_EXPORT CFTypeID CFStringGetTypeID(void);

// [any thread] Interned, immortal string for a literal (UTF-8).
SY_EXPORT CFStringRef SyCFSTR(const char* literal);
#define CFSTR(s) SyCFSTR("" s "")

// [any thread] NULL when the bytes are not valid in the encoding.
SY_EXPORT CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding);
SY_EXPORT CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8* bytes, CFIndex numBytes,
                                              CFStringEncoding encoding, Boolean isExternalRepresentation);
SY_EXPORT CFStringRef CFStringCreateWithCharacters(CFAllocatorRef alloc, const UniChar* chars, CFIndex numChars);
SY_EXPORT CFStringRef CFStringCreateWithPascalString(CFAllocatorRef alloc, ConstStr255Param pStr,
                                                     CFStringEncoding encoding);
SY_EXPORT CFStringRef CFStringCreateCopy(CFAllocatorRef alloc, CFStringRef str);

SY_EXPORT CFIndex CFStringGetLength(CFStringRef str);
SY_EXPORT UniChar CFStringGetCharacterAtIndex(CFStringRef str, CFIndex idx);
SY_EXPORT void CFStringGetCharacters(CFStringRef str, CFRange range, UniChar* buffer);
SY_EXPORT CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding);
// [any thread] False when the text (with its terminator) does not fit or cannot be represented.
SY_EXPORT Boolean CFStringGetCString(CFStringRef str, char* buffer, CFIndex bufferSize, CFStringEncoding encoding);
// [any thread] The stored 8-bit text when there is one in that encoding, else NULL.
SY_EXPORT const char* CFStringGetCStringPtr(CFStringRef str, CFStringEncoding encoding);
SY_EXPORT Boolean CFStringGetPascalString(CFStringRef str, StringPtr buffer, CFIndex bufferSize,
                                          CFStringEncoding encoding);

SY_EXPORT CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFStringCompareFlags options);
// [any thread] The pieces between separators, as an array of strings.
SY_EXPORT CFArrayRef CFStringCreateArrayBySeparatingStrings(CFAllocatorRef alloc, CFStringRef str,
                                                            CFStringRef separator);
SY_END_C
