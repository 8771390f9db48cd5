#include "CFObject.h"

#include <symac/TestHooks.h>

namespace symac {
namespace {
std::atomic<long> liveObjects{0};
}

CFObject::CFObject(CFTypeID type, bool immortal) : type_(type), immortal_(immortal) {
  if (!immortal_) liveObjects.fetch_add(1, std::memory_order_relaxed);
}

CFObject::~CFObject() {
  if (!immortal_) liveObjects.fetch_sub(1, std::memory_order_relaxed);
}

void CFObject::retain() const {
  if (!immortal_) refs_.fetch_add(1, std::memory_order_relaxed);
}

bool CFObject::dropReference() const {
  if (immortal_) return false;
  return refs_.fetch_sub(1, std::memory_order_acq_rel) == 1;
}

}  // namespace symac

using symac::CFObject;

extern "C" {

CFTypeRef CFRetain(CFTypeRef cf) {
  if (cf != nullptr) symac::object(cf)->retain();
  return cf;
}

void CFRelease(CFTypeRef cf) {
  if (cf == nullptr) return;
  const CFObject* o = symac::object(cf);
  if (o->type() == symac::kTypeBundle) {
    symac::releaseBundle(o);
    return;
  }
  if (o->dropReference()) delete o;
}

CFIndex CFGetRetainCount(CFTypeRef cf) {
  if (cf == nullptr) return 0;
  const CFObject* o = symac::object(cf);
  return o->immortal() ? CFIndex(0x7fffffff) : o->count();
}

CFTypeID CFGetTypeID(CFTypeRef cf) { return cf != nullptr ? symac::object(cf)->type() : 0; }

Boolean CFEqual(CFTypeRef a, CFTypeRef b) {
  if (a == b) return true;
  if (a == nullptr || b == nullptr) return false;
  const CFObject* x = symac::object(a);
  const CFObject* y = symac::object(b);
  // Booleans and numbers are distinct types, as on the platform.
  if (x->type() != y->type()) return false;
  return x->equals(*y);
}

CFHashCode CFHash(CFTypeRef cf) { return cf != nullptr ? symac::object(cf)->hash() : 0; }

long symac_test_liveObjectCount(void) { return symac::liveObjects.load(); }

}  // extern "C"
