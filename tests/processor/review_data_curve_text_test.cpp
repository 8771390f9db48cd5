#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "CurveList.h"
#include "CurveTextConversion.h"
#include "TestFolderFixture.h"

using namespace curveconvert;
namespace fs = std::filesystem;

namespace
{
class CurveTextSumTest : public TestFolderFixture
{
protected:
    CurveList list;
};

// Levels whose float32 running sum differs from the exact one.
std::vector<float> awkwardLevels()
{
    std::vector<float> levels;
    for (int i = 0; i < 300; ++i)
        levels.push_back(85.0f + 0.37f * float(i % 13) + 0.011f * float(i));
    return levels;
}
} // namespace

// The mean that is subtracted comes from a float32 sum in file order.
TEST_F(CurveTextSumTest, MeanComesFromAFloatSum)
{
    const std::vector<float> levels = awkwardLevels();
    std::string monitor, pairs;
    float sum = 0.0f;
    double exact = 0.0;
    for (size_t i = 0; i < levels.size(); ++i)
    {
        char line[64];
        std::snprintf(line, sizeof line, "%d %.9g\n", int(20 + 10 * i), double(levels[i]));
        monitor += line;
        pairs += line;
        sum += levels[i];
        exact += levels[i];
    }
    const float mean = sum / float(levels.size());
    ASSERT_NE(mean, float(exact / double(levels.size()))) << "the levels do not tell the sums apart";

    ASSERT_EQ(parseMonitorText(write("monitor.txt", monitor), list), convertOk);
    ASSERT_EQ(list.count, int32_t(levels.size()));
    for (size_t i = 0; i < levels.size(); ++i)
        ASSERT_EQ(list.db[i], levels[i] - mean) << i;

    ASSERT_EQ(parseHeadphoneText(write("pairs.txt", pairs), HeadphoneTextFormat::pairs, 0.0f, list), convertOk);
    for (size_t i = 0; i < levels.size(); ++i)
        ASSERT_EQ(list.db[i], levels[i] - mean + 0.0f) << i;
}

// Levels so large that their float sum overflows give no curve, not a file of
// non-finite levels.
TEST_F(CurveTextSumTest, OverflowingSumWritesNothing)
{
    list.count = 7;
    const std::string output = (folder / "huge.mos").string();
    EXPECT_EQ(convertMonitorText(write("huge.txt", "20 3e38\n200 3e38\n2000 3e38\n"), output, list), convertNoPoints);
    EXPECT_FALSE(fs::exists(output));
    EXPECT_EQ(list.count, 7);
}
