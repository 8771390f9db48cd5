#pragma once
#include "DesignGrid.h"

// The headphone-correction filter the signal chain runs on every internal
// sample: 100 second-order sections with fixed poles in parallel with an
// 11-tap direct path. Only the 211 numerator and tap values of a record are
// designed; the poles never change.
//
// Record layout: [2k] and [2k + 1] are the numerator of section k applied to
// the section's current and previous state, [200 + m] the tap at delay m + 1,
// [210] the tap at delay 0. Section k's denominator is
// 1 + poleA1[k] z^-1 + poleA2[k] z^-2.
namespace correction
{
// Fills the fixed poles: 50 Hz to 20 kHz, logarithmic, at 48 kHz; computed in
// double and rounded once to float. The same arrays must feed the design tables
// and the filter. [any thread]
void computeCorrectionPoles(float poleA1[sectionCount], float poleA2[sectionCount]);

// One channel's filter state. The section states depend only on the input,
// so a new record never needs a reset.
struct CorrectionFilterState
{
    float w1[sectionCount];      // section state one sample back
    float w2[sectionCount];      // two samples back
    float history[directTapCount];  // filter inputs 1 to 10 samples back

    // [any thread, not while the audio thread runs this state]
    void reset()
    {
        for (int k = 0; k < sectionCount; ++k)
            w1[k] = w2[k] = 0.0f;
        clearHistory();
    }
    void clearHistory()
    {
        for (int m = 0; m < directTapCount; ++m)
            history[m] = 0.0f;
    }
};

// Runs one sample v through the filter with the given record and poles and
// returns the corrected sample. Allocates nothing. [audio thread]
inline float processCorrectionSample(const float* record, const float* poleA1, const float* poleA2,
                                     CorrectionFilterState& state, float v)
{
    // Four partial sums: the additions of one sample need not wait on each other.
    float sum0 = 0.0f, sum1 = 0.0f, sum2 = 0.0f, sum3 = 0.0f;
    for (int k = 0; k < sectionCount; k += 2)
    {
        const float p0 = state.w1[k], q0 = state.w2[k];
        const float p1 = state.w1[k + 1], q1 = state.w2[k + 1];
        const float n0 = v - poleA1[k] * p0 - poleA2[k] * q0;
        const float n1 = v - poleA1[k + 1] * p1 - poleA2[k + 1] * q1;
        sum0 += record[2 * k] * n0;
        sum1 += record[2 * k + 1] * p0;
        sum2 += record[2 * k + 2] * n1;
        sum3 += record[2 * k + 3] * p1;
        state.w2[k] = p0;
        state.w1[k] = n0;
        state.w2[k + 1] = p1;
        state.w1[k + 1] = n1;
    }
    float direct = record[dryTap] * v;
    for (int m = 0; m < directTapCount; ++m)
        direct += record[firstDirectTap + m] * state.history[m];
    for (int m = directTapCount - 1; m > 0; --m)
        state.history[m] = state.history[m - 1];
    state.history[0] = v;
    return ((sum0 + sum1) + (sum2 + sum3)) + direct;
}

// Both channels' filters in one pass, four lanes wide: lane (c, j) runs section
// k + j of channel c (c, j = 0, 1) for each section pair k, k + 1, with the
// very arithmetic processCorrectionSample does for that section, so both give
// the same bits.
constexpr int sectionPairCount = sectionCount / 2;

// A record and the poles laid out for the pair loop. [audio thread]
struct CorrectionPairRecord
{
    float a1[sectionPairCount][4];
    float a2[sectionPairCount][4];
    float current[sectionPairCount][4];   // numerator on the section's current state
    float previous[sectionPairCount][4];  // numerator on its previous state
    float direct[directTapCount + 1];     // taps at delays 1 .. 10, then delay 0

    void prepare(const float* record, const float* poleA1, const float* poleA2)
    {
        for (int p = 0; p < sectionPairCount; ++p)
            for (int lane = 0; lane < 4; ++lane)
            {
                const int k = 2 * p + (lane & 1);
                a1[p][lane] = poleA1[k];
                a2[p][lane] = poleA2[k];
                current[p][lane] = record[2 * k];
                previous[p][lane] = record[2 * k + 1];
            }
        for (int m = 0; m <= directTapCount; ++m)
            direct[m] = record[firstDirectTap + m];
    }
};

// Both channels' state; the section states in the lanes of the pair loop.
struct CorrectionPairState
{
    float w1[sectionPairCount][4];
    float w2[sectionPairCount][4];
    float history[2][directTapCount];  // per channel, inputs 1 to 10 samples back

    // [any thread, not while the audio thread runs this state]
    void reset()
    {
        for (int p = 0; p < sectionPairCount; ++p)
            for (int lane = 0; lane < 4; ++lane)
                w1[p][lane] = w2[p][lane] = 0.0f;
        clearHistory(0);
        clearHistory(1);
    }
    void clearHistory(int channel)
    {
        for (int m = 0; m < directTapCount; ++m)
            history[channel][m] = 0.0f;
    }
};

// The direct path of both channels, added to the section sums: sums holds
// the two partial sums of the left channel, then the right's. [audio thread]
inline void finishCorrectionPair(const CorrectionPairRecord& r, CorrectionPairState& state, float vL, float vR,
                                 const float sums[4], float& cL, float& cR)
{
    const float in[2] = {vL, vR};
    float out[2];
    for (int c = 0; c < 2; ++c)
    {
        float* h = state.history[c];
        float direct = r.direct[directTapCount] * in[c];
        for (int m = 0; m < directTapCount; ++m)
            direct += r.direct[m] * h[m];
        for (int m = directTapCount - 1; m > 0; --m)
            h[m] = h[m - 1];
        h[0] = in[c];
        out[c] = (sums[2 * c] + sums[2 * c + 1]) + direct;
    }
    cL = out[0];
    cR = out[1];
}

// Runs vL and vR through the filter and writes the corrected samples.
// [audio thread]
inline void processCorrectionPair(const CorrectionPairRecord& r, CorrectionPairState& state, float vL, float vR,
                                  float& cL, float& cR)
{
    typedef float Lanes __attribute__((vector_size(16)));
    auto load = [](const float* p) {
        Lanes v;
        __builtin_memcpy(&v, p, sizeof v);
        return v;
    };
    auto store = [](float* p, Lanes v) { __builtin_memcpy(p, &v, sizeof v); };
    const Lanes v = {vL, vL, vR, vR};
    // Lanes (L k, L k+1, R k, R k+1): the partial sums 0 and 2 of each
    // channel on the current states, 1 and 3 on the previous ones.
    Lanes onCurrent = {0.0f, 0.0f, 0.0f, 0.0f}, onPrevious = onCurrent;
    for (int p = 0; p < sectionPairCount; ++p)
    {
        const Lanes w1 = load(state.w1[p]);
        const Lanes w2 = load(state.w2[p]);
        const Lanes n = v - load(r.a1[p]) * w1 - load(r.a2[p]) * w2;
        onCurrent += load(r.current[p]) * n;
        onPrevious += load(r.previous[p]) * w1;
        store(state.w2[p], w1);
        store(state.w1[p], n);
    }
    const Lanes sums = onCurrent + onPrevious;  // (0 + 1, 2 + 3) per channel
    const float partial[4] = {sums[0], sums[1], sums[2], sums[3]};
    finishCorrectionPair(r, state, vL, vR, partial, cL, cR);
}

// Runs count samples of both channels through the filter: cL[i], cR[i] get
// what processCorrectionPair gives for vL[i], vR[i] in turn. Processors with
// AVX run two section pairs per step with the very same arithmetic in each
// lane, so every processor gives the same bits. [audio thread]
void processCorrectionPass(const CorrectionPairRecord& r, CorrectionPairState& state, const float* vL,
                           const float* vR, float* cL, float* cR, int count);

// The same, four lanes wide, as processors without AVX run it. [audio thread]
void processCorrectionPassFourLanes(const CorrectionPairRecord& r, CorrectionPairState& state, const float* vL,
                                    const float* vR, float* cL, float* cR, int count);
}
