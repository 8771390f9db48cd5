#include "popupmenu.h"

#include "drawcontext.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

namespace {
constexpr int32_t kDisabledFlag = 1, kCheckedFlag = 2, kSeparatorFlag = 4, kTitleFlag = 8;
} // namespace

PixelRect PixelRect::united(const PixelRect& r) const {
    if (r.empty())
        return *this;
    if (empty())
        return r;
    return {std::min(x0, r.x0), std::min(y0, r.y0), std::max(x1, r.x1), std::max(y1, r.y1)};
}

PopupMenuModel::PopupMenuModel(std::vector<Item> its, int current, int itemsPerColumn,
                               std::function<void(int)> callback)
    : items(std::move(its)), currentIndex(current), perColumn(itemsPerColumn), done(std::move(callback)) {
    if (currentIndex >= 0 && currentIndex < size() && selectable(currentIndex))
        hover = currentIndex;
}

bool PopupMenuModel::selectable(int i) const {
    return i >= 0 && i < size() && !(items[size_t(i)].flags & (kDisabledFlag | kSeparatorFlag | kTitleFlag));
}

void PopupMenuModel::layout(int screenWidth, int screenHeight) {
    double widest = 0;
    for (const Item& it : items)
        widest = std::max(widest, textAdvance(font(kFontSize), it.title.c_str()));
    const PopupLayout fitted = layoutPopup(size(), perColumn, widest, screenWidth, screenHeight);
    rows = fitted.rows;
    cols = fitted.columns;
    colWidth = fitted.columnWidth;
    rowPixels = fitted.rowHeight;
    fontPixels = fitted.fontSize;
    cutTitles = fitted.titlesCut;
    visibleWidth = std::min(cols * colWidth, std::max(colWidth, screenWidth));
    scrollColumns = 0;
    if (hover >= 0) { // keep the current item in view
        int col = hover / rows;
        int visibleCols = std::max(1, visibleWidth / colWidth);
        if (col >= visibleCols)
            scrollColumns = col - visibleCols + 1;
    }
}

PixelRect PopupMenuModel::itemRect(int i) const {
    if (i < 0 || i >= size())
        return {};
    int col = i / rows - scrollColumns, row = i % rows;
    PixelRect r{col * colWidth, row * rowPixels, (col + 1) * colWidth, (row + 1) * rowPixels};
    if (r.x1 <= 0 || r.x0 >= visibleWidth)
        return {};
    return r;
}

int PopupMenuModel::itemAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= visibleWidth || y >= height())
        return -1;
    int i = (x / colWidth + scrollColumns) * rows + y / rowPixels;
    return i < size() ? i : -1;
}

bool PopupMenuModel::mouseMoved(int x, int y) {
    moved = true;
    int i = itemAt(x, y);
    int h = selectable(i) ? i : -1;
    if (h == hover)
        return false;
    hover = h;
    return true;
}

void PopupMenuModel::mouseUp(int x, int y, uint32_t ms) {
    if (finished())
        return;
    int i = itemAt(x, y);
    if (selectable(i) && (moved || ms > 250))
        select(i);
}

void PopupMenuModel::mouseDown(int x, int y) {
    if (itemAt(x, y) < 0)
        cancel();
}

bool PopupMenuModel::wheel(int steps) {
    int visibleCols = std::max(1, visibleWidth / colWidth);
    int maxScroll = std::max(0, cols - visibleCols);
    int s = std::clamp(scrollColumns + steps, 0, maxScroll);
    if (s == scrollColumns)
        return false;
    scrollColumns = s;
    return true;
}

void PopupMenuModel::moveHover(int step) {
    int n = size();
    if (n == 0)
        return;
    int i = hover;
    for (int tries = 0; tries < n; ++tries) {
        i = i < 0 ? (step > 0 ? 0 : n - 1) : i + step;
        if (i < 0 || i >= n)
            return;
        if (selectable(i)) {
            hover = i;
            break;
        }
    }
    int visibleCols = std::max(1, visibleWidth / colWidth);
    int col = hover / rows;
    if (col < scrollColumns)
        scrollColumns = col;
    else if (col >= scrollColumns + visibleCols)
        scrollColumns = col - visibleCols + 1;
}

bool PopupMenuModel::key(Key k) {
    switch (k) {
    case KeyUp: moveHover(-1); return true;
    case KeyDown: moveHover(1); return true;
    case KeyLeft: moveHover(-rows); return true;
    case KeyRight: moveHover(rows); return true;
    case KeyReturn:
        if (selectable(hover))
            select(hover);
        else
            cancel();
        return true;
    case KeyEscape: cancel(); return true;
    }
    return false;
}

void PopupMenuModel::select(int index) {
    if (selectable(index))
        finish(index);
}

void PopupMenuModel::cancel() { finish(-1); }

void PopupMenuModel::finish(int result) {
    if (!done)
        return;
    auto callback = std::move(done);
    done = nullptr;
    callback(result);
}

void PopupMenuModel::draw(CDrawContext* context) const {
    const FontSpec spec = font(fontPixels);
    CFontDesc menuFont(spec.family.c_str(), spec.size);
    const double scale = fontPixels / kFontSize;
    FontMetrics fm = fontMetrics(spec);
    context->setFillColor(CColor(41, 41, 41));
    context->drawRect(CRect(0, 0, visibleWidth, height()), kDrawFilled);
    context->setFont(&menuFont);
    for (int i = 0; i < size(); ++i) {
        PixelRect r = itemRect(i);
        if (r.empty())
            continue;
        const Item& it = items[size_t(i)];
        if (it.flags & kSeparatorFlag) {
            context->setFillColor(CColor(102, 102, 102));
            context->drawRect(CRect(r.x0 + 4, (r.y0 + r.y1) / 2, r.x1 - 4, (r.y0 + r.y1) / 2 + 1), kDrawFilled);
            continue;
        }
        if (i == hover) {
            context->setFillColor(CColor(0, 162, 232));
            context->drawRect(CRect(r.x0, r.y0, r.x1, r.y1), kDrawFilled);
        }
        uint8_t grey = selectable(i) ? 230 : 128;
        context->setFontColor(CColor(grey, grey, grey));
        double baseline = r.y0 + (rowPixels + fm.ascent - fm.descent) / 2;
        if (i == currentIndex || (it.flags & kCheckedFlag))
            context->drawString("\xE2\x80\xA2", CPoint(r.x0 + 5 * scale, baseline)); // bullet
        if (cutTitles) // the same baseline, clipped to the column
            context->drawString(it.title.c_str(), CRect(r.x0 + 16 * scale, r.y0, r.x1 - 2, r.y1), kLeftText);
        else
            context->drawString(it.title.c_str(), CPoint(r.x0 + 16 * scale, baseline));
    }
    context->setFrameColor(CColor(115, 115, 115));
    context->setLineWidth(1);
    context->drawRect(CRect(0, 0, visibleWidth, height()), kDrawStroked);
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
