#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>

#include "ModelTables.h"

using namespace datafiles;

TEST(ModelTables, HeadphoneRowsAndLabels)
{
    EXPECT_STREQ(headphoneModelTable[0].fileName, "MK801");
    EXPECT_STREQ(headphoneModelTable[6].fileName, "K240 Studio");
    EXPECT_STREQ(headphoneModelTable[199].fileName, "HD25 Aluminium");
    EXPECT_STREQ(headphoneModelTable[275].fileName, "Verite Closed (Universe hybrid)");
    EXPECT_STREQ(headphoneModelTable[5].menuLabel, "Acoustic Research  AR-H1");
    EXPECT_STREQ(headphoneModelTable[0].menuLabel, "1MORE MK801");

    std::set<std::string> names;
    for (int row = 0; row < headphoneModelCount; ++row)
    {
        const HeadphoneModel& model = headphoneModelTable[row];
        EXPECT_EQ(std::string(model.menuLabel), std::string(model.brand) + " " + model.fileName);
        EXPECT_LT(std::string(model.fileName).size(), 260u);
        EXPECT_LT(std::string(model.menuLabel).size(), 50u) << row;
        EXPECT_EQ(headphoneModelLevelOffsets[row], 0.0f);
        names.insert(model.fileName);
    }
    EXPECT_EQ(names.size(), size_t(headphoneModelCount)) << "file names must be unique";
}

TEST(ModelTables, MonitorAndStudioTables)
{
    EXPECT_STREQ(monitorFileTable[2], "Klipsch Pro-Media 2-1_THX.mos");
    EXPECT_STREQ(monitorMenuTable[5], "Ideal");
    EXPECT_STREQ(studioTable[6].menuLabel, "Anechoic chamber");
    EXPECT_EQ(studioTable[4].decay, 400.0f);
    EXPECT_EQ(studioTable[1].damping, 0.4f);
    EXPECT_EQ(studioTable[0].lateDamping, 0.5f);
    EXPECT_EQ(studioTable[6].gain, 0.0f);
    EXPECT_EQ(studioTable[3].gain, 0.01f);
}

TEST(ModelTables, EditorItemsDecodeBackToTheirRows)
{
    for (int i = 0; i < headphoneModelCount; ++i)
    {
        const float v = float(i) * 0.001f;
        EXPECT_EQ(decodeWornHeadphoneRow(v), i);
        EXPECT_EQ(decodeEmulatedHeadphoneRow(v), i);
    }
    for (int i = 0; i < monitorTableCount; ++i)
        EXPECT_EQ(decodeMonitorRow(float(i) * 0.01f), i);
    for (int i = 0; i < studioCount; ++i)
        EXPECT_EQ(decodeStudioIndex(float(i) * 0.01f), i);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(decodeListener(float(i) * 0.01f), i);
}

TEST(ModelTables, TruncationAndRounding)
{
    EXPECT_EQ(decodeWornHeadphoneRow(0.199f), 199);
    EXPECT_EQ(decodeWornHeadphoneRow(0.0006f), 0);
    EXPECT_EQ(decodeEmulatedHeadphoneRow(0.0006f), 1);
    EXPECT_EQ(decodeSelector(0.49f), 0);
    EXPECT_EQ(decodeSelector(0.5f), 1);
    EXPECT_EQ(decodeSelector(1.0f), 2);
}

TEST(ModelTables, OutOfRangeValuesStayInsideTheTables)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float v : { nan, -inf, -1.0f, -0.0001f })
    {
        EXPECT_EQ(clampParameter(v), 0.0f);
        EXPECT_EQ(decodeWornHeadphoneRow(v), 0);
        EXPECT_EQ(decodeEmulatedHeadphoneRow(v), 0);
        EXPECT_EQ(decodeMonitorRow(v), 0);
        EXPECT_EQ(decodeStudioIndex(v), 0);
        EXPECT_EQ(decodeSelector(v), 0);
        EXPECT_EQ(decodeListener(v), 0);
    }
    for (float v : { 0.2756f, 0.9f, 1.0f, 7.0f, inf })
    {
        EXPECT_EQ(decodeWornHeadphoneRow(v), 275);
        EXPECT_EQ(decodeEmulatedHeadphoneRow(v), 275);
    }
    EXPECT_EQ(decodeMonitorRow(0.06f), 5);
    EXPECT_EQ(decodeMonitorRow(1e9f), 5);
    EXPECT_EQ(decodeStudioIndex(0.5f), 6);
    EXPECT_EQ(decodeSelector(3.0f), 2);
    EXPECT_EQ(decodeListener(2.0f), 100);
    EXPECT_EQ(clampHeadphoneRow(-5), 0);
    EXPECT_EQ(clampHeadphoneRow(276), 275);
    EXPECT_EQ(clampStudioIndex(7), 6);
    EXPECT_EQ(clampMonitorRow(-1), 0);
}
