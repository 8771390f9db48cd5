#include "LevelMeter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace testhost {

namespace {

const char* channelName(size_t c, size_t count) {
    static const char* const stereo[] = {"L", "R"};
    return count == 2 ? stereo[c] : nullptr;
}

std::string channelList(const std::vector<ChannelLevel>& levels, double ChannelLevel::*field) {
    std::string text;
    for (size_t c = 0; c < levels.size(); ++c) {
        const char* name = channelName(c, levels.size());
        text += ' ';
        text += name ? name : std::to_string(c + 1);
        text += ' ' + formatDbfs(levels[c].*field);
    }
    return text;
}

std::string group(const char* title, const std::vector<ChannelLevel>& levels) {
    std::string text = std::string(title) + " rms" + channelList(levels, &ChannelLevel::rms) + " peak" +
                       channelList(levels, &ChannelLevel::peak);
    size_t bad = 0;
    for (const ChannelLevel& l : levels)
        bad += l.nonFinite;
    if (bad)
        text += " NON-FINITE " + std::to_string(bad);
    return text;
}

}  // namespace

ChannelLevel measureLevel(const std::vector<float>& x, size_t begin, size_t end) {
    ChannelLevel level;
    end = std::min(end, x.size());
    double energy = 0.0;
    size_t counted = 0;
    for (size_t i = begin; i < end; ++i) {
        const double v = x[i];
        if (!std::isfinite(v)) {
            ++level.nonFinite;
            continue;
        }
        energy += v * v;
        level.peak = std::max(level.peak, std::fabs(v));
        ++counted;
    }
    level.rms = counted ? std::sqrt(energy / static_cast<double>(counted)) : 0.0;
    return level;
}

RenderLevels measureRender(const std::vector<std::vector<float>>& input, const std::vector<std::vector<float>>& output,
                           size_t inputFrames, double sampleRate) {
    RenderLevels levels;
    for (const std::vector<float>& x : input)
        levels.input.push_back(measureLevel(x, 0, inputFrames));
    size_t outputFrames = 0;
    for (const std::vector<float>& y : output) {
        levels.output.push_back(measureLevel(y, 0, inputFrames));
        levels.tail.push_back(measureLevel(y, inputFrames, y.size()));
        outputFrames = std::max(outputFrames, y.size());
    }
    if (outputFrames > inputFrames && sampleRate > 0)
        levels.tailSeconds = static_cast<double>(outputFrames - inputFrames) / sampleRate;
    return levels;
}

std::string formatDbfs(double linear) {
    if (!(linear > 0.0))
        return "-inf";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", 20.0 * std::log10(linear));
    return text;
}

std::string formatSummary(const std::string& label, const RenderLevels& levels) {
    std::string line = label.empty() ? std::string() : label + ": ";
    line += group("in", levels.input) + " | " + group("out", levels.output);
    if (levels.tailSeconds > 0.0) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.2f s", levels.tailSeconds);
        line += std::string(" | tail ") + seconds + " rms" + channelList(levels.tail, &ChannelLevel::rms);
        size_t bad = 0;
        for (const ChannelLevel& l : levels.tail)
            bad += l.nonFinite;
        if (bad)
            line += " NON-FINITE " + std::to_string(bad);
    }
    return line + " (dBFS)";
}

}  // namespace testhost
