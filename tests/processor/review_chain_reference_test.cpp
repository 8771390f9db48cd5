// The processor against a reference of the rate path built step by step from
// the chain's stages: zero-stuffed 4x filter, the set-A value at the internal
// phase, the chain's gains (small signals, flat correction: linear), the
// set-B value at the output phase and the output peaking stage. Any slip in
// a phase, a position or the order of the steps shows as a difference far
// above the correction filter's fitting error.
#include "ChainStages.h"
#include "ControlsguiTestSupport.h"
#include "InterpolationFilter.h"

namespace
{

class ReferencePath
{
public:
    ReferencePath()
    {
        for (int k = 0; k < interpolation::coefficientCount; ++k)
            filter[k] = float(interpolation::designCoefficients[k]);
        state.reset();
        peaking.update(44100.0f / 48000.0f);
    }

    float run(float x)
    {
        for (int q = 0; q < 4; ++q)
        {
            chain::pushHistory(input, interpolation::runFilter(filter, state, q == 0 ? x : 0.0f));
            if (phase < quarter)
            {
                float c[6];
                chain::interpolatorCoefficients(chain::setA, input, c);
                while (phase < quarter)
                {
                    internalSample(chain::interpolate(c, float(phase / quarter) - 0.5f));
                    phase += step;
                }
            }
            phase -= quarter;
        }
        float c[6];
        chain::interpolatorCoefficients(chain::setB, output, c);
        const float o = chain::interpolate(c, (1.0f - float(phase / step)) - 0.5f);
        gateOpen = true;  // evaluated after the first frame
        return chain::runPeaking(peaking, peakingState, o);
    }

private:
    void internalSample(float s)
    {
        // Gain 6, the saturator's linear term (its 30 Hz stage and inverse
        // cancel), flat correction, gate, trim 1, 0.125.
        const float v = gateOpen ? float(6.0 * s * 1.01296461) : 0.0f;
        chain::pushHistory(output, 0.125f * v);
    }

    float filter[interpolation::coefficientCount];
    interpolation::FilterState state;
    float input[6] = {};
    float output[6] = {};
    const double step = double(1.0f / 48000.0f);
    const double quarter = double((1.0f / 48000.0f) * 0.25f);
    double phase = 0.0;
    bool gateOpen = false;
    chain::PeakingCoefficients peaking;
    chain::PeakingState peakingState;
};

TEST(ReviewChainReference, HeadphonesPathFollowsTheReferenceSampleBySample)
{
    qtest::DataFolder data;
    data.writeFlatGateCurves();
    qtest::Instance fx;
    fx.set(15, 0.5f);  // HEADPHONES A, flat curves

    // Broadband and small: tones from 200 Hz to 15 kHz at -50 dB or so.
    const size_t frames = 8192;
    std::vector<float> in(frames, 0.0f);
    for (double hz : {200.0, 1700.0, 5300.0, 9100.0, 15000.0})
    {
        const auto tone = qtest::sine(frames, hz, 0.002);
        for (size_t n = 0; n < frames; ++n)
            in[n] += tone[n];
    }
    std::vector<float> outL, outR;
    fx.run(in, in, outL, outR, 64);

    ReferencePath reference;
    double error = 0.0, energy = 0.0;
    for (size_t n = 0; n < frames; ++n)
    {
        const float expected = reference.run(in[n]);
        if (n >= 2048)
        {
            error += double(outL[n] - expected) * (outL[n] - expected);
            energy += double(expected) * expected;
        }
    }
    ASSERT_GT(energy, 0.0);
    EXPECT_LT(10 * std::log10(error / energy), -60.0);  // measured: about -78 dB
}

} // namespace
