#include "ViewFonts.h"

namespace viewfonts {

namespace {
// One reference held for the life of the module, given back when it unloads,
// so a host that loads and unloads the plug-in again and again leaks nothing.
class HeldFont {
public:
    explicit HeldFont(double size) : font(new VSTGUI::CFontDesc("Arial Black", size, VSTGUI::kBoldFace)) {}
    ~HeldFont() { font->forget(); }
    HeldFont(const HeldFont&) = delete;
    HeldFont& operator=(const HeldFont&) = delete;
    VSTGUI::CFontDesc* get() const { return font; }

private:
    VSTGUI::CFontDesc* font;
};
} // namespace

VSTGUI::CFontDesc* roomLabelFont() {
    static const HeldFont font(20);
    return font.get();
}

VSTGUI::CFontDesc* curveReadoutFont() {
    static const HeldFont font(16);
    return font.get();
}

VSTGUI::CFontDesc* knobFont() {
    static const HeldFont font(16);
    return font.get();
}

VSTGUI::CFontDesc* tabFont(double firstSize) {
    static const HeldFont font(firstSize);
    return font.get();
}

VSTGUI::CFontDesc* switchFont() {
    static const HeldFont font(16);
    return font.get();
}

} // namespace viewfonts
