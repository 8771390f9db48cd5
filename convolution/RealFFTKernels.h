// The real FFT's building blocks, shared by its two-lane passes and the
// four-lane ones for processors with AVX. Every lane does the same double
// precision operations in the same order (no fused multiply-add), so both
// give the same bits.
#pragma once

#include <cstddef>
#include <cstring>

namespace realfft {
namespace details {

typedef double Double2 __attribute__((vector_size(16)));

inline Double2 Load2(const double* p)
{
    Double2 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void Store2(double* p, Double2 v) { std::memcpy(p, &v, sizeof v); }

inline Double2 Splat(double x) { return Double2{x, x}; }

// One radix-4 pass of a Stockham transform: sub-transform length n, stride s.
struct Stage {
    size_t n;
    size_t s;
    size_t twiddles; // offset of w1 re, w1 im, w2 re, w2 im, w3 re, w3 im (n/4 each)
};

// Radix-4 butterfly without twiddles: t0 = a+b+c+d, t1 = (a-c) - i(b-d),
// t2 = (a+c) - (b+d), t3 = (a-c) + i(b-d).
template <typename T>
struct Butterfly {
    T t0r, t0i, t1r, t1i, t2r, t2i, t3r, t3i;

    __attribute__((always_inline)) Butterfly(T ar, T ai, T br, T bi, T cr, T ci, T dr, T di)
    {
        const T apcr = ar + cr, apci = ai + ci, amcr = ar - cr, amci = ai - ci;
        const T bpdr = br + dr, bpdi = bi + di, bmdr = br - dr, bmdi = bi - di;
        t0r = apcr + bpdr;
        t0i = apci + bpdi;
        t1r = amcr + bmdi;
        t1i = amci - bmdr;
        t2r = apcr - bpdr;
        t2i = apci - bpdi;
        t3r = amcr - bmdi;
        t3i = amci + bmdr;
    }
};

template <typename T>
__attribute__((always_inline)) inline void Rotate(T& r, T& i, T wr, T wi)
{
    const T nr = r * wr - i * wi;
    i = r * wi + i * wr;
    r = nr;
}

// Bins k and M-k of the real spectrum from Z[k] and Z[M-k]:
// X[k] = E + W^k O, X[M-k] = conj(E - W^k O), with E = (Z[k] + conj Z[M-k])/2
// and O = -i (Z[k] - conj Z[M-k])/2. T is double or Double2 (two k at once).
template <typename T>
__attribute__((always_inline)) inline void SplitBins(T ar, T ai, T br, T bi, T c, T s, T& xr, T& xi, T& yr, T& yi)
{
    const T er = 0.5 * (ar + br), ei = 0.5 * (ai - bi);
    const T orr = 0.5 * (ai + bi), oi = 0.5 * (br - ar);
    const T wr = c * orr + s * oi;
    const T wi = c * oi - s * orr;
    xr = er + wr;
    xi = ei + wi;
    yr = er - wr;
    yi = wi - ei;
}

// The inverse of SplitBins, doubled and conjugated: from X[k] and X[M-k],
// conj(2 Z[k]) and conj(2 Z[M-k]).
template <typename T>
__attribute__((always_inline)) inline void MergeBins(T pr, T pi, T qr, T qi, T c, T s, T& zr, T& zi, T& yr, T& yi)
{
    qi = -qi; // q = conj X[M-k]
    const T er = pr + qr, ei = pi + qi;
    const T dr = pr - qr, di = pi - qi;
    const T orr = c * dr - s * di;
    const T oi = c * di + s * dr;
    zr = er - oi;
    zi = -(ei + orr);
    yr = er + oi;
    yi = ei - orr;
}

// Whether the four-lane passes run: decided once when the module loads.
// [any thread]
bool HasAvx();
// Tests compare both forms: off runs the two-lane passes everywhere; on
// runs the four-lane ones where the processor has AVX. [host thread, while
// no transform runs]
void UseAvx(bool on);

// Four-lane forms of the passes. FirstStageAvx: stride 1, n/4 a multiple of
// four; the others: stride a multiple of four. [any thread]
void FirstStageAvx(const Stage& st, const double* w, const double* xr, const double* xi, double* yr, double* yi);
void Stage4Avx(const Stage& st, const double* w, const double* xr, const double* xi, double* yr, double* yi);
void LastStage4Avx(size_t stride, const double* xr, const double* xi, double* yr, double* yi);
void LastStage2Avx(size_t s, const double* xr, const double* xi, double* yr, double* yi);

// Four-lane parts of the conversions between the real and the complex
// transform, m = N/2 complex points; each answers where the caller goes on.
// LoadAvx: points [0, return) of data; SplitAvx and MergeAvx: bins from 1
// (and their mirrors) up to return; StoreAvx: points [0, return).
size_t LoadAvx(const float* data, double* zr, double* zi, size_t m);
size_t SplitAvx(const double* zr, const double* zi, const double* c, const double* sn, float* re, float* im,
                size_t m);
size_t MergeAvx(const float* re, const float* im, const double* c, const double* sn, double* zr, double* zi,
                size_t m);
size_t StoreAvx(const double* zr, const double* zi, double scale, float* data, size_t m);

} // namespace details
} // namespace realfft
