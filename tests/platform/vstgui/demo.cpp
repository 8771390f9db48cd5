// Renders a small demonstration frame off-screen: vstgui_demo <out.png>
#include "controls.h"
#include "popupmenu.h"
#include "view.h"

#include <cmath>
#include <cstdio>
#include <string>

using namespace VSTGUI;

namespace {

const CColor kBackground(52, 52, 52), kOutline(215, 215, 208, 200), kBlue(0, 162, 232), kText(220, 220, 220);

struct NoListener : IControlListener {
    void valueChanged(CControl*) override {}
} noListener;

// A three-segment tab drawn from its value.
struct Tab : CHorizontalSwitch {
    const char* labels[3] = {"MIX", "HEADPHONES", "PLACES"};
    Tab(const CRect& r) : CHorizontalSwitch(r, &noListener, 15, nullptr) { setNumSubPixmaps(3); }
    void draw(CDrawContext* ctx) override {
        CFontDesc font("Arial Black", 16, kBoldFace);
        ctx->setFont(&font);
        ctx->setDrawMode(kAntiAliasing);
        ctx->setFillColor(CColor(0, 0, 0, 120));
        ctx->drawRect(size, kDrawFilled);
        double w = size.getWidth() / 3, y = size.top + size.getHeight() / 2 + 4;
        int s = int(2 * value);
        for (int i = 0; i < 3; ++i) {
            ctx->setFontColor(i == s ? kBlue : kOutline);
            double cx = size.left + w / 2 + i * w;
            ctx->drawString(labels[i], CPoint(cx - ctx->getStringWidth(labels[i]) / 2, y));
        }
        setDirty(false);
    }
};

// A toothed knob with a scale and a title.
struct Knob : CKnob {
    const char* title;
    Knob(const CRect& r, const char* t) : CKnob(r, &noListener, 6, nullptr, nullptr), title(t) {}
    void draw(CDrawContext* ctx) override {
        CPoint c = size.getCenter();
        double r = size.getWidth() / 2;
        auto circle = [&](double k) { return CRect(c.x - k * r, c.y - k * r, c.x + k * r, c.y + k * r); };
        ctx->setDrawMode(kAntiAliasing);
        CFontDesc font("Arial Black", 16, kBoldFace);
        ctx->setFont(&font);
        ctx->setFontColor(kOutline);
        ctx->drawString(title, CPoint(c.x - ctx->getStringWidth(title) / 2, c.y + 0.475 * size.getHeight()));
        for (int i = 0; i < 11; ++i) {
            double t = (-240.0 + i * 30.0) * 3.141592653589793 / 180;
            std::string label = std::to_string(std::abs(i * 5 - 25));
            ctx->drawString(label.c_str(), CPoint(c.x + 0.375 * size.getWidth() * std::cos(t) - 8,
                                                  c.y + 0.375 * size.getWidth() * std::sin(t) + 5));
        }
        CGraphicsPath* body = ctx->createGraphicsPath();
        body->addArc(circle(0.7), 275, 265, false);
        const double teeth[][3] = {{0.5, 258, 210}, {0.46, 208, 188}, {0.5, 186, 138}, {0.46, 136, 116},
                                   {0.5, 114, 66},  {0.46, 64, 44},   {0.5, 42, -6},   {0.46, -8, -28},
                                   {0.5, -30, -78}};
        for (const auto& t : teeth)
            body->addArc(circle(t[0]), t[1], t[2], false);
        body->closeSubpath();
        CGraphicsTransform rot;
        rot.translate(-c.x, -c.y).rotate(value * 300.0 - 150.0).translate(c.x, c.y);
        CGraphicsTransform shadow = rot;
        shadow.translate(-0.2 * r, 0.2 * r);
        ctx->setFrameColor(kOutline);
        ctx->setLineWidth(3);
        ctx->setFillColor(CColor(0, 0, 0, 40));
        ctx->drawGraphicsPath(body, CDrawContext::kPathFilled, &shadow);
        ctx->setFillColor(kBackground);
        ctx->drawGraphicsPath(body, CDrawContext::kPathFilled, &rot);
        ctx->drawGraphicsPath(body, CDrawContext::kPathStroked, &rot);
        ctx->drawEllipse(circle(0.4));
        body->forget();
        setDirty(false);
    }
};

// A curve under a gradient-filled shape.
struct Curve : CView {
    using CView::CView;
    void draw(CDrawContext* ctx) override {
        ctx->setDrawMode(kAntiAliasing);
        double zero = size.top + size.getHeight() * 0.6;
        CGraphicsPath* path = ctx->createGraphicsPath();
        path->beginSubpath(CPoint(size.left, zero));
        path->addLine(CPoint(size.left, zero - 60));
        path->addBezierCurve(CPoint(size.left + 150, zero - 60), CPoint(size.left + 200, zero - 120),
                             CPoint(size.left + 350, zero - 120));
        path->addBezierCurve(CPoint(size.right - 250, zero - 120), CPoint(size.right - 150, zero - 30),
                             CPoint(size.right, zero - 30));
        path->addLine(CPoint(size.right, zero));
        path->closeSubpath();
        CGradient* g = CGradient::create(0, 1, CColor(0, 162, 232, 10), CColor(0, 162, 232, 90));
        ctx->fillLinearGradient(path, *g, CPoint(size.left, zero), CPoint(size.left, zero - 120));
        ctx->setFrameColor(kBlue);
        ctx->setLineWidth(3);
        ctx->drawGraphicsPath(path, CDrawContext::kPathStroked);
        ctx->setLineWidth(1.5);
        ctx->setFrameColor(CColor(130, 130, 130));
        ctx->moveTo(CPoint(size.left, zero));
        for (int i = 1; i <= 200; ++i) {
            double x = size.left + i * size.getWidth() / 200;
            ctx->lineTo(CPoint(x, zero - 40 * std::sin(i / 12.0) * std::exp(-i / 150.0)));
        }
        g->forget();
        path->forget();
    }
};

} // namespace

int main(int argc, char** argv) {
    const char* out = argc > 1 ? argv[1] : "toolkit-demo.png";
    double zoom = double(0.8f);
    auto* frame = new CFrame(CRect(0, 0, 880 / zoom, 640 / zoom), nullptr, nullptr);
    frame->setBackgroundColor(kBackground);
    frame->setZoom(zoom);

    auto* title = new CTextLabel(CRect(20, 0, 400, 50), "Quillatone");
    title->setFont(new CFontDesc("Verdana", 28));
    title->getFont()->forget();
    title->setFontColor(CColor(255, 199, 4));
    title->setBackColor(kTransparentCColor);
    title->setHoriAlign(kLeftText);
    frame->addView(title);

    auto* menu = new COptionMenu(CRect(350, 3, 750, 40), &noListener, 0);
    for (const char* item : {"Reference headphones", "Studio monitor pair", "Office open space"})
        menu->addEntry(item);
    menu->setCurrent(1);
    menu->setFont(kNormalFontVeryBig);
    menu->setFontColor(kBlue);
    menu->setBackColor(kTransparentCColor);
    frame->addView(menu);

    for (int i = 0; i < 2; ++i) {
        auto* b = new CTextButton(CRect(830 + i * 60, 12, 880 + i * 60, 36), &noListener, 47 + i, i ? "SAVE" : "LOAD");
        b->setTextColor(kText);
        b->setFrameColor(kOutline);
        b->setFont(kNormalFontSmall);
        frame->addView(b);
    }
    auto* tab = new Tab(CRect(0, 60, 1100, 120));
    tab->setValue(0.5f);
    frame->addView(tab);
    frame->addView(new Curve(CRect(0, 140, 1100, 480)));
    auto* k1 = new Knob(CRect(70, 520, 270, 720), "LOUDNESS");
    k1->setValue(0.5f);
    frame->addView(k1);
    auto* k2 = new Knob(CRect(830, 520, 1030, 720), "VOLUME");
    k2->setValue(0.8f);
    frame->addView(k2);
    auto* label = new CTextLabel(CRect(350, 560, 750, 600), "off-screen render, zoom 0.8");
    label->setFont(kNormalFontBig);
    label->setFontColor(kText);
    label->setBackColor(CColor(0, 0, 0, 80));
    label->setFrameColor(kOutline);
    label->setStyle(0x80);
    frame->addView(label);

    frame->renderAll();
    bool ok = frame->writePNG(out);
    frame->forget();
    std::printf("%s %s\n", ok ? "wrote" : "could not write", out);
    return ok ? 0 : 1;
}
