// The drawing back end over cairo: image surfaces, paths, gradients and text
// through fontconfig faces.
#include "cairodraw.h"

#include "../font.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstring>
#include <map>
#include <utility>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

cairo_font_face_t* cairoFontFace(const std::string& requested, int32 style) {
    static std::map<std::pair<std::string, int32>, cairo_font_face_t*> cache;
    std::string family = CFontDesc::mapFamily(requested, style);
    style &= (kBoldFace | kItalicFace);
    auto key = std::make_pair(family, style);
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second;

    cairo_font_face_t* face = nullptr;
    FcPattern* pattern = FcPatternCreate();
    if (pattern) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, (style & kBoldFace) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, (style & kItalicFace) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        if (match) {
            face = cairo_ft_font_face_create_for_pattern(match);
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
    }
    if (!face || cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS) {
        if (face)
            cairo_font_face_destroy(face);
        face = cairo_toy_font_face_create("sans-serif",
                                          (style & kItalicFace) ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                                          (style & kBoldFace) ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    }
    cache.emplace(key, face);
    return face;
}

namespace {

void setSource(cairo_t* cr, const CColor& c) {
    cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

// Grey antialiasing without hinting, so that output is the same everywhere.
void setTextOptions(cairo_t* cr) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

bool selectFont(cairo_t* cr, const FontSpec& font) {
    cairo_set_font_face(cr, cairoFontFace(font.family, font.style));
    cairo_set_font_size(cr, font.size);
    return cairo_status(cr) == CAIRO_STATUS_SUCCESS;
}

void appendPath(cairo_t* cr, const DrawPath& path) {
    cairo_new_path(cr);
    const auto& pts = path.getPoints();
    size_t k = 0;
    for (DrawPath::Kind kind : path.getKinds()) {
        switch (kind) {
        case DrawPath::Move: cairo_move_to(cr, pts[k].x, pts[k].y); ++k; break;
        case DrawPath::Line: cairo_line_to(cr, pts[k].x, pts[k].y); ++k; break;
        case DrawPath::Curve:
            cairo_curve_to(cr, pts[k].x, pts[k].y, pts[k + 1].x, pts[k + 1].y, pts[k + 2].x, pts[k + 2].y);
            k += 3;
            break;
        case DrawPath::Close: cairo_close_path(cr); break;
        }
    }
}

class CairoDevice : public DrawDevice {
public:
    explicit CairoDevice(cairo_t* c) : cr(cairo_reference(c)) {
        setTextOptions(cr);
        cairo_save(cr); // the level that setClip returns to
    }
    ~CairoDevice() override {
        cairo_restore(cr);
        cairo_destroy(cr);
    }

    void setClip(const CRect& r) override {
        cairo_restore(cr);
        cairo_save(cr);
        cairo_rectangle(cr, r.left, r.top, r.getWidth(), r.getHeight());
        cairo_clip(cr);
    }

    void fill(const DrawPath& path, const CColor& color, bool evenOdd, bool antialias) override {
        antialiasShapes(antialias);
        appendPath(cr, path);
        setSource(cr, color);
        cairo_set_fill_rule(cr, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
        cairo_fill(cr);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    }

    void fillLinear(const DrawPath& path, const GradientStops& stops, const CPoint& start, const CPoint& end,
                    bool evenOdd, bool antialias) override {
        antialiasShapes(antialias);
        cairo_pattern_t* pattern = cairo_pattern_create_linear(start.x, start.y, end.x, end.y);
        cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
        for (const auto& stop : stops) {
            const CColor& c = stop.second;
            cairo_pattern_add_color_stop_rgba(pattern, stop.first, c.red / 255.0, c.green / 255.0, c.blue / 255.0,
                                              c.alpha / 255.0);
        }
        appendPath(cr, path);
        cairo_set_source(cr, pattern);
        cairo_set_fill_rule(cr, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
        cairo_fill(cr);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
        cairo_pattern_destroy(pattern);
    }

    void stroke(const DrawPath& path, const CColor& color, double width, bool antialias) override {
        antialiasShapes(antialias);
        appendPath(cr, path);
        setSource(cr, color);
        cairo_set_line_width(cr, width);
        cairo_stroke(cr);
    }

    void drawText(const FontSpec& font, const char* utf8, const CPoint& baseline, const CColor& color,
                  const CRect* textClip) override {
        cairo_save(cr);
        if (textClip) {
            cairo_rectangle(cr, textClip->left, textClip->top, textClip->getWidth(), textClip->getHeight());
            cairo_clip(cr);
        }
        if (selectFont(cr, font)) {
            setSource(cr, color);
            cairo_new_path(cr);
            cairo_move_to(cr, baseline.x, baseline.y);
            cairo_show_text(cr, utf8);
            cairo_new_path(cr);
        }
        cairo_restore(cr);
    }

    bool ok() const override { return cairo_status(cr) == CAIRO_STATUS_SUCCESS; }

private:
    void antialiasShapes(bool on) { cairo_set_antialias(cr, on ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE); }

    cairo_t* cr;
};

class CairoSurface : public DrawSurface {
public:
    CairoSurface(int width, int height)
        : DrawSurface(width, height), surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)) {}
    ~CairoSurface() override { cairo_surface_destroy(surface); }
    bool valid() const { return cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS; }

    const unsigned char* data() override {
        cairo_surface_flush(surface);
        return cairo_image_surface_get_data(surface);
    }
    int stride() const override { return cairo_image_surface_get_stride(surface); }

    void fillRect(const PixelRect& r, const CColor& c) override {
        cairo_t* cr = cairo_create(surface);
        cairo_rectangle(cr, r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
        cairo_clip(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        setSource(cr, c);
        cairo_paint(cr);
        cairo_destroy(cr);
    }

    std::unique_ptr<DrawDevice> device(const PixelRect& r, double zoom) override {
        cairo_t* cr = cairo_create(surface);
        cairo_rectangle(cr, r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
        cairo_clip(cr);
        cairo_scale(cr, zoom, zoom);
        auto d = std::make_unique<CairoDevice>(cr);
        cairo_destroy(cr);
        return d;
    }

    bool writePNG(const char* path) override {
        cairo_surface_flush(surface);
        return cairo_surface_write_to_png(surface, path) == CAIRO_STATUS_SUCCESS;
    }

    cairo_surface_t* surface;
};

// A scratch context for measuring text; freed when the module unloads.
struct Scratch {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(surface);
    Scratch() { setTextOptions(cr); }
    ~Scratch() {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
};

cairo_t* scratch() {
    static Scratch s;
    return s.cr;
}

} // namespace

std::unique_ptr<DrawSurface> DrawSurface::create(int width, int height) {
    auto s = std::make_unique<CairoSurface>(width, height);
    if (!s->valid())
        return nullptr;
    return s;
}

cairo_surface_t* cairoSurfaceOf(DrawSurface* surface) {
    auto* s = dynamic_cast<CairoSurface*>(surface);
    return s ? s->surface : nullptr;
}

std::unique_ptr<DrawDevice> cairoDevice(cairo_t* cr) { return std::make_unique<CairoDevice>(cr); }

double textAdvance(const FontSpec& font, const char* utf8) {
    cairo_t* cr = scratch();
    if (!utf8 || !*utf8 || !selectFont(cr, font))
        return 0;
    cairo_text_extents_t ext;
    cairo_text_extents(cr, utf8, &ext);
    return ext.x_advance;
}

FontMetrics fontMetrics(const FontSpec& font) {
    cairo_t* cr = scratch();
    if (!selectFont(cr, font))
        return {};
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    return {fe.ascent, fe.descent};
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
