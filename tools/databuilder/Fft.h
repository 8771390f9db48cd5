#pragma once
#include <complex>
#include <vector>

namespace databuilder
{
using Spectrum = std::vector<std::complex<double>>;

// In-place radix-2 FFT, unscaled; the size must be a power of two.
// forward uses exp(-j...), inverse exp(+j...) without the 1/N.
void fft(Spectrum& data, bool inverse);

// Real signal zero-padded to size, transformed.
Spectrum realSpectrum(const float* signal, size_t length, size_t size);

// Inverse of a spectrum whose negative half is the conjugate mirror of the
// positive half; returns the real part scaled by 1/N.
std::vector<double> realInverse(Spectrum spectrum);

} // namespace databuilder
