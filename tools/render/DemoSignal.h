#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Demo input for the render tool: generated pink noise and a short
// music-like passage, or a WAV file, followed by silence for the tails.
namespace render
{

struct StereoSignal
{
    std::vector<float> left;
    std::vector<float> right;
    size_t activeFrames = 0; // frames before the closing silence
};

// Stereo pink noise (partly correlated), then a music-like passage (bass,
// chords, hi-hats), each at -20 dBFS RMS, then silence. Deterministic.
StereoSignal makeDemoSignal(double sampleRate, double pinkSeconds, double musicSeconds,
                            double silenceSeconds);

// Reads a WAV file (16/24/32-bit integer or 32/64-bit float, mono or more
// channels; the first two are used) and appends silence. The file's sample
// rate is not converted. False with a message on failure.
bool readDemoInput(const std::string& path, double sampleRate, double silenceSeconds,
                   StereoSignal& signal, std::string& error);

// RMS in dBFS over [begin, end) of both channels together; -inf for silence.
double rmsDb(const std::vector<float>& left, const std::vector<float>& right, size_t begin,
             size_t end);
double peakDb(const std::vector<float>& left, const std::vector<float>& right);

} // namespace render
