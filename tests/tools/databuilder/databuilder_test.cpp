#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "CurveFile.h"
#include "Curves.h"
#include "DataBuilder.h"
#include "DataFolder.h"
#include "Fft.h"
#include "ListenerResponses.h"
#include "ListenerSet.h"
#include "ModelTables.h"
#include "PlaceModel.h"

namespace fs = std::filesystem;
using namespace databuilder;

namespace
{
std::string testRoot(const char* name)
{
    const char* base = std::getenv("QUILLATONE_DATA_ROOT");
    if (!base || !*base)
        std::abort(); // never the real home folder
    return std::string(base) + "/" + name;
}

std::vector<char> readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

struct Tables
{
    datafiles::ListenerTable left;
    datafiles::ListenerTable right;
};

// Interaural delay at ear level for a block: right-ear peak minus left-ear peak.
int peakDelay(const Tables& t, int block)
{
    return peakTap(t.right[block][0], gridTaps) - peakTap(t.left[block][0], gridTaps);
}

// The same by cross-correlation, which does not jump between peaks.
int correlationDelay(const Tables& t, int block)
{
    const float* l = t.left[block][0];
    const float* r = t.right[block][0];
    double best = -1.0;
    int bestLag = 0;
    for (int lag = -80; lag <= 80; ++lag)
    {
        double sum = 0.0;
        for (int i = std::max(0, -lag); i < gridTaps && i + lag < gridTaps; ++i)
            sum += double(l[i]) * r[i + lag];
        if (sum > best)
            best = sum, bestLag = lag;
    }
    return bestLag;
}

class BuiltFolder : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        root = new std::string(testRoot("built"));
        fs::remove_all(*root);
        BuildOptions options;
        options.root = *root;
        std::string error;
        built = buildDataFolder(options, error);
        if (!built)
            std::fprintf(stderr, "build failed: %s\n", error.c_str());
    }
    static void TearDownTestSuite()
    {
        delete root;
        root = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(built); }

    std::string product(const std::string& relative) const
    {
        return datafiles::productFilePath(*root, relative);
    }

    std::unique_ptr<Tables> loadListener(int listener)
    {
        auto t = std::make_unique<Tables>();
        EXPECT_EQ(datafiles::loadHrtfFile(*root, 0, listener, t->left), datafiles::fileOk);
        EXPECT_EQ(datafiles::loadHrtfFile(*root, 1, listener, t->right), datafiles::fileOk);
        return t;
    }

    static std::string* root;
    static bool built;
};
std::string* BuiltFolder::root = nullptr;
bool BuiltFolder::built = false;
} // namespace

TEST(LoudnessContours, MatchTheStandardAtKnownPoints)
{
    // ISO 226:2003 at 20 Hz, 100 Hz, 1 kHz, 5 kHz and 12.5 kHz.
    const int indices[5] = { 0, 7, 17, 24, 28 };
    const struct { double phon; double spl[5]; } table[] = {
        { 10, { 83.75, 38.13, 10.00, 7.46, 22.33 } },
        { 40, { 99.85, 64.37, 40.01, 40.01, 51.49 } },
        { 50, { 104.72, 71.61, 50.01, 50.48, 60.14 } },
        { 80, { 118.99, 92.48, 80.01, 81.62, 85.41 } },
        { 90, { 123.71, 99.33, 90.01, 91.96, 93.75 } },
    };
    for (const auto& row : table)
        for (int i = 0; i < 5; ++i)
            EXPECT_NEAR(isoLoudnessLevel(row.phon, indices[i]), row.spl[i], 0.01)
                << row.phon << " phon at " << isoFrequencies[indices[i]] << " Hz";
    // The standard's own table, to one decimal.
    EXPECT_NEAR(isoLoudnessLevel(40, 0), 99.9, 0.05);
    EXPECT_NEAR(isoLoudnessLevel(40, 17), 40.0, 0.05);
}

TEST(LoudnessContours, StoredRelativeToOneKilohertzOverTheWholeBand)
{
    const Curve lc10 = loudnessContour(10), lc50 = loudnessContour(50), lc90 = loudnessContour(90);
    for (const Curve* c : { &lc10, &lc50, &lc90 })
    {
        ASSERT_GE(c->hz.size(), 3u);
        ASSERT_LE(c->hz.size(), 1000u);
        EXPECT_EQ(c->hz.front(), 0.0f);
        EXPECT_EQ(c->hz.back(), 24000.0f);
        for (size_t i = 1; i < c->hz.size(); ++i)
            ASSERT_LT(c->hz[i - 1], c->hz[i]);
        EXPECT_NEAR(curveLevelAt(*c, 1000.0), 0.0, 1e-6);
    }
    EXPECT_NEAR(curveLevelAt(lc10, 20.0) - curveLevelAt(lc50, 20.0), 19.0, 0.1);
    EXPECT_NEAR(curveLevelAt(lc90, 20.0) - curveLevelAt(lc50, 20.0), -21.0, 0.1);
    EXPECT_NEAR(curveLevelAt(lc10, 12500.0) - curveLevelAt(lc50, 12500.0), 2.2, 0.1);
    EXPECT_NEAR(curveLevelAt(lc90, 12500.0) - curveLevelAt(lc50, 12500.0), -6.4, 0.1);
}

TEST(ListenerGrid, BlocksAndRowsAddressTheChainsDirections)
{
    EXPECT_EQ(blockLateralAngle(0), -80.0);
    EXPECT_EQ(blockLateralAngle(3), -45.0);
    EXPECT_EQ(blockLateralAngle(6), -30.0);
    EXPECT_EQ(blockLateralAngle(12), 0.0);
    EXPECT_EQ(blockLateralAngle(18), 30.0);
    EXPECT_EQ(blockLateralAngle(21), 45.0);
    EXPECT_EQ(blockLateralAngle(24), 80.0);
    for (int b = 1; b < gridBlocks; ++b)
        EXPECT_LT(blockLateralAngle(b - 1), blockLateralAngle(b));
    EXPECT_EQ(rowPolarAngle(16), 90.0);
    EXPECT_EQ(rowPolarAngle(32), 180.0);
    EXPECT_EQ(rowPolarAngle(42), -45.0);
    EXPECT_EQ(rowPolarAngle(49), -5.625);

    double d[3];
    gridDirection(12, 0, d);
    EXPECT_NEAR(d[0], 1.0, 1e-12);
    gridDirection(6, 0, d);
    EXPECT_GT(d[1], 0.0) << "negative lateral angles are to the left (+y)";
    for (int row = 42; row < 50; ++row)
    {
        gridDirection(12, row, d);
        EXPECT_LT(d[2], 0.0) << "row " << row << " lies below ear level";
    }
}

TEST_F(BuiltFolder, EveryFileHasItsLayoutAndLoadsBack)
{
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(*root))
        files += entry.is_regular_file() && entry.path().filename() != "README.txt";
    EXPECT_EQ(files, 348u);

    for (int listener = 0; listener < datafiles::listenerCount; ++listener)
    {
        EXPECT_EQ(fs::file_size(datafiles::hrtfFilePath(*root, 0, listener)), 1090000u);
        EXPECT_EQ(fs::file_size(datafiles::hrtfFilePath(*root, 1, listener)), 1090000u);
        EXPECT_EQ(fs::file_size(datafiles::leftToRightFilePath(*root, listener)), 872u);
        datafiles::ListenerRow response, impulse;
        float sum = 0.0f;
        EXPECT_EQ(datafiles::loadLeftToRightFile(*root, listener, response, impulse, sum),
                  datafiles::fileOk);
        EXPECT_GT(sum, 0.0f);
    }

    auto list = std::make_unique<CurveList>();
    auto expectCurve = [&](int32_t code, const std::string& path) {
        SCOPED_TRACE(path);
        EXPECT_EQ(code, datafiles::fileOk);
        EXPECT_GE(list->count, 3);
        EXPECT_EQ(fs::file_size(path), 4u + 8u * uint32_t(list->count));
        EXPECT_EQ(list->hz[0], 0.0f);
        EXPECT_EQ(list->hz[list->count - 1], 24000.0f);
    };
    for (int row = 0; row < datafiles::headphoneModelCount; ++row)
        expectCurve(datafiles::loadHeadphoneCurveFile(*root, row, *list),
                    datafiles::headphoneCurvePath(*root, row));
    for (int group = 0; group < 2; ++group)
        expectCurve(datafiles::loadMonitorCurveFile(*root, group * 0.5f, 0.0f, *list),
                    datafiles::monitorCurvePath(*root, group, 0));
    for (int row = 0; row < datafiles::monitorTableCount; ++row)
        expectCurve(datafiles::loadMonitorCurveFile(*root, 1.0f, row * 0.01f, *list),
                    datafiles::monitorCurvePath(*root, 2, row));
    expectCurve(datafiles::loadNefCurveFile(*root, *list), datafiles::nefCurvePath(*root));
    auto lc10 = std::make_unique<CurveList>(), lc50 = std::make_unique<CurveList>(),
         lc90 = std::make_unique<CurveList>();
    EXPECT_EQ(datafiles::loadLoudnessCurveFiles(*root, *lc10, *lc50, *lc90), datafiles::fileOk);
}

TEST_F(BuiltFolder, PlaceFilesAreFloatWavesWithAReverberantTail)
{
    for (const Place& place : places)
        for (int k = 1; k <= 4; ++k)
        {
            const std::string path = product(std::string("Places/") + place.folder + "/" +
                                              place.filePrefix + "_" + std::to_string(k) + ".wav");
            SCOPED_TRACE(path);
            const std::vector<char> bytes = readAll(path);
            ASSERT_EQ(bytes.size(), 44u + 44100u * 4u);
            EXPECT_EQ(std::memcmp(bytes.data(), "RIFF", 4), 0);
            EXPECT_EQ(std::memcmp(bytes.data() + 8, "WAVEfmt ", 8), 0);
            uint16_t tag, channels, bits;
            uint32_t rate, dataSize;
            std::memcpy(&tag, bytes.data() + 20, 2);
            std::memcpy(&channels, bytes.data() + 22, 2);
            std::memcpy(&rate, bytes.data() + 24, 4);
            std::memcpy(&bits, bytes.data() + 34, 2);
            std::memcpy(&dataSize, bytes.data() + 40, 4);
            EXPECT_EQ(tag, 3);
            EXPECT_EQ(channels, 1);
            EXPECT_EQ(rate, 48000u);
            EXPECT_EQ(bits, 32);
            EXPECT_EQ(dataSize, 44100u * 4u);

            std::vector<float> samples(44100);
            std::memcpy(samples.data(), bytes.data() + 44, samples.size() * 4);
            double early = 0.0, late = 0.0;
            for (size_t i = 0; i < samples.size(); ++i)
            {
                ASSERT_TRUE(std::isfinite(samples[i]));
                (i < 4800 ? early : late) += double(samples[i]) * samples[i];
            }
            EXPECT_GT(early, 0.0);
            // Every place but the car keeps a tail past 100 ms.
            if (std::string(place.folder) != "Punto")
            {
                EXPECT_GT(late, 1e-3 * early);
            }
        }
}

TEST_F(BuiltFolder, InterauralDelaysGrowWithTheLateralAngle)
{
    const auto t = loadListener(0);
    // Left-side sources reach the left ear first.
    EXPECT_NEAR(peakDelay(*t, 6), 12, 1);  // -30 degrees
    EXPECT_NEAR(peakDelay(*t, 3), 25, 1);  // -45
    EXPECT_NEAR(peakDelay(*t, 0), 41, 1);  // -80
    EXPECT_EQ(peakDelay(*t, 12), 0);
    EXPECT_NEAR(peakDelay(*t, 18), -12, 1);
    for (int block = 1; block <= 12; ++block)
    {
        EXPECT_LT(correlationDelay(*t, block), correlationDelay(*t, block - 1)) << block;
        EXPECT_EQ(correlationDelay(*t, 24 - block), -correlationDelay(*t, block)) << block;
    }

    // Scaled heads scale the delays.
    const double measured = correlationDelay(*t, 0);
    for (int listener = 1; listener < datafiles::listenerCount; ++listener)
    {
        const auto scaled = loadListener(listener);
        const double s = listenerHeadScales[listener - 1];
        EXPECT_NEAR(correlationDelay(*scaled, 0), measured * s, 1.5) << "listener " << listener;
    }
}

TEST_F(BuiltFolder, LevelsAndLeftToRightResponse)
{
    const auto t = loadListener(0);
    // Direct plus cross for a centred source: 0 dB over 200-1000 Hz.
    std::vector<float> sum(gridTaps);
    for (int i = 0; i < gridTaps; ++i)
        sum[i] = t->left[6][0][i] + t->left[18][0][i];
    const Spectrum spectrum = realSpectrum(sum.data(), sum.size(), 8192);
    double power = 0.0;
    int count = 0;
    for (size_t bin = 0; bin < 4096; ++bin)
        if (bin * 48000.0 / 8192 >= 200.0 && bin * 48000.0 / 8192 <= 1000.0)
            power += std::norm(spectrum[bin]), ++count;
    EXPECT_NEAR(10.0 * std::log10(power / count), 0.0, 0.01);

    datafiles::ListenerRow response, impulse;
    float ltorSum = 0.0f;
    ASSERT_EQ(datafiles::loadLeftToRightFile(*root, 0, response, impulse, ltorSum), datafiles::fileOk);
    EXPECT_NEAR(peakTap(response, gridTaps), 12, 2) << "the cross path keeps the interaural delay";

    auto nef = std::make_unique<CurveList>();
    ASSERT_EQ(datafiles::loadNefCurveFile(*root, *nef), datafiles::fileOk);
    float low = 0.0f, high = 0.0f;
    for (int i = 0; i < nef->count; ++i)
        low = std::min(low, nef->db[i]), high = std::max(high, nef->db[i]);
    EXPECT_GT(high, 5.0f) << "keeps the ear-canal resonance";
    EXPECT_LT(high, 10.0f) << "stays inside the soft-limit band";
    EXPECT_GT(low, -10.0f);
}

TEST_F(BuiltFolder, TwoRunsGiveIdenticalBytes)
{
    const std::string again = testRoot("again");
    fs::remove_all(again);
    BuildOptions options;
    options.root = again;
    std::string error;
    ASSERT_TRUE(buildDataFolder(options, error)) << error;
    size_t compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(*root))
    {
        if (!entry.is_regular_file())
            continue;
        const fs::path other = fs::path(again) / fs::relative(entry.path(), *root);
        ASSERT_TRUE(readAll(entry.path()) == readAll(other)) << other;
        ++compared;
    }
    EXPECT_EQ(compared, 349u);
}

TEST(DataBuilder, ReportsAMissingListenerSet)
{
    BuildOptions options;
    options.root = testRoot("missing_sofa");
    options.sofaPath = testRoot("no_such.sofa");
    std::string error;
    EXPECT_FALSE(buildDataFolder(options, error));
    EXPECT_NE(error.find("no_such.sofa"), std::string::npos);
    options.root.clear();
    EXPECT_FALSE(buildDataFolder(options, error));
}
