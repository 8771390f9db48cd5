// Many spectra of one size in one aligned array, spectrum after spectrum
// (its real parts, then its imaginary parts, each padded to a whole number
// of cache lines), so that a pass over consecutive spectra reads memory in
// order.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Utilities.h"

namespace convolution {

// A spectrum somewhere else: bins values each of re and im.
struct SpectrumRef {
    const float* re = nullptr;
    const float* im = nullptr;
    size_t bins = 0;
};

class SpectrumArray {
public:
    // Room for count spectra of bins bins. Grows only: storage that is large
    // enough is kept with its contents (whatever they are). Answers false,
    // leaving the array empty, when memory runs out. [host thread; audio
    // thread when it allocates nothing]
    bool ensure(size_t count, size_t bins)
    {
        const size_t stride = 2 * Padded(bins);
        if (count > _storage.size() / stride) {
            if (count > SIZE_MAX / sizeof(float) / stride || !_storage.resize(count * stride)) {
                clear();
                return false;
            }
        }
        _bins = bins;
        _stride = stride;
        return true;
    }

    void clear()
    {
        _storage.clear();
        _bins = 0;
        _stride = 0;
    }

    float* re(size_t i) { return _storage.data() + i * _stride; }
    float* im(size_t i) { return _storage.data() + i * _stride + _stride / 2; }
    const float* re(size_t i) const { return _storage.data() + i * _stride; }
    const float* im(size_t i) const { return _storage.data() + i * _stride + _stride / 2; }
    SpectrumRef ref(size_t i) const { return SpectrumRef{re(i), im(i), _bins}; }
    // Floats from one spectrum to the next.
    size_t stride() const { return _stride; }

private:
    static size_t Padded(size_t bins) { return (bins + 15) / 16 * 16; }

    Buffer<float> _storage;
    size_t _bins = 0;
    size_t _stride = 0;
};

} // namespace convolution
