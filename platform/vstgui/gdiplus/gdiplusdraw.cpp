// The drawing back end over GDI+ (its flat interface): bitmaps over our own
// pixel memory, paths, gradients and text in the installed families.
#include "gdiplusdraw.h"

#include "../font.h"

#include <windows.h>

#include <gdiplus.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

namespace {

constexpr double kMeasureSize = 512;

// GDI+ runs while anything drawn with it lives: frames, surfaces, measures.
struct Session {
    int users = 0;
    ULONG_PTR token = 0;
    bool started = false;
    // Families found per requested family and style, with the style to use.
    std::map<std::pair<std::string, int32>, std::pair<GpFontFamily*, int>> families;
    std::map<std::pair<std::pair<std::string, int32>, float>, GpFont*> fonts;
    // Advance of one character per unit of font size.
    std::map<std::pair<std::pair<std::string, int32>, wchar_t>, double> advances;
    GpStringFormat* format = nullptr;
    GpBitmap* scratchBitmap = nullptr;
    GpGraphics* scratch = nullptr;

    void clear() {
        for (auto& f : fonts)
            GdipDeleteFont(f.second);
        fonts.clear();
        advances.clear();
        for (auto& f : families)
            GdipDeleteFontFamily(f.second.first);
        families.clear();
        if (format)
            GdipDeleteStringFormat(format);
        if (scratch)
            GdipDeleteGraphics(scratch);
        if (scratchBitmap)
            GdipDisposeImage(scratchBitmap);
        format = nullptr;
        scratch = nullptr;
        scratchBitmap = nullptr;
    }
};

Session& session() {
    static Session s;
    return s;
}

std::wstring wide(const char* utf8) {
    if (!utf8 || !*utf8)
        return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (n <= 1)
        return {};
    std::wstring w(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &w[0], n);
    w.resize(size_t(n - 1));
    return w;
}

ARGB argb(const CColor& c) {
    return (ARGB(c.alpha) << 24) | (ARGB(c.red) << 16) | (ARGB(c.green) << 8) | ARGB(c.blue);
}

int gdiplusStyle(int32 style) {
    return ((style & kBoldFace) ? FontStyleBold : 0) | ((style & kItalicFace) ? FontStyleItalic : 0);
}

GpFontFamily* familyNamed(const std::string& name) {
    GpFontFamily* family = nullptr;
    std::wstring w = wide(name.c_str());
    if (w.empty() || GdipCreateFontFamilyFromName(w.c_str(), nullptr, &family) != Ok)
        return nullptr;
    return family;
}

// The family a requested family is drawn with and the GDI+ style: the family
// itself when installed, else the same substitute as on Linux, else the
// generic sans serif.
std::pair<GpFontFamily*, int> resolveFamily(const std::string& requested, int32 style) {
    Session& s = session();
    auto key = std::make_pair(requested, style);
    auto it = s.families.find(key);
    if (it != s.families.end())
        return it->second;
    std::string name = requested.empty() ? "Arial" : requested;
    int32 mappedStyle = style;
    GpFontFamily* family = familyNamed(name);
    if (!family) {
        std::string substitute = CFontDesc::mapFamily(name, mappedStyle);
        family = familyNamed(substitute);
    }
    if (!family) {
        mappedStyle = style;
        family = familyNamed("Liberation Sans");
    }
    if (!family) {
        GpFontFamily* generic = nullptr;
        if (GdipGetGenericFontFamilySansSerif(&generic) == Ok)
            GdipCloneFontFamily(generic, &family);
    }
    auto value = std::make_pair(family, gdiplusStyle(mappedStyle));
    s.families.emplace(key, value);
    return value;
}

GpFont* fontFor(const FontSpec& spec, GpFontFamily** familyOut = nullptr, int* styleOut = nullptr) {
    if (!(spec.size > 0) || !std::isfinite(spec.size) || spec.size > 1e4)
        return nullptr;
    auto family = resolveFamily(spec.family, spec.style & (kBoldFace | kItalicFace));
    if (!family.first)
        return nullptr;
    if (familyOut)
        *familyOut = family.first;
    if (styleOut)
        *styleOut = family.second;
    Session& s = session();
    auto key = std::make_pair(std::make_pair(spec.family, spec.style & (kBoldFace | kItalicFace)), float(spec.size));
    auto it = s.fonts.find(key);
    if (it != s.fonts.end())
        return it->second;
    GpFont* font = nullptr;
    if (GdipCreateFont(family.first, REAL(spec.size), family.second, UnitPixel, &font) != Ok)
        return nullptr;
    s.fonts.emplace(key, font);
    return font;
}

// Typographic layout: no padding, no wrapping, trailing spaces measured.
GpStringFormat* textFormat() {
    Session& s = session();
    if (!s.format) {
        GpStringFormat* generic = nullptr;
        if (GdipStringFormatGetGenericTypographic(&generic) != Ok ||
            GdipCloneStringFormat(generic, &s.format) != Ok)
            return nullptr;
        GdipSetStringFormatFlags(s.format, StringFormatFlagsMeasureTrailingSpaces | StringFormatFlagsNoWrap |
                                               StringFormatFlagsNoClip);
    }
    return s.format;
}

void setTextQuality(GpGraphics* g) {
    GdipSetTextRenderingHint(g, TextRenderingHintAntiAlias);
    GdipSetPageUnit(g, UnitPixel);
}

GpGraphics* scratchGraphics() {
    Session& s = session();
    if (!s.scratch) {
        if (GdipCreateBitmapFromScan0(1, 1, 0, PixelFormat32bppPARGB, nullptr, &s.scratchBitmap) != Ok)
            return nullptr;
        if (GdipGetImageGraphicsContext(s.scratchBitmap, &s.scratch) != Ok)
            return nullptr;
        setTextQuality(s.scratch);
    }
    return s.scratch;
}

// Béziers go to GDI+ as short lines: Wine's flattening straightens S-shaped
// curves, and this way every GDI+ draws the same polygon. scale is pixels
// per unit; chords stay near 1.5 pixels, which keeps them within a hundredth
// of a pixel of the curve for radii above 30 pixels.
void addCurve(std::vector<GpPointF>& out, const CPoint& p0, const CPoint& c1, const CPoint& c2, const CPoint& p1,
              double scale) {
    auto dist = [](const CPoint& a, const CPoint& b) { return std::hypot(a.x - b.x, a.y - b.y); };
    double length = (dist(p0, c1) + dist(c1, c2) + dist(c2, p1)) * scale;
    int n = int(std::clamp(std::ceil(length / 1.5), 1.0, 1024.0));
    for (int i = 1; i <= n; ++i) {
        double t = double(i) / n, u = 1 - t;
        double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        out.push_back({REAL(a * p0.x + b * c1.x + c * c2.x + d * p1.x), REAL(a * p0.y + b * c1.y + c * c2.y + d * p1.y)});
    }
}

GpPath* buildPath(const DrawPath& path, bool evenOdd, double scale) {
    GpPath* p = nullptr;
    if (GdipCreatePath(evenOdd ? FillModeAlternate : FillModeWinding, &p) != Ok)
        return nullptr;
    const auto& pts = path.getPoints();
    size_t k = 0;
    std::vector<GpPointF> figure;
    auto flush = [&](bool close) {
        if (figure.size() >= 2) {
            GdipStartPathFigure(p);
            GdipAddPathLine2(p, figure.data(), INT(figure.size()));
            if (close)
                GdipClosePathFigure(p);
        }
        CPoint start = figure.empty() ? CPoint() : CPoint(figure.front().X, figure.front().Y);
        figure.clear();
        return start;
    };
    CPoint cur, first;
    for (DrawPath::Kind kind : path.getKinds()) {
        switch (kind) {
        case DrawPath::Move:
            flush(false);
            cur = first = pts[k++];
            figure.push_back({REAL(cur.x), REAL(cur.y)});
            break;
        case DrawPath::Line:
            cur = pts[k++];
            figure.push_back({REAL(cur.x), REAL(cur.y)});
            break;
        case DrawPath::Curve:
            addCurve(figure, cur, pts[k], pts[k + 1], pts[k + 2], scale);
            cur = pts[k + 2];
            k += 3;
            break;
        case DrawPath::Close:
            flush(true);
            cur = first; // a later segment starts a new figure here
            figure.push_back({REAL(cur.x), REAL(cur.y)});
            break;
        }
    }
    flush(false);
    GdipSetPathFillMode(p, evenOdd ? FillModeAlternate : FillModeWinding);
    return p;
}

// One character's advance per unit of font size, measured at a large size
// (small sizes come back hinted, in whole pixels) and cached.
double charAdvance(const FontSpec& spec, wchar_t c) {
    Session& s = session();
    auto key = std::make_pair(std::make_pair(spec.family, spec.style & (kBoldFace | kItalicFace)), c);
    auto it = s.advances.find(key);
    if (it != s.advances.end())
        return it->second;
    FontSpec large = spec;
    large.size = kMeasureSize;
    GpFont* font = fontFor(large);
    GpGraphics* g = scratchGraphics();
    GpStringFormat* format = textFormat();
    RectF layout(0, 0, 1e6f, 1e6f), box;
    double advance = 0;
    if (font && g && format && GdipMeasureString(g, &c, 1, font, &layout, format, &box, nullptr, nullptr) == Ok)
        advance = box.Width / kMeasureSize;
    s.advances.emplace(key, advance);
    return advance;
}

class GdiplusDevice : public DrawDevice {
public:
    // base is the device's area in user units.
    GdiplusDevice(GpGraphics* graphics, const CRect& area, double pixelsPerUnit)
        : g(graphics), base(area), scale(pixelsPerUnit) {
        GdipSetPixelOffsetMode(g, PixelOffsetModeHalf); // pixel (0,0) covers 0..1, as in cairo
        setTextQuality(g);
        setClip(base);
    }
    ~GdiplusDevice() override { GdipDeleteGraphics(g); }

    void setClip(const CRect& r) override {
        CRect c = r;
        c.bound(base);
        note(GdipSetClipRect(g, REAL(c.left), REAL(c.top), REAL(std::max(0.0, c.getWidth())),
                             REAL(std::max(0.0, c.getHeight())), CombineModeReplace));
    }

    void fill(const DrawPath& path, const CColor& color, bool evenOdd, bool antialias) override {
        GpPath* p = buildPath(path, evenOdd, scale);
        GpSolidFill* brush = nullptr;
        if (p && GdipCreateSolidFill(argb(color), &brush) == Ok) {
            smoothing(antialias);
            note(GdipFillPath(g, brush, p));
            GdipDeleteBrush(brush);
        }
        if (p)
            GdipDeletePath(p);
    }

    void fillLinear(const DrawPath& path, const GradientStops& stops, const CPoint& start, const CPoint& end,
                    bool evenOdd, bool antialias) override {
        if (stops.empty())
            return;
        double dx = end.x - start.x, dy = end.y - start.y, len2 = dx * dx + dy * dy;
        if (!(len2 > 1e-12)) {
            fill(path, stops.back().second, evenOdd, antialias);
            return;
        }
        // GDI+ repeats a gradient beyond its end points; stretch it over the
        // path so that the end colours pad, as they do in cairo.
        CRect b = path.bounds();
        double t0 = 0, t1 = 1;
        for (CPoint corner : {CPoint(b.left, b.top), CPoint(b.right, b.top), CPoint(b.left, b.bottom),
                              CPoint(b.right, b.bottom)}) {
            double t = ((corner.x - start.x) * dx + (corner.y - start.y) * dy) / len2;
            t0 = std::min(t0, t - 0.01);
            t1 = std::max(t1, t + 0.01);
        }
        std::vector<ARGB> colors;
        std::vector<REAL> positions;
        colors.push_back(argb(stops.front().second));
        positions.push_back(0);
        for (const auto& stop : stops) {
            double at = (std::clamp(stop.first, 0.0, 1.0) - t0) / (t1 - t0);
            colors.push_back(argb(stop.second));
            positions.push_back(REAL(std::max(double(positions.back()), at)));
        }
        colors.push_back(argb(stops.back().second));
        positions.push_back(1);
        GpPointF p0{REAL(start.x + t0 * dx), REAL(start.y + t0 * dy)};
        GpPointF p1{REAL(start.x + t1 * dx), REAL(start.y + t1 * dy)};
        GpLineGradient* brush = nullptr;
        GpPath* p = buildPath(path, evenOdd, scale);
        if (p && GdipCreateLineBrush(&p0, &p1, colors.front(), colors.back(), WrapModeTileFlipXY, &brush) == Ok) {
            GdipSetLinePresetBlend(brush, colors.data(), positions.data(), INT(colors.size()));
            smoothing(antialias);
            note(GdipFillPath(g, brush, p));
            GdipDeleteBrush(brush);
        }
        if (p)
            GdipDeletePath(p);
    }

    void stroke(const DrawPath& path, const CColor& color, double width, bool antialias) override {
        if (!(width > 0))
            return;
        GpPath* p = buildPath(path, false, scale);
        GpPen* pen = nullptr;
        if (p && GdipCreatePen1(argb(color), REAL(width), UnitWorld, &pen) == Ok) {
            GdipSetPenMiterLimit(pen, 10);
            smoothing(antialias);
            note(GdipDrawPath(g, pen, p));
            GdipDeletePen(pen);
        }
        if (p)
            GdipDeletePath(p);
    }

    // Glyphs go at positions from unhinted advances, so that text runs as
    // long as it measures and as it does on Linux.
    void drawText(const FontSpec& spec, const char* utf8, const CPoint& baseline, const CColor& color,
                  const CRect* textClip) override {
        GpFont* font = fontFor(spec);
        std::wstring text = wide(utf8);
        if (!font || text.empty())
            return;
        std::vector<PointF> positions;
        double x = baseline.x;
        for (wchar_t c : text) {
            positions.push_back(PointF(REAL(x), REAL(baseline.y)));
            x += charAdvance(spec, c) * spec.size;
        }
        GpRegion* saved = nullptr;
        if (textClip) {
            GdipCreateRegion(&saved);
            GdipGetClip(g, saved);
            GdipSetClipRect(g, REAL(textClip->left), REAL(textClip->top), REAL(textClip->getWidth()),
                            REAL(textClip->getHeight()), CombineModeIntersect);
        }
        GpSolidFill* brush = nullptr;
        if (GdipCreateSolidFill(argb(color), &brush) == Ok) {
            note(GdipDrawDriverString(g, reinterpret_cast<const UINT16*>(text.c_str()), INT(text.size()), font,
                                      brush, positions.data(), DriverStringOptionsCmapLookup, nullptr));
            GdipDeleteBrush(brush);
        }
        if (saved) {
            GdipSetClipRegion(g, saved, CombineModeReplace);
            GdipDeleteRegion(saved);
        }
    }

    bool ok() const override { return healthy; }

private:
    void smoothing(bool antialias) {
        GdipSetSmoothingMode(g, antialias ? SmoothingModeAntiAlias : SmoothingModeNone);
    }
    void note(GpStatus status) {
        if (status != Ok)
            healthy = false;
    }

    GpGraphics* g;
    CRect base;
    double scale;
    bool healthy = true;
};

class GdiplusSurface : public DrawSurface {
public:
    GdiplusSurface(int width, int height)
        : DrawSurface(width, height), pixels(size_t(width) * size_t(height), 0u) {
        acquireGdiplus();
        if (GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppPARGB,
                                      reinterpret_cast<BYTE*>(pixels.data()), &bitmap) != Ok)
            bitmap = nullptr;
    }
    ~GdiplusSurface() override {
        if (bitmap)
            GdipDisposeImage(bitmap);
        releaseGdiplus();
    }
    bool valid() const { return bitmap != nullptr; }

    const unsigned char* data() override { return reinterpret_cast<const unsigned char*>(pixels.data()); }
    int stride() const override { return width() * 4; }

    void fillRect(const PixelRect& r, const CColor& c) override {
        unsigned a = c.alpha;
        auto pre = [a](unsigned v) { return (v * a + 127) / 255; };
        uint32_t value = (a << 24) | (pre(c.red) << 16) | (pre(c.green) << 8) | pre(c.blue);
        int x0 = std::max(0, r.x0), x1 = std::min(width(), r.x1);
        for (int y = std::max(0, r.y0); y < std::min(height(), r.y1); ++y)
            std::fill(pixels.begin() + y * width() + x0, pixels.begin() + y * width() + std::max(x0, x1), value);
    }

    std::unique_ptr<DrawDevice> device(const PixelRect& r, double zoom) override {
        GpGraphics* g = nullptr;
        if (GdipGetImageGraphicsContext(bitmap, &g) != Ok)
            return nullptr;
        GdipScaleWorldTransform(g, REAL(zoom), REAL(zoom), MatrixOrderPrepend);
        return std::make_unique<GdiplusDevice>(g, CRect(r.x0 / zoom, r.y0 / zoom, r.x1 / zoom, r.y1 / zoom), zoom);
    }

    bool writePNG(const char* path) override {
        std::wstring file = wide(path);
        CLSID png;
        if (file.empty() || !pngEncoder(png))
            return false;
        return GdipSaveImageToFile(bitmap, file.c_str(), &png, nullptr) == Ok;
    }

private:
    static bool pngEncoder(CLSID& clsid) {
        UINT count = 0, bytes = 0;
        if (GdipGetImageEncodersSize(&count, &bytes) != Ok || bytes == 0)
            return false;
        std::vector<unsigned char> buffer(bytes);
        auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
        if (GdipGetImageEncoders(count, bytes, codecs) != Ok)
            return false;
        for (UINT i = 0; i < count; ++i)
            if (codecs[i].MimeType && std::wstring(codecs[i].MimeType) == L"image/png") {
                clsid = codecs[i].Clsid;
                return true;
            }
        return false;
    }

    std::vector<uint32_t> pixels;
    GpBitmap* bitmap = nullptr;
};

// Keeps GDI+ running for one measure when nothing else does.
struct MeasureScope {
    MeasureScope() { acquireGdiplus(); }
    ~MeasureScope() { releaseGdiplus(); }
};

} // namespace

bool acquireGdiplus() {
    Session& s = session();
    if (s.users++ == 0) {
        GdiplusStartupInput input;
        s.started = GdiplusStartup(&s.token, &input, nullptr) == Ok;
    }
    return s.started;
}

void releaseGdiplus() {
    Session& s = session();
    if (s.users <= 0 || --s.users > 0)
        return;
    s.clear();
    if (s.started)
        GdiplusShutdown(s.token);
    s.started = false;
}

std::unique_ptr<DrawSurface> DrawSurface::create(int width, int height) {
    auto s = std::make_unique<GdiplusSurface>(width, height);
    if (!s->valid())
        return nullptr;
    return s;
}

std::unique_ptr<DrawDevice> gdiplusDevice(GpGraphics* graphics, const CRect& area, double pixelsPerUnit) {
    return std::make_unique<GdiplusDevice>(graphics, area, pixelsPerUnit);
}

double textAdvance(const FontSpec& spec, const char* utf8) {
    MeasureScope scope;
    if (!(spec.size > 0) || !std::isfinite(spec.size))
        return 0;
    double units = 0;
    for (wchar_t c : wide(utf8))
        units += charAdvance(spec, c);
    return units * spec.size;
}

FontMetrics fontMetrics(const FontSpec& spec) {
    MeasureScope scope;
    GpFontFamily* family = nullptr;
    int style = 0;
    if (!fontFor(spec, &family, &style))
        return {};
    UINT16 em = 0, ascent = 0, descent = 0;
    GdipGetEmHeight(family, style, &em);
    GdipGetCellAscent(family, style, &ascent);
    GdipGetCellDescent(family, style, &descent);
    if (!em)
        return {};
    return {spec.size * ascent / em, spec.size * descent / em};
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
