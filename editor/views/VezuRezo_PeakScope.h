// Level display: two bars with a five-line scale between them. The editor
// writes the levels (1.0 = full scale, not limited) and sets the view dirty.
// [GUI thread]
#pragma once

#include "controls.h"

class VezuRezo_PeakScope : public VSTGUI::CKickButton {
public:
    VezuRezo_PeakScope(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, int32_t tag,
                       VSTGUI::CBitmap* background, const VSTGUI::CPoint& offset = VSTGUI::CPoint(0, 0));
    ~VezuRezo_PeakScope() override;

    void draw(VSTGUI::CDrawContext* context) override;

    float levelA = 0.3f;   // left bar
    float levelB = 0.3f;   // right bar
    VSTGUI::CRect area;    // drawing rectangle: the view's size at creation
};
