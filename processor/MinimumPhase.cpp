#include "MinimumPhase.h"

#include "KissFft.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace correction
{
namespace
{
// A KISS FFT configuration freed when it goes out of scope.
struct FftConfig
{
    explicit FftConfig(bool inverse) : config(kiss_fft_alloc(designFftSize, inverse ? 1 : 0, nullptr, nullptr)) {}
    ~FftConfig() { kiss_fft_free(config); }
    FftConfig(const FftConfig&) = delete;
    FftConfig& operator=(const FftConfig&) = delete;
    kiss_fft_cfg config;
};
}

bool minimumPhase(const float* magnitude, float phase[designFftSize])
{
    constexpr int n = designFftSize;
    constexpr int half = n / 2;
    try
    {
        std::vector<kiss_fft_cpx> logSpectrum(n), cepstrum(n), folded(n);

        // The even, real log magnitude.
        for (int k = 0; k <= half; ++k)
        {
            logSpectrum[k].r = std::log(std::fabs(magnitude[k]));
            logSpectrum[k].i = 0.0f;
        }
        for (int k = 1; k < half; ++k)
            logSpectrum[n - k] = logSpectrum[k];

        {
            FftConfig forward(false);
            if (!forward.config)
                return false;
            kiss_fft(forward.config, logSpectrum.data(), cepstrum.data());
        }

        // Fold the cepstrum onto its causal half.
        for (int k = 1; k < half; ++k)
        {
            cepstrum[k].r *= 2.0f;
            cepstrum[k].i *= 2.0f;
        }
        for (int k = half + 1; k < n; ++k)
            cepstrum[k].r = cepstrum[k].i = 0.0f;

        {
            FftConfig inverse(true);
            if (!inverse.config)
                return false;
            kiss_fft(inverse.config, cepstrum.data(), folded.data());
        }

        for (int k = 0; k < n; ++k)
            phase[k] = folded[k].i * -6.1035156e-5f;  // -1 / 16384
        return true;
    }
    catch (...)
    {
        return false;
    }
}
}
