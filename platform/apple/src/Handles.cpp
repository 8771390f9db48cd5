// Handles: a master pointer followed by the block's size, with the block allocated apart.
#include <MacTypes.h>

#include <cstdlib>
#include <cstring>

namespace {

struct Master {
  char* block;
  Size size;
};

thread_local OSErr lastError = noErr;

Handle make(Size size, bool clear) {
  if (size < 0) {
    lastError = paramErr;
    return nullptr;
  }
  auto* m = static_cast<Master*>(std::malloc(sizeof(Master)));
  char* block = static_cast<char*>(clear ? std::calloc(size_t(size) + 1, 1) : std::malloc(size_t(size) + 1));
  if (m == nullptr || block == nullptr) {
    std::free(m);
    std::free(block);
    lastError = memFullErr;
    return nullptr;
  }
  m->block = block;
  m->size = size;
  lastError = noErr;
  return &m->block;
}

Master* master(Handle h) { return reinterpret_cast<Master*>(h); }

}  // namespace

extern "C" {

Handle NewHandle(Size size) { return make(size, false); }
Handle NewHandleClear(Size size) { return make(size, true); }

void DisposeHandle(Handle h) {
  if (h == nullptr) return;
  std::free(master(h)->block);
  std::free(master(h));
  lastError = noErr;
}

Size GetHandleSize(Handle h) { return h != nullptr ? master(h)->size : 0; }

void SetHandleSize(Handle h, Size newSize) {
  if (h == nullptr || newSize < 0) {
    lastError = paramErr;
    return;
  }
  char* block = static_cast<char*>(std::realloc(master(h)->block, size_t(newSize) + 1));
  if (block == nullptr) {
    lastError = memFullErr;
    return;
  }
  master(h)->block = block;
  master(h)->size = newSize;
  lastError = noErr;
}

OSErr MemError(void) { return lastError; }
void HLock(Handle) {}
void HUnlock(Handle) {}

}  // extern "C"
