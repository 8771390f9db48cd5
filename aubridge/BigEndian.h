// Big-endian fields of program and bank data.
#pragma once

#include <MacTypes.h>

// [any thread] Stores x most significant byte first.
void writeBigInt32(UInt8* p, UInt32 x);
void writeBigFloat32(UInt8* p, Float32 x);
// [any thread] Reads the field at p and answers p + 4; EOFException "End of file error"
// when fewer than 4 bytes remain before end.
const UInt8* readBigInt32(const UInt8* p, const UInt8* end, SInt32* x);
const UInt8* readBigFloat32(const UInt8* p, const UInt8* end, Float32* x);
