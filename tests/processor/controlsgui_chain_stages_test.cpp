#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ChainStages.h"
#include "InterpolationFilter.h"

namespace
{

const double pi = 3.14159265358979323846;

std::vector<float> roundedCoefficients()
{
    std::vector<float> c(interpolation::coefficientCount);
    for (int k = 0; k < interpolation::coefficientCount; ++k)
        c[k] = float(interpolation::designCoefficients[k]);
    return c;
}

// Amplitude of the frequency f (cycles per sample) in x, by correlation.
double amplitudeAt(const std::vector<double>& x, double f)
{
    double re = 0.0, im = 0.0;
    for (size_t n = 0; n < x.size(); ++n)
    {
        re += x[n] * std::cos(2 * pi * f * double(n));
        im += x[n] * std::sin(2 * pi * f * double(n));
    }
    return 2.0 * std::hypot(re, im) / double(x.size());
}

TEST(InterpolationFilter, UnityDcGainAndStableDecay)
{
    const auto c = roundedCoefficients();
    interpolation::FilterState s;
    s.reset();
    float y = 0.0f;
    for (int n = 0; n < 20000; ++n)
        y = interpolation::runFilter(c.data(), s, 1.0f);
    EXPECT_NEAR(y, 1.0f, 1e-6f);
    for (int n = 0; n < 20000; ++n)
        y = interpolation::runFilter(c.data(), s, 0.0f);
    EXPECT_LT(std::fabs(y), 1e-12f);
}

TEST(InterpolationFilter, RemovesTheImagesOfZeroStuffing)
{
    // A 20 kHz tone at 48 kHz, zero-stuffed to 192 kHz: its first image sits
    // at 28 kHz; the pass band must keep the tone at a quarter of its level.
    const auto c = roundedCoefficients();
    interpolation::FilterState s;
    s.reset();
    std::vector<double> out;
    const int frames = 48000;
    for (int n = 0; n < frames; ++n)
        for (int q = 0; q < 4; ++q)
        {
            const float u = q == 0 ? float(std::sin(2 * pi * 20000.0 * n / 48000.0)) : 0.0f;
            const float y = interpolation::runFilter(c.data(), s, u);
            if (n >= 4800)
                out.push_back(y);
        }
    const double tone = amplitudeAt(out, 20000.0 / 192000.0);
    const double image = amplitudeAt(out, 28000.0 / 192000.0);
    EXPECT_NEAR(tone, 0.25, 0.25 * 0.01);
    EXPECT_LT(20 * std::log10(image / tone), -60.0);
}

TEST(Interpolators, ReproduceConstantsAndLines)
{
    const float ones[6] = {1, 1, 1, 1, 1, 1};
    // Line h_k = -k + 2.5 (newest h0 = 2.5): position z measured from the
    // middle of h2 and h3 toward the newer sample.
    float line[6];
    for (int k = 0; k < 6; ++k)
        line[k] = 2.5f - float(k);
    for (const auto* set : {&chain::setA, &chain::setB})
    {
        float c[6];
        chain::interpolatorCoefficients(*set, ones, c);
        for (float z : {-0.5f, 0.0f, 0.25f, 0.5f})
            EXPECT_NEAR(chain::interpolate(c, z), 1.0f, 2e-6f);
        chain::interpolatorCoefficients(*set, line, c);
        for (float z : {-0.5f, 0.0f, 0.5f})
            EXPECT_NEAR(chain::interpolate(c, z), z, 1e-3f);
    }
}

TEST(Saturator, SmallSignalsPassWithTheLinearTermAndBassKeepsItsAccuracy)
{
    chain::SaturatorCoefficients k;
    k.update(48000.0f);
    EXPECT_NEAR(k.a0, 65244.5, 1.0);
    EXPECT_NEAR(k.a0 + k.a1 + k.a2, 1.0, 1e-6);

    // A 20 Hz tone inside the clamp against a long-double run of the same
    // coefficients: the error must stay below -90 dB.
    chain::SaturatorState s;
    long double y1 = 0, y2 = 0, p1 = 0, p2 = 0;
    double errorEnergy = 0.0, signalEnergy = 0.0;
    for (int n = 0; n < 96000; ++n)
    {
        const float v = float(2.0 * std::sin(2 * pi * 20.0 * n / 48000.0));
        const float out = chain::runSaturator(k, s, v);
        const long double y = ((long double)k.inputScale * v - k.a1 * y1 - k.a2 * y2) / k.a0;
        y2 = y1;
        y1 = y;
        const long double p = chain::saturatorPolynomial(double(y));
        const long double ref = (k.a0 * p + k.a1 * p1 + k.a2 * p2) / k.inputScale;
        p2 = p1;
        p1 = p;
        if (n >= 48000)
        {
            errorEnergy += double((out - ref) * (out - ref));
            signalEnergy += double(ref * ref);
        }
    }
    EXPECT_LT(10 * std::log10(errorEnergy / signalEnergy), -90.0);

    // A 1 kHz tone never gets near the clamp: only the linear term acts.
    s.reset();
    float last = 0.0f, in = 0.0f;
    for (int n = 0; n < 48000; ++n)
    {
        in = float(0.5 * std::sin(2 * pi * 1000.0 * n / 48000.0 + 0.3));
        last = chain::runSaturator(k, s, in);
    }
    EXPECT_NEAR(last, 1.01296461 * in, 1e-4);
}

TEST(PeakingStage, PassesDcWithTheOutputGain)
{
    chain::PeakingCoefficients c;
    c.update(44100.0f / 48000.0f);
    chain::PeakingState s;
    float y = 0.0f;
    for (int n = 0; n < 4000; ++n)
        y = chain::runPeaking(c, s, 0.25f);
    EXPECT_NEAR(y, 0.25f * 6.0f, 1e-4f);
}

TEST(ChainNoise, StaysInRangeAndDependsOnTheSeed)
{
    chain::ChainNoise a, b;
    b.reseed(12345);
    double sum = 0.0;
    int same = 0;
    for (int n = 0; n < 100000; ++n)
    {
        const float x = a.next();
        ASSERT_GE(x, 0.0f);
        ASSERT_LT(x, 1e-6f);
        sum += x;
        same += x == b.next();
    }
    EXPECT_NEAR(sum / 100000.0, 0.5e-6, 0.01e-6);
    EXPECT_LT(same, 10);
}

} // namespace

// The two-channel kernels of the staged chain give each channel the bits of
// the single-channel stages, the saturator also where it clamps, in passes
// of any length.
TEST(ChainStages, PairKernelsMatchTheSingleChannelStages)
{
    chain::SaturatorCoefficients k;
    k.update(48000.0f);
    chain::SaturatorState satL, satR, refSatL, refSatR;
    chain::PeakingCoefficients peaking;
    peaking.update(44100.0f / 48000.0f);
    chain::PeakingState peakL, peakR, refPeakL, refPeakR;
    const auto c = roundedCoefficients();
    interpolation::PairCoefficients pair;
    pair.set(c.data());
    interpolation::PairState filter;
    filter.reset();
    interpolation::FilterState refFilterL, refFilterR;
    refFilterL.reset();
    refFilterR.reset();
    int clamped = 0, n = 0;
    for (int pass = 0; pass < 60; ++pass)
    {
        const int count = 1 + (pass * 37) % 150;
        float xL[150], xR[150], sL[150], sR[150], pL[150], pR[150], yL[4][150], yR[4][150];
        for (int i = 0; i < count; ++i, ++n)
        {
            xL[i] = float(40.0 * std::sin(2 * pi * 20.0 * n / 48000.0));
            xR[i] = float(0.3 * std::cos(2 * pi * 3000.0 * n / 48000.0));
            sL[i] = xL[i];
            sR[i] = xR[i];
        }
        chain::runSaturatorPair(k, satL, satR, sL, sR, count);
        chain::runPeakingPair(peaking, peakL, peakR, xL, xR, pL, pR, count);
        float* const outL[4] = {yL[0], yL[1], yL[2], yL[3]};
        float* const outR[4] = {yR[0], yR[1], yR[2], yR[3]};
        interpolation::runFilterPass(pair, filter, xL, xR, count, outL, outR);
        for (int i = 0; i < count; ++i)
        {
            ASSERT_EQ(sL[i], chain::runSaturator(k, refSatL, xL[i])) << pass << " " << i;
            ASSERT_EQ(sR[i], chain::runSaturator(k, refSatR, xR[i])) << pass << " " << i;
            clamped += std::fabs(refSatL.y1) > 1.0 ? 1 : 0;
            ASSERT_EQ(pL[i], chain::runPeaking(peaking, refPeakL, xL[i])) << pass << " " << i;
            ASSERT_EQ(pR[i], chain::runPeaking(peaking, refPeakR, xR[i])) << pass << " " << i;
            for (int q = 0; q < 4; ++q)
            {
                ASSERT_EQ(yL[q][i], interpolation::runFilter(c.data(), refFilterL, q == 0 ? xL[i] : 0.0f));
                ASSERT_EQ(yR[q][i], interpolation::runFilter(c.data(), refFilterR, q == 0 ? xR[i] : 0.0f));
            }
        }
    }
    EXPECT_GT(clamped, 100);
}
