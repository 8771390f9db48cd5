// The preset text on the general pasteboard.
#include "macosservices.h"

#include <AppKit/NSPasteboard.h>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

namespace {
constexpr size_t kMaxPasteboardBytes = 9999;
} // namespace

bool setPasteboardText(const std::string& text) {
    if (text.size() > kMaxPasteboardBytes)
        return false;
    NSPasteboard* board = NSPasteboard::generalPasteboard();
    board->clearContents();
    CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(text.data()), CFIndex(text.size()));
    if (!data)
        return false;
    const bool ok = board->setData(data, NSPasteboardTypeString);
    CFRelease(data);
    return ok;
}

bool getPasteboardText(std::string& text) {
    CFDataRef data = NSPasteboard::generalPasteboard()->dataForType(NSPasteboardTypeString);
    if (!data || size_t(CFDataGetLength(data)) > kMaxPasteboardBytes)
        return false;
    text.assign(reinterpret_cast<const char*>(CFDataGetBytePtr(data)), size_t(CFDataGetLength(data)));
    return true;
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
