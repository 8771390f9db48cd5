#include "RealFFTKernels.h"

#include "CpuFeatures.h"

#ifdef QUILLATONE_AVX_KERNELS
#define QUILLATONE_FFT_AVX __attribute__((target("avx")))
#else
#define QUILLATONE_FFT_AVX
#endif

namespace realfft {
namespace details {

// The arithmetic again, compiled for AVX.
namespace wide {
#ifdef QUILLATONE_AVX_KERNELS
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx")
#endif
#endif
#include "RealFFTArithmetic.h"
#ifdef QUILLATONE_AVX_KERNELS
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif
} // namespace wide

namespace {

typedef double Double4 __attribute__((vector_size(32)));

QUILLATONE_FFT_AVX inline Double4 Load4(const double* p)
{
    Double4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

QUILLATONE_FFT_AVX inline void Store4(double* p, Double4 v) { std::memcpy(p, &v, sizeof v); }

QUILLATONE_FFT_AVX inline Double4 Splat4(double x) { return Double4{x, x, x, x}; }

typedef float Float4 __attribute__((vector_size(16)));

QUILLATONE_FFT_AVX inline Double4 LoadFloat4(const float* p)
{
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return __builtin_convertvector(v, Double4);
}

QUILLATONE_FFT_AVX inline void StoreFloat4(float* p, Double4 v)
{
    const Float4 f = __builtin_convertvector(v, Float4);
    std::memcpy(p, &f, sizeof f);
}

QUILLATONE_FFT_AVX inline Double4 Reverse4(Double4 v) { return __builtin_shufflevector(v, v, 3, 2, 1, 0); }

const bool kHasAvx = cpu::detectAvx();
bool useAvx = kHasAvx;

} // namespace

bool HasAvx() { return useAvx; }

void UseAvx(bool on) { useAvx = on && kHasAvx; }

// Four butterflies at a time; lane j goes to 4(p + j) .. 4(p + j) + 3.
QUILLATONE_FFT_AVX void FirstStageAvx(const Stage& st, const double* w, const double* xr, const double* xi, double* yr,
                                      double* yi)
{
    const size_t q4 = st.n / 4;
    for (size_t p = 0; p < q4; p += 4) {
        wide::Butterfly<Double4> b(Load4(xr + p), Load4(xi + p), Load4(xr + p + q4), Load4(xi + p + q4),
                             Load4(xr + p + 2 * q4), Load4(xi + p + 2 * q4), Load4(xr + p + 3 * q4),
                             Load4(xi + p + 3 * q4));
        wide::Rotate(b.t1r, b.t1i, Load4(w + p), Load4(w + q4 + p));
        wide::Rotate(b.t2r, b.t2i, Load4(w + 2 * q4 + p), Load4(w + 3 * q4 + p));
        wide::Rotate(b.t3r, b.t3i, Load4(w + 4 * q4 + p), Load4(w + 5 * q4 + p));
        const Double4* parts[2][4] = {{&b.t0r, &b.t1r, &b.t2r, &b.t3r}, {&b.t0i, &b.t1i, &b.t2i, &b.t3i}};
        double* out[2] = {yr + 4 * p, yi + 4 * p};
        for (int c = 0; c < 2; ++c) {
            // A 4 x 4 transpose of (t0, t1, t2, t3).
            const Double4 t0 = *parts[c][0], t1 = *parts[c][1], t2 = *parts[c][2], t3 = *parts[c][3];
            const Double4 a = __builtin_shufflevector(t0, t1, 0, 4, 2, 6);
            const Double4 bb = __builtin_shufflevector(t0, t1, 1, 5, 3, 7);
            const Double4 cc = __builtin_shufflevector(t2, t3, 0, 4, 2, 6);
            const Double4 d = __builtin_shufflevector(t2, t3, 1, 5, 3, 7);
            Store4(out[c], __builtin_shufflevector(a, cc, 0, 1, 4, 5));
            Store4(out[c] + 4, __builtin_shufflevector(bb, d, 0, 1, 4, 5));
            Store4(out[c] + 8, __builtin_shufflevector(a, cc, 2, 3, 6, 7));
            Store4(out[c] + 12, __builtin_shufflevector(bb, d, 2, 3, 6, 7));
        }
    }
}

QUILLATONE_FFT_AVX void Stage4Avx(const Stage& st, const double* w, const double* xr, const double* xi, double* yr,
                                  double* yi)
{
    const size_t s = st.n / 4 * st.s;
    const size_t stride = st.s;
    const size_t q4 = st.n / 4;
    for (size_t p = 0; p < q4; ++p) {
        const Double4 w1r = Splat4(w[p]), w1i = Splat4(w[q4 + p]);
        const Double4 w2r = Splat4(w[2 * q4 + p]), w2i = Splat4(w[3 * q4 + p]);
        const Double4 w3r = Splat4(w[4 * q4 + p]), w3i = Splat4(w[5 * q4 + p]);
        const double* ar = xr + stride * p;
        const double* ai = xi + stride * p;
        double* y0r = yr + stride * 4 * p;
        double* y0i = yi + stride * 4 * p;
        for (size_t q = 0; q < stride; q += 4) {
            wide::Butterfly<Double4> b(Load4(ar + q), Load4(ai + q), Load4(ar + q + s), Load4(ai + q + s),
                                 Load4(ar + q + 2 * s), Load4(ai + q + 2 * s), Load4(ar + q + 3 * s),
                                 Load4(ai + q + 3 * s));
            wide::Rotate(b.t1r, b.t1i, w1r, w1i);
            wide::Rotate(b.t2r, b.t2i, w2r, w2i);
            wide::Rotate(b.t3r, b.t3i, w3r, w3i);
            Store4(y0r + q, b.t0r);
            Store4(y0i + q, b.t0i);
            Store4(y0r + q + stride, b.t1r);
            Store4(y0i + q + stride, b.t1i);
            Store4(y0r + q + 2 * stride, b.t2r);
            Store4(y0i + q + 2 * stride, b.t2i);
            Store4(y0r + q + 3 * stride, b.t3r);
            Store4(y0i + q + 3 * stride, b.t3i);
        }
    }
}

QUILLATONE_FFT_AVX void LastStage4Avx(size_t stride, const double* xr, const double* xi, double* yr, double* yi)
{
    for (size_t q = 0; q < stride; q += 4) {
        wide::Butterfly<Double4> b(Load4(xr + q), Load4(xi + q), Load4(xr + q + stride), Load4(xi + q + stride),
                             Load4(xr + q + 2 * stride), Load4(xi + q + 2 * stride), Load4(xr + q + 3 * stride),
                             Load4(xi + q + 3 * stride));
        Store4(yr + q, b.t0r);
        Store4(yi + q, b.t0i);
        Store4(yr + q + stride, b.t1r);
        Store4(yi + q + stride, b.t1i);
        Store4(yr + q + 2 * stride, b.t2r);
        Store4(yi + q + 2 * stride, b.t2i);
        Store4(yr + q + 3 * stride, b.t3r);
        Store4(yi + q + 3 * stride, b.t3i);
    }
}

QUILLATONE_FFT_AVX void LastStage2Avx(size_t s, const double* xr, const double* xi, double* yr, double* yi)
{
    for (size_t q = 0; q < s; q += 4) {
        const Double4 ar = Load4(xr + q), ai = Load4(xi + q), br = Load4(xr + q + s), bi = Load4(xi + q + s);
        Store4(yr + q, ar + br);
        Store4(yi + q, ai + bi);
        Store4(yr + q + s, ar - br);
        Store4(yi + q + s, ai - bi);
    }
}

QUILLATONE_FFT_AVX size_t LoadAvx(const float* data, double* zr, double* zi, size_t m)
{
    size_t j = 0;
    for (; j + 4 <= m; j += 4) {
        const Double4 first = LoadFloat4(data + 2 * j), second = LoadFloat4(data + 2 * j + 4);
        Store4(zr + j, __builtin_shufflevector(first, second, 0, 2, 4, 6));
        Store4(zi + j, __builtin_shufflevector(first, second, 1, 3, 5, 7));
    }
    return j;
}

QUILLATONE_FFT_AVX size_t SplitAvx(const double* zr, const double* zi, const double* c, const double* sn, float* re,
                                   float* im, size_t m)
{
    const size_t half = m / 2;
    size_t k = 1;
    for (; k + 4 <= half; k += 4) {
        Double4 xr, xi, yr, yi;
        wide::SplitBins(Load4(zr + k), Load4(zi + k), Reverse4(Load4(zr + m - k - 3)), Reverse4(Load4(zi + m - k - 3)),
                  Load4(c + k), Load4(sn + k), xr, xi, yr, yi);
        StoreFloat4(re + k, xr);
        StoreFloat4(im + k, xi);
        StoreFloat4(re + m - k - 3, Reverse4(yr));
        StoreFloat4(im + m - k - 3, Reverse4(yi));
    }
    return k;
}

QUILLATONE_FFT_AVX size_t MergeAvx(const float* re, const float* im, const double* c, const double* sn, double* zr,
                                   double* zi, size_t m)
{
    const size_t half = m / 2;
    size_t k = 1;
    for (; k + 4 <= half; k += 4) {
        Double4 xr, xi, yr, yi;
        wide::MergeBins(LoadFloat4(re + k), LoadFloat4(im + k), Reverse4(LoadFloat4(re + m - k - 3)),
                  Reverse4(LoadFloat4(im + m - k - 3)), Load4(c + k), Load4(sn + k), xr, xi, yr, yi);
        Store4(zr + k, xr);
        Store4(zi + k, xi);
        Store4(zr + m - k - 3, Reverse4(yr));
        Store4(zi + m - k - 3, Reverse4(yi));
    }
    return k;
}

QUILLATONE_FFT_AVX size_t StoreAvx(const double* zr, const double* zi, double scale, float* data, size_t m)
{
    const Double4 scaleRe = Splat4(scale), scaleIm = Splat4(-scale);
    size_t j = 0;
    for (; j + 4 <= m; j += 4) {
        const Double4 r = Load4(zr + j) * scaleRe, i = Load4(zi + j) * scaleIm;
        StoreFloat4(data + 2 * j, __builtin_shufflevector(r, i, 0, 4, 1, 5));
        StoreFloat4(data + 2 * j + 4, __builtin_shufflevector(r, i, 2, 6, 3, 7));
    }
    return j;
}

} // namespace details
} // namespace realfft
