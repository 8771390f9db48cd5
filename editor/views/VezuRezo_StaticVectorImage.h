// A decorative shape (kinds 0-4) filled with a white gradient that fades from
// transparent to faint. A kick button only so it is a control of the frame.
// [GUI thread]
#pragma once

#include "controls.h"

#include <cstdint>

class VezuRezo_StaticVectorImage : public VSTGUI::CKickButton {
public:
    VezuRezo_StaticVectorImage(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, int32_t tag,
                               VSTGUI::CBitmap* background, const VSTGUI::CPoint& offset = VSTGUI::CPoint(0, 0));
    ~VezuRezo_StaticVectorImage() override;

    void draw(VSTGUI::CDrawContext* context) override;

    int32_t kind = 0;        // 0-4; any other value draws kind 0
    float proportion = 0;    // 0..1: where along the width the curved edge lies
};
