#include "CorrectionFilter.h"
#include "CorrectionTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace correction_test;

namespace
{

// A record of small random values, seeded, of magnitude below `range`.
void randomRecord(unsigned seed, float range, float record[recordSize])
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> value(-range, range);
    for (int i = 0; i < recordSize; ++i)
        record[i] = value(random);
}

} // namespace

TEST(CorrectionPoles, FrequenciesStabilityAndAnchors)
{
    float a1[sectionCount], a2[sectionCount];
    computeCorrectionPoles(a1, a2);
    for (int k = 0; k < sectionCount; ++k)
    {
        EXPECT_GT(a2[k], 0.0f);
        EXPECT_LT(a2[k], 1.0f);
        EXPECT_LT(std::fabs(a1[k]), 1.0f + a2[k]);
        const double hz = 48000.0 / (2.0 * pi) * std::acos(-double(a1[k]) / (2.0 * std::sqrt(double(a2[k]))));
        const double expected = 50.0 * std::pow(400.0, k / 99.0);
        EXPECT_NEAR(hz / expected, 1.0, 1e-3) << k;
    }
    EXPECT_NEAR(a1[0], -1.99954891, 1e-7);
    EXPECT_NEAR(a2[0], 0.999591768, 1e-7);
    EXPECT_NEAR(a1[50], -1.96569753, 1e-7);
    EXPECT_NEAR(a2[98], 0.741963923, 1e-7);
    EXPECT_NEAR(a1[99], 1.60389662, 1e-7);
    EXPECT_NEAR(a2[99], 0.857493639, 1e-7);
}

TEST(CorrectionFilter, ImpulseResponseMatchesTheParallelForm)
{
    float a1[sectionCount], a2[sectionCount];
    computeCorrectionPoles(a1, a2);
    float record[recordSize];
    randomRecord(7, 1e-3f, record);
    record[dryTap] = 0.8f;
    record[firstDirectTap + 3] = -0.25f;

    const auto y = impulseResponse(record, a1, a2, 1 << 17);
    EXPECT_FLOAT_EQ(float(y[0]), record[dryTap] + [&] {
        float s = 0.0f;
        for (int k = 0; k < sectionCount; ++k)
            s += record[2 * k];
        return s;
    }());
    double tail = 0.0;
    for (std::size_t n = y.size() - 1000; n < y.size(); ++n)
        tail = std::max(tail, std::fabs(y[n]));
    EXPECT_LT(tail, 1e-9);
    for (int bin : {0, 1, 5, 17, 34, 100, 341, 1023, 2048, 4096, 6000, 8190, 8191})
    {
        const Complex expected = recordResponse(record, a1, a2, binAngle(bin));
        const Complex measured = directDft(y, binAngle(bin));
        EXPECT_LT(std::abs(measured - expected), 1e-3 * std::abs(expected)) << bin;
    }
}

// The two-channel vector pass gives each channel the bits of the scalar one.
TEST(CorrectionFilter, ChannelPairMatchesTheSingleChannelFilter)
{
    float a1[sectionCount], a2[sectionCount];
    computeCorrectionPoles(a1, a2);
    float record[recordSize];
    randomRecord(11, 1e-2f, record);
    record[dryTap] = 0.7f;
    std::mt19937 random(12);
    std::uniform_real_distribution<float> value(-1e-2f, 1e-2f);
    CorrectionPairRecord layout;
    layout.prepare(record, a1, a2);
    CorrectionPairState pair;
    pair.reset();
    CorrectionFilterState left, right;
    left.reset();
    right.reset();
    for (int n = 0; n < 4000; ++n)
    {
        const float vL = value(random) * 50.0f, vR = n % 7 == 0 ? 0.3f : 0.0f;
        float cL, cR;
        processCorrectionPair(layout, pair, vL, vR, cL, cR);
        ASSERT_EQ(cL, processCorrectionSample(record, a1, a2, left, vL)) << n;
        ASSERT_EQ(cR, processCorrectionSample(record, a1, a2, right, vR)) << n;
    }
}

// The pass over a block (eight lanes where the processor has AVX) gives the
// bits of the four-lane pair filter, in blocks of any length.
TEST(CorrectionFilter, PassMatchesTheFourLaneFilter)
{
    float a1[sectionCount], a2[sectionCount];
    computeCorrectionPoles(a1, a2);
    float record[recordSize];
    randomRecord(5, 1e-2f, record);
    std::mt19937 random(6);
    std::uniform_real_distribution<float> value(-1e-2f, 1e-2f);
    CorrectionPairRecord layout;
    layout.prepare(record, a1, a2);
    CorrectionPairState fast, reference;
    fast.reset();
    reference.reset();
    float vL[67], vR[67], cL[67], cR[67], refL[67], refR[67];
    for (int count : {1, 2, 67, 5, 64})
    {
        for (int i = 0; i < count; ++i)
        {
            vL[i] = value(random) * 80.0f;
            vR[i] = i % 3 == 0 ? -0.25f : value(random);
        }
        processCorrectionPass(layout, fast, vL, vR, cL, cR, count);
        processCorrectionPassFourLanes(layout, reference, vL, vR, refL, refR, count);
        for (int i = 0; i < count; ++i)
        {
            ASSERT_EQ(cL[i], refL[i]) << count << " " << i;
            ASSERT_EQ(cR[i], refR[i]) << count << " " << i;
        }
    }
}
