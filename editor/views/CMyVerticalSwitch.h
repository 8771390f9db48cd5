// A column of short labels, the selected one bright, the others faint (the
// variant switches A, B, C). Mouse handling is the base's. [GUI thread]
#pragma once

#include "controls.h"

#include <cstdint>

class CMyVerticalSwitch : public VSTGUI::CVerticalSwitch {
public:
    static constexpr int32_t kMaxLabels = 11;

    // subPixmaps, heightOfOneImage and maxPositions are not used: the number of
    // positions is set afterwards with setNumSubPixmaps.
    CMyVerticalSwitch(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, int32_t tag, int32_t subPixmaps,
                      VSTGUI::CCoord heightOfOneImage, int32_t maxPositions, VSTGUI::CBitmap* background,
                      const VSTGUI::CPoint& offset = VSTGUI::CPoint(0, 0));
    ~CMyVerticalSwitch() override;

    bool isTypeOf(const char* name) const override;
    // A plain CVerticalSwitch with this control's base settings.
    VSTGUI::CView* newCopy() const override;
    void draw(VSTGUI::CDrawContext* context) override;

    char labels[kMaxLabels][10];  // position texts
    char title[20];               // not drawn
    char subtitle[14];            // not drawn
    VSTGUI::CPoint offset;        // the constructor's offset, not used (the base has a zero offset)
};
