#include "PlaceRows.h"

#include <cstring>

#include "CpuFeatures.h"
#include "SimdVectors.h"

#ifdef QUILLATONE_AVX_KERNELS
#include <immintrin.h>
#endif

namespace placerows
{

void PairedRows::set(const float* left, const float* right)
{
    for (int g = 0; g < groups; ++g)
        for (int j = 0; j < 4; ++j)
        {
            group[g][j] = left[4 * g + j];
            group[g][4 + j] = right[4 * g + j];
        }
    for (int j = 0; j < 2; ++j)
    {
        restLeft[j] = left[4 * groups + j];
        restRight[j] = right[4 * groups + j];
    }
}

namespace
{

using simd::Float4;
using simd::load4;

// The partial sums of both ears (s[0..3] left, s[4..7] right) to the two dot
// products, with the remaining taps.
inline void finish(const float s[8], const PairedRows& rows, const float* d, float& dotLeft, float& dotRight)
{
    float left0 = s[0], right0 = s[4];
    for (int j = 0; j < 2; ++j)
    {
        left0 += rows.restLeft[j] * d[4 * groups + j];
        right0 += rows.restRight[j] * d[4 * groups + j];
    }
    dotLeft = (left0 + s[1]) + (s[2] + s[3]);
    dotRight = (right0 + s[5]) + (s[6] + s[7]);
}

} // namespace

// The four sources run side by side: their sums do not wait on each other.
void placeDotsFourLanes(const PairedRows rows[4], const float* const delay[4], float& sumLeft, float& sumRight)
{
    Float4 accLeft[4], accRight[4];
    for (int k = 0; k < 4; ++k)
        accLeft[k] = accRight[k] = Float4{0.0f, 0.0f, 0.0f, 0.0f};
    for (int g = 0; g < groups; ++g)
        for (int k = 0; k < 4; ++k)
        {
            const Float4 x = load4(delay[k] + 4 * g);
            accLeft[k] += load4(rows[k].group[g]) * x;
            accRight[k] += load4(rows[k].group[g] + 4) * x;
        }
    float left = 0.0f, right = 0.0f;
    for (int k = 0; k < 4; ++k)
    {
        float s[8];
        std::memcpy(s, &accLeft[k], sizeof accLeft[k]);
        std::memcpy(s + 4, &accRight[k], sizeof accRight[k]);
        float dotLeft, dotRight;
        finish(s, rows[k], delay[k], dotLeft, dotRight);
        left += dotLeft;
        right += dotRight;
    }
    sumLeft = left;
    sumRight = right;
}

namespace
{

#ifdef QUILLATONE_AVX_KERNELS
__attribute__((target("avx"))) void placeDots8(const PairedRows rows[4], const float* const delay[4],
                                               float& sumLeft, float& sumRight)
{
    const float *d0 = delay[0], *d1 = delay[1], *d2 = delay[2], *d3 = delay[3];
    __m256 acc0 = _mm256_setzero_ps(), acc1 = acc0, acc2 = acc0, acc3 = acc0;
    for (int g = 0; g < groups; ++g)
    {
        acc0 = _mm256_add_ps(acc0, _mm256_mul_ps(_mm256_loadu_ps(rows[0].group[g]),
                                                 _mm256_broadcast_ps(reinterpret_cast<const __m128*>(d0 + 4 * g))));
        acc1 = _mm256_add_ps(acc1, _mm256_mul_ps(_mm256_loadu_ps(rows[1].group[g]),
                                                 _mm256_broadcast_ps(reinterpret_cast<const __m128*>(d1 + 4 * g))));
        acc2 = _mm256_add_ps(acc2, _mm256_mul_ps(_mm256_loadu_ps(rows[2].group[g]),
                                                 _mm256_broadcast_ps(reinterpret_cast<const __m128*>(d2 + 4 * g))));
        acc3 = _mm256_add_ps(acc3, _mm256_mul_ps(_mm256_loadu_ps(rows[3].group[g]),
                                                 _mm256_broadcast_ps(reinterpret_cast<const __m128*>(d3 + 4 * g))));
    }
    float s[4][8];
    _mm256_storeu_ps(s[0], acc0);
    _mm256_storeu_ps(s[1], acc1);
    _mm256_storeu_ps(s[2], acc2);
    _mm256_storeu_ps(s[3], acc3);
    float left = 0.0f, right = 0.0f;
    for (int k = 0; k < 4; ++k)
    {
        float dotLeft, dotRight;
        finish(s[k], rows[k], delay[k], dotLeft, dotRight);
        left += dotLeft;
        right += dotRight;
    }
    sumLeft = left;
    sumRight = right;
}

// Decided once when the module loads, so the audio thread never asks.
const bool hasAvx = cpu::detectAvx();
#endif

} // namespace

void placeDots(const PairedRows rows[4], const float* const delay[4], float& sumLeft, float& sumRight)
{
#ifdef QUILLATONE_AVX_KERNELS
    if (hasAvx)
    {
        placeDots8(rows, delay, sumLeft, sumRight);
        return;
    }
#endif
    placeDotsFourLanes(rows, delay, sumLeft, sumRight);
}

} // namespace placerows
