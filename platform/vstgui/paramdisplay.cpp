#include "controls.h"
#include "popupmenu.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

namespace {
constexpr int32 k3DFrameStyle = 0x80;
bool nameIs(const char* name, const char* what) { return name && std::strcmp(name, what) == 0; }
} // namespace

// ---- CParamDisplay ----------------------------------------------------------------

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* background, int32 st)
    : CControl(size, nullptr, -1, background), font(kSystemFont), style(st) {
    font->remember();
}

CParamDisplay::~CParamDisplay() { font->forget(); }

void CParamDisplay::setFont(CFontRef f) {
    if (!f || f == font)
        return;
    f->remember();
    font->forget();
    font = f;
    setDirty();
}

std::string CParamDisplay::getDisplayText() const {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", double(value));
    return text;
}

void CParamDisplay::draw(CDrawContext* context) {
    if (backColor.alpha > 0) {
        context->setFillColor(backColor);
        context->drawRect(size, kDrawFilled);
    }
    if ((style & k3DFrameStyle) && frameColor.alpha > 0) {
        // Two-tone frame: light top and left, dark bottom and right.
        CColor dark(uint8_t(frameColor.red / 2), uint8_t(frameColor.green / 2), uint8_t(frameColor.blue / 2),
                    frameColor.alpha);
        context->setLineWidth(1);
        context->setFrameColor(frameColor);
        context->drawLine(CPoint(size.left, size.bottom - 0.5), CPoint(size.left, size.top + 0.5));
        context->drawLine(CPoint(size.left + 0.5, size.top + 0.5), CPoint(size.right, size.top + 0.5));
        context->setFrameColor(dark);
        context->drawLine(CPoint(size.right - 0.5, size.top + 1), CPoint(size.right - 0.5, size.bottom - 0.5));
        context->drawLine(CPoint(size.right - 0.5, size.bottom - 0.5), CPoint(size.left + 1, size.bottom - 0.5));
    }
    std::string text = getDisplayText();
    if (!text.empty()) {
        context->setFont(font);
        context->setFontColor(fontColor);
        context->drawString(text.c_str(), size, horiAlign, antialias);
    }
    setDirty(false);
}

bool CParamDisplay::isTypeOf(const char* name) const {
    return nameIs(name, "CParamDisplay") || CControl::isTypeOf(name);
}

// ---- CTextLabel ---------------------------------------------------------------------

CTextLabel::CTextLabel(const CRect& size, UTF8StringPtr t, CBitmap* background, int32 st)
    : CParamDisplay(size, background, st), text(t ? t : "") {}

void CTextLabel::setText(UTF8StringPtr t) {
    std::string s = t ? t : "";
    if (s == text)
        return;
    text = s;
    setDirty();
}

bool CTextLabel::isTypeOf(const char* name) const { return nameIs(name, "CTextLabel") || CParamDisplay::isTypeOf(name); }

// ---- COptionMenu ----------------------------------------------------------------------

COptionMenu::COptionMenu(const CRect& size, IControlListener* l, int32 t, CBitmap* background, CBitmap*, int32 st)
    : CParamDisplay(size, background, st) {
    listener = l;
    tag = t;
    vmax = 0;
}

COptionMenu::~COptionMenu() {
    for (CMenuItem* e : entries)
        e->forget();
}

CMenuItem* COptionMenu::addEntry(UTF8StringPtr title, int32 index, int32 itemFlags) {
    auto* item = new CMenuItem(title, itemFlags);
    if (index < 0 || size_t(index) >= entries.size())
        entries.push_back(item);
    else
        entries.insert(entries.begin() + index, item);
    vmax = float(entries.size() - 1);
    return item;
}

CMenuItem* COptionMenu::getEntry(int32 index) const {
    return index >= 0 && size_t(index) < entries.size() ? entries[size_t(index)] : nullptr;
}

bool COptionMenu::removeAllEntry() {
    for (CMenuItem* e : entries)
        e->forget();
    entries.clear();
    vmax = 0;
    value = 0;
    setDirty();
    return true;
}

bool COptionMenu::setCurrent(int32 index, bool) {
    if (index < 0 || size_t(index) >= entries.size())
        return false;
    if (value != float(index)) {
        value = float(index);
        invalid();
    }
    return true;
}

int32 COptionMenu::getCurrentIndex(bool) const {
    if (entries.empty())
        return -1;
    return int32(value);
}

void COptionMenu::setValue(float v) {
    if (!std::isfinite(v) || v < 0 || v >= float(entries.size()))
        return;
    setCurrent(int32(v));
}

std::string COptionMenu::getDisplayText() const {
    CMenuItem* e = getEntry(getCurrentIndex());
    return e ? e->getTitle() : "";
}

bool COptionMenu::isTypeOf(const char* name) const { return nameIs(name, "COptionMenu") || CParamDisplay::isTypeOf(name); }

CMouseEventResult COptionMenu::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!buttons.isLeftButton() || !frame || entries.empty())
        return kMouseEventNotHandled;
    beginEdit();
    std::vector<PopupMenuModel::Item> items;
    items.reserve(entries.size());
    for (CMenuItem* e : entries)
        items.push_back({e->getTitle(), e->getFlags()});
    remember(); // the pop-up holds the menu until it closes
    auto model = std::make_unique<PopupMenuModel>(std::move(items), getCurrentIndex(), itemsPerColumn,
                                                  [this](int result) {
                                                      popupResult(result);
                                                      forget();
                                                  });
    frame->openPopup(std::move(model), size);
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void COptionMenu::popupResult(int result) {
    if (result >= 0 && setCurrent(result)) {
        valueChanged(); // also when the item was already current
        invalid();
    }
    endEdit();
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
