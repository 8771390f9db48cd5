#pragma once
#include "DesignGrid.h"

// The target curve: a piecewise-linear shape over the design bins, built from
// the six equaliser values (parameters 9 to 14) and read by the correction
// design as its smoothing control (1 smooths least, 0 most). Values are on the
// 0..1 scale of the level parameters.
namespace correction
{
constexpr int equaliserValueCount = 6;

// Rewrites all designBinCount values of curve from the equaliser values e:
// e[0] first corner (0..800 Hz), e[1] level below it, e[2] unused, e[3] level
// between the corners, e[4] second corner (2000..4000 Hz), e[5] level above.
// Values outside 0..1 are clamped and NaN counts as 0. [host thread]
void buildTargetCurve(const float e[equaliserValueCount], float curve[designBinCount]);
}
