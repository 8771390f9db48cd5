#include "drawcontext.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

namespace {
constexpr double kDegToRad = 3.141592653589793 / 180.0;

bool finite(double v) { return std::isfinite(v); }
bool finite(const CPoint& p) { return finite(p.x) && finite(p.y); }
bool finite(const CRect& r) { return finite(r.left) && finite(r.top) && finite(r.right) && finite(r.bottom); }

// Multiplies the context's matrix by t, when there is one.
void transformBy(cairo_t* cr, const CGraphicsTransform* t) {
    if (!t)
        return;
    cairo_matrix_t m;
    cairo_matrix_init(&m, t->m11, t->m21, t->m12, t->m22, t->dx, t->dy);
    cairo_transform(cr, &m);
}
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

// ---- CDrawContext ------------------------------------------------------------

CDrawContext::CDrawContext(cairo_t* c, const CRect& clipRect)
    : cr(cairo_reference(c)), font(kSystemFont), fontSize(kSystemFont->getSize()),
      fontStyle(kSystemFont->getStyle()), clip(clipRect), baseClip(clipRect) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    cairo_save(cr); // the level that setClipRect returns to
}

CDrawContext::~CDrawContext() {
    flushLine();
    cairo_restore(cr);
    cairo_destroy(cr);
}

void CDrawContext::setSource(const CColor& c) {
    cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

void CDrawContext::applyShapeAntialias() {
    cairo_set_antialias(cr, (drawMode & kAntiAliasing) ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
}

void CDrawContext::flushLine() {
    if (!lineOpen)
        return;
    lineOpen = false;
    applyShapeAntialias();
    setSource(frameColor);
    cairo_set_line_width(cr, lineWidth);
    cairo_stroke(cr);
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

bool CDrawContext::selectFont() {
    if (!(fontSize > 0) || !finite(fontSize))
        return false;
    cairo_set_font_face(cr, CFontDesc::faceFor(font->getName(), fontStyle));
    cairo_set_font_size(cr, fontSize);
    return cairo_status(cr) == CAIRO_STATUS_SUCCESS;
}

CCoord CDrawContext::getStringWidth(UTF8StringPtr text) {
    flushLine();
    if (!text || !*text || !selectFont())
        return 0;
    cairo_text_extents_t ext;
    cairo_text_extents(cr, text, &ext);
    return ext.x_advance;
}

void CDrawContext::drawString(UTF8StringPtr text, const CPoint& p, bool) {
    flushLine();
    if (!text || !*text || !finite(p) || !selectFont())
        return;
    setSource(fontColor);
    cairo_new_path(cr);
    cairo_move_to(cr, p.x, p.y);
    cairo_show_text(cr, text);
    cairo_new_path(cr);
}

void CDrawContext::drawString(UTF8StringPtr text, const CRect& rect, CHoriTxtAlign align, bool antialias) {
    flushLine();
    if (!text || !*text || !finite(rect) || !selectFont())
        return;
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    CCoord width = getStringWidth(text);
    CCoord x = rect.left;
    if (align == kRightText)
        x = rect.right - width;
    else if (align == kCenterText)
        x = rect.left + (rect.getWidth() - width) / 2;
    CCoord y = rect.top + (rect.getHeight() + fe.ascent - fe.descent) / 2;
    cairo_save(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    cairo_clip(cr);
    drawString(text, CPoint(x, y), antialias);
    cairo_restore(cr);
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
        cairo_new_path(cr);
        cairo_move_to(cr, pen.x, pen.y);
        lineOpen = true;
    }
    cairo_line_to(cr, p.x, p.y);
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

// Fills the current path with the fill colour and/or strokes it with the frame
// colour and line width, as the style asks; then clears it.
void CDrawContext::fillAndStrokePath(CDrawStyle style) {
    if (style == kDrawFilled || style == kDrawFilledAndStroked) {
        setSource(fillColor);
        if (style == kDrawFilledAndStroked)
            cairo_fill_preserve(cr);
        else
            cairo_fill(cr);
    }
    if (style == kDrawStroked || style == kDrawFilledAndStroked) {
        setSource(frameColor);
        cairo_set_line_width(cr, lineWidth);
        cairo_stroke(cr);
    }
    cairo_new_path(cr);
}

void CDrawContext::drawPolygon(const std::vector<CPoint>& points, CDrawStyle style) {
    flushLine();
    if (points.size() < 2)
        return;
    for (const CPoint& p : points)
        if (!finite(p))
            return;
    applyShapeAntialias();
    cairo_new_path(cr);
    cairo_move_to(cr, points[0].x, points[0].y);
    for (size_t i = 1; i < points.size(); ++i)
        cairo_line_to(cr, points[i].x, points[i].y);
    if (style != kDrawStroked)
        cairo_close_path(cr);
    fillAndStrokePath(style);
}

void CDrawContext::drawRect(const CRect& r, CDrawStyle style) {
    flushLine();
    if (!finite(r))
        return;
    applyShapeAntialias();
    cairo_new_path(cr);
    if (style == kDrawStroked) {
        // Stroke inside the half-open rectangle so that the outline stays in the view.
        double h = lineWidth / 2;
        cairo_rectangle(cr, r.left + h, r.top + h, r.getWidth() - lineWidth, r.getHeight() - lineWidth);
    } else {
        cairo_rectangle(cr, r.left, r.top, r.getWidth(), r.getHeight());
    }
    fillAndStrokePath(style);
}

void CDrawContext::drawEllipse(const CRect& r, CDrawStyle style) {
    flushLine();
    if (!finite(r) || r.getWidth() <= 0 || r.getHeight() <= 0)
        return;
    applyShapeAntialias();
    cairo_new_path(cr);
    cairo_save(cr);
    cairo_translate(cr, r.left + r.getWidth() / 2, r.top + r.getHeight() / 2);
    cairo_scale(cr, r.getWidth() / 2, r.getHeight() / 2);
    cairo_arc(cr, 0, 0, 1, 0, 2 * 3.141592653589793);
    cairo_restore(cr);
    fillAndStrokePath(style);
}

void CDrawContext::drawArc(const CRect& r, float startAngle, float endAngle, CDrawStyle style) {
    flushLine();
    if (!finite(r) || !finite(startAngle) || !finite(endAngle) || r.getWidth() <= 0 || r.getHeight() <= 0)
        return;
    applyShapeAntialias();
    cairo_new_path(cr);
    cairo_save(cr);
    cairo_translate(cr, r.left + r.getWidth() / 2, r.top + r.getHeight() / 2);
    cairo_scale(cr, r.getWidth() / 2, r.getHeight() / 2);
    if (style != kDrawStroked)
        cairo_move_to(cr, 0, 0);
    cairo_arc(cr, 0, 0, 1, startAngle * kDegToRad, endAngle * kDegToRad);
    if (style != kDrawStroked)
        cairo_close_path(cr);
    cairo_restore(cr);
    fillAndStrokePath(style);
}

void CDrawContext::appendPath(const CGraphicsPath& path) {
    cairo_new_path(cr);
    for (const CGraphicsPath::Op& op : path.getOps()) {
        const double* v = op.v;
        switch (op.kind) {
        case CGraphicsPath::Op::Begin: cairo_move_to(cr, v[0], v[1]); break;
        case CGraphicsPath::Op::Line:
            if (cairo_has_current_point(cr))
                cairo_line_to(cr, v[0], v[1]);
            else
                cairo_move_to(cr, v[0], v[1]);
            break;
        case CGraphicsPath::Op::Bezier:
            if (!cairo_has_current_point(cr))
                cairo_move_to(cr, v[0], v[1]);
            cairo_curve_to(cr, v[0], v[1], v[2], v[3], v[4], v[5]);
            break;
        case CGraphicsPath::Op::Arc: {
            double w = v[2] - v[0], h = v[3] - v[1];
            if (w <= 0 || h <= 0)
                break;
            cairo_save(cr);
            cairo_translate(cr, v[0] + w / 2, v[1] + h / 2);
            cairo_scale(cr, w / 2, h / 2);
            // cairo_arc adds a line from a current point to the arc's start.
            if (op.clockwise)
                cairo_arc(cr, 0, 0, 1, v[4] * kDegToRad, v[5] * kDegToRad);
            else
                cairo_arc_negative(cr, 0, 0, 1, v[4] * kDegToRad, v[5] * kDegToRad);
            cairo_restore(cr);
            break;
        }
        case CGraphicsPath::Op::Ellipse: {
            double w = v[2] - v[0], h = v[3] - v[1];
            if (w <= 0 || h <= 0)
                break;
            cairo_new_sub_path(cr);
            cairo_save(cr);
            cairo_translate(cr, v[0] + w / 2, v[1] + h / 2);
            cairo_scale(cr, w / 2, h / 2);
            cairo_arc(cr, 0, 0, 1, 0, 2 * 3.141592653589793);
            cairo_restore(cr);
            cairo_close_path(cr);
            break;
        }
        case CGraphicsPath::Op::Rect:
            cairo_rectangle(cr, v[0], v[1], v[2] - v[0], v[3] - v[1]);
            break;
        case CGraphicsPath::Op::RoundRect: {
            double l = v[0], t = v[1], r = v[2], b = v[3];
            double rad = std::max(0.0, std::min({v[4], (r - l) / 2, (b - t) / 2}));
            const double pi = 3.141592653589793;
            cairo_new_sub_path(cr);
            cairo_arc(cr, r - rad, t + rad, rad, -pi / 2, 0);
            cairo_arc(cr, r - rad, b - rad, rad, 0, pi / 2);
            cairo_arc(cr, l + rad, b - rad, rad, pi / 2, pi);
            cairo_arc(cr, l + rad, t + rad, rad, pi, 3 * pi / 2);
            cairo_close_path(cr);
            break;
        }
        case CGraphicsPath::Op::Close: cairo_close_path(cr); break;
        }
    }
}

void CDrawContext::drawGraphicsPath(CGraphicsPath* path, PathDrawMode mode, CGraphicsTransform* t) {
    flushLine();
    if (!path || !path->isFinite() || (t && !t->isFinite()))
        return;
    applyShapeAntialias();
    cairo_save(cr);
    transformBy(cr, t);
    appendPath(*path);
    cairo_restore(cr); // the path stays; the line width is not transformed
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS)
        return;
    if (mode == kPathStroked) {
        setSource(frameColor);
        cairo_set_line_width(cr, lineWidth);
        cairo_stroke(cr);
    } else {
        cairo_set_fill_rule(cr, mode == kPathFilledEvenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
        setSource(fillColor);
        cairo_fill(cr);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    }
}

void CDrawContext::fillLinearGradient(CGraphicsPath* path, const CGradient& gradient, const CPoint& start,
                                      const CPoint& end, bool evenOdd, CGraphicsTransform* t) {
    flushLine();
    if (!path || !path->isFinite() || !finite(start) || !finite(end) || (t && !t->isFinite()))
        return;
    for (const auto& stop : gradient.getColorStops())
        if (!finite(stop.first))
            return;
    applyShapeAntialias();
    cairo_pattern_t* pattern = cairo_pattern_create_linear(start.x, start.y, end.x, end.y);
    for (const auto& stop : gradient.getColorStops()) {
        const CColor& c = stop.second;
        cairo_pattern_add_color_stop_rgba(pattern, stop.first, c.red / 255.0, c.green / 255.0, c.blue / 255.0,
                                          c.alpha / 255.0);
    }
    cairo_save(cr);
    transformBy(cr, t);
    appendPath(*path);
    cairo_set_source(cr, pattern);
    cairo_set_fill_rule(cr, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_pattern_destroy(pattern);
}

void CDrawContext::setClipRect(const CRect& r) {
    flushLine();
    if (!finite(r))
        return;
    clip = r;
    clip.bound(baseClip);
    cairo_restore(cr);
    cairo_save(cr);
    cairo_rectangle(cr, clip.left, clip.top, clip.getWidth(), clip.getHeight());
    cairo_clip(cr);
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
