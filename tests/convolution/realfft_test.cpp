#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#if !defined(_WIN32) // libkissfft, the second oracle, exists for Linux only
#include <kissfft/kiss_fftr.h>
#endif

#include "RealFFT.h"
#include "RealFFTKernels.h"
#include "TestSignals.h"

using realfft::RealFFT;

namespace {

struct Spectrum {
    std::vector<float> re, im;
    explicit Spectrum(size_t n) : re(RealFFT::spectrumSize(n)), im(RealFFT::spectrumSize(n)) {}
};

Spectrum Forward(RealFFT& fft, const std::vector<float>& x)
{
    Spectrum s(x.size());
    fft.fft(x.data(), s.re.data(), s.im.data());
    return s;
}

// The DFT of x at bins 0..N/2 in long double, every angle index-reduced.
void DirectDFT(const std::vector<float>& x, std::vector<long double>& re, std::vector<long double>& im)
{
    const size_t n = x.size();
    const long double pi = 3.141592653589793238462643383279502884L;
    std::vector<long double> c(n), s(n);
    for (size_t j = 0; j < n; ++j) {
        c[j] = std::cos(2 * pi * j / n);
        s[j] = std::sin(2 * pi * j / n);
    }
    re.assign(n / 2 + 1, 0);
    im.assign(n / 2 + 1, 0);
    for (size_t k = 0; k <= n / 2; ++k) {
        long double r = 0, i = 0;
        for (size_t j = 0; j < n; ++j) {
            const size_t idx = (j * k) % n;
            r += x[j] * c[idx];
            i -= x[j] * s[idx];
        }
        re[k] = r;
        im[k] = i;
    }
}

TEST(RealFFT, MatchesDirectDFTForEverySize)
{
    RealFFT fft;
    for (size_t n = 2; n <= 8192; n *= 2) {
        ASSERT_TRUE(fft.init(n));
        const auto x = testsignals::RandomSignal(n, static_cast<unsigned>(n));
        const Spectrum s = Forward(fft, x);
        std::vector<long double> re, im;
        DirectDFT(x, re, im);
        long double peak = 1;
        for (size_t k = 0; k <= n / 2; ++k)
            peak = std::max(peak, std::hypot(re[k], im[k]));
        double worst = 0;
        for (size_t k = 0; k <= n / 2; ++k) {
            worst = std::max(worst, static_cast<double>(std::fabs(s.re[k] - re[k]) / peak));
            worst = std::max(worst, static_cast<double>(std::fabs(s.im[k] - im[k]) / peak));
        }
        EXPECT_LE(worst, 1e-7) << "N = " << n;
        EXPECT_EQ(s.im[0], 0.0f);
        EXPECT_EQ(s.im[n / 2], 0.0f);
    }
}

TEST(RealFFT, InverseMatchesHermitianSynthesis)
{
    // Random half spectra: the inverse must be the Hermitian extension, with
    // whatever sits in im[0] and im[N/2] ignored.
    RealFFT fft;
    const long double pi = 3.141592653589793238462643383279502884L;
    for (size_t n = 2; n <= 2048; n *= 2) {
        ASSERT_TRUE(fft.init(n));
        const size_t bins = n / 2 + 1;
        auto re = testsignals::RandomSignal(bins, 11 + n);
        auto im = testsignals::RandomSignal(bins, 13 + n);
        im[0] = 123.0f;
        im[bins - 1] = -77.0f;
        std::vector<float> x(n);
        fft.ifft(x.data(), re.data(), im.data());
        double worst = 0;
        for (size_t j = 0; j < n; ++j) {
            long double v = re[0] + ((j & 1) ? -1.0L : 1.0L) * re[n / 2];
            for (size_t k = 1; k < n / 2; ++k) {
                const size_t idx = (j * k) % n;
                v += 2 * (re[k] * std::cos(2 * pi * idx / n) - im[k] * std::sin(2 * pi * idx / n));
            }
            v /= n;
            worst = std::max(worst, static_cast<double>(std::fabs(x[j] - v)));
        }
        EXPECT_LE(worst, 1e-6) << "N = " << n;
    }
}

#if !defined(_WIN32)
TEST(RealFFT, AgreesWithKissFFT)
{
    RealFFT fft;
    for (size_t n = 4; n <= 65536; n *= 2) {
        ASSERT_TRUE(fft.init(n));
        const auto x = testsignals::RandomSignal(n, 7 + static_cast<unsigned>(n));
        const Spectrum s = Forward(fft, x);

        kiss_fftr_cfg cfg = kiss_fftr_alloc(static_cast<int>(n), 0, nullptr, nullptr);
        ASSERT_NE(cfg, nullptr);
        std::vector<kiss_fft_cpx> k(n / 2 + 1);
        kiss_fftr(cfg, x.data(), k.data());
        kiss_fftr_free(cfg);
        kiss_fftr_cfg inverse = kiss_fftr_alloc(static_cast<int>(n), 1, nullptr, nullptr);
        ASSERT_NE(inverse, nullptr);
        std::vector<float> back(n);
        kiss_fftri(inverse, k.data(), back.data());
        kiss_fftr_free(inverse);

        double peak = 1;
        for (const auto& c : k)
            peak = std::max(peak, std::hypot(double(c.r), double(c.i)));
        double worst = 0;
        for (size_t b = 0; b <= n / 2; ++b) {
            worst = std::max(worst, std::fabs(double(s.re[b]) - k[b].r) / peak);
            worst = std::max(worst, std::fabs(double(s.im[b]) - k[b].i) / peak);
        }
        EXPECT_LE(worst, 1e-5) << "N = " << n;

        // KISS's inverse is unnormalised; ours includes 1/N.
        std::vector<float> ours(n);
        fft.ifft(ours.data(), s.re.data(), s.im.data());
        double worstBack = 0;
        for (size_t j = 0; j < n; ++j)
            worstBack = std::max(worstBack, std::fabs(double(ours[j]) - back[j] / double(n)));
        EXPECT_LE(worstBack, 1e-5) << "N = " << n;
    }
}
#endif

TEST(RealFFT, RoundTripReturnsInput)
{
    RealFFT fft;
    for (size_t n : {2u, 4u, 128u, 8192u, 65536u}) {
        ASSERT_TRUE(fft.init(n));
        const auto x = testsignals::RandomSignal(n, 3);
        const Spectrum s = Forward(fft, x);
        std::vector<float> y(n);
        fft.ifft(y.data(), s.re.data(), s.im.data());
        double worst = 0;
        for (size_t j = 0; j < n; ++j)
            worst = std::max(worst, std::fabs(double(y[j]) - x[j]));
        EXPECT_LE(worst, 1e-6) << "N = " << n;
    }
}

TEST(RealFFT, KnownSpectra)
{
    RealFFT fft;
    ASSERT_TRUE(fft.init(64));
    std::vector<float> impulse(64, 0.0f);
    impulse[0] = 1.0f;
    Spectrum s = Forward(fft, impulse);
    for (size_t k = 0; k <= 32; ++k) {
        EXPECT_FLOAT_EQ(s.re[k], 1.0f);
        EXPECT_NEAR(s.im[k], 0.0f, 1e-7);
    }

    ASSERT_TRUE(fft.init(8));
    s = Forward(fft, std::vector<float>(8, 1.0f));
    EXPECT_FLOAT_EQ(s.re[0], 8.0f);
    for (size_t k = 1; k <= 4; ++k)
        EXPECT_NEAR(s.re[k], 0.0f, 1e-6);
    for (size_t k = 0; k <= 4; ++k)
        EXPECT_NEAR(s.im[k], 0.0f, 1e-6);

    const size_t n = 256;
    ASSERT_TRUE(fft.init(n));
    std::vector<float> c(n), sn(n);
    for (size_t j = 0; j < n; ++j) {
        c[j] = static_cast<float>(std::cos(2 * M_PI * j / n));
        sn[j] = static_cast<float>(std::sin(2 * M_PI * j / n));
    }
    const Spectrum sc = Forward(fft, c);
    const Spectrum ss = Forward(fft, sn);
    for (size_t k = 0; k <= n / 2; ++k) {
        EXPECT_NEAR(sc.re[k], k == 1 ? n / 2.0 : 0.0, 1e-4) << k;
        EXPECT_NEAR(sc.im[k], 0.0, 1e-4) << k;
        EXPECT_NEAR(ss.re[k], 0.0, 1e-4) << k;
        EXPECT_NEAR(ss.im[k], k == 1 ? -(n / 2.0) : 0.0, 1e-4) << k;
    }
}

// The four-lane passes (where the processor has AVX) give the bits of the
// two-lane ones, whole and in steps, forward and inverse.
TEST(RealFFT, WidePassesGiveTheSameBits)
{
    const auto run = [](bool wide, size_t n, const std::vector<float>& x, Spectrum& s, std::vector<float>& back,
                        Spectrum& stepped) {
        realfft::details::UseAvx(wide);
        RealFFT fft;
        ASSERT_TRUE(fft.init(n));
        fft.fft(x.data(), s.re.data(), s.im.data());
        back.assign(n, 0.0f);
        fft.ifft(back.data(), s.re.data(), s.im.data());
        for (size_t step = 0; step < fft.stepCount(); ++step)
            fft.fftStep(step, x.data(), stepped.re.data(), stepped.im.data());
    };
    for (size_t n = 2; n <= 16384; n *= 2) {
        const auto x = testsignals::RandomSignal(n, unsigned(n));
        Spectrum narrow(n), wide(n), narrowSteps(n), wideSteps(n);
        std::vector<float> narrowBack, wideBack;
        run(false, n, x, narrow, narrowBack, narrowSteps);
        run(true, n, x, wide, wideBack, wideSteps);
        EXPECT_EQ(wide.re, narrow.re) << n;
        EXPECT_EQ(wide.im, narrow.im) << n;
        EXPECT_EQ(wideBack, narrowBack) << n;
        EXPECT_EQ(wideSteps.re, narrow.re) << n;
        EXPECT_EQ(narrowSteps.im, narrow.im) << n;
    }
    realfft::details::UseAvx(true);
}

TEST(RealFFT, InitSizes)
{
    RealFFT fft;
    EXPECT_TRUE(fft.init(0));
    EXPECT_TRUE(fft.init(1));
    EXPECT_EQ(fft.size(), 1u);
    // One point: the spectrum is the sample.
    float x = 2.5f, re = 0, im = 9;
    fft.fft(&x, &re, &im);
    EXPECT_EQ(re, 2.5f);
    EXPECT_EQ(im, 0.0f);

    ASSERT_TRUE(fft.init(128));
    ASSERT_TRUE(fft.init(128)); // same size again: still a working transform
    const auto sig = testsignals::RandomSignal(128, 5);
    const Spectrum a = Forward(fft, sig);
    ASSERT_TRUE(fft.init(64));
    ASSERT_TRUE(fft.init(128));
    const Spectrum b = Forward(fft, sig);
    EXPECT_EQ(a.re, b.re);
    EXPECT_EQ(a.im, b.im);

#if !defined(CONVOLUTION_CHECKS)
    // Without checks, sizes that are not powers of two are refused and leave
    // an empty transform that writes nothing.
    for (size_t bad : {3u, 6u, 100u, 4095u}) {
        EXPECT_FALSE(fft.init(bad)) << bad;
        EXPECT_EQ(fft.size(), 0u);
    }
#endif
    // A power of two too large for memory is refused the same way.
    EXPECT_FALSE(fft.init(size_t(1) << 62));
    EXPECT_EQ(fft.size(), 0u);
    std::vector<float> untouched(8, 42.0f);
    fft.fft(sig.data(), untouched.data(), untouched.data() + 4);
    EXPECT_EQ(untouched, std::vector<float>(8, 42.0f));
}

} // namespace
