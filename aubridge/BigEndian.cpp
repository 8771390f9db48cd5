#include "BigEndian.h"

#include <cstring>

#include "RoruvovuzException.h"

void writeBigInt32(UInt8* p, UInt32 x) {
  p[0] = UInt8(x >> 24);
  p[1] = UInt8(x >> 16);
  p[2] = UInt8(x >> 8);
  p[3] = UInt8(x);
}

void writeBigFloat32(UInt8* p, Float32 x) {
  UInt32 bits;
  std::memcpy(&bits, &x, sizeof bits);
  writeBigInt32(p, bits);
}

const UInt8* readBigInt32(const UInt8* p, const UInt8* end, SInt32* x) {
  if (p == nullptr || end == nullptr || x == nullptr) throw RoruvovuzException("readBigInt32: null argument");
  if (end < p || end - p < 4) throw EOFException("End of file error");
  *x = SInt32((UInt32(p[0]) << 24) | (UInt32(p[1]) << 16) | (UInt32(p[2]) << 8) | UInt32(p[3]));
  return p + 4;
}

const UInt8* readBigFloat32(const UInt8* p, const UInt8* end, Float32* x) {
  SInt32 bits = 0;
  if (x == nullptr) throw RoruvovuzException("readBigFloat32: null argument");
  const UInt8* next = readBigInt32(p, end, &bits);
  std::memcpy(x, &bits, sizeof bits);
  return next;
}
