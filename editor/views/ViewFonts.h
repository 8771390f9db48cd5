// The "Arial Black" bold fonts of the custom views: each is created on first
// use and lives until the program ends. [GUI thread]
#pragma once

#include "font.h"

namespace viewfonts {

// Room view: the "Mixing" / "Checking around" labels (20 pt).
VSTGUI::CFontDesc* roomLabelFont();
// Room view: the curve readouts (16 pt).
VSTGUI::CFontDesc* curveReadoutFont();
// Vector knobs: one font shared by all of them (16 pt).
VSTGUI::CFontDesc* knobFont();
// Mode tabs: created with the size of the first tab drawn.
VSTGUI::CFontDesc* tabFont(double firstSize);
// Variant switches (16 pt).
VSTGUI::CFontDesc* switchFont();

} // namespace viewfonts
