// Bundles as folders, one object per canonical path in the process.
#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <symac/TestHooks.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "CFObject.h"
#include "DlError.h"

struct SyCFBundle : symac::CFObject {
  explicit SyCFBundle(std::string p) : CFObject(symac::kTypeBundle), path(std::move(p)) {}
  ~SyCFBundle() override {
    if (info != nullptr) CFRelease(info);
  }
  std::string path;  // canonical, without a trailing '/'
  std::mutex lock;   // guards the fields below
  void* handle = nullptr;
  bool infoRead = false;
  CFDictionaryRef info = nullptr;
};

namespace {

std::mutex tableLock;
std::map<std::string, SyCFBundle*>& table() {
  static auto* t = new std::map<std::string, SyCFBundle*>();
  return *t;
}

SyCFBundle* bundle(CFBundleRef b) { return symac::asMutable<SyCFBundle>(b, symac::kTypeBundle); }

std::string urlPath(CFURLRef url) {
  std::vector<UInt8> buf(PATH_MAX + 1);
  if (!CFURLGetFileSystemRepresentation(url, true, buf.data(), CFIndex(buf.size()))) return std::string();
  return reinterpret_cast<const char*>(buf.data());
}

CFURLRef pathURL(const std::string& path, bool isDirectory) {
  return CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path.data()),
                                                 CFIndex(path.size()), isDirectory);
}

std::string stringToUtf8(CFStringRef s) {
  if (s == nullptr || CFGetTypeID(s) != CFStringGetTypeID()) return std::string();
  std::vector<char> buf(size_t(CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8)) + 1);
  if (!CFStringGetCString(s, buf.data(), CFIndex(buf.size()), kCFStringEncodingUTF8)) return std::string();
  return buf.data();
}

CFDictionaryRef readInfo(const std::string& bundlePath) {
  const std::string file = bundlePath + "/Contents/Info.plist";
  FILE* f = std::fopen(file.c_str(), "rb");
  if (f == nullptr) return nullptr;
  std::vector<UInt8> bytes;
  UInt8 chunk[8192];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return nullptr;
  CFDataRef data = CFDataCreate(nullptr, bytes.data(), CFIndex(bytes.size()));
  CFPropertyListRef plist = CFPropertyListCreateFromXMLData(nullptr, data, kCFPropertyListImmutable, nullptr);
  CFRelease(data);
  if (plist != nullptr && CFGetTypeID(plist) != CFDictionaryGetTypeID()) {
    CFRelease(plist);
    return nullptr;
  }
  return CFDictionaryRef(plist);
}

// Main-bundle identity set by tests; replaced dictionaries are kept, callers may hold them.
struct MainIdentity {
  std::mutex lock;
  CFDictionaryRef info = nullptr;
  std::vector<CFDictionaryRef> retired;
};
MainIdentity& mainIdentity() {
  static auto* m = new MainIdentity();
  return *m;
}

SyCFBundle* mainBundleObject() {
  static SyCFBundle* main = [] {
    char exe[PATH_MAX + 1];
    const ssize_t n = readlink("/proc/self/exe", exe, PATH_MAX);
    std::string folder = n > 0 ? std::string(exe, size_t(n)) : std::string("/");
    const size_t slash = folder.rfind('/');
    folder = slash == 0 || slash == std::string::npos ? "/" : folder.substr(0, slash);
    std::lock_guard<std::mutex> guard(tableLock);
    auto it = table().find(folder);
    if (it != table().end()) {
      it->second->retain();
      return it->second;
    }
    auto* b = new SyCFBundle(folder);
    table()[folder] = b;
    return b;
  }();
  return main;
}

bool isMain(const SyCFBundle* b) { return b == mainBundleObject(); }

}  // namespace

namespace symac {
void releaseBundle(const CFObject* object) {
  std::unique_lock<std::mutex> guard(tableLock);
  if (!object->dropReference()) return;
  auto* b = static_cast<const SyCFBundle*>(object);
  auto it = table().find(b->path);
  if (it != table().end() && it->second == b) table().erase(it);
  guard.unlock();
  // The executable stays mapped: code from it may still be running.
  delete b;
}
}  // namespace symac

extern "C" {

CFTypeID CFBundleGetTypeID(void) { return symac::kTypeBundle; }

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL) {
  const std::string path = urlPath(bundleURL);
  if (path.empty()) return nullptr;
  char canonical[PATH_MAX + 1];
  if (realpath(path.c_str(), canonical) == nullptr) return nullptr;
  struct stat st;
  if (stat(canonical, &st) != 0 || !S_ISDIR(st.st_mode)) return nullptr;
  std::lock_guard<std::mutex> guard(tableLock);
  auto it = table().find(canonical);
  if (it != table().end()) {
    it->second->retain();
    return it->second;
  }
  auto* b = new SyCFBundle(canonical);
  table()[canonical] = b;
  return b;
}

CFBundleRef CFBundleGetMainBundle(void) { return mainBundleObject(); }

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID) {
  if (bundleID == nullptr) return nullptr;
  std::vector<SyCFBundle*> candidates;
  {
    std::lock_guard<std::mutex> guard(tableLock);
    for (auto& [path, b] : table()) {
      b->retain();
      candidates.push_back(b);
    }
  }
  CFBundleRef found = nullptr;
  for (SyCFBundle* b : candidates) {
    CFStringRef id = CFBundleGetIdentifier(b);
    if (found == nullptr && id != nullptr && CFEqual(id, bundleID)) found = b;
  }
  // The answer is not owned by the caller, as on the platform.
  for (SyCFBundle* b : candidates) CFRelease(b);
  return found;
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef b) {
  SyCFBundle* p = bundle(b);
  return p != nullptr ? pathURL(p->path, true) : nullptr;
}

CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef b) {
  SyCFBundle* p = bundle(b);
  if (p == nullptr) return nullptr;
  if (isMain(p)) {
    MainIdentity& m = mainIdentity();
    std::lock_guard<std::mutex> guard(m.lock);
    if (m.info != nullptr) return m.info;
  }
  std::lock_guard<std::mutex> guard(p->lock);
  if (!p->infoRead) {
    p->info = readInfo(p->path);
    p->infoRead = true;
  }
  return p->info;
}

CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef b, CFStringRef key) {
  CFDictionaryRef info = CFBundleGetInfoDictionary(b);
  return info != nullptr ? CFDictionaryGetValue(info, key) : nullptr;
}

CFStringRef CFBundleGetIdentifier(CFBundleRef b) {
  CFTypeRef id = CFBundleGetValueForInfoDictionaryKey(b, CFSTR("CFBundleIdentifier"));
  return (id != nullptr && CFGetTypeID(id) == CFStringGetTypeID()) ? CFStringRef(id) : nullptr;
}

CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef b) {
  SyCFBundle* p = bundle(b);
  return p != nullptr ? pathURL(p->path + "/Contents/Resources", true) : nullptr;
}

CFURLRef CFBundleCopyExecutableURL(CFBundleRef b) {
  SyCFBundle* p = bundle(b);
  if (p == nullptr) return nullptr;
  const std::string name = stringToUtf8(CFStringRef(CFBundleGetValueForInfoDictionaryKey(b, CFSTR("CFBundleExecutable"))));
  if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") return nullptr;
  return pathURL(p->path + "/Contents/MacOS/" + name, false);
}

CFArrayRef CFBundleCopyResourceURLsOfType(CFBundleRef b, CFStringRef resourceType, CFStringRef subDirName) {
  SyCFBundle* p = bundle(b);
  if (p == nullptr) return nullptr;
  std::string folder = p->path + "/Contents/Resources";
  if (subDirName != nullptr) {
    const std::string sub = stringToUtf8(subDirName);
    if (sub.empty() || sub.find("..") != std::string::npos) return nullptr;
    folder += "/" + sub;
  }
  const std::string suffix = resourceType != nullptr ? "." + stringToUtf8(resourceType) : std::string();
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return nullptr;
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  CFMutableArrayRef urls = CFArrayCreateMutable(nullptr, CFIndex(names.size()), &kCFTypeArrayCallBacks);
  for (const std::string& name : names) {
    const std::string full = folder + "/" + name;
    struct stat st;
    const bool isDir = stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    CFURLRef url = pathURL(full, isDir);
    if (url != nullptr) {
      CFArrayAppendValue(urls, url);
      CFRelease(url);
    }
  }
  return urls;
}

Boolean CFBundleIsExecutableLoaded(CFBundleRef b) {
  SyCFBundle* p = bundle(b);
  if (p == nullptr) return false;
  std::lock_guard<std::mutex> guard(p->lock);
  return p->handle != nullptr;
}

Boolean CFBundleLoadExecutable(CFBundleRef b) {
  SyCFBundle* p = bundle(b);
  if (p == nullptr) return false;
  OSStatus injected;
  if (symac_takeInjectedFailure("CFBundleLoadExecutable", &injected)) return false;
  CFURLRef exe = CFBundleCopyExecutableURL(b);
  if (exe == nullptr) return false;
  const std::string path = urlPath(exe);
  CFRelease(exe);
  std::lock_guard<std::mutex> guard(p->lock);
  if (p->handle != nullptr) return true;
  p->handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (p->handle == nullptr) {
    const char* why = dlerror();
    std::fprintf(stderr, "CFBundleLoadExecutable: %s\n", why != nullptr ? why : path.c_str());
    releaseDlError();
    return false;
  }
  return true;
}

void CFBundleUnloadExecutable(CFBundleRef b) {
  SyCFBundle* p = bundle(b);
  if (p == nullptr) return;
  std::lock_guard<std::mutex> guard(p->lock);
  if (p->handle != nullptr) dlclose(p->handle);
  p->handle = nullptr;
}

void* CFBundleGetFunctionPointerForName(CFBundleRef b, CFStringRef functionName) {
  SyCFBundle* p = bundle(b);
  const std::string name = stringToUtf8(functionName);
  if (p == nullptr || name.empty()) return nullptr;
  if (!CFBundleIsExecutableLoaded(b) && !CFBundleLoadExecutable(b)) return nullptr;
  std::lock_guard<std::mutex> guard(p->lock);
  void* function = p->handle != nullptr ? dlsym(p->handle, name.c_str()) : nullptr;
  if (function == nullptr) releaseDlError();
  return function;
}

void symac_test_setMainBundle(const char* identifier, const char* shortVersion) {
  MainIdentity& m = mainIdentity();
  CFMutableDictionaryRef info = nullptr;
  if (identifier != nullptr || shortVersion != nullptr) {
    info = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    const std::pair<const char*, CFStringRef> entries[] = {{identifier, CFSTR("CFBundleIdentifier")},
                                                           {shortVersion, CFSTR("CFBundleShortVersionString")}};
    for (const auto& [text, key] : entries) {
      if (text == nullptr) continue;
      CFStringRef value = CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
      if (value != nullptr) CFDictionarySetValue(info, key, value);
      if (value != nullptr) CFRelease(value);
    }
  }
  std::lock_guard<std::mutex> guard(m.lock);
  if (m.info != nullptr) m.retired.push_back(m.info);
  m.info = info;
}

}  // extern "C"
