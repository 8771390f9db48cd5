// A row of text segments, one per position, the selected one in blue, over a
// dark translucent band (the MODE tab). [GUI thread]
#pragma once

#include "controls.h"

#include <cstdint>

class CMyHorizontalTab : public VSTGUI::CHorizontalSwitch {
public:
    static constexpr int32_t kMaxLabels = 11;

    // subPixmaps, heightOfOneImage and maxPositions are not used: the number of
    // positions is set afterwards with setNumSubPixmaps.
    CMyHorizontalTab(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, int32_t tag, int32_t subPixmaps,
                     VSTGUI::CCoord heightOfOneImage, int32_t maxPositions, VSTGUI::CBitmap* background,
                     const VSTGUI::CPoint& offset = VSTGUI::CPoint(0, 0));
    ~CMyHorizontalTab() override;

    bool isTypeOf(const char* name) const override;
    // A plain CHorizontalSwitch with this control's base settings.
    VSTGUI::CView* newCopy() const override;
    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons) override;

    char labels[kMaxLabels][40];  // segment i shows labels[i]
    char title[20];               // kept for the editor, not drawn
    char subtitle[12];            // not drawn
    double segmentWidth = 0;      // width / positions, at each mouse-down
    double fontSize = 16.0;
    VSTGUI::CPoint offset;        // the constructor's offset, not used (the base has a zero offset)
};
