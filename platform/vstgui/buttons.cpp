#include "controls.h"

#include <cstring>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

// ---- CKickButton ----------------------------------------------------------------

CKickButton::CKickButton(const CRect& size, IControlListener* l, int32 t, CBitmap* background, const CPoint& o)
    : CControl(size, l, t, background), offset(o) {
    setNumSubPixmaps(2);
}

CKickButton::CKickButton(const CRect& size, IControlListener* l, int32 t, CCoord heightOfOneImage,
                         CBitmap* background, const CPoint& o)
    : CKickButton(size, l, t, background, o) {
    setHeightOfOneImage(heightOfOneImage);
}

void CKickButton::draw(CDrawContext*) { setDirty(false); }

bool CKickButton::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "CKickButton") == 0) || CControl::isTypeOf(name);
}

CMouseEventResult CKickButton::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!buttons.isLeftButton())
        return kMouseEventNotHandled;
    beginEdit();
    value = getMax();
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseMoved(CPoint& where, const CButtonState&) {
    if (!isEditing())
        return kMouseEventNotHandled;
    float v = size.pointInside(where) ? getMax() : getMin();
    if (v != value) {
        value = v;
        invalid();
    }
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseUp(CPoint& where, const CButtonState&) {
    if (!isEditing())
        return kMouseEventHandled;
    if (size.pointInside(where)) {
        value = getMax();
        valueChanged();
        value = getMin();
        valueChanged();
    } else {
        value = getMin();
    }
    invalid();
    endEdit();
    return kMouseEventHandled;
}

// ---- CTextButton ----------------------------------------------------------------

CTextButton::CTextButton(const CRect& size, IControlListener* l, int32 t, UTF8StringPtr ttl, Style st)
    : CKickButton(size, l, t, nullptr), title(ttl ? ttl : ""), style(st), font(kSystemFont) {
    font->remember();
}

CTextButton::~CTextButton() {
    font->forget();
    if (gradient)
        gradient->forget();
    if (gradientHighlighted)
        gradientHighlighted->forget();
}

void CTextButton::setFont(CFontRef f) {
    if (!f)
        return;
    f->remember();
    font->forget();
    font = f;
    invalid();
}

void CTextButton::setGradient(CGradient* g) {
    if (g)
        g->remember();
    if (gradient)
        gradient->forget();
    gradient = g;
    invalid();
}

void CTextButton::setGradientHighlighted(CGradient* g) {
    if (g)
        g->remember();
    if (gradientHighlighted)
        gradientHighlighted->forget();
    gradientHighlighted = g;
    invalid();
}

bool CTextButton::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "CTextButton") == 0) || CKickButton::isTypeOf(name);
}

CMouseEventResult CTextButton::onMouseUp(CPoint& where, const CButtonState& buttons) {
    if (style == kKickStyle || !isEditing())
        return CKickButton::onMouseUp(where, buttons);
    // On-off: the press toggles at release inside.
    bool inside = size.pointInside(where);
    value = inside ? (oldValue > 0.5f ? getMin() : getMax()) : oldValue;
    if (inside)
        valueChanged();
    invalid();
    endEdit();
    return kMouseEventHandled;
}

void CTextButton::draw(CDrawContext* context) {
    bool highlighted = value > 0.5f;
    CRect r = size;
    r.inset(frameWidth / 2, frameWidth / 2);
    CGraphicsPath* path = context->createGraphicsPath();
    path->addRoundRect(r, roundRadius);
    context->setDrawMode(kAntiAliasing);
    CGradient* g = highlighted && gradientHighlighted ? gradientHighlighted : gradient;
    if (g)
        context->fillLinearGradient(path, *g, CPoint(r.left, r.top), CPoint(r.left, r.bottom));
    context->setFrameColor(highlighted ? frameColorHighlighted : frameColor);
    context->setLineWidth(frameWidth);
    context->drawGraphicsPath(path, CDrawContext::kPathStroked);
    path->forget();
    context->setFont(font);
    context->setFontColor(highlighted ? textColorHighlighted : textColor);
    context->drawString(title.c_str(), size, kCenterText, true);
    setDirty(false);
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
