#include "CMyVerticalSwitch.h"

#include "Theme.h"
#include "ViewFonts.h"

#include <algorithm>
#include <cstdio>

using namespace VSTGUI;

CMyVerticalSwitch::CMyVerticalSwitch(const CRect& size, IControlListener* listener, int32_t tag, int32_t, CCoord,
                                     int32_t, CBitmap* background, const CPoint& offset_)
    : CVerticalSwitch(size, listener, tag, background, CPoint(0, 0)), offset(offset_) {
    for (int32_t i = 0; i < kMaxLabels; ++i)
        std::snprintf(labels[i], sizeof labels[i], "%d", int(i));
    std::snprintf(title, sizeof title, "%s", "TITLE");
    std::snprintf(subtitle, sizeof subtitle, "%s", "subtitle");
}

CMyVerticalSwitch::~CMyVerticalSwitch() = default;

bool CMyVerticalSwitch::isTypeOf(const char* name) const { return CVerticalSwitch::isTypeOf(name); }

CView* CMyVerticalSwitch::newCopy() const { return CVerticalSwitch::newCopy(); }

void CMyVerticalSwitch::draw(CDrawContext* context) {
    const CRect& r = getViewSize();
    context->setFont(viewfonts::switchFont(), 16, -1);
    const double a = context->getStringWidth("A");

    const int32_t n = getNumSubPixmaps();
    if (n < 1) {
        setDirty(false);
        return;
    }
    const double h = r.getHeight() / n;
    // Every label starts where a centred "A" would.
    const double x = r.left + r.getWidth() / 2 - a / 2;
    const int32_t selected = int32_t(float(n - 1) * value);
    for (int32_t i = 0; i < std::min(n, kMaxLabels); ++i) {
        labels[i][sizeof labels[i] - 1] = 0;
        double y = r.top + h / 2 + i * h;
        context->setFontColor(i == selected ? kThemeOutlineCColor : kThemeGlossCColor);
        context->drawString(labels[i], CPoint(x, y + 0.2 * 16), true);
        context->setDrawMode(kAntiAliasing);
    }
    setDirty(false);
}
