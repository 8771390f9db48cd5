// Vector knob: the release flag on notifications, and where the body and the
// labels are drawn.
#include "VezuRezo_VectorKnobA.h"
#include "viewtest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace VSTGUI;
using namespace viewtest;

namespace {

const CColor kBody(52, 52, 52);

struct Knob : ::testing::Test {
    Canvas canvas{200, 200, CColor(255, 255, 255)};
    Listener listener;
    VezuRezo_VectorKnobA* knob = nullptr;

    void SetUp() override {
        knob = canvas.add(new VezuRezo_VectorKnobA(CRect(0, 0, 200, 200), &listener, 6, nullptr, nullptr));
        listener.probe = [this](CControl*) { return std::string(knob->released ? "released" : "moving"); };
    }
    // Pixel at radius f x r (r = 100) and a screen angle in degrees.
    CColor polar(double f, double degrees) {
        double a = degrees * 3.141592653589793 / 180;
        return canvas.at(100 + f * 100 * std::cos(a), 100 + f * 100 * std::sin(a));
    }
};

TEST_F(Knob, DragNotifiesUnreleasedAndReleaseNotifiesOnceMoreBeforeTheEditEnds) {
    knob->setValue(0.5f);
    canvas.down(100, 100);
    canvas.move(100, 80);
    canvas.move(100, 60);
    canvas.up(100, 60);
    EXPECT_EQ(listener.notes, (std::vector<std::string>{"moving", "moving", "released", "end"}));
    EXPECT_NEAR(listener.values.back(), 0.7f, 1e-6);
    EXPECT_FALSE(knob->released);
    EXPECT_EQ(canvas.host.log, (std::vector<std::string>{"begin 6", "end 6"}));
}

TEST_F(Knob, DefaultValueClickSendsAReleasedNotification) {
    knob->setValue(0.9f);
    canvas.down(100, 100, kLButton | kControl);
    // The reset itself, then the released notification with the default value.
    ASSERT_EQ(listener.values.size(), 2u);
    EXPECT_EQ(listener.notes[0], "moving");
    EXPECT_EQ(listener.values[1], 0.5f);
    EXPECT_EQ(std::count(listener.notes.begin(), listener.notes.end(), "released"), 1);
    EXPECT_FALSE(knob->released);
    EXPECT_EQ(canvas.frame->getMouseCapture(), nullptr);
}

TEST_F(Knob, PointerFollowsTheValue) {
    // Body grey at 0.6 r only at the pointer: 120 degrees for 0, 270 for 0.5, 60 for 1.
    const struct {
        float value;
        double pointer;
    } cases[] = {{0.0f, 120}, {0.5f, 270}, {1.0f, 60}};
    for (const auto& c : cases) {
        knob->setValue(c.value);
        canvas.render();
        EXPECT_TRUE(near(polar(0.6, c.pointer), kBody)) << c.value << " " << str(polar(0.6, c.pointer));
        EXPECT_FALSE(near(polar(0.6, c.pointer + 90), kBody, 10)) << c.value;
        EXPECT_FALSE(near(polar(0.6, c.pointer - 90), kBody, 10)) << c.value;
        // Inside the teeth the body is solid except for the cap's ring.
        EXPECT_TRUE(near(polar(0.3, c.pointer + 180), kBody)) << c.value;
    }
}

TEST(KnobLabels, TitleUnitAndScaleLabelsAreDrawn) {
    Canvas canvas(200, 200, CColor(0, 0, 0));
    auto* knob = canvas.add(new VezuRezo_VectorKnobA(CRect(0, 0, 200, 200), nullptr, 6, nullptr, nullptr));
    std::strcpy(knob->title, "LOUDNESS");
    canvas.render();
    auto light = [](const CColor& c) { return c.red > 100 && c.blue > 100; };
    // The unit in blue under the knob, the title lower still.
    EXPECT_GT(count(canvas, 80, 162, 120, 176, isBlue), 5);
    EXPECT_GT(count(canvas, 40, 182, 160, 198, light), 20);
    // First label lower left, last lower right (-240 and +60 degrees on radius 75).
    EXPECT_GT(count(canvas, 45, 150, 75, 175, light), 5);
    EXPECT_GT(count(canvas, 125, 150, 160, 175, light), 5);
}

std::vector<CColor> pixels(Canvas& canvas) {
    std::vector<CColor> all;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            all.push_back(canvas.at(x, y));
    return all;
}

int differing(const std::vector<CColor>& a, const std::vector<CColor>& b, int l, int t, int r, int bottom) {
    int n = 0;
    for (int y = t; y < bottom; ++y)
        for (int x = l; x < r; ++x)
            n += !(a[size_t(y * 200 + x)] == b[size_t(y * 200 + x)]);
    return n;
}

TEST_F(Knob, ScaleCountBeyondTheLabelsDrawsOnlyTheLabels) {
    canvas.render();
    const auto eleven = pixels(canvas);
    knob->scaleCount = 1000; // only the eleven labels there are
    canvas.render();
    EXPECT_EQ(differing(pixels(canvas), eleven, 0, 0, 200, 200), 0);

    knob->scaleCount = -3; // none
    canvas.render();
    const auto none = pixels(canvas);
    knob->scaleCount = 0;
    canvas.render();
    EXPECT_EQ(differing(pixels(canvas), none, 0, 0, 200, 200), 0);
    // The first label sits lower left, the last lower right.
    EXPECT_GT(differing(none, eleven, 40, 150, 80, 180), 10);
    EXPECT_GT(differing(none, eleven, 120, 150, 180, 180), 10);

    knob->scaleCount = 1; // the first label alone, at the scale's start
    canvas.render();
    const auto one = pixels(canvas);
    EXPECT_EQ(differing(one, eleven, 40, 150, 80, 180), 0);
    EXPECT_EQ(differing(one, none, 120, 150, 180, 180), 0);
}

} // namespace
