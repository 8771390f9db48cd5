// The real FFT's building blocks, shared by its two-lane passes and the
// four-lane ones for processors with AVX. Every lane does the same double
// precision operations in the same order (no fused multiply-add), so both
// give the same bits.
#pragma once

#include <cstddef>
#include <cstring>

#include "SimdVectors.h"

namespace realfft {
namespace details {

using simd::Double2;
using simd::load2;
using simd::store2;

inline Double2 Splat(double x) { return Double2{x, x}; }

// One radix-4 pass of a Stockham transform: sub-transform length n, stride s.
struct Stage {
    size_t n;
    size_t s;
    size_t twiddles; // offset of w1 re, w1 im, w2 re, w2 im, w3 re, w3 im (n/4 each)
};

#include "RealFFTArithmetic.h"

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
