// The Windows build's KISS FFT calls (on kissfft.hh) against libkissfft, for
// the transforms the processor makes. libkissfft exists on Linux only.
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "KissFftAdapter.h"

#include <kissfft/kiss_fft.h>
#undef kiss_fft_free // the library's is a macro for free(), which would rename the adapter's

namespace
{
// Largest difference over the largest reference magnitude.
double relativeError(int n, bool inverse, bool inPlace)
{
    std::mt19937 random(1234u + static_cast<unsigned>(n));
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    std::vector<kiss_fft_cpx> in(n), reference(n);
    std::vector<kissadapter::kiss_fft_cpx> adapted(n);
    for (int i = 0; i < n; ++i)
    {
        in[i] = {value(random), value(random)};
        adapted[i] = {in[i].r, in[i].i};
    }

    kiss_fft_cfg library = kiss_fft_alloc(n, inverse ? 1 : 0, nullptr, nullptr);
    kissadapter::kiss_fft_cfg adapter = kissadapter::kiss_fft_alloc(n, inverse ? 1 : 0, nullptr, nullptr);
    EXPECT_TRUE(library && adapter);
    if (!library || !adapter)
        return 1.0;
    kiss_fft(library, in.data(), reference.data());
    std::vector<kissadapter::kiss_fft_cpx> out(n);
    kissadapter::kiss_fft(adapter, adapted.data(), inPlace ? adapted.data() : out.data());
    const std::vector<kissadapter::kiss_fft_cpx>& result = inPlace ? adapted : out;
    std::free(library);
    kissadapter::kiss_fft_free(adapter);

    double peak = 0.0, worst = 0.0;
    for (int i = 0; i < n; ++i)
    {
        peak = std::max(peak, std::hypot(double(reference[i].r), double(reference[i].i)));
        worst = std::max(worst, std::hypot(double(result[i].r) - reference[i].r, double(result[i].i) - reference[i].i));
    }
    return worst / peak;
}
} // namespace

TEST(KissFftAdapter, AgreesWithTheLibraryForTheProcessorsSizes)
{
    EXPECT_LT(relativeError(16384, false, false), 1e-6) << "design, forward";
    EXPECT_LT(relativeError(16384, true, false), 1e-6) << "design, inverse";
    EXPECT_LT(relativeError(256, false, false), 1e-6) << "waterfall";
    EXPECT_LT(relativeError(16384, false, true), 1e-6) << "in place";
}

TEST(KissFftAdapter, RefusesWhatItCannotPlan)
{
    EXPECT_EQ(kissadapter::kiss_fft_alloc(0, 0, nullptr, nullptr), nullptr);
    char buffer[64];
    size_t length = sizeof buffer;
    EXPECT_EQ(kissadapter::kiss_fft_alloc(16, 0, buffer, &length), nullptr);
    EXPECT_EQ(length, 0u);
    kissadapter::kiss_fft_free(nullptr);
}
#endif
