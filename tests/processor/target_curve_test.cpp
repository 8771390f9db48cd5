#include "TargetCurve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace correction;

namespace
{
std::vector<float> build(std::vector<float> e)
{
    std::vector<float> curve(designBinCount + 16, -7.0f);  // guard values past the end
    buildTargetCurve(e.data(), curve.data());
    for (int i = designBinCount; i < designBinCount + 16; ++i)
        EXPECT_EQ(curve[i], -7.0f) << "wrote past the curve";
    curve.resize(designBinCount);
    return curve;
}

// Index of the first bin from "from" on whose value differs from v.
int runEnd(const std::vector<float>& c, int from, float v)
{
    int i = from;
    while (i < designBinCount && c[i] == v)
        ++i;
    return i;
}
}

TEST(TargetCurve, WorkedCornersOfTheDefaults)
{
    const auto c = build({0.5f, 0.2f, 0.5f, 0.6f, 0.5f, 1.0f});
    // k1 = 136, k2 = 204, k3 = 511, k4 = 1023
    EXPECT_EQ(runEnd(c, 0, 0.2f), 137);  // the ramp's first bin also holds e[1]
    EXPECT_FLOAT_EQ(c[203], 0.6f);
    EXPECT_EQ(runEnd(c, 204, 0.6f), 512);
    EXPECT_FLOAT_EQ(c[1022], 1.0f);
    EXPECT_LT(c[1021], 1.0f);
    EXPECT_EQ(runEnd(c, 1022, 1.0f), designBinCount);
    for (int i = 137; i < 203; ++i)
        EXPECT_GT(c[i], c[i - 1]);
}

TEST(TargetCurve, WorkedCornersAtTheExtremes)
{
    auto c = build({1.0f, 0.0f, 0.5f, 0.5f, 1.0f, 1.0f});  // 273 / 409 / 682 / 1365
    EXPECT_EQ(runEnd(c, 0, 0.0f), 274);
    EXPECT_FLOAT_EQ(c[408], 0.5f);
    EXPECT_EQ(runEnd(c, 409, 0.5f), 683);
    EXPECT_FLOAT_EQ(c[1364], 1.0f);
    EXPECT_LT(c[1363], 1.0f);

    // f2 / 2 below 1.5 f1: the second ramp overwrites the first from bin 341.
    c = build({1.0f, 0.0f, 0.5f, 0.5f, 0.0f, 1.0f});  // 273 / 409 / 341 / 682
    EXPECT_FLOAT_EQ(c[340], 0.0f + 67.0f * (0.5f / 135.0f));
    EXPECT_FLOAT_EQ(c[341], 0.5f);
    EXPECT_FLOAT_EQ(c[681], 1.0f);
    EXPECT_EQ(runEnd(c, 681, 1.0f), designBinCount);
}

TEST(TargetCurve, FlatWhenLevelsAgreeAndMiddleValueUnused)
{
    for (float corner : {0.0f, 0.3f, 1.0f})
    {
        const auto c = build({corner, 0.4f, 0.9f, 0.4f, 1.0f - corner, 0.4f});
        EXPECT_EQ(runEnd(c, 0, 0.4f), designBinCount) << corner;
    }
    EXPECT_EQ(build({0.3f, 0.1f, 0.0f, 0.7f, 0.2f, 0.9f}), build({0.3f, 0.1f, 1.0f, 0.7f, 0.2f, 0.9f}));
    // A zero first corner starts the curve at the middle level.
    EXPECT_EQ(runEnd(build({0.0f, 0.1f, 0.5f, 0.7f, 0.5f, 0.3f}), 0, 0.7f), 512);
}

TEST(TargetCurve, OneBinRampHoldsItsStartWithoutDividing)
{
    // f1 = 4 Hz: k1 = 1, k2 = 2.
    const auto c = build({0.005f, 0.2f, 0.5f, 0.9f, 0.5f, 0.9f});
    EXPECT_FLOAT_EQ(c[0], 0.2f);
    EXPECT_FLOAT_EQ(c[1], 0.2f);
    EXPECT_FLOAT_EQ(c[2], 0.9f);
    // Every corner where the first ramp has one bin gives finite values.
    for (int step = 0; step <= 200; ++step)
    {
        const auto d = build({step * 0.0001f, 0.2f, 0.5f, 0.9f, 0.5f, 0.9f});
        for (float v : d)
            ASSERT_TRUE(std::isfinite(v)) << step;
    }
}

TEST(TargetCurve, ValuesStayInsideTheLevelsAndBadInputIsClamped)
{
    for (float a : {0.0f, 0.37f, 1.0f})
        for (float b : {0.0f, 0.61f, 1.0f})
        {
            const auto c = build({a, 0.2f, 0.5f, 0.8f, b, 0.5f});
            for (float v : c)
                ASSERT_TRUE(v >= 0.2f - 1e-6f && v <= 0.8f + 1e-6f);
        }
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const std::vector<float>& e : std::vector<std::vector<float>>{
             {nan, nan, nan, nan, nan, nan}, {inf, 5.0f, 0.0f, -3.0f, inf, 2.0f},
             {-inf, -1.0f, 0.0f, 1e30f, -inf, 0.5f}, {1e30f, 0.5f, 0.5f, 0.5f, -1e30f, 0.5f}})
    {
        const auto c = build(e);
        for (float v : c)
            ASSERT_TRUE(v >= 0.0f && v <= 1.0f);
    }
    // Out-of-range corners behave as the nearest valid corner.
    EXPECT_EQ(build({7.0f, 0.1f, 0.5f, 0.6f, -2.0f, 0.9f}), build({1.0f, 0.1f, 0.5f, 0.6f, 0.0f, 0.9f}));
}
