// The users folder as the stand-in's setting.
#include <Foundation/NSFileManager.h>
#include <symac/TestHooks.h>

#include <cstring>
#include <mutex>
#include <string>

namespace {
std::mutex lock;
bool haveUserFolder = true;
std::string& userFolder() {
  static auto* path = new std::string("/Users");
  return *path;
}
}  // namespace

NSFileManager* NSFileManager::defaultManager() {
  static NSFileManager* manager = new NSFileManager();
  return manager;
}

CFArrayRef NSFileManager::URLsForDirectory(NSSearchPathDirectory directory, NSSearchPathDomainMask domains) {
  CFMutableArrayRef urls = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  std::string path;
  {
    std::lock_guard<std::mutex> guard(lock);
    if (!haveUserFolder || directory != NSUserDirectory || (domains & NSLocalDomainMask) == 0) return urls;
    path = userFolder();
  }
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path.data()),
                                                         CFIndex(path.size()), true);
  if (url != nullptr) {
    CFArrayAppendValue(urls, url);
    CFRelease(url);
  }
  return urls;
}

extern "C" void symac_test_setUserFolder(const char* path) {
  std::lock_guard<std::mutex> guard(lock);
  haveUserFolder = path != nullptr;
  userFolder() = path != nullptr ? path : "";
}
