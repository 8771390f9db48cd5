// Byte buffers.
#include <cstring>
#include <vector>

#include "CFObject.h"

struct SyCFData : symac::CFObject {
  SyCFData() : CFObject(symac::kTypeData) {}
  bool equals(const CFObject& o) const override { return bytes == static_cast<const SyCFData&>(o).bytes; }
  CFHashCode hash() const override {
    CFHashCode h = 1469598103934665603ull;
    for (UInt8 b : bytes) h = (h ^ b) * 1099511628211ull;
    return h;
  }
  std::vector<UInt8> bytes;
};

namespace {
SyCFData* data(CFTypeRef d) { return symac::asMutable<SyCFData>(d, symac::kTypeData); }
}  // namespace

extern "C" {

CFTypeID CFDataGetTypeID(void) { return symac::kTypeData; }

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8* bytes, CFIndex length) {
  if (length < 0 || (bytes == nullptr && length > 0)) return nullptr;
  auto* d = new SyCFData();
  if (length > 0) d->bytes.assign(bytes, bytes + length);
  return d;
}

CFMutableDataRef CFDataCreateMutable(CFAllocatorRef, CFIndex capacity) {
  auto* d = new SyCFData();
  if (capacity > 0) d->bytes.reserve(size_t(capacity));
  return d;
}

CFIndex CFDataGetLength(CFDataRef d) { return data(d) != nullptr ? CFIndex(data(d)->bytes.size()) : 0; }

const UInt8* CFDataGetBytePtr(CFDataRef d) {
  SyCFData* p = data(d);
  if (p == nullptr) return nullptr;
  static const UInt8 empty = 0;
  return p->bytes.empty() ? &empty : p->bytes.data();
}

UInt8* CFDataGetMutableBytePtr(CFMutableDataRef d) {
  SyCFData* p = data(d);
  return (p != nullptr && !p->bytes.empty()) ? p->bytes.data() : nullptr;
}

void CFDataAppendBytes(CFMutableDataRef d, const UInt8* bytes, CFIndex length) {
  SyCFData* p = data(d);
  if (p == nullptr || bytes == nullptr || length <= 0) return;
  p->bytes.insert(p->bytes.end(), bytes, bytes + length);
}

void CFDataSetLength(CFMutableDataRef d, CFIndex length) {
  SyCFData* p = data(d);
  if (p != nullptr && length >= 0) p->bytes.resize(size_t(length), 0);
}

}  // extern "C"
