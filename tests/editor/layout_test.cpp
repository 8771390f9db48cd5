// The window: size, frame, every tagged control at its place, the initial
// values taken from the processor, tooltips, and opening without a display.
#include "EditorTestSupport.h"

#include "popupmenu.h"

#include <cmath>
#include <cstring>

using namespace VSTGUI;
class EditorLayout : public edtest::EditorTest
{
};

namespace {

const double W = 880.0 / double(0.8f);
const double H = 640.0 / double(0.8f);
const double T = W / 3;
const double cx = W / 2;

struct Expected
{
    int tag;
    CRect rect;
};

const Expected layout[] = {
    {40, CRect(0, 0, 340, 38)},
    {43, CRect(W - 340, 0, W, 38)},
    {47, CRect(W - 270, 10, W - 230, 30)},
    {48, CRect(W - 225, 10, W - 175, 30)},
    {15, CRect(0, 50, W, 110)},
    {16, CRect(0, 115, 60, 235)},
    {17, CRect(T, 115, T + 60, 235)},
    {18, CRect(2 * T, 115, 2 * T + 60, 235)},
    {19, CRect(60, 115, T, 155)},
    {20, CRect(60, 155, T, 195)},
    {21, CRect(60, 195, T, 235)},
    {22, CRect(T + 60, 115, 2 * T, 155)},
    {23, CRect(T + 60, 155, 2 * T, 195)},
    {25, CRect(2 * T + 60, 115, W, 155)},
    {26, CRect(2 * T + 60, 155, W, 195)},
    {27, CRect(2 * T + 60, 195, W, 235)},
    {8, CRect(0, 240, W, H)},
    {0, CRect(cx - 200, 3, cx + 200, 36)},
    {1, CRect(W - 120, 3, W - 40, 36)},
    {2, CRect(cx - 200, H - 36, cx + 200, H - 3)},
    {41, CRect(W - 360, H - 225, W, H)},
    {42, CRect(0, H - 225, 360, H)},
    {6, CRect(70, H - 220, 270, H - 20)},
    {7, CRect(W - 270, H - 220, W - 70, H - 20)},
    {44, CRect(20, H - 200, 68, H - 20)},
    {45, CRect(W - 68, H - 200, W - 20, H - 20)},
    {46, CRect(cx - 200, H - 180, cx + 200, H - 50)},
};

bool near(const CRect& a, const CRect& b)
{
    return std::fabs(a.left - b.left) < 1e-6 && std::fabs(a.top - b.top) < 1e-6 &&
           std::fabs(a.right - b.right) < 1e-6 && std::fabs(a.bottom - b.bottom) < 1e-6;
}

std::string tooltip(CView* v)
{
    uint32_t size = 0;
    if (!v->getAttributeSize(kCViewTooltipAttribute, size) || size == 0)
        return {};
    std::vector<char> text(size);
    uint32_t got = 0;
    v->getAttribute(kCViewTooltipAttribute, size, text.data(), got);
    EXPECT_EQ(text[size - 1], '\0');
    return std::string(text.data());
}

std::vector<std::string> labelTexts(CFrame* frame)
{
    std::vector<std::string> texts;
    for (int32 i = 0; i < frame->getNbViews(); ++i)
        if (auto* l = dynamic_cast<CTextLabel*>(frame->getView(i)))
            if (!dynamic_cast<COptionMenu*>(l))
                texts.push_back(l->getText());
    return texts;
}

} // namespace

TEST_F(EditorLayout, HostSizeAndFrameZoom)
{
    ERect* r = nullptr;
    ASSERT_TRUE(editor->getRect(&r));
    EXPECT_EQ(r->right - r->left, 880);
    EXPECT_EQ(r->bottom - r->top, 640);
    openWindow();
    ASSERT_TRUE(editor->getRect(&r));
    EXPECT_EQ(r->right - r->left, 880);
    EXPECT_EQ(r->bottom - r->top, 640);
    CFrame* frame = editor->getFrame();
    EXPECT_NEAR(frame->getViewSize().getWidth(), 1100.0, 1e-4);
    EXPECT_NEAR(frame->getViewSize().getHeight(), 800.0, 1e-4);
    EXPECT_NEAR(frame->getZoom(), 0.8, 1e-6);
    EXPECT_EQ(frame->pixelWidth(), 880);
    EXPECT_EQ(frame->pixelHeight(), 640);
    EXPECT_EQ(frame->getBackgroundColor(), kThemeBackgroundCColor);
}

TEST_F(EditorLayout, EveryTagAtItsRectangleInCreationOrder)
{
    openWindow();
    CFrame* frame = editor->getFrame();
    // 32 views: 27 tagged controls and 5 labels.
    EXPECT_EQ(frame->getNbViews(), 32);
    int previous = -1;
    for (const Expected& e : layout)
    {
        CControl* c = editor->findControl(e.tag);
        ASSERT_NE(c, nullptr) << "tag " << e.tag;
        EXPECT_TRUE(near(c->getViewSize(), e.rect)) << "tag " << e.tag;
        EXPECT_EQ(c->getListener(), editor) << "tag " << e.tag;
        int position = -1;
        for (int32 i = 0; i < frame->getNbViews(); ++i)
            if (frame->getView(i) == c)
                position = i;
        EXPECT_GT(position, previous) << "tag " << e.tag << " out of creation order";
        previous = position;
    }
    EXPECT_NE(dynamic_cast<VezuRezo_SwirlingRoom*>(editor->findControl(8)), nullptr);
    EXPECT_NE(dynamic_cast<VezuRezo_VectorKnobA*>(editor->findControl(6)), nullptr);
    EXPECT_NE(dynamic_cast<CMyHorizontalTab*>(editor->findControl(15)), nullptr);
    EXPECT_NE(dynamic_cast<CMyVerticalSwitch*>(editor->findControl(17)), nullptr);
    EXPECT_NE(dynamic_cast<VezuRezo_PeakScope*>(editor->findControl(45)), nullptr);
    EXPECT_NE(dynamic_cast<VezuRezo_Waterfall*>(editor->findControl(46)), nullptr);
    EXPECT_NE(dynamic_cast<VezuRezo_StaticVectorImage*>(editor->findControl(42)), nullptr);
    // Parameters 5 and 24 have no control.
    EXPECT_EQ(editor->findControl(5), nullptr);
    EXPECT_EQ(editor->findControl(24), nullptr);

    const auto labels = labelTexts(frame);
    for (const char* text : {"Quillatone", "harloxaudio", "My Headphones"})
        EXPECT_NE(std::find(labels.begin(), labels.end(), text), labels.end()) << text;
}

TEST_F(EditorLayout, MenusCarryTheirTables)
{
    openWindow();
    auto* headphones = controlAs<COptionMenu>(0);
    ASSERT_NE(headphones, nullptr);
    EXPECT_EQ(headphones->getNbEntries(), 276);
    EXPECT_EQ(headphones->getNbItemsPerColumn(), 100);
    EXPECT_STREQ(headphones->getEntry(0)->getTitle(), "1MORE MK801");
    EXPECT_EQ(controlAs<COptionMenu>(22)->getNbEntries(), 276);
    EXPECT_EQ(controlAs<COptionMenu>(22)->getNbItemsPerColumn(), -1);
    EXPECT_EQ(controlAs<COptionMenu>(1)->getNbEntries(), 12);
    EXPECT_STREQ(controlAs<COptionMenu>(1)->getEntry(11)->getTitle(), "12 individual 21");
    EXPECT_EQ(controlAs<COptionMenu>(2)->getNbEntries(), 7);
    EXPECT_STREQ(controlAs<COptionMenu>(2)->getEntry(6)->getTitle(), "Anechoic chamber");
    EXPECT_EQ(controlAs<COptionMenu>(21)->getNbEntries(), 6);
    EXPECT_STREQ(controlAs<COptionMenu>(21)->getEntry(5)->getTitle(), "Ideal");
    EXPECT_EQ(controlAs<COptionMenu>(25)->getNbEntries(), 4);
    for (int tag : {19, 20, 26, 27})
        EXPECT_EQ(controlAs<COptionMenu>(tag)->getNbEntries(), 1) << tag;
    EXPECT_STREQ(controlAs<COptionMenu>(27)->getEntry(0)->getTitle(), "Adam PA33 Buddy Sound");

    auto* tab = controlAs<CMyHorizontalTab>(15);
    EXPECT_STREQ(tab->labels[0], "MIX");
    EXPECT_STREQ(tab->labels[1], "HEADPHONES");
    EXPECT_STREQ(tab->labels[2], "PLACES");
    EXPECT_STREQ(tab->title, "MODE");
    EXPECT_EQ(tab->getNumSubPixmaps(), 3);
    auto* loudness = editor->getLoudnessKnob();
    EXPECT_STREQ(loudness->title, "LOUDNESS");
    EXPECT_STREQ(loudness->scaleLabels[0], "-25");
    EXPECT_STREQ(loudness->scaleLabels[10], "25");
    EXPECT_STREQ(editor->getVolumeKnob()->title, "VOLUME");
    EXPECT_STREQ(editor->getVolumeKnob()->scaleLabels[0], "-15");
}

// On the 1280 x 1024 screen the off-screen frame reports, every item of every
// menu lies on the screen and a click at its centre picks it.
TEST_F(EditorLayout, EveryMenuItemCanBeSeenAndClicked)
{
    openWindow();
    CFrame* frame = editor->getFrame();
    for (int tag : {0, 1, 2, 19, 20, 21, 22, 23, 25, 26, 27})
    {
        const CRect r = control(tag)->getViewSize();
        frame->platformMouseDown((r.left + r.right) / 2 * 0.8, (r.top + r.bottom) / 2 * 0.8, kLButton);
        PopupMenuModel* popup = frame->getOpenPopup();
        ASSERT_NE(popup, nullptr) << tag;
        EXPECT_LE(popup->width(), 1280) << tag;
        EXPECT_LE(popup->height(), 1024) << tag;
        EXPECT_LE(popup->columns() * popup->columnWidth(), popup->width()) << tag << ": a column off the screen";
        EXPECT_FALSE(popup->titlesCut()) << tag;
        for (int i = 0; i < popup->size(); ++i)
        {
            const PixelRect item = popup->itemRect(i);
            ASSERT_FALSE(item.empty()) << tag << " item " << i;
            ASSERT_EQ(popup->itemAt((item.x0 + item.x1) / 2, (item.y0 + item.y1) / 2), i) << tag;
        }
        popup->cancel();
        frame->idle();
    }
}

TEST_F(EditorLayout, InitialValuesComeFromTheProcessor)
{
    hostSets(0, 199 * 0.001f);
    hostSets(1, 0.11f);
    hostSets(2, 0.03f);
    hostSets(15, 0.5f);
    hostSets(17, 0.5f);
    hostSets(32, 0.7f);
    hostSets(37, 0.1f);
    hostSets(3, 0.75f);
    hostSets(12, 0.25f);
    openWindow();
    EXPECT_EQ(controlAs<COptionMenu>(0)->getCurrentIndex(), 199);
    EXPECT_EQ(controlAs<COptionMenu>(1)->getCurrentIndex(), 11);
    EXPECT_EQ(controlAs<COptionMenu>(2)->getCurrentIndex(), 3);
    EXPECT_FLOAT_EQ(control(15)->getValue(), 0.5f);
    EXPECT_FLOAT_EQ(control(17)->getValue(), 0.5f);
    // HEADPHONES variant B: the VOLUME knob shows parameter 32.
    EXPECT_FLOAT_EQ(editor->getVolumeKnob()->getValue(), 0.7f);

    VezuRezo_SwirlingRoom* room = editor->getRoomView();
    EXPECT_EQ(room->curveMode, 1);
    EXPECT_EQ(room->roomOnly, 1);
    EXPECT_EQ(room->selector, 1);
    EXPECT_FLOAT_EQ(room->azimuth, 3.0f * 0.75f - 1.5f);
    EXPECT_FLOAT_EQ(room->dragX, room->azimuth / 0.07853982f);
    EXPECT_EQ(room->targetCurve, processor->getTargetCurve());
    EXPECT_EQ(room->targetCurveCount, 8192);
    EXPECT_FLOAT_EQ(room->handleValue[3], 0.25f);
    EXPECT_NEAR(room->levelPx[1], 0.25 * room->levelScale, 1e-9);
    EXPECT_NEAR(room->handleY[1], room->zeroY - room->levelPx[1], 1e-9);
}

TEST_F(EditorLayout, OpeningModeRoundsWhileUpdatesTruncate)
{
    hostSets(15, 0.49f);
    hostSets(37, 0.09f);
    openWindow();
    EXPECT_EQ(editor->getRoomView()->curveMode, 1);  // int(0.98 + 0.49)
    EXPECT_EQ(editor->getRoomView()->selector, 0);
    hostSets(15, 0.49f);
    EXPECT_EQ(editor->getRoomView()->curveMode, 0);  // int(0.98)
    EXPECT_EQ(editor->getRoomView()->roomOnly, 0);
}

TEST_F(EditorLayout, Tooltips)
{
    openWindow();
    EXPECT_EQ(tooltip(control(1)), "Your personal hearing map with direction. Choose one and stick with that.");
    EXPECT_EQ(tooltip(control(6)), "Affects the loudness contour. Set to center for neutral. This acts on-release.");
    EXPECT_EQ(tooltip(control(8)), "In room mode, Ctrl-click for default orientation.");
    EXPECT_EQ(tooltip(control(7)), "");
}

TEST_F(EditorLayout, ReopeningBuildsTheSameWindowAndCloseTwiceIsHarmless)
{
    editor->close();
    openWindow();
    editor->close();
    editor->close();
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_EQ(editor->findControl(0), nullptr);
    // A parameter change while closed does nothing.
    hostSets(0, 0.05f);
    openWindow();
    EXPECT_EQ(controlAs<COptionMenu>(0)->getCurrentIndex(), 50);
    // Opening again while open replaces the frame.
    openWindow();
    EXPECT_EQ(editor->getFrame()->getNbViews(), 32);
}

TEST_F(EditorLayout, OpeningWithoutAUsableWindowFailsCleanly)
{
    // An invalid parent, and no display at all: open answers false.
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    setenv("DISPLAY", ":97", 1);
    EXPECT_FALSE(editor->open(reinterpret_cast<void*>(uintptr_t(0x1234))));
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_FALSE(editor->isOpen());
    hostSets(0, 0.1f);  // still safe
    editor->idle();
    if (display)
        setenv("DISPLAY", saved.c_str(), 1);
    else
        unsetenv("DISPLAY");
    // The editor is still usable afterwards.
    openWindow();
    EXPECT_EQ(controlAs<COptionMenu>(0)->getCurrentIndex(), 100);
}

TEST_F(EditorLayout, InsaneParameterValuesSelectNothing)
{
    hostSets(0, std::nanf(""));
    hostSets(2, 3.0e30f);
    hostSets(15, std::nanf(""));
    openWindow();
    EXPECT_EQ(controlAs<COptionMenu>(0)->getCurrentIndex(), 0);
    EXPECT_EQ(controlAs<COptionMenu>(2)->getCurrentIndex(), 0);
    hostSets(2, -7.0f);
    hostSets(0, 1.0e20f);
    EXPECT_EQ(controlAs<COptionMenu>(2)->getCurrentIndex(), 0);
    // A VOLUME change with no valid mode goes nowhere.
    const float before = processor->getParameter(28);
    choose(7, 0.9f);
    EXPECT_EQ(processor->getParameter(28), before);
}

TEST_F(EditorLayout, ThemeFontsOutliveTheWindow)
{
    const int32 before = kThemeMenuFont->getNbReference();
    openWindow();
    EXPECT_GT(kThemeMenuFont->getNbReference(), before);  // the menus hold their own references
    editor->close();
    openWindow();
    editor->close();
    EXPECT_EQ(kThemeMenuFont->getNbReference(), before);
    EXPECT_GE(before, 1);
    EXPECT_STREQ(kThemeTitleFont->getName(), "Verdana");
    EXPECT_EQ(kThemeTitleFont->getSize(), 28);
    EXPECT_EQ(kThemeSmallFont->getSize(), 11);
}
