// Numbers hold a 64-bit integer or a double; booleans are two immortal objects.
#include <cmath>
#include <cstring>
#include <limits>

#include "CFObject.h"

struct SyCFNumber : symac::CFObject {
  SyCFNumber(CFNumberType t, bool f, SInt64 i, double d)
      : CFObject(symac::kTypeNumber), type(t), isFloat(f), integer(i), real(d) {}

  bool equals(const CFObject& o) const override {
    const auto& other = static_cast<const SyCFNumber&>(o);
    if (!isFloat && !other.isFloat) return integer == other.integer;
    const double a = asDouble(), b = other.asDouble();
    return a == b || (std::isnan(a) && std::isnan(b));
  }
  CFHashCode hash() const override {
    const double d = asDouble();
    if (!isFloat || (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 9.2e18))
      return CFHashCode(isFloat ? SInt64(d) : integer);
    UInt64 bits;
    std::memcpy(&bits, &d, sizeof bits);
    return CFHashCode(bits);
  }
  double asDouble() const { return isFloat ? real : double(integer); }

  CFNumberType type;
  bool isFloat;
  SInt64 integer;
  double real;
};

struct SyCFBoolean : symac::CFObject {
  explicit SyCFBoolean(bool v) : CFObject(symac::kTypeBoolean, true), value(v) {}
  bool equals(const CFObject& o) const override { return value == static_cast<const SyCFBoolean&>(o).value; }
  CFHashCode hash() const override { return value ? 1 : 0; }
  bool value;
};

namespace {

bool fitsInt64(double d) { return d >= -9223372036854775808.0 && d < 9223372036854775808.0; }

enum class Kind { kInt8, kInt16, kInt32, kInt64, kFloat32, kFloat64, kUnknown };

Kind kindOf(CFNumberType type) {
  switch (type) {
    case kCFNumberSInt8Type:
    case kCFNumberCharType:
      return Kind::kInt8;
    case kCFNumberSInt16Type:
    case kCFNumberShortType:
      return Kind::kInt16;
    case kCFNumberSInt32Type:
    case kCFNumberIntType:
      return Kind::kInt32;
    case kCFNumberSInt64Type:
    case kCFNumberLongType:
    case kCFNumberLongLongType:
    case kCFNumberCFIndexType:
      return Kind::kInt64;
    case kCFNumberFloat32Type:
    case kCFNumberFloatType:
      return Kind::kFloat32;
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType:
      return Kind::kFloat64;
    default:
      return Kind::kUnknown;
  }
}

template <class T>
bool storeInteger(const SyCFNumber& n, void* out) {
  constexpr double lo = double(std::numeric_limits<T>::min());
  constexpr double hi = double(std::numeric_limits<T>::max());
  if (!n.isFloat) {
    const SInt64 v = n.integer;
    const T t = T(v);
    std::memcpy(out, &t, sizeof t);
    return SInt64(t) == v;
  }
  const double d = n.real;
  T t = 0;
  bool exact = false;
  if (std::isfinite(d)) {
    const double c = std::trunc(d);
    if (c >= lo && c < hi + 1.0) {
      t = T(SInt64(c));
      exact = (c == d);
    } else {
      t = c < 0 ? std::numeric_limits<T>::min() : std::numeric_limits<T>::max();
    }
  }
  std::memcpy(out, &t, sizeof t);
  return exact;
}

}  // namespace

static const SyCFBoolean trueObject(true);
static const SyCFBoolean falseObject(false);

extern "C" {

const CFBooleanRef kCFBooleanTrue = &trueObject;
const CFBooleanRef kCFBooleanFalse = &falseObject;

CFTypeID CFNumberGetTypeID(void) { return symac::kTypeNumber; }
CFTypeID CFBooleanGetTypeID(void) { return symac::kTypeBoolean; }

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType type, const void* valuePtr) {
  if (valuePtr == nullptr) return nullptr;
  switch (kindOf(type)) {
    case Kind::kInt8: {
      SInt8 v;
      std::memcpy(&v, valuePtr, sizeof v);
      return new SyCFNumber(type, false, v, 0);
    }
    case Kind::kInt16: {
      SInt16 v;
      std::memcpy(&v, valuePtr, sizeof v);
      return new SyCFNumber(type, false, v, 0);
    }
    case Kind::kInt32: {
      SInt32 v;
      std::memcpy(&v, valuePtr, sizeof v);
      return new SyCFNumber(type, false, v, 0);
    }
    case Kind::kInt64: {
      SInt64 v;
      std::memcpy(&v, valuePtr, sizeof v);
      return new SyCFNumber(type, false, v, 0);
    }
    case Kind::kFloat32: {
      float v;
      std::memcpy(&v, valuePtr, sizeof v);
      return new SyCFNumber(type, true, 0, v);
    }
    case Kind::kFloat64: {
      double v;
      std::memcpy(&v, valuePtr, sizeof v);
      return new SyCFNumber(type, true, 0, v);
    }
    case Kind::kUnknown:
      break;
  }
  return nullptr;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* valuePtr) {
  const auto* n = symac::as<SyCFNumber>(number, symac::kTypeNumber);
  if (n == nullptr || valuePtr == nullptr) return false;
  switch (kindOf(type)) {
    case Kind::kInt8:
      return storeInteger<SInt8>(*n, valuePtr);
    case Kind::kInt16:
      return storeInteger<SInt16>(*n, valuePtr);
    case Kind::kInt32:
      return storeInteger<SInt32>(*n, valuePtr);
    case Kind::kInt64:
      return storeInteger<SInt64>(*n, valuePtr);
    case Kind::kFloat32: {
      const double d = n->asDouble();
      const float f = float(d);
      std::memcpy(valuePtr, &f, sizeof f);
      if (n->isFloat) return double(f) == d || std::isnan(d);
      return fitsInt64(double(f)) && SInt64(f) == n->integer;
    }
    case Kind::kFloat64: {
      const double d = n->asDouble();
      std::memcpy(valuePtr, &d, sizeof d);
      return n->isFloat || (fitsInt64(d) && SInt64(d) == n->integer);
    }
    case Kind::kUnknown:
      break;
  }
  return false;
}

CFNumberType CFNumberGetType(CFNumberRef number) {
  const auto* n = symac::as<SyCFNumber>(number, symac::kTypeNumber);
  return n != nullptr ? n->type : 0;
}

Boolean CFNumberIsFloatType(CFNumberRef number) {
  const auto* n = symac::as<SyCFNumber>(number, symac::kTypeNumber);
  return n != nullptr && n->isFloat;
}

Boolean CFBooleanGetValue(CFBooleanRef boolean) {
  const auto* b = symac::as<SyCFBoolean>(boolean, symac::kTypeBoolean);
  return b != nullptr && b->value;
}

}  // extern "C"
