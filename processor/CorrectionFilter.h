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
}
