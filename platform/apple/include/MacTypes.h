// Base types, status codes and memory handles of the Apple stand-in layer.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define SY_EXTERN_C extern "C"
#define SY_BEGIN_C extern "C" {
#define SY_END_C }
#else
#define SY_EXTERN_C extern
#define SY_BEGIN_C
#define SY_END_C
#endif

#define SY_EXPORT __attribute__((visibility("default")))

typedef uint8_t UInt8;
typedef int8_t SInt8;
typedef uint16_t UInt16;
typedef int16_t SInt16;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef uint64_t UInt64;
typedef int64_t SInt64;
typedef float Float32;
typedef double Float64;
typedef unsigned char Boolean;

typedef SInt32 OSStatus;
typedef SInt16 OSErr;
typedef UInt32 FourCharCode;
typedef FourCharCode OSType;
typedef UInt16 UniChar;
typedef unsigned long UniCharCount;
typedef long Size;
typedef char* Ptr;
typedef Ptr* Handle;
typedef UInt8 Str255[256];
typedef UInt8 Str63[64];
typedef UInt8 Str31[32];
typedef const UInt8* ConstStr255Param;
typedef const UInt8* ConstStringPtr;
typedef UInt8* StringPtr;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#ifdef __cplusplus
// The four characters in order, the first in the most significant byte.
constexpr FourCharCode FOURCC(const char (&code)[5]) {
  return (FourCharCode(UInt8(code[0])) << 24) | (FourCharCode(UInt8(code[1])) << 16) |
         (FourCharCode(UInt8(code[2])) << 8) | FourCharCode(UInt8(code[3]));
}
#endif

enum {
  noErr = 0,
  paramErr = -50,
  eofErr = -39,
  memFullErr = -108,
  fnfErr = -43,
  dupFNErr = -48,
  bdNamErr = -37,
  ioErr = -36,
  dskFulErr = -34,
  vLckdErr = -46,
  permErr = -54,
  wrPermErr = -61,
  dirNFErr = -120,
  errFSNoMoreItems = -1417
};

SY_BEGIN_C
// [any thread] Relocatable blocks; a handle and its block are one allocation pair.
SY_EXPORT Handle NewHandle(Size size);
SY_EXPORT Handle NewHandleClear(Size size);
SY_EXPORT void DisposeHandle(Handle h);
SY_EXPORT Size GetHandleSize(Handle h);
SY_EXPORT void SetHandleSize(Handle h, Size newSize);
SY_EXPORT OSErr MemError(void);
SY_EXPORT void HLock(Handle h);
SY_EXPORT void HUnlock(Handle h);
SY_END_C
