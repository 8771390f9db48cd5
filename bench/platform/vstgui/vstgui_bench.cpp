// Toolkit drawing costs on an editor-sized frame (880 x 640 pixels at zoom 0.8).
#include "controls.h"
#include "popupmenu.h"
#include "view.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

using namespace VSTGUI;

namespace {

struct NoListener : IControlListener {
    void valueChanged(CControl*) override {}
} noListener;

// A knob body of arcs under a rotation, as the editor's vector knobs draw it.
struct ArcKnob : CKnob {
    ArcKnob(const CRect& r) : CKnob(r, &noListener, 6, nullptr, nullptr) {}
    void draw(CDrawContext* ctx) override {
        CPoint c = size.getCenter();
        double r = size.getWidth() / 2;
        CGraphicsPath* body = ctx->createGraphicsPath();
        for (int i = 0; i < 10; ++i) {
            double k = i % 2 ? 0.46 : 0.5;
            body->addArc(CRect(c.x - k * r, c.y - k * r, c.x + k * r, c.y + k * r), 258 - 36 * i, 230 - 36 * i,
                         false);
        }
        body->closeSubpath();
        CGraphicsTransform t;
        t.translate(-c.x, -c.y).rotate(value * 300 - 150).translate(c.x, c.y);
        ctx->setDrawMode(kAntiAliasing);
        ctx->setFillColor(CColor(52, 52, 52));
        ctx->drawGraphicsPath(body, CDrawContext::kPathFilled, &t);
        ctx->setLineWidth(3);
        ctx->setFrameColor(CColor(215, 215, 208, 200));
        ctx->drawGraphicsPath(body, CDrawContext::kPathStroked, &t);
        body->forget();
        setDirty(false);
    }
};

// Ten rows of 128 points, like the waterfall.
struct Rows : CView {
    using CView::CView;
    void draw(CDrawContext* ctx) override {
        double dx = size.getWidth() / 127, dy = size.getHeight() / 13;
        ctx->setLineWidth(2);
        ctx->setFrameColor(CColor(100, 100, 100));
        for (int k = 0; k < 10; ++k) {
            double x0 = size.left + (1 + k) * dx, y = size.top + (4 + k) * dy;
            ctx->moveTo(CPoint(x0, y));
            for (int j = 0; j < 128; ++j)
                ctx->lineTo(CPoint(x0 + j * dx, y - 3 * dy * 0.5 * (1 + std::sin(j * 0.2 + k))));
            ctx->lineTo(CPoint(x0 + 127 * dx, y));
            ctx->lineTo(CPoint(x0, y));
        }
    }
};

// Two bars, like a peak scope.
struct Bars : CView {
    float level = 0.3f;
    using CView::CView;
    void draw(CDrawContext* ctx) override {
        ctx->setFillColor(CColor(100, 100, 100));
        double q = size.getWidth() / 4, h = size.getHeight() - q, y0 = size.bottom - q / 2;
        ctx->drawRect(CRect(size.left + q / 2, y0 - level * h, size.left + 1.5 * q, y0), kDrawFilled);
        ctx->drawRect(CRect(size.right - 1.5 * q, y0 - level * h, size.right - q / 2, y0), kDrawFilled);
    }
};

struct EditorLikeFrame {
    CFrame* frame;
    Bars* scopes[2];
    EditorLikeFrame() {
        double zoom = double(0.8f), W = 880 / zoom, H = 640 / zoom;
        frame = new CFrame(CRect(0, 0, W, H), nullptr, nullptr);
        frame->setBackgroundColor(CColor(52, 52, 52));
        frame->setZoom(zoom);
        for (int i = 0; i < 12; ++i) {
            auto* menu = new COptionMenu(CRect(60 + (i % 3) * W / 3, 115 + (i / 3) * 40, (i % 3 + 1) * W / 3,
                                               155 + (i / 3) * 40),
                                         &noListener, i);
            menu->addEntry(("Menu entry " + std::to_string(i)).c_str());
            menu->setFont(kNormalFontVeryBig);
            menu->setBackColor(kTransparentCColor);
            frame->addView(menu);
        }
        frame->addView(new ArcKnob(CRect(70, H - 220, 270, H - 20)));
        frame->addView(new ArcKnob(CRect(W - 270, H - 220, W - 70, H - 20)));
        frame->addView(new Rows(CRect(W / 2 - 200, H - 180, W / 2 + 200, H - 50)));
        scopes[0] = new Bars(CRect(20, H - 200, 68, H - 20));
        scopes[1] = new Bars(CRect(W - 68, H - 200, W - 20, H - 20));
        frame->addView(scopes[0]);
        frame->addView(scopes[1]);
    }
    ~EditorLikeFrame() { frame->forget(); }
};

void FullRepaint(benchmark::State& state) {
    EditorLikeFrame f;
    for (auto _ : state)
        f.frame->renderAll();
}
BENCHMARK(FullRepaint)->Unit(benchmark::kMillisecond);

void MeterRepaint(benchmark::State& state) {
    EditorLikeFrame f;
    f.frame->renderAll();
    float level = 0;
    for (auto _ : state) {
        level = level > 1 ? 0 : level + 0.01f;
        for (Bars* b : f.scopes) {
            b->level = level;
            b->setDirty(true);
        }
        f.frame->paintDirty();
    }
}
BENCHMARK(MeterRepaint)->Unit(benchmark::kMicrosecond);

void PopupLayout276(benchmark::State& state) {
    std::vector<PopupMenuModel::Item> items;
    for (int i = 0; i < 276; ++i)
        items.push_back({"Headphone model " + std::to_string(i), 0});
    for (auto _ : state) {
        PopupMenuModel model(items, 199, 100, [](int) {});
        model.layout(1280, 1024);
        benchmark::DoNotOptimize(model.columns());
    }
}
BENCHMARK(PopupLayout276)->Unit(benchmark::kMicrosecond);

} // namespace
