#include "ListenerRows.h"

#include <cstring>

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define QUILLATONE_LISTENER_ROWS_AVX 1
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

namespace
{

typedef float Float4 __attribute__((vector_size(16)));

inline Float4 load4(const float* p)
{
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// (a[0], a[1], b[0], b[1])
inline Float4 loadPairs(const float* a, const float* b)
{
    float v[4] = {a[0], a[1], b[0], b[1]};
    return load4(v);
}

inline float sumLanes(const float s[4]) { return (s[0] + s[2]) + (s[1] + s[3]); }

} // namespace

void listenerDotsFourLanes(const LaidOutRows& rows, const float* dL, const float* dR, float& left, float& right)
{
    Float4 accL = {0.0f, 0.0f, 0.0f, 0.0f}, accR = accL;
    for (int p = 0; p < pairs; ++p)
    {
        const Float4 x = loadPairs(dL + 2 * p, dR + 2 * p);
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

#ifdef QUILLATONE_LISTENER_ROWS_AVX
__attribute__((target("avx"))) void listenerDots8(const LaidOutRows& rows, const float* dL, const float* dR,
                                                  float& left, float& right)
{
    __m256 acc = _mm256_setzero_ps();
    for (int p = 0; p < pairs; ++p)
    {
        const __m128 l = _mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(dL + 2 * p)));
        const __m128 x = _mm_loadh_pi(l, reinterpret_cast<const __m64*>(dR + 2 * p));
        const __m256 xx = _mm256_insertf128_ps(_mm256_castps128_ps256(x), x, 1);
        acc = _mm256_add_ps(acc, _mm256_mul_ps(_mm256_loadu_ps(rows.pair[p]), xx));
    }
    float s[8];
    _mm256_storeu_ps(s, acc);
    left = sumLanes(s);
    right = sumLanes(s + 4);
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

void listenerDots(const LaidOutRows& rows, const float* dL, const float* dR, float& left, float& right)
{
#ifdef QUILLATONE_LISTENER_ROWS_AVX
    if (hasAvx)
    {
        listenerDots8(rows, dL, dR, left, right);
        return;
    }
#endif
    listenerDotsFourLanes(rows, dL, dR, left, right);
}

} // namespace listenerrows
