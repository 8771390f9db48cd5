// Drawing: transforms, gradients, graphics paths and the draw context over
// the platform's drawing library.
#pragma once

#include "base.h"
#include "drawdevice.h"
#include "font.h"

#include <memory>
#include <utility>
#include <vector>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

// Affine transform: x' = m11 x + m12 y + dx, y' = m21 x + m22 y + dy.
struct CGraphicsTransform {
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;

    CGraphicsTransform() = default;
    CGraphicsTransform(double a11, double a12, double a21, double a22, double tx, double ty)
        : m11(a11), m12(a12), m21(a21), m22(a22), dx(tx), dy(ty) {}

    // Each appends an operation that runs after the earlier ones.
    CGraphicsTransform& translate(double tx, double ty);
    CGraphicsTransform& translate(const CPoint& p) { return translate(p.x, p.y); }
    CGraphicsTransform& scale(double sx, double sy);
    // Degrees; positive turns clockwise on screen (y grows downward).
    CGraphicsTransform& rotate(double degrees);

    // this * other: apply other first, then this.
    CGraphicsTransform operator*(const CGraphicsTransform& other) const;
    CPoint& transform(CPoint& p) const;
    bool isFinite() const;
};

class CGradient : public CBaseObject {
public:
    using ColorStop = std::pair<double, CColor>;

    static CGradient* create(double color1Start, double color2Start, const CColor& color1, const CColor& color2);
    // Stops stay sorted by position.
    void addColorStop(double start, const CColor& color);
    const std::vector<ColorStop>& getColorStops() const { return stops; }

private:
    std::vector<ColorStop> stops;
};

class CGraphicsPath : public CBaseObject {
public:
    struct Op {
        enum Kind { Begin, Line, Bezier, Arc, Ellipse, Rect, RoundRect, Close } kind;
        double v[7];
        bool clockwise;
    };

    void beginSubpath(const CPoint& p);
    void addLine(const CPoint& p);
    void addBezierCurve(const CPoint& control1, const CPoint& control2, const CPoint& end);
    // Angles in degrees; clockwise sweeps increasing angles. An elliptic
    // rectangle draws an elliptic arc.
    void addArc(const CRect& rect, double startAngle, double endAngle, bool clockwise);
    void addEllipse(const CRect& rect);
    void addRect(const CRect& rect);
    void addRoundRect(const CRect& rect, CCoord radius);
    void closeSubpath();
    CGradient* createGradient(double color1Start, double color2Start, const CColor& color1, const CColor& color2);

    const std::vector<Op>& getOps() const { return ops; }
    bool isFinite() const;

private:
    void add(Op::Kind k, std::initializer_list<double> values, bool cw = false);
    std::vector<Op> ops;
};

// One context per view per paint, over a drawing device already scaled by
// the frame's zoom; all coordinates are design units.
class CDrawContext {
public:
    enum PathDrawMode { kPathFilled, kPathFilledEvenOdd, kPathStroked };

    // clip is the area the device is already clipped to.
    explicit CDrawContext(std::unique_ptr<DrawDevice> device, const CRect& clip = CRect(-1e9, -1e9, 1e9, 1e9));
    ~CDrawContext();
    CDrawContext(const CDrawContext&) = delete;
    CDrawContext& operator=(const CDrawContext&) = delete;

    void setDrawMode(int32 mode);
    int32 getDrawMode() const { return drawMode; }
    void setLineWidth(CCoord width);
    CCoord getLineWidth() const { return lineWidth; }
    void setFrameColor(const CColor& c);
    const CColor& getFrameColor() const { return frameColor; }
    void setFillColor(const CColor& c);
    const CColor& getFillColor() const { return fillColor; }
    void setFontColor(const CColor& c);
    const CColor& getFontColor() const { return fontColor; }
    // size 0 keeps the font's size; style -1 keeps the font's style.
    void setFont(const CFontDesc* font, const CCoord& size = 0, const int32& style = -1);
    const CFontDesc* getFont() const { return font; }

    CCoord getStringWidth(UTF8StringPtr text);
    void drawString(UTF8StringPtr text, const CPoint& baselineLeft, bool antialias = true);
    void drawString(UTF8StringPtr text, const CRect& rect, CHoriTxtAlign align = kCenterText, bool antialias = true);

    void moveTo(const CPoint& p);
    void lineTo(const CPoint& p);
    void drawLine(const CPoint& start, const CPoint& end);
    void drawLine(const std::pair<CPoint, CPoint>& line) { drawLine(line.first, line.second); }
    void drawLines(const std::vector<std::pair<CPoint, CPoint>>& lines);
    void drawPolygon(const std::vector<CPoint>& points, CDrawStyle style = kDrawStroked);
    void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked);
    void drawEllipse(const CRect& rect, CDrawStyle style = kDrawStroked);
    // Angles in degrees, increasing clockwise on screen.
    void drawArc(const CRect& rect, float startAngle, float endAngle, CDrawStyle style = kDrawStroked);

    CGraphicsPath* createGraphicsPath() { return new CGraphicsPath; }
    // The transform moves the geometry, not the line width.
    void drawGraphicsPath(CGraphicsPath* path, PathDrawMode mode = kPathFilled,
                          CGraphicsTransform* transform = nullptr);
    void fillLinearGradient(CGraphicsPath* path, const CGradient& gradient, const CPoint& startPoint,
                            const CPoint& endPoint, bool evenOdd = false, CGraphicsTransform* transform = nullptr);

    void setClipRect(const CRect& clip);
    CRect& getClipRect(CRect& clip) const;
    void saveGlobalState();
    void restoreGlobalState();

    // False once the drawing library has refused an operation.
    bool deviceOk() const;

private:
    struct State {
        CColor frameColor, fillColor, fontColor;
        CCoord lineWidth;
        int32 drawMode;
        const CFontDesc* font;
        CCoord fontSize;
        int32 fontStyle;
        CRect clip;
    };

    void flushLine();
    void fillAndStroke(const DrawPath& path, CDrawStyle style);
    static DrawPath flatten(const CGraphicsPath& path, const CGraphicsTransform* t);
    bool currentFont(FontSpec& spec) const;

    std::unique_ptr<DrawDevice> device;
    DrawPath line;
    CColor frameColor{0, 0, 0, 255};
    CColor fillColor{255, 255, 255, 255};
    CColor fontColor{255, 255, 255, 255};
    CCoord lineWidth = 1;
    int32 drawMode = kAliasing;
    const CFontDesc* font;
    CCoord fontSize;
    int32 fontStyle;
    CRect clip;
    CRect baseClip;
    CPoint pen;
    bool lineOpen = false;
    std::vector<State> saved;
};

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
