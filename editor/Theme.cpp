#include "Theme.h"

namespace {
VSTGUI::CFontDesc* themeFont(VSTGUI::CCoord size) {
    return new VSTGUI::CFontDesc("Verdana", size, 0);
}
} // namespace

VSTGUI::CFontRef const kThemeSmallFont = themeFont(11);
VSTGUI::CFontRef const kThemeNormalFont = themeFont(12);
VSTGUI::CFontRef const kThemeMenuFont = themeFont(20);
VSTGUI::CFontRef const kThemeTitleFont = themeFont(28);

namespace {
// The theme holds one reference to each font for the life of the module and
// gives it back when the module unloads, so a host that loads and unloads the
// plug-in again and again leaks nothing. Defined after the fonts, so it is
// destroyed first.
struct ThemeFontRelease {
    ~ThemeFontRelease() {
        for (VSTGUI::CFontRef font : {kThemeSmallFont, kThemeNormalFont, kThemeMenuFont, kThemeTitleFont})
            font->forget();
    }
} themeFontRelease;
} // namespace
