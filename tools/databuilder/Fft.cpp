#include "Fft.h"

#include <cmath>
#include <utility>

namespace databuilder
{

void fft(Spectrum& data, bool inverse)
{
    const size_t n = data.size();
    for (size_t i = 1, j = 0; i < n; ++i)
    {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j |= bit;
        if (i < j)
            std::swap(data[i], data[j]);
    }
    const double sign = inverse ? 1.0 : -1.0;
    for (size_t length = 2; length <= n; length <<= 1)
    {
        const double angle = sign * 2.0 * M_PI / double(length);
        const size_t half = length / 2;
        std::vector<std::complex<double>> twiddle(half);
        for (size_t k = 0; k < half; ++k)
            twiddle[k] = std::polar(1.0, angle * double(k));
        for (size_t start = 0; start < n; start += length)
            for (size_t k = 0; k < half; ++k)
            {
                const std::complex<double> a = data[start + k];
                const std::complex<double> b = data[start + k + half] * twiddle[k];
                data[start + k] = a + b;
                data[start + k + half] = a - b;
            }
    }
}

Spectrum realSpectrum(const float* signal, size_t length, size_t size)
{
    Spectrum spectrum(size);
    for (size_t i = 0; i < length && i < size; ++i)
        spectrum[i] = signal[i];
    fft(spectrum, false);
    return spectrum;
}

std::vector<double> realInverse(Spectrum spectrum)
{
    fft(spectrum, true);
    std::vector<double> signal(spectrum.size());
    const double scale = 1.0 / double(spectrum.size());
    for (size_t i = 0; i < spectrum.size(); ++i)
        signal[i] = spectrum[i].real() * scale;
    return signal;
}

} // namespace databuilder
