// The preset text on the Windows clipboard, as CF_TEXT.
#include "win32frame.h"

#include <cstring>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

namespace {
constexpr size_t kBlockBytes = 10000; // the longest text (9,999 bytes) and its terminator

// Another program may hold the clipboard for a moment.
bool openClipboard(HWND owner) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (OpenClipboard(owner))
            return true;
        Sleep(5);
    }
    return false;
}
} // namespace

bool Win32PlatformFrame::setClipboard(const std::string& text) {
    if (text.size() >= kBlockBytes)
        return false;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, kBlockBytes);
    if (!block)
        return false;
    if (char* bytes = static_cast<char*>(GlobalLock(block))) {
        std::memcpy(bytes, text.data(), text.size());
        bytes[text.size()] = '\0';
        GlobalUnlock(block);
    }
    // The window owns the clipboard: with no owner, EmptyClipboard leaves one
    // that makes SetClipboardData fail.
    if (!openClipboard(windowGone ? nullptr : window)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    bool ok = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    if (!ok)
        GlobalFree(block); // still ours when the clipboard refused it
    return ok;
}

bool Win32PlatformFrame::getClipboard(std::string& text) {
    text.clear();
    if (!openClipboard(windowGone ? nullptr : window))
        return false;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            size_t limit = std::min<size_t>(GlobalSize(data), kBlockBytes - 1);
            text.assign(bytes, strnlen(bytes, limit));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return !text.empty();
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
