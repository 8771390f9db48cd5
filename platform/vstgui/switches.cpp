#include "controls.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

namespace {
// Position of a coordinate among n equal segments starting at origin.
int32 segmentAt(double coord, double origin, double extent, int32 n) {
    if (n <= 1 || !(extent > 0) || !std::isfinite(coord))
        return 0;
    double pos = std::floor((coord - origin) / (extent / n));
    return int32(std::clamp(pos, 0.0, double(n - 1)));
}

template <typename Switch>
CMouseEventResult switchDown(Switch& s, CPoint& where, const CButtonState& buttons) {
    if (!buttons.isLeftButton() || s.getNumSubPixmaps() <= 0)
        return kMouseEventNotHandled;
    s.beginEdit();
    if (s.checkDefaultValue(buttons)) {
        s.endEdit();
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    return s.onMouseMoved(where, buttons);
}

template <typename Switch>
void switchTo(Switch& s, int32 pos) {
    int32 n = s.getNumSubPixmaps();
    float v = n <= 1 ? s.getMin() : s.getMin() + (s.getMax() - s.getMin()) * float(pos) / float(n - 1);
    float before = s.getValue();
    s.setValue(v);
    // Also a change back to the last drawn value must reach the listener.
    if (s.getValue() != before || s.isDirty()) {
        s.valueChanged();
        s.invalid();
    }
}
template <typename Switch>
CMouseEventResult switchUp(Switch& s) {
    if (s.isEditing())
        s.endEdit();
    return kMouseEventHandled;
}

// Gives a fresh copy the images and range of its original.
template <typename Switch>
CView* copiedSwitch(const Switch& original, Switch* c) {
    c->setNumSubPixmaps(original.getNumSubPixmaps());
    c->setHeightOfOneImage(original.getHeightOfOneImage());
    c->setMin(original.getMin());
    c->setMax(original.getMax());
    c->setValue(original.getValue());
    return c;
}
} // namespace

// ---- CHorizontalSwitch ------------------------------------------------------------

CHorizontalSwitch::CHorizontalSwitch(const CRect& size, IControlListener* l, int32 t, CBitmap* background,
                                     const CPoint& o)
    : CControl(size, l, t, background), offset(o) {}

CHorizontalSwitch::CHorizontalSwitch(const CRect& size, IControlListener* l, int32 t, int32 subPixmaps,
                                     CCoord heightOfOneImage, int32, CBitmap* background, const CPoint& o)
    : CHorizontalSwitch(size, l, t, background, o) {
    setNumSubPixmaps(subPixmaps);
    setHeightOfOneImage(heightOfOneImage);
}

void CHorizontalSwitch::draw(CDrawContext*) { setDirty(false); }

CMouseEventResult CHorizontalSwitch::onMouseDown(CPoint& where, const CButtonState& buttons) {
    return switchDown(*this, where, buttons);
}

CMouseEventResult CHorizontalSwitch::onMouseMoved(CPoint& where, const CButtonState&) {
    if (!isEditing())
        return kMouseEventNotHandled;
    switchTo(*this, segmentAt(where.x, size.left, size.getWidth(), getNumSubPixmaps()));
    return kMouseEventHandled;
}

CMouseEventResult CHorizontalSwitch::onMouseUp(CPoint&, const CButtonState&) { return switchUp(*this); }

bool CHorizontalSwitch::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "CHorizontalSwitch") == 0) || CControl::isTypeOf(name);
}

CView* CHorizontalSwitch::newCopy() const {
    return copiedSwitch(*this, new CHorizontalSwitch(size, listener, tag, nullptr, offset));
}

// ---- CVerticalSwitch --------------------------------------------------------------

CVerticalSwitch::CVerticalSwitch(const CRect& size, IControlListener* l, int32 t, CBitmap* background,
                                 const CPoint& o)
    : CControl(size, l, t, background), offset(o) {}

CVerticalSwitch::CVerticalSwitch(const CRect& size, IControlListener* l, int32 t, int32 subPixmaps,
                                 CCoord heightOfOneImage, int32, CBitmap* background, const CPoint& o)
    : CVerticalSwitch(size, l, t, background, o) {
    setNumSubPixmaps(subPixmaps);
    setHeightOfOneImage(heightOfOneImage);
}

void CVerticalSwitch::draw(CDrawContext*) { setDirty(false); }

CMouseEventResult CVerticalSwitch::onMouseDown(CPoint& where, const CButtonState& buttons) {
    return switchDown(*this, where, buttons);
}

CMouseEventResult CVerticalSwitch::onMouseMoved(CPoint& where, const CButtonState&) {
    if (!isEditing())
        return kMouseEventNotHandled;
    switchTo(*this, segmentAt(where.y, size.top, size.getHeight(), getNumSubPixmaps()));
    return kMouseEventHandled;
}

CMouseEventResult CVerticalSwitch::onMouseUp(CPoint&, const CButtonState&) { return switchUp(*this); }

bool CVerticalSwitch::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "CVerticalSwitch") == 0) || CControl::isTypeOf(name);
}

CView* CVerticalSwitch::newCopy() const {
    return copiedSwitch(*this, new CVerticalSwitch(size, listener, tag, nullptr, offset));
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
