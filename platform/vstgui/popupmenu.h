// Internal: the backend-free model of a pop-up menu: layout in columns
// (popuplayout.h),
// hit-testing, hover, keyboard navigation and drawing.
#pragma once

#include "drawdevice.h"
#include "platform.h"
#include "popuplayout.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

class CDrawContext;

class PopupMenuModel {
public:
    struct Item {
        std::string title;
        int32_t flags = 0; // CMenuItem flags
    };
    static constexpr int kRowHeight = PopupLayoutRules::kRowHeight;
    static constexpr double kFontSize = PopupLayoutRules::kFontSize;
    static constexpr int kColumnPadding = PopupLayoutRules::kColumnPadding;

    // result is the chosen index, or -1 when cancelled; called exactly once.
    PopupMenuModel(std::vector<Item> items, int current, int itemsPerColumn,
                   std::function<void(int result)> done);

    // Lays the menu out for a screen of this size (pixels).
    void layout(int screenWidth, int screenHeight);
    int rowsPerColumn() const { return rows; }
    int columns() const { return cols; }
    int columnWidth() const { return colWidth; }
    // Visible size, at most the screen width.
    int width() const { return visibleWidth; }
    int height() const { return rows * rowPixels; }
    // Row height and font size the screen allowed (kRowHeight and kFontSize
    // unless the menu had to shrink), and whether titles are cut.
    int rowHeight() const { return rowPixels; }
    double fontSize() const { return fontPixels; }
    bool titlesCut() const { return cutTitles; }
    int size() const { return int(items.size()); }
    const Item& item(int i) const { return items[size_t(i)]; }
    bool selectable(int i) const;

    // Rectangle of item i in pop-up pixels (after scrolling); empty when hidden.
    PixelRect itemRect(int i) const;
    // Item under a pop-up pixel, or -1.
    int itemAt(int x, int y) const;
    int hovered() const { return hover; }
    int current() const { return currentIndex; }

    // Events in pop-up pixels; ms is the time since the pop-up opened.
    // Each answers true when the pop-up needs redrawing.
    bool mouseMoved(int x, int y);
    void mouseUp(int x, int y, uint32_t ms);
    void mouseDown(int x, int y); // outside: cancel
    bool wheel(int steps);
    enum Key { KeyUp, KeyDown, KeyLeft, KeyRight, KeyReturn, KeyEscape };
    bool key(Key k);

    void select(int index);
    void cancel();
    bool finished() const { return done == nullptr; }

    // Draws the whole pop-up; the context's units are pop-up pixels.
    void draw(CDrawContext* context) const;
    static FontSpec font(double size) { return {"DejaVu Sans", 0, size}; }

private:
    void finish(int result);
    void moveHover(int step);

    std::vector<Item> items;
    int currentIndex;
    int perColumn;
    std::function<void(int)> done;
    int rows = 1, cols = 1, colWidth = 40, visibleWidth = 40, scrollColumns = 0;
    int rowPixels = kRowHeight;
    double fontPixels = kFontSize;
    bool cutTitles = false;
    int hover = -1;
    bool moved = false;
};

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
