#include "PlaceRows.h"

#include <cstring>

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define QUILLATONE_PLACE_ROWS_AVX 1
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

typedef float Float4 __attribute__((vector_size(16)));

inline Float4 load4(const float* p)
{
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

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

void placeDotsFourLanes(const PairedRows rows[4], const float* const delay[4], float& sumLeft, float& sumRight)
{
    float left = 0.0f, right = 0.0f;
    for (int k = 0; k < 4; ++k)
    {
        const float* d = delay[k];
        Float4 accLeft = {0.0f, 0.0f, 0.0f, 0.0f}, accRight = accLeft;
        for (int g = 0; g < groups; ++g)
        {
            const Float4 x = load4(d + 4 * g);
            accLeft += load4(rows[k].group[g]) * x;
            accRight += load4(rows[k].group[g] + 4) * x;
        }
        float s[8];
        std::memcpy(s, &accLeft, sizeof accLeft);
        std::memcpy(s + 4, &accRight, sizeof accRight);
        float dotLeft, dotRight;
        finish(s, rows[k], d, dotLeft, dotRight);
        left += dotLeft;
        right += dotRight;
    }
    sumLeft = left;
    sumRight = right;
}

namespace
{

#ifdef QUILLATONE_PLACE_ROWS_AVX
__attribute__((target("avx"))) void placeDots8(const PairedRows rows[4], const float* const delay[4],
                                               float& sumLeft, float& sumRight)
{
    float left = 0.0f, right = 0.0f;
    for (int k = 0; k < 4; ++k)
    {
        const float* d = delay[k];
        __m256 acc = _mm256_setzero_ps();
        for (int g = 0; g < groups; ++g)
        {
            const __m256 x = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(d + 4 * g));
            acc = _mm256_add_ps(acc, _mm256_mul_ps(_mm256_loadu_ps(rows[k].group[g]), x));
        }
        float s[8];
        _mm256_storeu_ps(s, acc);
        float dotLeft, dotRight;
        finish(s, rows[k], d, dotLeft, dotRight);
        left += dotLeft;
        right += dotRight;
    }
    sumLeft = left;
    sumRight = right;
}

bool detectAvx()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx");
}

// Decided once when the module loads, so the audio thread never asks.
const bool hasAvx = detectAvx();
#endif

} // namespace

void placeDots(const PairedRows rows[4], const float* const delay[4], float& sumLeft, float& sumRight)
{
#ifdef QUILLATONE_PLACE_ROWS_AVX
    if (hasAvx)
    {
        placeDots8(rows, delay, sumLeft, sumRight);
        return;
    }
#endif
    placeDotsFourLanes(rows, delay, sumLeft, sumRight);
}

} // namespace placerows
