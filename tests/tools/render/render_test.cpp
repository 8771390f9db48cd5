// The plug-in with the default data folder, end to end through the host.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DataBuilder.h"
#include "DemoSignal.h"
#include "HostedPlugin.h"
#include "TestHost.h"

namespace
{
constexpr double rate = 48000.0;
constexpr int modeParameter = 15;
constexpr int moveableParameter = 37;

using Channels = std::vector<std::vector<float>>;

class DefaultData : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        const char* base = std::getenv("QUILLATONE_DATA_ROOT");
        if (!base || !*base)
            std::abort(); // never the real home folder
        const std::string root = std::string(base) + "/default";
        std::filesystem::remove_all(root);
        databuilder::BuildOptions options;
        options.root = root;
        std::string error;
        built = databuilder::buildDataFolder(options, error);
        if (!built)
            std::fprintf(stderr, "build failed: %s\n", error.c_str());
        setenv("QUILLATONE_DATA_ROOT", root.c_str(), 1);
    }
    void SetUp() override { ASSERT_TRUE(built); }

    // Renders input through a fresh instance with the given parameters.
    static Channels render(const std::map<int, float>& parameters, const Channels& input)
    {
        testhost::HostSettings settings;
        settings.sampleRate = rate;
        settings.blockSize = 256;
        testhost::TestHost host(settings);
        std::string error;
        auto plugin = testhost::HostedPlugin::load(host, QUILLATONE_MODULE_PATH, error);
        EXPECT_TRUE(plugin) << error;
        if (!plugin)
            return {};
        plugin->open();
        for (const auto& [index, value] : parameters)
            plugin->setParameter(index, value);
        plugin->resume();
        Channels output = plugin->render(input, input[0].size(), 256);
        plugin->suspend();
        return output;
    }

    // Mono pink noise in both channels, then silence.
    static Channels pinkNoise(double seconds, double silence)
    {
        render::StereoSignal s = render::makeDemoSignal(rate, seconds, 0.0, silence);
        return { s.left, s.left };
    }

    static bool built;
};
bool DefaultData::built = false;

bool allFinite(const Channels& c)
{
    for (const auto& channel : c)
        for (float v : channel)
            if (!std::isfinite(v))
                return false;
    return true;
}
} // namespace

TEST_F(DefaultData, EveryModeKeepsThePinkNoiseLevel)
{
    const Channels input = pinkNoise(2.0, 0.0);
    const size_t settle = size_t(0.2 * rate);
    const double inputDb = render::rmsDb(input[0], input[1], settle, input[0].size());
    for (float mode : { 0.0f, 0.5f, 1.0f })
    {
        SCOPED_TRACE(mode);
        const Channels output = render({ { modeParameter, mode } }, input);
        ASSERT_EQ(output.size(), 2u);
        EXPECT_TRUE(allFinite(output));
        const double outputDb = render::rmsDb(output[0], output[1], settle, input[0].size());
        EXPECT_GT(outputDb, -60.0) << "silent";
        EXPECT_NEAR(outputDb, inputDb, 6.0);
    }
}

TEST_F(DefaultData, MixWithoutMovementDelaysTheFarEar)
{
    // A left-only click train: the right ear hears it later.
    Channels input(2, std::vector<float>(size_t(rate), 0.0f));
    for (size_t i = 1000; i < input[0].size(); i += 9600)
        input[0][i] = 0.5f;
    const Channels output = render({ { modeParameter, 0.0f }, { moveableParameter, 0.0f } }, input);
    ASSERT_EQ(output.size(), 2u);
    ASSERT_TRUE(allFinite(output));
    // Cross-correlation of the two outputs around the first click.
    double best = -1.0;
    int bestLag = 0;
    for (int lag = -40; lag <= 40; ++lag)
    {
        double sum = 0.0;
        for (size_t i = 900; i < 1900; ++i)
            sum += double(output[0][i]) * output[1][size_t(long(i) + lag)];
        if (sum > best)
            best = sum, bestLag = lag;
    }
    EXPECT_GE(bestLag, 6) << "the right ear lags the left";
    EXPECT_LE(bestLag, 20);
}

TEST_F(DefaultData, PlacesLeaveAReverberantTail)
{
    const Channels input = pinkNoise(1.0, 1.0);
    const size_t end = size_t(rate);
    const size_t from = end + size_t(0.05 * rate), to = end + size_t(0.3 * rate);
    const Channels places = render({ { modeParameter, 1.0f } }, input);
    const Channels dry = render({ { modeParameter, 0.5f } }, input);
    ASSERT_TRUE(allFinite(places));
    const double active = render::rmsDb(places[0], places[1], size_t(0.2 * rate), end);
    const double tail = render::rmsDb(places[0], places[1], from, to);
    const double dryTail = render::rmsDb(dry[0], dry[1], from, to);
    EXPECT_GT(tail, active - 50.0);
    EXPECT_LT(tail, active);
    EXPECT_GT(tail, dryTail + 30.0) << "HEADPHONES has no room";
}
