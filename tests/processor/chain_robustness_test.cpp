// The chain at the edges of its accepted sample rates, and after inputs that
// no real signal holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>

#include "ChainStages.h"
#include "ControlsguiTestSupport.h"
#include "../convolution/TestSignals.h"

namespace
{

using qtest::DataFolder;
using qtest::Instance;

// Largest pole radius of z^2 + n z + m, the peaking stage's denominator.
double peakingPoleRadius(float rate)
{
    chain::PeakingCoefficients c;
    c.update(44100.0f / rate);
    const double m = c.m, n = double((c.m + 1.0f) * c.k);
    const std::complex<double> d = std::sqrt(std::complex<double>(n * n - 4.0 * m));
    return std::max(std::abs((-n + d) * 0.5), std::abs((-n - d) * 0.5));
}

TEST(ChainSampleRates, EveryAcceptedRateKeepsThePeakingStageInsideTheUnitCircle)
{
    for (float rate : {8000.0f, 41584.0f, 42425.0f, 768000.0f, 11025.0f, 22050.0f, 32000.0f, 44100.0f, 192000.0f})
        EXPECT_TRUE(chain::acceptsSampleRate(rate)) << rate;
    // Below and above the range, near 42000 / k, and rates that put the pole
    // outside (t < 0 below about 808 Hz) or on the circle.
    for (float rate : {7999.0f, 768001.0f, 41585.0f, 42000.0f, 42424.0f, 21000.0f, 14000.0f, 10500.0f, 8400.0f,
                       250.0f, 420.0f, 500.0f, 700.0f, 807.0f, 0.0f, -48000.0f, NAN, INFINITY})
        EXPECT_FALSE(chain::acceptsSampleRate(rate)) << rate;

    double worst = 0.0;
    for (int rate = 8000; rate <= 768000; ++rate)
        if (chain::acceptsSampleRate(float(rate)))
            worst = std::max(worst, peakingPoleRadius(float(rate)));
    EXPECT_LT(worst, 0.9995);
    // The rates the check refuses are the ones where the pole meets the circle.
    EXPECT_GE(peakingPoleRadius(500.0f), 1.0);
    EXPECT_GE(peakingPoleRadius(41998.0f), 1.0);
}

std::vector<float> noise(size_t frames, float amplitude, unsigned seed)
{
    return testsignals::RandomSignal(frames, seed, amplitude);
}

bool allFinite(const std::vector<float>& v)
{
    return std::all_of(v.begin(), v.end(), [](float x) { return std::isfinite(x); });
}

float peak(const std::vector<float>& v, size_t from = 0)
{
    float p = 0.0f;
    for (size_t n = from; n < v.size(); ++n)
        p = std::max(p, std::fabs(v[n]));
    return p;
}

TEST(ChainSampleRates, RefusedRatesAreIgnoredAndEdgeRatesStayBounded)
{
    DataFolder data;
    data.writeFlatGateCurves();
    Instance fx;
    fx.set(15, 0.5f);  // HEADPHONES: no convolvers, the cheapest chain
    const auto in = noise(1 << 15, 0.25f, 1);
    std::vector<float> outL, outR;
    fx.run(in, in, outL, outR, 512);
    const float normal = peak(outL, 4096);
    ASSERT_GT(normal, 0.05f);

    for (float refused : {250.0f, 420.0f, 500.0f, 700.0f, 807.0f, 42000.0f})
    {
        fx.dispatch(effSetSampleRate, 0, 0, nullptr, refused);
        EXPECT_EQ(fx.object().getInternalRate(), 48000.0f) << refused;
    }
    for (float edge : {8000.0f, 41584.0f, 42425.0f, 768000.0f})
    {
        fx.dispatch(effSetSampleRate, 0, 0, nullptr, edge);
        ASSERT_EQ(fx.object().getInternalRate(), edge);
        fx.run(in, in, outL, outR, 512);
        EXPECT_TRUE(allFinite(outL) && allFinite(outR)) << edge;
        EXPECT_LT(peak(outL, 4096), 4.0f * normal) << edge;
    }
}

// A block holding one huge finite sample (3.1e38, bytes d4 37 69 7f) is
// followed by finite output from the next block on, in every mode.
TEST(ChainInputBounds, OneHugeSampleLeavesTheNextBlockFinite)
{
    DataFolder data;
    data.writeFlatGateCurves();
    data.writeImpulseListener();
    data.writeWave("Places/Office/Quillatone_uff_1.wav", {0.5f, 0.25f});
    const unsigned char bytes[4] = {0xd4, 0x37, 0x69, 0x7f};
    float huge;
    std::memcpy(&huge, bytes, sizeof huge);
    ASSERT_GT(huge, 3e38f);

    for (float mode : {0.0f, 0.5f, 1.0f})
    {
        Instance fx;
        fx.set(15, mode);
        fx.set(37, 0.0f);
        auto in = noise(4096, 0.25f, 2);
        in[100] = huge;
        std::vector<float> outL, outR;
        fx.run(in, in, outL, outR, 256);
        const std::vector<float> after(outL.begin() + 256, outL.end());
        const std::vector<float> afterR(outR.begin() + 256, outR.end());
        EXPECT_TRUE(allFinite(after) && allFinite(afterR)) << "mode " << mode;

        // Suspend and resume, then ordinary noise: still finite.
        fx.dispatch(effMainsChanged, 0, 0);
        fx.dispatch(effMainsChanged, 0, 1);
        const auto quiet = noise(4096, 0.25f, 3);
        fx.run(quiet, quiet, outL, outR, 256);
        EXPECT_TRUE(allFinite(outL) && allFinite(outR)) << "mode " << mode;
    }
}

} // namespace
