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
    std::vector<float> delays(2 * taps + 3);
    for (auto& row : rows)
        for (float& v : row)
            v = value(random);
    for (float& v : delays)
        v = value(random) * 100.0f;
    const float* dL = &delays[1];  // unaligned too
    const float* dR = &delays[taps + 2];
    listenerrows::LaidOutRows laidOut;
    laidOut.set(rows);
    const float left = referenceDot(rows[0], rows[1], dL, dR);
    const float right = referenceDot(rows[2], rows[3], dR, dL);
    float l, r;
    listenerrows::listenerDots(laidOut, dL, dR, l, r);
    EXPECT_EQ(l, left);
    EXPECT_EQ(r, right);
    listenerrows::listenerDotsFourLanes(laidOut, dL, dR, l, r);
    EXPECT_EQ(l, left);
    EXPECT_EQ(r, right);
}

} // namespace
