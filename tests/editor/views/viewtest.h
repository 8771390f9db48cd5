// Shared helpers of the view tests: an off-screen frame at zoom 1, a listener
// that records notifications, and pixel searches over regions.
#pragma once

#include "controls.h"
#include "view.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace viewtest {

using namespace VSTGUI;

constexpr CColor kFrameBackground{52, 52, 52, 255};

// Host edits as the editor forwards them: parameter indices below 38.
struct HostEdits : VSTGUIEditorInterface {
    std::vector<std::string> log;
    void beginEdit(int32 index) override { log.push_back("begin " + std::to_string(index)); }
    void endEdit(int32 index) override { log.push_back("end " + std::to_string(index)); }
    int32 getKnobMode() const override { return 2; }
};

// Records every notification; `probe` may add a note about the control's state.
struct Listener : IControlListener {
    std::vector<float> values;
    std::vector<std::string> notes;
    std::function<std::string(CControl*)> probe;
    void valueChanged(CControl* c) override {
        values.push_back(c->getValue());
        notes.push_back(probe ? probe(c) : std::string());
    }
    void controlEndEdit(CControl*) override { notes.push_back("end"); }
};

// Off-screen frame; pixels equal design units.
struct Canvas {
    HostEdits host;
    CFrame* frame;
    Canvas(CCoord w, CCoord h, CColor background = kFrameBackground)
        : frame(new CFrame(CRect(0, 0, w, h), nullptr, &host)) {
        frame->setBackgroundColor(background);
        frame->setZoom(1.0);
    }
    ~Canvas() { frame->forget(); }
    template <typename View>
    View* add(View* v) {
        frame->addView(v);
        return v;
    }
    void render() { frame->renderAll(); }
    CColor at(double x, double y) { return frame->pixelAt(int(std::floor(x)), int(std::floor(y))); }

    void down(double x, double y, int32 buttons = kLButton) { frame->platformMouseDown(x, y, buttons); }
    void move(double x, double y, int32 buttons = kLButton) { frame->platformMouseMoved(x, y, buttons); }
    void up(double x, double y, int32 buttons = kLButton) { frame->platformMouseUp(x, y, buttons); }
};

inline bool near(const CColor& a, const CColor& b, int tolerance = 3) {
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance;
}

inline std::string str(const CColor& c) {
    return "(" + std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue) + ")";
}

// Colour a over an opaque background.
inline CColor over(const CColor& a, const CColor& bg) {
    auto mix = [&](int fg, int b) { return uint8_t(std::lround((fg * a.alpha + b * (255 - a.alpha)) / 255.0)); };
    return CColor(mix(a.red, bg.red), mix(a.green, bg.green), mix(a.blue, bg.blue));
}

// Number of pixels in [l, r) x [t, b) that satisfy the test.
inline int count(Canvas& c, int l, int t, int r, int b, const std::function<bool(const CColor&)>& test) {
    int n = 0;
    for (int y = t; y < b; ++y)
        for (int x = l; x < r; ++x)
            if (test(c.at(x, y)))
                ++n;
    return n;
}

inline bool isBlue(const CColor& c) { return c.blue > 150 && c.red < 80; }

} // namespace viewtest
