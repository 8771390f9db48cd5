// Designs that build their own fit matrices: the magnitude pair, the built-in
// curve table and curves a test supplies, each checked against a filter whose
// response is known.
#include "BuiltInCurves.h"
#include "ControlsguiTestSupport.h"
#include "CorrectionTestSupport.h"
#include "SelfContainedDesign.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace correction_test;

namespace
{
struct Poles
{
    float a1[sectionCount], a2[sectionCount];
    Poles() { computeCorrectionPoles(a1, a2); }
};

// A peaking filter (+6 dB, Q 2 at 3 kHz, 48 kHz): minimum phase, and not one of
// the fixed-pole sections, so the fit can only approximate it.
struct Peak
{
    double b[3], a[3];
    explicit Peak(double gainDb)
    {
        const double amplitude = std::pow(10.0, gainDb / 40.0);
        const double w0 = 2.0 * pi * 3000.0 / 48000.0;
        const double alpha = std::sin(w0) / (2.0 * 2.0);
        b[0] = 1 + alpha * amplitude, b[1] = -2 * std::cos(w0), b[2] = 1 - alpha * amplitude;
        a[0] = 1 + alpha / amplitude, a[1] = -2 * std::cos(w0), a[2] = 1 - alpha / amplitude;
    }
    Complex at(double w) const
    {
        const Complex z1 = std::polar(1.0, -w), z2 = z1 * z1;
        return (b[0] + b[1] * z1 + b[2] * z2) / (a[0] + a[1] * z1 + a[2] * z2);
    }
};

// |1 - 0.5 z^-1|: minimum phase and exactly a sum of the direct taps.
Complex oneZero(double w) { return 1.0 - 0.5 * std::polar(1.0, -w); }

// Largest level error (dB) and phase error (rad) of a record against a known
// response over the design bins from 50 Hz to 16 kHz.
struct FitError
{
    double db = 0, radians = 0;
};
template <typename Response>
FitError fitError(const float* record, const Poles& poles, Response known)
{
    FitError e;
    for (int i = 0; i < designBinCount; ++i)
    {
        const double hz = i * 2.9300451;
        if (hz < 50.0 || hz > 16000.0)
            continue;
        const double w = binAngle(i);
        const Complex ratio = recordResponse(record, poles.a1, poles.a2, w) / known(w);
        e.db = std::max(e.db, std::fabs(decibels(std::abs(ratio))));
        e.radians = std::max(e.radians, std::fabs(std::arg(ratio)));
    }
    return e;
}

void expectFlat(const float* record)
{
    EXPECT_NEAR(record[dryTap], 1.0f, 1e-6f);
    for (int r = 0; r < dryTap; ++r)
        ASSERT_LE(std::fabs(record[r]), 1e-5f) << "coefficient " << r;
}

// Magnitudes on the pair's grid, bin k at pi k / 8192.
template <typename Response>
std::vector<float> magnitudes(Response response)
{
    std::vector<float> m(designBinCount + 1);
    for (int k = 0; k <= designBinCount; ++k)
        m[k] = float(std::abs(response(pi * k / 8192.0)));
    return m;
}

std::vector<float> ones() { return std::vector<float>(designBinCount + 1, 1.0f); }
}

TEST(MagnitudePairDesign, EqualMagnitudesGiveAFlatRecordAndLowValuesAreRaised)
{
    const Poles poles;
    std::vector<float> a(designBinCount + 1, 0.0f), b(designBinCount + 1, 0.0f);
    a[5] = std::numeric_limits<float>::quiet_NaN();
    b[7] = -3.0f;
    float record[recordSize];
    std::fill(record, record + recordSize, 9.0f);
    ASSERT_TRUE(designFromMagnitudePair(a.data(), b.data(), poles.a1, poles.a2, record));
    EXPECT_EQ(a[5], 0.001f);
    EXPECT_EQ(b[7], 0.001f);
    EXPECT_EQ(*std::min_element(a.begin(), a.end()), 0.001f);
    expectFlat(record);
}

TEST(MagnitudePairDesign, KnownMinimumPhaseFiltersComeBack)
{
    const Poles poles;
    float record[recordSize];

    auto b = magnitudes(oneZero);
    auto a = ones();
    ASSERT_TRUE(designFromMagnitudePair(a.data(), b.data(), poles.a1, poles.a2, record));
    FitError e = fitError(record, poles, oneZero);
    EXPECT_LT(e.db, 0.01);
    EXPECT_LT(e.radians, 1e-3);

    // b / a: the peak in a gives its inverse, a cut.
    const Peak peak(6.0);
    a = magnitudes([&](double w) { return peak.at(w); });
    b = ones();
    ASSERT_TRUE(designFromMagnitudePair(a.data(), b.data(), poles.a1, poles.a2, record));
    e = fitError(record, poles, [&](double w) { return 1.0 / peak.at(w); });
    EXPECT_LT(e.db, 0.05);
    EXPECT_LT(e.radians, 0.005);
}

TEST(MagnitudePairDesign, InfiniteMagnitudeLeavesTheRecord)
{
    const Poles poles;
    auto a = ones(), b = ones();
    b[100] = std::numeric_limits<float>::infinity();
    float record[recordSize];
    std::fill(record, record + recordSize, 9.0f);
    EXPECT_FALSE(designFromMagnitudePair(a.data(), b.data(), poles.a1, poles.a2, record));
    EXPECT_EQ(record[0], 9.0f);
}

TEST(BuiltInCurveTable, ElevenCurvesOfTheGivenCountsAtZeroDecibels)
{
    const int counts[] = {33, 45, 45, 29, 26, 16, 16, 22, 77, 70, 76};
    for (int m = 0; m < builtInCurveCount; ++m)
    {
        const BuiltInCurve& c = builtInCurve(m);
        ASSERT_EQ(c.count, counts[m]);
        EXPECT_FLOAT_EQ(c.hz[0], 20.0f);
        EXPECT_FLOAT_EQ(c.hz[c.count - 1], 24000.0f);
        const double ratio = double(c.hz[1]) / c.hz[0];
        for (int j = 1; j < c.count; ++j)
        {
            EXPECT_NEAR(double(c.hz[j]) / c.hz[j - 1], ratio, 1e-5 * ratio) << m << " " << j;
            EXPECT_EQ(c.firstDb[j], 0.0f);
            EXPECT_EQ(c.secondDb[j], 0.0f);
        }
    }
    EXPECT_EQ(&builtInCurve(-4), &builtInCurve(0));
    EXPECT_EQ(&builtInCurve(11), &builtInCurve(10));
}

TEST(CurveDesign, BuiltInAndSuppliedCurvesFitTheirResponse)
{
    const Poles poles;
    std::vector<float> desired(designFftSize);
    float record[recordSize];

    const BuiltInCurve& built = builtInCurve(8);
    const CurveList flat = makeCurve(std::vector<float>(built.hz, built.hz + built.count),
                                     std::vector<float>(built.firstDb, built.firstDb + built.count));
    ASSERT_TRUE(designFromCurve(flat, poles.a1, poles.a2, desired.data(), record));
    EXPECT_EQ(desired[0], 1.0f);
    EXPECT_EQ(desired[designFftSize - 1], 1.0f);
    expectFlat(record);

    // The peak's level, read off at 400 log-spaced points, gives the peak back.
    const Peak peak(6.0);
    std::vector<float> hz, db;
    for (int j = 0; j < 400; ++j)
    {
        const double f = 20.0 * std::pow(1200.0, j / 399.0);
        hz.push_back(float(f));
        db.push_back(float(decibels(std::abs(peak.at(2.0 * pi * f / 48000.0)))));
    }
    ASSERT_TRUE(designFromCurve(makeCurve(hz, db), poles.a1, poles.a2, desired.data(), record));
    const FitError e = fitError(record, poles, [&](double w) { return peak.at(w); });
    EXPECT_LT(e.db, 0.05);
    EXPECT_LT(e.radians, 0.005);
}

class ProcessorCurveDesign : public ::testing::Test
{
protected:
    qtest::DataFolder folder;
};

TEST_F(ProcessorCurveDesign, WritesOnlyAValidRecordOfTheTable)
{
    qtest::Instance fx;
    ASSERT_NE(fx.effect, nullptr);
    Controlsgui* p = &fx.object();
    std::vector<float> records(10 * recordSize, 9.0f);
    float* table[10];
    for (int r = 0; r < 10; ++r)
        table[r] = &records[std::size_t(r) * recordSize];
    table[3] = nullptr;

    p->designFromBuiltInCurve(99, table, 1);
    expectFlat(table[1]);
    EXPECT_EQ(table[0][dryTap], 9.0f);
    p->designFromBuiltInCurve(0, table, 3);   // no record there
    p->designFromBuiltInCurve(0, table, 10);  // beyond the table
    p->designFromBuiltInCurve(0, nullptr, 0);
    EXPECT_TRUE(std::all_of(records.begin(), records.begin() + recordSize, [](float v) { return v == 9.0f; }));

    auto a = magnitudes(oneZero), b = ones();
    p->designFromMagnitudePair(a.data(), b.data(), table[2]);  // the inverse of the zero
    EXPECT_LT(fitError(table[2], Poles(), [](double w) { return 1.0 / oneZero(w); }).db, 0.05);
}

// Worn headphones 6 dB loud against a flat emulated pair: the running
// correction takes 6 dB off, until the flat built-in curve 0 replaces it.
TEST_F(ProcessorCurveDesign, CurveZeroReplacesTheRunningCorrection)
{
    folder.writeFlatGateCurves();
    folder.writeCurve("HP/HD25 Aluminium.hps", {0.0f, 1000.0f, 24000.0f}, {6.0f, 6.0f, 6.0f});
    qtest::Instance fx;
    ASSERT_NE(fx.effect, nullptr);
    fx.set(15, 0.5f);  // HEADPHONES A
    auto level = [&] {
        std::vector<float> outL, outR;
        const auto in = qtest::sine(24000, 1000.0, 0.1);
        fx.run(in, in, outL, outR, 64);
        return 20 * std::log10(qtest::rms(outL, 12000) / qtest::rms(in, 12000));
    };
    const double corrected = level();
    fx.object().designFromBuiltInCurveZero();
    EXPECT_NEAR(level() - corrected, 6.0, 0.05);
}
