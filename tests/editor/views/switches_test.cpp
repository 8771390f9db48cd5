// Mode tab and variant switch: clicks into values, selection drawing.
#include "CMyHorizontalTab.h"
#include "CMyVerticalSwitch.h"
#include "viewtest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

using namespace VSTGUI;
using namespace viewtest;

namespace {

const CColor kLight = over(CColor(215, 215, 208, 200), kFrameBackground);
const CColor kFaint = over(CColor(255, 255, 255, 80), kFrameBackground);

// The tab as the editor places it: 900 wide, three segments of 300.
struct Tab : ::testing::Test {
    Canvas canvas{900, 100};
    Listener listener;
    CMyHorizontalTab* tab = nullptr;

    void SetUp() override {
        tab = canvas.add(new CMyHorizontalTab(CRect(0, 20, 900, 80), &listener, 15, 3, 300, 3, nullptr));
        tab->setNumSubPixmaps(3);
        std::strcpy(tab->labels[0], "MIX");
        std::strcpy(tab->labels[1], "HEADPHONES");
        std::strcpy(tab->labels[2], "PLACES");
        canvas.render();
    }
    int blueIn(int segment) { return count(canvas, segment * 300, 30, segment * 300 + 300, 70, isBlue); }
    int lightIn(int segment) {
        return count(canvas, segment * 300, 30, segment * 300 + 300, 70,
                     [](const CColor& c) { return c.red > 120 && c.green > 120; });
    }
};

TEST_F(Tab, ClicksInTheThirdsGiveZeroHalfAndOne) {
    const float expected[3] = {0.0f, 0.5f, 1.0f};
    for (int i : {2, 0, 1}) {
        canvas.down(i * 300 + 150, 50);
        canvas.up(i * 300 + 150, 50);
        EXPECT_EQ(tab->getValue(), expected[i]) << i;
        ASSERT_FALSE(listener.values.empty());
        EXPECT_EQ(listener.values.back(), expected[i]);
    }
    EXPECT_EQ(listener.values.size(), 3u);
    EXPECT_EQ(canvas.host.log.size(), 6u);
}

TEST_F(Tab, DragFollowsTheSegmentAndClampsBeyondTheEdges) {
    canvas.down(150, 50);
    canvas.move(450, 50);
    EXPECT_EQ(tab->getValue(), 0.5f);
    canvas.move(899, 50);
    EXPECT_EQ(tab->getValue(), 1.0f);
    canvas.move(5000, 50);
    EXPECT_EQ(tab->getValue(), 1.0f);
    canvas.move(-1000, 50);
    EXPECT_EQ(tab->getValue(), 0.0f);
    canvas.up(-1000, 50);
    // Every change reaches the listener, also the return to the drawn segment.
    std::vector<float> changes = listener.values;
    changes.erase(std::unique(changes.begin(), changes.end()), changes.end());
    EXPECT_EQ(changes, (std::vector<float>{0.5f, 1.0f, 0.0f}));
}

TEST_F(Tab, DefaultValueClickAndOtherButtons) {
    tab->setValue(1.0f);
    canvas.down(150, 50, kRButton);
    EXPECT_TRUE(listener.values.empty());
    canvas.down(150, 50, kLButton | kControl);
    EXPECT_EQ(tab->getValue(), 0.5f);
    EXPECT_EQ(listener.values, (std::vector<float>{0.5f}));
    EXPECT_EQ(canvas.frame->getMouseCapture(), nullptr);
    EXPECT_FALSE(tab->isEditing());
}

TEST_F(Tab, SelectedSegmentIsBlueAndTruncated) {
    tab->setValue(0.0f);
    canvas.render();
    EXPECT_GT(blueIn(0), 20);
    EXPECT_EQ(blueIn(1) + blueIn(2), 0);
    EXPECT_GT(lightIn(1), 20);
    // The band: black at alpha 120 over the frame background.
    EXPECT_TRUE(near(canvas.at(20, 24), over(CColor(0, 0, 0, 120), kFrameBackground)));
    EXPECT_TRUE(near(canvas.at(20, 10), kFrameBackground, 0));

    tab->setValue(0.99f); // (3 - 1) x 0.99 truncates to 1
    canvas.render();
    EXPECT_GT(blueIn(1), 20);
    EXPECT_EQ(blueIn(0) + blueIn(2), 0);

    tab->setValue(1.0f);
    canvas.render();
    EXPECT_GT(blueIn(2), 20);
}

TEST(TabPositions, NoPositionsDrawOnlyTheBandAndIgnoreClicks) {
    Canvas canvas(300, 100);
    Listener listener;
    auto* tab = canvas.add(new CMyHorizontalTab(CRect(0, 0, 300, 100), &listener, 15, 3, 100, 3, nullptr));
    canvas.render();
    const CColor band = over(CColor(0, 0, 0, 120), kFrameBackground);
    EXPECT_EQ(count(canvas, 0, 0, 300, 100, [&](const CColor& c) { return !near(c, band, 1); }), 0);
    canvas.down(150, 50);
    EXPECT_TRUE(listener.values.empty());
    EXPECT_FALSE(tab->isEditing());

    // A single position always gives the minimum.
    tab->setNumSubPixmaps(1);
    tab->setValue(1.0f);
    canvas.down(250, 50);
    canvas.up(250, 50);
    EXPECT_EQ(tab->getValue(), 0.0f);
}

TEST(SwitchTypes, AnswerAsTheirBaseAndCopyAsPlainSwitches) {
    CMyHorizontalTab tab(CRect(0, 0, 90, 30), nullptr, 15, 3, 30, 3, nullptr);
    CMyVerticalSwitch sw(CRect(0, 0, 30, 90), nullptr, 16, 3, 30, 3, nullptr);
    EXPECT_TRUE(tab.isTypeOf("CHorizontalSwitch") && tab.isTypeOf("CControl") && tab.isTypeOf("CBaseObject"));
    EXPECT_TRUE(sw.isTypeOf("CVerticalSwitch") && sw.isTypeOf("CView"));
    EXPECT_FALSE(tab.isTypeOf("CMyHorizontalTab") || sw.isTypeOf("CMyVerticalSwitch"));

    tab.setNumSubPixmaps(3);
    tab.setValue(0.5f);
    CView* copy = tab.newCopy();
    auto* plain = dynamic_cast<CHorizontalSwitch*>(copy);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(dynamic_cast<CMyHorizontalTab*>(copy), nullptr);
    EXPECT_EQ(plain->getValue(), 0.5f);
    EXPECT_EQ(plain->getNumSubPixmaps(), 3);
    copy->forget();
    copy = sw.newCopy();
    EXPECT_EQ(dynamic_cast<CMyVerticalSwitch*>(copy), nullptr);
    EXPECT_NE(dynamic_cast<CVerticalSwitch*>(copy), nullptr);
    copy->forget();
}

// The variant switch as the editor places it: 60 x 120, rows of 40.
struct Variant : ::testing::Test {
    Canvas canvas{100, 140};
    Listener listener;
    CMyVerticalSwitch* sw = nullptr;

    void SetUp() override {
        sw = canvas.add(new CMyVerticalSwitch(CRect(0, 10, 60, 130), &listener, 16, 3, 50, 3, nullptr));
        sw->setNumSubPixmaps(3);
        std::strcpy(sw->labels[0], "A");
        std::strcpy(sw->labels[1], "B");
        std::strcpy(sw->labels[2], "C");
    }
    int brightIn(int row) {
        return count(canvas, 0, 10 + row * 40, 60, 50 + row * 40, [](const CColor& c) { return near(c, kLight, 6); });
    }
    int faintIn(int row) {
        return count(canvas, 0, 10 + row * 40, 60, 50 + row * 40, [](const CColor& c) { return near(c, kFaint, 6); });
    }
};

TEST_F(Variant, SelectedLabelIsBrightTheOthersFaint) {
    sw->setValue(0.5f);
    canvas.render();
    EXPECT_GT(brightIn(1), 10);
    EXPECT_GT(faintIn(0), 10);
    EXPECT_GT(faintIn(2), 10);
    EXPECT_EQ(brightIn(0) + brightIn(2), 0);
}

TEST_F(Variant, WideLabelsStartWhereACentredAStarts) {
    std::strcpy(sw->labels[0], "WWWW");
    sw->setValue(0.0f);
    canvas.render();
    int leftmost = 100, rightmost = -1;
    for (int y = 10; y < 50; ++y)
        for (int x = 0; x < 60; ++x)
            if (near(canvas.at(x, y), kLight, 40) && !near(canvas.at(x, y), kFrameBackground, 10)) {
                leftmost = std::min(leftmost, x);
                rightmost = std::max(rightmost, x);
            }
    // "A" is about 11 wide in the 16-point bold face: it starts near 30 - 5.5.
    EXPECT_GE(leftmost, 22);
    EXPECT_LE(leftmost, 27);
    EXPECT_GT(rightmost, 50);
}

TEST(VariantPositions, NoPositionsDrawNothing) {
    Canvas canvas(60, 120);
    auto* sw = canvas.add(new CMyVerticalSwitch(CRect(0, 0, 60, 120), nullptr, 16, 3, 50, 3, nullptr));
    sw->setNumSubPixmaps(0);
    canvas.render();
    EXPECT_EQ(count(canvas, 0, 0, 60, 120, [](const CColor& c) { return !near(c, kFrameBackground, 0); }), 0);
    // More positions than labels draw the labels there are: eleven rows of 3
    // at the top, nothing below them.
    sw->setNumSubPixmaps(40);
    canvas.render();
    auto ink = [](const CColor& c) { return !near(c, kFrameBackground, 10); };
    EXPECT_GT(count(canvas, 0, 0, 60, 40, ink), 20);
    EXPECT_EQ(count(canvas, 0, 45, 60, 120, ink), 0);
}

} // namespace
