#include "ViewFonts.h"

namespace viewfonts {

namespace {
// Never forgotten: these stay alive for the life of the program.
VSTGUI::CFontDesc* arialBlack(double size) { return new VSTGUI::CFontDesc("Arial Black", size, VSTGUI::kBoldFace); }
} // namespace

VSTGUI::CFontDesc* roomLabelFont() {
    static VSTGUI::CFontDesc* font = arialBlack(20);
    return font;
}

VSTGUI::CFontDesc* curveReadoutFont() {
    static VSTGUI::CFontDesc* font = arialBlack(16);
    return font;
}

VSTGUI::CFontDesc* knobFont() {
    static VSTGUI::CFontDesc* font = arialBlack(16);
    return font;
}

VSTGUI::CFontDesc* tabFont(double firstSize) {
    static VSTGUI::CFontDesc* font = arialBlack(firstSize);
    return font;
}

VSTGUI::CFontDesc* switchFont() {
    static VSTGUI::CFontDesc* font = arialBlack(16);
    return font;
}

} // namespace viewfonts
