// The place path's row products against their scalar formula, bit for bit,
// in the processor's own pass and in the four-lane one.
#include <gtest/gtest.h>

#include <random>

#include "PlaceRows.h"

namespace
{

// Four partial sums over t = j mod 4, the last two taps into the first.
float referenceDot(const float* row, const float* d)
{
    float s[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    int t = 0;
    for (; t + 4 <= placerows::taps; t += 4)
        for (int j = 0; j < 4; ++j)
            s[j] += row[t + j] * d[t + j];
    for (; t < placerows::taps; ++t)
        s[0] += row[t] * d[t];
    return (s[0] + s[1]) + (s[2] + s[3]);
}

TEST(PlaceRows, BothPassesGiveTheBitsOfTheScalarFormula)
{
    std::mt19937 random(3);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    std::vector<float> rows(8 * placerows::taps), delays(4 * (placerows::taps + 3));
    for (float& v : rows)
        v = value(random);
    for (float& v : delays)
        v = value(random) * 100.0f;
    placerows::PairedRows paired[4];
    const float* delay[4];
    float left = 0.0f, right = 0.0f;
    for (int k = 0; k < 4; ++k)
    {
        const float* l = &rows[size_t(2 * k) * placerows::taps];
        const float* r = l + placerows::taps;
        paired[k].set(l, r);
        delay[k] = &delays[size_t(k) * (placerows::taps + 3) + size_t(k)];  // unaligned too
        left += referenceDot(l, delay[k]);
        right += referenceDot(r, delay[k]);
    }
    float sumLeft, sumRight;
    placerows::placeDots(paired, delay, sumLeft, sumRight);
    EXPECT_EQ(sumLeft, left);
    EXPECT_EQ(sumRight, right);
    placerows::placeDotsFourLanes(paired, delay, sumLeft, sumRight);
    EXPECT_EQ(sumLeft, left);
    EXPECT_EQ(sumRight, right);
}

} // namespace
