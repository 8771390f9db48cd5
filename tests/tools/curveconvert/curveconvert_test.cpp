#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "CurveConvertCommand.h"
#include "CurveFile.h"
#include "CurveList.h"
#include "CurveTextConversion.h"
#include "DataFolder.h"
#include "../../processor/PortableEnvironment.h"

using curveconvert::runCurveConvert;
namespace fs = std::filesystem;

namespace
{

class CurveConvertCommandTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // One root per test: ctest runs the tests side by side.
        const char* base = std::getenv("QUILLATONE_DATA_ROOT");
        ASSERT_NE(base, nullptr);
        const std::string own = std::string(base) + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_EQ(setenv("QUILLATONE_DATA_ROOT", own.c_str(), 1), 0);
        root = datafiles::findDataRoot();
        ASSERT_EQ(root, own);
        fs::remove_all(root);
        fs::create_directories(datafiles::productFilePath(root, "HP"));
        fs::create_directories(datafiles::productFilePath(root, "Monitor"));
    }

    int run(const std::vector<std::string>& args)
    {
        out.str("");
        err.str("");
        return runCurveConvert(args, out, err);
    }

    void writeText(const std::string& relative, const std::string& content)
    {
        std::ofstream(datafiles::productFilePath(root, relative), std::ios::binary) << content;
    }

    std::string root;
    std::ostringstream out;
    std::ostringstream err;
    CurveList list;
};

TEST_F(CurveConvertCommandTest, HeadphoneTextBecomesTheModelCurve)
{
    std::string text;
    for (int i = 0; i < 14; ++i)
        text += "header\n";
    text += "100, 2, 0\n1000, 4, 0\n10000, 6, 0\n";
    writeText("HP/HD25 Aluminium.txt", text);
    ASSERT_EQ(run({"headphone", "HD25 Aluminium"}), 0) << err.str();

    // The processor's own loader reads it back.
    ASSERT_EQ(datafiles::loadHeadphoneCurveFile(root, 199, list), 0);
    ASSERT_EQ(list.count, 3);
    EXPECT_EQ(list.hz[0], 100.0f);
    EXPECT_EQ(list.hz[2], 10000.0f);
    EXPECT_EQ(list.db[0], -2.0f);
    EXPECT_EQ(list.db[1], 0.0f);
    EXPECT_EQ(list.db[2], 2.0f);

    // By row number, in pair format, from a text elsewhere.
    const std::string elsewhere = (fs::path(root) / "k240.txt").string();
    std::ofstream(elsewhere) << "20 -1\n20000 1\n";
    ASSERT_EQ(run({"headphone", "6", "--pairs", "--input", elsewhere}), 0) << err.str();
    ASSERT_EQ(datafiles::loadHeadphoneCurveFile(root, 6, list), 0);
    EXPECT_EQ(list.count, 2);
    EXPECT_EQ(list.db[1], 1.0f);
    EXPECT_TRUE(fs::exists(datafiles::productFilePath(root, "HP/K240 Studio.hps")));
}

TEST_F(CurveConvertCommandTest, MonitorTextBecomesTheMonitorCurve)
{
    writeText("Monitor/Yamaha_NS10.txt", "20 1 20000 3");
    ASSERT_EQ(run({"monitor", "Yamaha_NS10"}), 0) << err.str();
    ASSERT_EQ(datafiles::loadMonitorCurveFile(root, 0.5f, 0.0f, list), 0);  // group 1
    EXPECT_EQ(list.count, 2);
    EXPECT_EQ(list.db[0], -1.0f);
    EXPECT_EQ(list.db[1], 1.0f);

    writeText("Monitor/Klipsch Pro-Media 2-1_THX.txt", "30 0 300 2 3000 4");
    ASSERT_EQ(run({"monitor", "Klipsch Pro-Media 2-1_THX.mos"}), 0) << err.str();
    ASSERT_EQ(datafiles::loadMonitorCurveFile(root, 1.0f, 0.02f, list), 0);  // group 2, row 2
    EXPECT_EQ(list.count, 3);
    EXPECT_EQ(list.db[2], 2.0f);

    // Running it again converts the text again; the curve is never read as text.
    ASSERT_EQ(run({"monitor", "Yamaha_NS10.mos"}), 0);
    ASSERT_EQ(datafiles::loadMonitorCurveFile(root, 0.5f, 0.0f, list), 0);
    EXPECT_EQ(list.count, 2);
}

TEST_F(CurveConvertCommandTest, ClearResultsForBadInput)
{
    EXPECT_EQ(run({"headphone", "HD25 Aluminium"}), 3);  // no text
    EXPECT_FALSE(fs::exists(datafiles::productFilePath(root, "HP/HD25 Aluminium.hps")));
    EXPECT_NE(err.str().find("HD25 Aluminium.txt"), std::string::npos);

    const std::string curve = datafiles::productFilePath(root, "Monitor/Genelec_1236A.mos");
    std::ofstream(curve) << "1 2";
    EXPECT_EQ(run({"monitor", "Genelec_1236A", "--input", curve}), 5);  // its own input
    std::ifstream kept(curve);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "1 2");

    writeText("HP/MK801.txt", "no numbers here\n");
    EXPECT_EQ(run({"headphone", "0", "--pairs"}), 5);

    // Levels that the readers would refuse are not written: -300 and +300 dB
    // after normalisation.
    writeText("Monitor/Yamaha_NS10.txt", "10 0\n20 600\n");
    EXPECT_EQ(run({"monitor", "Yamaha_NS10"}), curveconvert::convertLevelOutOfRange);
    EXPECT_FALSE(fs::exists(datafiles::productFilePath(root, "Monitor/Yamaha_NS10.mos")));
    EXPECT_NE(err.str().find("is -300 dB; curve levels must lie within +-50 dB"), std::string::npos) << err.str();
    writeText("Monitor/Yamaha_NS10.txt", "10 0\n20 100\n");
    EXPECT_EQ(run({"monitor", "Yamaha_NS10"}), 0) << err.str();

    EXPECT_EQ(run({}), curveconvert::usageError);
    EXPECT_EQ(run({"convert-all"}), curveconvert::usageError);
    EXPECT_EQ(run({"headphone"}), curveconvert::usageError);
    EXPECT_EQ(run({"headphone", "276"}), curveconvert::usageError);
    EXPECT_EQ(run({"headphone", "Not A Model"}), curveconvert::usageError);
    EXPECT_EQ(run({"monitor", "Genelec", "--pairs"}), curveconvert::usageError);
    EXPECT_EQ(run({"monitor", "Unknown_Speaker"}), curveconvert::usageError);
    EXPECT_EQ(run({"headphone", "0", "--input"}), curveconvert::usageError);
    EXPECT_EQ(run({"list", "extra"}), curveconvert::usageError);
}

TEST_F(CurveConvertCommandTest, RootAndFoldersComeFromTheCommand)
{
    const std::string other = (fs::path(root) / "other").string();
    const std::string text = (fs::path(root) / "ns10.txt").string();
    std::ofstream(text) << "20 1 20000 3";
    ASSERT_EQ(run({"monitor", "--root", other, "Yamaha_NS10", "--input", text}), 0) << err.str();
    EXPECT_TRUE(fs::exists(datafiles::productFilePath(other, "Monitor/Yamaha_NS10.mos")));  // folder created
    EXPECT_FALSE(fs::exists(datafiles::productFilePath(root, "Monitor/Yamaha_NS10.mos")));
}

TEST(CurveConvertNames, ModelsAndMonitors)
{
    EXPECT_EQ(curveconvert::findHeadphoneModel("0"), 0);
    EXPECT_EQ(curveconvert::findHeadphoneModel("275"), 275);
    EXPECT_EQ(curveconvert::findHeadphoneModel("HD25 Aluminium"), 199);
    EXPECT_EQ(curveconvert::findHeadphoneModel("Verite Closed (Universe hybrid)"), 275);
    EXPECT_EQ(curveconvert::findHeadphoneModel("-1"), -1);
    EXPECT_EQ(curveconvert::findHeadphoneModel(""), -1);
    EXPECT_EQ(curveconvert::findMonitorFile("Genelec_1236A"), "Genelec_1236A.mos");
    EXPECT_EQ(curveconvert::findMonitorFile("Ideal_Monitor.mos"), "Ideal_Monitor.mos");
    EXPECT_EQ(curveconvert::findMonitorFile("Ideal"), "");

    std::ostringstream out, err;
    EXPECT_EQ(runCurveConvert({"list"}, out, err), 0);
    EXPECT_NE(out.str().find("199  HD25 Aluminium\n"), std::string::npos);
    EXPECT_NE(out.str().find("  Presonus_Eris_E3.5_BT\n"), std::string::npos);
    std::ostringstream help;
    EXPECT_EQ(runCurveConvert({"--help"}, help, err), 0);
    EXPECT_EQ(help.str().rfind("usage:", 0), 0u);
}

} // namespace
