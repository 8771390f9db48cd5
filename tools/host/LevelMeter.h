// Levels of rendered audio: RMS and peak per channel in dBFS, and the
// one-line summary the command-line host prints after a render.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace testhost {

struct ChannelLevel {
    double rms = 0.0;   // linear, full scale 1
    double peak = 0.0;  // linear absolute peak
    size_t nonFinite = 0;
};

struct RenderLevels {
    std::vector<ChannelLevel> input;   // over the input
    std::vector<ChannelLevel> output;  // over the output while the input lasts
    std::vector<ChannelLevel> tail;    // over the output after the input ends
    double tailSeconds = 0.0;
};

// [any thread] Levels of x[begin, end); non-finite samples are counted and
// left out of RMS and peak.
ChannelLevel measureLevel(const std::vector<float>& x, size_t begin, size_t end);

// [any thread] Input levels over inputFrames, output levels split at
// inputFrames into the part under the input and the tail.
RenderLevels measureRender(const std::vector<std::vector<float>>& input, const std::vector<std::vector<float>>& output,
                           size_t inputFrames, double sampleRate);

// [any thread] 20 log10(value), "-inf" for 0, with two decimals.
std::string formatDbfs(double linear);

// [any thread] e.g. "MIX: in rms L -20.00 R -20.00 peak L -7.10 R -6.95 | out rms ... | tail 1.00 s rms L ... dBFS"
std::string formatSummary(const std::string& label, const RenderLevels& levels);

}  // namespace testhost
