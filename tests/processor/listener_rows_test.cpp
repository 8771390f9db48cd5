// The listener path's row products against their scalar formula, bit for
// bit, in the processor's own pass and in the four-lane one.
#include <gtest/gtest.h>

#include <random>

#include "ListenerRows.h"

namespace
{

using listenerrows::taps;

// Direct even and odd, cross even and odd partial sums.
float referenceDot(const float* direct, const float* cross, const float* own, const float* other)
{
    float s[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    for (int t = 0; t < taps; t += 2)
    {
        s[0] += direct[t] * own[t];
        s[1] += direct[t + 1] * own[t + 1];
        s[2] += cross[t] * other[t];
        s[3] += cross[t + 1] * other[t + 1];
    }
    return (s[0] + s[2]) + (s[1] + s[3]);
}

TEST(ListenerRows, BothPassesGiveTheBitsOfTheScalarFormula)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    float rows[4][taps];  // left direct, left cross, right direct, right cross
    for (auto& row : rows)
        for (float& v : row)
            v = value(random);
    listenerrows::LaidOutRows laidOut;
    laidOut.set(rows);
    // 700 samples through the delay (it wraps twice); newest first below.
    std::vector<float> dL, dR;
    listenerrows::PairedDelay delay;
    delay.clear();
    const float(*newest)[4] = nullptr;
    for (int n = 0; n < 700; ++n)
    {
        dL.insert(dL.begin(), value(random) * 100.0f);
        dR.insert(dR.begin(), value(random) * 100.0f);
        newest = delay.push(dL[0], dR[0]);
    }
    const float left = referenceDot(rows[0], rows[1], dL.data(), dR.data());
    const float right = referenceDot(rows[2], rows[3], dR.data(), dL.data());
    float l, r;
    listenerrows::listenerDots(laidOut, newest, l, r);
    EXPECT_EQ(l, left);
    EXPECT_EQ(r, right);
    listenerrows::listenerDotsFourLanes(laidOut, newest, l, r);
    EXPECT_EQ(l, left);
    EXPECT_EQ(r, right);
}

} // namespace
