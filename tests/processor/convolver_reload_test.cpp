// Reloading the place convolvers on the audio thread (a place change takes
// effect at the next block) allocates nothing once they have held responses
// of the same sizes: their storage is reused. Every operator new of this
// program is counted while a block runs.
#include <cmath>

#include "AllocationCounter.h"
#include "ControlsguiTestSupport.h"

namespace
{

std::vector<float> room(float decay, float pitch)
{
    std::vector<float> s(44100);
    for (size_t n = 0; n < s.size(); ++n)
        s[n] = std::exp(-float(n) / decay) * std::sin(float(n) * pitch);
    return s;
}

TEST(ConvolverReload, PlaceChangesAllocateNothing)
{
    qtest::DataFolder data;
    data.writeFlatGateCurves();
    data.writeImpulseListener();
    for (int k = 1; k <= 4; ++k)
    {
        const std::string n = std::to_string(k);
        data.writeWave("Places/Office/Quillatone_uff_" + n + ".wav", room(6000.0f, 0.37f * float(k)));
        data.writeWave("Places/Small_warm/Small_warm_" + n + ".wav", room(3000.0f, 0.21f * float(k)));
    }
    qtest::Instance fx;
    std::vector<float> l = qtest::sine(64, 1000, 0.5), r = qtest::sine(64, 300, 0.5);
    fx.set(15, 1.0f);  // PLACES
    allocationsOfOneBlock(fx, l, r);

    // Office, Small warm, Office again: each change reloads four convolvers
    // in the next block.
    for (const float place : {0.0f, 0.01f, 0.0f, 0.01f})
    {
        fx.set(25, place);
        EXPECT_EQ(allocationsOfOneBlock(fx, l, r), 0) << "place " << place;
        for (float v : l)
            ASSERT_TRUE(std::isfinite(v));
    }
}

} // namespace
