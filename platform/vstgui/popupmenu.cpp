#include "popupmenu.h"

#include "font.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

namespace {
constexpr int32_t kDisabledFlag = 1, kCheckedFlag = 2, kSeparatorFlag = 4, kTitleFlag = 8;

void setMenuFont(cairo_t* cr, double size) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    cairo_set_font_face(cr, CFontDesc::faceFor("DejaVu Sans", 0));
    cairo_set_font_size(cr, size);
}
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
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(s);
    setMenuFont(cr, kFontSize);
    double widest = 0;
    for (const Item& it : items) {
        cairo_text_extents_t ext;
        cairo_text_extents(cr, it.title.c_str(), &ext);
        widest = std::max(widest, ext.x_advance);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(s);
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

void PopupMenuModel::draw(cairo_t* cr) const {
    cairo_save(cr);
    cairo_set_source_rgb(cr, 0.16, 0.16, 0.16);
    cairo_paint(cr);
    setMenuFont(cr, fontPixels);
    const double scale = fontPixels / kFontSize;
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    for (int i = 0; i < size(); ++i) {
        PixelRect r = itemRect(i);
        if (r.empty())
            continue;
        const Item& it = items[size_t(i)];
        if (it.flags & kSeparatorFlag) {
            cairo_set_source_rgb(cr, 0.4, 0.4, 0.4);
            cairo_rectangle(cr, r.x0 + 4, (r.y0 + r.y1) / 2, r.x1 - r.x0 - 8, 1);
            cairo_fill(cr);
            continue;
        }
        if (i == hover) {
            cairo_set_source_rgb(cr, 0.0, 162 / 255.0, 232 / 255.0);
            cairo_rectangle(cr, r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
            cairo_fill(cr);
        }
        double grey = selectable(i) ? 0.9 : 0.5;
        cairo_set_source_rgb(cr, grey, grey, grey);
        double baseline = r.y0 + (rowPixels + fe.ascent - fe.descent) / 2;
        if (i == currentIndex || (it.flags & kCheckedFlag)) {
            cairo_move_to(cr, r.x0 + 5 * scale, baseline);
            cairo_show_text(cr, "\xE2\x80\xA2"); // bullet
        }
        if (cutTitles) {
            cairo_save(cr);
            cairo_rectangle(cr, r.x0, r.y0, r.x1 - r.x0 - 2, r.y1 - r.y0);
            cairo_clip(cr);
        }
        cairo_move_to(cr, r.x0 + 16 * scale, baseline);
        cairo_show_text(cr, it.title.c_str());
        if (cutTitles)
            cairo_restore(cr);
    }
    cairo_set_source_rgb(cr, 0.45, 0.45, 0.45);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, 0.5, 0.5, visibleWidth - 1, height() - 1);
    cairo_stroke(cr);
    cairo_restore(cr);
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
