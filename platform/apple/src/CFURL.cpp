// File URLs as absolute POSIX paths; a folder URL's path ends in '/'.
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstring>
#include <mutex>
#include <string>

#include "CFObject.h"

struct SyCFURL : symac::CFObject {
  explicit SyCFURL(std::string p) : CFObject(symac::kTypeURL), path(std::move(p)) {}
  ~SyCFURL() override {
    if (text != nullptr) CFRelease(text);
  }
  bool equals(const CFObject& o) const override { return path == static_cast<const SyCFURL&>(o).path; }
  CFHashCode hash() const override { return std::hash<std::string>()(path); }
  std::string path;
  mutable std::once_flag textOnce;
  mutable CFStringRef text = nullptr;  // "file://" and the escaped path, made when first asked
};

namespace {

const SyCFURL* url(CFTypeRef u) { return symac::as<SyCFURL>(u, symac::kTypeURL); }

std::string stringToUtf8(CFStringRef s) {
  const CFIndex length = CFStringGetLength(s);
  std::string out(size_t(CFStringGetMaximumSizeForEncoding(length, kCFStringEncodingUTF8)) + 1, '\0');
  if (!CFStringGetCString(s, out.data(), CFIndex(out.size()), kCFStringEncodingUTF8)) return std::string();
  out.resize(std::strlen(out.c_str()));
  return out;
}

CFURLRef makeURL(std::string path, bool isDirectory) {
  if (path.empty()) return nullptr;
  if (path[0] != '/') {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) == nullptr) return nullptr;
    std::string base = cwd;
    if (base.back() != '/') base.push_back('/');
    path = base + path;
  }
  if (isDirectory && path.back() != '/') path.push_back('/');
  if (!isDirectory && path.size() > 1 && path.back() == '/') path.pop_back();
  return new SyCFURL(std::move(path));
}

// The path without its trailing '/', except for the root.
std::string plainPath(const SyCFURL& u) {
  std::string p = u.path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

// The path as a URL path: bytes outside the unreserved set and '/' as %XX.
std::string escapedPath(const std::string& path) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    if (std::isalnum(c) || std::strchr("/-._~", c) != nullptr) {
      out.push_back(char(c));
    } else {
      out.push_back('%');
      out.push_back(hex[c >> 4]);
      out.push_back(hex[c & 15]);
    }
  }
  return out;
}

}  // namespace

extern "C" {

CFTypeID CFURLGetTypeID(void) { return symac::kTypeURL; }

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef, const UInt8* buffer, CFIndex bufLen,
                                                 Boolean isDirectory) {
  if (buffer == nullptr || bufLen <= 0) return nullptr;
  std::string path(reinterpret_cast<const char*>(buffer), size_t(bufLen));
  if (path.find('\0') != std::string::npos) return nullptr;
  return makeURL(std::move(path), isDirectory != 0);
}

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef filePath, CFURLPathStyle pathStyle,
                                       Boolean isDirectory) {
  if (filePath == nullptr || pathStyle != kCFURLPOSIXPathStyle) return nullptr;
  return makeURL(stringToUtf8(filePath), isDirectory != 0);
}

CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef, CFURLRef u) {
  const SyCFURL* p = url(u);
  if (p == nullptr) return nullptr;
  const std::string path = plainPath(*p);
  if (path == "/") return nullptr;
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return nullptr;
  return new SyCFURL(path.substr(0, slash + 1));
}

CFURLRef CFURLCreateCopyAppendingPathComponent(CFAllocatorRef, CFURLRef u, CFStringRef component,
                                               Boolean isDirectory) {
  const SyCFURL* p = url(u);
  if (p == nullptr || component == nullptr) return nullptr;
  std::string path = p->path;
  if (path.back() != '/') path.push_back('/');
  return makeURL(path + stringToUtf8(component), isDirectory != 0);
}

CFStringRef CFURLCopyLastPathComponent(CFURLRef u) {
  const SyCFURL* p = url(u);
  if (p == nullptr) return nullptr;
  const std::string path = plainPath(*p);
  const std::string last = path == "/" ? path : path.substr(path.rfind('/') + 1);
  return CFStringCreateWithCString(nullptr, last.c_str(), kCFStringEncodingUTF8);
}

Boolean CFURLHasDirectoryPath(CFURLRef u) {
  const SyCFURL* p = url(u);
  return p != nullptr && p->path.back() == '/';
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef u, Boolean, UInt8* buffer, CFIndex maxBufLen) {
  const SyCFURL* p = url(u);
  if (p == nullptr || buffer == nullptr || maxBufLen <= 0) return false;
  const std::string path = plainPath(*p);
  if (path.size() + 1 > size_t(maxBufLen)) return false;
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return true;
}

CFStringRef CFURLGetString(CFURLRef u) {
  const SyCFURL* p = url(u);
  if (p == nullptr) return nullptr;
  std::call_once(p->textOnce, [p] {
    p->text = CFStringCreateWithCString(nullptr, ("file://" + escapedPath(p->path)).c_str(), kCFStringEncodingUTF8);
  });
  return p->text;
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef u, CFURLPathStyle pathStyle) {
  const SyCFURL* p = url(u);
  if (p == nullptr || pathStyle != kCFURLPOSIXPathStyle) return nullptr;
  return CFStringCreateWithCString(nullptr, plainPath(*p).c_str(), kCFStringEncodingUTF8);
}

}  // extern "C"
