#include "CorrectionFilter.h"

#include <cmath>

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define QUILLATONE_CORRECTION_AVX 1
#endif

namespace correction
{
void computeCorrectionPoles(float poleA1[sectionCount], float poleA2[sectionCount])
{
    const double pi = 3.14159265358979323846;
    double theta[sectionCount];
    for (int k = 0; k < sectionCount; ++k)
    {
        const double hz = std::pow(2.0, 5.64385605 + k * 0.0101010101 * 8.643857);  // 50 Hz .. 20 kHz
        theta[k] = 2.0 * pi * hz / 48000.0;
    }
    for (int k = 0; k < sectionCount; ++k)
    {
        double spacing;
        if (k == 0)
            spacing = theta[1] - theta[0];
        else if (k == sectionCount - 1)
            spacing = theta[k] - theta[k - 1];
        else
            spacing = theta[k + 1] - theta[k - 1];
        const double r = std::exp(-spacing / 2.0);
        poleA1[k] = static_cast<float>(-2.0 * r * std::cos(theta[k]));
        poleA2[k] = static_cast<float>(r * r);
    }
}

void processCorrectionPassFourLanes(const CorrectionPairRecord& r, CorrectionPairState& state, const float* vL,
                                    const float* vR, float* cL, float* cR, int count)
{
    for (int i = 0; i < count; ++i)
        processCorrectionPair(r, state, vL[i], vR[i], cL[i], cR[i]);
}

namespace
{
#ifdef QUILLATONE_CORRECTION_AVX
// Eight lanes: section pairs p and p + 1 side by side. Each lane's partial sum
// still takes its sections in increasing order: pair p's products are added
// before pair p + 1's.
__attribute__((target("avx"))) void passEightLanes(const CorrectionPairRecord& r, CorrectionPairState& state,
                                                   const float* vL, const float* vR, float* cL, float* cR,
                                                   int count)
{
    static_assert(sectionPairCount % 2 == 0, "pairs run two at a time");
    for (int i = 0; i < count; ++i)
    {
        const float l = vL[i], rr = vR[i];
        const __m256 v = _mm256_setr_ps(l, l, rr, rr, l, l, rr, rr);
        // Lanes 0-3 the sums on the current states, 4-7 those on the previous.
        __m256 acc = _mm256_setzero_ps();
        for (int p = 0; p < sectionPairCount; p += 2)
        {
            const __m256 w1 = _mm256_loadu_ps(state.w1[p]);
            const __m256 w2 = _mm256_loadu_ps(state.w2[p]);
            const __m256 n = _mm256_sub_ps(_mm256_sub_ps(v, _mm256_mul_ps(_mm256_loadu_ps(r.a1[p]), w1)),
                                           _mm256_mul_ps(_mm256_loadu_ps(r.a2[p]), w2));
            const __m256 onCurrent = _mm256_mul_ps(_mm256_loadu_ps(r.current[p]), n);
            const __m256 onPrevious = _mm256_mul_ps(_mm256_loadu_ps(r.previous[p]), w1);
            acc = _mm256_add_ps(acc, _mm256_permute2f128_ps(onCurrent, onPrevious, 0x20));
            acc = _mm256_add_ps(acc, _mm256_permute2f128_ps(onCurrent, onPrevious, 0x31));
            _mm256_storeu_ps(state.w2[p], w1);
            _mm256_storeu_ps(state.w1[p], n);
        }
        float sums[4];
        _mm_storeu_ps(sums, _mm_add_ps(_mm256_castps256_ps128(acc), _mm256_extractf128_ps(acc, 1)));
        finishCorrectionPair(r, state, l, rr, sums, cL[i], cR[i]);
    }
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

void processCorrectionPass(const CorrectionPairRecord& r, CorrectionPairState& state, const float* vL,
                           const float* vR, float* cL, float* cR, int count)
{
#ifdef QUILLATONE_CORRECTION_AVX
    if (hasAvx)
    {
        passEightLanes(r, state, vL, vR, cL, cR, count);
        return;
    }
#endif
    processCorrectionPassFourLanes(r, state, vL, vR, cL, cR, count);
}
}
