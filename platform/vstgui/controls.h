// Controls: the value-carrying views (knobs, buttons, switches, menus, labels).
#pragma once

#include "view.h"

#include <string>
#include <vector>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

// All calls on the GUI thread.
class CControl : public CView {
public:
    CControl(const CRect& size, IControlListener* listener = nullptr, int32 tag = -1, CBitmap* background = nullptr);

    virtual void setValue(float value);
    float getValue() const { return value; }
    virtual void setMin(float v) { vmin = v; }
    float getMin() const { return vmin; }
    virtual void setMax(float v) { vmax = v; }
    float getMax() const { return vmax; }
    void setDefaultValue(float v) { defaultValue = v; }
    float getDefaultValue() const { return defaultValue; }
    void setTag(int32 t) { tag = t; }
    int32 getTag() const { return tag; }
    void setListener(IControlListener* l) { listener = l; }
    IControlListener* getListener() const { return listener; }

    // Notifies the listener.
    virtual void valueChanged();
    // Counted; the first begin and the last end reach the listener and the editor.
    virtual void beginEdit();
    virtual void endEdit();
    bool isEditing() const { return editCount > 0; }

    // A left click with exactly the default-value modifier resets the value.
    bool checkDefaultValue(const CButtonState& buttons);

    bool isDirty() const override;
    void setDirty(bool state = true) override;
    bool isTypeOf(const char* name) const override;

protected:
    IControlListener* listener;
    int32 tag;
    float value = 0;
    float oldValue = 1;
    float vmin = 0;
    float vmax = 1;
    float defaultValue = 0.5f;

private:
    int32 editCount = 0;
};

class IMultiBitmapControl {
public:
    virtual ~IMultiBitmapControl() = default;
    virtual void setNumSubPixmaps(int32 n) { subPixmaps = n; }
    int32 getNumSubPixmaps() const { return subPixmaps; }
    virtual void setHeightOfOneImage(const CCoord& h) { heightOfOneImage = h; }
    CCoord getHeightOfOneImage() const { return heightOfOneImage; }

protected:
    int32 subPixmaps = 0;
    CCoord heightOfOneImage = 0;
};

class CKnob : public CControl {
public:
    enum { kCircularMode = 0, kRelativCircularMode = 1, kLinearMode = 2 };

    CKnob(const CRect& size, IControlListener* listener, int32 tag, CBitmap* background, CBitmap* handle,
          const CPoint& offset = CPoint(0, 0), int32 drawStyle = 0);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* name) const override;
    int32 getDrawStyle() const { return drawStyle; }

protected:
    float valueFromAngle(const CPoint& where) const;

    CPoint offset;
    int32 drawStyle;
    CPoint firstPoint;
    float entryValue = 0;
    float lastAngleValue = 0;
    bool fine = false;
    int32 mode = kLinearMode;
};

class CKickButton : public CControl, public IMultiBitmapControl {
public:
    CKickButton(const CRect& size, IControlListener* listener, int32 tag, CBitmap* background,
                const CPoint& offset = CPoint(0, 0));
    CKickButton(const CRect& size, IControlListener* listener, int32 tag, CCoord heightOfOneImage,
                CBitmap* background, const CPoint& offset = CPoint(0, 0));

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* name) const override;

protected:
    CPoint offset;
};

class CHorizontalSwitch : public CControl, public IMultiBitmapControl {
public:
    CHorizontalSwitch(const CRect& size, IControlListener* listener, int32 tag, CBitmap* background,
                      const CPoint& offset = CPoint(0, 0));
    CHorizontalSwitch(const CRect& size, IControlListener* listener, int32 tag, int32 subPixmaps,
                      CCoord heightOfOneImage, int32 maxPositions, CBitmap* background,
                      const CPoint& offset = CPoint(0, 0));

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* name) const override;
    CView* newCopy() const override;

protected:
    CPoint offset;
};

class CVerticalSwitch : public CControl, public IMultiBitmapControl {
public:
    CVerticalSwitch(const CRect& size, IControlListener* listener, int32 tag, CBitmap* background,
                    const CPoint& offset = CPoint(0, 0));
    CVerticalSwitch(const CRect& size, IControlListener* listener, int32 tag, int32 subPixmaps,
                    CCoord heightOfOneImage, int32 maxPositions, CBitmap* background,
                    const CPoint& offset = CPoint(0, 0));

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* name) const override;
    CView* newCopy() const override;

protected:
    CPoint offset;
};

class CParamDisplay : public CControl {
public:
    CParamDisplay(const CRect& size, CBitmap* background = nullptr, int32 style = 0);
    ~CParamDisplay() override;

    void setFont(CFontRef font);
    CFontRef getFont() const { return font; }
    void setFontColor(const CColor& c) { fontColor = c; setDirty(); }
    const CColor& getFontColor() const { return fontColor; }
    void setBackColor(const CColor& c) { backColor = c; setDirty(); }
    const CColor& getBackColor() const { return backColor; }
    void setFrameColor(const CColor& c) { frameColor = c; setDirty(); }
    const CColor& getFrameColor() const { return frameColor; }
    void setHoriAlign(CHoriTxtAlign a) { horiAlign = a; setDirty(); }
    CHoriTxtAlign getHoriAlign() const { return horiAlign; }
    void setAntialias(bool state) { antialias = state; }
    bool getAntialias() const { return antialias; }
    void setStyle(int32 s) { style = s; setDirty(); }
    int32 getStyle() const { return style; }

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* name) const override;

protected:
    virtual std::string getDisplayText() const;

    CFontRef font;
    CColor fontColor{255, 255, 255, 255};
    CColor backColor{0, 0, 0, 255};
    CColor frameColor{0, 0, 0, 255};
    CHoriTxtAlign horiAlign = kCenterText;
    bool antialias = true;
    int32 style;
};

class CTextLabel : public CParamDisplay {
public:
    CTextLabel(const CRect& size, UTF8StringPtr text = nullptr, CBitmap* background = nullptr, int32 style = 0);

    void setText(UTF8StringPtr text);
    UTF8StringPtr getText() const { return text.c_str(); }
    bool isTypeOf(const char* name) const override;

protected:
    std::string getDisplayText() const override { return text; }

private:
    std::string text;
};

class CMenuItem : public CBaseObject {
public:
    enum Flags { kNoFlags = 0, kDisabled = 1 << 0, kChecked = 1 << 1, kSeparator = 1 << 2, kTitle = 1 << 3 };

    explicit CMenuItem(UTF8StringPtr title, int32 flags = kNoFlags) : title(title ? title : ""), flags(flags) {}
    UTF8StringPtr getTitle() const { return title.c_str(); }
    void setTitle(UTF8StringPtr t) { title = t ? t : ""; }
    int32 getFlags() const { return flags; }
    bool isEnabled() const { return !(flags & kDisabled); }
    bool isChecked() const { return (flags & kChecked) != 0; }
    bool isSeparator() const { return (flags & kSeparator) != 0; }
    bool isTitle() const { return (flags & kTitle) != 0; }

private:
    std::string title;
    int32 flags;
};

class COptionMenu : public CParamDisplay {
public:
    COptionMenu(const CRect& size, IControlListener* listener, int32 tag, CBitmap* background = nullptr,
                CBitmap* backgroundWhenClicked = nullptr, int32 style = 0);
    ~COptionMenu() override;

    CMenuItem* addEntry(UTF8StringPtr title, int32 index = -1, int32 itemFlags = CMenuItem::kNoFlags);
    int32 getNbEntries() const { return int32(entries.size()); }
    CMenuItem* getEntry(int32 index) const;
    bool removeAllEntry();
    // Answers false and changes nothing when index is out of range.
    bool setCurrent(int32 index, bool countSeparator = true);
    int32 getCurrentIndex(bool countSeparator = true) const;
    CMenuItem* getCurrent() const { return getEntry(getCurrentIndex()); }
    // (int)value selects an item; values that name no item are ignored.
    void setValue(float value) override;
    void setNbItemsPerColumn(int32 n) { itemsPerColumn = n; }
    int32 getNbItemsPerColumn() const { return itemsPerColumn; }

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* name) const override;

protected:
    std::string getDisplayText() const override;

private:
    void popupResult(int result);

    std::vector<CMenuItem*> entries;
    int32 itemsPerColumn = -1;
};

class CTextButton : public CKickButton {
public:
    enum Style { kKickStyle = 0, kOnOffStyle };

    CTextButton(const CRect& size, IControlListener* listener = nullptr, int32 tag = -1,
                UTF8StringPtr title = nullptr, Style style = kKickStyle);
    ~CTextButton() override;

    void setTitle(UTF8StringPtr t) { title = t ? t : ""; invalid(); }
    UTF8StringPtr getTitle() const { return title.c_str(); }
    void setFont(CFontRef f);
    CFontRef getFont() const { return font; }
    void setTextColor(const CColor& c) { textColor = c; invalid(); }
    void setTextColorHighlighted(const CColor& c) { textColorHighlighted = c; invalid(); }
    void setGradient(CGradient* g);
    void setGradientHighlighted(CGradient* g);
    void setFrameColor(const CColor& c) { frameColor = c; invalid(); }
    void setFrameColorHighlighted(const CColor& c) { frameColorHighlighted = c; invalid(); }
    void setFrameWidth(CCoord w) { frameWidth = w; invalid(); }
    void setRoundRadius(CCoord r) { roundRadius = r; invalid(); }
    Style getStyle() const { return style; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* name) const override;

private:
    std::string title;
    Style style;
    CFontRef font;
    CColor textColor{0, 0, 0, 255};
    CColor textColorHighlighted{255, 255, 255, 255};
    CGradient* gradient = nullptr;
    CGradient* gradientHighlighted = nullptr;
    CColor frameColor{0, 0, 0, 255};
    CColor frameColorHighlighted{0, 0, 0, 255};
    CCoord frameWidth = 1;
    CCoord roundRadius = 6;
};

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
