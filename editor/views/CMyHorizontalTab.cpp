#include "CMyHorizontalTab.h"

#include "Theme.h"
#include "ViewFonts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

using namespace VSTGUI;

CMyHorizontalTab::CMyHorizontalTab(const CRect& size, IControlListener* listener, int32_t tag, int32_t, CCoord,
                                   int32_t, CBitmap* background, const CPoint& offset_)
    : CHorizontalSwitch(size, listener, tag, background, CPoint(0, 0)), offset(offset_) {
    for (int32_t i = 0; i < kMaxLabels; ++i)
        std::snprintf(labels[i], sizeof labels[i], "%d", int(i));
    std::snprintf(title, sizeof title, "%s", "TITLE");
    std::snprintf(subtitle, sizeof subtitle, "%s", "subtitle");
}

CMyHorizontalTab::~CMyHorizontalTab() = default;

bool CMyHorizontalTab::isTypeOf(const char* name) const { return CHorizontalSwitch::isTypeOf(name); }

CView* CMyHorizontalTab::newCopy() const { return CHorizontalSwitch::newCopy(); }

void CMyHorizontalTab::draw(CDrawContext* context) {
    const CRect& r = getViewSize();
    CFontDesc* font = viewfonts::tabFont(fontSize);
    context->setFont(font, fontSize, -1);

    context->setDrawMode(kAntiAliasing);
    context->setFillColor(CColor(0, 0, 0, 120));
    context->drawRect(r, kDrawFilled);

    const int32_t n = getNumSubPixmaps();
    if (n < 1) {
        setDirty(false);
        return;
    }
    const double w = r.getWidth() / n;
    const double y = r.top + r.getHeight() / 2 + 0.25 * fontSize;
    const int32_t selected = int32_t(float(n - 1) * value);
    // Only the positions that have a label are drawn.
    for (int32_t i = 0; i < std::min(n, kMaxLabels); ++i) {
        labels[i][sizeof labels[i] - 1] = 0;
        double centre = r.left + w / 2 + i * w;
        context->setFontColor(i == selected ? kThemeBlueCColor : kThemeOutlineCColor);
        double textWidth = context->getStringWidth(labels[i]);
        context->drawString(labels[i], CPoint(centre - textWidth / 2, y), true);
    }
    setDirty(false);
}

CMouseEventResult CMyHorizontalTab::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    const int32_t n = getNumSubPixmaps();
    // Without positions there is nothing to choose (and no segment width).
    if (n < 1)
        return kMouseEventNotHandled;
    segmentWidth = getViewSize().getWidth() / n;
    beginEdit();
    if (checkDefaultValue(buttons)) {
        endEdit();
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    return onMouseMoved(where, buttons);
}

CMouseEventResult CMyHorizontalTab::onMouseMoved(CPoint& where, const CButtonState&) {
    if (!isEditing())
        return kMouseEventNotHandled;
    const int32_t n = getNumSubPixmaps();
    if (!std::isfinite(where.x) || !(segmentWidth > 0))
        return kMouseEventHandled;
    double k = std::trunc((where.x - getViewSize().left) / segmentWidth);
    // A single position has nowhere to go but the minimum.
    float f = n > 1 ? float(k) / float(n - 1) : 0.0f;
    float v = vmin + (vmax - vmin) * f;
    v = std::clamp(v, std::min(vmin, vmax), std::max(vmin, vmax));
    // Notify when the value differs from the last drawn one, and also for every
    // change before the next redraw, so a drag back to the drawn segment is sent.
    const float before = value;
    setValue(v);
    if (value != before || isDirty()) {
        valueChanged();
        invalid();
    }
    return kMouseEventHandled;
}
