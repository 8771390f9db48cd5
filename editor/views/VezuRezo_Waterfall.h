// Ten rows of 128 values drawn as staggered outlines, row 0 at the top. The
// editor fills the rows when the studio changes and redraws the view.
// [GUI thread]
#pragma once

#include "controls.h"

class VezuRezo_Waterfall : public VSTGUI::CKickButton {
public:
    static constexpr int kRows = 10;
    static constexpr int kColumns = 128;

    VezuRezo_Waterfall(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, int32_t tag,
                       VSTGUI::CBitmap* background, const VSTGUI::CPoint& offset = VSTGUI::CPoint(0, 0));
    ~VezuRezo_Waterfall() override;

    void draw(VSTGUI::CDrawContext* context) override;

    float rows[kRows][kColumns] = {};
    VSTGUI::CRect area;    // drawing rectangle: the view's size at creation
};
