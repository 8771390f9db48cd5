// The chain run in stages over the block against the frame-by-frame road,
// which feeds every convolver one sample per call: two effects get the same
// input in the same blocks (sizes 1 to beyond the announced 512, odd ones
// too) and the same changes between blocks (variants, rows, studio, place,
// program, sample rate). Where no convolver runs the outputs are the same
// bit for bit; with convolvers they differ only by the engine's rounding for
// calls of other lengths.
#include <functional>

#include "AllocationCounter.h"
#include "ControlsguiTestSupport.h"

namespace
{

using qtest::DataFolder;
using qtest::Instance;

// A decaying noise response of 44,100 samples: every stage of the
// convolvers (head, first tail block, long tail) has work.
std::vector<float> room(uint32_t seed)
{
    std::vector<float> h(44100);
    for (size_t n = 0; n < h.size(); ++n)
    {
        seed = seed * 1664525u + 1013904223u;
        h[n] = float(int32_t(seed)) * 4.6e-10f * std::exp(-float(n) / 9000.0f);
    }
    return h;
}

void writeData(const DataFolder& data)
{
    data.writeFlatGateCurves();
    data.writeImpulseListener();
    for (int k = 1; k <= 4; ++k)
    {
        data.writeWave("Places/Office/Quillatone_uff_" + std::to_string(k) + ".wav", room(uint32_t(k)));
        data.writeWave("Places/Punto/Punto_center_" + std::to_string(k) + ".wav", room(uint32_t(10 + k)));
    }
}

// Largest staged-against-reference difference allowed, relative to the
// output's peak, where convolvers run.
constexpr double roundingBound = 1e-5;

using Change = std::function<void(Instance&)>;

struct Difference
{
    double worst = 0.0;  // largest |staged - reference|
    double peak = 0.0;   // largest |reference|
};

// Runs both roads from `setup` over blocks of the sizes below, applying the
// changes in turn after every block.
Difference compareRoads(const Change& setup, const std::vector<Change>& changes)
{
    static const int sizes[] = {64, 1, 3, 64, 17, 256, 257, 1000, 4096, 4099, 63, 512, 2, 129, 700, 5};
    Instance reference, staged;
    reference.object().setFrameByFrame(true);
    setup(reference);
    setup(staged);

    Difference d;
    uint32_t seed = 7;
    long time = 0;
    size_t changeIndex = 0;
    for (int round = 0; round < 2; ++round)
        for (const int frames : sizes)
        {
            std::vector<float> inL(static_cast<size_t>(frames)), inR(static_cast<size_t>(frames));
            for (int n = 0; n < frames; ++n, ++time)
            {
                seed = seed * 1664525u + 1013904223u;
                const double t = double(time) / 48000.0;
                const float noise = float(int32_t(seed)) * 4.6e-12f;  // about -50 dB
                inL[size_t(n)] = float(0.3 * std::sin(2 * 3.14159265 * 440 * t) + 0.1 * std::sin(2 * 3.14159265 * 3100 * t)) + noise;
                inR[size_t(n)] = float(0.3 * std::sin(2 * 3.14159265 * 150 * t) + 0.05 * std::sin(2 * 3.14159265 * 9000 * t)) - noise;
            }
            std::vector<float> refL, refR, outL, outR;
            reference.run(inL, inR, refL, refR, frames);
            staged.run(inL, inR, outL, outR, frames);
            for (size_t n = 0; n < refL.size(); ++n)
            {
                d.worst = std::max({d.worst, std::fabs(double(outL[n]) - refL[n]), std::fabs(double(outR[n]) - refR[n])});
                d.peak = std::max({d.peak, std::fabs(double(refL[n])), std::fabs(double(refR[n]))});
            }
            EXPECT_EQ(*staged.object().getInputPeakRight(), *reference.object().getInputPeakRight());
            EXPECT_NEAR(*staged.object().getOutputPeakLeft(), *reference.object().getOutputPeakLeft(),
                        roundingBound * (1.0 + *reference.object().getOutputPeakLeft()));
            if (!changes.empty())
            {
                changes[changeIndex % changes.size()](reference);
                changes[changeIndex % changes.size()](staged);
                ++changeIndex;
            }
        }
    return d;
}

Change set(int index, float value)
{
    return [=](Instance& fx) { fx.set(index, value); };
}

Change rate(float hz)
{
    return [=](Instance& fx) { fx.dispatch(effSetSampleRate, 0, 0, nullptr, hz); };
}

TEST(StagedChain, HeadphonesIsBitIdenticalInEveryVariant)
{
    DataFolder data;
    writeData(data);
    const auto d = compareRoads(set(15, 0.5f), {set(17, 0.5f), set(3, 0.3f), set(17, 1.0f), rate(44100.0f),
                                               set(6, 0.8f), set(17, 0.0f), rate(96000.0f), set(0, 0.0f)});
    EXPECT_GT(d.peak, 1e-3);
    EXPECT_EQ(d.worst, 0.0);
}

TEST(StagedChain, MixMatchesInEveryVariantAndStudio)
{
    DataFolder data;
    writeData(data);
    const auto d = compareRoads(set(2, 0.01f), {set(37, 0.0f), set(16, 0.5f), set(3, 0.8f), set(2, 0.03f),
                                               set(16, 1.0f), rate(44100.0f), set(37, 0.1f), set(4, 0.2f),
                                               set(16, 0.0f), set(2, 0.0f)});
    EXPECT_GT(d.peak, 1e-3);
    EXPECT_LE(d.worst, roundingBound * d.peak);
}

TEST(StagedChain, PlacesMatchesAcrossPlaceProgramAndRateChanges)
{
    DataFolder data;
    writeData(data);
    const Change program = [](Instance& fx) { fx.dispatch(effSetProgram, 0, 3); };
    const auto d = compareRoads(set(15, 1.0f), {set(3, 0.2f), set(18, 0.5f), rate(48000.0f), set(4, 0.9f),
                                               set(18, 0.0f), set(25, 0.02f), set(25, 0.0f), program,
                                               set(15, 1.0f), rate(88200.0f), set(7, 0.7f)});
    EXPECT_GT(d.peak, 1e-3);
    EXPECT_LE(d.worst, roundingBound * d.peak);
}

TEST(StagedChain, OneFrameBlocksAreBitIdenticalWithConvolvers)
{
    // One frame per block feeds the convolvers the calls the reference makes.
    DataFolder data;
    writeData(data);
    for (const float mode : {0.0f, 1.0f})
    {
        Instance reference, staged;
        reference.object().setFrameByFrame(true);
        for (Instance* fx : {&reference, &staged})
            fx->set(15, mode);
        const auto inL = qtest::sine(9000, 440, 0.4), inR = qtest::sine(9000, 1300, 0.3);
        std::vector<float> refL, refR, outL, outR;
        reference.run(inL, inR, refL, refR, 1);
        staged.run(inL, inR, outL, outR, 1);
        EXPECT_GT(qtest::rms(refL, 0), 1e-3);
        EXPECT_EQ(outL, refL);
        EXPECT_EQ(outR, refR);
    }
}

TEST(StagedChain, BlocksLongerThanAnnouncedAllocateNothing)
{
    // Announced 512; blocks of 1 and of 4099 frames after a place change,
    // taken by a 64-frame block first.
    DataFolder data;
    writeData(data);
    Instance fx;
    fx.set(15, 1.0f);
    fx.set(25, 0.0f);
    std::vector<float> l = qtest::sine(4099, 300, 0.5), r = qtest::sine(4099, 700, 0.5);
    allocationsOfOneBlock(fx, l, r);
    for (const int frames : {4099, 1, 4099})
    {
        float* ins[2] = {l.data(), r.data()};
        std::vector<float> outL(l.size()), outR(r.size());
        float* outs[2] = {outL.data(), outR.data()};
        allocations = 0;
        counting = true;
        fx.effect->processReplacing(fx.effect, ins, outs, frames);
        counting = false;
        EXPECT_EQ(allocations.load(), 0) << frames;
        EXPECT_GT(*fx.object().getOutputPeakLeft(), 0.0f);
    }
}

} // namespace
