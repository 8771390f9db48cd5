#include "Utilities.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

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
typedef float Float4 __attribute__((vector_size(16)));

inline Float4 Load4(const float* p)
{
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void Store4(float* p, Float4 v) { std::memcpy(p, &v, sizeof v); }

// result = a * b + c, element by element (c may be result).
inline void MultiplyAdd(float* resultRe, float* resultIm, const float* aRe, const float* aIm, const float* bRe,
                        const float* bIm, const float* cRe, const float* cIm, size_t len)
{
    const size_t vectorLen = len & ~size_t(3);
    size_t i = 0;
    for (; i < vectorLen; i += 4) {
        const Float4 ar = Load4(aRe + i), ai = Load4(aIm + i);
        const Float4 br = Load4(bRe + i), bi = Load4(bIm + i);
        Store4(resultRe + i, (ar * br + Load4(cRe + i)) - ai * bi);
        Store4(resultIm + i, (ar * bi + Load4(cIm + i)) + br * ai);
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

// Bins [from, len) of ComplexMultiplyAccumulateMany, one bin at a time.
void AccumulateManyScalar(float* resultRe, float* resultIm, const float* const* aRe, const float* const* aIm,
                          const float* const* bRe, const float* const* bIm, size_t count, size_t from, size_t len)
{
    for (size_t i = from; i < len; ++i) {
        float re = resultRe[i], im = resultIm[i];
        for (size_t j = 0; j < count; ++j) {
            const float ar = aRe[j][i], ai = aIm[j][i], br = bRe[j][i], bi = bIm[j][i];
            re = (ar * br + re) - ai * bi;
            im = (ar * bi + im) + br * ai;
        }
        resultRe[i] = re;
        resultIm[i] = im;
    }
}

// Bins from `from` on, eight at a time, four lanes wide; returns the first
// bin left over.
size_t AccumulateMany4(float* resultRe, float* resultIm, const float* const* aRe, const float* const* aIm,
                       const float* const* bRe, const float* const* bIm, size_t count, size_t from, size_t len)
{
    const size_t vectorLen = from + ((len - from) & ~size_t(7));
    for (size_t i = from; i < vectorLen; i += 8) {
        Float4 re0 = Load4(resultRe + i), re1 = Load4(resultRe + i + 4);
        Float4 im0 = Load4(resultIm + i), im1 = Load4(resultIm + i + 4);
        for (size_t j = 0; j < count; ++j) {
            const float* ar = aRe[j] + i;
            const float* ai = aIm[j] + i;
            const float* br = bRe[j] + i;
            const float* bi = bIm[j] + i;
            const Float4 ar0 = Load4(ar), ai0 = Load4(ai), br0 = Load4(br), bi0 = Load4(bi);
            const Float4 ar1 = Load4(ar + 4), ai1 = Load4(ai + 4), br1 = Load4(br + 4), bi1 = Load4(bi + 4);
            re0 = (ar0 * br0 + re0) - ai0 * bi0;
            im0 = (ar0 * bi0 + im0) + br0 * ai0;
            re1 = (ar1 * br1 + re1) - ai1 * bi1;
            im1 = (ar1 * bi1 + im1) + br1 * ai1;
        }
        Store4(resultRe + i, re0);
        Store4(resultRe + i + 4, re1);
        Store4(resultIm + i, im0);
        Store4(resultIm + i + 4, im1);
    }
    return vectorLen;
}

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
// From bin 0, sixteen bins at a time, eight lanes wide, on processors with AVX:
// each lane does the same multiplications and additions (no fused ones), so
// the bits are those of the four-lane loop.
typedef float Float8 __attribute__((vector_size(32)));

__attribute__((target("avx"))) size_t AccumulateMany8(float* resultRe, float* resultIm, const float* const* aRe,
                                                      const float* const* aIm, const float* const* bRe,
                                                      const float* const* bIm, size_t count, size_t len)
{
#define QUILLATONE_LOAD8(v, p) std::memcpy(&(v), (p), sizeof(Float8))
    const size_t vectorLen = len & ~size_t(15);
    for (size_t i = 0; i < vectorLen; i += 16) {
        Float8 re0, re1, im0, im1;
        QUILLATONE_LOAD8(re0, resultRe + i);
        QUILLATONE_LOAD8(re1, resultRe + i + 8);
        QUILLATONE_LOAD8(im0, resultIm + i);
        QUILLATONE_LOAD8(im1, resultIm + i + 8);
        for (size_t j = 0; j < count; ++j) {
            Float8 ar0, ai0, br0, bi0, ar1, ai1, br1, bi1;
            QUILLATONE_LOAD8(ar0, aRe[j] + i);
            QUILLATONE_LOAD8(ai0, aIm[j] + i);
            QUILLATONE_LOAD8(br0, bRe[j] + i);
            QUILLATONE_LOAD8(bi0, bIm[j] + i);
            QUILLATONE_LOAD8(ar1, aRe[j] + i + 8);
            QUILLATONE_LOAD8(ai1, aIm[j] + i + 8);
            QUILLATONE_LOAD8(br1, bRe[j] + i + 8);
            QUILLATONE_LOAD8(bi1, bIm[j] + i + 8);
            re0 = (ar0 * br0 + re0) - ai0 * bi0;
            im0 = (ar0 * bi0 + im0) + br0 * ai0;
            re1 = (ar1 * br1 + re1) - ai1 * bi1;
            im1 = (ar1 * bi1 + im1) + br1 * ai1;
        }
        std::memcpy(resultRe + i, &re0, sizeof re0);
        std::memcpy(resultRe + i + 8, &re1, sizeof re1);
        std::memcpy(resultIm + i, &im0, sizeof im0);
        std::memcpy(resultIm + i + 8, &im1, sizeof im1);
    }
#undef QUILLATONE_LOAD8
    return vectorLen;
}

bool DetectAvx()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx");
}

// Decided once when the module loads, so the audio thread never asks.
const bool kHasAvx = DetectAvx();
#endif

} // namespace

void ComplexMultiplyAccumulateMany(float* resultRe, float* resultIm, const float* const* aRe,
                                   const float* const* aIm, const float* const* bRe, const float* const* bIm,
                                   size_t count, size_t len)
{
    if (count == 0)
        return;
    size_t done = 0;
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
    if (kHasAvx)
        done = AccumulateMany8(resultRe, resultIm, aRe, aIm, bRe, bIm, count, len);
#endif
    done = AccumulateMany4(resultRe, resultIm, aRe, aIm, bRe, bIm, count, done, len);
    AccumulateManyScalar(resultRe, resultIm, aRe, aIm, bRe, bIm, count, done, len);
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
        Store4(result + i, Load4(a + i) + Load4(b + i));
        Store4(result + i + 4, Load4(a + i + 4) + Load4(b + i + 4));
        Store4(result + i + 8, Load4(a + i + 8) + Load4(b + i + 8));
        Store4(result + i + 12, Load4(a + i + 12) + Load4(b + i + 12));
    }
    for (; i + 4 <= len; i += 4)
        Store4(result + i, Load4(a + i) + Load4(b + i));
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
