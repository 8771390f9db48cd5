// Internal: what a platform lends frames beyond its window back end. Nothing is
// installed on Linux: a frame's own window serves the clipboard and a host's
// parent handle is an X11 window.
#pragma once

#include "base.h"

#include <cstdint>
#include <string>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

struct SystemServices {
    // The system's clipboard, which belongs to no window; null: the window's.
    bool (*setClipboard)(const std::string& text) = nullptr;
    bool (*getClipboard)(std::string& text) = nullptr;
    // The native window a frame opens in for a host's parent handle, or 0 for
    // none; null: the handle is the native window.
    uintptr_t (*nativeParent)(void* systemWindow) = nullptr;
};

// [GUI thread] Installed by a module before it opens any frame.
void installSystemServices(const SystemServices& services);
const SystemServices& systemServices();

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
