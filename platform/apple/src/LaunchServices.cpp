// Item information for files: kind, invisibility, simulated Finder type and creator, extension.
#include <CoreServices/LaunchServices.h>
#include <sys/stat.h>
#include <symac/HostTestHooks.h>
#include <symac/TestHooks.h>

#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace {
std::mutex lock;
std::map<std::string, std::pair<OSType, OSType>>& typeCreators() {
  static auto* m = new std::map<std::string, std::pair<OSType, OSType>>();
  return *m;
}
}  // namespace

extern "C" {

OSStatus LSCopyItemInfoForRef(const FSRef* ref, LSRequestedInfo which, LSItemInfoRecord* info) {
  OSStatus injected;
  if (symac_takeInjectedFailure("LSCopyItemInfoForRef", &injected)) return injected;
  if (ref == nullptr || info == nullptr) return paramErr;
  std::memset(info, 0, sizeof *info);
  struct stat st;
  if (lstat(ref->hidden, &st) != 0) return fnfErr;
  const std::string path = ref->hidden;
  const size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (S_ISREG(st.st_mode)) info->flags |= kLSItemInfoIsPlainFile;
  if (S_ISDIR(st.st_mode)) info->flags |= kLSItemInfoIsContainer;
  if (S_ISLNK(st.st_mode)) info->flags |= kLSItemInfoIsSymlink | kLSItemInfoIsAliasFile;
  if (!name.empty() && name[0] == '.') info->flags |= kLSItemInfoIsInvisible;
  if ((which & kLSRequestTypeCreator) != 0) {
    std::lock_guard<std::mutex> guard(lock);
    auto it = typeCreators().find(path);
    if (it != typeCreators().end()) {
      info->filetype = it->second.first;
      info->creator = it->second.second;
    }
  }
  if ((which & kLSRequestExtension) != 0) {
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0 && dot + 1 < name.size()) {
      const std::string ext = name.substr(dot + 1);
      info->extension = CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(ext.data()),
                                                CFIndex(ext.size()), kCFStringEncodingUTF8, false);
    }
  }
  return noErr;
}

OSStatus LSGetExtensionInfo(UniCharCount length, const UniChar* name, UniCharCount* extensionStart) {
  if (name == nullptr || extensionStart == nullptr) return paramErr;
  *extensionStart = kLSInvalidExtensionIndex;
  for (UniCharCount i = length; i > 0; --i) {
    if (name[i - 1] != '.') continue;
    if (i - 1 > 0 && i < length) *extensionStart = i;
    break;
  }
  return noErr;
}

void symac_test_setTypeCreator(const char* path, OSType type, OSType creator) {
  if (path == nullptr) return;
  std::lock_guard<std::mutex> guard(lock);
  if (type == 0 && creator == 0) typeCreators().erase(path);
  else typeCreators()[path] = {type, creator};
}

}  // extern "C"
