#include "Theme.h"

namespace {
VSTGUI::CFontDesc* themeFont(VSTGUI::CCoord size) {
    auto* font = new VSTGUI::CFontDesc("Verdana", size, 0);
    font->remember();
    return font;
}
} // namespace

VSTGUI::CFontRef const kThemeSmallFont = themeFont(11);
VSTGUI::CFontRef const kThemeNormalFont = themeFont(12);
VSTGUI::CFontRef const kThemeMenuFont = themeFont(20);
VSTGUI::CFontRef const kThemeTitleFont = themeFont(28);
