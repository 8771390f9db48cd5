// Dictionaries: a hash table whose hashing and equality come from the key callbacks.
#include <unordered_map>
#include <vector>

#include "CFObject.h"

namespace {

struct KeyHash {
  CFDictionaryHashCallBack hash;
  size_t operator()(const void* k) const { return hash != nullptr ? size_t(hash(k)) : std::hash<const void*>()(k); }
};

struct KeyEqual {
  CFDictionaryEqualCallBack equal;
  bool operator()(const void* a, const void* b) const { return a == b || (equal != nullptr && equal(a, b)); }
};

}  // namespace

struct SyCFDictionary : symac::CFObject {
  SyCFDictionary(const CFDictionaryKeyCallBacks* kcb, const CFDictionaryValueCallBacks* vcb)
      : CFObject(symac::kTypeDictionary),
        keyCallbacks(kcb != nullptr ? *kcb : CFDictionaryKeyCallBacks{0, nullptr, nullptr, nullptr, nullptr, nullptr}),
        valueCallbacks(vcb != nullptr ? *vcb : CFDictionaryValueCallBacks{0, nullptr, nullptr, nullptr, nullptr}),
        table(8, KeyHash{keyCallbacks.hash}, KeyEqual{keyCallbacks.equal}) {}
  ~SyCFDictionary() override { clear(); }

  bool equals(const CFObject& o) const override {
    const auto& other = static_cast<const SyCFDictionary&>(o);
    if (table.size() != other.table.size()) return false;
    for (const auto& [k, v] : table) {
      auto it = other.table.find(k);
      if (it == other.table.end()) return false;
      if (v != it->second && (valueCallbacks.equal == nullptr || !valueCallbacks.equal(v, it->second))) return false;
    }
    return true;
  }
  CFHashCode hash() const override { return table.size(); }

  void set(const void* key, const void* value, bool replace) {
    auto it = table.find(key);
    if (it != table.end()) {
      if (!replace) return;
      const void* old = it->second;
      it->second = retainValue(value);
      releaseValue(old);
      return;
    }
    table.emplace(retainKey(key), retainValue(value));
  }
  void remove(const void* key) {
    auto it = table.find(key);
    if (it == table.end()) return;
    const void* k = it->first;
    const void* v = it->second;
    table.erase(it);
    releaseKey(k);
    releaseValue(v);
  }
  void clear() {
    std::vector<std::pair<const void*, const void*>> old(table.begin(), table.end());
    table.clear();
    for (auto& [k, v] : old) {
      releaseKey(k);
      releaseValue(v);
    }
  }

  const void* retainKey(const void* k) const { return keyCallbacks.retain ? keyCallbacks.retain(nullptr, k) : k; }
  void releaseKey(const void* k) const {
    if (keyCallbacks.release) keyCallbacks.release(nullptr, k);
  }
  const void* retainValue(const void* v) const { return valueCallbacks.retain ? valueCallbacks.retain(nullptr, v) : v; }
  void releaseValue(const void* v) const {
    if (valueCallbacks.release) valueCallbacks.release(nullptr, v);
  }

  CFDictionaryKeyCallBacks keyCallbacks;
  CFDictionaryValueCallBacks valueCallbacks;
  std::unordered_map<const void*, const void*, KeyHash, KeyEqual> table;
};

namespace {
const void* retainCF(CFAllocatorRef, const void* v) { return CFRetain(v); }
void releaseCF(CFAllocatorRef, const void* v) { CFRelease(v); }
Boolean equalCF(const void* a, const void* b) { return CFEqual(a, b); }
CFHashCode hashCF(const void* v) { return CFHash(v); }
// Strings are immutable here, so a copy is the same object.
const void* copyString(CFAllocatorRef, const void* v) { return CFStringCreateCopy(nullptr, CFStringRef(v)); }
SyCFDictionary* dict(CFTypeRef d) { return symac::asMutable<SyCFDictionary>(d, symac::kTypeDictionary); }
}  // namespace

extern "C" {

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {0, retainCF, releaseCF, nullptr, equalCF, hashCF};
const CFDictionaryKeyCallBacks kCFCopyStringDictionaryKeyCallBacks = {0,       copyString, releaseCF,
                                                                      nullptr, equalCF,    hashCF};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {0, retainCF, releaseCF, nullptr, equalCF};

CFTypeID CFDictionaryGetTypeID(void) { return symac::kTypeDictionary; }

CFDictionaryRef CFDictionaryCreate(CFAllocatorRef, const void** keys, const void** values, CFIndex numValues,
                                   const CFDictionaryKeyCallBacks* keyCallBacks,
                                   const CFDictionaryValueCallBacks* valueCallBacks) {
  if (numValues < 0 || (numValues > 0 && (keys == nullptr || values == nullptr))) return nullptr;
  auto* d = new SyCFDictionary(keyCallBacks, valueCallBacks);
  for (CFIndex i = 0; i < numValues; ++i) d->set(keys[i], values[i], true);
  return d;
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex, const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks) {
  return new SyCFDictionary(keyCallBacks, valueCallBacks);
}

CFIndex CFDictionaryGetCount(CFDictionaryRef d) { return dict(d) != nullptr ? CFIndex(dict(d)->table.size()) : 0; }

const void* CFDictionaryGetValue(CFDictionaryRef d, const void* key) {
  const void* value = nullptr;
  CFDictionaryGetValueIfPresent(d, key, &value);
  return value;
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef d, const void* key, const void** value) {
  SyCFDictionary* p = dict(d);
  if (p == nullptr) return false;
  auto it = p->table.find(key);
  if (it == p->table.end()) return false;
  if (value != nullptr) *value = it->second;
  return true;
}

Boolean CFDictionaryContainsKey(CFDictionaryRef d, const void* key) {
  return CFDictionaryGetValueIfPresent(d, key, nullptr);
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef d, const void** keys, const void** values) {
  SyCFDictionary* p = dict(d);
  if (p == nullptr) return;
  size_t i = 0;
  for (const auto& [k, v] : p->table) {
    if (keys != nullptr) keys[i] = k;
    if (values != nullptr) values[i] = v;
    ++i;
  }
}

void CFDictionarySetValue(CFMutableDictionaryRef d, const void* key, const void* value) {
  if (SyCFDictionary* p = dict(d)) p->set(key, value, true);
}

void CFDictionaryAddValue(CFMutableDictionaryRef d, const void* key, const void* value) {
  if (SyCFDictionary* p = dict(d)) p->set(key, value, false);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef d, const void* key) {
  if (SyCFDictionary* p = dict(d)) p->remove(key);
}

}  // extern "C"
