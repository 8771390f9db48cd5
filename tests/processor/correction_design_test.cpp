#include "CorrectionDesign.h"
#include "CorrectionTestSupport.h"
#include "CurveResampling.h"
#include "MinimumPhase.h"

#include <gtest/gtest.h>
#include <Eigen/Dense>

#include <limits>

using namespace correction_test;

namespace
{
float decibelsOf(float gain) { return 20.0f * std::log10(gain); }

std::vector<float> resampled(const CurveList& list)
{
    std::vector<float> gain(designFftSize, -1.0f);
    resampleCurve(list, gain.data());
    for (int b = 0; b < designBinCount; ++b)
        EXPECT_EQ(gain[b], gain[designFftSize - 1 - b]) << "mirror of bin " << b;
    return gain;
}

// Everything one design reads and writes, on the heap.
struct Design
{
    CurveList headphone = flatCurve(0.0f), nef = flatCurve(0.0f), reference = flatCurve(0.0f);
    CurveList loudness10 = flatCurve(0.0f), loudness50 = flatCurve(0.0f), loudness90 = flatCurve(0.0f);
    std::vector<float> target = std::vector<float>(designBinCount, 1.0f);
    float params[38] = {};
    std::vector<float> scratchStore = std::vector<float>(std::size_t(designScratchArrayCount) * designFftSize);
    unsigned char flagA = 7, flagB = 7;
    float record[recordSize] = {};

    Design()
    {
        params[gainParameter] = 0.5f;
        params[moveableParameter] = 0.1f;
    }
    float (*scratch())[designFftSize] { return reinterpret_cast<float (*)[designFftSize]>(scratchStore.data()); }
    const float* array(DesignScratchArray a) { return scratch()[a]; }

    bool run()
    {
        const CorrectionDesignInput input{&headphone, &nef, &reference, &loudness10, &loudness50, &loudness90,
                                          target.data(), 4.0f, params};
        return designCorrectionFilter(input, sharedDesignTables().arrays(), scratch(), flagA, flagB, record);
    }

    // The complex response the fit was asked for: desired magnitude with its minimum phase.
    std::vector<Complex> requested()
    {
        std::vector<float> phase(designFftSize);
        EXPECT_TRUE(minimumPhase(array(desiredGainArray), phase.data()));
        std::vector<Complex> h(designBinCount);
        for (int k = 0; k < designBinCount; ++k)
            h[k] = std::polar(double(array(desiredGainArray)[k]), double(phase[k]));
        return h;
    }
};

// Gentle shapes: broad bells in log frequency, a few dB deep.
double bell(double hz, double centre, double octaves, double db)
{
    const double x = std::log2(hz / centre) / octaves;
    return db * std::exp(-x * x);
}
double gentle(double hz) { return bell(hz, 250.0, 1.5, 3.0) + bell(hz, 3000.0, 1.0, -4.0) + bell(hz, 9000.0, 0.8, 3.0); }
double otherGentle(double hz) { return bell(hz, 120.0, 1.2, 4.0) + bell(hz, 1500.0, 1.5, 2.0) - bell(hz, 12000, 1.0, 3.0); }
}

TEST(CurveResampling, HandValuesAndHeldEnd)
{
    const auto g = resampled(makeCurve({100.0f, 1000.0f, 10000.0f}, {0.0f, 6.0f, 0.0f}));
    EXPECT_NEAR(decibelsOf(g[0]), -0.6667f, 1e-3f);
    EXPECT_NEAR(decibelsOf(g[34]), -0.0025f, 1e-3f);
    EXPECT_NEAR(decibelsOf(g[35]), 0.0170f, 1e-3f);
    EXPECT_NEAR(decibelsOf(g[100]), 1.2867f, 1e-3f);
    EXPECT_NEAR(decibelsOf(g[341]), 5.9943f, 1e-3f);
    EXPECT_NEAR(decibelsOf(g[342]), 5.9986f, 1e-3f);
    for (int b = 342; b < designBinCount; ++b)
        ASSERT_EQ(g[b], g[342]) << b;
}

TEST(CurveResampling, UnusableListsAreFlatAndShortListsHold)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    CurveList empty;
    CurveList tooLong = flatCurve(3.0f);
    tooLong.count = 1001;
    CurveList negative = flatCurve(3.0f);
    negative.count = -4;
    for (const CurveList& list : {empty, tooLong, negative, makeCurve({100.0f, 100.0f, 1000.0f}, {1, 2, 3}),
                                  makeCurve({100.0f, 50.0f, 1000.0f}, {1, 2, 3}),
                                  makeCurve({100.0f, nan, 1000.0f}, {1, 2, 3}),
                                  makeCurve({100.0f, 500.0f, 1000.0f}, {1, nan, 3})})
    {
        const auto g = resampled(list);
        for (int b = 0; b < designBinCount; ++b)
            ASSERT_EQ(g[b], 1.0f) << b;
    }
    // One point: a constant level.
    auto g = resampled(makeCurve({1000.0f}, {6.0f}));
    EXPECT_EQ(g[0], g[8191]);
    EXPECT_NEAR(decibelsOf(g[77]), 6.0f, 1e-5f);
    // Two points: the line down to 0 Hz, then its first value above the first point held.
    g = resampled(makeCurve({100.0f, 200.0f}, {0.0f, 10.0f}));
    EXPECT_NEAR(decibelsOf(g[0]), -10.0f, 1e-4f);
    EXPECT_EQ(g[35], g[8191]);
    EXPECT_NEAR(decibelsOf(g[35]), 0.255f, 1e-3f);
    // First point beyond the band: the extrapolation covers everything.
    g = resampled(makeCurve({24000.0f, 24500.0f, 25000.0f}, {0.0f, 1.0f, 2.0f}));
    EXPECT_TRUE(std::isfinite(g[8191]));
    EXPECT_EQ(g[8191], g[8190]);
}

TEST(Smoothing, WidthsAverageAndEnds)
{
    EXPECT_EQ(smoothingHalfWidth(1.0f, 4000), 54);
    EXPECT_EQ(smoothingHalfWidth(0.0f, 4000), 485);
    EXPECT_EQ(smoothingHalfWidth(0.0f, 100), 100);
    EXPECT_EQ(smoothingHalfWidth(0.0f, 8100), 91);
    EXPECT_EQ(smoothingHalfWidth(std::numeric_limits<float>::quiet_NaN(), 4000), 485);
    EXPECT_EQ(smoothingHalfWidth(-3.0f, 4000), 485);
    EXPECT_EQ(smoothingHalfWidth(9.0f, 4000), 54);

    std::vector<float> gain(designFftSize, 1.0f), target(designBinCount), smoothed(designBinCount);
    for (int i = 0; i < designBinCount; ++i)
        target[i] = float(i % 7) / 6.0f;  // widths change from bin to bin
    gain[0] = 5.0f;
    gain[1000] = 3.0f;
    gain[8191] = 9.0f;
    smoothGain(gain.data(), target.data(), smoothed.data());
    EXPECT_EQ(smoothed[0], 5.0f);
    EXPECT_EQ(smoothed[8191], 9.0f);
    for (int i = 1; i < designBinCount - 1; ++i)
    {
        const int w = smoothingHalfWidth(target[i], i);
        float expected = 1.0f;
        if (std::abs(i - 1000) <= w)
            expected += 2.0f / float(2 * w + 1);
        if (i <= w)
            expected += 4.0f / float(2 * w + 1);
        if (8191 - i <= w)
            expected += 8.0f / float(2 * w + 1);
        ASSERT_NEAR(smoothed[i], expected, 2e-6f) << i;
    }
}

TEST(SoftLimit, WorkedValues)
{
    EXPECT_NEAR(softLimit(4.0f, 4.0f), 4.3570f, 1e-4f);
    EXPECT_NEAR(softLimit(0.25f, 4.0f), 0.22951f, 1e-5f);
    EXPECT_NEAR(softLimit(6.8f, 4.0f), 3.2f, 1e-5f);
    EXPECT_NEAR(softLimit(8.6f, 4.0f), 1.4f, 1e-5f);
    for (float a : {1.0f / 3.2f, 0.5f, 1.0f, 2.0f, 3.2f})
        EXPECT_EQ(softLimit(a, 4.0f), a);
    for (float a = 3.3f; a < 40.0f; a *= 1.1f)
        EXPECT_GE(softLimit(a, 4.0f), 1.4f - 1e-5f);
}

TEST(MinimumPhase, AnalyticCases)
{
    auto check = [](auto response) {
        std::vector<float> magnitude(designFftSize), phase(designFftSize);
        for (int k = 0; k <= designBinCount; ++k)
            magnitude[k] = float(std::abs(response(pi * k / 8192.0)));
        ASSERT_TRUE(minimumPhase(magnitude.data(), phase.data()));
        double worst = 0.0;
        for (int k = 0; k <= designBinCount; ++k)
            worst = std::max(worst, std::fabs(phase[k] - std::arg(response(pi * k / 8192.0))));
        EXPECT_LT(worst, 1e-5);
    };
    check([](double t) { return 1.0 - 0.5 * std::polar(1.0, -t); });
    check([](double t) { return (1.0 - 0.9 * std::polar(1.0, -t)) * (1.0 + 0.5 * std::polar(1.0, -3 * t)); });
}

TEST(CorrectionDesign, FlatCurvesGiveAPlainWire)
{
    Design d;
    ASSERT_TRUE(d.run());
    for (int i = 0; i < designFftSize; ++i)
        ASSERT_EQ(d.array(desiredGainArray)[i], 1.0f);
    EXPECT_NEAR(d.record[dryTap], 1.0f, 1e-6f);
    for (int r = 0; r < dryTap; ++r)
        EXPECT_NEAR(d.record[r], 0.0f, 1e-6f) << r;
}

TEST(CorrectionDesign, PlacesInvertsTheSmoothedWornHeadphones)
{
    Design d;
    d.params[modeParameter] = 1.0f;
    d.headphone = flatCurve(6.0f);
    d.reference = flatCurve(-20.0f);
    d.nef = flatCurve(12.0f);
    ASSERT_TRUE(d.run());
    EXPECT_EQ(d.flagA, 0);
    EXPECT_EQ(d.flagB, 0);
    EXPECT_NEAR(d.record[dryTap], 0.501187f, 1e-6f);

    d.headphone = smoothCurve(gentle);
    d.target.assign(designBinCount, 0.3f);
    ASSERT_TRUE(d.run());
    for (int i = 0; i < designFftSize; ++i)
        ASSERT_FLOAT_EQ(d.array(desiredGainArray)[i], 1.0f / d.array(smoothedGainArray)[i]);
}

TEST(CorrectionDesign, CurveFlagsFollowModeAndVariant)
{
    struct Case
    {
        float mode, variant, moveable;
        int a, b;
    };
    for (const Case& c : {Case{0.0f, 0.0f, 0.1f, 1, 1}, Case{0.4f, 1.0f, 0.05f, 1, 0}, Case{0.5f, 0.0f, 0.5f, 1, 0},
                          Case{0.7f, 0.6f, 0.0f, 1, 0}, Case{0.9f, 1.0f, 0.0f, 0, 1}, Case{1.0f, 1.0f, 1.0f, 0, 0}})
    {
        Design d;
        d.params[modeParameter] = c.mode;
        d.params[headphoneVariantParameter] = c.variant;
        d.params[moveableParameter] = c.moveable;
        d.run();
        EXPECT_EQ(d.flagA, c.a) << c.mode << " " << c.variant;
        EXPECT_EQ(d.flagB, c.b) << c.mode << " " << c.variant;
    }
    // Out-of-range and NaN values decode through the parameters' clamp (NaN
    // counts as 0), as the parameter actions that load the curves do.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const Case& c : {Case{1.6f, 0.0f, 0.0f, 0, 0}, Case{1e30f, 0.0f, 0.0f, 0, 0}, Case{nan, 0.0f, 0.5f, 1, 1},
                          Case{-3.0f, 0.0f, 0.0f, 1, 0}, Case{0.5f, 1.6f, 0.0f, 0, 1}, Case{0.5f, nan, 0.0f, 1, 0}})
    {
        Design d;
        d.params[modeParameter] = c.mode;
        d.params[headphoneVariantParameter] = c.variant;
        d.params[moveableParameter] = c.moveable;
        EXPECT_TRUE(d.run());
        EXPECT_EQ(d.flagA, c.a) << c.mode << " " << c.variant;
        EXPECT_EQ(d.flagB, c.b) << c.mode << " " << c.variant;
    }
}

TEST(CorrectionDesign, LoudnessTiltFollowsGain)
{
    Design a, b;
    for (Design* d : {&a, &b})
    {
        d->headphone = smoothCurve(gentle);
        d->loudness50 = smoothCurve(otherGentle);
    }
    b.loudness10 = smoothCurve(gentle);
    b.loudness90 = smoothCurve(otherGentle);
    ASSERT_TRUE(a.run());
    ASSERT_TRUE(b.run());
    EXPECT_EQ(0, std::memcmp(a.record, b.record, sizeof a.record)) << "Gain 0.5 ignores the contours";

    // A 90-phon contour 6 dB above the 50-phon one: Gain 1 adds 6 dB everywhere,
    // Gain 0.75 half the linear ratio.
    Design c;
    c.headphone = smoothCurve(gentle);
    c.loudness90 = flatCurve(6.0f);
    ASSERT_TRUE(c.run());
    const std::vector<float> untilted(c.array(desiredGainArray), c.array(desiredGainArray) + designFftSize);
    for (float gain : {1.0f, 0.75f})
    {
        c.params[gainParameter] = gain;
        ASSERT_TRUE(c.run());
        const float expected = gain == 1.0f ? 1.9952623f : 0.5f * 1.9952623f + 0.5f;
        for (int i = 0; i < designFftSize; ++i)
            ASSERT_NEAR(c.array(desiredGainArray)[i] / untilted[i], expected, 1e-5f) << gain << " " << i;
    }

    // Out-of-range "Gain" is clamped.
    b.params[gainParameter] = 3.0f;
    ASSERT_TRUE(b.run());
    const std::vector<float> clamped(b.array(desiredGainArray), b.array(desiredGainArray) + designFftSize);
    b.params[gainParameter] = 1.0f;
    ASSERT_TRUE(b.run());
    EXPECT_EQ(clamped, std::vector<float>(b.array(desiredGainArray), b.array(desiredGainArray) + designFftSize));
}

TEST(CorrectionDesign, RepeatableAndNonFiniteFitsAreNotPublished)
{
    Design d;
    d.headphone = smoothCurve(gentle);
    d.reference = smoothCurve(otherGentle);
    ASSERT_TRUE(d.run());
    float first[recordSize];
    std::copy(d.record, d.record + recordSize, first);
    ASSERT_TRUE(d.run());
    EXPECT_EQ(0, std::memcmp(first, d.record, sizeof first));

    // A worn curve far below any gain a float can hold: the design turns NaN and is dropped.
    d.headphone = flatCurve(-1e4f);
    EXPECT_FALSE(d.run());
    EXPECT_EQ(0, std::memcmp(first, d.record, sizeof first));
    d.headphone = smoothCurve(gentle);
    d.reference = flatCurve(1e4f);
    EXPECT_FALSE(d.run());
    EXPECT_EQ(0, std::memcmp(first, d.record, sizeof first));

    // A NaN in the target curve is clamped, not propagated.
    d.reference = smoothCurve(otherGentle);
    d.target[500] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(d.run());
    for (float c : d.record)
        ASSERT_TRUE(std::isfinite(c));
}

TEST(CorrectionFit, AgreesWithAnIndependentLeastSquaresSolve)
{
    const auto& t = sharedDesignTables();
    // A +6 dB, Q 2 peak at 3 kHz (minimum phase by construction).
    const double w0 = 2 * pi * 3000.0 / 48000.0, amp = std::pow(10.0, 6.0 / 40.0), alpha = std::sin(w0) / 4.0;
    const double b0 = 1 + alpha * amp, b1 = -2 * std::cos(w0), b2 = 1 - alpha * amp;
    const double a0 = 1 + alpha / amp, a2 = 1 - alpha / amp;
    std::vector<double> hRe(designBinCount), hIm(designBinCount);
    std::vector<Complex> h(designBinCount);
    for (int i = 0; i < designBinCount; ++i)
    {
        const Complex z1 = std::polar(1.0, -binAngle(i));
        h[i] = (b0 + b1 * z1 + b2 * z1 * z1) / (a0 + b1 * z1 + a2 * z1 * z1);
        hRe[i] = h[i].real();
        hIm[i] = h[i].imag();
    }
    double p[recordSize];
    fitCoefficients(sharedDesignTables().arrays(), hRe.data(), hIm.data(), p);

    // The stacked real system straight from the pole formula, solved by QR.
    Eigen::MatrixXd system(2 * designBinCount, recordSize);
    Eigen::VectorXd rhs(2 * designBinCount);
    for (int i = 0; i < designBinCount; ++i)
    {
        const double w = binAngle(i);
        for (int r = 0; r < recordSize; ++r)
        {
            Complex b;
            if (r < firstDirectTap)
                b = sectionResponse(t.poleA1, t.poleA2, r / 2, w) * ((r & 1) ? std::polar(1.0, -w) : Complex(1.0));
            else if (r < dryTap)
                b = std::polar(1.0, -double(float(r - firstDirectTap + 1) * float(float(i) / 8191.0f * pi)));
            else
                b = 1.0;
            system(i, r) = b.real();
            system(designBinCount + i, r) = b.imag();
        }
        rhs[i] = hRe[i];
        rhs[designBinCount + i] = hIm[i];
    }
    const Eigen::VectorXd q = system.colPivHouseholderQr().solve(rhs);
    const Eigen::Map<const Eigen::VectorXd> fitted(p, recordSize);
    const double residualDesign = (system * fitted - rhs).norm();
    const double residualQr = (system * q - rhs).norm();
    EXPECT_LE(residualDesign, (1 + 1e-6) * residualQr);
    EXPECT_LT((system * fitted - system * q).norm(), 1e-5 * rhs.norm());
    double worstDb = 0;
    for (int i = 17; i <= 5461; ++i)
    {
        const Complex got(double((system.row(i) * fitted)(0)), double((system.row(designBinCount + i) * fitted)(0)));
        worstDb = std::max(worstDb, std::fabs(decibels(std::abs(got) / std::abs(h[i]))));
    }
    EXPECT_LT(worstDb, 0.01);
}

TEST(CorrectionDesign, ChainResponseMatchesTheRequestedCorrection)
{
    const auto& t = sharedDesignTables();
    Design d;
    d.headphone = smoothCurve(gentle);
    d.reference = smoothCurve(otherGentle);
    d.nef = smoothCurve([](double hz) { return bell(hz, 600.0, 2.0, -2.0); });
    d.target.assign(designBinCount, 0.6f);
    ASSERT_TRUE(d.run());
    const auto h = d.requested();

    // The float record's analytic response on every bin from 50 Hz to 16 kHz.
    double worstDb = 0, worstEdgeDb = 0;
    for (int i = 1; i < designBinCount; ++i)
    {
        const double err =
            std::fabs(decibels(std::abs(recordResponse(d.record, t.poleA1, t.poleA2, binAngle(i))) / std::abs(h[i])));
        if (i >= 17 && i <= 5461)
            worstDb = std::max(worstDb, err);
        else
            worstEdgeDb = std::max(worstEdgeDb, err);
    }
    EXPECT_LT(worstDb, 0.25);
    EXPECT_LT(worstEdgeDb, 1.0);

    // The impulse through the chain's filter code, by direct DFT.
    const auto y = impulseResponse(d.record, t.poleA1, t.poleA2, 1 << 17);
    for (int i = 17; i <= 5461; i += 97)
    {
        const Complex measured = directDft(y, binAngle(i));
        EXPECT_LT(std::fabs(decibels(std::abs(measured) / std::abs(h[i]))), 0.25) << i;
        EXPECT_LT(std::abs(measured - recordResponse(d.record, t.poleA1, t.poleA2, binAngle(i))),
                  1e-3 * std::abs(measured)) << i;
    }
}

TEST(CorrectionDesign, LoudnessContoursFitAtFullGainWithBinZeroAsRatio)
{
    // Contours shaped like equal-loudness contours, relative to 1 kHz, steep at the
    // bottom: the plain contour gains at 0 Hz would sit some 60 dB away from bin 1.
    const std::vector<float> hz = {20, 25, 31.5, 40, 50, 63, 80, 100, 125, 160, 200, 250, 315, 400,
                                   500, 630, 800, 1000, 2000, 3150, 4000, 5000, 6300, 8000, 10000, 12500};
    const std::vector<float> db50 = {45, 40, 35, 30, 25, 20, 16, 13, 10, 8, 6, 4.5, 3, 2,
                                     1.3f, 0.6f, 0.1f, 0, -1, -4, -4.5f, -3, 2, 7, 9, 8};
    std::vector<float> db10, db90;
    for (float v : db50)
    {
        db10.push_back(1.4f * v);
        db90.push_back(0.5f * v);
    }
    const auto& t = sharedDesignTables();
    Design d;
    d.headphone = smoothCurve(gentle);
    d.reference = smoothCurve(otherGentle);
    d.loudness10 = makeCurve(hz, db10);
    d.loudness50 = makeCurve(hz, db50);
    d.loudness90 = makeCurve(hz, db90);
    d.params[gainParameter] = 1.0f;
    ASSERT_TRUE(d.run());
    const float* desired = d.array(desiredGainArray);
    EXPECT_NEAR(decibelsOf(desired[0]), decibelsOf(desired[1]), 3.0f);
    EXPECT_EQ(desired[0], desired[designFftSize - 1]);

    const auto h = d.requested();
    double worstDb = 0;
    for (int i = 17; i <= 5461; ++i)
        worstDb = std::max(worstDb, std::fabs(decibels(std::abs(recordResponse(d.record, t.poleA1, t.poleA2,
                                                                                 binAngle(i))) / std::abs(h[i]))));
    EXPECT_LT(worstDb, 0.25);
}
