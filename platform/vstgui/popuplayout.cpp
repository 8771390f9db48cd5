#include "popuplayout.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

namespace {
using Rules = PopupLayoutRules;

PopupLayout layoutAt(int rowHeight, int count, int requested, double widestTitle, int screenHeight) {
    const double scale = double(rowHeight) / Rules::kRowHeight;
    PopupLayout l;
    l.rowHeight = rowHeight;
    l.fontSize = Rules::kFontSize * scale;
    l.rows = std::max(1, std::min(requested, screenHeight / rowHeight));
    l.columns = (count + l.rows - 1) / l.rows;
    l.columnWidth = int(std::ceil(widestTitle * scale)) + int(std::lround(Rules::kColumnPadding * scale));
    return l;
}
} // namespace

PopupLayout layoutPopup(int itemCount, int itemsPerColumn, double widestTitle, int screenWidth, int screenHeight) {
    const int count = std::max(1, itemCount);
    const int requested = itemsPerColumn > 0 ? std::min(itemsPerColumn, count) : count;
    const int width = std::max(1, screenWidth);
    const int height = std::max(1, screenHeight);
    widestTitle = std::isfinite(widestTitle) ? std::max(0.0, widestTitle) : 0.0;

    PopupLayout l = layoutAt(Rules::kRowHeight, count, requested, widestTitle, height);
    if (l.columns * l.columnWidth <= width)
        return l;
    for (int rowHeight = Rules::kRowHeight; rowHeight >= Rules::kSmallestRowHeight; --rowHeight) {
        l = layoutAt(rowHeight, count, count, widestTitle, height);
        if (l.columns * l.columnWidth <= width)
            return l;
    }
    l.columnWidth = std::max(Rules::kNarrowestColumn, width / l.columns);
    l.titlesCut = true;
    return l;
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
