// Rotary control drawn with vector paths: a toothed knob with a drop shadow
// and a pointer, a cap, a title, a unit and scale labels on a 300-degree arc.
// `released` is true only during the notification sent by mouse-up or by a
// default-value click, so the editor can act on release. [GUI thread]
#pragma once

#include "controls.h"

#include <cstdint>

class VezuRezo_VectorKnobA : public VSTGUI::CKnob {
public:
    static constexpr int32_t kMaxScaleLabels = 11;

    VezuRezo_VectorKnobA(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, int32_t tag,
                         VSTGUI::CBitmap* background, VSTGUI::CBitmap* handle,
                         const VSTGUI::CPoint& offset = VSTGUI::CPoint(0, 0), int32_t drawStyle = 0);
    ~VezuRezo_VectorKnobA() override;

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons) override;

    char title[20];
    char unit[10];
    char scaleLabels[kMaxScaleLabels][10];
    int32_t scaleCount = kMaxScaleLabels;            // labels drawn (at most kMaxScaleLabels)
    double scaleStart = -4.1887902047863905;         // -240 degrees: first label
    double scaleEnd = 1.0471975511965976;            // +60 degrees: last label
    bool released = false;
};
