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
