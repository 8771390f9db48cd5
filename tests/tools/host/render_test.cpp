// The host's render mode: its command line, and renders through the probe
// module compared with the test host driving the probe directly.
#include "CommandLine.h"
#include "DemoSignals.h"
#include "HostedPlugin.h"
#include "RenderCommand.h"
#include "WavFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

using namespace testhost;
namespace fs = std::filesystem;

namespace {

HostOptions parsed(const std::vector<std::string>& args) {
    HostOptions options;
    std::string error;
    EXPECT_EQ(parseHostOptions(args, options, error), ParseResult::ok) << error;
    return options;
}

std::string refusal(const std::vector<std::string>& args) {
    HostOptions options;
    std::string error;
    EXPECT_EQ(parseHostOptions(args, options, error), ParseResult::error);
    return error;
}

TEST(HostCommandLine, ReadsTheRenderOptions) {
    const HostOptions o = parsed({"--render", "out.wav", "--param", "15=0.5", "--param", "37=0", "--program", "3",
                                  "--signal", "music", "--tail", "1.5", "--block-size", "64", "--label", "MIX",
                                  "--quiet", "--save-input", "in.wav", "plug.so"});
    EXPECT_TRUE(o.rendering());
    EXPECT_EQ(o.output, "out.wav");
    EXPECT_EQ(o.plugin, "plug.so");
    EXPECT_EQ(o.params, (std::vector<std::pair<int, float>>{{15, 0.5f}, {37, 0.0f}}));
    EXPECT_EQ(o.program, 3);
    EXPECT_EQ(o.signal, "music");
    EXPECT_EQ(o.tailSeconds, 1.5);
    EXPECT_EQ(o.blockSize, 64);
    EXPECT_EQ(o.label, "MIX");
    EXPECT_TRUE(o.quiet);
    EXPECT_EQ(o.saveInput, "in.wav");
    EXPECT_EQ(o.sampleRate, 0.0);

    const HostOptions printing = parsed({"--sample-rate", "96000", "plug.so"});
    EXPECT_FALSE(printing.rendering());
    EXPECT_EQ(printing.sampleRate, 96000.0);
    EXPECT_EQ(printing.program, -1);
    EXPECT_TRUE(printing.params.empty());

    HostOptions help;
    std::string error;
    EXPECT_EQ(parseHostOptions({"plug.so", "--help"}, help, error), ParseResult::help);
}

TEST(HostCommandLine, RefusesBadValuesWithTheirReason) {
    EXPECT_EQ(refusal({"--render", "o.wav", "--param", "15=1.5", "p.so"}),
              "bad parameter (INDEX=VALUE with VALUE in 0..1) \"15=1.5\"");
    for (const char* bad : {"15", "=0.5", "x=0.5", "-1=0.5", "1.5=0.5", "15=", "15=0.5x", "15=nan"})
        EXPECT_NE(refusal({"--render", "o.wav", "--param", bad, "p.so"}).find("bad parameter"), std::string::npos)
            << bad;
    EXPECT_EQ(refusal({"--param", "15=0.5", "p.so"}), "--param needs --render");
    EXPECT_EQ(refusal({"--render", "o.wav", "--signal", "sine", "p.so"}), "bad signal (pink or music) \"sine\"");
    EXPECT_EQ(refusal({"--block-size", "0", "p.so"}), "bad block size \"0\"");
    EXPECT_EQ(refusal({"--block-size", "12.5", "p.so"}), "bad block size \"12.5\"");
    EXPECT_EQ(refusal({"--render", "o.wav", "--tail", "-1", "p.so"}), "bad tail length \"-1\"");
    EXPECT_EQ(refusal({"--render", "o.wav"}), "no plug-in given");
    EXPECT_EQ(refusal({"a.so", "b.so"}), "more than one plug-in given");
    EXPECT_EQ(refusal({"p.so", "--render"}), "unknown option \"--render\" or its value missing");
    EXPECT_EQ(refusal({"--bogus", "1", "p.so"}), "unknown option \"--bogus\"");

    int index = 0;
    float value = 0;
    EXPECT_TRUE(parseParamAssignment("0=1", index, value));
    EXPECT_EQ(index, 0);
    EXPECT_EQ(value, 1.0f);
    EXPECT_TRUE(parseParamAssignment("37=0.1", index, value));
    EXPECT_EQ(value, 0.1f);
}

#ifdef QUILLATONE_PROBE_MODULE

// A render through the probe with the summary and messages captured.
class RenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::path(QUILLATONE_TEST_FOLDER) / info->name();
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }

    std::string path(const std::string& name) const { return (folder_ / name).string(); }

    HostOptions options(const std::string& output = "out.wav") const {
        HostOptions o;
        o.plugin = QUILLATONE_PROBE_MODULE;
        o.output = path(output);
        o.quiet = true;
        return o;
    }

    int run(const HostOptions& o) {
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        const int status = runRender(o, out, err);
        summary_ = contents(out);
        messages_ = contents(err);
        return status;
    }

    static std::string contents(std::FILE* f) {
        std::string text;
        std::rewind(f);
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            text.append(buffer, n);
        std::fclose(f);
        return text;
    }

    WavAudio readBack(const std::string& name) const {
        WavAudio audio;
        const WavReadResult r = readWav(path(name), audio);
        EXPECT_TRUE(r.ok) << r.error;
        EXPECT_TRUE(r.isFloat);
        return audio;
    }

    // The probe driven directly by the test host, as the render sets it up.
    static std::vector<std::vector<float>> direct(const std::vector<std::vector<float>>& input, size_t frames,
                                                  double rate, int blockSize, float gain) {
        HostSettings settings;
        settings.sampleRate = rate;
        settings.blockSize = blockSize;
        TestHost host(settings);
        std::string error;
        auto plugin = HostedPlugin::load(host, QUILLATONE_PROBE_MODULE, error);
        EXPECT_NE(plugin, nullptr) << error;
        plugin->open();
        plugin->resume();
        plugin->setParameter(0, gain);
        return plugin->render(input, frames, blockSize);
    }

    fs::path folder_;
    std::string summary_, messages_;
};

TEST_F(RenderTest, GeneratedSignalMatchesTheDirectRenderBitForBit) {
    HostOptions o = options();
    o.signal = "music";
    o.blockSize = 300;  // does not divide the length
    o.tailSeconds = 0.25;
    o.params = {{1, 0.0f}, {0, 0.3f}};
    o.label = "probe";
    o.saveInput = path("in.wav");
    ASSERT_EQ(run(o), 0) << messages_;
    EXPECT_EQ(messages_, "");

    const WavAudio input = readBack("in.wav");
    EXPECT_EQ(input.channels, musicPhrase(48000));
    const WavAudio output = readBack("out.wav");
    EXPECT_EQ(output.sampleRate, 48000u);
    ASSERT_EQ(output.channels.size(), 2u);
    const size_t frames = input.frames() + 12000;
    ASSERT_EQ(output.frames(), frames);
    const auto expected = direct(input.channels, frames, 48000, 300, 0.3f);
    for (size_t c = 0; c < 2; ++c) {
        EXPECT_EQ(std::memcmp(output.channels[c].data(), expected[c].data(), frames * sizeof(float)), 0) << c;
        for (size_t i = 0; i < input.frames(); i += 997)
            ASSERT_EQ(output.channels[c][i], input.channels[c][i] * 0.6f) << c << " " << i;
        for (size_t i = input.frames(); i < frames; ++i)
            ASSERT_EQ(output.channels[c][i], 0.0f) << c << " " << i;
    }
    EXPECT_EQ(summary_.rfind("probe: in rms L ", 0), 0u) << summary_;
    EXPECT_NE(summary_.find("| tail 0.25 s rms L -inf R -inf (dBFS)\n"), std::string::npos) << summary_;
}

TEST_F(RenderTest, WavInputRunsAtItsRateAndMonoFeedsBothInputs) {
    WavAudio mono;
    mono.sampleRate = 44100;
    mono.channels = {std::vector<float>(5000)};
    for (size_t i = 0; i < 5000; ++i)
        mono.channels[0][i] = std::sin(0.05f * static_cast<float>(i)) * 0.5f;
    std::string error;
    ASSERT_TRUE(writeWavFloat(path("mono.wav"), mono, error)) << error;

    HostOptions o = options();
    o.input = path("mono.wav");
    o.blockSize = 64;
    ASSERT_EQ(run(o), 0) << messages_;
    const WavAudio output = readBack("out.wav");
    EXPECT_EQ(output.sampleRate, 44100u);
    ASSERT_EQ(output.frames(), 5000u);
    EXPECT_EQ(output.channels[0], mono.channels[0]);  // the probe's default gain is 1
    EXPECT_EQ(output.channels[1], mono.channels[0]);
    EXPECT_EQ(summary_.rfind("in rms L -9.03 R -9.03 peak L -6.02 R -6.02 | out rms L -9.03", 0), 0u) << summary_;

    o.sampleRate = 48000;
    EXPECT_EQ(run(o), 1);
    EXPECT_NE(messages_.find("is at 44100 Hz, not at the --sample-rate given"), std::string::npos) << messages_;
}

TEST_F(RenderTest, ProgramAndParametersAreAppliedInOrder) {
    HostOptions o = options();
    o.seconds = 0.1;
    o.program = 1;
    o.params = {{0, 0.0f}, {1, 1.0f}, {1, 0.0f}, {0, 0.125f}};  // mute on then off: gain 0.25
    ASSERT_EQ(run(o), 0) << messages_;
    const WavAudio output = readBack("out.wav");
    const StereoSignal noise = pinkNoise(48000, 0.1);
    for (size_t c = 0; c < 2; ++c)
        for (size_t i = 0; i < noise[c].size(); ++i)
            ASSERT_EQ(output.channels[c][i], noise[c][i] * 0.25f) << c << " " << i;
    EXPECT_EQ(messages_, "");

    // Muted: the file is written and the silence pointed out.
    o.params = {{1, 1.0f}};
    ASSERT_EQ(run(o), 0) << messages_;
    EXPECT_NE(messages_.find("warning: " + o.output + " is silent"), std::string::npos) << messages_;
    EXPECT_NE(summary_.find("out rms L -inf R -inf"), std::string::npos) << summary_;
}

TEST_F(RenderTest, RefusalsWriteNoOutput) {
    HostOptions o = options();
    o.params = {{2, 0.5f}};
    EXPECT_EQ(run(o), 2);
    EXPECT_NE(messages_.find("parameter 2 out of range (the plug-in has 2)"), std::string::npos) << messages_;
    o.params.clear();
    o.program = 2;
    EXPECT_EQ(run(o), 2);
    EXPECT_NE(messages_.find("program 2 out of range (the plug-in has 2)"), std::string::npos) << messages_;
    o.program = -1;
    o.input = path("absent.wav");
    EXPECT_EQ(run(o), 1);
    EXPECT_NE(messages_.find("absent.wav: cannot open"), std::string::npos) << messages_;
    o.input.clear();
    o.plugin = path("absent.so");
    EXPECT_EQ(run(o), 1);
    EXPECT_NE(messages_.find("absent.so"), std::string::npos) << messages_;
    EXPECT_EQ(summary_, "");
    EXPECT_FALSE(fs::exists(path("out.wav")));

    o = options("no/folder/out.wav");
    o.seconds = 0.01;
    EXPECT_EQ(run(o), 1);
    EXPECT_NE(messages_.find("cannot create"), std::string::npos) << messages_;
}

#endif

}  // namespace
