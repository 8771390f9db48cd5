#pragma once

#include "SimdVectors.h"

// The 4x stage's recursive low-pass: run at four times the input rate on the
// zero-stuffed input, it removes the images of the stuffing before the
// six-point interpolator picks the internal samples.
//
// 8th order, direct form: y = sum b[k] x[n-k] (k = 0..8) + sum f[k] y[n-1-k]
// (k = 0..7), the feedback coefficients stored with the sign the recursion
// adds. The coefficients are held in double, rounded to float when the
// processor loads them; the histories and the sums run in double, as a float
// direct form of this order only reaches about -66 dB of accuracy.
namespace interpolation
{

inline constexpr int feedForwardCount = 9;
inline constexpr int feedbackCount = 8;
inline constexpr int coefficientCount = feedForwardCount + feedbackCount;  // 17

// b[0..8] then f[0..7]. Unity gain at DC. [any thread]
extern const double designCoefficients[coefficientCount];

// One channel's histories: the last eight inputs and outputs, each held
// twice in a row from the newest on (at `newest` and newest + 8), so that
// they are read newest first without moving them.
struct FilterState
{
    double input[2 * feedbackCount];
    double output[2 * feedbackCount];
    int newest;

    // [any thread, not while the audio thread runs this state]
    void reset()
    {
        for (int k = 0; k < 2 * feedbackCount; ++k)
            input[k] = output[k] = 0.0;
        newest = 0;
    }
};

// Runs one sample u through the filter with the 17 float coefficients and
// returns the output. [audio thread]
inline float runFilter(const float* coefficients, FilterState& state, float u)
{
    const double x = u;
    const double* in = state.input + state.newest;
    const double* out = state.output + state.newest;
    double sum = double(coefficients[0]) * x;
    for (int k = 0; k < feedbackCount; ++k)
        sum += double(coefficients[1 + k]) * in[k];
    for (int k = 0; k < feedbackCount; ++k)
        sum += double(coefficients[feedForwardCount + k]) * out[k];
    const int at = state.newest = state.newest == 0 ? feedbackCount - 1 : state.newest - 1;
    state.input[at] = state.input[at + feedbackCount] = x;
    state.output[at] = state.output[at + feedbackCount] = sum;
    return float(sum);
}

// Both channels at once, left in lane 0 and right in lane 1, each lane with
// the very arithmetic of runFilter.
using simd::Double2;

// The 17 coefficients widened once, each in both lanes.
struct PairCoefficients
{
    Double2 c[coefficientCount];

    // [audio thread]
    void set(const float* coefficients)
    {
        for (int k = 0; k < coefficientCount; ++k)
            c[k] = Double2{double(coefficients[k]), double(coefficients[k])};
    }
};

// Both channels' histories, laid out as in FilterState.
struct PairState
{
    Double2 input[2 * feedbackCount];
    Double2 output[2 * feedbackCount];
    int newest;

    // [any thread, not while the audio thread runs this state]
    void reset()
    {
        for (int k = 0; k < 2 * feedbackCount; ++k)
            input[k] = output[k] = Double2{0.0, 0.0};
        newest = 0;
    }
};

// Runs (uL, uR) through both filters and writes their outputs. [audio thread]
inline void runFilterPair(const PairCoefficients& k, PairState& state, float uL, float uR, float& yL, float& yR)
{
    const Double2 x = {double(uL), double(uR)};
    const Double2* in = state.input + state.newest;
    const Double2* out = state.output + state.newest;
    Double2 sum = k.c[0] * x;
    for (int j = 0; j < feedbackCount; ++j)
        sum += k.c[1 + j] * in[j];
    for (int j = 0; j < feedbackCount; ++j)
        sum += k.c[feedForwardCount + j] * out[j];
    const int at = state.newest = state.newest == 0 ? feedbackCount - 1 : state.newest - 1;
    state.input[at] = state.input[at + feedbackCount] = x;
    state.output[at] = state.output[at + feedbackCount] = sum;
    yL = float(sum[0]);
    yR = float(sum[1]);
}

// Frames of both channels, each input frame x followed by three zeros, so
// four outputs per frame: the outputs of frame i go to yL[q][i] and yR[q][i]
// (q = 0..3). The same as runFilterPair on those inputs in turn, with the
// histories in a straight line rather than a ring. [audio thread]
inline void runFilterPass(const PairCoefficients& k, PairState& state, const float* xL, const float* xR, int count,
                          float* const yL[4], float* const yR[4])
{
    constexpr int chunk = 64;
    Double2 in[feedbackCount + 4 * chunk];   // oldest first
    Double2 out[feedbackCount + 4 * chunk];
    for (int j = 0; j < feedbackCount; ++j)
    {
        in[feedbackCount - 1 - j] = state.input[state.newest + j];
        out[feedbackCount - 1 - j] = state.output[state.newest + j];
    }
    for (int start = 0; start < count; start += chunk)
    {
        const int n = count - start < chunk ? count - start : chunk;
        for (int i = 0; i < n; ++i)
            for (int q = 0; q < 4; ++q)
            {
                const int at = feedbackCount + 4 * i + q;
                const Double2 x = q == 0 ? Double2{double(xL[start + i]), double(xR[start + i])} : Double2{0.0, 0.0};
                in[at] = x;
                Double2 sum = k.c[0] * x;
                for (int j = 0; j < feedbackCount; ++j)
                    sum += k.c[1 + j] * in[at - 1 - j];
                for (int j = 0; j < feedbackCount; ++j)
                    sum += k.c[feedForwardCount + j] * out[at - 1 - j];
                out[at] = sum;
                yL[q][start + i] = float(sum[0]);
                yR[q][start + i] = float(sum[1]);
            }
        // The newest eight to the front for the next chunk.
        for (int j = 0; j < feedbackCount; ++j)
        {
            in[j] = in[4 * n + j];
            out[j] = out[4 * n + j];
        }
    }
    state.newest = 0;
    for (int j = 0; j < feedbackCount; ++j)
    {
        state.input[j] = state.input[j + feedbackCount] = in[feedbackCount - 1 - j];
        state.output[j] = state.output[j + feedbackCount] = out[feedbackCount - 1 - j];
    }
}

} // namespace interpolation
