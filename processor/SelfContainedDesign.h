#pragma once
#include "CurveList.h"
#include "DesignGrid.h"

// Designs that build the fit's basis, normal matrix and inverse themselves on
// every call instead of using the processor's design tables. Each takes about
// as long as building the tables (a tenth of a second optimised).
namespace correction
{
// Resamples the curve into desired[0..16383] (no smoothing, limit, loudness
// or routing) and fits record to its minimum-phase response, with the basis
// of the design tables. False (record untouched) when memory ran out or the
// fit is not finite. [host thread]
bool designFromCurve(const CurveList& curve, const float* poleA1, const float* poleA2,
                     float desired[designFftSize], float record[recordSize]);

// Fits record to the minimum-phase response of b[k] / a[k], k = 0..8192 (bin k
// at pi k / 8192). a and b are first raised in place to at least 0.001 (NaN
// too). The basis is computed with single-precision sines and cosines. False
// (record untouched) when memory ran out or the fit is not finite.
// [host thread]
bool designFromMagnitudePair(float* a, float* b, const float* poleA1, const float* poleA2,
                             float record[recordSize]);
}
