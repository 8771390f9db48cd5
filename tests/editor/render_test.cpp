// The whole window rendered off-screen and checked by sampling pixels; the
// picture is written to the data root (and, when asked, to a chosen path).
#include "EditorTestSupport.h"

#include <cstdlib>
#include <cstring>

using namespace VSTGUI;
using edtest::clockNow;

namespace {

bool isBlue(const CColor& c) { return c.blue > 150 && c.red < 80; }
bool isAmber(const CColor& c) { return c.red > 200 && c.green > 140 && c.blue < 80; }
bool near(const CColor& c, const CColor& e, int tolerance = 3)
{
    return std::abs(c.red - e.red) <= tolerance && std::abs(c.green - e.green) <= tolerance &&
           std::abs(c.blue - e.blue) <= tolerance;
}

// Pixels in a pixel rectangle that satisfy a test.
template <class Test>
int count(CFrame* frame, int left, int top, int right, int bottom, Test test)
{
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            n += test(frame->pixelAt(x, y)) ? 1 : 0;
    return n;
}

std::vector<unsigned char> pixels(CFrame* frame)
{
    DrawSurface* s = frame->getBackBuffer();
    const unsigned char* data = s->data();
    const size_t size = size_t(s->stride()) * size_t(s->height());
    return std::vector<unsigned char>(data, data + size);
}

} // namespace

class EditorRender : public edtest::EditorTest
{
};

TEST_F(EditorRender, WholeWindow)
{
    hostSets(15, 0.0f);
    openWindow();
    CFrame* frame = editor->getFrame();
    frame->renderAll();
    ASSERT_EQ(frame->pixelWidth(), 880);
    ASSERT_EQ(frame->pixelHeight(), 640);

    EXPECT_TRUE(frame->writePNG((folder.base + "/editor.png").c_str()));
    if (const char* demo = std::getenv("QUILLATONE_EDITOR_DEMO_PNG"))
    {
        EXPECT_TRUE(frame->writePNG(demo));
    }

    // Bare background between the title bar and the tab.
    EXPECT_TRUE(near(frame->pixelAt(440, 35), kThemeBackgroundCColor));
    EXPECT_TRUE(near(frame->pixelAt(20, 35), kThemeBackgroundCColor));
    // The amber product name, the blue worn-headphone menu text.
    EXPECT_GT(count(frame, 77, 2, 286, 28, isAmber), 30);
    EXPECT_GT(count(frame, 290, 4, 590, 28, isBlue), 30);
    // The studio menu's blue text at the bottom.
    EXPECT_GT(count(frame, 290, 613, 590, 637, isBlue), 30);
    // MIX selected: blue only in the first third of the tab.
    EXPECT_GT(count(frame, 2, 42, 291, 86, isBlue), 20);
    EXPECT_EQ(count(frame, 295, 42, 584, 86, isBlue), 0);
    EXPECT_EQ(count(frame, 588, 42, 878, 86, isBlue), 0);
}

TEST_F(EditorRender, TabFollowsTheModeAndScopesFollowThePeaks)
{
    openWindow();
    CFrame* frame = editor->getFrame();
    hostSets(15, 0.5f);
    frame->renderAll();
    EXPECT_EQ(count(frame, 2, 42, 291, 86, isBlue), 0);
    EXPECT_GT(count(frame, 295, 42, 584, 86, isBlue), 20);

    // Input scope, left bar: design x 26..38, full scale from y 606 to 774.
    const CColor meter = kThemeMeterCColor;
    *processor->getInputPeakLeft() = 1.0f;
    clockNow() = 5000;
    editor->idle();
    frame->renderAll();
    EXPECT_TRUE(near(frame->pixelAt(25, 490), meter));
    EXPECT_TRUE(near(frame->pixelAt(25, 610), meter));
    *processor->getInputPeakLeft() = 0.0f;
    clockNow() = 6000;
    editor->idle();
    frame->renderAll();
    EXPECT_FALSE(near(frame->pixelAt(25, 490), meter));
}

TEST_F(EditorRender, ReopeningDrawsTheSamePicture)
{
    openWindow();
    editor->getFrame()->renderAll();
    const auto first = pixels(editor->getFrame());
    editor->close();
    openWindow();
    editor->getFrame()->renderAll();
    EXPECT_TRUE(first == pixels(editor->getFrame()));
}
