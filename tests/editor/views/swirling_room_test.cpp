// Swirling room view: drags into angles and handle values, and its drawing.
#include "VezuRezo_SwirlingRoom.h"
#include "ViewFonts.h"
#include "viewtest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace VSTGUI;
using namespace viewtest;

namespace {

constexpr double kW = 1100, kH = 560;   // the editor's room view size
constexpr double kCx = 550, kCy = 280;  // its middle
constexpr float kPerDrag = 0.02f * 0.1f * 1.5707964f * 0.5f;  // radians per pixel of drag
const CColor kGrey(130, 130, 130);

struct Room : ::testing::Test {
    Canvas canvas{kW, kH};
    Listener listener;
    VezuRezo_SwirlingRoom* room = nullptr;

    void SetUp() override {
        room = canvas.add(new VezuRezo_SwirlingRoom(CRect(0, 0, kW, kH), &listener, 8, nullptr, nullptr));
        listener.probe = [this](CControl*) { return std::string(room->dragging ? "drag" : "release"); };
    }
};

TEST_F(Room, OnlyAPlainLeftButtonStartsAnEdit) {
    CPoint p(50, 30); // on the "Mixing" label
    EXPECT_EQ(room->onMouseDown(p, kRButton), kMouseEventNotHandled);
    EXPECT_EQ(room->onMouseDown(p, kLButton | kRButton), kMouseEventNotHandled);
    EXPECT_EQ(room->onMouseDown(p, kLButton | kButton4), kMouseEventNotHandled);
    EXPECT_EQ(room->selector, 0);
    EXPECT_FALSE(room->dragging);
    EXPECT_TRUE(listener.values.empty());
    EXPECT_TRUE(canvas.host.log.empty());
}

TEST_F(Room, LabelsSwitchTheSelectorAndControlClickResetsTheView) {
    canvas.down(50, 30);
    EXPECT_EQ(room->selector, 1);
    ASSERT_EQ(listener.notes.size(), 1u);
    canvas.up(50, 30);
    canvas.down(150, 60);
    EXPECT_EQ(room->selector, 0);
    canvas.up(150, 60);
    EXPECT_EQ(canvas.host.log, (std::vector<std::string>{"begin 8", "end 8", "begin 8", "end 8"}));

    // Outside the labels a plain click only starts a drag.
    room->azimuth = 0.7f;
    room->dragX = 0.7f / 0.07853982f;
    size_t before = listener.values.size();
    canvas.down(50, 80);
    EXPECT_EQ(listener.values.size(), before);
    canvas.up(50, 80);

    // A control-click on a label selects it and keeps the orientation.
    canvas.down(50, 30, kLButton | kControl);
    EXPECT_EQ(room->selector, 1);
    EXPECT_FLOAT_EQ(room->azimuth, 0.7f);
    canvas.up(50, 30);

    // Elsewhere it returns to the default orientation at once.
    before = listener.values.size();
    canvas.down(600, 400, kLButton | kControl);
    EXPECT_EQ(room->azimuth, 0.0f);
    EXPECT_FLOAT_EQ(room->elevation, 0.05f);
    EXPECT_EQ(room->dragX, 0.0f);
    EXPECT_EQ(listener.values.size(), before + 1);
    canvas.up(600, 400);
}

TEST_F(Room, DragTurnsAndTiltsTheViewAndReleaseNotifiesBeforeTheEditEnds) {
    canvas.down(500, 300);
    canvas.move(600, 250);
    EXPECT_NEAR(room->azimuth, 100 * kPerDrag, 1e-6);
    EXPECT_NEAR(room->elevation, -50 * kPerDrag, 1e-6);
    canvas.move(620, 250);
    EXPECT_NEAR(room->azimuth, 120 * kPerDrag, 1e-6);
    canvas.up(620, 250);
    EXPECT_FALSE(room->dragging);
    EXPECT_EQ(listener.notes, (std::vector<std::string>{"drag", "drag", "release", "end"}));
    EXPECT_EQ(room->pendingHandle, 0);
}

TEST_F(Room, AnglesStayWithinLimitsAndComeBackAtOnce) {
    canvas.down(500, 300);
    canvas.move(500 + 5000, 300 - 5000);
    EXPECT_FLOAT_EQ(room->azimuth, 1.5f);
    EXPECT_FLOAT_EQ(room->elevation, -1.5f);
    canvas.move(500 + 4900, 300 - 4900);
    EXPECT_NEAR(room->azimuth, 1.5f - 100 * kPerDrag, 1e-5);
    EXPECT_NEAR(room->elevation, -1.5f + 100 * kPerDrag, 1e-5);
    canvas.up(0, 0);
}

// Curve mode: handle 1 at (165, 150), 2 at (550, 150), 3 at (935, 150) for
// handle values 0.5 (span 330, level scale 260, zero line 280).
struct Curve : Room {
    void SetUp() override {
        Room::SetUp();
        room->curveMode = 1;
    }
};

TEST_F(Curve, LowHandleEditsItsFrequencyAndLevel) {
    canvas.down(165, 150);
    EXPECT_EQ(room->dragTarget, 3);
    canvas.move(198, 124);
    EXPECT_NEAR(room->handleValue[0], 0.6f, 1e-5);
    EXPECT_NEAR(room->handleValue[1], 0.7f, 1e-5);
    EXPECT_NEAR(room->handleY[0], kCy - (0.7 * 260 + 130) / 2, 1e-3);
    for (int i : {2, 3, 4, 5})
        EXPECT_EQ(room->handleValue[i], 0.5f) << i;
    EXPECT_EQ(room->azimuth, 0.0f);
    canvas.up(198, 124);
    EXPECT_EQ(room->pendingHandle, 1);
}

TEST_F(Curve, MiddleHandleChangesOnlyItsLevelAndItsFrequencyBecomesOne) {
    canvas.down(555, 145);
    EXPECT_EQ(room->dragTarget, 4);
    canvas.move(635, 93);
    EXPECT_NEAR(room->handleValue[3], 0.7f, 1e-5);
    EXPECT_EQ(room->handleValue[2], 1.0f);
    for (int i : {0, 1, 4, 5})
        EXPECT_EQ(room->handleValue[i], 0.5f) << i;
    canvas.up(635, 93);
    EXPECT_EQ(room->pendingHandle, 3);
}

TEST_F(Curve, HighHandleValuesClampAtTheEnds) {
    canvas.down(935, 150);
    canvas.move(935 + 1000, 150 + 1000);
    EXPECT_EQ(room->handleValue[4], 1.0f);
    EXPECT_EQ(room->handleValue[5], 0.0f);
    EXPECT_DOUBLE_EQ(room->handleX[2], kW);
    canvas.move(935 - 2000, 150 - 2000);
    EXPECT_EQ(room->handleValue[4], 0.0f);
    EXPECT_EQ(room->handleValue[5], 1.0f);
    canvas.up(0, 0);
    EXPECT_EQ(room->pendingHandle, 5);
}

TEST_F(Curve, DragOffTheHandlesTurnsTheHiddenRoom) {
    canvas.down(300, 500);
    EXPECT_EQ(room->dragTarget, 0);
    canvas.move(400, 500);
    EXPECT_NEAR(room->azimuth, 100 * kPerDrag, 1e-6);
    canvas.up(400, 500);
    EXPECT_EQ(room->pendingHandle, 0);
    for (float v : room->handleValue)
        EXPECT_EQ(v, 0.5f);
}

TEST(RoomPlacement, HandlesAreFoundInAViewThatDoesNotStartAtTheLeftEdge) {
    Canvas canvas(1300, 560);
    auto* room = canvas.add(new VezuRezo_SwirlingRoom(CRect(100, 0, 1200, 560), nullptr, 8, nullptr, nullptr));
    room->curveMode = 1;
    canvas.down(100 + 165, 150);
    EXPECT_EQ(room->dragTarget, 3);
    canvas.up(100 + 165, 150);
}

TEST(RoomProjection, OrthographicAxes) {
    auto project = [](RoomPoint3 p, float a, float e) {
        return VezuRezo_SwirlingRoom::project(p, a, e, CPoint(kCx, kCy));
    };
    CPoint p = project({1.5f, 2.0f, -0.5f}, 0, 0);
    EXPECT_NEAR(p.x, kCx + 120, 1e-4);
    EXPECT_NEAR(p.y, kCy + 40, 1e-4);
    // Turning about the vertical axis leaves heights alone.
    const float a = 0.6f;
    p = project({1.5f, 2.0f, -0.5f}, a, 0);
    EXPECT_NEAR(p.x, kCx + 80 * (1.5 * std::cos(a) - 2.0 * std::sin(a)), 1e-3);
    EXPECT_NEAR(p.y, kCy + 40, 1e-4);
    // Tilting moves far points up the screen.
    const float e = 0.4f;
    p = project({1.5f, 2.0f, -0.5f}, 0, e);
    EXPECT_NEAR(p.x, kCx + 120, 1e-4);
    EXPECT_NEAR(p.y, kCy - 80 * (2.0 * std::sin(e) - 0.5 * std::cos(e)), 1e-3);
}

TEST(RoomModel, BoxesStandWhereTheirPairsBelong) {
    VezuRezo_SwirlingRoom room(CRect(0, 0, kW, kH), nullptr, 8, nullptr, nullptr);
    // The middle of the bottom near edge is the model origin.
    const double origins[6][3] = {{-2.8, 2.4, 1.0}, {2.8, 2.4, 1.0}, {-1.0, 2.0, 0.5},
                                  {1.0, 2.0, 0.5},  {-0.7, 1.8, 0.2}, {0.7, 1.8, 0.2}};
    for (int b = 0; b < 6; ++b) {
        const RoomPoint3* c = room.objects[b].placed;
        EXPECT_NEAR((c[4].x + c[5].x) / 2, origins[b][0], 1e-5) << b;
        EXPECT_NEAR((c[4].y + c[5].y) / 2, origins[b][1], 1e-5) << b;
        EXPECT_NEAR(c[4].z, origins[b][2], 1e-5) << b;
        // Top face above the bottom one; the pair mirrored about x = 0.
        EXPECT_GT(c[0].z, c[4].z) << b;
        if (b % 2 == 1) {
            const RoomPoint3* m = room.objects[b - 1].placed;
            EXPECT_NEAR(c[1].x, -m[0].x, 1e-5) << b;
            EXPECT_NEAR(c[1].y, m[0].y, 1e-5) << b;
        }
    }
}

// Screen x of box b's near-left vertical edge in the front view.
double nearLeftEdgeX(double boxX, double halfWidth, double turn) {
    return kCx + 80 * (boxX - halfWidth * std::cos(turn));
}
constexpr double kTurn = 0.5235935541808605;

TEST_F(Room, FrontViewDrawsTheOutlineTheHeadAndTheHighlightedPair) {
    canvas.render();
    // Front wall and floor share the edge at z = -1.
    EXPECT_TRUE(near(canvas.at(kCx, kCy + 80), kGrey)) << str(canvas.at(kCx, kCy + 80));
    // Head: a circle of radius 10, empty inside.
    EXPECT_TRUE(near(canvas.at(kCx + 10, kCy), kGrey));
    EXPECT_TRUE(near(canvas.at(kCx, kCy), kFrameBackground));
    // Box 0 (pair 0) stands from z 1.0 to 1.7, box 2 (pair 1) from 0.5 to 1.1.
    const double box0 = nearLeftEdgeX(-2.8, 0.3, kTurn), box2 = nearLeftEdgeX(-1.0, 0.2, kTurn);
    EXPECT_TRUE(isBlue(canvas.at(box0, kCy - 80 * 1.35))) << str(canvas.at(box0, kCy - 80 * 1.35));
    EXPECT_TRUE(near(canvas.at(box2, kCy - 80 * 0.8), kGrey)) << str(canvas.at(box2, kCy - 80 * 0.8));

    room->highlightedPair = 1;
    canvas.render();
    EXPECT_TRUE(near(canvas.at(box0, kCy - 80 * 1.35), kGrey));
    EXPECT_TRUE(isBlue(canvas.at(box2, kCy - 80 * 0.8)));
}

TEST_F(Room, MixingShowsTheFixedFrontViewAndTheLabelsShowTheSelection) {
    const double box0 = nearLeftEdgeX(-2.8, 0.3, kTurn);
    const double y = kCy - 80 * 1.35;
    room->azimuth = 0.5f;
    room->selector = 1; // "Mixing": front view whatever the angles
    canvas.render();
    EXPECT_TRUE(isBlue(canvas.at(box0, y)));
    EXPECT_GT(count(canvas, 20, 20, 170, 45, isBlue), 20);
    EXPECT_EQ(count(canvas, 20, 50, 170, 75, isBlue), 0);
    EXPECT_GT(count(canvas, 20, 50, 170, 75, [](const CColor& c) { return near(c, kGrey, 20); }), 20);

    room->selector = 0; // "Checking around": the view turns
    canvas.render();
    EXPECT_FALSE(isBlue(canvas.at(box0, y)));
    EXPECT_EQ(count(canvas, 20, 20, 170, 45, isBlue), 0);
    EXPECT_GT(count(canvas, 20, 50, 170, 75, isBlue), 20);

    room->selector = 1;
    room->roomOnly = 1; // not MIX: no labels, always turnable
    canvas.render();
    EXPECT_FALSE(isBlue(canvas.at(box0, y)));
    EXPECT_EQ(count(canvas, 0, 0, 200, 80, [](const CColor& c) { return !near(c, kFrameBackground, 0); }), 0);
}

TEST_F(Curve, DrawsTheTargetCurveUnderTheEqualiserShape) {
    std::vector<float> curve(8192, -0.5f);
    room->targetCurve = curve.data();
    room->targetCurveCount = int32_t(curve.size());
    canvas.render();
    const double curveY = kCy + 0.5 * 260;
    EXPECT_FALSE(near(canvas.at(650, curveY), kFrameBackground, 20)) << str(canvas.at(650, curveY));
    // The shape: gradient inside, nothing above, the handles as blue squares.
    CColor inside = canvas.at(650, kCy - 100);
    EXPECT_GT(inside.blue, kFrameBackground.blue + 10);
    EXPECT_LT(inside.red, kFrameBackground.red);
    EXPECT_TRUE(near(canvas.at(650, kCy - 200), kFrameBackground, 0));
    for (double hx : {165.0, 550.0, 935.0})
        EXPECT_TRUE(isBlue(canvas.at(hx - 9, 150))) << hx;
    // Readouts sit below the zero line, the room labels are gone.
    EXPECT_GT(count(canvas, 175, kCy + 10, 260, kCy + 50, isBlue), 20);
    EXPECT_EQ(count(canvas, 20, 20, 170, 75, isBlue), 0);

    room->targetCurve = nullptr;
    canvas.render();
    EXPECT_TRUE(near(canvas.at(650, curveY), kFrameBackground, 0));
    EXPECT_TRUE(isBlue(canvas.at(165 - 9, 150)));
}

// Texts drawn the way the curve readouts are: the readout font, blue, from a
// baseline-left point, or ending at a point when rightAligned.
struct ReadoutText {
    std::string text;
    CPoint at;
    bool rightAligned;
};
struct TextView : CView {
    std::vector<ReadoutText> texts;
    TextView(const CRect& r, std::vector<ReadoutText> t) : CView(r), texts(std::move(t)) {}
    void draw(CDrawContext* context) override {
        context->setFont(viewfonts::curveReadoutFont(), 16, -1);
        context->setFontColor(CColor(0, 162, 232, 255));
        for (const ReadoutText& t : texts) {
            CPoint p = t.at;
            if (t.rightAligned)
                p.x -= context->getStringWidth(t.text.c_str());
            context->drawString(t.text.c_str(), p, true);
        }
    }
};

// Pixels that differ between two canvases in [l, r) x [t, b).
int differing(Canvas& a, Canvas& b, int l, int t, int r, int bottom) {
    int n = 0;
    for (int y = t; y < bottom; ++y)
        for (int x = l; x < r; ++x)
            n += !near(a.at(x, y), b.at(x, y), 2);
    return n;
}

// The readouts at both ends of the frequency ranges: 0Hz and 800Hz for the low
// corner, 2000Hz and 4000Hz for the high one, levels 0% and 100%; drawn under
// the zero line beside their handles, with no target curve.
TEST_F(Curve, ReadoutsAtTheEndsOfTheRanges) {
    const double span = 0.3 * kW;
    const struct {
        float value;
        const char* low;
        const char* high;
        const char* level;
    } ends[] = {{0.0f, "0Hz", "2000Hz", "0%"}, {1.0f, "800Hz", "4000Hz", "100%"}};
    for (const auto& e : ends) {
        for (int i = 0; i < 6; ++i)
            room->handleValue[i] = e.value;
        canvas.render();
        const double lowX = e.value * span, highX = kW - span + e.value * span;
        Canvas expected{kW, kH};
        expected.add(new TextView(CRect(0, 0, kW, kH), {{e.low, CPoint(lowX + 10, kCy + 26), false},
                                                        {e.level, CPoint(lowX + 10, kCy + 47), false},
                                                        {e.level, CPoint(kCx - 10, kCy + 47), false},
                                                        {e.high, CPoint(highX - 20, kCy + 26), true},
                                                        {e.level, CPoint(highX - 20, kCy + 47), true}}));
        expected.render();
        // Below the handles and the shape's bottom edge, only the texts.
        const int top = int(kCy) + 13, bottom = int(kCy) + 56;
        EXPECT_GT(count(expected, 0, top, int(kW), bottom, isBlue), 100) << e.value;
        EXPECT_EQ(differing(canvas, expected, 0, top, int(kW), bottom), 0) << e.value;
    }
}

// No target curve, or one of no values: the same picture, the shape and its
// handles without the curve.
TEST_F(Curve, NoTargetCurveDrawsTheShapeAlone) {
    canvas.render();
    Canvas empty{kW, kH};
    auto* other = empty.add(new VezuRezo_SwirlingRoom(CRect(0, 0, kW, kH), nullptr, 8, nullptr, nullptr));
    other->curveMode = 1;
    std::vector<float> curve(8192, -0.5f);
    other->targetCurve = curve.data();
    other->targetCurveCount = 0;
    empty.render();
    EXPECT_EQ(differing(canvas, empty, 0, 0, int(kW), int(kH)), 0);
    EXPECT_TRUE(isBlue(canvas.at(165 - 9, 150)));
    EXPECT_TRUE(near(canvas.at(650, kCy + 0.5 * 260), kFrameBackground, 0));
}

} // namespace
