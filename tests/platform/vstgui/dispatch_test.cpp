// Mouse dispatch through the zoom, overlapping views, capture, invalidation and tooltips.
#include "testsupport.h"

#include <gtest/gtest.h>

#include <thread>

using namespace VSTGUI;
using namespace testsupport;

namespace {

struct FrameFixture : ::testing::Test {
    TestEditor editor;
    CFrame* frame = nullptr;

    void SetUp() override {
        frame = new CFrame(editorDesignRect(), nullptr, &editor);
        frame->setBackgroundColor(CColor(52, 52, 52, 255));
        frame->setZoom(zoomFactor());
    }
    void TearDown() override {
        if (frame)
            frame->forget();
    }
    template <typename V>
    V* add(V* view) {
        view->remember(); // keep it readable after the frame is gone
        frame->addView(view);
        kept.push_back(view);
        return view;
    }
    ~FrameFixture() override {
        for (CView* v : kept)
            v->forget();
    }
    std::vector<CView*> kept;
};

TEST_F(FrameFixture, ZoomSizesTheWindowAndMapsPixelsToDesignUnits) {
    EXPECT_EQ(frame->pixelWidth(), 880);
    EXPECT_EQ(frame->pixelHeight(), 640);
    EXPECT_EQ(editor.lastNewSize, CRect(0, 0, 880, 640));

    auto* probe = add(new ProbeView(editorDesignRect(), kMouseEventHandled));
    frame->platformMouseDown(400, 300, kLButton);
    EXPECT_NEAR(probe->lastWhere.x, 500.0, 1e-4);
    EXPECT_NEAR(probe->lastWhere.y, 375.0, 1e-4);
    EXPECT_NE(probe->lastWhere.x, 500.0); // the float zoom makes it slightly less
}

TEST_F(FrameFixture, LaterViewWinsAnOverlapAndHalfOpenEdgesHold) {
    auto* below = add(new ProbeView(CRect(0, 0, 200, 200), kMouseEventHandled));
    auto* above = add(new ProbeView(CRect(100, 100, 300, 300), kMouseEventHandled));
    CPoint overlap(150, 150);
    frame->onMouseDown(overlap, kLButton);
    frame->platformMouseUp(120, 120, kLButton);
    EXPECT_EQ(above->log, (std::vector<std::string>{"down", "up"}));
    EXPECT_TRUE(below->log.empty());

    CPoint edge(300, 150); // right edge is outside
    EXPECT_EQ(frame->getViewAt(edge), nullptr);
    CPoint inside(99.999, 50);
    EXPECT_EQ(frame->getViewAt(inside), below);
}

TEST_F(FrameFixture, NotHandledAndNotImplementedFallThrough) {
    RecordingListener listener;
    auto* kick = add(new CKickButton(CRect(0, 0, 100, 100), &listener, 44, nullptr));
    add(new CTextLabel(CRect(0, 0, 100, 100), "label")); // answers NotImplemented
    auto* refuser = add(new ProbeView(CRect(0, 0, 100, 50), kMouseEventNotHandled));

    CPoint p(50, 25);
    EXPECT_EQ(frame->onMouseDown(p, kLButton), kMouseEventHandled);
    EXPECT_EQ(refuser->log, std::vector<std::string>{"down"});
    EXPECT_EQ(frame->getMouseCapture(), kick);
    frame->onMouseUp(p, kLButton);
    ASSERT_EQ(listener.notes.size(), 2u);
    EXPECT_EQ(listener.notes[0].value, 1.0f);
    EXPECT_EQ(listener.notes[1].value, 0.0f);
    EXPECT_EQ(frame->getMouseCapture(), nullptr);
}

TEST_F(FrameFixture, HiddenAndDisabledViewsAreSkipped) {
    auto* bottom = add(new ProbeView(CRect(0, 0, 100, 100), kMouseEventHandled));
    auto* hidden = add(new ProbeView(CRect(0, 0, 100, 100), kMouseEventHandled));
    auto* disabled = add(new ProbeView(CRect(0, 0, 100, 100), kMouseEventHandled));
    hidden->setVisible(false);
    disabled->setMouseEnabled(false);
    CPoint p(10, 10);
    frame->onMouseDown(p, kLButton);
    EXPECT_EQ(bottom->log.size(), 1u);
    EXPECT_TRUE(hidden->log.empty());
    EXPECT_TRUE(disabled->log.empty());
}

TEST_F(FrameFixture, DontNeedMovedOrUpDoesNotCapture) {
    auto* probe = add(new ProbeView(CRect(0, 0, 100, 100), kMouseDownEventHandledButDontNeedMovedOrUpEvents));
    CPoint p(10, 10);
    EXPECT_EQ(frame->onMouseDown(p, kLButton), kMouseEventHandled);
    EXPECT_EQ(frame->getMouseCapture(), nullptr);
    frame->onMouseMoved(p, kLButton);
    frame->onMouseUp(p, kLButton);
    EXPECT_EQ(probe->log, std::vector<std::string>{"down"});
}

TEST_F(FrameFixture, CaptureFollowsTheMouseOutsideTheViewUntilRelease) {
    auto* probe = add(new ProbeView(CRect(0, 0, 100, 100), kMouseEventHandled));
    auto* other = add(new ProbeView(CRect(200, 0, 300, 100), kMouseEventHandled));
    frame->platformMouseDown(40, 40, kLButton);
    frame->platformMouseMoved(200, 40, kLButton); // over the other view
    EXPECT_NEAR(probe->lastWhere.x, 250.0, 1e-4);
    frame->platformMouseUp(200, 40, kLButton);
    EXPECT_EQ(probe->log, (std::vector<std::string>{"down", "moved", "up"}));
    EXPECT_TRUE(other->log.empty());
    EXPECT_EQ(frame->getMouseCapture(), nullptr);
}

TEST_F(FrameFixture, LostReleaseIsDeliveredOnButtonlessMoveOrNextPress) {
    auto* probe = add(new ProbeView(CRect(0, 0, 100, 100), kMouseEventHandled));
    frame->platformMouseDown(40, 40, kLButton);
    frame->platformMouseMoved(50, 50, 0); // the release went to a grab
    EXPECT_EQ(probe->log, (std::vector<std::string>{"down", "up"}));
    EXPECT_EQ(frame->getMouseCapture(), nullptr);

    probe->log.clear();
    frame->platformMouseDown(40, 40, kLButton);
    frame->platformMouseDown(45, 45, kLButton); // second press without a release
    EXPECT_EQ(probe->log, (std::vector<std::string>{"down", "up", "down"}));
}

TEST_F(FrameFixture, LostReleaseKeepsHostEditsBalanced) {
    RecordingListener listener;
    add(new CKnob(CRect(0, 0, 200, 200), &listener, 6, nullptr, nullptr));
    frame->platformMouseDown(80, 80, kLButton);
    frame->platformMouseMoved(80, 60, kLButton);
    frame->platformMouseMoved(80, 60, 0);
    EXPECT_EQ(editor.hostEdits, (std::vector<std::string>{"begin 6", "end 6"}));
}

TEST_F(FrameFixture, ReleasingTheFrameEndsACapturedEditWithoutNotifying) {
    RecordingListener listener;
    add(new CKnob(CRect(0, 0, 200, 200), &listener, 6, nullptr, nullptr));
    frame->platformMouseDown(80, 80, kLButton);
    frame->platformMouseMoved(80, 40, kLButton);
    size_t notes = listener.notes.size();
    frame->forget();
    frame = nullptr;
    EXPECT_EQ(editor.hostEdits, (std::vector<std::string>{"begin 6", "end 6"}));
    EXPECT_EQ(listener.notes.size(), notes);
}

TEST_F(FrameFixture, RemovingACapturedViewReleasesTheCapture) {
    auto* probe = add(new ProbeView(CRect(0, 0, 100, 100), kMouseEventHandled));
    frame->platformMouseDown(40, 40, kLButton);
    EXPECT_TRUE(frame->removeView(probe));
    EXPECT_EQ(frame->getMouseCapture(), nullptr);
    frame->platformMouseUp(40, 40, kLButton);
    EXPECT_EQ(probe->log, std::vector<std::string>{"down"});
    EXPECT_FALSE(probe->isAttached());
}

TEST_F(FrameFixture, InvalidRectRepaintsOnlyTheCoveredPixels) {
    auto* fill = add(new FillView(editorDesignRect(), CColor(10, 20, 30)));
    frame->renderAll();
    fill->colour = CColor(200, 100, 50);
    frame->invalidRect(CRect(100, 100, 200, 200)); // pixels 79 .. 161
    frame->paintDirty();
    EXPECT_TRUE(near(frame->pixelAt(100, 100), CColor(200, 100, 50), 0));
    EXPECT_TRUE(near(frame->pixelAt(159, 159), CColor(200, 100, 50), 0));
    EXPECT_TRUE(near(frame->pixelAt(77, 100), CColor(10, 20, 30), 0));
    EXPECT_TRUE(near(frame->pixelAt(100, 163), CColor(10, 20, 30), 0));
}

TEST_F(FrameFixture, ManyInvalidationsMergeButStillCoverEverything) {
    auto* fill = add(new FillView(editorDesignRect(), CColor(10, 20, 30)));
    frame->renderAll();
    fill->colour = CColor(90, 90, 90);
    for (int i = 0; i < 40; ++i)
        frame->invalidRect(CRect(i * 25, i * 15, i * 25 + 10, i * 15 + 10));
    frame->paintDirty();
    for (int i = 0; i < 40; ++i) {
        int x = int((i * 25 + 5) * zoomFactor()), y = int((i * 15 + 5) * zoomFactor());
        EXPECT_TRUE(near(frame->pixelAt(x, y), CColor(90, 90, 90), 0)) << i;
    }
}

TEST_F(FrameFixture, TooltipAppearsAfterTheDelayAndHidesOnMove) {
    frame->enableTooltips(true);
    auto* view = add(new FillView(CRect(100, 100, 400, 300), CColor(0, 0, 0)));
    view->setTooltipText("Tip text");
    uint32 size = 0;
    ASSERT_TRUE(view->getAttributeSize(kCViewTooltipAttribute, size));
    EXPECT_EQ(size, 9u); // includes the NUL
    frame->idle();

    editor.ticks = 5000;
    frame->platformMouseMoved(200, 160, 0);
    editor.ticks = 5999;
    frame->idle();
    EXPECT_FALSE(frame->isTooltipVisible());
    editor.ticks = 6000;
    frame->idle();
    ASSERT_TRUE(frame->isTooltipVisible());
    // The box sits near the pointer, on top of the black view.
    CColor boxPixel = frame->pixelAt(210, 185);
    EXPECT_GT(boxPixel.red, 200) << str(boxPixel);

    frame->platformMouseMoved(201, 160, 0);
    frame->idle();
    EXPECT_FALSE(frame->isTooltipVisible());
    EXPECT_TRUE(near(frame->pixelAt(210, 185), CColor(0, 0, 0), 0));
}

TEST_F(FrameFixture, TooltipStaysInsideTheWindow) {
    frame->enableTooltips(true, 10);
    auto* view = add(new FillView(editorDesignRect(), CColor(0, 0, 0)));
    view->setTooltipText("A rather long tooltip text that needs some room to be shown");
    frame->platformMouseMoved(875, 635, 0);
    editor.ticks += 20;
    frame->idle();
    ASSERT_TRUE(frame->isTooltipVisible());
    // Some tooltip pixels exist and the frame is still drawn inside its window.
    bool found = false;
    for (int x = 400; x < 880 && !found; ++x)
        for (int y = 560; y < 640 && !found; ++y)
            found = frame->pixelAt(x, y).red > 200;
    EXPECT_TRUE(found);
}

} // namespace

namespace {

TEST(FrameThreads, InvalidationFromAnotherThreadRepaintsAtTheNextIdle) {
    CFrame* frame = new CFrame(CRect(0, 0, 100, 100), nullptr, nullptr);
    auto* fill = new FillView(CRect(0, 0, 100, 100), CColor(10, 10, 10));
    frame->addView(fill);
    frame->renderAll();
    fill->colour = CColor(250, 0, 0);
    std::thread([fill] { fill->invalid(); }).join();
    EXPECT_TRUE(near(frame->pixelAt(50, 50), CColor(10, 10, 10), 0));
    frame->idle();
    EXPECT_TRUE(near(frame->pixelAt(50, 50), CColor(250, 0, 0), 0));
    frame->forget();
}

} // namespace
