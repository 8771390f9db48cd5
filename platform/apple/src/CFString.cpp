// Strings: UTF-16 contents, with the 8-bit text they were made from kept for the pointer query.
#include <symac/TestHooks.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

#include "CFObject.h"
#include "TextEncoding.h"

struct SyCFString : symac::CFObject {
  explicit SyCFString(std::u16string text, bool immortal = false)
      : CFObject(symac::kTypeString, immortal), chars(std::move(text)) {}

  bool equals(const CFObject& other) const override {
    return chars == static_cast<const SyCFString&>(other).chars;
  }
  CFHashCode hash() const override {
    CFHashCode h = 1469598103934665603ull;
    for (char16_t c : chars) h = (h ^ c) * 1099511628211ull;
    return h;
  }

  std::u16string chars;
  std::string cstr;  // the 8-bit text the string came from, when it has no NUL
  CFStringEncoding cstrEncoding = 0;
  bool hasCStr = false;
};

namespace {

std::atomic<bool> forceNullCStringPtr{false};

const SyCFString* str(CFStringRef s) { return symac::as<SyCFString>(s, symac::kTypeString); }

CFStringRef makeString(const UInt8* bytes, size_t length, CFStringEncoding encoding) {
  std::u16string text;
  if (!symac::decodeText(bytes, length, encoding, text)) return nullptr;
  auto* s = new SyCFString(std::move(text));
  if (encoding != kCFStringEncodingUnicode && std::memchr(bytes, 0, length) == nullptr) {
    s->cstr.assign(reinterpret_cast<const char*>(bytes), length);
    s->cstrEncoding = encoding;
    s->hasCStr = true;
  }
  return s;
}

bool isAsciiCompatible(CFStringEncoding e) {
  return e == kCFStringEncodingASCII || e == kCFStringEncodingMacRoman || e == kCFStringEncodingUTF8;
}

char16_t foldCase(char16_t c) {
  if (c >= 'A' && c <= 'Z') return char16_t(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return char16_t(c + 32);
  return c;
}

bool isDigit(char16_t c) { return c >= '0' && c <= '9'; }

int compareText(const std::u16string& a, const std::u16string& b, CFStringCompareFlags options) {
  const bool fold = (options & kCFCompareCaseInsensitive) != 0;
  const bool numeric = (options & kCFCompareNumerically) != 0;
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (numeric && isDigit(a[i]) && isDigit(b[j])) {
      size_t ei = i, ej = j;
      while (ei < a.size() && isDigit(a[ei])) ++ei;
      while (ej < b.size() && isDigit(b[ej])) ++ej;
      size_t si = i, sj = j;
      while (si + 1 < ei && a[si] == '0') ++si;
      while (sj + 1 < ej && b[sj] == '0') ++sj;
      if (ei - si != ej - sj) return ei - si < ej - sj ? -1 : 1;
      for (; si < ei; ++si, ++sj) {
        if (a[si] != b[sj]) return a[si] < b[sj] ? -1 : 1;
      }
      i = ei;
      j = ej;
      continue;
    }
    char16_t x = fold ? foldCase(a[i]) : a[i];
    char16_t y = fold ? foldCase(b[j]) : b[j];
    if (x != y) return x < y ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

}  // namespace

extern "C" {

CFTypeID CFStringGetTypeID(void) { return symac::kTypeString; }

CFStringRef SyCFSTR(const char* literal) {
  static std::mutex lock;
  static auto* table = new std::unordered_map<std::string, SyCFString*>();
  std::lock_guard<std::mutex> guard(lock);
  auto it = table->find(literal);
  if (it != table->end()) return it->second;
  const auto* bytes = reinterpret_cast<const UInt8*>(literal);
  const size_t length = std::strlen(literal);
  std::u16string text;
  CFStringEncoding encoding = kCFStringEncodingUTF8;
  if (!symac::decodeText(bytes, length, encoding, text)) {
    encoding = kCFStringEncodingMacRoman;
    symac::decodeText(bytes, length, encoding, text);
  }
  auto* s = new SyCFString(std::move(text), true);
  s->cstr = literal;
  s->cstrEncoding = encoding;
  s->hasCStr = true;
  table->emplace(literal, s);
  return s;
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* cStr, CFStringEncoding encoding) {
  if (cStr == nullptr) return nullptr;
  return makeString(reinterpret_cast<const UInt8*>(cStr), std::strlen(cStr), encoding);
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex numBytes, CFStringEncoding encoding,
                                    Boolean) {
  if (numBytes < 0 || (bytes == nullptr && numBytes > 0)) return nullptr;
  static const UInt8 empty = 0;
  return makeString(bytes != nullptr ? bytes : &empty, size_t(numBytes), encoding);
}

CFStringRef CFStringCreateWithCharacters(CFAllocatorRef, const UniChar* chars, CFIndex numChars) {
  if (numChars < 0 || (chars == nullptr && numChars > 0)) return nullptr;
  std::u16string text;
  if (numChars > 0) text.assign(reinterpret_cast<const char16_t*>(chars), size_t(numChars));
  return new SyCFString(std::move(text));
}

CFStringRef CFStringCreateWithPascalString(CFAllocatorRef, ConstStr255Param pStr, CFStringEncoding encoding) {
  if (pStr == nullptr) return nullptr;
  return makeString(pStr + 1, pStr[0], encoding);
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef s) {
  return str(s) != nullptr ? static_cast<CFStringRef>(CFRetain(s)) : nullptr;
}

CFIndex CFStringGetLength(CFStringRef s) { return str(s) != nullptr ? CFIndex(str(s)->chars.size()) : 0; }

UniChar CFStringGetCharacterAtIndex(CFStringRef s, CFIndex idx) {
  const SyCFString* p = str(s);
  if (p == nullptr || idx < 0 || size_t(idx) >= p->chars.size()) return 0;
  return p->chars[size_t(idx)];
}

void CFStringGetCharacters(CFStringRef s, CFRange range, UniChar* buffer) {
  const SyCFString* p = str(s);
  if (p == nullptr || buffer == nullptr || range.location < 0 || range.length < 0) return;
  if (size_t(range.location) > p->chars.size() || size_t(range.length) > p->chars.size() - size_t(range.location))
    return;
  std::memcpy(buffer, p->chars.data() + range.location, size_t(range.length) * sizeof(UniChar));
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding) {
  if (length < 0) return kCFNotFound;
  switch (encoding) {
    case kCFStringEncodingUTF8:
      return length * 3;
    case kCFStringEncodingUnicode:
      return length * 2;
    default:
      return length;
  }
}

Boolean CFStringGetCString(CFStringRef s, char* buffer, CFIndex bufferSize, CFStringEncoding encoding) {
  const SyCFString* p = str(s);
  if (p == nullptr || buffer == nullptr || bufferSize <= 0) return false;
  std::string out;
  if (!symac::encodeText(p->chars, encoding, out)) return false;
  if (out.size() + 1 > size_t(bufferSize)) return false;
  std::memcpy(buffer, out.data(), out.size());
  buffer[out.size()] = '\0';
  return true;
}

const char* CFStringGetCStringPtr(CFStringRef s, CFStringEncoding encoding) {
  const SyCFString* p = str(s);
  if (p == nullptr || !p->hasCStr || forceNullCStringPtr.load()) return nullptr;
  if (p->cstrEncoding == encoding) return p->cstr.c_str();
  if (isAsciiCompatible(encoding) && isAsciiCompatible(p->cstrEncoding)) {
    for (char c : p->cstr) {
      if (static_cast<unsigned char>(c) >= 0x80) return nullptr;
    }
    return p->cstr.c_str();
  }
  return nullptr;
}

Boolean CFStringGetPascalString(CFStringRef s, StringPtr buffer, CFIndex bufferSize, CFStringEncoding encoding) {
  const SyCFString* p = str(s);
  if (p == nullptr || buffer == nullptr || bufferSize <= 0) return false;
  std::string out;
  if (!symac::encodeText(p->chars, encoding, out)) return false;
  if (out.size() > 255 || out.size() + 1 > size_t(bufferSize)) return false;
  buffer[0] = UInt8(out.size());
  std::memcpy(buffer + 1, out.data(), out.size());
  return true;
}

CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFStringCompareFlags options) {
  static const std::u16string empty;
  const SyCFString* x = str(a);
  const SyCFString* y = str(b);
  return compareText(x != nullptr ? x->chars : empty, y != nullptr ? y->chars : empty, options);
}

CFArrayRef CFStringCreateArrayBySeparatingStrings(CFAllocatorRef, CFStringRef s, CFStringRef separator) {
  const SyCFString* p = str(s);
  const SyCFString* sep = str(separator);
  if (p == nullptr || sep == nullptr) return nullptr;
  CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  auto append = [&](size_t from, size_t to) {
    CFStringRef piece = new SyCFString(p->chars.substr(from, to - from));
    CFArrayAppendValue(array, piece);
    CFRelease(piece);
  };
  size_t start = 0;
  if (!sep->chars.empty()) {
    for (size_t at = p->chars.find(sep->chars); at != std::u16string::npos; at = p->chars.find(sep->chars, start)) {
      append(start, at);
      start = at + sep->chars.size();
    }
  }
  append(start, p->chars.size());
  return array;
}

void symac_test_forceCStringPtrNull(Boolean on) { forceNullCStringPtr.store(on != 0); }

}  // extern "C"
