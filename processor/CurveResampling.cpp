#include "CurveResampling.h"

#include <cmath>

namespace correction
{
namespace
{
constexpr int lastInterpolatedBin = designBinCount - 2;  // 8190

void put(float* gain, int bin, float value)
{
    gain[bin] = value;
    gain[designFftSize - 1 - bin] = value;
}

float binHz(int bin)
{
    return static_cast<float>(bin) * designBinSpacing;
}
}

float gainOfDecibels(float db)
{
    return std::pow(10.0f, db * 0.05f);
}

bool isUsableCurve(const CurveList& list)
{
    if (list.count < 1 || list.count > CurveList::capacity)
        return false;
    for (int j = 0; j < list.count; ++j)
        if (!std::isfinite(list.hz[j]) || !std::isfinite(list.db[j]))
            return false;
    for (int j = 1; j < list.count; ++j)
        if (!(list.hz[j] > list.hz[j - 1]))
            return false;
    return true;
}

void resampleCurve(const CurveList& list, float gain[designFftSize])
{
    const int n = isUsableCurve(list) ? list.count : 0;
    const float* hz = list.hz;
    const float* db = list.db;
    int lastWritten = -1;

    if (n == 1)
    {
        // A single point is a constant level.
        const float g = gainOfDecibels(db[0]);
        for (int b = 0; b < designBinCount; ++b)
            put(gain, b, g);
        return;
    }

    int start = 0;
    if (n >= 2 && hz[0] > 0.0f)
    {
        // Extrapolate the first segment down to 0 Hz, up to the first bin at or
        // above the first point.
        const float slope = (db[0] - db[1]) / (hz[0] - hz[1]);
        for (int b = 0;; ++b)
        {
            const float f = binHz(b);
            put(gain, b, gainOfDecibels(db[0] - (hz[0] - f) * slope));
            lastWritten = b;
            if (!(f < hz[0]) || b == lastInterpolatedBin)
                break;
        }
        start = lastWritten + 1;
    }

    if (n >= 3 && start <= lastInterpolatedBin)
    {
        int j = 0;
        for (int b = start; b <= lastInterpolatedBin; ++b)
        {
            const float f = binHz(b);
            while (j < n - 2 && f > hz[j + 1])
                ++j;
            put(gain, b, gainOfDecibels((f - hz[j]) * (db[j + 1] - db[j]) / (hz[j + 1] - hz[j]) + db[j]));
            lastWritten = b;
            if (j == n - 2)
                break;
        }
    }

    // Hold the last value written (0 dB when nothing was) up to bin 8191.
    const float held = lastWritten >= 0 ? gain[lastWritten] : 1.0f;
    for (int b = lastWritten + 1; b < designBinCount; ++b)
        put(gain, b, held);
}
}
