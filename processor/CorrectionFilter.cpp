#include "CorrectionFilter.h"

#include <cmath>

#include "CpuFeatures.h"

#ifdef QUILLATONE_AVX_KERNELS
#include <immintrin.h>
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
#ifdef QUILLATONE_AVX_KERNELS
// Eight lanes: section pairs p and p + 1 side by side. Each lane's partial sum
// still takes its sections in increasing order: pair p's products are added
// before pair p + 1's, and every block of sections over all frames of a chunk
// before the next block.
constexpr int chunkFrames = 64;

// One sample of J vectors of section pairs from pair first on, with the
// states in registers: newer holds the states one sample back, older those
// two back, which become the new ones. acc: lanes 0-3 the partial sums on the
// current states, 4-7 those on the previous.
template <int J>
__attribute__((target("avx"), always_inline)) inline void sectionStep(const CorrectionPairRecord& r, int first,
                                                                      __m256 v, const __m256 (&newer)[J],
                                                                      __m256 (&older)[J], __m256& acc)
{
    for (int j = 0; j < J; ++j)
    {
        const int p = first + 2 * j;
        const __m256 n = _mm256_sub_ps(_mm256_sub_ps(v, _mm256_mul_ps(_mm256_loadu_ps(r.a1[p]), newer[j])),
                                       _mm256_mul_ps(_mm256_loadu_ps(r.a2[p]), older[j]));
        const __m256 onCurrent = _mm256_mul_ps(_mm256_loadu_ps(r.current[p]), n);
        const __m256 onPrevious = _mm256_mul_ps(_mm256_loadu_ps(r.previous[p]), newer[j]);
        acc = _mm256_add_ps(acc, _mm256_permute2f128_ps(onCurrent, onPrevious, 0x20));
        acc = _mm256_add_ps(acc, _mm256_permute2f128_ps(onCurrent, onPrevious, 0x31));
        older[j] = n;
    }
}

// J vectors of section pairs from pair first on over count frames: v[i] the
// frame's input in the lanes, acc[i] its partial sums so far.
template <int J>
__attribute__((target("avx"))) void sectionBlock(const CorrectionPairRecord& r, CorrectionPairState& state, int first,
                                                 const float (*v)[8], float (*acc)[8], int count)
{
    __m256 x[J], y[J];
    for (int j = 0; j < J; ++j)
    {
        x[j] = _mm256_loadu_ps(state.w1[first + 2 * j]);
        y[j] = _mm256_loadu_ps(state.w2[first + 2 * j]);
    }
    int i = 0;
    for (; i + 2 <= count; i += 2)
    {
        __m256 a = _mm256_loadu_ps(acc[i]);
        sectionStep<J>(r, first, _mm256_loadu_ps(v[i]), x, y, a);
        _mm256_storeu_ps(acc[i], a);
        a = _mm256_loadu_ps(acc[i + 1]);
        sectionStep<J>(r, first, _mm256_loadu_ps(v[i + 1]), y, x, a);
        _mm256_storeu_ps(acc[i + 1], a);
    }
    const bool odd = i < count;
    if (odd)
    {
        __m256 a = _mm256_loadu_ps(acc[i]);
        sectionStep<J>(r, first, _mm256_loadu_ps(v[i]), x, y, a);
        _mm256_storeu_ps(acc[i], a);
    }
    for (int j = 0; j < J; ++j)
    {
        _mm256_storeu_ps(state.w1[first + 2 * j], odd ? y[j] : x[j]);
        _mm256_storeu_ps(state.w2[first + 2 * j], odd ? x[j] : y[j]);
    }
}

// The direct path of one channel over count frames: line holds the ten
// inputs before the first frame (oldest first), then the frames' inputs.
__attribute__((target("avx"))) void directPath(const CorrectionPairRecord& r, const float* line, float* out,
                                               int count)
{
    const float* x = line + directTapCount;
    int i = 0;
    for (; i + 8 <= count; i += 8)
    {
        __m256 d = _mm256_mul_ps(_mm256_set1_ps(r.direct[directTapCount]), _mm256_loadu_ps(x + i));
        for (int m = 0; m < directTapCount; ++m)
            d = _mm256_add_ps(d, _mm256_mul_ps(_mm256_set1_ps(r.direct[m]), _mm256_loadu_ps(x + i - 1 - m)));
        _mm256_storeu_ps(out + i, d);
    }
    for (; i < count; ++i)
    {
        float d = r.direct[directTapCount] * x[i];
        for (int m = 0; m < directTapCount; ++m)
            d += r.direct[m] * x[i - 1 - m];
        out[i] = d;
    }
}

__attribute__((target("avx"))) void passEightLanes(const CorrectionPairRecord& r, CorrectionPairState& state,
                                                   const float* vL, const float* vR, float* cL, float* cR,
                                                   int count)
{
    constexpr int vectors = sectionPairCount / 2;  // two pairs each
    constexpr int block = 3;
    static_assert(sectionPairCount % 2 == 0, "pairs run two at a time");
    float v[chunkFrames][8];
    float acc[chunkFrames][8];
    float line[2][directTapCount + chunkFrames];
    float direct[2][chunkFrames];
    for (int start = 0; start < count; start += chunkFrames)
    {
        const int n = count - start < chunkFrames ? count - start : chunkFrames;
        for (int i = 0; i < n; ++i)
        {
            const float l = vL[start + i], rr = vR[start + i];
            _mm256_storeu_ps(v[i], _mm256_setr_ps(l, l, rr, rr, l, l, rr, rr));
            _mm256_storeu_ps(acc[i], _mm256_setzero_ps());
        }
        int vector = 0;
        for (; vector + block <= vectors; vector += block)
            sectionBlock<block>(r, state, 2 * vector, v, acc, n);
        for (; vector < vectors; ++vector)
            sectionBlock<1>(r, state, 2 * vector, v, acc, n);

        for (int c = 0; c < 2; ++c)
        {
            float* h = state.history[c];
            const float* in = (c == 0 ? vL : vR) + start;
            for (int m = 0; m < directTapCount; ++m)
                line[c][m] = h[directTapCount - 1 - m];
            for (int i = 0; i < n; ++i)
                line[c][directTapCount + i] = in[i];
            directPath(r, line[c], direct[c], n);
            for (int m = 0; m < directTapCount; ++m)
                h[m] = line[c][directTapCount + n - 1 - m];
        }
        for (int i = 0; i < n; ++i)
        {
            const float* a = acc[i];
            cL[start + i] = ((a[0] + a[4]) + (a[1] + a[5])) + direct[0][i];
            cR[start + i] = ((a[2] + a[6]) + (a[3] + a[7])) + direct[1][i];
        }
    }
}

// Decided once when the module loads, so the audio thread never asks.
const bool hasAvx = cpu::detectAvx();
#endif
} // namespace

void processCorrectionPass(const CorrectionPairRecord& r, CorrectionPairState& state, const float* vL,
                           const float* vR, float* cL, float* cR, int count)
{
#ifdef QUILLATONE_AVX_KERNELS
    if (hasAvx)
    {
        passEightLanes(r, state, vL, vR, cL, cR, count);
        return;
    }
#endif
    processCorrectionPassFourLanes(r, state, vL, vR, cL, cR, count);
}
}
