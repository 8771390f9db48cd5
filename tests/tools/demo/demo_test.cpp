// End to end: the plug-in module with the data folder that the builder
// writes, driven by the command-line host's render mode as the main job
// drives it, in MIX, HEADPHONES and PLACES.
#include "DataBuilder.h"
#include "DemoSignals.h"
#include "LevelMeter.h"
#include "RenderCommand.h"
#include "WavFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

using namespace testhost;
namespace fs = std::filesystem;

namespace {

constexpr double kRate = 48000.0;
constexpr double kSeconds = 3.0;
constexpr double kTail = 1.5;

// Builds the data folder under $QUILLATONE_DATA_ROOT once for the program.
class DataFolderEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        const char* root = std::getenv("QUILLATONE_DATA_ROOT");
        ASSERT_TRUE(root && *root) << "QUILLATONE_DATA_ROOT must name a scratch folder";
        fs::remove_all(fs::path(root) / "Harlox");
        databuilder::BuildOptions options;
        options.root = root;
        std::string error;
        ASSERT_TRUE(databuilder::buildDataFolder(options, error)) << error;
        fs::remove_all(QUILLATONE_TEST_FOLDER);
        fs::create_directories(QUILLATONE_TEST_FOLDER);
    }
};

const ::testing::Environment* const dataFolder = ::testing::AddGlobalTestEnvironment(new DataFolderEnvironment);

std::string workPath(const std::string& name) { return (fs::path(QUILLATONE_TEST_FOLDER) / name).string(); }

struct Render {
    WavAudio input, output;
    RenderLevels levels;
};

// Renders input (stereo at kRate) with the parameters through the module and
// reads the written file back.
Render render(const std::string& name, const StereoSignal& signal, std::vector<std::pair<int, float>> params) {
    Render r;
    r.input.sampleRate = static_cast<uint32_t>(kRate);
    r.input.channels = signal;
    std::string error;
    EXPECT_TRUE(writeWavFloat(workPath(name + "-in.wav"), r.input, error)) << error;
    HostOptions options;
    options.plugin = QUILLATONE_MODULE_PATH;
    options.input = workPath(name + "-in.wav");
    options.output = workPath(name + ".wav");
    options.params = std::move(params);
    options.tailSeconds = kTail;
    options.label = name;
    options.quiet = true;
    EXPECT_EQ(runRender(options, stdout, stderr), 0) << name;
    const WavReadResult read = readWav(options.output, r.output);
    EXPECT_TRUE(read.ok) << name << ": " << read.error;
    if (r.output.channels.size() == 2)
        r.levels = measureRender(r.input.channels, r.output.channels, r.input.frames(), kRate);
    return r;
}

double db(double linear) { return 20.0 * std::log10(linear); }

// Lag (in samples, positive when b comes after a) of the largest
// cross-correlation of b against a within +-maxLag, with its normalised size.
std::pair<int, double> correlationLag(const std::vector<float>& a, const std::vector<float>& b, size_t begin,
                                      size_t end, int maxLag) {
    int best = 0;
    double bestValue = 0.0, ea = 0.0, eb = 0.0;
    for (size_t i = begin; i < end; ++i) {
        ea += static_cast<double>(a[i]) * a[i];
        eb += static_cast<double>(b[i]) * b[i];
    }
    for (int lag = -maxLag; lag <= maxLag; ++lag) {
        double sum = 0.0;
        for (size_t i = begin; i < end; ++i)
            sum += static_cast<double>(a[i]) * b[i + static_cast<size_t>(lag)];
        if (std::fabs(sum) > std::fabs(bestValue))
            bestValue = sum, best = lag;
    }
    return {best, bestValue / std::sqrt(ea * eb)};
}

struct Mode {
    const char* name;
    float value;  // parameter 15: int(2 v) = 0 MIX, 1 HEADPHONES, 2 PLACES
};
constexpr Mode kModes[] = {{"MIX", 0.0f}, {"HEADPHONES", 0.5f}, {"PLACES", 1.0f}};

TEST(DemoRender, EveryModeGivesFiniteOutputNearThePinkNoiseLevel) {
    const StereoSignal noise = pinkNoise(kRate, kSeconds);
    for (const Mode& mode : kModes) {
        const Render r = render(std::string("pink-") + mode.name, noise, {{15, mode.value}});
        ASSERT_EQ(r.output.channels.size(), 2u) << mode.name;
        ASSERT_EQ(r.output.frames(), noise[0].size() + static_cast<size_t>(kTail * kRate)) << mode.name;
        for (size_t c = 0; c < 2; ++c) {
            EXPECT_EQ(r.levels.output[c].nonFinite + r.levels.tail[c].nonFinite, 0u) << mode.name << " " << c;
            const double in = db(r.levels.input[c].rms), out = db(r.levels.output[c].rms);
            EXPECT_NEAR(out, in, 6.0) << mode.name << " channel " << c;
            EXPECT_LT(db(r.levels.output[c].peak), 0.0) << mode.name << " channel " << c;
        }
    }
}

TEST(DemoRender, MixWithListenerResponsesDelaysTheFarEar) {
    StereoSignal leftOnly = pinkNoise(kRate, 2.0);
    std::fill(leftOnly[1].begin(), leftOnly[1].end(), 0.0f);
    const Render r = render("mix-left-only", leftOnly, {{15, 0.0f}, {37, 0.0f}});
    ASSERT_EQ(r.output.channels.size(), 2u);
    const size_t begin = static_cast<size_t>(0.25 * kRate), end = static_cast<size_t>(1.75 * kRate);
    const auto [lag, size] = correlationLag(r.output.channels[0], r.output.channels[1], begin, end, 96);
    std::printf("left-only input: right ear %d samples (%.3f ms) after the left, correlation %.2f\n", lag,
                1000.0 * lag / kRate, size);
    // A source 30 degrees to the left reaches the right ear about 0.25 ms later.
    EXPECT_GE(lag, 5) << "right ear " << lag << " samples after the left, correlation " << size;
    EXPECT_LE(lag, 30) << "right ear " << lag << " samples after the left, correlation " << size;
    EXPECT_GT(size, 0.3) << "lag " << lag;
    EXPECT_GT(r.levels.output[0].rms, r.levels.output[1].rms) << "the near ear is the louder";

    // The same signal on both inputs meets both ears at once.
    StereoSignal centred = leftOnly;
    centred[1] = centred[0];
    const Render c = render("mix-centred", centred, {{15, 0.0f}, {37, 0.0f}});
    ASSERT_EQ(c.output.channels.size(), 2u);
    const auto [centredLag, centredSize] = correlationLag(c.output.channels[0], c.output.channels[1], begin, end, 96);
    EXPECT_LE(std::abs(centredLag), 2) << "correlation " << centredSize;
}

TEST(DemoRender, PlacesLeavesAReverberantTail) {
    const StereoSignal noise = pinkNoise(kRate, kSeconds);
    const Render places = render("places-tail", noise, {{15, 1.0f}});
    const Render dry = render("headphones-tail", noise, {{15, 0.5f}});
    ASSERT_EQ(places.output.channels.size(), 2u);
    ASSERT_EQ(dry.output.channels.size(), 2u);
    const size_t end = noise[0].size(), step = static_cast<size_t>(0.1 * kRate);
    for (size_t c = 0; c < 2; ++c) {
        const double early = db(measureLevel(places.output.channels[c], end + step / 2, end + step).rms);
        const double later = db(measureLevel(places.output.channels[c], end + 4 * step, end + 5 * step).rms);
        const double during = db(places.levels.output[c].rms);
        const double dryEarly = db(measureLevel(dry.output.channels[c], end + step / 2, end + step).rms);
        std::printf("PLACES channel %zu: %.1f dB during, %.1f dB at 50-100 ms after, %.1f dB at 400-500 ms after;"
                    " HEADPHONES %.1f dB at 50-100 ms after\n",
                    c, during, early, later, dryEarly);
        // Still sounding 50 ms after the input stops, then decaying.
        EXPECT_GT(early, during - 30.0) << "channel " << c << ": " << early << " dB, " << during << " dB during";
        EXPECT_LT(later, early - 6.0) << "channel " << c << ": " << later << " dB after " << early << " dB";
        EXPECT_GT(early, dryEarly + 30.0) << "channel " << c << ": HEADPHONES tail " << dryEarly << " dB";
    }
}

}  // namespace
