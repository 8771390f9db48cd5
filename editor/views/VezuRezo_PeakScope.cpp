#include "VezuRezo_PeakScope.h"

#include "Theme.h"

using namespace VSTGUI;

VezuRezo_PeakScope::VezuRezo_PeakScope(const CRect& size, IControlListener* listener, int32_t tag,
                                       CBitmap* background, const CPoint& offset)
    : CKickButton(size, listener, tag, background, offset), area(size) {}

VezuRezo_PeakScope::~VezuRezo_PeakScope() = default;

void VezuRezo_PeakScope::draw(CDrawContext* context) {
    const double L = area.left, T = area.top, R = area.right, B = area.bottom;
    const double W = R - L;
    const double q = 0.25 * W;
    const double c = L + W / 2;
    const double y0 = B - 0.5 * q;
    const double h = B - T - q;

    context->setFrameColor(kThemeMeterCColor);
    context->setFillColor(kThemeMeterCColor);
    context->setLineWidth(2.0);

    for (int k = 0; k < 5; ++k) {
        double y = y0 - (k + 0.5) * h / 5;
        context->drawLine(CPoint(c - 0.3 * q, y), CPoint(c + 0.3 * q, y));
    }
    // Bars from the baseline up; a level above 1 reaches above the scale.
    context->drawRect(CRect(c - 1.5 * q, y0 - levelA * h, c - 0.5 * q, y0), kDrawFilled);
    context->drawRect(CRect(c + 0.5 * q, y0 - levelB * h, c + 1.5 * q, y0), kDrawFilled);
    setDirty(false);
}
