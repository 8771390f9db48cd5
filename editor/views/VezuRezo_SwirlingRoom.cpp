#include "VezuRezo_SwirlingRoom.h"

#include "Theme.h"
#include "ViewFonts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace VSTGUI;

namespace {

constexpr float kBoxTurn = 0.5235935541808605f;   // radians
constexpr float kPixelsPerUnit = 80.0f;
constexpr float kAngleLimit = 1.5f;
constexpr float kAnglePerDrag = 0.07853982f;       // 0.1 x 1.5707964 x 0.5

// The loudspeaker boxes: size, turn, offset of the model origin.
struct BoxSpec {
    float w, d, h;
    float turn;
    RoomPoint3 offset;
};
constexpr RoomPoint3 kCommonOffset{0.0f, 4.0f, 2.0f};
constexpr BoxSpec kBoxes[6] = {
    {0.6f, 0.4f, 0.7f, +kBoxTurn, {-2.8f, -1.6f, -1.0f}}, {0.6f, 0.4f, 0.7f, -kBoxTurn, {2.8f, -1.6f, -1.0f}},
    {0.4f, 0.3f, 0.6f, +kBoxTurn, {-1.0f, -2.0f, -1.5f}}, {0.4f, 0.3f, 0.6f, -kBoxTurn, {1.0f, -2.0f, -1.5f}},
    {0.1f, 0.08f, 0.2f, +kBoxTurn, {-0.7f, -2.2f, -1.8f}}, {0.1f, 0.08f, 0.2f, -kBoxTurn, {0.7f, -2.2f, -1.8f}},
};

// Room outline in drawing order: left wall, front wall, front-wall panel,
// right wall, floor, ceiling.
constexpr RoomPoint3 kOutline[6][4] = {
    {{-4, 1, -1}, {-2, 3, -1}, {-2, 3, 2}, {-4, 1, 3}},
    {{-2, 3, -1}, {2, 3, -1}, {2, 3, 2}, {-2, 3, 2}},
    {{-1, 3, -0.2f}, {1, 3, -0.2f}, {1, 3, 0.8f}, {-1, 3, 0.8f}},
    {{2, 3, -1}, {4, 1, -1}, {4, 1, 3}, {2, 3, 2}},
    {{-2, 3, -1}, {2, 3, -1}, {4, 1, -1}, {-4, 1, -1}},
    {{-2, 3, 2}, {2, 3, 2}, {4, 1, 3}, {-4, 1, 3}},
};

// 0 below 0 (and for NaN), 1 above 1.
float clamp01(float v) {
    if (!(v > 0.0f))
        return 0.0f;
    return v > 1.0f ? 1.0f : v;
}

void setCuboid(RoomPoint3 (&corners)[8], float w, float d, float h) {
    const float xs[2] = {-w / 2, w / 2};
    const float ys[2] = {0.0f, d};
    const float zs[2] = {h, 0.0f}; // top face first
    for (int face = 0; face < 2; ++face)
        for (int far = 0; far < 2; ++far)
            for (int side = 0; side < 2; ++side)
                corners[face * 4 + far * 2 + side] = {xs[side], ys[far], zs[face]};
}

} // namespace

VezuRezo_SwirlingRoom::VezuRezo_SwirlingRoom(const CRect& size, IControlListener* listener, int32_t tag,
                                             CBitmap* background, CBitmap* handle, const CPoint& offset,
                                             int32_t drawStyle)
    : CKnob(size, listener, tag, background, handle, offset, drawStyle) {
    for (RoomObject& object : objects)
        initRoomObject(object);
    for (int b = 0; b < 6; ++b) {
        RoomObject& object = objects[b];
        const BoxSpec& spec = kBoxes[b];
        setCuboid(object.model, spec.w, spec.d, spec.h);
        std::copy(std::begin(object.model), std::end(object.model), std::begin(object.placed));
        rotateRoomObject(object, 0.0f, 0.0f, spec.turn);
        for (RoomPoint3& p : object.placed) {
            p.x = p.x + spec.offset.x + kCommonOffset.x;
            p.y = p.y + spec.offset.y + kCommonOffset.y;
            p.z = p.z + spec.offset.z + kCommonOffset.z;
        }
    }
    for (RoomQuad& quad : outline) {
        quad = RoomQuad();
        quad.colour = kThemeGreyCColor;
    }

    left = size.left;
    right = size.right;
    centreY = size.top + size.getHeight() / 2;
    halfHeight = size.getHeight() / 2;
    width = right - left;
    widthInt = int32_t(width);
    span = 0.3 * width;
    zeroY = centreY;
    levelScale = halfHeight - 20;
    handleX[0] = 0.5 * span;
    handleX[1] = width / 2;
    handleX[2] = (width - span) + 0.5 * span;
    for (int i = 0; i < 3; ++i) {
        levelPx[i] = 0.5 * levelScale;
        handleY[i] = zeroY - 0.5 * levelScale;
    }
}

VezuRezo_SwirlingRoom::~VezuRezo_SwirlingRoom() = default;

void VezuRezo_SwirlingRoom::initRoomObject(RoomObject& object) {
    setCuboid(object.model, 0.1f, 0.1f, 0.1f);
    std::copy(std::begin(object.model), std::end(object.model), std::begin(object.placed));
    object.colour = kThemeGreyCColor;
}

void VezuRezo_SwirlingRoom::rotateRoomObject(RoomObject& object, float ax, float ay, float az) {
    const float cx = std::cos(ax), sx = std::sin(ax);
    const float cy = std::cos(ay), sy = std::sin(ay);
    const float cz = std::cos(az), sz = std::sin(az);
    for (RoomPoint3& p : object.placed) {
        // About x, then y, then the vertical axis.
        float y1 = p.y * cx - p.z * sx, z1 = p.y * sx + p.z * cx;
        float x2 = p.x * cy + z1 * sy, z2 = -p.x * sy + z1 * cy;
        float x3 = x2 * cz - y1 * sz, y3 = x2 * sz + y1 * cz;
        p = {x3, y3, z2};
    }
}

CPoint VezuRezo_SwirlingRoom::project(const RoomPoint3& p, float a, float e, const CPoint& centre) {
    const float sa = std::sin(a), ca = std::cos(a), se = std::sin(e), ce = std::cos(e);
    const float m[3] = {sa * ce, ca * ce, -se};
    const float u[3] = {ca, -sa, 0.0f};
    const float v[3] = {-sa * se, -ca * se, -ce};
    const float mp = m[0] * p.x + m[1] * p.y + m[2] * p.z;
    const float q[3] = {p.x - mp * m[0], p.y - mp * m[1], p.z - mp * m[2]};
    const float sxv = kPixelsPerUnit * (u[0] * q[0] + u[1] * q[1] + u[2] * q[2]);
    const float syv = kPixelsPerUnit * (v[0] * q[0] + v[1] * q[1] + v[2] * q[2]);
    return CPoint(centre.x + double(sxv), centre.y + double(syv));
}

void VezuRezo_SwirlingRoom::drawRoomObject(RoomObject& object, CDrawContext* context, const CRect& viewRect,
                                           float a, float e) {
    object.viewRect = viewRect;
    CPoint s[8];
    for (int i = 0; i < 8; ++i)
        s[i] = project(object.placed[i], a, e, object.centre);
    context->setFrameColor(object.colour);
    static const int loops[2][5] = {{4, 5, 7, 6, 4}, {0, 1, 3, 2, 0}};
    for (const auto& loop : loops) {
        context->moveTo(s[loop[0]]);
        for (int i = 1; i < 5; ++i)
            context->lineTo(s[loop[i]]);
    }
    static const int verticals[4][2] = {{4, 0}, {5, 1}, {7, 3}, {6, 2}};
    for (const auto& edge : verticals) {
        context->moveTo(s[edge[0]]);
        context->lineTo(s[edge[1]]);
    }
}

void VezuRezo_SwirlingRoom::drawRoomPolyline(RoomQuad& quad, CDrawContext* context, const CRect& viewRect,
                                             float a, float e) {
    quad.viewRect = viewRect;
    for (int i = 0; i < 4; ++i)
        quad.screen[i] = project(quad.corners[i], a, e, quad.centre);
    context->setFrameColor(quad.colour);
    context->moveTo(quad.screen[0]);
    for (int i = 1; i < 4; ++i)
        context->lineTo(quad.screen[i]);
    context->lineTo(quad.screen[0]);
}

void VezuRezo_SwirlingRoom::draw(CDrawContext* context) {
    const CRect& r = getViewSize();
    context->setDrawMode(kAntiAliasing);
    if (curveMode != 0) {
        drawCurveReadout(context);
        setDirty(false);
        return;
    }
    const bool turnable = selector == 0 || roomOnly == 1;
    const float a = turnable ? azimuth : 0.0f;
    const float e = turnable ? elevation : 0.0f;

    context->setFrameColor(kThemeOutlineCColor);
    context->setLineWidth(3.0);
    for (int b = 0; b < 6; ++b) {
        objects[b].centre = r.getCenter();
        objects[b].colour = b / 2 == highlightedPair ? kThemeBlueCColor : kThemeGreyCColor;
        drawRoomObject(objects[b], context, r, a, e);
    }
    for (int q = 0; q < 6; ++q) {
        RoomQuad& quad = outline[q];
        quad.centre = r.getCenter();
        std::copy(std::begin(kOutline[q]), std::end(kOutline[q]), std::begin(quad.corners));
        quad.colour = kThemeGreyCColor;
        drawRoomPolyline(quad, context, r, a, e);
    }

    const CPoint c = r.getCenter();
    context->setFrameColor(kThemeGreyCColor);
    context->drawEllipse(CRect(c.x - 10, c.y - 10, c.x + 10, c.y + 10), kDrawStroked);

    if (roomOnly == 0) {
        context->setFont(viewfonts::roomLabelFont(), 20, -1);
        context->setFontColor(selector == 0 ? kThemeGreyCColor : kThemeBlueCColor);
        context->drawString("Mixing", CPoint(r.left + 20, r.top + 40), true);
        context->setFontColor(selector == 0 ? kThemeBlueCColor : kThemeGreyCColor);
        context->drawString("Checking around", CPoint(r.left + 20, r.top + 70), true);
    }
    setDirty(false);
}

void VezuRezo_SwirlingRoom::updateHandleGeometry() {
    handleX[0] = double(handleValue[0]) * span;
    handleX[2] = double(handleValue[4]) * span + (width - span);
    levelPx[0] = double(handleValue[1]) * levelScale;
    levelPx[1] = double(handleValue[3]) * levelScale;
    levelPx[2] = double(handleValue[5]) * levelScale;
    handleY[0] = zeroY - (levelPx[0] + levelPx[1]) / 2;
    handleY[1] = zeroY - levelPx[1];
    handleY[2] = zeroY - (levelPx[1] + levelPx[2]) / 2;
}

void VezuRezo_SwirlingRoom::drawCurveReadout(CDrawContext* context) {
    const double L = left, R = right;
    handleX[0] = handleValue[0] * span;
    handleX[2] = (width - span) + handleValue[4] * span;
    levelPx[0] = handleValue[1] * levelScale;
    levelPx[1] = handleValue[3] * levelScale;
    levelPx[2] = handleValue[5] * levelScale;

    if (targetCurve && targetCurveCount > 0) {
        context->setFrameColor(kThemeOutlineCColor);
        context->setLineWidth(2.0);
        context->moveTo(CPoint(L, zeroY - levelScale * targetCurve[0]));
        const double perPixel = targetCurveCount / width;
        for (int32_t i = 1; i < widthInt; ++i) {
            double k = std::trunc(i * perPixel);
            if (!(k < targetCurveCount))
                break; // never read past the curve
            context->lineTo(CPoint(L + i, zeroY - levelScale * targetCurve[int32_t(k)]));
        }
        context->drawLine(CPoint(L, zeroY), CPoint(R, zeroY));
    }

    context->setLineWidth(3.0);
    context->setFrameColor(kThemeBlueCColor);

    CGraphicsPath* path = context->createGraphicsPath();
    path->beginSubpath(CPoint(L, zeroY));
    path->addLine(CPoint(L, zeroY - levelPx[0]));
    path->addLine(CPoint(L + 0.7 * handleX[0], zeroY - levelPx[0]));
    path->addLine(CPoint(L + 1.3 * handleX[0], zeroY - levelPx[1]));
    path->addLine(CPoint(L + handleX[2] - 0.3 * (width - handleX[2]), zeroY - levelPx[1]));
    path->addLine(CPoint(L + handleX[2] + 0.3 * (width - handleX[2]), zeroY - levelPx[2]));
    path->addLine(CPoint(R, zeroY - levelPx[2]));
    path->addLine(CPoint(R, zeroY));
    path->closeSubpath();
    CGradient* gradient = path->createGradient(0.0, 1.0, CColor(0, 162, 232, 10), CColor(0, 162, 232, 45));
    const double top = std::max({levelPx[0], levelPx[1], levelPx[2]});
    context->fillLinearGradient(path, *gradient, CPoint(L, zeroY), CPoint(L, zeroY - top), false, nullptr);
    context->drawGraphicsPath(path, CDrawContext::kPathStroked, nullptr);
    gradient->forget();
    path->forget();

    handleY[0] = zeroY - (levelPx[0] + levelPx[1]) / 2;
    handleY[1] = zeroY - levelPx[1];
    handleY[2] = zeroY - (levelPx[1] + levelPx[2]) / 2;
    for (int i = 0; i < 3; ++i)
        context->drawRect(CRect(L + handleX[i] - 10, handleY[i] - 10, L + handleX[i] + 10, handleY[i] + 10),
                          kDrawStroked);

    context->setFont(viewfonts::curveReadoutFont(), 16, -1);
    context->setFontColor(kThemeBlueCColor);
    char text[32];
    std::snprintf(text, sizeof text, "%.0fHz", double(handleValue[0] * 800.0f));
    context->drawString(text, CPoint(L + handleX[0] + 10, zeroY + 26), true);
    std::snprintf(text, sizeof text, "%.0f%%", double(handleValue[1] * 100.0f));
    context->drawString(text, CPoint(L + handleX[0] + 10, zeroY + 47), true);
    std::snprintf(text, sizeof text, "%.0f%%", double(handleValue[3] * 100.0f));
    context->drawString(text, CPoint(L + handleX[1] - 10, zeroY + 47), true);
    // The high corner's texts end 20 px left of its handle.
    std::snprintf(text, sizeof text, "%.0fHz", double(handleValue[4] * 2000.0f + 2000.0f));
    context->drawString(text, CPoint(L + handleX[2] - 20 - context->getStringWidth(text), zeroY + 26), true);
    std::snprintf(text, sizeof text, "%.0f%%", double(handleValue[5] * 100.0f));
    context->drawString(text, CPoint(L + handleX[2] - 20 - context->getStringWidth(text), zeroY + 47), true);
}

CMouseEventResult VezuRezo_SwirlingRoom::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (buttons.getButtonState() != kLButton)
        return kMouseEventNotHandled;
    beginEdit();
    dragging = true;
    lastMouse = where;
    dragTarget = 0;

    const CRect& r = getViewSize();
    if (curveMode == 0) {
        bool labelHit = false;
        if (where.x > r.left + 20 && where.x < r.left + 170) {
            if (where.y > r.top + 20 && where.y < r.top + 45) {
                selector = 1;
                labelHit = true;
            } else if (where.y > r.top + 50 && where.y < r.top + 75) {
                selector = 0;
                labelHit = true;
            }
        }
        bool reset = false;
        if (!labelHit && (buttons & kControl)) {
            dragX = dragY = 0;
            azimuth = 0;
            elevation = 0.05f;
            reset = true;
        }
        if (labelHit || reset)
            valueChanged();
    } else {
        // Handle positions are kept from the view's left edge.
        const double x = where.x - left;
        for (int i = 0; i < 3; ++i) {
            if (x > handleX[i] - 10 && x < handleX[i] + 10 && where.y > handleY[i] - 10 &&
                where.y < handleY[i] + 10) {
                dragTarget = 3 + i;
                break;
            }
        }
    }
    return kMouseEventHandled;
}

CMouseEventResult VezuRezo_SwirlingRoom::onMouseMoved(CPoint& where, const CButtonState&) {
    if (!isEditing())
        return kMouseEventNotHandled;
    if (!std::isfinite(where.x) || !std::isfinite(where.y))
        return kMouseEventHandled;
    const float dx = float(where.x - lastMouse.x);
    const float dy = float(where.y - lastMouse.y);

    switch (dragTarget) {
    case 0:
        dragX += 0.02f * dx;
        dragY += 0.02f * dy;
        break;
    case 3: {
        double y = handleY[0] + dy;
        handleValue[1] = clamp01(float((2 * (zeroY - y) - levelPx[1]) / levelScale));
        handleValue[0] = clamp01(float((handleX[0] + dx) / span));
        handleX[0] = span * handleValue[0];
        levelPx[0] = levelScale * handleValue[1];
        handleY[0] = zeroY - (levelPx[0] + levelPx[1]) / 2;
        pendingHandle = 1;
        break;
    }
    case 4: {
        double y = handleY[1] + dy;
        handleValue[3] = clamp01(float((zeroY - y) / levelScale));
        handleX[1] = width / 2;
        handleValue[2] = clamp01(float(handleX[1] / span));
        levelPx[1] = levelScale * handleValue[3];
        handleY[1] = zeroY - levelPx[1];
        pendingHandle = 3;
        break;
    }
    case 5: {
        double y = handleY[2] + dy;
        handleValue[5] = clamp01(float((2 * (zeroY - y) - levelPx[1]) / levelScale));
        handleValue[4] = clamp01(float((handleX[2] + dx - (width - span)) / span));
        handleX[2] = (width - span) + span * handleValue[4];
        levelPx[2] = levelScale * handleValue[5];
        handleY[2] = zeroY - (levelPx[1] + levelPx[2]) / 2;
        pendingHandle = 5;
        break;
    }
    default: break;
    }

    // The accumulators stop where the angles stop, so a drag back responds at once.
    azimuth = std::clamp(dragX * 0.1f * 1.5707964f * 0.5f, -kAngleLimit, kAngleLimit);
    elevation = std::clamp(dragY * 0.1f * 1.5707964f * 0.5f, -kAngleLimit, kAngleLimit);
    dragX = azimuth / kAnglePerDrag;
    dragY = elevation / kAnglePerDrag;
    lastMouse = where;

    valueChanged();
    return kMouseEventHandled;
}

CMouseEventResult VezuRezo_SwirlingRoom::onMouseUp(CPoint&, const CButtonState&) {
    dragging = false;
    valueChanged();
    endEdit();
    return kMouseEventHandled;
}
