// Internal: the Win32 window of a frame, a child of the host's window,
// showing the GDI+ back buffer.
#pragma once

#include "../drawdevice.h"
#include "../platform.h"

#include <memory>
#include <string>
#include <vector>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

// A child window of parent, or null when parent is not a window or the
// window cannot be made.
std::unique_ptr<IPlatformFrame> createWin32PlatformFrame(CFrame* frame, HWND parent, int width, int height);
// The pop-up window class of this module (registered while a frame is open).
const char* win32PopupClass();

// Every call on the GUI thread: the thread of the host's window, whose
// message loop delivers our messages; idle comes from the host's calls.
class Win32PlatformFrame : public IPlatformFrame {
public:
    Win32PlatformFrame(CFrame* frame, int width, int height);
    ~Win32PlatformFrame() override;
    bool open(HWND parent);

    void pump() override;
    void present(const std::vector<PixelRect>& areas) override;
    void resize(int width, int height) override;
    bool showPopup(PopupMenuModel* model, const PixelRect& anchor) override;
    void closePopup() override;
    bool setClipboard(const std::string& text) override;
    bool getClipboard(std::string& text) override;
    void screenSize(int& width, int& height) override;
    bool runFileDialog(const std::vector<std::string>& argv, std::string& output, int& status) override;
    unsigned long windowId() const override { return static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)); }
    bool hasNativeFileDialog() const override { return true; }
    bool runNativeFileDialog(const CNewFileSelector::Request& request, std::string& path) override;

    HWND getWindow() const { return window; }

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK popupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handlePopup(UINT message, WPARAM wParam, LPARAM lParam);
    void mouseButton(UINT message, WPARAM wParam, LPARAM lParam);
    // Copies back-buffer pixels to a device context.
    static void blit(HDC dc, DrawSurface* surface, const PixelRect& area);
    void drawPopup();
    // Serves paint messages of our windows only, while a dialog blocks.
    void servePaint();

    CFrame* frame;
    int width, height;
    HWND window = nullptr;
    bool windowGone = false;
    bool tracking = false;

    PopupMenuModel* popup = nullptr;
    HWND popupWindow = nullptr;
    std::unique_ptr<DrawSurface> popupSurface;
    uint32 popupOpened = 0;
    bool closingPopup = false;
};

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
