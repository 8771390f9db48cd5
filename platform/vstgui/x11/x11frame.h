// Internal: the X11 window of a frame, through xcb and cairo-xcb.
#pragma once

#include "../platform.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <xcb/xcb.h>

typedef struct _cairo_surface cairo_surface_t;

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

// A child window of parent, or null when it cannot be created (no display,
// invalid parent, a visual other than TrueColor).
std::unique_ptr<IPlatformFrame> createX11PlatformFrame(CFrame* frame, uintptr_t parent, int width, int height);

// All calls on the host's GUI thread; no threads of our own.
class X11PlatformFrame : public IPlatformFrame {
public:
    X11PlatformFrame(CFrame* frame, int width, int height);
    ~X11PlatformFrame() override;
    bool open(xcb_window_t parent);

    void pump() override;
    void present(const std::vector<PixelRect>& areas) override;
    void resize(int width, int height) override;
    bool showPopup(PopupMenuModel* model, const PixelRect& anchor) override;
    void closePopup() override;
    bool setClipboard(const std::string& text) override;
    bool getClipboard(std::string& text) override;
    void screenSize(int& width, int& height) override;
    bool runFileDialog(const std::vector<std::string>& argv, std::string& output, int& status) override;
    unsigned long windowId() const override { return window; }

    bool isDead() const { return dead; }

    // Waits until the server has handled every request sent so far, reading
    // the events it queued before. [GUI thread]
    void roundTrip();

    // How long closing waits for a clipboard manager to take the text (300 ms
    // unless set). [GUI thread]
    static void setClipboardHandOverLimit(int milliseconds);

private:
    // Handles one event; modal drops input and serves only Expose and selections.
    void handleEvent(xcb_generic_event_t* event, bool modal);
    void handleButton(xcb_button_press_event_t* e, bool press);
    void handleMotion(xcb_motion_notify_event_t* e);
    void drain(bool modal);
    bool checkConnection();
    xcb_atom_t atom(const char* name);
    void blit(const std::vector<PixelRect>& areas);

    // pop-up (x11popup.cpp)
    void popupEvent(xcb_generic_event_t* event);
    void drawPopup();
    void loadKeyMap();
    int keyFor(xcb_keycode_t code) const;

    // clipboard (x11clipboard.cpp)
    void selectionRequest(xcb_selection_request_event_t* e);
    void handOverClipboard();
    bool waitForEvent(uint8_t type, xcb_window_t window, int timeoutMs, xcb_generic_event_t** out);

    CFrame* frame;
    int width, height;
    xcb_connection_t* conn = nullptr;
    xcb_screen_t* screen = nullptr;
    xcb_window_t window = 0;
    xcb_visualtype_t* visual = nullptr;
    cairo_surface_t* surface = nullptr;
    bool dead = false;
    bool windowGone = false;
    bool mapped = false;
    std::vector<PixelRect> exposed;

    xcb_timestamp_t lastEventTime = XCB_CURRENT_TIME;
    uint32_t lastPressTime = 0;
    int lastPressButton = 0;
    int lastPressX = -100, lastPressY = -100;

    PopupMenuModel* popup = nullptr;
    xcb_window_t popupWindow = 0;
    cairo_surface_t* popupSurface = nullptr;
    int popupX = 0, popupY = 0;
    uint32_t popupOpened = 0;
    std::vector<std::pair<xcb_keycode_t, int>> keyMap;

    std::string clipText;
    bool ownsClipboard = false;
    xcb_timestamp_t ownershipTime = XCB_CURRENT_TIME;
};

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
