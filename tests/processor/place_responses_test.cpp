#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "DataFilesTestSupport.h"
#include "PlaceResponses.h"
#include "TestWaveWriter.h"
#include "WaveFile.h"

using places::Place;
using places::choosePlace;

namespace
{

TEST(PlaceChoice, EveryVariantAndPlaceIndex)
{
    // Variant A (parameter 18 below 0.5) takes the place index.
    EXPECT_EQ(choosePlace(0.0f, 0.0f), Place::office);
    EXPECT_EQ(choosePlace(0.0f, 0.01f), Place::smallWarm);
    EXPECT_EQ(choosePlace(0.0f, 0.02f), Place::mediumWarm);
    EXPECT_EQ(choosePlace(0.0f, 0.03f), Place::mediumClear);
    EXPECT_EQ(choosePlace(0.0f, 0.04f), Place::smallWarm);
    EXPECT_EQ(choosePlace(0.0f, 1.0f), Place::smallWarm);
    EXPECT_EQ(choosePlace(0.49f, 0.03f), Place::mediumClear);
    EXPECT_EQ(choosePlace(0.0f, 0.0052f), Place::smallWarm);  // 0.52 + 0.49 rounds up to item 1
    EXPECT_EQ(choosePlace(0.0f, 0.0049f), Place::office);
    // Variants B and C ignore the place index.
    for (float index : {0.0f, 0.02f, 0.03f})
    {
        EXPECT_EQ(choosePlace(0.5f, index), Place::punto);
        EXPECT_EQ(choosePlace(0.99f, index), Place::punto);
        EXPECT_EQ(choosePlace(1.0f, index), Place::buddy);
    }
    // Editor item values i * 0.01f come back as item i.
    const Place byItem[] = {Place::office, Place::smallWarm, Place::mediumWarm, Place::mediumClear};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(choosePlace(0.0f, static_cast<float>(i) * 0.01f), byItem[i]) << i;
    // Out-of-range values are clamped, NaN counts as 0.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(choosePlace(nan, nan), Place::office);
    EXPECT_EQ(choosePlace(-3.0f, -1.0f), Place::office);
    EXPECT_EQ(choosePlace(7.0f, 0.0f), Place::buddy);
    EXPECT_EQ(choosePlace(0.0f, std::numeric_limits<float>::infinity()), Place::smallWarm);
}

TEST(PlaceChoice, FilePaths)
{
    const std::string folder = "/data/Harlox/Quillatone/Places";
    const struct
    {
        Place place;
        const char* file1;
    } expected[] = {
        {Place::office, "/Office/Quillatone_uff_1.wav"},
        {Place::smallWarm, "/Small_warm/Small_warm_1.wav"},
        {Place::mediumWarm, "/Medium_warm/Medium_warm_1.wav"},
        {Place::mediumClear, "/Medium_clear/Medium_clear_1.wav"},
        {Place::punto, "/Punto/Punto_center_1.wav"},
        {Place::buddy, "/Buddy/Buddy_1.wav"},
    };
    using testsupport::nativePath;
    for (const auto& e : expected)
        EXPECT_EQ(places::placeFilePath(folder, e.place, 1), folder + nativePath(e.file1));
    EXPECT_EQ(places::placeFilePath(folder + "/", Place::buddy, 4), folder + "/" + nativePath("Buddy/Buddy_4.wav"));
    EXPECT_EQ(places::placeFilePath("", Place::office, 1), "");
}

class PlaceLoadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* root = std::getenv("QUILLATONE_DATA_ROOT");
        ASSERT_NE(root, nullptr);
        placesFolder = (std::filesystem::path(root) / ::testing::UnitTest::GetInstance()->current_test_info()->name() /
                        "Places").string();
        std::filesystem::create_directories(std::filesystem::path(placesFolder) / "Punto");
        for (auto& b : storage)
            b.assign(capacity, 3.0f);
        for (int k = 0; k < 4; ++k)
            buffers[k] = storage[k].data();
    }

    static constexpr size_t capacity = 64;
    std::string placesFolder;
    std::vector<float> storage[4];
    float* buffers[4] = {};
};

TEST_F(PlaceLoadTest, LoadsTheFourFilesOfThePlace)
{
    using namespace testwave;
    Bytes mono;
    mono.f32(0.5f).f32(-0.25f);
    writeFile(places::placeFilePath(placesFolder, Place::punto, 1), simpleWave(3, 1, 32, mono));
    Bytes stereo;
    stereo.u16(16384).u16(static_cast<uint16_t>(-16384));
    writeFile(places::placeFilePath(placesFolder, Place::punto, 2), simpleWave(1, 2, 16, stereo));
    // File 3 is missing; file 4 is not a WAV file.
    writeFile(places::placeFilePath(placesFolder, Place::punto, 4), {'n', 'o', 'p', 'e'});

    int32_t codes[4] = {-1, -1, -1, -1};
    places::loadPlaceResponses(placesFolder, choosePlace(0.5f, 0.0f), buffers, capacity, codes);
    EXPECT_EQ(codes[0], places::waveOk);
    EXPECT_EQ(codes[1], places::waveOk);
    EXPECT_EQ(codes[2], places::waveCannotOpen);
    EXPECT_EQ(codes[3], places::waveInvalid);

    EXPECT_EQ(storage[0][0], 0.5f);
    EXPECT_EQ(storage[0][1], -0.25f);
    EXPECT_FLOAT_EQ(storage[1][0], -16384 / 32767.0f);  // the right channel wins
    for (size_t i = 2; i < capacity; ++i)
    {
        EXPECT_EQ(storage[0][i], 0.0f);
        EXPECT_EQ(storage[1][i], 0.0f);
    }
    for (int k : {2, 3})
        for (float v : storage[k])
            ASSERT_EQ(v, 0.0f);
}

TEST_F(PlaceLoadTest, NoRootOrNoFilesLeavesSilence)
{
    int32_t codes[4] = {};
    places::loadPlaceResponses("", Place::office, buffers, capacity, codes);
    for (int k = 0; k < 4; ++k)
    {
        EXPECT_EQ(codes[k], places::waveCannotOpen);
        for (float v : storage[k])
            ASSERT_EQ(v, 0.0f);
    }
    places::loadPlaceResponses(placesFolder, Place::mediumClear, buffers, capacity);  // codes optional
    for (int k = 0; k < 4; ++k)
        for (float v : storage[k])
            ASSERT_EQ(v, 0.0f);
}

} // namespace
