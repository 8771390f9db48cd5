#include "VezuRezo_VectorKnobA.h"

#include "Theme.h"
#include "ViewFonts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace VSTGUI;

VezuRezo_VectorKnobA::VezuRezo_VectorKnobA(const CRect& size, IControlListener* listener, int32_t tag,
                                           CBitmap* background, CBitmap* handle, const CPoint& offset,
                                           int32_t drawStyle)
    : CKnob(size, listener, tag, background, handle, offset, drawStyle) {
    std::snprintf(title, sizeof title, "%s", "GAIN");
    std::snprintf(unit, sizeof unit, "%s", "dB");
    for (int32_t i = 0; i < kMaxScaleLabels; ++i)
        std::snprintf(scaleLabels[i], sizeof scaleLabels[i], "%d", int(i));
}

VezuRezo_VectorKnobA::~VezuRezo_VectorKnobA() = default;

void VezuRezo_VectorKnobA::draw(CDrawContext* context) {
    const CRect& vr = getViewSize();
    const double W = vr.getWidth(), H = vr.getHeight();
    const CPoint c(vr.left + W / 2, vr.top + H / 2);
    const double r = W / 2;

    context->setDrawMode(kAntiAliasing);
    context->setFont(viewfonts::knobFont(), 16, -1);
    title[sizeof title - 1] = 0;
    unit[sizeof unit - 1] = 0;
    const double wT = context->getStringWidth(title);
    const double wU = context->getStringWidth(unit);

    // Scale labels on the arc; never more than there are labels.
    const int32_t count = std::clamp(scaleCount, int32_t(0), kMaxScaleLabels);
    const double rs = 0.375 * W;
    const double step = count > 1 ? (scaleEnd - scaleStart) / (count - 1) : 0.0;
    context->setFontColor(kThemeOutlineCColor);
    for (int32_t i = 0; i < count; ++i) {
        scaleLabels[i][sizeof scaleLabels[i] - 1] = 0;
        double t = scaleStart + i * step;
        double w = context->getStringWidth(scaleLabels[i]);
        float sx = std::fabs(std::sin(float(t / 2)));
        float sy = std::fabs(std::sin(float((t + 1.5707963267948966) / 2)));
        CPoint p(c.x + rs * std::cos(t) - sx * w, c.y + rs * std::sin(t) + 0.5 * 16 * sy);
        context->drawString(scaleLabels[i], p, true);
    }
    context->setFontColor(kThemeOutlineCColor);
    context->drawString(title, CPoint(c.x - wT / 2, c.y + 0.475 * H), true);
    context->setFontColor(kThemeBlueCColor);
    context->drawString(unit, CPoint(c.x - wU / 2, c.y + 0.375 * H), true);

    // Body: a pointer on the rim at the top, then the grip teeth all round.
    auto circle = [&](double radius) { return CRect(c.x - radius, c.y - radius, c.x + radius, c.y + radius); };
    CGraphicsPath* body = context->createGraphicsPath();
    body->addArc(circle(0.7 * r), 275, 265, false);
    static const double teeth[9][3] = {{0.5, 258, 210}, {0.46, 208, 188}, {0.5, 186, 138},
                                       {0.46, 136, 116}, {0.5, 114, 66},  {0.46, 64, 44},
                                       {0.5, 42, -6},    {0.46, -8, -28}, {0.5, -30, -78}};
    for (const auto& tooth : teeth)
        body->addArc(circle(tooth[0] * r), tooth[1], tooth[2], false);
    body->closeSubpath();

    // Positive angles turn clockwise on screen; 0.5 keeps the pointer at the top.
    const double degrees = value * 300.0 - 150.0;
    CGraphicsTransform rotation;
    rotation.translate(-c.x, -c.y).rotate(degrees).translate(c.x, c.y);
    CGraphicsTransform shadow = rotation;
    shadow.translate(-0.2 * r, 0.2 * r);

    context->setFrameColor(kThemeOutlineCColor);
    context->setLineWidth(3.0);
    context->setFillColor(kThemeShadowCColor);
    context->drawGraphicsPath(body, CDrawContext::kPathFilled, &shadow);
    context->setFillColor(kThemeBackgroundCColor);
    context->drawGraphicsPath(body, CDrawContext::kPathFilled, &rotation);
    context->drawGraphicsPath(body, CDrawContext::kPathStroked, &rotation);

    CGraphicsPath* cap = context->createGraphicsPath();
    cap->addEllipse(circle(0.4 * r));
    context->drawGraphicsPath(cap, CDrawContext::kPathStroked, nullptr);

    body->forget();
    cap->forget();
    setDirty(false);
}

CMouseEventResult VezuRezo_VectorKnobA::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (checkDefaultValue(buttons)) {
        released = true;
        valueChanged();
        released = false;
    }
    return CKnob::onMouseDown(where, buttons);
}

CMouseEventResult VezuRezo_VectorKnobA::onMouseUp(CPoint& where, const CButtonState& buttons) {
    released = true;
    valueChanged();
    released = false;
    return CKnob::onMouseUp(where, buttons);
}

CMouseEventResult VezuRezo_VectorKnobA::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    return CKnob::onMouseMoved(where, buttons);
}
