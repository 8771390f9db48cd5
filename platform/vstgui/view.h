// Views and the frame that holds them.
#pragma once

#include "base.h"
#include "drawcontext.h"
#include "platform.h"

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

struct VstKeyCode;

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

class CControl;
class CFrame;
class IPlatformFrame;
class PopupMenuModel;

class IControlListener {
public:
    virtual ~IControlListener() = default;
    virtual void valueChanged(CControl* control) = 0;
    virtual int32 controlModifierClicked(CControl*, CButtonState) { return 0; }
    virtual void controlBeginEdit(CControl*) {}
    virtual void controlEndEdit(CControl*) {}
};

class VSTGUIEditorInterface {
public:
    virtual ~VSTGUIEditorInterface() = default;
    virtual void beginEdit(int32 index) { (void)index; }
    virtual void endEdit(int32 index) { (void)index; }
    virtual int32 getKnobMode() const { return 0; }
    virtual CFrame* getFrame() const { return nullptr; }
    virtual bool beforeSizeChange(const CRect& newSize, const CRect& oldSize) {
        (void)newSize; (void)oldSize;
        return true;
    }
    // Monotonic milliseconds, truncated to 32 bits.
    virtual uint32 getTicks() const;
};

// All calls on the GUI thread.
class CView : public CBaseObject {
public:
    explicit CView(const CRect& size);
    ~CView() override = default;

    const CRect& getViewSize() const { return size; }
    virtual void setViewSize(const CRect& rect, bool invalid = true);
    CCoord getWidth() const { return size.getWidth(); }
    CCoord getHeight() const { return size.getHeight(); }

    virtual void draw(CDrawContext* context) { (void)context; }
    virtual void drawRect(CDrawContext* context, const CRect& updateRect);

    // where is in frame design coordinates.
    virtual CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons);
    virtual bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons);
    virtual int32 onKeyDown(VstKeyCode& keyCode);
    virtual int32 onKeyUp(VstKeyCode& keyCode);

    virtual void setDirty(bool state = true);
    virtual bool isDirty() const { return dirty; }
    virtual void invalid();
    virtual void invalidRect(const CRect& rect);

    virtual void setVisible(bool state);
    bool isVisible() const { return visible; }
    virtual void setMouseEnabled(bool state) { mouseEnabled = state; }
    bool getMouseEnabled() const { return mouseEnabled; }

    bool setAttribute(CViewAttributeID id, uint32 inSize, const void* data);
    bool getAttributeSize(CViewAttributeID id, uint32& outSize) const;
    bool getAttribute(CViewAttributeID id, uint32 inSize, void* data, uint32& outSize) const;
    bool removeAttribute(CViewAttributeID id);
    void setTooltipText(UTF8StringPtr text);

    CFrame* getFrame() const { return frame; }
    virtual bool isTypeOf(const char* name) const;
    virtual CView* newCopy() const { return nullptr; }
    virtual bool attached(CView* parent);
    virtual bool removed(CView* parent);
    bool isAttached() const { return frame != nullptr; }

protected:
    CRect size;
    CFrame* frame = nullptr;

private:
    bool dirty = false;
    bool visible = true;
    bool mouseEnabled = true;
    std::map<CViewAttributeID, std::vector<uint8_t>> attributes;
};

// The only container: a window of views, drawn off-screen and, with a
// system window, shown in an X11 child window.
class CFrame : public CView {
public:
    // systemWindow null: off-screen only. Otherwise the XID of the parent;
    // getPlatformFrame() is null when the window cannot be created.
    CFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* editor);
    ~CFrame() override;

    bool isTypeOf(const char* name) const override;
    VSTGUIEditorInterface* getEditor() const { return editor; }
    IPlatformFrame* getPlatformFrame() const { return platform.get(); }
    bool hasSystemWindow() const { return wantsWindow; }

    void setBackground(CBitmap* bitmap) { (void)bitmap; }
    void setBackgroundColor(const CColor& c);
    const CColor& getBackgroundColor() const { return background; }
    void enableTooltips(bool state, uint32 delayMs = 1000);
    bool setZoom(double zoom);
    double getZoom() const { return zoom; }

    bool addView(CView* view);
    bool removeView(CView* view, bool withForget = true);
    bool removeAll(bool withForget = true);
    int32 getNbViews() const { return int32(children.size()); }
    CView* getView(int32 index) const;
    CView* getViewAt(const CPoint& where) const;

    // [any thread] Marks an area for repainting; from a thread other than the
    // one that created the frame, the whole frame is repainted at the next idle.
    void invalid() override;
    void invalidRect(const CRect& rect) override;
    void setViewSize(const CRect& rect, bool invalid = true) override;

    // [GUI thread] Pumps the window, runs the timers, paints and presents.
    void idle();
    // Paints every dirty area into the back buffer.
    void paintDirty();

    // Events in window pixels, from the platform or from tests.
    void platformMouseDown(double px, double py, const CButtonState& buttons);
    void platformMouseMoved(double px, double py, const CButtonState& buttons);
    void platformMouseUp(double px, double py, const CButtonState& buttons);
    bool platformWheel(double px, double py, float distance, const CButtonState& buttons = 0);
    bool platformKey(VstKeyCode& key, bool down);
    // A pop-up's own key handling; true when a pop-up consumed it.
    bool popupKey(int key);
    void platformLeave();
    void platformClosed();

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) override;
    CView* getMouseCapture() const { return capture; }
    const CPoint& getLastMouse() const { return lastMouse; }

    // Pop-up menus: opened by option menus, cancelled by a press elsewhere.
    bool openPopup(std::unique_ptr<PopupMenuModel> model, const CRect& anchor);
    // The open pop-up, or null; tests drive it directly.
    PopupMenuModel* getOpenPopup() const;
    void closePopup();
    void screenSize(int& width, int& height) const;

    bool setClipboardText(const char* utf8, size_t length);
    bool getClipboardText(std::string& text) const;

    // Test and debug helpers.
    void renderAll();
    DrawSurface* getBackBuffer() const { return backBuffer.get(); }
    bool writePNG(const char* path);
    CColor pixelAt(int x, int y);
    int pixelWidth() const { return pxWidth; }
    int pixelHeight() const { return pxHeight; }
    bool isTooltipVisible() const { return tooltipShown; }
    uint32 getTicks() const;

    // Areas painted since the last present (the platform copies them).
    std::vector<PixelRect> takePresentList();
    void addPresent(const PixelRect& r);

private:
    void addDirty(const PixelRect& r);
    PixelRect toPixels(const CRect& design) const;
    void resizeBackBuffer();
    void releaseCapture(bool deliverUp);
    void updateTooltip();
    void hideTooltip();
    void drawTooltip(const PixelRect& area);
    void popupFinished();

    VSTGUIEditorInterface* editor;
    std::unique_ptr<IPlatformFrame> platform;
    bool wantsWindow;
    std::vector<CView*> children;
    CColor background{0, 0, 0, 255};
    double zoom = 1.0;
    int pxWidth = 0, pxHeight = 0;
    std::unique_ptr<DrawSurface> backBuffer;
    std::vector<PixelRect> dirtyRects;
    std::vector<PixelRect> presentRects;
    // Invalidation from another thread (a parameter set by the host) only
    // raises this flag; the next idle repaints everything.
    std::thread::id guiThread = std::this_thread::get_id();
    std::atomic<bool> foreignInvalidation{false};

    CView* capture = nullptr;
    CButtonState captureButtons;
    CPoint lastMouse;
    CPoint lastPixel;

    bool tooltipsEnabled = false;
    uint32 tooltipDelay = 1000;
    CView* tooltipView = nullptr;
    uint32 hoverSince = 0;
    bool tooltipShown = false;
    std::string tooltipText;
    PixelRect tooltipRect;

    std::unique_ptr<PopupMenuModel> popup;
    std::vector<std::unique_ptr<PopupMenuModel>> finishedPopups;
    std::string clipboard;
};

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
