#include "controls.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

namespace {
bool nameIs(const char* name, const char* what) { return name && std::strcmp(name, what) == 0; }
} // namespace

// ---- CControl -------------------------------------------------------------------

CControl::CControl(const CRect& size, IControlListener* l, int32 t, CBitmap*) : CView(size), listener(l), tag(t) {}

void CControl::setValue(float v) {
    if (!std::isfinite(v))
        return;
    v = std::clamp(v, std::min(vmin, vmax), std::max(vmin, vmax));
    if (v == value)
        return;
    value = v;
    invalid();
}

void CControl::valueChanged() {
    if (listener)
        listener->valueChanged(this);
}

void CControl::beginEdit() {
    if (editCount++ > 0)
        return;
    if (listener)
        listener->controlBeginEdit(this);
    if (frame && frame->getEditor())
        frame->getEditor()->beginEdit(tag);
}

void CControl::endEdit() {
    if (editCount <= 0)
        return;
    if (--editCount > 0)
        return;
    if (frame && frame->getEditor())
        frame->getEditor()->endEdit(tag);
    if (listener)
        listener->controlEndEdit(this);
}

bool CControl::checkDefaultValue(const CButtonState& buttons) {
    if (!buttons.isLeftButton() || buttons.getModifierState() != kDefaultValueModifier)
        return false;
    if (value != defaultValue) {
        beginEdit();
        setValue(defaultValue);
        valueChanged();
        endEdit();
    }
    return true;
}

bool CControl::isDirty() const { return CView::isDirty() || value != oldValue; }

void CControl::setDirty(bool state) {
    CView::setDirty(state);
    if (!state)
        oldValue = value;
}

bool CControl::isTypeOf(const char* name) const { return nameIs(name, "CControl") || CView::isTypeOf(name); }

// ---- CKnob ------------------------------------------------------------------------

CKnob::CKnob(const CRect& size, IControlListener* l, int32 t, CBitmap* background, CBitmap*, const CPoint& o,
             int32 style)
    : CControl(size, l, t, background), offset(o), drawStyle(style) {}

void CKnob::draw(CDrawContext*) { setDirty(false); }

bool CKnob::isTypeOf(const char* name) const { return nameIs(name, "CKnob") || CControl::isTypeOf(name); }

// Knob angle: 0 at 120 degrees on screen (lower left), 1 after 300 degrees clockwise.
float CKnob::valueFromAngle(const CPoint& where) const {
    CPoint c = size.getCenter();
    double deg = std::atan2(where.y - c.y, where.x - c.x) * 180.0 / 3.141592653589793;
    double rel = deg - 120.0;
    while (rel < 0)
        rel += 360.0;
    while (rel >= 360.0)
        rel -= 360.0;
    if (rel > 300.0)
        rel = rel > 330.0 ? 0.0 : 300.0;
    return float(rel / 300.0);
}

CMouseEventResult CKnob::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!buttons.isLeftButton())
        return kMouseEventNotHandled;
    beginEdit();
    if (checkDefaultValue(buttons)) {
        endEdit();
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    firstPoint = where;
    entryValue = value;
    fine = (buttons & kZoomModifier) != 0;
    mode = kLinearMode;
    if (frame && frame->getEditor())
        mode = frame->getEditor()->getKnobMode();
    lastAngleValue = valueFromAngle(where);
    if (mode == kCircularMode) {
        float range = vmax - vmin;
        float v = vmin + lastAngleValue * range;
        if (v != value) {
            setValue(v);
            valueChanged();
        }
    }
    return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseMoved(CPoint& where, const CButtonState&) {
    if (!isEditing())
        return kMouseEventNotHandled;
    if (!std::isfinite(where.x) || !std::isfinite(where.y))
        return kMouseEventHandled;
    float range = vmax - vmin;
    float v = value;
    if (mode == kCircularMode) {
        v = vmin + valueFromAngle(where) * range;
    } else if (mode == kRelativCircularMode) {
        float a = valueFromAngle(where);
        float delta = a - lastAngleValue;
        lastAngleValue = a;
        if (std::fabs(delta) < 0.5f) // ignore the jump across the gap at the bottom
            v = value + delta * range * (fine ? 0.1f : 1.0f);
    } else {
        double diff = (firstPoint.y - where.y) / 200.0 * range;
        if (fine)
            diff /= 10.0;
        v = float(entryValue + diff);
    }
    v = std::clamp(v, std::min(vmin, vmax), std::max(vmin, vmax));
    if (v != value) {
        setValue(v);
        valueChanged();
        invalid();
    }
    return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseUp(CPoint&, const CButtonState&) {
    if (isEditing())
        endEdit();
    return kMouseEventHandled;
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
