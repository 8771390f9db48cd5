// The generated demo signals (pink noise, music phrase) and the level meter
// behind the render summary.
#include "DemoSignals.h"
#include "LevelMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace testhost;

namespace {

constexpr double kPi = 3.14159265358979323846;

// RMS in dB after a constant-Q band-pass centred at hz, octaves wide.
double bandLevelDb(const std::vector<float>& x, double hz, double rate, double octaves = 1.0) {
    const double w = 2 * kPi * hz / rate;
    const double alpha = std::sin(w) * std::sinh(std::log(2.0) / 2 * octaves * w / std::sin(w)), a0 = 1 + alpha;
    const double b0 = alpha / a0, b2 = -alpha / a0, a1 = -2 * std::cos(w) / a0, a2 = (1 - alpha) / a0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0, energy = 0;
    for (float s : x) {
        const double y = b0 * s + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1, x1 = s, y2 = y1, y1 = y;
        energy += y * y;
    }
    return 10 * std::log10(energy / static_cast<double>(x.size()));
}

double rmsDb(const std::vector<float>& x, size_t begin, size_t end) {
    double e = 0;
    for (size_t i = begin; i < end; ++i)
        e += static_cast<double>(x[i]) * x[i];
    return 10 * std::log10(e / static_cast<double>(end - begin));
}

TEST(PinkNoise, IsDeterministicAtItsLevelAndUncorrelated) {
    const StereoSignal a = pinkNoise(48000, 2.0, 7), b = pinkNoise(48000, 2.0, 7), c = pinkNoise(48000, 2.0, 8);
    ASSERT_EQ(a.size(), 2u);
    ASSERT_EQ(a[0].size(), 96000u);
    EXPECT_EQ(a, b);
    EXPECT_NE(a[0], c[0]);
    double cross = 0, l = 0, r = 0;
    for (size_t i = 0; i < 96000; ++i) {
        cross += static_cast<double>(a[0][i]) * a[1][i];
        l += static_cast<double>(a[0][i]) * a[0][i];
        r += static_cast<double>(a[1][i]) * a[1][i];
    }
    EXPECT_LT(std::fabs(cross / std::sqrt(l * r)), 0.05);
    for (size_t ch = 0; ch < 2; ++ch) {
        EXPECT_NEAR(rmsDb(a[ch], 0, 96000), -20.0, 1e-4);
        const ChannelLevel level = measureLevel(a[ch], 0, 96000);
        EXPECT_LT(level.peak, 0.5);  // room for the plug-in's gain
        EXPECT_LT(std::fabs(a[ch][0]), 1e-4);  // fades in from silence
    }
    const StereoSignal quiet = pinkNoise(44100, 0.5, 1, -30.0);
    EXPECT_EQ(quiet[0].size(), 22050u);
    EXPECT_NEAR(rmsDb(quiet[1], 0, 22050), -30.0, 1e-4);
}

TEST(PinkNoise, HasEqualEnergyPerOctave) {
    for (double rate : {44100.0, 48000.0, 96000.0}) {
        const StereoSignal noise = pinkNoise(rate, 8.0, 3);
        const double reference = bandLevelDb(noise[0], 1000.0, rate);
        for (double hz : {63.0, 125.0, 250.0, 500.0, 2000.0, 4000.0, 8000.0, 16000.0})
            EXPECT_NEAR(bandLevelDb(noise[0], hz, rate), reference, 1.0) << rate << " Hz rate, band " << hz;
    }
}

TEST(MusicPhrase, IsAPannedPhraseOfNotesAtItsPeak) {
    const StereoSignal music = musicPhrase(48000);
    ASSERT_EQ(music.size(), 2u);
    const size_t frames = music[0].size();
    EXPECT_NEAR(static_cast<double>(frames) / 48000, 4.45, 0.05);
    EXPECT_EQ(music, musicPhrase(48000));
    const double peak = std::max(measureLevel(music[0], 0, frames).peak, measureLevel(music[1], 0, frames).peak);
    EXPECT_NEAR(20 * std::log10(peak), -6.0, 1e-4);
    // Starts from silence with an attack and dies away at the end.
    EXPECT_EQ(music[0][0], 0.0f);
    EXPECT_LT(rmsDb(music[0], frames - 480, frames), rmsDb(music[0], 0, frames) - 30);
    // The bass sits left of centre, the melody right of it.
    EXPECT_GT(bandLevelDb(music[0], 65.0, 48000) - bandLevelDb(music[1], 65.0, 48000), 3.0);
    EXPECT_GT(bandLevelDb(music[1], 1300.0, 48000) - bandLevelDb(music[0], 1300.0, 48000), 3.0);
    // Notes change: the bass plays C (65.4 Hz) in the first second, F (43.7 Hz) in the third.
    const std::vector<float> first(music[0].begin(), music[0].begin() + 48000);
    const std::vector<float> third(music[0].begin() + 96000, music[0].begin() + 144000);
    EXPECT_GT(bandLevelDb(first, 65.4, 48000, 0.2) - bandLevelDb(first, 43.7, 48000, 0.2), 10.0);
    EXPECT_GT(bandLevelDb(third, 43.7, 48000, 0.2) - bandLevelDb(third, 65.4, 48000, 0.2), 10.0);
}

TEST(LevelMeter, MeasuresRmsPeakAndNonFiniteSamples) {
    std::vector<float> sine(48000);
    for (size_t i = 0; i < sine.size(); ++i)
        sine[i] = static_cast<float>(std::sin(2 * kPi * 1000 * static_cast<double>(i) / 48000));
    const ChannelLevel level = measureLevel(sine, 0, sine.size());
    EXPECT_EQ(formatDbfs(level.rms), "-3.01");
    EXPECT_EQ(formatDbfs(level.peak), "0.00");
    EXPECT_EQ(formatDbfs(0.0), "-inf");
    EXPECT_EQ(formatDbfs(0.1), "-20.00");

    std::vector<float> x = {0.5f, std::numeric_limits<float>::quiet_NaN(), -0.5f,
                            std::numeric_limits<float>::infinity()};
    const ChannelLevel bad = measureLevel(x, 0, 100);  // the end is clamped
    EXPECT_EQ(bad.nonFinite, 2u);
    EXPECT_EQ(bad.rms, 0.5);
    EXPECT_EQ(bad.peak, 0.5);
    EXPECT_EQ(measureLevel(x, 4, 4).rms, 0.0);
}

TEST(LevelMeter, SplitsTheOutputAtTheEndOfTheInputForTheSummary) {
    const std::vector<std::vector<float>> input = {std::vector<float>(100, 0.5f), std::vector<float>(100, 0.25f)};
    std::vector<std::vector<float>> output = {std::vector<float>(150, 1.0f), std::vector<float>(150, 0.0f)};
    for (size_t i = 100; i < 150; ++i)
        output[0][i] = 0.01f, output[1][i] = -0.1f;
    const RenderLevels levels = measureRender(input, output, 100, 100.0);
    EXPECT_DOUBLE_EQ(levels.input[1].rms, 0.25);
    EXPECT_DOUBLE_EQ(levels.output[0].peak, 1.0);
    EXPECT_EQ(levels.output[1].rms, 0.0);
    EXPECT_NEAR(levels.tail[0].rms, 0.01, 1e-9);
    EXPECT_DOUBLE_EQ(levels.tailSeconds, 0.5);
    EXPECT_EQ(formatSummary("MIX", levels),
              "MIX: in rms L -6.02 R -12.04 peak L -6.02 R -12.04 | out rms L 0.00 R -inf peak L 0.00 R -inf"
              " | tail 0.50 s rms L -40.00 R -20.00 (dBFS)");
    output[1][120] = std::numeric_limits<float>::quiet_NaN();
    const std::string flagged = formatSummary("", measureRender(input, output, 100, 100.0));
    EXPECT_EQ(flagged.find("in rms"), 0u);
    EXPECT_NE(flagged.find("R -20.00 NON-FINITE 1 (dBFS)"), std::string::npos) << flagged;
    // Without a tail the summary ends after the output.
    output[0].resize(100), output[1].resize(100);
    EXPECT_EQ(formatSummary("x", measureRender(input, output, 100, 100.0)).find("tail"), std::string::npos);
}

}  // namespace
