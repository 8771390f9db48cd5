// PLACEHOLDER views: stand-ins with the fields the editor uses, until the
// custom views land in editor/views/. They draw plain shapes only.
#pragma once

#define QUILLATONE_EDITOR_VIEW_PLACEHOLDERS 1

#include "Theme.h"
#include "controls.h"
#include "drawcontext.h"

#include <cstdio>
#include <cstring>

class VezuRezo_StaticVectorImage : public VSTGUI::CKickButton {
public:
    using CKickButton::CKickButton;
    VSTGUI::int32 kind = 0;
    float proportion = 0.25f;
    void draw(VSTGUI::CDrawContext*) override { setDirty(false); }
};

class VezuRezo_PeakScope : public VSTGUI::CKickButton {
public:
    VezuRezo_PeakScope(const VSTGUI::CRect& size, VSTGUI::IControlListener* l, VSTGUI::int32 tag,
                       VSTGUI::CBitmap* bg, const VSTGUI::CPoint& offset = VSTGUI::CPoint(0, 0))
        : CKickButton(size, l, tag, bg, offset), area(size) {}
    float levelA = 0.3f;
    float levelB = 0.3f;
    VSTGUI::CRect area;
    void draw(VSTGUI::CDrawContext* c) override {
        const double w = area.getWidth(), q = 0.25 * w, cx = area.left + w / 2, y0 = area.bottom - 0.5 * q;
        const double h = area.getHeight() - q;
        c->setFillColor(kThemeMeterCColor);
        c->drawRect(VSTGUI::CRect(cx - 1.5 * q, y0 - levelA * h, cx - 0.5 * q, y0), VSTGUI::kDrawFilled);
        c->drawRect(VSTGUI::CRect(cx + 0.5 * q, y0 - levelB * h, cx + 1.5 * q, y0), VSTGUI::kDrawFilled);
        setDirty(false);
    }
};

class VezuRezo_Waterfall : public VSTGUI::CKickButton {
public:
    VezuRezo_Waterfall(const VSTGUI::CRect& size, VSTGUI::IControlListener* l, VSTGUI::int32 tag,
                       VSTGUI::CBitmap* bg, const VSTGUI::CPoint& offset = VSTGUI::CPoint(0, 0))
        : CKickButton(size, l, tag, bg, offset), area(size) {}
    float rows[10][128] = {};
    VSTGUI::CRect area;
    void draw(VSTGUI::CDrawContext*) override { setDirty(false); }
};

class VezuRezo_VectorKnobA : public VSTGUI::CKnob {
public:
    VezuRezo_VectorKnobA(const VSTGUI::CRect& size, VSTGUI::IControlListener* l, VSTGUI::int32 tag,
                         VSTGUI::CBitmap* bg, VSTGUI::CBitmap* handle,
                         const VSTGUI::CPoint& offset = VSTGUI::CPoint(0, 0), VSTGUI::int32 drawStyle = 0)
        : CKnob(size, l, tag, bg, handle, offset, drawStyle) {
        for (int i = 0; i < 11; ++i)
            std::snprintf(scaleLabels[i], sizeof scaleLabels[i], "%d", i);
    }
    char title[20] = "GAIN";
    char unit[10] = "dB";
    char scaleLabels[11][10];
    VSTGUI::int32 scaleCount = 11;
    double scaleStart = -4.1887902047863905;
    double scaleEnd = 1.0471975511965976;
    bool released = false;
    void draw(VSTGUI::CDrawContext*) override { setDirty(false); }
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where, const VSTGUI::CButtonState& b) override {
        if (isEditing()) {
            released = true;
            valueChanged();
            released = false;
        }
        return CKnob::onMouseUp(where, b);
    }
};

class CMyHorizontalTab : public VSTGUI::CHorizontalSwitch {
public:
    CMyHorizontalTab(const VSTGUI::CRect& size, VSTGUI::IControlListener* l, VSTGUI::int32 tag,
                     VSTGUI::int32 subPixmaps, VSTGUI::CCoord heightOfOneImage, VSTGUI::int32 maxPositions,
                     VSTGUI::CBitmap* bg, const VSTGUI::CPoint& offset)
        : CHorizontalSwitch(size, l, tag, bg, VSTGUI::CPoint(0, 0)), offset(offset) {
        (void)subPixmaps; (void)heightOfOneImage; (void)maxPositions;
        for (int i = 0; i < 11; ++i)
            std::snprintf(labels[i], sizeof labels[i], "%d", i);
    }
    char labels[11][40];
    char title[20] = "TITLE";
    char subtitle[12] = "subtitle";
    double segmentWidth = 0;
    double fontSize = 16.0;
    VSTGUI::CPoint offset;
    void draw(VSTGUI::CDrawContext* c) override {
        const int n = getNumSubPixmaps() > 0 ? getNumSubPixmaps() : 1;
        const int sel = n > 1 ? int((n - 1) * getValue()) : 0;
        const double w = getViewSize().getWidth() / n;
        VSTGUI::CRect r = getViewSize();
        r.left += sel * w;
        r.right = r.left + w;
        c->setFillColor(kThemeBlueCColor);
        c->drawRect(r, VSTGUI::kDrawFilled);
        setDirty(false);
    }
};

class CMyVerticalSwitch : public VSTGUI::CVerticalSwitch {
public:
    CMyVerticalSwitch(const VSTGUI::CRect& size, VSTGUI::IControlListener* l, VSTGUI::int32 tag,
                      VSTGUI::int32 subPixmaps, VSTGUI::CCoord heightOfOneImage, VSTGUI::int32 maxPositions,
                      VSTGUI::CBitmap* bg, const VSTGUI::CPoint& offset)
        : CVerticalSwitch(size, l, tag, bg, VSTGUI::CPoint(0, 0)), offset(offset) {
        (void)subPixmaps; (void)heightOfOneImage; (void)maxPositions;
        for (int i = 0; i < 11; ++i)
            std::snprintf(labels[i], sizeof labels[i], "%d", i);
    }
    char labels[11][10];
    char title[20] = "TITLE";
    char subtitle[14] = "subtitle";
    VSTGUI::CPoint offset;
    void draw(VSTGUI::CDrawContext*) override { setDirty(false); }
};

class VezuRezo_SwirlingRoom : public VSTGUI::CKnob {
public:
    VezuRezo_SwirlingRoom(const VSTGUI::CRect& size, VSTGUI::IControlListener* l, VSTGUI::int32 tag,
                          VSTGUI::CBitmap* bg, VSTGUI::CBitmap* handle,
                          const VSTGUI::CPoint& offset = VSTGUI::CPoint(0, 0), VSTGUI::int32 drawStyle = 0)
        : CKnob(size, l, tag, bg, handle, offset, drawStyle) {
        left = size.left;
        right = size.right;
        centreY = (size.top + size.bottom) / 2;
        halfHeight = size.getHeight() / 2;
        width = right - left;
        widthInt = VSTGUI::int32(width);
        span = 0.3 * width;
        zeroY = centreY;
        levelScale = halfHeight - 20;
        for (int i = 0; i < 3; ++i) {
            handleX[i] = 0;
            levelPx[i] = 0;
            handleY[i] = zeroY;
        }
        handleX[1] = width / 2;
    }
    VSTGUI::int32 highlightedPair = 0;
    VSTGUI::int32 curveMode = 0;
    float dragX = 0, dragY = 0;
    VSTGUI::int32 dragTarget = 0;
    float azimuth = 0, elevation = 0;
    const float* targetCurve = nullptr;
    VSTGUI::int32 targetCurveCount = 0;
    float handleValue[6] = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
    double left, right, centreY, halfHeight, width;
    VSTGUI::int32 widthInt;
    double span, zeroY, levelScale;
    double handleX[3], levelPx[3], handleY[3];
    VSTGUI::int32 pendingHandle = 0;
    bool dragging = false;
    VSTGUI::int32 selector = 0;
    VSTGUI::int32 roomOnly = 0;
    void draw(VSTGUI::CDrawContext*) override { setDirty(false); }
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint&, const VSTGUI::CButtonState&) override {
        return VSTGUI::kMouseEventNotHandled;
    }
};
