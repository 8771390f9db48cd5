#pragma once
#include <cstdint>

// A small per-instance pseudo-random generator (PCG32, XSH RR output). Each
// owner keeps its own, so two processors never share a sequence and a fixed
// seed gives the same numbers on every platform.
class NoiseGenerator
{
public:
    static constexpr uint64_t defaultSeed = 0x51554c4cull;

    // [any thread]
    explicit NoiseGenerator(uint64_t seed = defaultSeed) { reseed(seed); }

    // [any thread] Restarts the sequence.
    void reseed(uint64_t seed)
    {
        state = 0;
        next();
        state += seed;
        next();
    }

    // [any thread] 32 uniformly distributed bits.
    uint32_t next()
    {
        const uint64_t old = state;
        state = old * 6364136223846793005ull + increment;
        const uint32_t shifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
        const uint32_t rotation = static_cast<uint32_t>(old >> 59u);
        return (shifted >> rotation) | (shifted << ((32u - rotation) & 31u));
    }

    // [any thread] Uniform in [0, 1), 24 bits of resolution.
    float uniform() { return static_cast<float>(next() >> 8) * (1.0f / 16777216.0f); }

private:
    static constexpr uint64_t increment = 1442695040888963407ull;
    uint64_t state = 0;
};
