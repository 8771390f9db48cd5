#pragma once
#include "CurveList.h"
#include "DesignGrid.h"

namespace correction
{
// Linear gain of a level in dB: powf(10, 0.05 x). [any thread]
float gainOfDecibels(float db);

// True when the list can be resampled: 1..1000 points, finite values,
// frequencies strictly ascending. [any thread]
bool isUsableCurve(const CurveList& list);

// Resamples a curve list into linear gains on the design bins: extrapolated
// below the first point, interpolated up to the first bin on the last segment,
// whose value is held to bin 8191. Every bin b is also written to index
// 16383 - b. An unusable list gives 1.0 everywhere; bins the steps do not reach
// hold the last value written. [host thread]
void resampleCurve(const CurveList& list, float gain[designFftSize]);
}
