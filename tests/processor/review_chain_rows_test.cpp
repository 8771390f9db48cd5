// Which listener rows the chain reads, seen from the output: every row of the
// listener tables is a unit impulse at its own delay, so the delay of an
// output pulse names the row. Covers the right input's rows, the azimuth
// blend weights and the four place sources at a negative elevation.
#include "ControlsguiTestSupport.h"

namespace
{

using qtest::DataFolder;
using qtest::Instance;

struct Outputs
{
    std::vector<float> left, right;
};

// A pulse at frame 200 on one input, silence on the other.
Outputs pulseThrough(Instance& fx, bool rightInput, size_t frames = 2048)
{
    const auto p = qtest::pulse(frames, 200);
    const std::vector<float> silence(frames, 0.0f);
    Outputs o;
    fx.run(rightInput ? silence : p, rightInput ? p : silence, o.left, o.right, 64);
    return o;
}

// Output latency of a row that is an impulse at tap 0.
size_t baseLatency(Instance& fx)
{
    fx.set(37, 0.1f);  // unit impulse ahead
    const size_t base = qtest::peakIndex(pulseThrough(fx, false).left);
    fx.set(37, 0.0f);
    return base;
}

class ReviewChainRows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        data.writeFlatGateCurves();
        data.writeImpulseListener();
        fx = std::make_unique<Instance>();
        fx->set(2, 0.06f);  // studio 6: no studio signal
        base = baseLatency(*fx);
    }

    size_t leftAt(int row) const { return base + size_t(DataFolder::leftDelay(row)); }
    size_t rightAt(int row) const { return base + size_t(DataFolder::rightDelay(row)); }

    DataFolder data;
    std::unique_ptr<Instance> fx;
    size_t base = 0;
};

TEST_F(ReviewChainRows, RightInputReadsTheRowsOfTheOppositeSide)
{
    // The right input reaches the right ear through hrirRight rows 50(18+a)+e
    // and the left ear through hrirLeft rows of the same number.
    struct Case
    {
        float azimuth, elevation;
        int row;
    };
    // Azimuth 0.5: a = 0; 1.0: a = -3 (f = 0); elevation 0.55: e = 0; 0.2: e = -5.
    for (const Case c : {Case{0.5f, 0.55f, 900}, Case{1.0f, 0.55f, 750}, Case{1.0f, 0.2f, 745}})
    {
        fx->set(3, c.azimuth);
        fx->set(4, c.elevation);
        const Outputs o = pulseThrough(*fx, true);
        EXPECT_EQ(qtest::peakIndex(o.right), rightAt(c.row)) << c.azimuth << " " << c.elevation;
        EXPECT_EQ(qtest::peakIndex(o.left), leftAt(c.row)) << c.azimuth << " " << c.elevation;
    }
}

TEST_F(ReviewChainRows, AzimuthFractionBlendsTheTwoNeighbouringBlocks)
{
    // Azimuth 0.25: A = 0.75 * 5.99 - 3 = 1.4925, a = 1, f = 0.4925; with
    // elevation 0.82 (e = 5) rows 355 and 405 weighted 0.5075 and 0.4925.
    // Azimuth 0.5: A = -0.005, a = 0, f = -0.005; with elevation 0.13
    // (e = -6) rows 294 and 344 weighted 1.005 and -0.005. The rows' pulses
    // lie well apart in both ears.
    struct Case
    {
        float azimuth, elevation;
        int row0, row1;
        double w0, w1;
    };
    for (const Case c : {Case{0.25f, 0.82f, 355, 405, 0.5075, 0.4925}, Case{0.5f, 0.13f, 294, 344, 1.005, -0.005}})
    {
        fx->set(3, c.azimuth);
        fx->set(4, c.elevation);
        const Outputs o = pulseThrough(*fx, false);
        const double a0 = o.left[leftAt(c.row0)];
        const double a1 = o.left[leftAt(c.row1)];
        ASSERT_GT(std::fabs(a0), 0.1) << c.azimuth;
        EXPECT_NEAR(a1 / a0, c.w1 / c.w0, 2e-4) << c.azimuth;
        // The right ear hears the left input through hrirRight rows of the
        // same numbers, with the same weights.
        EXPECT_NEAR(double(o.right[rightAt(c.row1)]) / o.right[rightAt(c.row0)], c.w1 / c.w0, 2e-4) << c.azimuth;
    }
}

TEST_F(ReviewChainRows, PlaceSourcesUseTheirOwnRowsAtNegativeElevation)
{
    // Place source k is an impulse at 400 (k - 1), so each source's row shows
    // as its own pulse.
    for (int k = 0; k < 4; ++k)
    {
        std::vector<float> response(1201, 0.0f);
        response[size_t(400 * k)] = 1.0f;
        data.writeWave("Places/Office/Quillatone_uff_" + std::to_string(k + 1) + ".wav", response);
    }
    // Azimuth 0.75: A = -1.5025, a = -1. Elevation 0.2: e = -5, e' = 45.
    fx->set(3, 0.75f);
    fx->set(4, 0.2f);
    fx->set(15, 1.0f);
    fx->set(25, 0.0f);
    const int rows[4] = {50 * 2 + 45 + 16, 50 * 20 + 45 + 32, 50 * 2 - 5 + 48, 50 * 20 - 5};
    const Outputs o = pulseThrough(*fx, false, 3072);
    const float peakL = std::fabs(o.left[qtest::peakIndex(o.left)]);
    const float peakR = std::fabs(o.right[qtest::peakIndex(o.right)]);
    ASSERT_GT(peakL, 1e-3f);
    for (int k = 0; k < 4; ++k)
    {
        EXPECT_NEAR(o.left[leftAt(rows[k]) + size_t(400 * k)], peakL, 1e-3f * peakL) << "source " << k + 1;
        EXPECT_NEAR(o.right[rightAt(rows[k]) + size_t(400 * k)], peakR, 1e-3f * peakR) << "source " << k + 1;
    }
    // The place path mixes the inputs to mono and scales by 0.125, against
    // the listener path's unit impulse: 0.5 * 0.125 of the base level.
    fx->set(15, 0.0f);
    fx->set(37, 0.1f);
    const Outputs dry = pulseThrough(*fx, false);
    EXPECT_NEAR(peakL / std::fabs(dry.left[base]), 0.0625, 1e-4);
}

} // namespace
