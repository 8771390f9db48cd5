#include "ChainStages.h"

#include <cmath>

namespace chain
{

void PeakingCoefficients::update(float rateRatio)
{
    const float x = 0.95238095f * rateRatio;
    k = -std::cos(3.14159265f * x);
    const float t = std::tan(0.0302250534f * x);
    m = (1.0f - 6.0f * t) / (1.0f + 6.0f * t);
}

bool acceptsSampleRate(float rate)
{
    if (!(rate >= lowestSampleRate && rate <= highestSampleRate))
        return false;
    const float x = 0.95238095f * (44100.0f / rate);
    return std::fabs(x - std::nearbyint(x)) >= peakingPoleMargin;
}

} // namespace chain
