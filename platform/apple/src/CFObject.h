// The object behind every CF reference: an atomic count, a type id and type behaviour.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include <atomic>

namespace symac {

enum TypeId : CFTypeID {
  kTypeString = 7,
  kTypeNumber = 22,
  kTypeBoolean = 21,
  kTypeData = 20,
  kTypeArray = 19,
  kTypeDictionary = 18,
  kTypeURL = 29,
  kTypeBundle = 31,
};

class CFObject {
 public:
  explicit CFObject(CFTypeID type, bool immortal = false);
  virtual ~CFObject();
  CFObject(const CFObject&) = delete;
  CFObject& operator=(const CFObject&) = delete;

  CFTypeID type() const { return type_; }
  bool immortal() const { return immortal_; }
  void retain() const;
  // Answers true when this call released the last reference.
  bool dropReference() const;
  long count() const { return refs_.load(std::memory_order_relaxed); }

  virtual bool equals(const CFObject& other) const { return this == &other; }
  virtual CFHashCode hash() const { return CFHashCode(reinterpret_cast<uintptr_t>(this) >> 4); }

 private:
  mutable std::atomic<long> refs_{1};
  CFTypeID type_;
  bool immortal_;
};

inline const CFObject* object(CFTypeRef ref) { return static_cast<const CFObject*>(ref); }

// The object as T when it has that type id, else null.
template <class T>
const T* as(CFTypeRef ref, CFTypeID type) {
  const CFObject* o = object(ref);
  return (o != nullptr && o->type() == type) ? static_cast<const T*>(o) : nullptr;
}
template <class T>
T* asMutable(CFTypeRef ref, CFTypeID type) {
  return const_cast<T*>(as<T>(ref, type));
}

// Releases a bundle under the bundle table's lock (defined with the bundles).
void releaseBundle(const CFObject* bundle);

}  // namespace symac
