// Shared helpers of the convolution tests: random signals and a direct
// convolution in double.
#pragma once

#include <cstddef>
#include <random>
#include <vector>

namespace testsignals {

inline std::vector<float> RandomSignal(size_t n, unsigned seed, float amplitude = 1.0f)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> dist(-amplitude, amplitude);
    std::vector<float> x(n);
    for (float& v : x)
        v = dist(rng);
    return x;
}

// y[t] = sum_k h[k] x[t - k] for t < x.size(), in double.
inline std::vector<double> DirectConvolution(const std::vector<float>& x, const std::vector<float>& h)
{
    std::vector<double> y(x.size(), 0.0);
    for (size_t k = 0; k < h.size(); ++k) {
        const double hk = h[k];
        if (hk == 0.0)
            continue;
        for (size_t t = k; t < x.size(); ++t)
            y[t] += hk * x[t - k];
    }
    return y;
}

} // namespace testsignals

namespace testsignals {

// Feeds x through conv.process in calls whose lengths cycle through the
// pattern (0 in the pattern: a random length 1..300); returns the output.
template <typename Convolver>
std::vector<float> Feed(Convolver& conv, const std::vector<float>& x, const std::vector<size_t>& pattern,
                        unsigned seed = 1)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<size_t> randomLen(1, 300);
    std::vector<float> y(x.size(), -1234.0f);
    size_t done = 0, turn = 0;
    while (done < x.size()) {
        size_t n = pattern[turn++ % pattern.size()];
        if (n == 0)
            n = randomLen(rng);
        if (n > x.size() - done)
            n = x.size() - done;
        conv.process(x.data() + done, y.data() + done, n);
        done += n;
    }
    return y;
}

// Largest |y - ref| and the peak |ref|.
struct Deviation {
    double worst = 0;
    double peak = 0;
};

inline Deviation Compare(const std::vector<float>& y, const std::vector<double>& ref)
{
    Deviation d;
    for (size_t i = 0; i < y.size() && i < ref.size(); ++i) {
        const double e = y[i] - ref[i];
        d.worst = e < 0 ? (-e > d.worst ? -e : d.worst) : (e > d.worst ? e : d.worst);
        const double a = ref[i] < 0 ? -ref[i] : ref[i];
        d.peak = a > d.peak ? a : d.peak;
    }
    return d;
}

} // namespace testsignals
