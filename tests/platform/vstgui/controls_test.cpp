// Control edits: values, dirty state, host edits, knobs, switches, buttons, menus and pop-ups.
#include "popupmenu.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace VSTGUI;
using namespace testsupport;

namespace {

struct ControlFixture : ::testing::Test {
    TestEditor editor;
    RecordingListener listener;
    CFrame* frame = nullptr;
    std::vector<CView*> kept;

    void SetUp() override {
        frame = new CFrame(editorDesignRect(), nullptr, &editor);
        frame->setZoom(zoomFactor());
    }
    void TearDown() override {
        if (frame)
            frame->forget();
        for (CView* v : kept)
            v->forget();
    }
    template <typename V>
    V* add(V* view) {
        view->remember();
        frame->addView(view);
        kept.push_back(view);
        return view;
    }
    void click(double x, double y, int32 buttons = kLButton) {
        CPoint p(x, y);
        frame->onMouseDown(p, buttons);
        CPoint q(x, y);
        frame->onMouseUp(q, buttons);
    }
    std::vector<float> values() const {
        std::vector<float> v;
        for (auto& n : listener.notes)
            v.push_back(n.value);
        return v;
    }
};

// A control painting a grey level equal to its value.
struct ValueColourControl : CControl {
    using CControl::CControl;
    void draw(CDrawContext* ctx) override {
        uint8_t g = uint8_t(std::lround(value * 255));
        ctx->setFillColor(CColor(g, g, g));
        ctx->drawRect(size, kDrawFilled);
        setDirty(false);
    }
};

TEST_F(ControlFixture, SetValueClampsIgnoresNaNAndSchedulesARedraw) {
    auto* c = add(new ValueColourControl(CRect(0, 0, 100, 100), &listener, 3));
    c->setValue(0.25f);
    frame->renderAll();
    EXPECT_EQ(frame->pixelAt(40, 40).red, 64);
    c->setValue(2.0f);
    EXPECT_EQ(c->getValue(), 1.0f);
    frame->paintDirty(); // only what setValue invalidated
    EXPECT_EQ(frame->pixelAt(40, 40).red, 255);
    c->setValue(-1.0f);
    EXPECT_EQ(c->getValue(), 0.0f);
    c->setValue(std::nanf(""));
    EXPECT_EQ(c->getValue(), 0.0f);
    EXPECT_TRUE(listener.notes.empty()); // setValue never notifies
}

TEST_F(ControlFixture, DirtyFollowsTheLastDrawnValue) {
    auto* c = add(new ValueColourControl(CRect(0, 0, 100, 100), &listener, 3));
    c->setValue(0.5f);
    EXPECT_TRUE(c->isDirty());
    c->setDirty(false);
    EXPECT_FALSE(c->isDirty());
    c->setValue(0.5f);
    EXPECT_FALSE(c->isDirty());
    c->setValue(0.6f);
    EXPECT_TRUE(c->isDirty());
    frame->renderAll(); // drawing clears it
    EXPECT_FALSE(c->isDirty());
    c->setDirty(true);
    EXPECT_TRUE(c->isDirty());
}

TEST_F(ControlFixture, EditsReachTheHostOnlyOnOuterTransitionsAndBelowTag38) {
    auto* knob = add(new CKnob(CRect(0, 0, 100, 100), &listener, 6, nullptr, nullptr));
    knob->beginEdit();
    knob->beginEdit();
    knob->endEdit();
    EXPECT_TRUE(knob->isEditing());
    knob->endEdit();
    knob->endEdit(); // unbalanced extra end is ignored
    EXPECT_EQ(editor.hostEdits, (std::vector<std::string>{"begin 6", "end 6"}));
    EXPECT_EQ(listener.edits, (std::vector<std::string>{"begin 6", "end 6"}));

    editor.hostEdits.clear();
    add(new CKickButton(CRect(200, 0, 300, 100), &listener, 44, nullptr));
    click(250, 50);
    EXPECT_TRUE(editor.hostEdits.empty());
    EXPECT_EQ(listener.edits.back(), "end 44");
}

TEST_F(ControlFixture, ControlClickResetsToDefaultOnceAndOtherClicksDoNot) {
    auto* knob = add(new CKnob(CRect(0, 0, 100, 100), &listener, 6, nullptr, nullptr));
    knob->setValue(0.9f);
    click(50, 50, kLButton | kControl);
    EXPECT_EQ(knob->getValue(), 0.5f);
    EXPECT_EQ(values(), std::vector<float>{0.5f});
    EXPECT_FALSE(knob->isEditing());
    EXPECT_EQ(frame->getMouseCapture(), nullptr);

    knob->setValue(0.9f);
    click(50, 50, kRButton | kControl);
    click(50, 50, kLButton | kControl | kShift);
    EXPECT_EQ(knob->getValue(), 0.9f);
    EXPECT_EQ(listener.notes.size(), 1u);
}

TEST_F(ControlFixture, LinearKnobDragFineDragAndClamp) {
    auto* knob = add(new CKnob(CRect(0, 0, 200, 200), &listener, 6, nullptr, nullptr));
    knob->setValue(0.25f);
    CPoint down(100, 300 / 2.0);
    frame->onMouseDown(down, kLButton);
    CPoint up100(100, 50);
    frame->onMouseMoved(up100, kLButton);
    EXPECT_NEAR(knob->getValue(), 0.75f, 1e-6);
    CPoint farUp(100, -500);
    frame->onMouseMoved(farUp, kLButton);
    EXPECT_EQ(knob->getValue(), 1.0f);
    frame->onMouseUp(farUp, kLButton);
    EXPECT_FALSE(knob->isEditing());

    knob->setValue(0.25f);
    CPoint fine(100, 150);
    frame->onMouseDown(fine, kLButton | kShift);
    CPoint fineUp(100, 50);
    frame->onMouseMoved(fineUp, kLButton | kShift);
    EXPECT_NEAR(knob->getValue(), 0.30f, 1e-6);
    CPoint farDown(100, 5000);
    frame->onMouseMoved(farDown, kLButton | kShift);
    EXPECT_EQ(knob->getValue(), 0.0f);
    frame->onMouseUp(farDown, kLButton);
    EXPECT_EQ(editor.hostEdits, (std::vector<std::string>{"begin 6", "end 6", "begin 6", "end 6"}));
    EXPECT_FALSE(knob->onWheel(fine, 1.0f, 0)); // no wheel: the value would drift from the parameter
}

TEST_F(ControlFixture, CircularKnobFollowsTheAngleFrom120Degrees) {
    editor.knobMode = CKnob::kCircularMode;
    auto* knob = add(new CKnob(CRect(0, 0, 200, 200), &listener, 6, nullptr, nullptr));
    CPoint top(100, 10); // 270 degrees on screen: the middle of the 300-degree travel
    frame->onMouseDown(top, kLButton);
    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-6);
    CPoint right(190, 100); // 0 degrees: 240 of 300
    frame->onMouseMoved(right, kLButton);
    EXPECT_NEAR(knob->getValue(), 0.8f, 1e-6);
    frame->onMouseUp(right, kLButton);
}

TEST_F(ControlFixture, HorizontalSwitchThirdsAndDragsBeyondTheEdges) {
    auto* sw = add(new CHorizontalSwitch(CRect(0, 0, 300, 60), &listener, 15, nullptr));
    sw->setNumSubPixmaps(3);
    click(50, 30);
    click(150, 30);
    click(250, 30);
    EXPECT_EQ(values(), (std::vector<float>{0.0f, 0.5f, 1.0f}));

    listener.notes.clear();
    CPoint p(150, 30);
    frame->onMouseDown(p, kLButton);
    CPoint left(-80, 30), right(900, 30);
    frame->onMouseMoved(left, kLButton);
    EXPECT_EQ(sw->getValue(), 0.0f);
    frame->onMouseMoved(right, kLButton);
    EXPECT_EQ(sw->getValue(), 1.0f);
    frame->onMouseUp(right, kLButton);
    EXPECT_FALSE(sw->isEditing());
}

TEST_F(ControlFixture, VerticalSwitchUsesRowsAndDegenerateCountsAreSafe) {
    auto* sw = add(new CVerticalSwitch(CRect(0, 0, 60, 120), &listener, 16, nullptr));
    sw->setNumSubPixmaps(3);
    click(30, 10);
    click(30, 119);
    click(30, 60);
    EXPECT_EQ(values(), (std::vector<float>{0.0f, 1.0f, 0.5f}));

    sw->setNumSubPixmaps(1);
    sw->setValue(0.7f);
    click(30, 100);
    EXPECT_EQ(sw->getValue(), 0.0f);
    EXPECT_FALSE(std::isnan(sw->getValue()));

    sw->setNumSubPixmaps(0);
    CPoint p(30, 30);
    EXPECT_EQ(sw->onMouseDown(p, kLButton), kMouseEventNotHandled);
    EXPECT_FALSE(sw->isEditing());
}

TEST_F(ControlFixture, KickButtonFiresOnReleaseInsideOnly) {
    auto* kick = add(new CKickButton(CRect(0, 0, 100, 100), &listener, 47, nullptr));
    click(50, 50);
    EXPECT_EQ(values(), (std::vector<float>{1.0f, 0.0f}));

    listener.notes.clear();
    CPoint p(50, 50);
    frame->onMouseDown(p, kLButton);
    EXPECT_EQ(kick->getValue(), 1.0f);
    CPoint out(300, 50);
    frame->onMouseMoved(out, kLButton);
    EXPECT_EQ(kick->getValue(), 0.0f);
    frame->onMouseUp(out, kLButton);
    EXPECT_TRUE(listener.notes.empty());
    EXPECT_EQ(kick->getValue(), 0.0f);
    EXPECT_FALSE(kick->isEditing());

    CPoint q(50, 50);
    EXPECT_EQ(kick->onMouseDown(q, kRButton), kMouseEventNotHandled);
}

TEST_F(ControlFixture, TextButtonShowsTheHighlightedColourWhilePressed) {
    frame->setBackgroundColor(CColor(0, 0, 0));
    auto* button = add(new CTextButton(CRect(100, 100, 400, 200), &listener, 48, "SAVE"));
    button->setTextColor(CColor(0, 0, 255));
    button->setTextColorHighlighted(CColor(255, 0, 0));
    button->setFont(kNormalFontVeryBig);
    auto countInk = [this](bool red) {
        int n = 0;
        for (int x = 80; x < 320; ++x)
            for (int y = 80; y < 160; ++y) {
                CColor c = frame->pixelAt(x, y);
                n += red ? (c.red > 150 && c.blue < 60) : (c.blue > 150 && c.red < 60);
            }
        return n;
    };
    frame->renderAll();
    EXPECT_GT(countInk(false), 20);
    EXPECT_EQ(countInk(true), 0);
    CPoint p(250, 150);
    frame->onMouseDown(p, kLButton);
    frame->paintDirty();
    EXPECT_GT(countInk(true), 20);
    EXPECT_EQ(countInk(false), 0);
    frame->onMouseUp(p, kLButton);
    frame->paintDirty();
    EXPECT_EQ(countInk(true), 0);
    EXPECT_EQ(values(), (std::vector<float>{1.0f, 0.0f}));
}

TEST_F(ControlFixture, OptionMenuValuesAndCurrentItem) {
    auto* menu = add(new COptionMenu(CRect(0, 0, 200, 40), &listener, 0));
    for (int i = 0; i < 8; ++i)
        menu->addEntry(("item " + std::to_string(i)).c_str());
    EXPECT_EQ(menu->getMax(), 7.0f);
    menu->setValue(5.7f);
    EXPECT_EQ(menu->getCurrentIndex(), 5);
    menu->setValue(-1.0f);
    menu->setValue(8.0f);
    menu->setValue(std::nanf(""));
    EXPECT_EQ(menu->getCurrentIndex(), 5);
    EXPECT_FALSE(menu->setCurrent(8));
    EXPECT_FALSE(menu->setCurrent(-1));
    EXPECT_EQ(menu->getCurrentIndex(), 5);
    EXPECT_TRUE(menu->setCurrent(2));
    EXPECT_STREQ(menu->getCurrent()->getTitle(), "item 2");
    EXPECT_TRUE(listener.notes.empty());
}

TEST_F(ControlFixture, OptionMenuPopupSelectsNotifiesAgainAndCancels) {
    auto* menu = add(new COptionMenu(CRect(0, 0, 200, 40), &listener, 2));
    for (int i = 0; i < 7; ++i)
        menu->addEntry(("studio " + std::to_string(i)).c_str());
    menu->setCurrent(3);

    click(100, 20);
    PopupMenuModel* popup = frame->getOpenPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->current(), 3);
    EXPECT_EQ(editor.hostEdits, std::vector<std::string>{"begin 2"});
    popup->select(3); // the current item notifies again
    EXPECT_EQ(frame->getOpenPopup(), nullptr);
    EXPECT_EQ(values(), std::vector<float>{3.0f});
    EXPECT_EQ(editor.hostEdits, (std::vector<std::string>{"begin 2", "end 2"}));

    click(100, 20);
    popup = frame->getOpenPopup();
    ASSERT_NE(popup, nullptr);
    PixelRect r = popup->itemRect(5);
    popup->mouseMoved((r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2);
    popup->mouseUp((r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2, 10);
    EXPECT_EQ(menu->getCurrentIndex(), 5);
    EXPECT_EQ(values(), (std::vector<float>{3.0f, 5.0f}));

    click(100, 20);
    ASSERT_NE(frame->getOpenPopup(), nullptr);
    CPoint elsewhere(600, 600); // a press elsewhere cancels
    frame->onMouseDown(elsewhere, kLButton);
    EXPECT_EQ(frame->getOpenPopup(), nullptr);
    EXPECT_EQ(menu->getCurrentIndex(), 5);
    EXPECT_EQ(listener.notes.size(), 2u);
    EXPECT_EQ(editor.hostEdits.size(), 6u);
    EXPECT_EQ(editor.hostEdits.back(), "end 2");
}

TEST_F(ControlFixture, ClosingTheFrameCancelsAnOpenPopup) {
    auto* menu = add(new COptionMenu(CRect(0, 0, 200, 40), &listener, 1));
    menu->addEntry("one");
    menu->addEntry("two");
    click(100, 20);
    ASSERT_NE(frame->getOpenPopup(), nullptr);
    frame->forget();
    frame = nullptr;
    EXPECT_TRUE(listener.notes.empty());
    EXPECT_EQ(editor.hostEdits, (std::vector<std::string>{"begin 1", "end 1"}));
    EXPECT_EQ(menu->getNbReference(), 1); // only ours: the pop-up let go
}

TEST(PopupMenuModel, LargeMenusFitTheScreenInColumnsAndEveryItemIsReachable) {
    std::vector<PopupMenuModel::Item> items;
    for (int i = 0; i < 276; ++i)
        items.push_back({"Headphone model number " + std::to_string(i), 0});
    for (int perColumn : {100, -1}) {
        int result = -2;
        PopupMenuModel model(items, 199, perColumn, [&](int r) { result = r; });
        model.layout(1280, 1024);
        int rows = std::min({perColumn > 0 ? perColumn : 276, 276, 1024 / PopupMenuModel::kRowHeight});
        EXPECT_EQ(model.rowsPerColumn(), rows);
        EXPECT_EQ(model.columns(), (276 + rows - 1) / rows);
        EXPECT_LE(model.height(), 1024);
        EXPECT_LE(model.width(), 1280);
        for (int i = 0; i < 276; ++i) {
            PixelRect r = model.itemRect(i);
            ASSERT_FALSE(r.empty()) << i;
            EXPECT_EQ(model.itemAt((r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2), i);
        }
        EXPECT_EQ(model.hovered(), 199);
        EXPECT_EQ(result, -2);
    }
}

TEST(PopupLayout, RequestedColumnsWhereTheScreenHoldsThemElseFittedToIt) {
    // 276 items of 100 per column: kept on a tall screen.
    PopupLayout l = layoutPopup(276, 100, 150, 1280, 2000);
    EXPECT_EQ(l.rows, 100);
    EXPECT_EQ(l.columns, 3);
    EXPECT_EQ(l.rowHeight, PopupLayoutRules::kRowHeight);
    EXPECT_FALSE(l.titlesCut);
    // Cut at the screen's height at full size while the width holds the columns.
    l = layoutPopup(276, 100, 150, 1280, 1024);
    EXPECT_EQ(l.rows, 1024 / PopupLayoutRules::kRowHeight);
    EXPECT_EQ(l.columns, 5);
    EXPECT_EQ(l.rowHeight, PopupLayoutRules::kRowHeight);
    // Titles of 320 px: five full-size columns would be 1720 px wide, so the rows shrink.
    for (int perColumn : {100, -1}) {
        l = layoutPopup(276, perColumn, 320, 1280, 1024);
        EXPECT_LT(l.rowHeight, PopupLayoutRules::kRowHeight);
        EXPECT_GE(l.rowHeight, PopupLayoutRules::kSmallestRowHeight);
        EXPECT_LE(l.columns * l.columnWidth, 1280);
        EXPECT_LE(l.rows * l.rowHeight, 1024);
        EXPECT_GE(l.rows * l.columns, 276);
        EXPECT_NEAR(l.fontSize, PopupLayoutRules::kFontSize * l.rowHeight / PopupLayoutRules::kRowHeight, 1e-9);
        EXPECT_FALSE(l.titlesCut);
        EXPECT_GT(layoutPopup(276, perColumn, 320, 1280, 1024).columnWidth * 18.0 / l.rowHeight, 320);
    }
    // Ten per column would need 28 columns: the screen's height takes more rows.
    l = layoutPopup(276, 10, 150, 1280, 1024);
    EXPECT_EQ(l.rowHeight, PopupLayoutRules::kRowHeight);
    EXPECT_EQ(l.rows, 1024 / PopupLayoutRules::kRowHeight);
    // A screen too small for whole titles: columns shared out, titles cut.
    l = layoutPopup(276, 100, 320, 800, 600);
    EXPECT_TRUE(l.titlesCut);
    EXPECT_EQ(l.rowHeight, PopupLayoutRules::kSmallestRowHeight);
    EXPECT_LE(l.columns * l.columnWidth, 800);
    EXPECT_GE(l.rows * l.columns, 276);
    // Degenerate input still lays out one row.
    l = layoutPopup(0, 0, std::nan(""), 0, 0);
    EXPECT_EQ(l.rows, 1);
    EXPECT_EQ(l.columns, 1);
}

TEST(PopupMenuModel, ShrunkRowsKeepEveryItemOnTheScreen) {
    std::vector<PopupMenuModel::Item> items;
    for (int i = 0; i < 276; ++i)
        items.push_back({"MrSpeakers Aeon Flow Closed (Minimum damping) " + std::to_string(i), 0});
    PopupMenuModel model(items, 275, 100, [](int) {});
    model.layout(1280, 1024);
    EXPECT_LT(model.rowHeight(), PopupMenuModel::kRowHeight);
    EXPECT_LE(model.columns() * model.columnWidth(), model.width());
    EXPECT_LE(model.width(), 1280);
    EXPECT_LE(model.height(), 1024);
    for (int i = 0; i < 276; ++i) {
        PixelRect r = model.itemRect(i);
        ASSERT_FALSE(r.empty()) << i;
        ASSERT_EQ(r.y1 - r.y0, model.rowHeight());
        ASSERT_EQ(model.itemAt((r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2), i);
    }
    EXPECT_FALSE(model.wheel(1)); // nothing to scroll to
}

TEST(PopupMenuModel, WideMenusScrollByColumns) {
    std::vector<PopupMenuModel::Item> items;
    for (int i = 0; i < 200; ++i)
        items.push_back({std::string(60, 'W'), 0});
    PopupMenuModel model(items, 0, 10, [](int) {});
    model.layout(1280, 1024); // fitted: more rows, smaller, then titles cut
    EXPECT_TRUE(model.titlesCut());
    EXPECT_LE(model.columns() * model.columnWidth(), 1280);
    model.layout(200, 300);   // narrower than the narrowest columns
    ASSERT_LE(model.width(), 200);
    ASSERT_GT(model.columns() * model.columnWidth(), 200);
    EXPECT_TRUE(model.itemRect(199).empty());
    while (model.wheel(1)) {
    }
    EXPECT_FALSE(model.itemRect(199).empty());
}

TEST(PopupMenuModel, ReleaseSelectsOnlyAfterAMoveOrTheDelay) {
    std::vector<PopupMenuModel::Item> items{{"a", 0}, {"b", 0}, {"-", 4}, {"c", 1}, {"d", 0}};
    int result = -2;
    PopupMenuModel model(items, 0, -1, [&](int r) { result = r; });
    model.layout(1280, 1024);
    PixelRect b = model.itemRect(1);
    model.mouseUp(b.x0 + 5, b.y0 + 5, 100); // the release of the opening press
    EXPECT_EQ(result, -2);
    PixelRect sep = model.itemRect(2), disabled = model.itemRect(3);
    model.mouseUp(sep.x0 + 5, sep.y0 + 5, 400);
    model.mouseUp(disabled.x0 + 5, disabled.y0 + 5, 400);
    EXPECT_EQ(result, -2);
    model.mouseUp(b.x0 + 5, b.y0 + 5, 400);
    EXPECT_EQ(result, 1);
    model.cancel(); // the callback runs once
    EXPECT_EQ(result, 1);
}

TEST(PopupMenuModel, KeyboardSkipsUnselectableItems) {
    std::vector<PopupMenuModel::Item> items{{"a", 0}, {"-", 4}, {"c", 1}, {"d", 0}};
    int result = -2;
    PopupMenuModel model(items, 0, -1, [&](int r) { result = r; });
    model.layout(1280, 1024);
    model.key(PopupMenuModel::KeyDown);
    EXPECT_EQ(model.hovered(), 3);
    model.key(PopupMenuModel::KeyReturn);
    EXPECT_EQ(result, 3);

    int other = -2;
    PopupMenuModel second(items, 0, -1, [&](int r) { other = r; });
    second.key(PopupMenuModel::KeyEscape);
    EXPECT_EQ(other, -1);
}

} // namespace
