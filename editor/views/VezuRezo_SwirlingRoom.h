// The large central control of the editor. Room mode: a wire-frame studio
// front with three pairs of loudspeaker boxes, turned by dragging (azimuth and
// elevation), with the "Mixing" / "Checking around" selector. Curve mode: the
// target curve under a three-handle equaliser shape.
//
// The view holds display state and the values it edits; the editor reads the
// public fields in its valueChanged handler and writes parameter changes back.
// All operations [GUI thread].
#pragma once

#include "controls.h"

#include <cstdint>

struct RoomPoint3 {
    float x = 0, y = 0, z = 0;
};

// One loudspeaker box. Corners 0-3 the top face, 4-7 the bottom face; within a
// face (-x, near), (+x, near), (-x, far), (+x, far).
struct RoomObject {
    VSTGUI::CRect viewRect;
    RoomPoint3 model[8];
    RoomPoint3 placed[8];
    VSTGUI::CPoint centre;
    VSTGUI::CColor colour;
};

// One closed quadrilateral of the room outline.
struct RoomQuad {
    RoomPoint3 corners[4];
    VSTGUI::CPoint screen[4];
    VSTGUI::CRect viewRect;
    VSTGUI::CPoint centre;
    VSTGUI::CColor colour;
};

class VezuRezo_SwirlingRoom : public VSTGUI::CKnob {
public:
    VezuRezo_SwirlingRoom(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, int32_t tag,
                          VSTGUI::CBitmap* background, VSTGUI::CBitmap* handle,
                          const VSTGUI::CPoint& offset = VSTGUI::CPoint(0, 0), int32_t drawStyle = 0);
    ~VezuRezo_SwirlingRoom() override;

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons) override;

    void initRoomObject(RoomObject& object);
    void rotateRoomObject(RoomObject& object, float ax, float ay, float az);
    void drawRoomObject(RoomObject& object, VSTGUI::CDrawContext* context, const VSTGUI::CRect& viewRect,
                        float azimuth, float elevation);
    void drawRoomPolyline(RoomQuad& quad, VSTGUI::CDrawContext* context, const VSTGUI::CRect& viewRect,
                          float azimuth, float elevation);
    void drawCurveReadout(VSTGUI::CDrawContext* context);

    // Recomputes handleX[0], handleX[2], levelPx and handleY from handleValue
    // (after the editor stores a handle value; handleX[1] stays).
    void updateHandleGeometry();

    // Screen point of a scene point (x right, y forward, z up; 80 px a unit)
    // seen orthographically in the given orientation; centre is the screen
    // point of the scene origin.
    static VSTGUI::CPoint project(const RoomPoint3& p, float azimuth, float elevation, const VSTGUI::CPoint& centre);

    RoomObject objects[6];
    int32_t highlightedPair = 0;   // 0, 1, 2: pair drawn in blue (the MIX variant)
    int32_t curveMode = 0;         // 1: curve mode (HEADPHONES)
    RoomQuad outline[6];
    VSTGUI::CPoint lastMouse;
    float dragX = 0, dragY = 0;    // drag accumulators of the orientation
    int32_t dragTarget = 0;        // 0 orientation; 3, 4, 5 handle 1, 2, 3
    float azimuth = 0;             // radians, within [-1.5, 1.5]
    float elevation = 0;           // radians, within [-1.5, 1.5]
    const float* targetCurve = nullptr;   // not owned
    int32_t targetCurveCount = 0;
    float handleValue[6] = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};  // parameters 9-14
    double left = 0, right = 0;
    double centreY = 0, halfHeight = 0;
    double width = 0;
    int32_t widthInt = 0;
    double span = 0;               // horizontal travel of the outer handles
    double zeroY = 0;              // the curve's zero line
    double levelScale = 0;         // pixels for a level of 1.0
    double handleX[3] = {0, 0, 0}; // from left
    double levelPx[3] = {0, 0, 0};
    double handleY[3] = {0, 0, 0};
    int32_t pendingHandle = 0;     // 1, 3, 5 after handle 1, 2, 3 was dragged; cleared by the editor
    bool dragging = false;
    int32_t selector = 0;          // 1 "Mixing" (fixed front view), 0 "Checking around"
    int32_t roomOnly = 0;          // 1 when the mode is not MIX: labels hidden, always turnable
};
