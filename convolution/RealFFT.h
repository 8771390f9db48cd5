// Real FFT of power-of-two size, double precision inside.
//
// fft:  X[k] = sum_j x[j] e^(-2 pi i jk/N), k = 0..N/2, unnormalised;
//       im[0] and im[N/2] are written as exactly 0.
// ifft: the inverse of the Hermitian extension of re[0..N/2], im[1..N/2-1]
//       (im[0] and im[N/2] are ignored), 1/N included: ifft(fft(x)) = x.
#pragma once

#include <cstddef>
#include <memory>

namespace realfft {

namespace details {

bool IsPowerOf2(size_t size);

class RealFFTImpl {
public:
    virtual ~RealFFTImpl() = default;
    virtual bool init(size_t size) = 0;
    virtual void fft(const float* data, float* re, float* im) = 0;
    virtual void ifft(float* data, const float* re, const float* im) = 0;
    virtual size_t stepCount() const = 0;
    virtual void fftStep(size_t step, const float* data, float* re, float* im) = 0;
    virtual void ifftStep(size_t step, float* data, const float* re, const float* im) = 0;
};

std::unique_ptr<RealFFTImpl> CreateRealFFTImpl();

} // namespace details

class RealFFT {
public:
    RealFFT();  // [host thread]
    ~RealFFT(); // [host thread]

    RealFFT(const RealFFT&) = delete;
    RealFFT& operator=(const RealFFT&) = delete;

    // Prepares transforms of the given size (0, 1 or a power of two); keeps
    // the tables when the size is unchanged. Any other size is a caller's
    // error: a build with checks stops, one without answers false. Answers
    // false, leaving an empty transform, also when memory runs out.
    // [host thread]
    bool init(size_t size);

    // data: size() samples in; re, im: spectrumSize(size()) bins out.
    // Nothing happens on an empty transform. [audio thread]
    void fft(const float* data, float* re, float* im);

    // re, im: spectrumSize(size()) bins in; data: size() samples out.
    // [audio thread]
    void ifft(float* data, const float* re, const float* im);

    // The same transforms in steps, so that one transform can be spread
    // over several calls: steps 0 .. stepCount() - 1 in order do exactly what
    // fft (or ifft) does. Step 0 reads the input, the last step writes the
    // output; the steps of one transform must not interleave with another
    // transform of this object. [audio thread]
    size_t stepCount() const;
    void fftStep(size_t step, const float* data, float* re, float* im);
    void ifftStep(size_t step, float* data, const float* re, const float* im);

    size_t size() const { return _size; }

    // Number of bins of a real transform of size n.
    static size_t spectrumSize(size_t n) { return n / 2 + 1; }

private:
    std::unique_ptr<details::RealFFTImpl> _impl;
    size_t _size = 0;
};

} // namespace realfft
