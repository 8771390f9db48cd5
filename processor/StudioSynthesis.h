#pragma once
#include <cstddef>
#include <cstdint>
#include "NoiseGenerator.h"

// Synthetic studio responses for mode MIX: decaying, low-pass filtered sparse
// noise from six fixed directions, each rendered through the listener's head
// responses, and the waterfall picture of the left response.
namespace studio
{

inline constexpr int sourceCount = 6;
inline constexpr int hrirBlocks = 25;
inline constexpr int hrirRows = 50;
inline constexpr int hrirRowStride = 300;
inline constexpr int hrirTaps = 218;             // taps used of every row
inline constexpr size_t responseLength = 44100;  // samples synthesised
inline constexpr int panelFrames = 10;
inline constexpr int panelBins = 128;
inline constexpr int panelFrameSpacing = 4800;   // samples between frame starts
inline constexpr int panelFftSize = 256;

using HrirTable = float[hrirBlocks][hrirRows][hrirRowStride];
using PanelArrays = float[panelFrames][panelBins];

// Source directions as [block][row] of the listener tables.
struct SourceRow
{
    int block;
    int row;
};
inline constexpr SourceRow sourceRows[sourceCount] = {{0, 8}, {24, 8}, {12, 8}, {12, 24}, {12, 16}, {12, 49}};

// One row of the studio tables.
struct StudioShape
{
    float decay;        // tail level ratio over the response
    float damping;      // early damping
    float lateDamping;  // late damping
};

// Per-sample gain step and low-pass coefficients from start (c1) to end (c2).
struct StudioFilterPlan
{
    float step;
    float c1;
    float c2;
};

// [any thread] step = decay^(-1/44100); c = (0.45 (1 - damping) + 0.5)^r with
// r = 48000 / sampleRate. A sample rate that is not a positive finite number
// counts as 48000; a decay that is not a positive finite number as 1.
StudioFilterPlan planStudioFilter(const StudioShape& shape, float sampleRate);

// Working state of one synthesis, held by the caller (no allocation):
// the sources' row pointers, one delay line per source (both ears hear the
// same filtered noise) kept twice so every window is contiguous, and the
// six filter states.
struct SynthesisState
{
    const float* rowLeft[sourceCount] = {};
    const float* rowRight[sourceCount] = {};
    float line[sourceCount][2 * hrirTaps] = {};
    float filter[sourceCount] = {};
};

// [host thread] Writes responseLength samples of the left and right studio
// responses (the rest of the capacity, if any, is zeroed) and the panel arrays
// from the left response. Both responses need capacity >= responseLength;
// with less nothing is written and false comes back. noise supplies the
// random numbers, so a fixed seed gives a fixed result. Takes about 115
// million multiply-adds.
bool synthesiseStudioResponses(const StudioShape& shape, float sampleRate, const HrirTable& hrirLeft,
                               const HrirTable& hrirRight, NoiseGenerator& noise, SynthesisState& state,
                               float* responseLeft, float* responseRight, size_t capacity,
                               PanelArrays& panel);

// [host thread] The waterfall alone: frame f of panel from the 256 samples at
// response[4800 f], |X[b]| / sqrt(128) in dB mapped from -60..0 dB to 0..1
// (floored at -60 dB, not limited above). response must hold 43,456 samples.
void computePanelArrays(const float* response, PanelArrays& panel);

} // namespace studio
