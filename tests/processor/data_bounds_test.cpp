// Data values that no measurement holds are refused like non-finite ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>

#include "ControlsguiTestSupport.h"
#include "CurveFile.h"
#include "ListenerResponses.h"
#include "PlaceResponses.h"

namespace
{

using qtest::DataFolder;
using qtest::Instance;

TEST(DataBounds, CurveLevelsBeyondTheirBoundAreRefused)
{
    DataFolder data;
    auto list = std::make_unique<CurveList>();
    const std::vector<float> hz{0.0f, 1000.0f, 24000.0f};
    auto levels = [&](float db, const char* name, float bound) {
        data.writeCurve(name, hz, {0.0f, db, 0.0f});
        return datafiles::readCurveFile(data.product(name), *list, bound);
    };
    EXPECT_EQ(levels(50.0f, "a.mos", datafiles::maxCurveLevelDb), datafiles::fileOk);
    EXPECT_EQ(levels(-50.0f, "a.mos", datafiles::maxCurveLevelDb), datafiles::fileOk);
    EXPECT_EQ(levels(50.01f, "a.mos", datafiles::maxCurveLevelDb), datafiles::fileInvalid);
    EXPECT_EQ(list->db[1], 0.0f);  // levels zeroed, as for a missing file
    EXPECT_EQ(levels(-300.0f, "a.mos", datafiles::maxCurveLevelDb), datafiles::fileInvalid);
    // Loudness contours keep their rise at low frequencies.
    EXPECT_EQ(levels(74.0f, "a.ldc", datafiles::maxLoudnessLevelDb), datafiles::fileOk);
    EXPECT_EQ(levels(100.5f, "a.ldc", datafiles::maxLoudnessLevelDb), datafiles::fileInvalid);
    // Frequencies are not levels.
    data.writeCurve("b.mos", {0.0f, 1000.0f, 96000.0f}, {0.0f, 1.0f, 0.0f});
    EXPECT_EQ(datafiles::readCurveFile(data.product("b.mos"), *list), datafiles::fileOk);
}

TEST(DataBounds, ResponseAndPlaceSamplesBeyondSixteenAreRefused)
{
    DataFolder data;
    std::vector<float> ltor(218, 0.0f);
    ltor[3] = 16.0f;
    ltor[4] = -1e6f;
    data.writeFloats("bin/Quillatoneltor003.hrt", ltor);
    datafiles::ListenerRow response, impulse;
    float sum = 0.0f;
    EXPECT_EQ(datafiles::loadLeftToRightFile(data.root, 0, response, impulse, sum), datafiles::fileInvalid);
    EXPECT_EQ(response[3], 16.0f);
    EXPECT_EQ(response[4], 0.0f);
    EXPECT_EQ(sum, 16.0f);

    data.writeWave("Places/Office/Quillatone_uff_1.wav", {0.5f, 1e6f, -16.5f, -16.0f});
    std::vector<float> buffers(4 * 8, 7.0f);
    float* const four[4] = {&buffers[0], &buffers[8], &buffers[16], &buffers[24]};
    int32_t codes[4] = {};
    places::loadPlaceResponses(data.product("Places"), places::Place::office, four, 8, codes);
    EXPECT_EQ(codes[0], 0);
    EXPECT_EQ(buffers[0], 0.5f);
    EXPECT_EQ(buffers[1], 0.0f);
    EXPECT_EQ(buffers[2], 0.0f);
    EXPECT_EQ(buffers[3], -16.0f);
}

// A +300 dB monitor curve closes the gate instead of reaching the ears.
TEST(DataBounds, AHugeMonitorCurveNeverReachesTheOutput)
{
    DataFolder data;
    data.writeFlatGateCurves();
    std::mt19937 random(4);
    std::uniform_real_distribution<float> u(-0.25f, 0.25f);
    std::vector<float> in(1 << 14), outL, outR;
    for (auto& x : in)
        x = u(random);
    auto peakInMix = [&] {
        Instance fx;
        fx.set(15, 0.0f);
        fx.run(in, in, outL, outR, 512);
        float p = 0.0f;
        for (float x : outL)
            p = std::max(p, std::fabs(x));
        return p;
    };
    const float normal = peakInMix();
    ASSERT_GT(normal, 0.05f);
    data.writeCurve("Monitor/Genelec_1236A.mos", {0.0f, 1000.0f, 24000.0f}, {300.0f, 300.0f, 300.0f});
    EXPECT_LE(peakInMix(), 3.0f * normal);
}

} // namespace
