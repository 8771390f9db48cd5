#include "font.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <map>
#include <utility>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

CFontDesc::CFontDesc(UTF8StringPtr n, CCoord s, int32 st) : name(n ? n : ""), size(s), style(st) {}

std::string CFontDesc::mapFamily(const std::string& family, int32& style) {
    if (family == "Verdana")
        return "DejaVu Sans";
    if (family == "Arial")
        return "Liberation Sans";
    if (family == "Arial Black") {
        style |= kBoldFace;
        return "DejaVu Sans";
    }
    if (family.empty())
        return "Liberation Sans";
    return family;
}

cairo_font_face_t* CFontDesc::faceFor(const std::string& requested, int32 style) {
    static std::map<std::pair<std::string, int32>, cairo_font_face_t*> cache;
    std::string family = mapFamily(requested, style);
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
// Standard fonts hold an extra reference so that no forget() ever frees them.
CFontDesc* standardFont(CCoord size) {
    auto* f = new CFontDesc("Arial", size, 0);
    f->remember();
    return f;
}
} // namespace

CFontRef const kSystemFont = standardFont(12);
CFontRef const kNormalFontVeryBig = standardFont(18);
CFontRef const kNormalFontBig = standardFont(14);
CFontRef const kNormalFont = standardFont(12);
CFontRef const kNormalFontSmall = standardFont(11);
CFontRef const kNormalFontSmaller = standardFont(10);
CFontRef const kNormalFontVerySmall = standardFont(9);

namespace {
// Gives both references back when the module unloads, so a host that loads and
// unloads a plug-in again and again leaks nothing. Defined after the fonts, so
// it is destroyed first.
struct StandardFontRelease {
    ~StandardFontRelease() {
        for (CFontRef font : {kSystemFont, kNormalFontVeryBig, kNormalFontBig, kNormalFont, kNormalFontSmall,
                              kNormalFontSmaller, kNormalFontVerySmall}) {
            font->forget();
            font->forget();
        }
    }
} standardFontRelease;
} // namespace

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
