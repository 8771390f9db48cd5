// Aligned sample buffers, split-complex spectra and the vector kernels the
// convolvers run in their inner loops.
#pragma once

#include <cstddef>
#include <cstring>

// Precondition checks: on when the build defines CONVOLUTION_CHECKS, absent
// otherwise. A failed check names the operation and the condition and stops.
#if defined(CONVOLUTION_CHECKS)
#define CONVOLUTION_CHECK(operation, condition)                                        \
    do {                                                                               \
        if (!(condition))                                                              \
            ::convolution::details::CheckFailed(operation, #condition, __FILE__, __LINE__); \
    } while (0)
#else
#define CONVOLUTION_CHECK(operation, condition) \
    do {                                        \
    } while (0)
#endif

namespace convolution {

namespace details {
[[noreturn]] void CheckFailed(const char* operation, const char* condition, const char* file, int line);

// Zeroed memory for n elements of elementSize bytes, aligned to kAlignment;
// null when n is 0, when the byte count overflows or when memory runs out.
void* AllocateZeroed(size_t n, size_t elementSize);
void Release(void* memory);
} // namespace details

// Alignment of every buffer (at least the 16 bytes the vector loops need).
constexpr size_t kAlignment = 32;

// An owning, aligned, zero-filled array. Not copyable: it owns raw memory.
// All members: [any thread]; resize and clear allocate, the rest do not.
template <typename T>
class Buffer {
public:
    Buffer() = default;
    virtual ~Buffer() { clear(); }

    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    Buffer(Buffer&& other) noexcept { swap(other); }
    Buffer& operator=(Buffer&& other) noexcept
    {
        if (this != &other) {
            clear();
            swap(other);
        }
        return *this;
    }

    // Sizes to n elements, all zero; keeps the array when n is unchanged.
    // Answers false when the memory cannot be had: the buffer is then empty.
    bool resize(size_t n)
    {
        if (n != _size) {
            clear();
            if (n == 0)
                return true;
            _data = static_cast<T*>(details::AllocateZeroed(n, sizeof(T)));
            if (!_data)
                return false;
            _size = n;
            return true;
        }
        setZero();
        return true;
    }

    // Sizes to n elements like resize, but keeps the array and its contents
    // when n is unchanged.
    bool ensureSize(size_t n) { return n == _size || resize(n); }

    void clear()
    {
        details::Release(_data);
        _data = nullptr;
        _size = 0;
    }

    void setZero()
    {
        if (_size)
            std::memset(static_cast<void*>(_data), 0, _size * sizeof(T));
    }

    void copyFrom(const Buffer& other)
    {
        CONVOLUTION_CHECK("copyFrom", _size == other._size);
        if (_size && _size == other._size)
            std::memcpy(static_cast<void*>(_data), other._data, _size * sizeof(T));
    }

    // Exchanges the arrays (and sizes) of two buffers; copies nothing.
    void swap(Buffer& other) noexcept
    {
        T* d = _data;
        _data = other._data;
        other._data = d;
        size_t s = _size;
        _size = other._size;
        other._size = s;
    }

    T& operator[](size_t index)
    {
        CONVOLUTION_CHECK("operator[]", _data && index < _size);
        return _data[index];
    }
    const T& operator[](size_t index) const
    {
        CONVOLUTION_CHECK("operator[]", _data && index < _size);
        return _data[index];
    }

    T* data() { return _data; }
    const T* data() const { return _data; }
    size_t size() const { return _size; }
    bool empty() const { return _size == 0; }

private:
    T* _data = nullptr;
    size_t _size = 0;
};

// The half spectrum of one real block: real and imaginary parts apart.
// [any thread]; resize and clear allocate.
struct SplitSpectrum {
    Buffer<float> re;
    Buffer<float> im;

    // Answers false (and leaves the spectrum empty) when memory runs out.
    bool resize(size_t n);
    // The same, keeping the arrays and their contents when n is unchanged.
    bool ensureSize(size_t n) { return n == _size || resize(n); }
    void clear();
    void setZero();
    void copyFrom(const SplitSpectrum& other);
    size_t size() const { return _size; }

private:
    size_t _size = 0;
};

// result += a * b, bin by bin (complex). All three of the same size.
// [any thread]
void ComplexMultiplyAccumulate(SplitSpectrum& result, const SplitSpectrum& a, const SplitSpectrum& b);

// The same on plain arrays of len bins; no checks. [any thread]
void ComplexMultiplyAccumulate(float* resultRe, float* resultIm, const float* aRe, const float* aIm,
                               const float* bRe, const float* bIm, size_t len);

// result += a[j] * b[j] for j = 0 .. count - 1 in turn, bin by bin, with the
// very arithmetic of count ComplexMultiplyAccumulate calls. Spectrum j of a
// lies aStride floats after spectrum j - 1, its imaginary parts aStride / 2
// after its real parts; likewise b. A spectrum at a time, so that both runs
// are read in memory order. [any thread]
void ComplexMultiplyAccumulateRun(float* resultRe, float* resultIm, const float* a, size_t aStride, const float* b,
                                  size_t bStride, size_t count, size_t len);

// result = c + a * b, bin by bin, with the very arithmetic of copying c to
// result and then accumulating; result may not overlap the others.
// [any thread]
void ComplexMultiplyAdd(float* resultRe, float* resultIm, const float* aRe, const float* aIm, const float* bRe,
                        const float* bIm, const float* cRe, const float* cIm, size_t len);

// result[i] = a[i] + b[i] for i < len. [any thread]
void AddSamples(float* result, const float* a, const float* b, size_t len);

// Copies srcSize samples to the front of dest and zeroes the rest of it.
// [any thread]
void CopyAndPad(Buffer<float>& dest, const float* src, size_t srcSize);

} // namespace convolution
