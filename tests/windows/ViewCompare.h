// Two renders of the editor compared view by view, with the tolerance that
// separates two rasterisers from a drawing fault (explained below).
#pragma once

#include "controls.h"
#include "view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace viewcompare {

struct Image {
    int width = 0, height = 0;
    std::vector<float> rgb; // 3 channels, 0..255

    float at(int x, int y, int c) const { return rgb[(size_t(y) * size_t(width) + size_t(x)) * 3 + size_t(c)]; }
};

// Premultiplied B G R A rows, as both back ends keep them.
inline Image fromBgra(const unsigned char* data, int width, int height, int stride) {
    Image img{width, height, std::vector<float>(size_t(width) * size_t(height) * 3)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = data + size_t(y) * size_t(stride) + size_t(x) * 4;
            float* o = &img.rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            o[0] = p[2];
            o[1] = p[1];
            o[2] = p[0];
        }
    return img;
}

// 3 x 3 box average: a one-pixel shift of an edge or a glyph, which the two
// rasterisers and font engines produce, becomes a small difference instead of
// a full-contrast one.
inline Image blurred(const Image& in) {
    Image out = in;
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x)
            for (int c = 0; c < 3; ++c) {
                float sum = 0;
                int n = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        int xx = x + dx, yy = y + dy;
                        if (xx >= 0 && yy >= 0 && xx < in.width && yy < in.height) {
                            sum += in.at(xx, yy, c);
                            ++n;
                        }
                    }
                out.rgb[(size_t(y) * size_t(in.width) + size_t(x)) * 3 + size_t(c)] = sum / float(n);
            }
    return out;
}

// The tolerance, per view rectangle (less a 1-pixel border), after the blur:
// - mean absolute difference at most 8 of 255 per channel, and
// - at most 1 % of the channel values differ by more than 64.
// Why: the same fonts and geometry are drawn by two rasterisers. Wine's
// GDI+ fills and strokes without antialiasing and renders hinted glyphs on
// whole pixels, cairo antialiases and places glyphs unhinted. Measured
// (Wine 8 against cairo 1.16) the worst view, a text button with a thin
// rounded outline, has a mean of 4.9 and no view has more than 0.01 %
// outliers. A missing label, a wrong colour, a shape out of place or text
// in other metrics moves a whole stroke of pixels by far more than 64 and
// the mean of a view with it by well over 8.
constexpr double kMeanLimit = 8.0;
constexpr double kOutlierLevel = 64.0;
constexpr double kOutlierShare = 0.01;

inline int compare(const Image& mine, const Image& other, VSTGUI::CFrame* frame) {
    if (mine.width != other.width || mine.height != other.height) {
        std::printf("sizes differ: %d x %d and %d x %d\n", mine.width, mine.height, other.width, other.height);
        return 1;
    }
    Image a = blurred(mine), b = blurred(other);
    int failures = 0;
    double zoom = frame->getZoom();
    for (int i = 0; i < frame->getNbViews(); ++i) {
        VSTGUI::CView* view = frame->getView(i);
        if (!view->isVisible())
            continue;
        const VSTGUI::CRect& r = view->getViewSize();
        int x0 = std::max(0, int(std::ceil(r.left * zoom)) + 1), y0 = std::max(0, int(std::ceil(r.top * zoom)) + 1);
        int x1 = std::min(a.width, int(std::floor(r.right * zoom)) - 1);
        int y1 = std::min(a.height, int(std::floor(r.bottom * zoom)) - 1);
        if (x1 <= x0 || y1 <= y0)
            continue;
        double sum = 0;
        long outliers = 0, n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x, ++n)
                for (int c = 0; c < 3; ++c) {
                    double d = std::abs(a.at(x, y, c) - b.at(x, y, c));
                    sum += d;
                    outliers += d > kOutlierLevel;
                }
        double mean = sum / double(3 * n), share = double(outliers) / double(3 * n);
        bool ok = mean <= kMeanLimit && share <= kOutlierShare;
        auto* control = dynamic_cast<VSTGUI::CControl*>(view);
        std::printf("%s view %2d tag %3d [%3d,%3d %3dx%3d]: mean %.2f, outliers %.2f %%\n", ok ? "ok  " : "FAIL", i,
                    control ? int(control->getTag()) : -1, x0, y0, x1 - x0, y1 - y0, mean, 100 * share);
        failures += !ok;
    }
    std::printf("%d of %d views beyond the tolerance\n", failures, frame->getNbViews());
    return failures ? 1 : 0;
}
} // namespace viewcompare
