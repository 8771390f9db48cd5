// Arrays; the callbacks decide whether values are retained (NULL: raw pointers).
#include <vector>

#include "CFObject.h"

struct SyCFArray : symac::CFObject {
  explicit SyCFArray(const CFArrayCallBacks* cb) : CFObject(symac::kTypeArray) {
    if (cb != nullptr) callbacks = *cb;
  }
  ~SyCFArray() override {
    for (const void* v : values) releaseValue(v);
  }
  bool equals(const CFObject& o) const override {
    const auto& other = static_cast<const SyCFArray&>(o);
    if (values.size() != other.values.size()) return false;
    for (size_t i = 0; i < values.size(); ++i) {
      const void* a = values[i];
      const void* b = other.values[i];
      if (a == b) continue;
      if (callbacks.equal == nullptr || !callbacks.equal(a, b)) return false;
    }
    return true;
  }
  CFHashCode hash() const override { return values.size(); }

  const void* retainValue(const void* v) const { return callbacks.retain != nullptr ? callbacks.retain(nullptr, v) : v; }
  void releaseValue(const void* v) const {
    if (callbacks.release != nullptr) callbacks.release(nullptr, v);
  }

  CFArrayCallBacks callbacks{0, nullptr, nullptr, nullptr, nullptr};
  std::vector<const void*> values;
};

namespace {
const void* retainCF(CFAllocatorRef, const void* v) { return CFRetain(v); }
void releaseCF(CFAllocatorRef, const void* v) { CFRelease(v); }
Boolean equalCF(const void* a, const void* b) { return CFEqual(a, b); }
SyCFArray* array(CFTypeRef a) { return symac::asMutable<SyCFArray>(a, symac::kTypeArray); }
}  // namespace

extern "C" {

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, retainCF, releaseCF, nullptr, equalCF};

CFTypeID CFArrayGetTypeID(void) { return symac::kTypeArray; }

CFArrayRef CFArrayCreate(CFAllocatorRef, const void** values, CFIndex numValues, const CFArrayCallBacks* callBacks) {
  if (numValues < 0 || (values == nullptr && numValues > 0)) return nullptr;
  auto* a = new SyCFArray(callBacks);
  a->values.reserve(size_t(numValues));
  for (CFIndex i = 0; i < numValues; ++i) a->values.push_back(a->retainValue(values[i]));
  return a;
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef, CFIndex capacity, const CFArrayCallBacks* callBacks) {
  auto* a = new SyCFArray(callBacks);
  if (capacity > 0) a->values.reserve(size_t(capacity));
  return a;
}

CFIndex CFArrayGetCount(CFArrayRef a) { return array(a) != nullptr ? CFIndex(array(a)->values.size()) : 0; }

const void* CFArrayGetValueAtIndex(CFArrayRef a, CFIndex idx) {
  SyCFArray* p = array(a);
  if (p == nullptr || idx < 0 || size_t(idx) >= p->values.size()) return nullptr;
  return p->values[size_t(idx)];
}

void CFArrayAppendValue(CFMutableArrayRef a, const void* value) {
  SyCFArray* p = array(a);
  if (p != nullptr) p->values.push_back(p->retainValue(value));
}

void CFArrayRemoveValueAtIndex(CFMutableArrayRef a, CFIndex idx) {
  SyCFArray* p = array(a);
  if (p == nullptr || idx < 0 || size_t(idx) >= p->values.size()) return;
  const void* v = p->values[size_t(idx)];
  p->values.erase(p->values.begin() + idx);
  p->releaseValue(v);
}

void CFArrayRemoveAllValues(CFMutableArrayRef a) {
  SyCFArray* p = array(a);
  if (p == nullptr) return;
  std::vector<const void*> old;
  old.swap(p->values);
  for (const void* v : old) p->releaseValue(v);
}

}  // extern "C"
