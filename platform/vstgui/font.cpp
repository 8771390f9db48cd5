#include "font.h"

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
