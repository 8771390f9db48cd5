#pragma once

// The listener path's row products: each ear's output is its direct row with
// its own side's delay line plus its cross row with the other side's, over
// 218 taps. Each output is four partial sums, direct even and odd taps, cross
// even and odd taps, in increasing tap order, added as (direct even + cross
// even) + (direct odd + cross odd). Processors with AVX run both ears in one
// eight-lane pass with the very same arithmetic, so every processor gives the
// same bits.
namespace listenerrows
{

constexpr int taps = 218;
constexpr int pairs = taps / 2;

// Tap pair p (taps 2p, 2p + 1) of the four rows side by side: left direct,
// left cross, right cross, right direct.
struct LaidOutRows
{
    float pair[pairs][8];

    // rows: left direct, left cross, right direct, right cross. [audio thread]
    void set(const float rows[4][taps]);
};

// Both sides' delay lines as overlapping pairs, entry i holding (left i,
// left i + 1, right i, right i + 1) with i counted from the newest sample,
// kept twice over so that every window of taps is contiguous.
struct PairedDelay
{
    static constexpr int length = 300;
    float entry[2 * length][4];
    int position;

    // [host thread, not while the audio thread runs]
    void clear();
    // Takes the newest sample of each side; answers the entry of the newest.
    // [audio thread]
    const float (*push(float left, float right))[4];
};

// newest: the delay's entry of the newest sample. [audio thread]
void listenerDots(const LaidOutRows& rows, const float (*newest)[4], float& left, float& right);

// The same, four lanes wide, as processors without AVX run it.
// [audio thread]
void listenerDotsFourLanes(const LaidOutRows& rows, const float (*newest)[4], float& left, float& right);

} // namespace listenerrows
