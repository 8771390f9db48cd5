#pragma once
#include <cstdint>

#include "SimdVectors.h"

// Small stages of the per-sample signal chain. Each keeps its state in a
// plain struct owned by the processor, so nothing here allocates.
namespace chain
{

// ---------------------------------------------------------------------------
// Six-point fifth-order interpolators. With the six newest samples h[0]
// (newest) to h[5]: e1 = h2 + h3, o1 = h2 - h3, e2 = h1 + h4, o2 = h1 - h4,
// e3 = h0 + h5, o3 = h0 - h5; c_j is a weighted sum of e (even j) or o (odd
// j); the value at z in -0.5..0.5 is the polynomial c0 + c1 z + ... + c5 z^5.
struct InterpolatorSet
{
    float weights[6][3];  // row j: weights of (e1, e2, e3) or (o1, o2, o3)
};

// Into the internal chain.
inline constexpr InterpolatorSet setA = {{
    {0.414969027f, 0.0834308192f, 0.00160015037f},
    {0.316255152f, 0.21197848f, 0.00956166629f},
    {-0.203271896f, 0.179899082f, 0.0233728345f},
    {-0.202092409f, 0.0176073443f, 0.0298592709f},
    {0.0410094894f, -0.061477609f, 0.0204680301f},
    {0.0660774782f, -0.0325507931f, 0.00628989656f},
}};

// Back to the output rate.
inline constexpr InterpolatorSet setB = {{
    {0.405133963f, 0.0925179422f, 0.00234806607f},
    {0.283428073f, 0.217032775f, 0.0130929472f},
    {-0.19133769f, 0.161878452f, 0.0294601712f},
    {-0.164716259f, -0.00154547207f, 0.0339927152f},
    {0.038457986f, -0.0571293607f, 0.0186675098f},
    {0.0431795008f, -0.0180281419f, 0.00152170018f},
}};

// A six-sample history, newest at [0]. [audio thread]
inline void pushHistory(float history[6], float x)
{
    for (int k = 5; k > 0; --k)
        history[k] = history[k - 1];
    history[0] = x;
}

// T is float, or a vector of floats taking one history per lane with the
// same arithmetic. [audio thread]
template <typename T>
inline void interpolatorCoefficients(const InterpolatorSet& set, const T h[6], T c[6])
{
    const T e1 = h[2] + h[3], o1 = h[2] - h[3];
    const T e2 = h[1] + h[4], o2 = h[1] - h[4];
    const T e3 = h[0] + h[5], o3 = h[0] - h[5];
    for (int j = 0; j < 6; j += 2)
    {
        c[j] = set.weights[j][0] * e1 + set.weights[j][1] * e2 + set.weights[j][2] * e3;
        c[j + 1] = set.weights[j + 1][0] * o1 + set.weights[j + 1][1] * o2 + set.weights[j + 1][2] * o3;
    }
}

// [audio thread]
template <typename T>
inline T interpolate(const T c[6], float z)
{
    return ((((c[5] * z + c[4]) * z + c[3]) * z + c[2]) * z + c[1]) * z + c[0];
}

// ---------------------------------------------------------------------------
// Bass-weighted saturator: a 30 Hz stage, the polynomial on the clamped
// value, and the stage's exact inverse, so only content below about 30 Hz is
// bent. The stage's terms cancel by a factor of about 2.6e5 at 48 kHz, so its
// state and arithmetic run in double.
struct SaturatorCoefficients
{
    float w = 0.0f;             // 2 pi 30 / rate, stored as float
    double invScaledW = 0.0;    // 1 / (0.64 w)
    double invWSquared = 0.0;   // 1 / w^2
    double inputScale = 0.136;
    double a0 = 1.0, a1 = 0.0, a2 = 0.0;

    // [host thread] rate must be finite and positive.
    void update(float rate)
    {
        const double twoPi = 6.283185307179586;
        w = float(twoPi * 30.0 / double(rate));
        const double wd = w;
        invScaledW = 1.0 / (0.64 * wd);
        invWSquared = 1.0 / (wd * wd);
        a0 = 1.0 + invScaledW + invWSquared;
        a1 = -2.0 * invWSquared - invScaledW;
        a2 = invWSquared;
    }
};

struct SaturatorState
{
    double y1 = 0.0, y2 = 0.0;  // previous outputs of the 30 Hz stage
    double p1 = 0.0, p2 = 0.0;  // previous polynomial values

    // [host thread, not while the audio thread runs this state]
    void reset() { y1 = y2 = p1 = p2 = 0.0; }
};

// p(z) on z clamped to [-1, 1]. [any thread]
inline double saturatorPolynomial(double y)
{
    const double z = y < -1.0 ? -1.0 : (y > 1.0 ? 1.0 : y);
    return z * (1.01296461 + z * (-0.045444347 + z * (-0.0445797145 + z * (0.197220564 + z * -0.121552408))));
}

// [audio thread]
inline float runSaturator(const SaturatorCoefficients& k, SaturatorState& s, float v)
{
    const double y = (k.inputScale * double(v) - k.a1 * s.y1 - k.a2 * s.y2) / k.a0;
    s.y2 = s.y1;
    s.y1 = y;
    const double p = saturatorPolynomial(y);
    const double out = (k.a0 * p + k.a1 * s.p1 + k.a2 * s.p2) / k.inputScale;
    s.p2 = s.p1;
    s.p1 = p;
    return float(out);
}

// Both channels' saturators over count samples, in place: each lane runs
// the very arithmetic of runSaturator. [audio thread]
inline void runSaturatorPair(const SaturatorCoefficients& k, SaturatorState& left, SaturatorState& right,
                             float* l, float* r, int count)
{
    using simd::Double2;
    typedef long long Mask2 __attribute__((vector_size(16)));
    Double2 y1 = {left.y1, right.y1}, y2 = {left.y2, right.y2};
    Double2 p1 = {left.p1, right.p1}, p2 = {left.p2, right.p2};
    const Double2 lower = {-1.0, -1.0}, upper = {1.0, 1.0};
    for (int i = 0; i < count; ++i)
    {
        const Double2 v = {double(l[i]), double(r[i])};
        const Double2 y = (k.inputScale * v - k.a1 * y1 - k.a2 * y2) / k.a0;
        y2 = y1;
        y1 = y;
        // y < -1 ? -1 : (y > 1 ? 1 : y), lane by lane
        const Mask2 below = y < lower, above = y > upper;
        const Mask2 inner = (above & Mask2(upper)) | (~above & Mask2(y));
        const Double2 z = Double2((below & Mask2(lower)) | (~below & inner));
        const Double2 p =
            z * (1.01296461 + z * (-0.045444347 + z * (-0.0445797145 + z * (0.197220564 + z * -0.121552408))));
        const Double2 out = (k.a0 * p + k.a1 * p1 + k.a2 * p2) / k.inputScale;
        p2 = p1;
        p1 = p;
        l[i] = float(out[0]);
        r[i] = float(out[1]);
    }
    left.y1 = y1[0], right.y1 = y1[1];
    left.y2 = y2[0], right.y2 = y2[1];
    left.p1 = p1[0], right.p1 = p1[1];
    left.p2 = p2[0], right.p2 = p2[1];
}

// ---------------------------------------------------------------------------
// Output peaking stage: a second-order all-pass centred at 21 kHz; the result
// boosts the all-pass's difference band by 9.7 and applies the output gain.
struct PeakingCoefficients
{
    float m = 0.0f;  // (1 - 6t) / (1 + 6t)
    float k = 0.0f;  // -cos(pi x)

    // [host thread] rateRatio = 44100 / rate.
    void update(float rateRatio);
};

// Sample rates the chain accepts. The peaking stage works at x = 42000 / rate
// (0.95238095 * 44100 / rate): its pole radius is sqrt(m) < 1 only while
// tan(0.0302250534 x) > 0 (rates above about 808 Hz), and its pole meets the
// unit circle at z = +-1 whenever x is a whole number (42000, 21000, 14000,
// 10500, 8400 Hz, ...). Accepted: 8 kHz to 768 kHz, with x at least 0.01 from
// a whole number. The 30 Hz stage is stable at every positive rate.
inline constexpr float lowestSampleRate = 8000.0f;
inline constexpr float highestSampleRate = 768000.0f;
inline constexpr float peakingPoleMargin = 0.01f;

// [any thread]
bool acceptsSampleRate(float rate);

struct PeakingState
{
    float o1 = 0.0f, o2 = 0.0f, y1 = 0.0f, y2 = 0.0f;

    // [host thread, not while the audio thread runs this state]
    void reset() { o1 = o2 = y1 = y2 = 0.0f; }
};

// [audio thread]
inline float runPeaking(const PeakingCoefficients& c, PeakingState& s, float o)
{
    const float n = (c.m + 1.0f) * c.k;
    const float y = c.m * o + n * s.o1 + s.o2 - n * s.y1 - c.m * s.y2;
    s.o2 = s.o1;
    s.o1 = o;
    s.y2 = s.y1;
    s.y1 = y;
    return ((o - y) * 9.7f + (o + y)) * (0.5f * 6.0f);
}

// Both channels' peaking stages over count samples: each lane runs the very
// arithmetic of runPeaking. [audio thread]
inline void runPeakingPair(const PeakingCoefficients& c, PeakingState& left, PeakingState& right, const float* inL,
                           const float* inR, float* outL, float* outR, int count)
{
    using simd::Float4;
    const float n = (c.m + 1.0f) * c.k;
    Float4 o1 = {left.o1, right.o1, 0.0f, 0.0f}, o2 = {left.o2, right.o2, 0.0f, 0.0f};
    Float4 y1 = {left.y1, right.y1, 0.0f, 0.0f}, y2 = {left.y2, right.y2, 0.0f, 0.0f};
    for (int i = 0; i < count; ++i)
    {
        const Float4 o = {inL[i], inR[i], 0.0f, 0.0f};
        const Float4 y = c.m * o + n * o1 + o2 - n * y1 - c.m * y2;
        o2 = o1;
        o1 = o;
        y2 = y1;
        y1 = y;
        const Float4 result = ((o - y) * 9.7f + (o + y)) * (0.5f * 6.0f);
        outL[i] = result[0];
        outR[i] = result[1];
    }
    left.o1 = o1[0], right.o1 = o1[1];
    left.o2 = o2[0], right.o2 = o2[1];
    left.y1 = y1[0], right.y1 = y1[1];
    left.y2 = y2[0], right.y2 = y2[1];
}

// ---------------------------------------------------------------------------
// The chain's noise: a per-instance uniform source in [0, 1e-6), enough to
// keep the recursive states out of denormal range. xorshift64*.
class ChainNoise
{
public:
    static constexpr uint64_t defaultSeed = 0x9e3779b97f4a7c15ull;

    // [any thread]
    void reseed(uint64_t seed) { state = seed ? seed : defaultSeed; }

    // [audio thread]
    float next()
    {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        const uint32_t bits = uint32_t((state * 0x2545F4914F6CDD1Dull) >> 40);  // 24 bits
        const float value = float(bits) * (1e-6f / 16777216.0f);
        return value < 1e-6f ? value : 9.99999884e-7f;  // the float below 1e-6
    }

private:
    uint64_t state = defaultSeed;
};

} // namespace chain
