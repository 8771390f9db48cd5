// The dynamic loader's error state.
#pragma once

#include <dlfcn.h>

// glibc keeps the text of a failed dl call in a per-thread buffer until
// dlerror has returned it and is called once more; this gives it back, so
// that no failed lookup leaves memory behind. [any thread]
inline void releaseDlError() {
  while (dlerror() != nullptr) {
  }
}
