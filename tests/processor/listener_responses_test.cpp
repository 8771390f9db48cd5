#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "DataFilesTestSupport.h"
#include "ListenerResponses.h"

using namespace datafiles;
using testsupport::writeFloats;

namespace
{
struct Tables
{
    ListenerTable table;
    ListenerRow response;
    ListenerRow unitImpulse;
    float sum;
};

constexpr size_t hrtfValues = 25 * 50 * 218;

// Value stored at block a, row e, tap i: unique and exactly representable.
float marker(int a, int e, int i)
{
    // Distinct, exact and within the readers' bound of 16.
    return float(a * 100000 + e * 1000 + i) / 262144.0f;
}

class ListenerFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = testsupport::freshDataRoot();
        for (auto& block : t->table)
            for (auto& row : block)
                for (float& tap : row)
                    tap = -1.0f;
        for (int i = 0; i < listenerRowStride; ++i)
            t->response[i] = 3.0f, t->unitImpulse[i] = 3.0f;
        t->sum = 42.0f;
    }
    std::string root;
    std::unique_ptr<Tables> t = std::make_unique<Tables>();
};
} // namespace

TEST(ListenerFiles, SubjectsAndNames)
{
    EXPECT_EQ(listenerSubject(0), 3);
    EXPECT_EQ(listenerSubject(7), 17);
    EXPECT_EQ(listenerSubject(11), 21);
    EXPECT_EQ(listenerSubject(12), 3);
    EXPECT_EQ(listenerSubject(-1), 3);
    using testsupport::nativePath;
    EXPECT_EQ(hrtfFilePath("/r", 0, 7), "/r" + nativePath("/Harlox/Quillatone/bin/HRTF_subject017_toQuillatone_IRSleft.hrt"));
    EXPECT_EQ(hrtfFilePath("/r", 1, 7), "/r" + nativePath("/Harlox/Quillatone/bin/HRTF_subject017_toQuillatone_IRSright.hrt"));
    EXPECT_EQ(leftToRightFilePath("/r", 7), "/r" + nativePath("/Harlox/Quillatone/bin/Quillatoneltor017.hrt"));
    EXPECT_EQ(leftToRightFilePath("/r", 12), "/r" + nativePath("/Harlox/Quillatone/bin/Quillatoneltor003.hrt"));
    EXPECT_EQ(hrtfFilePath("", 0, 0), "");
}

TEST_F(ListenerFileTest, HrtfLayoutIsBlockRowTap)
{
    std::vector<float> values;
    values.reserve(hrtfValues);
    for (int a = 0; a < 25; ++a)
        for (int e = 0; e < 50; ++e)
            for (int i = 0; i < 218; ++i)
                values.push_back(marker(a, e, i));
    writeFloats(hrtfFilePath(root, 1, 4), values);

    ASSERT_EQ(loadHrtfFile(root, 1, 4, t->table), fileOk);
    for (int a : { 0, 6, 24 })
        for (int e : { 0, 17, 49 })
        {
            EXPECT_EQ(t->table[a][e][0], marker(a, e, 0));
            EXPECT_EQ(t->table[a][e][217], marker(a, e, 217));
            EXPECT_EQ(t->table[a][e][218], -1.0f) << "taps past 217 are never touched";
            EXPECT_EQ(t->table[a][e][299], -1.0f);
        }
}

TEST_F(ListenerFileTest, HrtfMissingShortAndNonFinite)
{
    EXPECT_EQ(loadHrtfFile(root, 0, 0, t->table), fileCannotOpen);
    EXPECT_EQ(t->table[3][3][3], -1.0f);
    EXPECT_EQ(loadHrtfFile(root, 2, 0, t->table), fileOk) << "other channels load nothing";
    EXPECT_EQ(t->table[0][0][0], -1.0f);

    writeFloats(hrtfFilePath(root, 0, 0), std::vector<float>(218 + 5, 2.0f));
    EXPECT_EQ(loadHrtfFile(root, 0, 0, t->table), fileReadError);
    EXPECT_EQ(t->table[0][0][217], 2.0f);
    EXPECT_EQ(t->table[0][1][4], 2.0f);
    EXPECT_EQ(t->table[0][1][5], 0.0f) << "past the end reads as zero";
    EXPECT_EQ(t->table[24][49][217], 0.0f);
    EXPECT_EQ(t->table[24][49][218], -1.0f);

    std::vector<float> values(hrtfValues, 0.5f);
    values[10] = std::numeric_limits<float>::quiet_NaN();
    values[hrtfValues - 1] = -std::numeric_limits<float>::infinity();
    writeFloats(hrtfFilePath(root, 0, 0), values);
    EXPECT_EQ(loadHrtfFile(root, 0, 0, t->table), fileInvalid);
    EXPECT_EQ(t->table[0][0][10], 0.0f);
    EXPECT_EQ(t->table[0][0][11], 0.5f);
    EXPECT_EQ(t->table[24][49][217], 0.0f);
}

TEST_F(ListenerFileTest, LeftToRightSumAndUnitImpulse)
{
    writeFloats(leftToRightFilePath(root, 5), std::vector<float>(218, -0.5f));
    ASSERT_EQ(loadLeftToRightFile(root, 5, t->response, t->unitImpulse, t->sum), fileOk);
    EXPECT_EQ(t->sum, 109.0f);
    EXPECT_EQ(t->response[217], -0.5f);
    EXPECT_EQ(t->unitImpulse[0], 1.0f);
    for (int i = 1; i < 218; ++i)
        EXPECT_EQ(t->unitImpulse[i], 0.0f);
    EXPECT_EQ(t->response[218], 3.0f);
    EXPECT_EQ(t->unitImpulse[218], 3.0f);
}

TEST_F(ListenerFileTest, LeftToRightMissingKeepsEverything)
{
    EXPECT_EQ(loadLeftToRightFile(root, 0, t->response, t->unitImpulse, t->sum), fileCannotOpen);
    EXPECT_EQ(t->sum, 42.0f);
    EXPECT_EQ(t->response[0], 3.0f);
    EXPECT_EQ(t->unitImpulse[0], 3.0f);
    EXPECT_EQ(loadLeftToRightFile("", 0, t->response, t->unitImpulse, t->sum), fileCannotOpen);
}

TEST_F(ListenerFileTest, LeftToRightShortZeroOrHostile)
{
    writeFloats(leftToRightFilePath(root, 0), { 1.0f, -2.0f });
    EXPECT_EQ(loadLeftToRightFile(root, 0, t->response, t->unitImpulse, t->sum), fileReadError);
    EXPECT_EQ(t->sum, 3.0f);
    EXPECT_EQ(t->response[1], -2.0f);
    EXPECT_EQ(t->response[2], 0.0f);
    EXPECT_EQ(t->response[217], 0.0f);

    writeFloats(leftToRightFilePath(root, 0), std::vector<float>(218, 0.0f));
    EXPECT_EQ(loadLeftToRightFile(root, 0, t->response, t->unitImpulse, t->sum), fileOk);
    EXPECT_EQ(t->sum, 1.0f) << "an all-zero response must not leave a zero divisor";
    EXPECT_EQ(t->response[0] / t->sum, 0.0f);

    testsupport::writeBytes(leftToRightFilePath(root, 0), "", 0);
    EXPECT_EQ(loadLeftToRightFile(root, 0, t->response, t->unitImpulse, t->sum), fileReadError);
    EXPECT_EQ(t->sum, 1.0f);

    std::vector<float> values(218, 0.25f);
    values[3] = std::numeric_limits<float>::infinity();
    writeFloats(leftToRightFilePath(root, 0), values);
    EXPECT_EQ(loadLeftToRightFile(root, 0, t->response, t->unitImpulse, t->sum), fileInvalid);
    EXPECT_TRUE(std::isfinite(t->sum));
    EXPECT_EQ(t->sum, 0.25f * 217);
    EXPECT_EQ(t->response[3], 0.0f);
}

TEST_F(ListenerFileTest, FlatHrtf)
{
    EXPECT_EQ(loadFlatHrtfFile(root, t->table), fileCannotOpen);
    EXPECT_EQ(t->table[0][0][0], -1.0f);
    writeFloats(flatHrtfFilePath(root), std::vector<float>(25 * 50 * 200, 0.3f));
    EXPECT_EQ(loadFlatHrtfFile(root, t->table), fileOk);
    EXPECT_EQ(t->table[24][49][199], 1.0f);
    EXPECT_EQ(t->table[24][49][200], -1.0f);
}
