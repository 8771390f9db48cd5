#include "TargetCurve.h"

#include <gtest/gtest.h>

#include <vector>

using namespace correction;

namespace
{
struct Corners
{
    int k1, k2, k3, k4;
};

Corners cornersOf(const float e[6])
{
    const float f1 = e[0] * 800.0f;
    const float f2 = e[4] * 2000.0f + 2000.0f;
    const float bw = designBinSpacing;
    return {int(f1 / bw), int((f1 * 0.5f + f1) / bw), int((f2 - 0.5f * f2) / bw), int(f2 / bw)};
}
}

// The two ramps round differently: the first adds j times a step computed
// once, the second divides each product j (e5 - e3) by the bin count. The
// smoothing width is taken from these values by truncation, so the last bit
// counts.
TEST(TargetCurveRamps, EachRampRoundsInItsOwnOrder)
{
    const std::vector<std::vector<float>> cases = {
        {0.5f, 0.1f, 0.5f, 0.3f, 0.37f, 0.9f},
        {0.8f, 0.05f, 0.5f, 0.45f, 0.5f, 0.87f},
        {0.25f, 0.9f, 0.5f, 0.15f, 0.93f, 0.31f},
    };
    int productDiffersFromStep = 0;
    for (const auto& e : cases)
    {
        std::vector<float> curve(designBinCount);
        buildTargetCurve(e.data(), curve.data());
        const Corners k = cornersOf(e.data());
        ASSERT_LT(k.k2, k.k3);

        const float s = (e[3] - e[1]) / float(k.k2 - k.k1 - 1);
        for (int b = k.k1; b < k.k2; ++b)
            ASSERT_EQ(curve[b], e[1] + float(b - k.k1) * s) << b;

        const float n = float(k.k4 - k.k3 - 1);
        const float step = (e[5] - e[3]) / n;
        for (int b = k.k3; b < k.k4; ++b)
        {
            const float j = float(b - k.k3);
            ASSERT_EQ(curve[b], e[3] + j * (e[5] - e[3]) / n) << b;
            if (curve[b] != e[3] + j * step)
                ++productDiffersFromStep;
        }
    }
    EXPECT_GT(productDiffersFromStep, 0) << "the cases do not tell the two orders apart";
}
