// Internal: what the draw context and the frame need from a drawing library.
// One back end implements it (cairo on Linux, GDI+ on Windows); everything
// above it, views, frame and pop-up layout, knows no drawing library.
#pragma once

#include "base.h"
#include "platform.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

// A path in user units made of moves, lines, cubic Béziers and closes; arcs
// and ellipses arrive already turned into Béziers.
class DrawPath {
public:
    enum Kind : unsigned char { Move, Line, Curve, Close };

    void moveTo(const CPoint& p);
    // Starts a figure at p when there is no current point.
    void lineTo(const CPoint& p);
    void curveTo(const CPoint& c1, const CPoint& c2, const CPoint& end);
    void close();
    // An arc of the ellipse inscribed in (cx ± rx, cy ± ry) from a0 to a1
    // (radians; positive turns clockwise on screen), joined to the current point.
    void arc(double cx, double cy, double rx, double ry, double a0, double a1);

    bool empty() const { return kinds.empty(); }
    bool hasCurrentPoint() const { return current; }
    const std::vector<Kind>& getKinds() const { return kinds; }
    // One point per Move and Line, three per Curve, none per Close.
    const std::vector<CPoint>& getPoints() const { return points; }
    // Smallest rectangle holding every point (control points included).
    CRect bounds() const;

private:
    std::vector<Kind> kinds;
    std::vector<CPoint> points;
    CPoint start, last;
    bool current = false;
};

// A requested family, before the back end picks an installed face for it.
struct FontSpec {
    std::string family;
    int32 style = 0;
    double size = 12;
};

struct FontMetrics {
    double ascent = 0;
    double descent = 0; // positive, below the baseline
};

using GradientStops = std::vector<std::pair<double, CColor>>;

// One drawing target over part of a surface; coordinates are user units.
// [GUI thread] like everything drawn.
class DrawDevice {
public:
    virtual ~DrawDevice() = default;
    // Replaces the clip; it never reaches beyond the area the device was made for.
    virtual void setClip(const CRect& clip) = 0;
    virtual void fill(const DrawPath& path, const CColor& color, bool evenOdd, bool antialias) = 0;
    // Colours pad beyond the start and end points.
    virtual void fillLinear(const DrawPath& path, const GradientStops& stops, const CPoint& start,
                            const CPoint& end, bool evenOdd, bool antialias) = 0;
    virtual void stroke(const DrawPath& path, const CColor& color, double width, bool antialias) = 0;
    // Text from its baseline's left end, clipped also to textClip when given.
    virtual void drawText(const FontSpec& font, const char* utf8, const CPoint& baseline, const CColor& color,
                          const CRect* textClip) = 0;
    // False once the library has refused an operation.
    virtual bool ok() const = 0;
};

// [GUI thread] Text measures, independent of any surface.
double textAdvance(const FontSpec& font, const char* utf8);
FontMetrics fontMetrics(const FontSpec& font);

// The back buffer: premultiplied 32-bit pixels, B G R A in memory.
class DrawSurface {
public:
    // Null when the library cannot make one.
    static std::unique_ptr<DrawSurface> create(int width, int height);
    virtual ~DrawSurface() = default;

    int width() const { return w; }
    int height() const { return h; }
    // Pixels with every drawing finished.
    virtual const unsigned char* data() = 0;
    virtual int stride() const = 0;
    // Replaces the pixels of the area with the colour.
    virtual void fillRect(const PixelRect& area, const CColor& color) = 0;
    // A device clipped to the pixel area, its units scaled by zoom.
    virtual std::unique_ptr<DrawDevice> device(const PixelRect& clip, double zoom) = 0;
    virtual bool writePNG(const char* path) = 0;
    // Unpremultiplied colour of one pixel; transparent outside.
    CColor pixelAt(int x, int y);

protected:
    DrawSurface(int width, int height) : w(width), h(height) {}

private:
    int w, h;
};

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
