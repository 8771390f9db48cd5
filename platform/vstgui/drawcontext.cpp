#include "drawcontext.h"

#include "drawdevice.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

namespace {
constexpr double kDegToRad = 3.141592653589793 / 180.0;

bool finite(double v) { return std::isfinite(v); }
bool finite(const CPoint& p) { return finite(p.x) && finite(p.y); }
bool finite(const CRect& r) { return finite(r.left) && finite(r.top) && finite(r.right) && finite(r.bottom); }
constexpr double kPi = 3.141592653589793;

CPoint transformed(const CGraphicsTransform* t, CPoint p) { return t ? t->transform(p) : p; }
} // namespace

// ---- CGraphicsTransform ----------------------------------------------------

CGraphicsTransform CGraphicsTransform::operator*(const CGraphicsTransform& o) const {
    return {m11 * o.m11 + m12 * o.m21, m11 * o.m12 + m12 * o.m22,
            m21 * o.m11 + m22 * o.m21, m21 * o.m12 + m22 * o.m22,
            m11 * o.dx + m12 * o.dy + dx, m21 * o.dx + m22 * o.dy + dy};
}

CGraphicsTransform& CGraphicsTransform::translate(double tx, double ty) {
    return *this = CGraphicsTransform(1, 0, 0, 1, tx, ty) * *this;
}

CGraphicsTransform& CGraphicsTransform::scale(double sx, double sy) {
    return *this = CGraphicsTransform(sx, 0, 0, sy, 0, 0) * *this;
}

CGraphicsTransform& CGraphicsTransform::rotate(double degrees) {
    double a = degrees * kDegToRad;
    double c = std::cos(a), s = std::sin(a);
    return *this = CGraphicsTransform(c, -s, s, c, 0, 0) * *this;
}

CPoint& CGraphicsTransform::transform(CPoint& p) const {
    double x = m11 * p.x + m12 * p.y + dx;
    double y = m21 * p.x + m22 * p.y + dy;
    p.x = x;
    p.y = y;
    return p;
}

bool CGraphicsTransform::isFinite() const {
    return finite(m11) && finite(m12) && finite(m21) && finite(m22) && finite(dx) && finite(dy);
}

// ---- CGradient ---------------------------------------------------------------

CGradient* CGradient::create(double color1Start, double color2Start, const CColor& color1, const CColor& color2) {
    auto* g = new CGradient;
    g->addColorStop(color1Start, color1);
    g->addColorStop(color2Start, color2);
    return g;
}

void CGradient::addColorStop(double start, const CColor& color) {
    auto it = std::upper_bound(stops.begin(), stops.end(), start,
                               [](double s, const ColorStop& st) { return s < st.first; });
    stops.insert(it, {start, color});
}

// ---- CGraphicsPath -----------------------------------------------------------

void CGraphicsPath::add(Op::Kind k, std::initializer_list<double> values, bool cw) {
    Op op{k, {0, 0, 0, 0, 0, 0, 0}, cw};
    std::copy(values.begin(), values.end(), op.v);
    ops.push_back(op);
}

void CGraphicsPath::beginSubpath(const CPoint& p) { add(Op::Begin, {p.x, p.y}); }
void CGraphicsPath::addLine(const CPoint& p) { add(Op::Line, {p.x, p.y}); }
void CGraphicsPath::addBezierCurve(const CPoint& c1, const CPoint& c2, const CPoint& e) {
    add(Op::Bezier, {c1.x, c1.y, c2.x, c2.y, e.x, e.y});
}
void CGraphicsPath::addArc(const CRect& r, double startAngle, double endAngle, bool clockwise) {
    add(Op::Arc, {r.left, r.top, r.right, r.bottom, startAngle, endAngle}, clockwise);
}
void CGraphicsPath::addEllipse(const CRect& r) { add(Op::Ellipse, {r.left, r.top, r.right, r.bottom}); }
void CGraphicsPath::addRect(const CRect& r) { add(Op::Rect, {r.left, r.top, r.right, r.bottom}); }
void CGraphicsPath::addRoundRect(const CRect& r, CCoord radius) {
    add(Op::RoundRect, {r.left, r.top, r.right, r.bottom, radius});
}
void CGraphicsPath::closeSubpath() { add(Op::Close, {}); }

CGradient* CGraphicsPath::createGradient(double color1Start, double color2Start, const CColor& color1,
                                         const CColor& color2) {
    return CGradient::create(color1Start, color2Start, color1, color2);
}

bool CGraphicsPath::isFinite() const {
    for (const Op& op : ops)
        for (double v : op.v)
            if (!finite(v))
                return false;
    return true;
}

// ---- DrawPath ------------------------------------------------------------------

void DrawPath::moveTo(const CPoint& p) {
    kinds.push_back(Move);
    points.push_back(p);
    start = last = p;
    current = true;
}

void DrawPath::lineTo(const CPoint& p) {
    if (!current)
        return moveTo(p);
    kinds.push_back(Line);
    points.push_back(p);
    last = p;
}

void DrawPath::curveTo(const CPoint& c1, const CPoint& c2, const CPoint& end) {
    if (!current)
        moveTo(c1);
    kinds.push_back(Curve);
    points.insert(points.end(), {c1, c2, end});
    last = end;
}

void DrawPath::close() {
    if (!current)
        return;
    kinds.push_back(Close);
    last = start; // the figure's start is the current point again
}

void DrawPath::arc(double cx, double cy, double rx, double ry, double a0, double a1) {
    auto at = [&](double a) { return CPoint(cx + rx * std::cos(a), cy + ry * std::sin(a)); };
    CPoint first = at(a0);
    if (!current || std::abs(first.x - last.x) + std::abs(first.y - last.y) > 1e-9)
        lineTo(first);
    double sweep = a1 - a0;
    int segments = int(std::ceil(std::abs(sweep) / (kPi / 2) - 1e-9));
    if (segments <= 0 || rx <= 0 || ry <= 0)
        return;
    double step = sweep / segments;
    double k = 4.0 / 3.0 * std::tan(step / 4);
    for (int i = 0; i < segments; ++i) {
        double s = a0 + i * step, e = s + step;
        CPoint p0 = at(s), p1 = at(e);
        CPoint c1(p0.x - k * rx * std::sin(s), p0.y + k * ry * std::cos(s));
        CPoint c2(p1.x + k * rx * std::sin(e), p1.y - k * ry * std::cos(e));
        curveTo(c1, c2, p1);
    }
}

CRect DrawPath::bounds() const {
    if (points.empty())
        return CRect();
    CRect r(points[0].x, points[0].y, points[0].x, points[0].y);
    for (const CPoint& p : points) {
        r.left = std::min(r.left, p.x);
        r.top = std::min(r.top, p.y);
        r.right = std::max(r.right, p.x);
        r.bottom = std::max(r.bottom, p.y);
    }
    return r;
}

CColor DrawSurface::pixelAt(int x, int y) {
    if (x < 0 || y < 0 || x >= w || y >= h)
        return CColor(0, 0, 0, 0);
    const unsigned char* p = data() + size_t(y) * size_t(stride()) + size_t(x) * 4;
    uint8_t a = p[3];
    auto un = [a](unsigned c) { return uint8_t(a ? std::min(255u, (c * 255 + a / 2) / a) : 0); };
    return CColor(un(p[2]), un(p[1]), un(p[0]), a);
}

// ---- CDrawContext ------------------------------------------------------------

CDrawContext::CDrawContext(std::unique_ptr<DrawDevice> d, const CRect& clipRect)
    : device(std::move(d)), font(kSystemFont), fontSize(kSystemFont->getSize()),
      fontStyle(kSystemFont->getStyle()), clip(clipRect), baseClip(clipRect) {}

CDrawContext::~CDrawContext() { flushLine(); }

bool CDrawContext::deviceOk() const { return device->ok(); }

void CDrawContext::flushLine() {
    if (!lineOpen)
        return;
    lineOpen = false;
    device->stroke(line, frameColor, lineWidth, drawMode & kAntiAliasing);
    line = DrawPath();
}

void CDrawContext::setDrawMode(int32 mode) { flushLine(); drawMode = mode; }
void CDrawContext::setLineWidth(CCoord width) {
    flushLine();
    if (finite(width) && width >= 0)
        lineWidth = width;
}
void CDrawContext::setFrameColor(const CColor& c) { flushLine(); frameColor = c; }
void CDrawContext::setFillColor(const CColor& c) { flushLine(); fillColor = c; }
void CDrawContext::setFontColor(const CColor& c) { flushLine(); fontColor = c; }

void CDrawContext::setFont(const CFontDesc* f, const CCoord& size, const int32& style) {
    flushLine();
    if (!f)
        return;
    font = f;
    fontSize = size > 0 ? size : f->getSize();
    fontStyle = style >= 0 ? style : f->getStyle();
}

bool CDrawContext::currentFont(FontSpec& spec) const {
    if (!(fontSize > 0) || !finite(fontSize))
        return false;
    spec.family = font->getName();
    spec.style = fontStyle;
    spec.size = fontSize;
    return true;
}

CCoord CDrawContext::getStringWidth(UTF8StringPtr text) {
    flushLine();
    FontSpec spec;
    if (!text || !*text || !currentFont(spec))
        return 0;
    return textAdvance(spec, text);
}

void CDrawContext::drawString(UTF8StringPtr text, const CPoint& p, bool) {
    flushLine();
    FontSpec spec;
    if (!text || !*text || !finite(p) || !currentFont(spec))
        return;
    device->drawText(spec, text, p, fontColor, nullptr);
}

void CDrawContext::drawString(UTF8StringPtr text, const CRect& rect, CHoriTxtAlign align, bool) {
    flushLine();
    FontSpec spec;
    if (!text || !*text || !finite(rect) || !currentFont(spec))
        return;
    FontMetrics fm = fontMetrics(spec);
    CCoord width = textAdvance(spec, text);
    CCoord x = rect.left;
    if (align == kRightText)
        x = rect.right - width;
    else if (align == kCenterText)
        x = rect.left + (rect.getWidth() - width) / 2;
    CCoord y = rect.top + (rect.getHeight() + fm.ascent - fm.descent) / 2;
    device->drawText(spec, text, CPoint(x, y), fontColor, &rect);
}

void CDrawContext::moveTo(const CPoint& p) {
    flushLine();
    pen = p;
}

void CDrawContext::lineTo(const CPoint& p) {
    if (!finite(p) || !finite(pen)) {
        flushLine();
        pen = p;
        return;
    }
    if (!lineOpen) {
        line = DrawPath();
        line.moveTo(pen);
        lineOpen = true;
    }
    line.lineTo(p);
    pen = p;
}

void CDrawContext::drawLine(const CPoint& start, const CPoint& end) {
    moveTo(start);
    lineTo(end);
    flushLine();
}

void CDrawContext::drawLines(const std::vector<std::pair<CPoint, CPoint>>& lines) {
    for (const auto& l : lines)
        drawLine(l.first, l.second);
}

// Fills the path with the fill colour and/or strokes it with the frame colour
// and line width, as the style asks.
void CDrawContext::fillAndStroke(const DrawPath& path, CDrawStyle style) {
    bool aa = drawMode & kAntiAliasing;
    if (style == kDrawFilled || style == kDrawFilledAndStroked)
        device->fill(path, fillColor, false, aa);
    if (style == kDrawStroked || style == kDrawFilledAndStroked)
        device->stroke(path, frameColor, lineWidth, aa);
}

void CDrawContext::drawPolygon(const std::vector<CPoint>& points, CDrawStyle style) {
    flushLine();
    if (points.size() < 2)
        return;
    for (const CPoint& p : points)
        if (!finite(p))
            return;
    DrawPath path;
    path.moveTo(points[0]);
    for (size_t i = 1; i < points.size(); ++i)
        path.lineTo(points[i]);
    if (style != kDrawStroked)
        path.close();
    fillAndStroke(path, style);
}

void CDrawContext::drawRect(const CRect& r, CDrawStyle style) {
    flushLine();
    if (!finite(r))
        return;
    CRect box = r;
    if (style == kDrawStroked) {
        // Stroke inside the half-open rectangle so that the outline stays in the view.
        double h = lineWidth / 2;
        box = CRect(r.left + h, r.top + h, r.right - h, r.bottom - h);
    }
    DrawPath path;
    path.moveTo(CPoint(box.left, box.top));
    path.lineTo(CPoint(box.right, box.top));
    path.lineTo(CPoint(box.right, box.bottom));
    path.lineTo(CPoint(box.left, box.bottom));
    path.close();
    fillAndStroke(path, style);
}

void CDrawContext::drawEllipse(const CRect& r, CDrawStyle style) {
    flushLine();
    if (!finite(r) || r.getWidth() <= 0 || r.getHeight() <= 0)
        return;
    CPoint c = r.getCenter();
    DrawPath path;
    path.arc(c.x, c.y, r.getWidth() / 2, r.getHeight() / 2, 0, 2 * kPi);
    path.close();
    fillAndStroke(path, style);
}

void CDrawContext::drawArc(const CRect& r, float startAngle, float endAngle, CDrawStyle style) {
    flushLine();
    if (!finite(r) || !finite(startAngle) || !finite(endAngle) || r.getWidth() <= 0 || r.getHeight() <= 0)
        return;
    double a0 = startAngle * kDegToRad, a1 = endAngle * kDegToRad;
    while (a1 < a0)
        a1 += 2 * kPi;
    CPoint c = r.getCenter();
    DrawPath path;
    if (style != kDrawStroked)
        path.moveTo(c);
    path.arc(c.x, c.y, r.getWidth() / 2, r.getHeight() / 2, a0, a1);
    if (style != kDrawStroked)
        path.close();
    fillAndStroke(path, style);
}

// The path's geometry in user units, moved by the transform when given.
DrawPath CDrawContext::flatten(const CGraphicsPath& source, const CGraphicsTransform* t) {
    DrawPath path;
    auto arcTo = [&](double l, double tp, double r, double b, double a0, double a1, bool newFigure) {
        double cx = (l + r) / 2, cy = (tp + b) / 2;
        if (!t) {
            if (newFigure)
                path.moveTo(CPoint(cx + (r - l) / 2 * std::cos(a0), cy + (b - tp) / 2 * std::sin(a0)));
            path.arc(cx, cy, (r - l) / 2, (b - tp) / 2, a0, a1);
            return;
        }
        // Affine maps keep Béziers: build the arc untransformed, then map its points.
        DrawPath piece;
        piece.arc(cx, cy, (r - l) / 2, (b - tp) / 2, a0, a1);
        const auto& pts = piece.getPoints();
        size_t k = 0;
        for (DrawPath::Kind kind : piece.getKinds()) {
            if (kind == DrawPath::Curve) {
                path.curveTo(transformed(t, pts[k]), transformed(t, pts[k + 1]), transformed(t, pts[k + 2]));
                k += 3;
            } else { // the arc's start
                CPoint p = transformed(t, pts[k++]);
                if (newFigure)
                    path.moveTo(p);
                else
                    path.lineTo(p);
            }
        }
    };
    for (const CGraphicsPath::Op& op : source.getOps()) {
        const double* v = op.v;
        switch (op.kind) {
        case CGraphicsPath::Op::Begin: path.moveTo(transformed(t, CPoint(v[0], v[1]))); break;
        case CGraphicsPath::Op::Line: path.lineTo(transformed(t, CPoint(v[0], v[1]))); break;
        case CGraphicsPath::Op::Bezier:
            path.curveTo(transformed(t, CPoint(v[0], v[1])), transformed(t, CPoint(v[2], v[3])),
                         transformed(t, CPoint(v[4], v[5])));
            break;
        case CGraphicsPath::Op::Arc: {
            if (v[2] - v[0] <= 0 || v[3] - v[1] <= 0)
                break;
            double a0 = v[4] * kDegToRad, a1 = v[5] * kDegToRad;
            if (op.clockwise)
                while (a1 < a0)
                    a1 += 2 * kPi;
            else
                while (a1 > a0)
                    a1 -= 2 * kPi;
            arcTo(v[0], v[1], v[2], v[3], a0, a1, false);
            break;
        }
        case CGraphicsPath::Op::Ellipse:
            if (v[2] - v[0] <= 0 || v[3] - v[1] <= 0)
                break;
            arcTo(v[0], v[1], v[2], v[3], 0, 2 * kPi, true);
            path.close();
            break;
        case CGraphicsPath::Op::Rect:
            path.moveTo(transformed(t, CPoint(v[0], v[1])));
            path.lineTo(transformed(t, CPoint(v[2], v[1])));
            path.lineTo(transformed(t, CPoint(v[2], v[3])));
            path.lineTo(transformed(t, CPoint(v[0], v[3])));
            path.close();
            break;
        case CGraphicsPath::Op::RoundRect: {
            double l = v[0], tp = v[1], r = v[2], b = v[3];
            double rad = std::max(0.0, std::min({v[4], (r - l) / 2, (b - tp) / 2}));
            if (!(rad > 0)) {
                path.moveTo(transformed(t, CPoint(l, tp)));
                path.lineTo(transformed(t, CPoint(r, tp)));
                path.lineTo(transformed(t, CPoint(r, b)));
                path.lineTo(transformed(t, CPoint(l, b)));
                path.close();
                break;
            }
            double d = 2 * rad;
            arcTo(r - d, tp, r, tp + d, -kPi / 2, 0, true);
            arcTo(r - d, b - d, r, b, 0, kPi / 2, false);
            arcTo(l, b - d, l + d, b, kPi / 2, kPi, false);
            arcTo(l, tp, l + d, tp + d, kPi, 3 * kPi / 2, false);
            path.close();
            break;
        }
        case CGraphicsPath::Op::Close: path.close(); break;
        }
    }
    return path;
}

void CDrawContext::drawGraphicsPath(CGraphicsPath* path, PathDrawMode mode, CGraphicsTransform* t) {
    flushLine();
    if (!path || !path->isFinite() || (t && !t->isFinite()))
        return;
    DrawPath geometry = flatten(*path, t); // the line width is not transformed
    bool aa = drawMode & kAntiAliasing;
    if (mode == kPathStroked)
        device->stroke(geometry, frameColor, lineWidth, aa);
    else
        device->fill(geometry, fillColor, mode == kPathFilledEvenOdd, aa);
}

void CDrawContext::fillLinearGradient(CGraphicsPath* path, const CGradient& gradient, const CPoint& start,
                                      const CPoint& end, bool evenOdd, CGraphicsTransform* t) {
    flushLine();
    if (!path || !path->isFinite() || !finite(start) || !finite(end) || (t && !t->isFinite()))
        return;
    for (const auto& stop : gradient.getColorStops())
        if (!finite(stop.first))
            return;
    // The end points move with the geometry (exact for turns, shifts and even scaling).
    device->fillLinear(flatten(*path, t), gradient.getColorStops(), transformed(t, start), transformed(t, end),
                       evenOdd, drawMode & kAntiAliasing);
}

void CDrawContext::setClipRect(const CRect& r) {
    flushLine();
    if (!finite(r))
        return;
    clip = r;
    clip.bound(baseClip);
    device->setClip(clip);
}

CRect& CDrawContext::getClipRect(CRect& r) const { return r = clip; }

void CDrawContext::saveGlobalState() {
    flushLine();
    saved.push_back({frameColor, fillColor, fontColor, lineWidth, drawMode, font, fontSize, fontStyle, clip});
}

void CDrawContext::restoreGlobalState() {
    flushLine();
    if (saved.empty())
        return;
    State s = saved.back();
    saved.pop_back();
    frameColor = s.frameColor;
    fillColor = s.fillColor;
    fontColor = s.fontColor;
    lineWidth = s.lineWidth;
    drawMode = s.drawMode;
    font = s.font;
    fontSize = s.fontSize;
    fontStyle = s.fontStyle;
    if (s.clip != clip)
        setClipRect(s.clip);
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
