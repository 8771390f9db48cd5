#include "VezuRezo_Waterfall.h"

#include "Theme.h"

using namespace VSTGUI;

VezuRezo_Waterfall::VezuRezo_Waterfall(const CRect& size, IControlListener* listener, int32_t tag,
                                       CBitmap* background, const CPoint& offset)
    : CKickButton(size, listener, tag, background, offset), area(size) {}

VezuRezo_Waterfall::~VezuRezo_Waterfall() = default;

void VezuRezo_Waterfall::draw(CDrawContext* context) {
    const double L = area.left, T = area.top, R = area.right, B = area.bottom;
    const double dx = (R - L) / (kColumns - 1);
    const double dy = (B - T) / 13;
    const double amplitude = 3 * dy;

    context->setFrameColor(kThemeMeterCColor);
    context->setFillColor(kThemeMeterCColor);
    context->setLineWidth(2.0);

    // Each row one step lower and one step further right than the one before.
    for (int k = 0; k < kRows; ++k) {
        const double x0 = L + (1 + k) * dx;
        const double y = T + (4 + k) * dy;
        context->moveTo(CPoint(x0, y));
        for (int j = 0; j < kColumns; ++j)
            context->lineTo(CPoint(x0 + j * dx, y - amplitude * rows[k][j]));
        context->lineTo(CPoint(x0 + (kColumns - 1) * dx, y));
        context->lineTo(CPoint(x0, y));
    }
    setDirty(false);
}
