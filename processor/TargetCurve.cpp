#include "TargetCurve.h"

#include <algorithm>

namespace correction
{
namespace
{
float clampUnit(float v)
{
    if (!(v >= 0.0f))   // also NaN
        return 0.0f;
    return std::min(v, 1.0f);
}

void fill(float* curve, int from, int to, float value)
{
    for (int i = std::max(from, 0); i < std::min(to, designBinCount); ++i)
        curve[i] = value;
}

// Bins from..to-1 ramp from start to end, the last bin holding end. A ramp of
// one bin holds start.
void ramp(float* curve, int from, int to, float start, float end)
{
    if (from >= to)
        return;
    if (to - from == 1)
    {
        fill(curve, from, to, start);
        return;
    }
    const float step = (end - start) / static_cast<float>(to - from - 1);
    for (int i = std::max(from, 0); i < std::min(to, designBinCount); ++i)
        curve[i] = start + static_cast<float>(i - from) * step;
}

// The second ramp forms each value with the product first:
// start + (j (end - start)) / (to - from - 1). It is never shorter than 341 bins.
void productRamp(float* curve, int from, int to, float start, float end)
{
    if (to - from < 2)
    {
        ramp(curve, from, to, start, end);
        return;
    }
    const float rise = end - start;
    const float divisor = static_cast<float>(to - from - 1);
    for (int i = std::max(from, 0); i < std::min(to, designBinCount); ++i)
        curve[i] = start + static_cast<float>(i - from) * rise / divisor;
}
}

void buildTargetCurve(const float e[equaliserValueCount], float curve[designBinCount])
{
    float v[equaliserValueCount];
    for (int i = 0; i < equaliserValueCount; ++i)
        v[i] = clampUnit(e[i]);

    const float f1 = v[0] * 800.0f;
    const float f2 = v[4] * 2000.0f + 2000.0f;
    const float bw = designBinSpacing;
    const int k1 = static_cast<int>(f1 / bw);
    const int k2 = static_cast<int>((f1 * 0.5f + f1) / bw);
    const int k3 = static_cast<int>((f2 - 0.5f * f2) / bw);
    const int k4 = static_cast<int>(f2 / bw);

    // Later segments overwrite earlier ones where they overlap.
    fill(curve, 0, k1, v[1]);
    ramp(curve, k1, k2, v[1], v[3]);
    fill(curve, k2, k3, v[3]);
    productRamp(curve, k3, k4, v[3], v[5]);
    fill(curve, k4, designBinCount, v[5]);
}
}
