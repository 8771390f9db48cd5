// Internal: what a frame needs from a windowing backend.
#pragma once

#include "base.h"
#include "fileselector.h"

#include <string>
#include <vector>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

class CFrame;
class PopupMenuModel;

// Pixel rectangle, half-open [x0, x1) x [y0, y1).
struct PixelRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty() const { return x1 <= x0 || y1 <= y0; }
    long area() const { return empty() ? 0 : long(x1 - x0) * (y1 - y0); }
    bool contains(const PixelRect& r) const { return r.x0 >= x0 && r.y0 >= y0 && r.x1 <= x1 && r.y1 <= y1; }
    PixelRect united(const PixelRect& r) const;
};

class IPlatformFrame {
public:
    virtual ~IPlatformFrame() = default;
    // [GUI thread] Handles pending window events, calling back into the frame.
    virtual void pump() = 0;
    // [GUI thread] Copies these areas of the back buffer to the window.
    virtual void present(const std::vector<PixelRect>& areas) = 0;
    virtual void resize(int width, int height) = 0;
    // [GUI thread] Shows the model's menu below the anchor (window pixels).
    virtual bool showPopup(PopupMenuModel* model, const PixelRect& anchor) = 0;
    virtual void closePopup() = 0;
    virtual bool setClipboard(const std::string& text) = 0;
    virtual bool getClipboard(std::string& text) = 0;
    virtual void screenSize(int& width, int& height) = 0;
    // Blocks while a dialog program runs; keeps the window repainting.
    virtual bool runFileDialog(const std::vector<std::string>& argv, std::string& output, int& status) = 0;
    virtual unsigned long windowId() const = 0;
    // The platform's own file dialog, when it has one; blocks while it is open.
    virtual bool hasNativeFileDialog() const { return false; }
    virtual bool runNativeFileDialog(const CNewFileSelector::Request&, std::string&) { return false; }
};

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
