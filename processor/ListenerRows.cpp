#include "ListenerRows.h"

#include <cstring>

#include "CpuFeatures.h"
#include "SimdVectors.h"

#ifdef QUILLATONE_AVX_KERNELS
#include <immintrin.h>
#endif

namespace listenerrows
{

void LaidOutRows::set(const float rows[4][taps])
{
    for (int p = 0; p < pairs; ++p)
        for (int j = 0; j < 2; ++j)
        {
            pair[p][j] = rows[0][2 * p + j];
            pair[p][2 + j] = rows[1][2 * p + j];
            pair[p][4 + j] = rows[3][2 * p + j];
            pair[p][6 + j] = rows[2][2 * p + j];
        }
}

void PairedDelay::clear()
{
    std::memset(entry, 0, sizeof entry);
    position = 0;
}

const float (*PairedDelay::push(float left, float right))[4]
{
    // The entry after the new one starts with the previous newest sample.
    const int pos = position = position == 0 ? length - 1 : position - 1;
    const float* previous = entry[pos + 1];
    const float e[4] = {left, previous[0], right, previous[2]};
    std::memcpy(entry[pos], e, sizeof e);
    std::memcpy(entry[pos + length], e, sizeof e);
    return &entry[pos];
}

namespace
{

using simd::Float4;
using simd::load4;

inline float sumLanes(const float s[4]) { return (s[0] + s[2]) + (s[1] + s[3]); }

} // namespace

void listenerDotsFourLanes(const LaidOutRows& rows, const float (*newest)[4], float& left, float& right)
{
    Float4 accL = {0.0f, 0.0f, 0.0f, 0.0f}, accR = accL;
    for (int p = 0; p < pairs; ++p)
    {
        const Float4 x = load4(newest[2 * p]);
        accL += load4(rows.pair[p]) * x;
        accR += load4(rows.pair[p] + 4) * x;
    }
    float s[8];
    std::memcpy(s, &accL, sizeof accL);
    std::memcpy(s + 4, &accR, sizeof accR);
    left = sumLanes(s);
    right = sumLanes(s + 4);
}

namespace
{

#ifdef QUILLATONE_AVX_KERNELS
__attribute__((target("avx"))) void listenerDots8(const LaidOutRows& rows, const float (*newest)[4], float& left,
                                                  float& right)
{
    __m256 acc = _mm256_setzero_ps();
    for (int p = 0; p < pairs; ++p)
    {
        const __m256 x = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(newest[2 * p]));
        acc = _mm256_add_ps(acc, _mm256_mul_ps(_mm256_loadu_ps(rows.pair[p]), x));
    }
    float s[8];
    _mm256_storeu_ps(s, acc);
    left = sumLanes(s);
    right = sumLanes(s + 4);
}

// Decided once when the module loads, so the audio thread never asks.
const bool hasAvx = cpu::detectAvx();
#endif

} // namespace

void listenerDots(const LaidOutRows& rows, const float (*newest)[4], float& left, float& right)
{
#ifdef QUILLATONE_AVX_KERNELS
    if (hasAvx)
    {
        listenerDots8(rows, newest, left, right);
        return;
    }
#endif
    listenerDotsFourLanes(rows, newest, left, right);
}

} // namespace listenerrows
