// Deterministic stereo test signals for renders: pink noise and a short
// music-like phrase.
#pragma once

#include <cstdint>
#include <vector>

namespace testhost {

using StereoSignal = std::vector<std::vector<float>>;  // two planar channels

// [any thread] Two uncorrelated channels of pink noise (-3 dB per octave),
// each scaled to exactly rmsDbfs, with 20 ms fades at both ends. The same
// seed gives the same samples.
StereoSignal pinkNoise(double sampleRate, double seconds, uint32_t seed = 1, double rmsDbfs = -20.0);

// [any thread] A phrase of about 4.5 s: bass, melody and chord notes built
// from decaying harmonics with attack and release envelopes, each voice
// panned to its own place; peak at peakDbfs.
StereoSignal musicPhrase(double sampleRate, double peakDbfs = -6.0);

}  // namespace testhost
