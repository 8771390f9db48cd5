#include "RenderCommand.h"

#include "DemoSignals.h"
#include "HostedPlugin.h"
#include "LevelMeter.h"
#include "WavFile.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace testhost {

namespace {

constexpr double kDefaultRenderRate = 48000.0;

// Shows how far a long render has come: on a terminal one line rewritten in
// place, elsewhere a line every tenth; nothing during the first second.
class ProgressReport {
public:
    ProgressReport(std::FILE* err, std::string label, double sampleRate, bool quiet)
        : err_(err), label_(label.empty() ? "render" : std::move(label)), sampleRate_(sampleRate),
          quiet_(quiet || !err), terminal_(err && isatty(fileno(err))), start_(Clock::now()) {}

    ~ProgressReport() {
        if (shown_ && terminal_)
            std::fputc('\n', err_);
    }

    void operator()(size_t done, size_t total) {
        if (quiet_ || total == 0)
            return;
        const auto now = Clock::now();
        if (now - start_ < std::chrono::seconds(1) && done < total)
            return;
        if (!shown_ && done == total)
            return;  // short renders stay silent
        const int tenth = static_cast<int>(10 * done / total);
        if (terminal_ ? now - last_ < std::chrono::milliseconds(200) && done < total : tenth <= lastTenth_)
            return;
        last_ = now;
        lastTenth_ = tenth;
        shown_ = true;
        std::fprintf(err_, "%s%s: %3d%% (%.1f s of %.1f s)%s", terminal_ ? "\r" : "", label_.c_str(),
                     static_cast<int>(100 * done / total), static_cast<double>(done) / sampleRate_,
                     static_cast<double>(total) / sampleRate_, terminal_ ? "" : "\n");
        std::fflush(err_);
    }

private:
    using Clock = std::chrono::steady_clock;
    std::FILE* err_;
    std::string label_;
    double sampleRate_;
    bool quiet_, terminal_;
    Clock::time_point start_, last_{};
    int lastTenth_ = -1;
    bool shown_ = false;
};

int fail(std::FILE* err, int status, const std::string& message) {
    std::fprintf(err, "quillatone-host: %s\n", message.c_str());
    return status;
}

// The input as two channels (a mono file feeds both) and its rate.
bool loadInput(const HostOptions& options, WavAudio& input, std::FILE* err) {
    if (!options.input.empty()) {
        const WavReadResult read = readWav(options.input, input);
        if (!read.ok) {
            fail(err, 1, options.input + ": " + read.error);
            return false;
        }
        if (read.truncated)
            std::fprintf(err, "quillatone-host: %s: data chunk cut short; using its %zu whole frames\n",
                         options.input.c_str(), input.frames());
        if (options.sampleRate > 0 && options.sampleRate != input.sampleRate) {
            fail(err, 1, options.input + " is at " + std::to_string(input.sampleRate) +
                             " Hz, not at the --sample-rate given (the host does not resample)");
            return false;
        }
        if (input.channels.size() == 1)
            input.channels.push_back(input.channels[0]);
        return true;
    }
    const double rate = options.sampleRate > 0 ? options.sampleRate : kDefaultRenderRate;
    input.sampleRate = static_cast<uint32_t>(std::lround(rate));
    input.channels = options.signal == "music" ? musicPhrase(rate) : pinkNoise(rate, options.seconds);
    return true;
}

}  // namespace

int runRender(const HostOptions& options, std::FILE* out, std::FILE* err) {
    WavAudio input;
    if (!loadInput(options, input, err))
        return 1;
    std::string error;
    if (!options.saveInput.empty() && !writeWavFloat(options.saveInput, input, error))
        return fail(err, 1, error);

    HostSettings settings;
    settings.sampleRate = input.sampleRate;
    settings.blockSize = options.blockSize;
    TestHost host(settings);
    host.setRecording(false);
    std::unique_ptr<HostedPlugin> plugin = HostedPlugin::load(host, options.plugin, error);
    if (!plugin)
        return fail(err, 1, error);
    const AEffect& effect = *plugin->effect();
    if (!(effect.flags & effFlagsCanReplacing) || !effect.processReplacing)
        return fail(err, 1, options.plugin + " cannot process replacing");
    if (effect.numOutputs < 1)
        return fail(err, 1, options.plugin + " has no outputs");
    if (options.program >= effect.numPrograms)
        return fail(err, 2, "program " + std::to_string(options.program) + " out of range (the plug-in has " +
                                std::to_string(effect.numPrograms) + ")");
    for (const auto& [index, value] : options.params)
        if (index >= effect.numParams)
            return fail(err, 2, "parameter " + std::to_string(index) + " out of range (the plug-in has " +
                                    std::to_string(effect.numParams) + ")");

    plugin->open();
    plugin->resume();
    if (options.program >= 0)
        plugin->dispatch(effSetProgram, 0, options.program);
    for (const auto& [index, value] : options.params)
        plugin->setParameter(index, value);

    const size_t inputFrames = input.frames();
    const size_t tailFrames = static_cast<size_t>(std::lround(options.tailSeconds * input.sampleRate));
    std::vector<std::vector<float>> output;
    {
        ProgressReport progress(err, options.label, input.sampleRate, options.quiet);
        output = plugin->render(input.channels, inputFrames + tailFrames, options.blockSize,
                                [&progress](size_t done, size_t total) { progress(done, total); });
    }
    plugin.reset();  // suspends and closes

    WavAudio result;
    result.sampleRate = input.sampleRate;
    result.channels = {output[0], output.size() > 1 ? output[1] : output[0]};
    if (!writeWavFloat(options.output, result, error))
        return fail(err, 1, error);

    const RenderLevels levels = measureRender(input.channels, result.channels, inputFrames, input.sampleRate);
    std::fprintf(out, "%s\n", formatSummary(options.label, levels).c_str());
    std::fflush(out);
    size_t nonFinite = 0;
    double inputPeak = 0.0, outputPeak = 0.0;
    for (const ChannelLevel& l : levels.input)
        inputPeak = std::max(inputPeak, l.peak);
    for (const ChannelLevel& l : levels.output)
        nonFinite += l.nonFinite, outputPeak = std::max(outputPeak, l.peak);
    if (inputPeak > 0.0 && outputPeak == 0.0)
        std::fprintf(err, "quillatone-host: warning: %s is silent\n", options.output.c_str());
    for (const ChannelLevel& l : levels.tail)
        nonFinite += l.nonFinite;
    if (nonFinite)
        return fail(err, 1, options.output + " holds " + std::to_string(nonFinite) + " non-finite samples");
    return 0;
}

}  // namespace testhost
