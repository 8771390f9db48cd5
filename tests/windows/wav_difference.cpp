// windows_wav_difference A.wav B.wav TOLERANCE: the largest sample difference
// of two renders, as a fraction of full scale. Fails when it exceeds
// TOLERANCE, when the files differ in shape, or when A is silent (a match of
// two silent renders proves nothing).
#include "WavFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: windows_wav_difference A.wav B.wav TOLERANCE\n");
        return 2;
    }
    testhost::WavAudio a, b;
    for (auto [path, audio] : {std::pair{argv[1], &a}, std::pair{argv[2], &b}})
    {
        const testhost::WavReadResult read = testhost::readWav(path, *audio);
        if (!read.ok || read.truncated)
        {
            std::fprintf(stderr, "%s: %s\n", path, read.ok ? "cut short" : read.error.c_str());
            return 1;
        }
    }
    if (a.channels.size() != b.channels.size() || a.frames() != b.frames() || a.frames() == 0)
    {
        std::fprintf(stderr, "shapes differ: %zu x %zu against %zu x %zu\n", a.channels.size(), a.frames(),
                     b.channels.size(), b.frames());
        return 1;
    }
    const double tolerance = std::atof(argv[3]);
    double worst = 0.0, energy = 0.0;
    for (size_t c = 0; c < a.channels.size(); ++c)
        for (size_t i = 0; i < a.frames(); ++i)
        {
            const double x = a.channels[c][i], y = b.channels[c][i];
            worst = std::max(worst, std::isfinite(x) && std::isfinite(y) ? std::fabs(x - y) : INFINITY);
            energy += x * x;
        }
    const double rmsDb = 10.0 * std::log10(energy / double(a.channels.size() * a.frames()) + 1e-30);
    std::printf("max difference %.3g of full scale (tolerance %.3g), rms %.1f dBFS, %zu frames\n", worst, tolerance,
                rmsDb, a.frames());
    if (rmsDb < -60.0)
    {
        std::fprintf(stderr, "%s is silent\n", argv[1]);
        return 1;
    }
    return worst <= tolerance ? 0 : 1;
}
