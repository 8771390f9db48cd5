#include "controls.h"
#include "drawdevice.h"
#include "platform.h"
#include "systemservices.h"
#include "popupmenu.h"
#include "view.h"
#ifdef QUILLATONE_X11
#include "x11/x11frame.h"
#endif
#ifdef _WIN32
#include "win32/win32frame.h"
#endif

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

namespace {
constexpr size_t kMaxDirtyRects = 16;
constexpr size_t kMaxClipboardBytes = 9999;

FontSpec tooltipFont() { return {"DejaVu Sans", 0, 12}; }

int roundSize(double v) {
    if (!std::isfinite(v) || v < 1)
        return 1;
    return int(std::min(32767.0, std::round(v)));
}
} // namespace

CFrame::CFrame(const CRect& r, void* systemWindow, VSTGUIEditorInterface* ed)
    : CView(r), editor(ed), wantsWindow(systemWindow != nullptr) {
    frame = this;
    pxWidth = roundSize(r.getWidth());
    pxHeight = roundSize(r.getHeight());
    resizeBackBuffer();
#ifdef QUILLATONE_X11
    if (systemWindow) {
        const SystemServices& system = systemServices();
        const uintptr_t parent =
            system.nativeParent ? system.nativeParent(systemWindow) : reinterpret_cast<uintptr_t>(systemWindow);
        platform = createX11PlatformFrame(this, parent, pxWidth, pxHeight);
    }
#endif
#ifdef _WIN32
    if (systemWindow)
        platform = createWin32PlatformFrame(this, static_cast<HWND>(systemWindow), pxWidth, pxHeight);
#endif
}

CFrame::~CFrame() {
    closePopup();
    if (capture) {
        CView* v = capture;
        capture = nullptr;
        // Keep the host's begin and end edits balanced without notifying.
        if (auto* control = dynamic_cast<CControl*>(v))
            while (control->isEditing())
                control->endEdit();
        v->forget();
    }
    tooltipView = nullptr;
    removeAll(true);
    finishedPopups.clear();
    platform.reset();
}

bool CFrame::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "CFrame") == 0) || CView::isTypeOf(name);
}

void CFrame::setBackgroundColor(const CColor& c) {
    background = c;
    invalid();
}

void CFrame::enableTooltips(bool state, uint32 delayMs) {
    tooltipsEnabled = state;
    tooltipDelay = delayMs;
    if (!state)
        hideTooltip();
}

bool CFrame::setZoom(double z) {
    if (!std::isfinite(z) || z <= 0 || z > 16)
        return false;
    CRect oldPx(0, 0, pxWidth, pxHeight);
    zoom = z;
    int w = roundSize(size.getWidth() * z), h = roundSize(size.getHeight() * z);
    if (editor)
        editor->beforeSizeChange(CRect(0, 0, w, h), oldPx);
    if (w != pxWidth || h != pxHeight) {
        pxWidth = w;
        pxHeight = h;
        if (platform)
            platform->resize(w, h);
        resizeBackBuffer();
    }
    invalid();
    return true;
}

void CFrame::setViewSize(const CRect& rect, bool inval) {
    CView::setViewSize(rect, false);
    setZoom(zoom);
    if (inval)
        invalid();
}

void CFrame::resizeBackBuffer() {
    backBuffer = DrawSurface::create(pxWidth, pxHeight);
    dirtyRects.clear();
    addDirty({0, 0, pxWidth, pxHeight});
}

bool CFrame::addView(CView* view) {
    if (!view || view == this || view->isAttached())
        return false;
    children.push_back(view);
    view->attached(this);
    view->invalid();
    return true;
}

bool CFrame::removeView(CView* view, bool withForget) {
    auto it = std::find(children.begin(), children.end(), view);
    if (it == children.end())
        return false;
    view->invalid();
    children.erase(it);
    if (capture == view)
        releaseCapture(false);
    if (tooltipView == view) {
        hideTooltip();
        tooltipView = nullptr;
    }
    view->removed(this);
    if (withForget)
        view->forget();
    return true;
}

bool CFrame::removeAll(bool withForget) {
    if (capture)
        releaseCapture(false);
    hideTooltip();
    tooltipView = nullptr;
    while (!children.empty()) {
        CView* v = children.back();
        children.pop_back();
        v->removed(this);
        if (withForget)
            v->forget();
    }
    invalid();
    return true;
}

CView* CFrame::getView(int32 index) const {
    return index >= 0 && size_t(index) < children.size() ? children[size_t(index)] : nullptr;
}

CView* CFrame::getViewAt(const CPoint& where) const {
    for (size_t i = children.size(); i-- > 0;)
        if (children[i]->isVisible() && children[i]->getViewSize().pointInside(where))
            return children[i];
    return nullptr;
}

// ---- invalidation and painting -------------------------------------------------

PixelRect CFrame::toPixels(const CRect& d) const {
    double l = std::floor(d.left * zoom) - 1, t = std::floor(d.top * zoom) - 1;
    double r = std::ceil(d.right * zoom) + 1, b = std::ceil(d.bottom * zoom) + 1;
    if (!std::isfinite(l) || !std::isfinite(t) || !std::isfinite(r) || !std::isfinite(b))
        return {};
    auto clampX = [this](double v) { return int(std::clamp(v, 0.0, double(pxWidth))); };
    auto clampY = [this](double v) { return int(std::clamp(v, 0.0, double(pxHeight))); };
    return {clampX(l), clampY(t), clampX(r), clampY(b)};
}

void CFrame::invalid() { addDirty({0, 0, pxWidth, pxHeight}); }

void CFrame::invalidRect(const CRect& rect) { addDirty(toPixels(rect)); }

void CFrame::addDirty(const PixelRect& r) {
    if (r.empty())
        return;
    if (std::this_thread::get_id() != guiThread) {
        foreignInvalidation.store(true, std::memory_order_relaxed);
        return;
    }
    for (const PixelRect& d : dirtyRects)
        if (d.contains(r))
            return;
    dirtyRects.erase(std::remove_if(dirtyRects.begin(), dirtyRects.end(),
                                    [&r](const PixelRect& d) { return r.contains(d); }),
                     dirtyRects.end());
    if (dirtyRects.size() < kMaxDirtyRects) {
        dirtyRects.push_back(r);
        return;
    }
    // Merge into the rectangle that grows least.
    size_t best = 0;
    long bestGrowth = -1;
    for (size_t i = 0; i < dirtyRects.size(); ++i) {
        long growth = dirtyRects[i].united(r).area() - dirtyRects[i].area();
        if (bestGrowth < 0 || growth < bestGrowth) {
            bestGrowth = growth;
            best = i;
        }
    }
    dirtyRects[best] = dirtyRects[best].united(r);
}

void CFrame::paintDirty() {
    if (foreignInvalidation.exchange(false, std::memory_order_relaxed))
        addDirty({0, 0, pxWidth, pxHeight});
    if (!backBuffer || dirtyRects.empty())
        return;
    remember();
    std::vector<PixelRect> rects;
    rects.swap(dirtyRects);
    for (const PixelRect& r : rects) {
        backBuffer->fillRect(r, background);

        CRect area(r.x0 / zoom, r.y0 / zoom, r.x1 / zoom, r.y1 / zoom);
        std::vector<CView*> views = children;
        for (CView* v : views) {
            if (std::find(children.begin(), children.end(), v) == children.end() || !v->isVisible())
                continue;
            const CRect& vr = v->getViewSize();
            if (!vr.rectOverlap(area))
                continue;
            CRect clip = vr;
            clip.bound(area);
            // A fresh device per view: an error in one cannot spoil the others.
            std::unique_ptr<DrawDevice> device = backBuffer->device(r, zoom);
            device->setClip(vr);
            v->remember();
            {
                CDrawContext context(std::move(device), clip);
                v->drawRect(&context, clip);
            }
            v->setDirty(false);
            v->forget();
        }
        if (tooltipShown && !PixelRect{std::max(r.x0, tooltipRect.x0), std::max(r.y0, tooltipRect.y0),
                                       std::min(r.x1, tooltipRect.x1), std::min(r.y1, tooltipRect.y1)}
                                 .empty()) {
            drawTooltip(r);
        }
        presentRects.push_back(r);
    }
    forget();
}

void CFrame::renderAll() {
    invalid();
    paintDirty();
}

bool CFrame::writePNG(const char* path) {
    if (!backBuffer || !path)
        return false;
    paintDirty();
    return backBuffer->writePNG(path);
}

CColor CFrame::pixelAt(int x, int y) {
    if (!backBuffer || x < 0 || y < 0 || x >= pxWidth || y >= pxHeight)
        return CColor(0, 0, 0, 0);
    return backBuffer->pixelAt(x, y);
}

std::vector<PixelRect> CFrame::takePresentList() {
    std::vector<PixelRect> out;
    out.swap(presentRects);
    return out;
}

void CFrame::addPresent(const PixelRect& r) {
    if (!r.empty())
        presentRects.push_back(r);
}

uint32 CFrame::getTicks() const {
    static VSTGUIEditorInterface clock;
    return editor ? editor->getTicks() : clock.getTicks();
}

void CFrame::idle() {
    remember();
    if (platform)
        platform->pump();
    if (popup && popup->finished())
        closePopup();
    updateTooltip();
    paintDirty();
    std::vector<PixelRect> present = takePresentList();
    if (platform && !present.empty())
        platform->present(present);
    finishedPopups.clear();
    forget();
}

// ---- mouse --------------------------------------------------------------------

void CFrame::platformMouseDown(double px, double py, const CButtonState& buttons) {
    lastPixel = CPoint(px, py);
    CPoint where(px / zoom, py / zoom);
    onMouseDown(where, buttons);
}

void CFrame::platformMouseMoved(double px, double py, const CButtonState& buttons) {
    lastPixel = CPoint(px, py);
    CPoint where(px / zoom, py / zoom);
    onMouseMoved(where, buttons);
}

void CFrame::platformMouseUp(double px, double py, const CButtonState& buttons) {
    lastPixel = CPoint(px, py);
    CPoint where(px / zoom, py / zoom);
    onMouseUp(where, buttons);
}

bool CFrame::platformWheel(double px, double py, float distance, const CButtonState& buttons) {
    lastPixel = CPoint(px, py);
    return onWheel(CPoint(px / zoom, py / zoom), distance, buttons);
}

void CFrame::platformLeave() {
    if (!capture) {
        hideTooltip();
        tooltipView = nullptr;
    }
}

void CFrame::platformClosed() {
    closePopup();
    if (capture)
        releaseCapture(true);
}

bool CFrame::platformKey(VstKeyCode& key, bool down) {
    if (getOpenPopup())
        return true; // the pop-up has the keyboard
    for (size_t i = children.size(); i-- > 0;) {
        if (i >= children.size() || !children[i]->isVisible())
            continue;
        int32 r = down ? children[i]->onKeyDown(key) : children[i]->onKeyUp(key);
        if (r >= 0)
            return true;
    }
    return false;
}

bool CFrame::popupKey(int key) {
    PopupMenuModel* p = getOpenPopup();
    if (!p)
        return false;
    p->key(PopupMenuModel::Key(key));
    if (p->finished())
        closePopup();
    return true;
}

void CFrame::releaseCapture(bool deliverUp) {
    CView* v = capture;
    if (!v)
        return;
    capture = nullptr;
    if (deliverUp) {
        CPoint p = lastMouse;
        v->onMouseUp(p, captureButtons);
    }
    v->forget();
}

CMouseEventResult CFrame::onMouseDown(CPoint& where, const CButtonState& buttons) {
    hideTooltip();
    if (popup)
        closePopup();
    remember();
    if (capture) // a mouse-up was lost: finish that gesture first
        releaseCapture(true);
    lastMouse = where;
    CMouseEventResult result = kMouseEventNotHandled;
    for (size_t i = children.size(); i-- > 0;) {
        if (i >= children.size())
            continue;
        CView* v = children[i];
        if (!v->isVisible() || !v->getMouseEnabled() || !v->getViewSize().pointInside(where))
            continue;
        v->remember();
        CPoint p = where;
        CMouseEventResult r = v->onMouseDown(p, buttons);
        if (r == kMouseEventHandled) {
            if (capture)
                capture->forget();
            capture = v; // keeps the reference taken above
            captureButtons = buttons;
            result = kMouseEventHandled;
            break;
        }
        v->forget();
        if (r == kMouseDownEventHandledButDontNeedMovedOrUpEvents || r == kMouseMoveEventHandledButDontNeedMoreEvents) {
            result = kMouseEventHandled;
            break;
        }
    }
    forget();
    return result;
}

CMouseEventResult CFrame::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    lastMouse = where;
    if (capture) {
        if (buttons.getButtonState() == 0) { // the release was lost to a grab or a dialog
            releaseCapture(true);
            return kMouseEventHandled;
        }
        remember();
        CView* v = capture;
        v->remember();
        CPoint p = where;
        v->onMouseMoved(p, buttons);
        v->forget();
        forget();
        return kMouseEventHandled;
    }
    if (tooltipShown)
        hideTooltip();
    CView* hover = nullptr;
    for (size_t i = children.size(); i-- > 0;) {
        CView* v = children[i];
        if (v->isVisible() && v->getViewSize().pointInside(where)) {
            uint32 n = 0;
            if (v->getAttributeSize(kCViewTooltipAttribute, n) && n > 1)
                hover = v;
            break;
        }
    }
    tooltipView = hover;
    hoverSince = getTicks();
    return kMouseEventNotHandled;
}

CMouseEventResult CFrame::onMouseUp(CPoint& where, const CButtonState& buttons) {
    lastMouse = where;
    if (!capture)
        return kMouseEventNotHandled;
    remember();
    CView* v = capture;
    capture = nullptr;
    CPoint p = where;
    v->onMouseUp(p, buttons);
    v->forget();
    forget();
    return kMouseEventHandled;
}

bool CFrame::onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) {
    hideTooltip();
    if (PopupMenuModel* p = getOpenPopup()) {
        p->wheel(distance > 0 ? -1 : 1);
        return true;
    }
    for (size_t i = children.size(); i-- > 0;) {
        CView* v = children[i];
        if (v->isVisible() && v->getMouseEnabled() && v->getViewSize().pointInside(where))
            if (v->onWheel(where, distance, buttons))
                return true;
    }
    return false;
}

// ---- tooltips -------------------------------------------------------------------

void CFrame::updateTooltip() {
    if (!tooltipsEnabled || tooltipShown || !tooltipView || capture || getOpenPopup())
        return;
    if (getTicks() - hoverSince < tooltipDelay)
        return;
    uint32 n = 0;
    if (!tooltipView->getAttributeSize(kCViewTooltipAttribute, n) || n < 2)
        return;
    std::vector<char> text(n);
    tooltipView->getAttribute(kCViewTooltipAttribute, n, text.data(), n);
    text.back() = 0;
    tooltipText = text.data();

    int w = std::min(pxWidth, int(std::ceil(textAdvance(tooltipFont(), tooltipText.c_str()))) + 10), h = 20;
    int x = std::clamp(int(lastPixel.x) + 8, 0, std::max(0, pxWidth - w));
    int y = int(lastPixel.y) + 20;
    if (y + h > pxHeight)
        y = int(lastPixel.y) - h - 4;
    y = std::clamp(y, 0, std::max(0, pxHeight - h));
    tooltipRect = {x, y, x + w, y + h};
    tooltipShown = true;
    addDirty(tooltipRect);
}

void CFrame::hideTooltip() {
    if (!tooltipShown)
        return;
    tooltipShown = false;
    addDirty(tooltipRect);
}

void CFrame::drawTooltip(const PixelRect& area) {
    const PixelRect& r = tooltipRect;
    CDrawContext context(backBuffer->device(area, 1.0));
    CRect box(r.x0, r.y0, r.x1, r.y1);
    context.setFillColor(CColor(255, 255, 224));
    context.setFrameColor(CColor(51, 51, 51));
    context.setLineWidth(1);
    context.drawRect(box, kDrawFilledAndStroked);
    context.setClipRect(box);
    CFontDesc font(tooltipFont().family.c_str(), tooltipFont().size);
    context.setFont(&font);
    context.setFontColor(kBlackCColor);
    context.drawString(tooltipText.c_str(), CPoint(r.x0 + 5, r.y1 - 6));
}

// ---- pop-ups, clipboard, screen ---------------------------------------------------

void CFrame::screenSize(int& width, int& height) const {
    width = 1280;
    height = 1024;
    if (platform)
        platform->screenSize(width, height);
}

bool CFrame::openPopup(std::unique_ptr<PopupMenuModel> model, const CRect& anchor) {
    if (!model)
        return false;
    closePopup();
    hideTooltip();
    int sw, sh;
    screenSize(sw, sh);
    model->layout(sw, sh);
    popup = std::move(model);
    if (platform && !platform->showPopup(popup.get(), toPixels(anchor))) {
        closePopup();
        return false;
    }
    return true;
}

PopupMenuModel* CFrame::getOpenPopup() const {
    return popup && !popup->finished() ? popup.get() : nullptr;
}

void CFrame::closePopup() {
    if (!popup)
        return;
    std::unique_ptr<PopupMenuModel> p = std::move(popup);
    if (platform)
        platform->closePopup();
    PopupMenuModel* raw = p.get();
    finishedPopups.push_back(std::move(p)); // freed at the next idle, never inside its own callback
    raw->cancel();
}

bool CFrame::setClipboardText(const char* utf8, size_t length) {
    if (!utf8 || length > kMaxClipboardBytes)
        return false;
    std::string text(utf8, length);
    if (systemServices().setClipboard)
        return systemServices().setClipboard(text);
    if (platform)
        return platform->setClipboard(text);
    clipboard = text;
    return true;
}

bool CFrame::getClipboardText(std::string& text) const {
    if (systemServices().getClipboard)
        return systemServices().getClipboard(text);
    if (platform)
        return platform->getClipboard(text);
    text = clipboard;
    return !clipboard.empty();
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
