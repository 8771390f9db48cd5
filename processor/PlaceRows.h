#pragma once

// The place path's row products: for each of the four sources, the dot
// products of its left-ear and right-ear rows (218 taps) with the source's
// delay line. Each dot product is four partial sums over the taps t = j mod 4
// (j = 0..3) in increasing t, the last two taps added to the first sum, then
// (s0 + s1) + (s2 + s3); the four sources are summed in order. Processors
// with AVX run both ears of a source in one eight-lane pass with the very same
// arithmetic, so every processor gives the same bits.
namespace placerows
{

constexpr int taps = 218;
constexpr int groups = taps / 4;  // 54 groups of four taps; taps 216, 217 remain

// One source's two rows laid out group by group: left taps 4g .. 4g + 3,
// then right taps 4g .. 4g + 3; and the two remaining taps of each ear.
struct PairedRows
{
    float group[groups][8];
    float restLeft[2];
    float restRight[2];

    // [audio thread]
    void set(const float* left, const float* right);
};

// sumLeft = sum over the sources k of left row k . delay[k], sumRight
// likewise; delay[k] points to the newest of 218 samples. [audio thread]
void placeDots(const PairedRows rows[4], const float* const delay[4], float& sumLeft, float& sumRight);

// The same, four lanes wide, as processors without AVX run it.
// [audio thread]
void placeDotsFourLanes(const PairedRows rows[4], const float* const delay[4], float& sumLeft, float& sumRight);

} // namespace placerows
