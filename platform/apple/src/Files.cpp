// File Manager over POSIX paths, with emulated user and local domain roots.
#include <CoreServices/Files.h>
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <symac/HostTestHooks.h>
#include <symac/TestHooks.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

struct SyFSIterator {
  std::string folder;
  std::vector<std::string> names;
  size_t next = 0;
};

namespace {

OSErr fromErrno(int e) {
  switch (e) {
    case ENOENT: return fnfErr;
    case ENOTDIR: return dirNFErr;
    case EEXIST: return dupFNErr;
    case EACCES:
    case EPERM: return permErr;
    case EROFS: return vLckdErr;
    case ENOSPC: return dskFulErr;
    default: return ioErr;
  }
}

bool injected(const char* name, OSErr* err) {
  OSStatus status;
  if (!symac_takeInjectedFailure(name, &status)) return false;
  *err = OSErr(status);
  return true;
}

bool setPath(FSRef* ref, const std::string& path) {
  if (ref == nullptr) return true;
  if (path.size() >= sizeof ref->hidden) return false;
  std::memcpy(ref->hidden, path.c_str(), path.size() + 1);
  return true;
}

// A UTF-16 name as UTF-8; '/' becomes ':', NUL, "." and ".." are refused.
OSErr nameToUtf8(UniCharCount length, const UniChar* name, std::string& out) {
  if (name == nullptr || length == 0 || length > 255) return bdNamErr;
  std::vector<UniChar> units(name, name + length);
  for (UniChar& u : units) {
    if (u == 0) return bdNamErr;
    if (u == '/') u = ':';
  }
  CFStringRef s = CFStringCreateWithCharacters(nullptr, units.data(), CFIndex(units.size()));
  if (s == nullptr) return bdNamErr;
  char buffer[1024];
  const bool ok = CFStringGetCString(s, buffer, sizeof buffer, kCFStringEncodingUTF8);
  CFRelease(s);
  if (!ok) return bdNamErr;
  out = buffer;
  if (out == "." || out == "..") return bdNamErr;
  return noErr;
}

OSErr childPath(const FSRef* parent, UniCharCount length, const UniChar* name, std::string& out) {
  if (parent == nullptr) return paramErr;
  std::string leaf;
  const OSErr err = nameToUtf8(length, name, leaf);
  if (err != noErr) return err;
  out = std::string(parent->hidden) + (std::strcmp(parent->hidden, "/") == 0 ? "" : "/") + leaf;
  return noErr;
}

std::string lastComponent(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void utf8ToName(const std::string& text, HFSUniStr255* out) {
  out->length = 0;
  std::string shown = text;
  std::replace(shown.begin(), shown.end(), ':', '/');
  CFStringRef s = CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(shown.data()),
                                          CFIndex(shown.size()), kCFStringEncodingUTF8, false);
  if (s == nullptr) return;
  CFIndex n = CFStringGetLength(s);
  if (n > 255) n = 255;
  CFStringGetCharacters(s, CFRangeMake(0, n), out->unicode);
  out->length = UInt16(n);
  CFRelease(s);
}

std::mutex rootLock;
std::map<SInt16, std::string>& roots() {
  static auto* m = new std::map<SInt16, std::string>();
  return *m;
}

std::string domainRoot(SInt16 domain) {
  std::lock_guard<std::mutex> guard(rootLock);
  auto it = roots().find(domain);
  if (it != roots().end()) return it->second;
  if (domain == kUserDomain) {
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "/root") + "/Library";
  }
  return "/Library";
}

}  // namespace

extern "C" {

OSErr FSMakeFSRefUnicode(const FSRef* parent, UniCharCount length, const UniChar* name, TextEncoding,
                         FSRef* ref) {
  OSErr err;
  if (injected("FSMakeFSRefUnicode", &err)) return err;
  std::string path;
  if ((err = childPath(parent, length, name, path)) != noErr) return err;
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return fromErrno(errno);
  return setPath(ref, path) ? OSErr(noErr) : OSErr(bdNamErr);
}

OSErr FSCreateFileUnicode(const FSRef* parent, UniCharCount length, const UniChar* name, FSCatalogInfoBitmap,
                          const FSCatalogInfo*, FSRef* newRef, void*) {
  OSErr err;
  if (injected("FSCreateFileUnicode", &err)) return err;
  std::string path;
  if ((err = childPath(parent, length, name, path)) != noErr) return err;
  if (path.size() >= sizeof(FSRef::hidden)) return bdNamErr;
  const int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
  if (fd < 0) return fromErrno(errno);
  close(fd);
  setPath(newRef, path);
  return noErr;
}

OSErr FSCreateDirectoryUnicode(const FSRef* parent, UniCharCount length, const UniChar* name, FSCatalogInfoBitmap,
                               const FSCatalogInfo*, FSRef* newRef, void*, UInt32* newDirID) {
  OSErr err;
  if (injected("FSCreateDirectoryUnicode", &err)) return err;
  std::string path;
  if ((err = childPath(parent, length, name, path)) != noErr) return err;
  if (path.size() >= sizeof(FSRef::hidden)) return bdNamErr;
  if (mkdir(path.c_str(), 0755) != 0) return fromErrno(errno);
  setPath(newRef, path);
  if (newDirID != nullptr) *newDirID = 0;
  return noErr;
}

OSErr FSDeleteObject(const FSRef* ref) {
  OSErr err;
  if (injected("FSDeleteObject", &err)) return err;
  if (ref == nullptr) return paramErr;
  struct stat st;
  if (lstat(ref->hidden, &st) != 0) return fromErrno(errno);
  const int rc = S_ISDIR(st.st_mode) ? rmdir(ref->hidden) : unlink(ref->hidden);
  return rc == 0 ? OSErr(noErr) : fromErrno(errno);
}

OSErr FSGetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap which, FSCatalogInfo* info, HFSUniStr255* outName,
                       void*, FSRef* parentRef) {
  OSErr err;
  if (injected("FSGetCatalogInfo", &err)) return err;
  if (ref == nullptr) return paramErr;
  struct stat st;
  if (lstat(ref->hidden, &st) != 0) return fromErrno(errno);
  if (info != nullptr && (which & kFSCatInfoNodeFlags) != 0)
    info->nodeFlags = S_ISDIR(st.st_mode) ? UInt16(kFSNodeIsDirectoryMask) : UInt16(0);
  const std::string path = ref->hidden;
  if (outName != nullptr) utf8ToName(lastComponent(path), outName);
  if (parentRef != nullptr) {
    const size_t slash = path.rfind('/');
    setPath(parentRef, slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash));
  }
  return noErr;
}

OSErr FSGetDataForkName(HFSUniStr255* dataForkName) {
  if (dataForkName != nullptr) dataForkName->length = 0;
  return noErr;
}

OSErr FSOpenFork(const FSRef* ref, UniCharCount, const UniChar*, SInt8 permissions, FSIORefNum* forkRef) {
  OSErr err;
  if (injected("FSOpenFork", &err)) return err;
  if (ref == nullptr || forkRef == nullptr) return paramErr;
  int flags = O_RDONLY;
  if ((permissions & fsWrPerm) != 0) flags = (permissions & fsRdPerm) != 0 ? O_RDWR : O_WRONLY;
  const int fd = open(ref->hidden, flags | O_CLOEXEC);
  if (fd < 0) return fromErrno(errno);
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    return permErr;
  }
  *forkRef = fd;
  return noErr;
}

OSErr FSReadFork(FSIORefNum fork, UInt16 positionMode, SInt64 positionOffset, UInt32 requestCount, void* buffer,
                 UInt32* actualCount) {
  OSErr err;
  if (actualCount != nullptr) *actualCount = 0;
  if (injected("FSReadFork", &err)) return err;
  if (buffer == nullptr && requestCount > 0) return paramErr;
  if (positionMode == fsFromStart && lseek(fork, positionOffset, SEEK_SET) < 0) return fromErrno(errno);
  UInt32 done = 0;
  while (done < requestCount) {
    const ssize_t n = read(fork, static_cast<char*>(buffer) + done, requestCount - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (actualCount != nullptr) *actualCount = done;
      return fromErrno(errno);
    }
    if (n == 0) break;
    done += UInt32(n);
  }
  if (actualCount != nullptr) *actualCount = done;
  return done < requestCount ? eofErr : noErr;
}

OSErr FSWriteFork(FSIORefNum fork, UInt16 positionMode, SInt64 positionOffset, UInt32 requestCount,
                  const void* buffer, UInt32* actualCount) {
  OSErr err;
  if (actualCount != nullptr) *actualCount = 0;
  if (injected("FSWriteFork", &err)) return err;
  if (buffer == nullptr && requestCount > 0) return paramErr;
  if (positionMode == fsFromStart && lseek(fork, positionOffset, SEEK_SET) < 0) return fromErrno(errno);
  UInt32 done = 0;
  while (done < requestCount) {
    const ssize_t n = write(fork, static_cast<const char*>(buffer) + done, requestCount - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (actualCount != nullptr) *actualCount = done;
      return fromErrno(errno);
    }
    done += UInt32(n);
  }
  if (actualCount != nullptr) *actualCount = done;
  return noErr;
}

OSErr FSGetForkSize(FSIORefNum fork, SInt64* forkSize) {
  if (forkSize == nullptr) return paramErr;
  struct stat st;
  if (fstat(fork, &st) != 0) return fromErrno(errno);
  *forkSize = st.st_size;
  return noErr;
}

OSErr FSSetForkSize(FSIORefNum fork, UInt16 positionMode, SInt64 positionOffset) {
  off_t size = positionOffset;
  if (positionMode == fsAtMark) size = lseek(fork, 0, SEEK_CUR);
  if (size < 0) return paramErr;
  return ftruncate(fork, size) == 0 ? OSErr(noErr) : fromErrno(errno);
}

OSErr FSCloseFork(FSIORefNum fork) { return close(fork) == 0 ? OSErr(noErr) : fromErrno(errno); }

OSErr FSOpenIterator(const FSRef* container, FSIteratorFlags, FSIterator* iterator) {
  OSErr err;
  if (injected("FSOpenIterator", &err)) return err;
  if (container == nullptr || iterator == nullptr) return paramErr;
  DIR* dir = opendir(container->hidden);
  if (dir == nullptr) return fromErrno(errno);
  auto* it = new SyFSIterator{container->hidden, {}, 0};
  while (dirent* e = readdir(dir)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    it->names.push_back(e->d_name);
  }
  closedir(dir);
  std::sort(it->names.begin(), it->names.end());
  *iterator = it;
  return noErr;
}

OSErr FSGetCatalogInfoBulk(FSIterator iterator, UInt32 maximumObjects, UInt32* actualObjects,
                           Boolean* containerChanged, FSCatalogInfoBitmap which, FSCatalogInfo* infos, FSRef* refs,
                           void*, HFSUniStr255* names) {
  OSErr err;
  if (actualObjects != nullptr) *actualObjects = 0;
  if (containerChanged != nullptr) *containerChanged = false;
  if (injected("FSGetCatalogInfoBulk", &err)) return err;
  if (iterator == nullptr || actualObjects == nullptr) return paramErr;
  UInt32 n = 0;
  while (n < maximumObjects && iterator->next < iterator->names.size()) {
    const std::string& name = iterator->names[iterator->next++];
    const std::string path = iterator->folder + "/" + name;
    if (refs != nullptr && !setPath(&refs[n], path)) continue;
    if (infos != nullptr && (which & kFSCatInfoNodeFlags) != 0) {
      struct stat st;
      infos[n].nodeFlags = (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ? UInt16(kFSNodeIsDirectoryMask) : UInt16(0);
    }
    if (names != nullptr) utf8ToName(name, &names[n]);
    ++n;
  }
  *actualObjects = n;
  return n == 0 ? OSErr(errFSNoMoreItems) : OSErr(noErr);
}

OSErr FSCloseIterator(FSIterator iterator) {
  delete iterator;
  return noErr;
}

OSErr FSFindFolder(SInt16 domain, OSType folderType, Boolean createFolder, FSRef* ref) {
  OSErr err;
  if (injected("FSFindFolder", &err)) return err;
  if (ref == nullptr || folderType != kAudioSupportFolderType) return paramErr;
  if (domain != kUserDomain && domain != kLocalDomain) return paramErr;
  const std::string path = domainRoot(domain) + "/Audio";
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    if (!createFolder) return fnfErr;
    const std::string root = domainRoot(domain);
    mkdir(root.c_str(), 0755);
    if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return fromErrno(errno);
  } else if (!S_ISDIR(st.st_mode)) {
    return dirNFErr;
  }
  return setPath(ref, path) ? OSErr(noErr) : OSErr(bdNamErr);
}

OSErr FSResolveAliasFileWithMountFlags(FSRef* ref, Boolean, Boolean* isFolder, Boolean* wasAliased, UInt32) {
  OSErr err;
  if (injected("FSResolveAliasFileWithMountFlags", &err)) return err;
  if (ref == nullptr) return paramErr;
  struct stat st;
  if (lstat(ref->hidden, &st) != 0) return fromErrno(errno);
  const bool link = S_ISLNK(st.st_mode);
  if (wasAliased != nullptr) *wasAliased = link;
  if (link) {
    char resolved[PATH_MAX];
    if (realpath(ref->hidden, resolved) == nullptr) return fromErrno(errno);
    if (!setPath(ref, resolved)) return bdNamErr;
  }
  if (isFolder != nullptr) *isFolder = stat(ref->hidden, &st) == 0 && S_ISDIR(st.st_mode);
  return noErr;
}

OSStatus FSRefMakePath(const FSRef* ref, UInt8* path, UInt32 maxPathSize) {
  if (ref == nullptr || path == nullptr) return paramErr;
  const size_t n = std::strlen(ref->hidden);
  if (n + 1 > maxPathSize) return paramErr;
  std::memcpy(path, ref->hidden, n + 1);
  return noErr;
}

OSStatus FSPathMakeRef(const UInt8* path, FSRef* ref, Boolean* isDirectory) {
  if (path == nullptr || ref == nullptr) return paramErr;
  struct stat st;
  if (lstat(reinterpret_cast<const char*>(path), &st) != 0) return fromErrno(errno);
  if (isDirectory != nullptr) *isDirectory = S_ISDIR(st.st_mode);
  return setPath(ref, reinterpret_cast<const char*>(path)) ? OSStatus(noErr) : OSStatus(bdNamErr);
}

Boolean CFURLGetFSRef(CFURLRef url, FSRef* ref) {
  OSErr err;
  if (injected("CFURLGetFSRef", &err)) return false;
  if (url == nullptr || ref == nullptr) return false;
  UInt8 buffer[sizeof(FSRef::hidden)];
  if (!CFURLGetFileSystemRepresentation(url, true, buffer, sizeof buffer)) return false;
  return FSPathMakeRef(buffer, ref, nullptr) == noErr;
}

CFURLRef CFURLCreateFromFSRef(CFAllocatorRef, const FSRef* ref) {
  OSErr err;
  if (injected("CFURLCreateFromFSRef", &err)) return nullptr;
  if (ref == nullptr) return nullptr;
  struct stat st;
  const bool dir = stat(ref->hidden, &st) == 0 && S_ISDIR(st.st_mode);
  return CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(ref->hidden),
                                                 CFIndex(std::strlen(ref->hidden)), dir);
}

void symac_test_setDomainRoot(SInt16 domain, const char* path) {
  std::lock_guard<std::mutex> guard(rootLock);
  if (path == nullptr) roots().erase(domain);
  else roots()[domain] = path;
}

}  // extern "C"
