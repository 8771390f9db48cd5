// Drawing checked by sampling pixels of computed regions; no stored images.
#include "testsupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#undef near // an old keyword, defined empty
#endif
#include <functional>
#include <limits>

using namespace VSTGUI;
using namespace testsupport;

namespace {

// Wine's GDI+ draws shapes without antialiasing; Windows' does not.
bool shapesAliasedByThePlatform() {
#ifdef _WIN32
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
#else
    return false;
#endif
}

constexpr double kPi = 3.141592653589793;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// A view whose drawing is given by a function.
struct LambdaView : CView {
    std::function<void(CDrawContext*, const CRect&)> body;
    LambdaView(const CRect& r, std::function<void(CDrawContext*, const CRect&)> b) : CView(r), body(std::move(b)) {}
    void draw(CDrawContext* ctx) override { body(ctx, size); }
};

// Off-screen frame at zoom 1 unless stated.
struct Canvas {
    CFrame* frame;
    explicit Canvas(CCoord w, CCoord h, CColor background = CColor(0, 0, 0), double zoom = 1.0)
        : frame(new CFrame(CRect(0, 0, w, h), nullptr, nullptr)) {
        frame->setBackgroundColor(background);
        frame->setZoom(zoom);
    }
    ~Canvas() { frame->forget(); }
    LambdaView* add(const CRect& r, std::function<void(CDrawContext*, const CRect&)> body) {
        auto* v = new LambdaView(r, std::move(body));
        frame->addView(v);
        return v;
    }
    CColor at(int x, int y) { return frame->pixelAt(x, y); }
};

TEST(Drawing, FilledAndStrokedRectanglesHaveExactColours) {
    Canvas c(100, 100);
    c.add(CRect(0, 0, 100, 100), [](CDrawContext* ctx, const CRect&) {
        ctx->setFillColor(CColor(12, 34, 56));
        ctx->drawRect(CRect(10, 10, 60, 60), kDrawFilled);
        ctx->setFrameColor(CColor(200, 150, 100));
        ctx->setLineWidth(2);
        ctx->drawRect(CRect(70, 70, 90, 90), kDrawStroked);
    });
    c.frame->renderAll();
    EXPECT_TRUE(near(c.at(12, 12), CColor(12, 34, 56), 0)) << str(c.at(12, 12));
    EXPECT_TRUE(near(c.at(57, 57), CColor(12, 34, 56), 0));
    EXPECT_TRUE(near(c.at(62, 30), CColor(0, 0, 0), 0));
    EXPECT_TRUE(near(c.at(70, 80), CColor(200, 150, 100), 0)) << str(c.at(70, 80));
    EXPECT_TRUE(near(c.at(80, 80), CColor(0, 0, 0), 0));
}

TEST(Drawing, LinearGradientRunsFromStartToEnd) {
    Canvas c(100, 200);
    c.add(CRect(0, 0, 100, 200), [](CDrawContext* ctx, const CRect& r) {
        CGraphicsPath* path = ctx->createGraphicsPath();
        path->addRect(r);
        CGradient* g = path->createGradient(0.0, 1.0, CColor(255, 255, 255, 0), CColor(255, 255, 255, 45));
        ctx->fillLinearGradient(path, *g, CPoint(0, 0), CPoint(0, 200));
        g->forget();
        path->forget();
    });
    c.frame->renderAll();
    // White at alpha a over black gives grey a.
    EXPECT_LE(c.at(50, 2).red, 3);
    EXPECT_NEAR(c.at(50, 197).red, 45, 3);
    EXPECT_NEAR(c.at(50, 100).red, 22, 3);
    EXPECT_LT(c.at(50, 50).red, c.at(50, 150).red);
}

TEST(Drawing, GradientStopsStaySorted) {
    CGradient* g = CGradient::create(0.0, 1.0, kBlackCColor, kWhiteCColor);
    g->addColorStop(0.5, CColor(1, 2, 3));
    g->addColorStop(0.25, CColor(4, 5, 6));
    const auto& stops = g->getColorStops();
    ASSERT_EQ(stops.size(), 4u);
    for (size_t i = 1; i < stops.size(); ++i)
        EXPECT_LE(stops[i - 1].first, stops[i].first);
    g->forget();
}

TEST(Drawing, TextInkSitsAboveTheBaselineAndAlignsInItsRectangle) {
    Canvas c(300, 200);
    c.add(CRect(0, 0, 300, 200), [](CDrawContext* ctx, const CRect&) {
        ctx->setFont(kNormalFontVeryBig);
        ctx->setFontColor(kWhiteCColor);
        ctx->drawString("HHHH", CPoint(20, 60));
        ctx->drawString("HH", CRect(0, 100, 300, 140), kRightText);
        ctx->drawString("HH", CRect(0, 150, 300, 190), kLeftText);
    });
    c.frame->renderAll();
    auto inkIn = [&](int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int x = x0; x < x1; ++x)
            for (int y = y0; y < y1; ++y)
                n += c.at(x, y).red > 128;
        return n;
    };
    EXPECT_GT(inkIn(15, 40, 120, 60), 50);  // above the baseline
    EXPECT_EQ(inkIn(0, 62, 300, 95), 0);    // nothing below it
    EXPECT_GT(inkIn(250, 100, 300, 140), 20); // right aligned
    EXPECT_EQ(inkIn(0, 100, 200, 140), 0);
    EXPECT_GT(inkIn(0, 150, 50, 190), 20); // left aligned
    EXPECT_EQ(inkIn(100, 150, 300, 190), 0);

    CDrawContext* dummy = nullptr;
    (void)dummy;
}

TEST(Drawing, StringWidthFollowsTheFontSizeAndMappedFamilies) {
    Canvas c(10, 10);
    c.add(CRect(0, 0, 10, 10), [](CDrawContext* context, const CRect&) {
        CDrawContext& ctx = *context;
        CFontDesc verdana("Verdana", 12), dejavu("DejaVu Sans", 12), big("Verdana", 24);
        ctx.setFont(&verdana);
        double w12 = ctx.getStringWidth("LOUDNESS");
        ctx.setFont(&dejavu);
        EXPECT_DOUBLE_EQ(ctx.getStringWidth("LOUDNESS"), w12);
        ctx.setFont(&big);
        EXPECT_NEAR(ctx.getStringWidth("LOUDNESS"), 2 * w12, 1e-6);
        ctx.setFont(&verdana, 24);
        EXPECT_NEAR(ctx.getStringWidth("LOUDNESS"), 2 * w12, 1e-6);
        CFontDesc black("Arial Black", 12);
        ctx.setFont(&black);
        EXPECT_GT(ctx.getStringWidth("LOUDNESS"), w12); // drawn bold
        EXPECT_GT(w12, 30);
        EXPECT_EQ(ctx.getStringWidth(""), 0);
        EXPECT_EQ(ctx.getStringWidth(nullptr), 0);
    });
    c.frame->renderAll();
    int32 style = 0;
    EXPECT_EQ(CFontDesc::mapFamily("Arial", style), "Liberation Sans");
    EXPECT_EQ(CFontDesc::mapFamily("Arial Black", style), "DejaVu Sans");
    EXPECT_EQ(style, kBoldFace);
}

// The toothed knob body: arcs with decreasing angles, turned by p = v*300-150 degrees.
void drawKnobBody(CDrawContext* ctx, const CRect& r, float value) {
    CPoint c = r.getCenter();
    double rad = r.getWidth() / 2;
    auto circle = [&](double k) { return CRect(c.x - k * rad, c.y - k * rad, c.x + k * rad, c.y + k * rad); };
    CGraphicsPath* body = ctx->createGraphicsPath();
    body->addArc(circle(0.7), 275, 265, false);
    const double teeth[][3] = {{0.5, 258, 210}, {0.46, 208, 188}, {0.5, 186, 138}, {0.46, 136, 116}, {0.5, 114, 66},
                               {0.46, 64, 44},  {0.5, 42, -6},    {0.46, -8, -28},  {0.5, -30, -78}};
    for (const auto& t : teeth)
        body->addArc(circle(t[0]), t[1], t[2], false);
    body->closeSubpath();
    double p = value * 300.0 - 150.0;
    CGraphicsTransform rot;
    rot.translate(-c.x, -c.y).rotate(p).translate(c.x, c.y);
    ctx->setDrawMode(kAntiAliasing);
    ctx->setFillColor(CColor(52, 52, 52, 255));
    ctx->drawGraphicsPath(body, CDrawContext::kPathFilled, &rot);
    body->forget();
}

TEST(Drawing, KnobBodyArcDirectionAndRotationSign) {
    for (float value : {0.0f, 0.5f, 1.0f}) {
        Canvas c(200, 200, kWhiteCColor);
        c.add(CRect(0, 0, 200, 200), [value](CDrawContext* ctx, const CRect& r) { drawKnobBody(ctx, r, value); });
        c.frame->renderAll();
        double notch = 270.0 + value * 300.0 - 150.0;
        auto sample = [&](double deg) {
            double a = deg * kPi / 180.0;
            return c.at(int(std::floor(100 + 60 * std::cos(a))), int(std::floor(100 + 60 * std::sin(a))));
        };
        EXPECT_TRUE(near(sample(notch), CColor(52, 52, 52))) << value << " " << str(sample(notch));
        EXPECT_TRUE(near(sample(notch + 90), kWhiteCColor)) << value;
        EXPECT_TRUE(near(sample(notch - 90), kWhiteCColor)) << value;
        EXPECT_TRUE(near(c.at(100, 100), CColor(52, 52, 52))); // the centre is body
    }
}

TEST(Drawing, TransformMovesGeometryButNotLineWidth) {
    Canvas c(200, 200);
    c.add(CRect(0, 0, 200, 200), [](CDrawContext* ctx, const CRect&) {
        CGraphicsPath* path = ctx->createGraphicsPath();
        path->beginSubpath(CPoint(10, 10));
        path->addLine(CPoint(10, 40));
        CGraphicsTransform t;
        t.scale(4, 4); // x 10 -> 40, y 10..40 -> 40..160
        ctx->setFrameColor(kWhiteCColor);
        ctx->setLineWidth(2);
        ctx->drawGraphicsPath(path, CDrawContext::kPathStroked, &t);
        path->forget();
    });
    c.frame->renderAll();
    EXPECT_GT(c.at(40, 100).red, 200);
    EXPECT_LT(c.at(43, 100).red, 10); // a 2-wide line, not 8
    EXPECT_LT(c.at(10, 20).red, 10);

    CGraphicsTransform rot;
    rot.rotate(90);
    CPoint p(1, 0);
    rot.transform(p);
    EXPECT_NEAR(p.x, 0, 1e-12);
    EXPECT_NEAR(p.y, 1, 1e-12); // clockwise on screen: +x turns to +y (down)
}

TEST(Drawing, EachViewIsClippedToItsRectangle) {
    Canvas c(880, 640, CColor(52, 52, 52), 1.0);
    // A waterfall-like view drawing far to the right and a scope drawing far above.
    c.add(CRect(200, 300, 400, 400), [](CDrawContext* ctx, const CRect&) {
        ctx->setFillColor(CColor(255, 0, 0));
        ctx->drawRect(CRect(150, 250, 700, 450), kDrawFilled);
    });
    c.add(CRect(600, 500, 650, 600), [](CDrawContext* ctx, const CRect& r) {
        ctx->setFillColor(CColor(0, 255, 0));
        ctx->drawRect(CRect(r.left, r.bottom - 5 * r.getHeight(), r.right, r.bottom), kDrawFilled);
    });
    c.frame->renderAll();
    EXPECT_TRUE(near(c.at(300, 350), CColor(255, 0, 0), 0));
    EXPECT_TRUE(near(c.at(402, 350), CColor(52, 52, 52), 0));
    EXPECT_TRUE(near(c.at(300, 297), CColor(52, 52, 52), 0));
    EXPECT_TRUE(near(c.at(620, 550), CColor(0, 255, 0), 0));
    EXPECT_TRUE(near(c.at(620, 497), CColor(52, 52, 52), 0));
    EXPECT_TRUE(near(c.at(620, 300), CColor(52, 52, 52), 0));
}

TEST(Drawing, ClipRectNarrowsAndRestoreWidens) {
    Canvas c(100, 100);
    c.add(CRect(0, 0, 100, 100), [](CDrawContext* ctx, const CRect& r) {
        ctx->saveGlobalState();
        ctx->setClipRect(CRect(0, 0, 50, 50));
        CRect clip;
        EXPECT_EQ(ctx->getClipRect(clip), CRect(0, 0, 50, 50));
        ctx->setFillColor(CColor(255, 0, 0));
        ctx->drawRect(r, kDrawFilled);
        ctx->restoreGlobalState();
        ctx->setFillColor(CColor(0, 0, 255));
        ctx->drawRect(CRect(60, 60, 100, 100), kDrawFilled);
        ctx->setClipRect(CRect(-100, -100, 500, 500)); // never beyond the view
        EXPECT_EQ(ctx->getClipRect(clip), r);
    });
    c.frame->renderAll();
    EXPECT_TRUE(near(c.at(25, 25), CColor(255, 0, 0), 0));
    EXPECT_TRUE(near(c.at(75, 25), CColor(0, 0, 0), 0));
    EXPECT_TRUE(near(c.at(80, 80), CColor(0, 0, 255), 0));
}

TEST(Drawing, NonFiniteDrawingIsSkippedAndLaterViewsStillDraw) {
    Canvas c(200, 100);
    bool deviceOk = false;
    c.add(CRect(0, 0, 100, 100), [&deviceOk](CDrawContext* ctx, const CRect&) {
        ctx->setFrameColor(kWhiteCColor);
        ctx->setFillColor(kWhiteCColor);
        ctx->setLineWidth(kNaN);
        ctx->drawLine(CPoint(0, 0), CPoint(kNaN, 50));
        ctx->moveTo(CPoint(kNaN, 1));
        ctx->lineTo(CPoint(30, 30));
        ctx->drawRect(CRect(0, 0, kNaN, 10), kDrawFilled);
        ctx->drawEllipse(CRect(0, 0, 10, INFINITY), kDrawFilled);
        ctx->drawArc(CRect(0, 0, 10, 10), float(kNaN), 90);
        ctx->drawPolygon({CPoint(0, 0), CPoint(kNaN, 5), CPoint(5, 5)}, kDrawFilled);
        ctx->drawString("x", CPoint(kNaN, 20));
        ctx->setFont(kNormalFont, kNaN); // keeps the font's own size
        ctx->drawString("y", CPoint(20, kNaN));
        CGraphicsPath* path = ctx->createGraphicsPath();
        path->addEllipse(CRect(10, 10, 50, 50));
        CGraphicsTransform bad(kNaN, 0, 0, 1, 0, 0);
        ctx->drawGraphicsPath(path, CDrawContext::kPathFilled, &bad);
        CGradient* g = CGradient::create(0, 1, kBlackCColor, kWhiteCColor);
        ctx->fillLinearGradient(path, *g, CPoint(0, kNaN), CPoint(0, 10));
        path->addLine(CPoint(kNaN, 3));
        ctx->drawGraphicsPath(path, CDrawContext::kPathStroked);
        g->forget();
        path->forget();
        ctx->setClipRect(CRect(kNaN, 0, 10, 10));
        deviceOk = ctx->deviceOk();
    });
    c.add(CRect(kNaN, 0, 100, 100), [](CDrawContext* ctx, const CRect& r) {
        ctx->setFillColor(kWhiteCColor);
        ctx->drawRect(r, kDrawFilled);
    });
    c.add(CRect(100, 0, 200, 100), [](CDrawContext* ctx, const CRect& r) {
        ctx->setFillColor(CColor(0, 200, 0));
        ctx->drawRect(r, kDrawFilled);
    });
    c.frame->renderAll();
    EXPECT_TRUE(deviceOk);
    for (int x = 0; x < 100; x += 7)
        for (int y = 0; y < 100; y += 7)
            ASSERT_TRUE(near(c.at(x, y), CColor(0, 0, 0), 0)) << x << "," << y;
    EXPECT_TRUE(near(c.at(150, 50), CColor(0, 200, 0), 0));
}

TEST(Drawing, AliasedShapesHaveHardEdgesAndAntialiasedOnesBlend) {
    Canvas c(100, 100);
    c.add(CRect(0, 0, 100, 100), [](CDrawContext* ctx, const CRect&) {
        ctx->setFillColor(kWhiteCColor);
        ctx->drawRect(CRect(10.5, 10, 40, 40), kDrawFilled);
        ctx->setDrawMode(kAntiAliasing);
        ctx->drawRect(CRect(50.5, 10, 80, 40), kDrawFilled);
    });
    c.frame->renderAll();
    int hard = c.at(10, 20).red;
    EXPECT_TRUE(hard == 0 || hard == 255) << hard;
    if (!shapesAliasedByThePlatform()) {
        EXPECT_NEAR(c.at(50, 20).red, 128, 3);
    }
}

TEST(Drawing, WritesAPngOfTheFrameSize) {
    Canvas c(1100, 800, CColor(52, 52, 52), double(0.8f));
    c.add(CRect(100, 100, 300, 300), [](CDrawContext* ctx, const CRect& r) {
        ctx->setFillColor(CColor(0, 162, 232));
        ctx->drawEllipse(r, kDrawFilled);
    });
    std::string path = ::testing::TempDir() + "vstgui_frame_" + std::to_string(getpid()) + ".png";
    ASSERT_TRUE(c.frame->writePNG(path.c_str()));
    // The signature, then the header chunk with the big-endian size.
    unsigned char head[24] = {};
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fread(head, 1, sizeof head, f), sizeof head);
    std::fclose(f);
    auto be32 = [&head](int at) { return (head[at] << 24) | (head[at + 1] << 16) | (head[at + 2] << 8) | head[at + 3]; };
    EXPECT_EQ(std::memcmp(head, "\x89PNG\r\n\x1a\n", 8), 0);
    EXPECT_EQ(std::memcmp(head + 12, "IHDR", 4), 0);
    EXPECT_EQ(be32(16), 880);
    EXPECT_EQ(be32(20), 640);
    std::remove(path.c_str());
    EXPECT_FALSE(c.frame->writePNG("/nonexistent-dir/x.png"));
}

} // namespace
