// The signal chain through the host: modes and their routing, the gate, the
// level of the dry path, block-size invariance, in-place buffers, the right
// output with one input, and the rows picked by azimuth and elevation.
#include "ControlsguiTestSupport.h"

namespace
{

using qtest::DataFolder;
using qtest::Instance;

TEST(ControlsguiChain, EveryModeSetsItsRoutingFlags)
{
    DataFolder data;
    Instance fx;
    auto r = fx.object().getRouting();
    fx.set(15, 0.5f);  // HEADPHONES, variant 0
    r = fx.object().getRouting();
    EXPECT_FALSE(r.hrirPathOn || r.studioConvolverOn || r.placeConvolverOn || r.curveFlagB);
    EXPECT_TRUE(r.curveFlagA);
    fx.set(17, 1.0f);  // variant C
    r = fx.object().getRouting();
    EXPECT_TRUE(r.curveFlagB && !r.curveFlagA);
    fx.set(15, 1.0f);  // PLACES
    r = fx.object().getRouting();
    EXPECT_TRUE(r.hrirPathOn && r.placeConvolverOn && !r.studioConvolverOn && !r.curveFlagA && !r.curveFlagB);
    fx.set(15, 0.0f);  // MIX
    fx.set(37, 0.0f);
    r = fx.object().getRouting();
    EXPECT_TRUE(r.hrirPathOn && r.curveFlagA && !r.curveFlagB && r.studioConvolverOn && !r.placeConvolverOn);
    // Index 25 switches the flags to PLACES without touching the mode.
    fx.set(25, 0.01f);
    r = fx.object().getRouting();
    EXPECT_TRUE(r.placeConvolverOn && !r.studioConvolverOn);
    EXPECT_EQ(fx.get(15), 0.0f);
}

TEST(ControlsguiChain, GateStaysClosedWithoutCurvesExceptInPlaces)
{
    DataFolder data;
    Instance fx;
    std::vector<float> outL, outR;
    const auto in = qtest::sine(4096, 1000, 0.5);
    fx.run(in, in, outL, outR, 64);
    EXPECT_EQ(qtest::rms(outL, 0), 0.0);  // MIX: no curves, no sound
    EXPECT_FALSE(fx.object().isHeadphoneCurveLoaded());
    fx.set(15, 0.5f);
    fx.run(in, in, outL, outR, 64);
    EXPECT_EQ(qtest::rms(outL, 0), 0.0);

    // PLACES is not gated: with a place response it sounds.
    std::vector<float> impulse(100, 0.0f);
    impulse[0] = 1.0f;
    data.writeImpulseListener();
    data.writeWave("Places/Office/Quillatone_uff_1.wav", impulse);
    fx.set(1, 0.0f);  // reloads listener 0
    fx.set(15, 1.0f);
    fx.set(25, 0.0f);  // Office; the convolvers reload at the next block
    fx.run(in, in, outL, outR, 64);
    EXPECT_GT(qtest::rms(outL, 2048), 1e-3);
}

TEST(ControlsguiChain, DryHeadphonesPathWithFlatCurvesIsNearUnity)
{
    DataFolder data;
    data.writeFlatGateCurves();
    Instance fx;
    EXPECT_TRUE(fx.object().isHeadphoneCurveLoaded());
    fx.set(15, 0.5f);  // HEADPHONES A, emulating row 0 (flat)
    EXPECT_TRUE(fx.object().isReferenceCurveLoaded());
    std::vector<float> outL, outR;
    const auto in = qtest::sine(24000, 1000, 0.5);
    fx.run(in, in, outL, outR, 64);
    const double gainDb = 20 * std::log10(qtest::rms(outL, 12000) / qtest::rms(in, 12000));
    EXPECT_NEAR(gainDb, 0.0, 1.5);
    EXPECT_NEAR(qtest::rms(outR, 12000), qtest::rms(outL, 12000), 1e-3);

    // A hostile worn curve closes the gate again.
    data.writeCurve("HP/MK801.hps", {0.0f, NAN, 24000.0f}, {0.0f, 0.0f, 0.0f});
    fx.set(0, 0.0f);  // worn row 0, now invalid
    EXPECT_FALSE(fx.object().isHeadphoneCurveLoaded());
    fx.run(in, in, outL, outR, 64);
    EXPECT_LT(qtest::rms(outL, 100), 1e-6);
}

std::vector<float> render(int blockSize, bool inPlace)
{
    Instance fx;
    fx.set(2, 0.01f);  // studio 1: synthesised responses
    fx.set(37, 0.0f);  // listener rows
    std::vector<float> inL = qtest::sine(3000, 440, 0.4), inR = qtest::sine(3000, 1300, 0.3);
    std::vector<float> outL, outR;
    if (!inPlace)
        fx.run(inL, inR, outL, outR, blockSize);
    else
    {
        for (size_t start = 0; start < inL.size(); start += size_t(blockSize))
        {
            float* io[2] = {inL.data() + start, inR.data() + start};
            fx.effect->processReplacing(fx.effect, io, io, int(std::min(inL.size() - start, size_t(blockSize))));
        }
        outL = inL;
        outR = inR;
    }
    outL.insert(outL.end(), outR.begin(), outR.end());
    return outL;
}

TEST(ControlsguiChain, OutputDoesNotDependOnBlockSizeOrBufferSharing)
{
    DataFolder data;
    data.writeFlatGateCurves();
    data.writeImpulseListener();
    const auto reference = render(64, false);
    EXPECT_GT(qtest::rms(reference, 0), 1e-3);
    EXPECT_EQ(render(64, true), reference);
    // The studio convolvers are fed the block at once: other block sizes
    // differ only by their rounding.
    const double peak = std::fabs(reference[qtest::peakIndex(reference)]);
    for (const int blockSize : {1, 512})
    {
        const auto other = render(blockSize, false);
        ASSERT_EQ(other.size(), reference.size());
        for (size_t n = 0; n < other.size(); ++n)
            ASSERT_NEAR(other[n], reference[n], 1e-5 * peak) << "block size " << blockSize << ", sample " << n;
    }
}

TEST(ControlsguiChain, SecondOutputCarriesTheLeftResultWhenTheSecondInputIsUnconnected)
{
    DataFolder data;
    data.writeFlatGateCurves();
    Instance fx(1);
    EXPECT_FALSE(fx.object().isStereoOutput());
    fx.set(15, 0.5f);
    std::vector<float> outL, outR(2048, 123.0f);
    const auto inL = qtest::sine(2048, 500, 0.5);
    const std::vector<float> inR(2048, 0.0f);
    fx.run(inL, inR, outL, outR, 128);
    EXPECT_EQ(outR, outL);
    EXPECT_EQ(*fx.object().getOutputPeakRight(), *fx.object().getOutputPeakLeft());

    float* none[2] = {nullptr, nullptr};
    fx.effect->processReplacing(fx.effect, none, none, 64);  // refused, nothing written
    float in[4] = {}, out[4] = {};
    float* ins[2] = {in, in};
    float* outs[2] = {out, out};
    fx.effect->processReplacing(fx.effect, ins, outs, 0);
    EXPECT_EQ(*fx.object().getInputPeakLeft(), 0.0f);
    EXPECT_EQ(*fx.object().getOutputPeakRight(), 0.0f);
}

// Latency of the chain for a pulse through a row that is an impulse at tap d:
// the output peak sits at pulse + chainDelay + d.
size_t peakOfLeftPulse(Instance& fx, std::vector<float>* right = nullptr, std::vector<float>* left = nullptr)
{
    std::vector<float> outL, outR;
    const auto inL = qtest::pulse(2048, 200);
    const std::vector<float> inR(2048, 0.0f);
    fx.run(inL, inR, outL, outR, 64);
    if (right)
        *right = outR;
    if (left)
        *left = outL;
    return qtest::peakIndex(outL);
}

TEST(ControlsguiChain, AzimuthAndElevationPickTheirListenerRows)
{
    DataFolder data;
    data.writeFlatGateCurves();
    data.writeImpulseListener();
    // Left-to-right response: -0.5 at tap 30, so g = 1 / 0.5 = 2.
    std::vector<float> ltor(218, 0.0f);
    ltor[30] = -0.5f;
    data.writeFloats("bin/Quillatoneltor003.hrt", ltor);
    Instance fx;
    fx.set(2, 0.06f);  // studio 6: no studio signal

    // Moveable 0.1: the unit impulse ahead, the left-to-right response across.
    std::vector<float> left, right;
    const size_t base = peakOfLeftPulse(fx, &right, &left);
    const size_t across = qtest::peakIndex(right);
    EXPECT_EQ(across, base + 30);
    EXPECT_NEAR(right[across], -left[base], 1e-3 * std::fabs(left[base]));

    fx.set(37, 0.0f);
    struct Case
    {
        float azimuth, elevation;
        int row;
    };
    // Default: a = 0, e = 0 -> row 300 (weight 1.005). Azimuth 1: a = -3 ->
    // row 150. Azimuth 0: a = 2, f = 0.99 -> row 450. Elevation 0 -> e = -8,
    // elevation 1 -> e = 7.
    for (const Case c : {Case{0.5f, 0.55f, 300}, Case{1.0f, 0.55f, 150}, Case{0.0f, 0.55f, 450},
                         Case{0.5f, 0.0f, 292}, Case{0.5f, 1.0f, 307}})
    {
        fx.set(3, c.azimuth);
        fx.set(4, c.elevation);
        std::vector<float> r;
        const size_t peak = peakOfLeftPulse(fx, &r);
        EXPECT_EQ(peak, base + size_t(DataFolder::leftDelay(c.row))) << c.azimuth << " " << c.elevation;
        // Right ear from the left input: the right table's row of the same
        // direction (50(6+a)+e).
        EXPECT_EQ(qtest::peakIndex(r), base + size_t(DataFolder::rightDelay(c.row))) << c.azimuth;
    }

    // PLACES, source 1 only: row 50 * 3 + 0 + 16 = 166 of each ear.
    std::vector<float> impulse(64, 0.0f);
    impulse[0] = 1.0f;
    data.writeWave("Places/Office/Quillatone_uff_1.wav", impulse);
    fx.set(3, 0.5f);
    fx.set(4, 0.55f);
    fx.set(15, 1.0f);
    fx.set(25, 0.0f);
    std::vector<float> r;
    const size_t placePeak = peakOfLeftPulse(fx, &r);
    EXPECT_EQ(placePeak, base + size_t(DataFolder::leftDelay(166)));
    EXPECT_EQ(qtest::peakIndex(r), base + size_t(DataFolder::rightDelay(166)));
}

TEST(ControlsguiChain, SampleRateChangesKeepTheChainRunning)
{
    DataFolder data;
    data.writeFlatGateCurves();
    Instance fx;
    fx.set(15, 0.5f);
    fx.dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    EXPECT_EQ(fx.object().getInternalRate(), 96000.0f);
    fx.dispatch(effSetSampleRate, 0, 0, nullptr, NAN);
    fx.dispatch(effSetSampleRate, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(fx.object().getInternalRate(), 96000.0f);
    std::vector<float> outL, outR;
    const auto in = qtest::sine(8192, 1000, 0.5);
    fx.run(in, in, outL, outR, 64);
    EXPECT_GT(qtest::rms(outL, 4096), 0.1);
}

} // namespace
