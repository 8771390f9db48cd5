// Internal: where a pop-up menu's items go on a screen, with no drawing
// library. Every platform's pop-up uses it through PopupMenuModel.
#pragma once

#include "base.h"

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

struct PopupLayout {
    int rows = 1;          // items per column
    int columns = 1;
    int rowHeight = 18;    // pixels
    int columnWidth = 40;  // pixels
    double fontSize = 13;  // pixels
    bool titlesCut = false; // titles are cut at the column's right edge
};

struct PopupLayoutRules {
    static constexpr int kRowHeight = 18;     // at the full font size
    static constexpr double kFontSize = 13;
    static constexpr int kColumnPadding = 24; // the mark on the left and a margin, at full size
    static constexpr int kSmallestRowHeight = 13;
    static constexpr int kNarrowestColumn = 80;
};

// Lays out itemCount items, at most itemsPerColumn to a column (0 or less: no
// limit), whose widest title measures widestTitle pixels at the full font
// size, on a screen of screenWidth x screenHeight pixels:
// 1. the requested columns at full size (cut at the screen's height), when
//    the screen's width holds them;
// 2. else as many rows as the screen's height holds, at the largest font and
//    row height at which the columns fit its width;
// 3. else the smallest rows, with the columns shared out over the screen's
//    width and titles cut (columns never below kNarrowestColumn: a screen
//    narrower than that many columns scrolls them).
// [any thread]
PopupLayout layoutPopup(int itemCount, int itemsPerColumn, double widestTitle, int screenWidth, int screenHeight);

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
