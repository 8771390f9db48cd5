#include "VezuRezo_StaticVectorImage.h"

using namespace VSTGUI;

VezuRezo_StaticVectorImage::VezuRezo_StaticVectorImage(const CRect& size, IControlListener* listener, int32_t tag,
                                                       CBitmap* background, const CPoint& offset)
    : CKickButton(size, listener, tag, background, offset) {}

VezuRezo_StaticVectorImage::~VezuRezo_StaticVectorImage() = default;

void VezuRezo_StaticVectorImage::draw(CDrawContext* context) {
    const CRect& r = getViewSize();
    const double L = r.left, T = r.top, R = r.right, B = r.bottom;
    const double W = R - L;
    const double p = proportion;
    const double xp = L + p * W;

    CGraphicsPath* path = context->createGraphicsPath();
    CPoint from(L, T), to(L, B); // gradient: alpha 0 at from, alpha 45 at to
    switch (kind) {
    case 1:
        path->beginSubpath(CPoint(L, T));
        path->addBezierCurve(CPoint(L + 50, T), CPoint(xp - 50, B), CPoint(xp, B));
        path->addLine(CPoint(R, B));
        path->addLine(CPoint(R, T));
        break;
    case 2:
        path->beginSubpath(CPoint(L, T));
        path->addBezierCurve(CPoint(L + 50, T), CPoint(xp - 50, B), CPoint(xp, B));
        path->addLine(CPoint(R - p * W, B));
        path->addBezierCurve(CPoint(R - p * W + 50, B), CPoint(R - 50, T), CPoint(R, T));
        break;
    case 3:
        path->beginSubpath(CPoint(L, B));
        path->addLine(CPoint(L, T));
        path->addLine(CPoint(L + (1 - p) * W, T));
        path->addBezierCurve(CPoint(L + (1 - p) * W + 50, T), CPoint(R - 50, B), CPoint(R, B));
        from = CPoint(L, B);
        to = CPoint(L, T);
        break;
    case 4:
        path->beginSubpath(CPoint(L, B));
        path->addBezierCurve(CPoint(L + 50, B), CPoint(xp - 50, T), CPoint(xp, T));
        path->addLine(CPoint(R, T));
        path->addLine(CPoint(R, B));
        from = CPoint(L, B);
        to = CPoint(L, T);
        break;
    default: // 0 and any unknown kind
        path->beginSubpath(CPoint(L, T));
        path->addLine(CPoint(L, B));
        path->addLine(CPoint(L + (1 - p) * W, B));
        path->addBezierCurve(CPoint(L + (1 - p) * W + 50, B), CPoint(R - 50, T), CPoint(R, T));
        break;
    }
    path->closeSubpath();

    CGradient* gradient = path->createGradient(0.0, 1.0, CColor(255, 255, 255, 0), CColor(255, 255, 255, 45));
    context->fillLinearGradient(path, *gradient, from, to, false, nullptr);
    gradient->forget();
    path->forget();
    setDirty(false);
}
