// The level of the dry HEADPHONES path with flat curves is the product of the
// chain's gains: 1/4 of the zero-stuffed 4x stage, 6 into the chain, the
// saturator's linear term 1.01296461, 0.125 after the gate and 0.5 * 6 of the
// output stage below its centre, times the trim.
#include "ControlsguiTestSupport.h"

namespace
{

double levelDb(qtest::Instance& fx, double hz)
{
    std::vector<float> outL, outR;
    const auto in = qtest::sine(24000, hz, 0.1);
    fx.run(in, in, outL, outR, 64);
    EXPECT_NEAR(qtest::rms(outR, 12000), qtest::rms(outL, 12000), 1e-4 * qtest::rms(outL, 12000));
    return 20 * std::log10(qtest::rms(outL, 12000) / qtest::rms(in, 12000));
}

TEST(ReviewChainLevel, DryHeadphonesPathIsTheProductOfTheChainGains)
{
    qtest::DataFolder data;
    data.writeFlatGateCurves();
    qtest::Instance fx;
    fx.set(15, 0.5f);  // HEADPHONES A, emulating a flat curve
    const double expected = 20 * std::log10(0.25 * 6.0 * 1.01296461 * 0.125 * (0.5 * 6.0) * 2.0);
    EXPECT_NEAR(levelDb(fx, 100.0), expected, 0.02);
    EXPECT_NEAR(levelDb(fx, 1000.0), expected, 0.02);

    // Trim 28 + 3 * 1 + 0 at 0.6: +3 dB.
    fx.set(31, 0.6f);
    EXPECT_NEAR(levelDb(fx, 1000.0), expected + 3.0, 0.02);
    // Other modes' trims do not touch it.
    fx.set(28, 0.0f);
    fx.set(34, 1.0f);
    EXPECT_NEAR(levelDb(fx, 1000.0), expected + 3.0, 0.02);
}

} // namespace

namespace
{

TEST(ReviewChainLevel, NonFiniteInputSamplesEnterAsSilence)
{
    // One NaN or infinite frame from the host would otherwise stay in the
    // recursive states and leave every later output NaN.
    qtest::DataFolder data;
    data.writeFlatGateCurves();
    const auto clean = qtest::sine(4096, 1000, 0.1);
    auto zeroed = clean;
    zeroed[100] = 0.0f;
    std::vector<float> refL, refR;
    {
        qtest::Instance fx;
        fx.set(15, 0.5f);
        fx.run(zeroed, zeroed, refL, refR, 64);
    }
    for (float bad : {NAN, INFINITY, -INFINITY})
    {
        qtest::Instance fx;
        fx.set(15, 0.5f);
        auto in = clean;
        in[100] = bad;
        std::vector<float> outL, outR;
        fx.run(in, clean, outL, outR, 64);
        std::vector<float> outL2, outR2;
        fx.run(clean, in, outL2, outR2, 64);  // and on the right input
        EXPECT_EQ(outL, refL) << bad;
        for (size_t n = 0; n < outR2.size(); ++n)
            ASSERT_TRUE(std::isfinite(outR2[n])) << bad << " frame " << n;
        EXPECT_TRUE(std::isfinite(*fx.object().getInputPeakRight()));
    }
}

} // namespace

namespace
{

TEST(ReviewChainLevel, MissingInputBuffersGiveSilentOutputs)
{
    qtest::DataFolder data;
    qtest::Instance fx;
    std::vector<float> left(64, 7.0f), right(64, 7.0f);
    float* outs[2] = {left.data(), right.data()};
    float* noInputs[2] = {nullptr, nullptr};
    fx.effect->processReplacing(fx.effect, noInputs, outs, 64);
    EXPECT_EQ(left, std::vector<float>(64, 0.0f));
    EXPECT_EQ(right, std::vector<float>(64, 0.0f));
    EXPECT_EQ(*fx.object().getOutputPeakLeft(), 0.0f);
}

} // namespace
