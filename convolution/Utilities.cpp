#include "Utilities.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "CpuFeatures.h"
#include "SimdVectors.h"

namespace convolution {

namespace details {

void CheckFailed(const char* operation, const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: %s: check failed: %s\n", file, line, operation, condition);
    std::fflush(stderr);
    std::abort();
}

void* AllocateZeroed(size_t n, size_t elementSize)
{
    if (n == 0 || elementSize == 0 || n > (static_cast<size_t>(PTRDIFF_MAX) - kAlignment) / elementSize)
        return nullptr;
    const size_t bytes = n * elementSize;
    void* memory = ::operator new(bytes, std::align_val_t(kAlignment), std::nothrow);
    if (memory)
        std::memset(memory, 0, bytes);
    return memory;
}

void Release(void* memory)
{
    if (memory)
        ::operator delete(memory, std::align_val_t(kAlignment));
}

} // namespace details

bool SplitSpectrum::resize(size_t n)
{
    if (!re.resize(n) || !im.resize(n)) {
        clear();
        return false;
    }
    _size = n;
    return true;
}

void SplitSpectrum::clear()
{
    re.clear();
    im.clear();
    _size = 0;
}

void SplitSpectrum::setZero()
{
    re.setZero();
    im.setZero();
}

void SplitSpectrum::copyFrom(const SplitSpectrum& other)
{
    re.copyFrom(other.re);
    im.copyFrom(other.im);
}

namespace {
using simd::Float4;
using simd::load4;
using simd::store4;

// result = a * b + c, element by element (c may be result).
inline void MultiplyAdd(float* resultRe, float* resultIm, const float* aRe, const float* aIm, const float* bRe,
                        const float* bIm, const float* cRe, const float* cIm, size_t len)
{
    const size_t vectorLen = len & ~size_t(3);
    size_t i = 0;
    for (; i < vectorLen; i += 4) {
        const Float4 ar = load4(aRe + i), ai = load4(aIm + i);
        const Float4 br = load4(bRe + i), bi = load4(bIm + i);
        store4(resultRe + i, (ar * br + load4(cRe + i)) - ai * bi);
        store4(resultIm + i, (ar * bi + load4(cIm + i)) + br * ai);
    }
    for (; i < len; ++i) {
        const float ar = aRe[i], ai = aIm[i], br = bRe[i], bi = bIm[i];
        resultRe[i] = (ar * br + cRe[i]) - ai * bi;
        resultIm[i] = (ar * bi + cIm[i]) + br * ai;
    }
}
} // namespace

void ComplexMultiplyAccumulate(SplitSpectrum& result, const SplitSpectrum& a, const SplitSpectrum& b)
{
    CONVOLUTION_CHECK("ComplexMultiplyAccumulate", result.size() == a.size());
    CONVOLUTION_CHECK("ComplexMultiplyAccumulate", result.size() == b.size());
    size_t len = result.size();
    if (a.size() < len)
        len = a.size();
    if (b.size() < len)
        len = b.size();
    ComplexMultiplyAccumulate(result.re.data(), result.im.data(), a.re.data(), a.im.data(), b.re.data(),
                              b.im.data(), len);
}

void ComplexMultiplyAccumulate(float* resultRe, float* resultIm, const float* aRe, const float* aIm,
                               const float* bRe, const float* bIm, size_t len)
{
    MultiplyAdd(resultRe, resultIm, aRe, aIm, bRe, bIm, resultRe, resultIm, len);
}

namespace {

#ifdef QUILLATONE_AVX_KERNELS
// Each lane does the same multiplications and additions (no fused ones), so
// the bits are those of the four-lane loop.
typedef float Float8 __attribute__((vector_size(32)));

// A spectrum at a time, eight bins at a time, then the bins left over one
// by one.
__attribute__((target("avx"))) void AccumulateRun8(float* resultRe, float* resultIm, const float* a, size_t aStride,
                                                   const float* b, size_t bStride, size_t count, size_t len)
{
    const size_t vectorLen = len & ~size_t(7);
    for (size_t j = 0; j < count; ++j) {
        const float* ar = a + j * aStride;
        const float* ai = ar + aStride / 2;
        const float* br = b + j * bStride;
        const float* bi = br + bStride / 2;
        for (size_t i = 0; i < vectorLen; i += 8) {
            Float8 re, im, ar0, ai0, br0, bi0;
            std::memcpy(&re, resultRe + i, sizeof re);
            std::memcpy(&im, resultIm + i, sizeof im);
            std::memcpy(&ar0, ar + i, sizeof ar0);
            std::memcpy(&ai0, ai + i, sizeof ai0);
            std::memcpy(&br0, br + i, sizeof br0);
            std::memcpy(&bi0, bi + i, sizeof bi0);
            re = (ar0 * br0 + re) - ai0 * bi0;
            im = (ar0 * bi0 + im) + br0 * ai0;
            std::memcpy(resultRe + i, &re, sizeof re);
            std::memcpy(resultIm + i, &im, sizeof im);
        }
        for (size_t i = vectorLen; i < len; ++i) {
            resultRe[i] = (ar[i] * br[i] + resultRe[i]) - ai[i] * bi[i];
            resultIm[i] = (ar[i] * bi[i] + resultIm[i]) + br[i] * ai[i];
        }
    }
}

// Decided once when the module loads, so the audio thread never asks.
const bool kHasAvx = cpu::detectAvx();
#endif

} // namespace

void ComplexMultiplyAccumulateRun(float* resultRe, float* resultIm, const float* a, size_t aStride, const float* b,
                                  size_t bStride, size_t count, size_t len)
{
#ifdef QUILLATONE_AVX_KERNELS
    if (kHasAvx) {
        AccumulateRun8(resultRe, resultIm, a, aStride, b, bStride, count, len);
        return;
    }
#endif
    for (size_t j = 0; j < count; ++j) {
        const float* ar = a + j * aStride;
        const float* br = b + j * bStride;
        MultiplyAdd(resultRe, resultIm, ar, ar + aStride / 2, br, br + bStride / 2, resultRe, resultIm, len);
    }
}

void ComplexMultiplyAdd(float* resultRe, float* resultIm, const float* aRe, const float* aIm, const float* bRe,
                        const float* bIm, const float* cRe, const float* cIm, size_t len)
{
    MultiplyAdd(resultRe, resultIm, aRe, aIm, bRe, bIm, cRe, cIm, len);
}

void AddSamples(float* result, const float* a, const float* b, size_t len)
{
    const size_t blockLen = len & ~size_t(15);
    size_t i = 0;
    for (; i < blockLen; i += 16) {
        store4(result + i, load4(a + i) + load4(b + i));
        store4(result + i + 4, load4(a + i + 4) + load4(b + i + 4));
        store4(result + i + 8, load4(a + i + 8) + load4(b + i + 8));
        store4(result + i + 12, load4(a + i + 12) + load4(b + i + 12));
    }
    for (; i + 4 <= len; i += 4)
        store4(result + i, load4(a + i) + load4(b + i));
    for (; i < len; ++i)
        result[i] = a[i] + b[i];
}

void CopyAndPad(Buffer<float>& dest, const float* src, size_t srcSize)
{
    CONVOLUTION_CHECK("CopyAndPad", dest.size() >= srcSize);
    const size_t n = srcSize < dest.size() ? srcSize : dest.size();
    if (n)
        std::memmove(dest.data(), src, n * sizeof(float));
    if (dest.size() > n)
        std::memset(dest.data() + n, 0, (dest.size() - n) * sizeof(float));
}

} // namespace convolution
