// Static image, peak scope and waterfall: what each draws for given data.
#include "VezuRezo_PeakScope.h"
#include "VezuRezo_StaticVectorImage.h"
#include "VezuRezo_Waterfall.h"
#include "viewtest.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace VSTGUI;
using namespace viewtest;

namespace {

const CColor kMeter(100, 100, 100);
const CColor kBlack(0, 0, 0);

// Images over black: the pixel's grey is the gradient's alpha.
struct Image : ::testing::Test {
    Canvas canvas{400, 100, kBlack};
    VezuRezo_StaticVectorImage* image = nullptr;
    void SetUp() override {
        image = canvas.add(new VezuRezo_StaticVectorImage(CRect(0, 0, 400, 100), nullptr, 40, nullptr));
        image->proportion = 0.25f;
    }
    std::vector<CColor> pixels() {
        std::vector<CColor> all;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 400; ++x)
                all.push_back(canvas.at(x, y));
        return all;
    }
};

TEST_F(Image, KindZeroFadesDownwardAndCurvesOnTheRight) {
    image->kind = 0;
    canvas.render();
    EXPECT_LE(canvas.at(20, 2).red, 3);
    EXPECT_NEAR(canvas.at(20, 97).red, 44, 3);
    EXPECT_LT(canvas.at(20, 30).red, canvas.at(20, 70).red);
    // Straight bottom edge up to (1 - p) W = 300, then the curve to the top right.
    EXPECT_GT(canvas.at(290, 97).red, 30);
    EXPECT_EQ(canvas.at(395, 97).red, 0);
}

TEST_F(Image, UnknownKindsDrawKindZero) {
    image->kind = 0;
    canvas.render();
    auto zero = pixels();
    image->kind = 7;
    canvas.render();
    EXPECT_EQ(pixels(), zero);
    image->kind = -1;
    canvas.render();
    EXPECT_EQ(pixels(), zero);
}

TEST_F(Image, UpsideDownKindsFadeUpward) {
    image->kind = 3;
    canvas.render();
    EXPECT_NEAR(canvas.at(20, 2).red, 44, 3);
    EXPECT_LE(canvas.at(20, 97).red, 3);
    EXPECT_GT(canvas.at(290, 2).red, 30);
    EXPECT_EQ(canvas.at(395, 2).red, 0);

    image->kind = 4; // curved edge on the left, reaching the top at p W = 100
    canvas.render();
    EXPECT_EQ(canvas.at(5, 2).red, 0);
    EXPECT_GT(canvas.at(110, 2).red, 30);
    EXPECT_GT(canvas.at(395, 2).red, 30);
}

TEST_F(Image, KindTwoCurvesOnBothSides) {
    image->kind = 2;
    canvas.render();
    EXPECT_EQ(canvas.at(5, 97).red, 0);
    EXPECT_GT(canvas.at(200, 97).red, 30);
    EXPECT_EQ(canvas.at(395, 97).red, 0);
}

// Scope 48 x 180 as in the editor: q = 12, baseline y0 = 174, scale height 168.
struct Scope : ::testing::Test {
    Canvas canvas{48, 180};
    VezuRezo_PeakScope* scope = nullptr;
    void SetUp() override { scope = canvas.add(new VezuRezo_PeakScope(CRect(0, 0, 48, 180), nullptr, 44, nullptr)); }
    // Top of the bar in the column x, or -1 when there is none.
    int barTop(int x) {
        int top = -1;
        for (int y = 179; y >= 0; --y) {
            if (!near(canvas.at(x, y), kMeter, 0))
                continue;
            top = y;
        }
        return top;
    }
};

TEST_F(Scope, BarsFollowTheLevels) {
    scope->levelA = 0.0f;
    scope->levelB = 1.0f;
    canvas.render();
    EXPECT_EQ(barTop(10), -1);            // left bar: x 6..18
    EXPECT_EQ(barTop(36), 174 - 168);     // right bar: x 30..42, full scale
    EXPECT_TRUE(near(canvas.at(36, 173), kMeter, 0));
    EXPECT_TRUE(near(canvas.at(36, 175), kFrameBackground, 0));

    scope->levelA = 0.5f;
    scope->levelB = 3.0f; // taller than the scale, clipped to the view
    canvas.render();
    EXPECT_EQ(barTop(10), 174 - 84);
    EXPECT_EQ(barTop(36), 0);
}

TEST_F(Scope, ScaleHasFiveLines) {
    scope->levelA = scope->levelB = 0.0f;
    canvas.render();
    int lines = 0;
    bool inLine = false;
    for (int y = 0; y < 180; ++y) {
        bool on = near(canvas.at(24, y), kMeter, 0);
        if (on && !inLine)
            ++lines;
        inLine = on;
    }
    EXPECT_EQ(lines, 5);
    // Line k sits at y0 - (k + 0.5) h / 5.
    EXPECT_TRUE(near(canvas.at(24, 174 - 0.5 * 168 / 5), kMeter, 0));
    EXPECT_TRUE(near(canvas.at(24, 174 - 4.5 * 168 / 5), kMeter, 0));
    EXPECT_FALSE(near(canvas.at(18, 174 - 0.5 * 168 / 5), kMeter, 10)); // beyond 0.3 q of the middle
}

// Waterfall 381 x 130: dx = 3, dy = 10.
struct Falls : ::testing::Test {
    Canvas canvas{420, 140};
    VezuRezo_Waterfall* falls = nullptr;
    void SetUp() override { falls = canvas.add(new VezuRezo_Waterfall(CRect(0, 0, 381, 130), nullptr, 46, nullptr)); }
};

TEST_F(Falls, ZeroRowsDrawTenFlatBaselines) {
    canvas.render();
    for (int k = 0; k < 10; ++k) {
        const double y = 40 + 10 * k, x0 = 3 * (1 + k);
        EXPECT_TRUE(near(canvas.at(x0 + 30, y - 1), kMeter, 0)) << k; // the last one on the view's edge
        EXPECT_TRUE(near(canvas.at(x0 + 30, y + 4), kFrameBackground, 0)) << k;
        EXPECT_TRUE(near(canvas.at(x0 - 2, y), kFrameBackground, 0)) << k;
    }
    EXPECT_TRUE(near(canvas.at(100, 35), kFrameBackground, 0));
    // Nothing beyond the view, though the rows reach past its right edge.
    EXPECT_TRUE(near(canvas.at(385, 130 - 1), kFrameBackground, 0));
}

TEST_F(Falls, ValuesRaiseTheirRowByThreeStepsPerUnit) {
    for (int j = 40; j < 60; ++j)
        falls->rows[2][j] = 1.0f;
    for (int j = 80; j < 100; ++j)
        falls->rows[5][j] = 0.5f;
    canvas.render();
    const double x2 = 3 * 3, y2 = 60;
    EXPECT_TRUE(near(canvas.at(x2 + 3 * 50, y2 - 30), kMeter, 0));
    EXPECT_TRUE(near(canvas.at(x2 + 3 * 50, y2), kMeter, 0)); // the return along the baseline
    EXPECT_TRUE(near(canvas.at(x2 + 3 * 50, y2 - 15), kFrameBackground, 0));
    const double x5 = 3 * 6, y5 = 90;
    EXPECT_TRUE(near(canvas.at(x5 + 3 * 90, y5 - 15), kMeter, 0));
    EXPECT_TRUE(near(canvas.at(x5 + 3 * 90, y5 - 8), kFrameBackground, 0));
}

} // namespace
