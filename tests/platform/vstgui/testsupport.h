// Shared helpers of the toolkit tests: a recording listener, a test editor
// interface with its own clock, and small views that record mouse events.
#pragma once

#include "controls.h"
#include "view.h"

#include <cmath>
#include <string>
#include <vector>

namespace testsupport {

using namespace VSTGUI;

struct RecordingListener : IControlListener {
    struct Note {
        int32 tag;
        float value;
    };
    std::vector<Note> notes;
    std::vector<std::string> edits;

    void valueChanged(CControl* c) override { notes.push_back({c->getTag(), c->getValue()}); }
    void controlBeginEdit(CControl* c) override { edits.push_back("begin " + std::to_string(c->getTag())); }
    void controlEndEdit(CControl* c) override { edits.push_back("end " + std::to_string(c->getTag())); }
};

// Records host edits the way the plug-in's editor forwards them: only tags below 38.
struct TestEditor : VSTGUIEditorInterface {
    std::vector<std::string> hostEdits;
    int32 knobMode = 2;
    uint32 ticks = 1;
    CRect lastNewSize, lastOldSize;

    void beginEdit(int32 index) override {
        if (index >= 0 && index < 38)
            hostEdits.push_back("begin " + std::to_string(index));
    }
    void endEdit(int32 index) override {
        if (index >= 0 && index < 38)
            hostEdits.push_back("end " + std::to_string(index));
    }
    int32 getKnobMode() const override { return knobMode; }
    bool beforeSizeChange(const CRect& n, const CRect& o) override {
        lastNewSize = n;
        lastOldSize = o;
        return true;
    }
    uint32 getTicks() const override { return ticks; }
};

// A view that answers a fixed result and records what reached it.
struct ProbeView : CView {
    CMouseEventResult downResult;
    std::vector<std::string> log;
    CPoint lastWhere;

    ProbeView(const CRect& r, CMouseEventResult result) : CView(r), downResult(result) {}
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState&) override {
        lastWhere = where;
        log.push_back("down");
        return downResult;
    }
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState&) override {
        lastWhere = where;
        log.push_back("moved");
        return kMouseEventHandled;
    }
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState&) override {
        lastWhere = where;
        log.push_back("up");
        return kMouseEventHandled;
    }
};

// A view that fills its rectangle (and optionally far beyond it) with one colour.
struct FillView : CView {
    CColor colour;
    CRect paintArea;
    explicit FillView(const CRect& r, CColor c, CRect area = CRect()) : CView(r), colour(c), paintArea(area) {
        if (paintArea.isEmpty())
            paintArea = r;
    }
    void draw(CDrawContext* ctx) override {
        ctx->setFillColor(colour);
        ctx->drawRect(paintArea, kDrawFilled);
    }
};

inline bool near(const CColor& a, const CColor& b, int tolerance = 3) {
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance && std::abs(a.alpha - b.alpha) <= tolerance;
}

inline std::string str(const CColor& c) {
    return "(" + std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue) + "," +
           std::to_string(c.alpha) + ")";
}

// The editor's geometry: design size 880/0.8 x 640/0.8, zoom 0.8.
inline double zoomFactor() { return double(0.8f); }
inline CRect editorDesignRect() { return CRect(0, 0, 880 / zoomFactor(), 640 / zoomFactor()); }

} // namespace testsupport
