// The toolkit's services in the macOS flavour, on the Apple stand-in: the general
// pasteboard for the clipboard, and a host's NSView as the parent of a frame.
#pragma once

#include "../systemservices.h"

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

// [GUI thread] The text as the pasteboard's one string datum (at most 9999 bytes).
bool setPasteboardText(const std::string& text);
// [GUI thread] The pasteboard's string, when it holds one of at most 9999 bytes.
bool getPasteboardText(std::string& text);

// [GUI thread] The native window for a frame whose parent is an NSView. The
// stand-in's views have no drawing surface, so the frame's window opens at the
// top level of the X display; 0 without a display or without a view.
uintptr_t cocoaViewParent(void* view);

// [any thread] The three above as the toolkit's services.
SystemServices macOSSystemServices();

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
