#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "CurveFile.h"
#include "CurveList.h"
#include "CurveTextConversion.h"
#include "TestFolderFixture.h"

using namespace curveconvert;
namespace fs = std::filesystem;

namespace
{

// A curve file read back by the processor's own curve loader.
struct CurveFileContent
{
    int32_t code = -1;
    float n = 0.0f;
    std::vector<float> hz;
    std::vector<float> db;
    uintmax_t bytes = 0;
};

CurveFileContent readBack(const std::string& path)
{
    CurveFileContent c;
    auto list = std::make_unique<CurveList>();
    c.code = datafiles::readCurveFile(path, *list);
    std::error_code error;
    c.bytes = fs::file_size(path, error);
    if (c.code != datafiles::fileOk)
        return c;
    c.n = static_cast<float>(list->count);
    c.hz.assign(list->hz, list->hz + list->count);
    c.db.assign(list->db, list->db + list->count);
    return c;
}

class CurveConversionTest : public TestFolderFixture
{
protected:
    static std::string header()
    {
        std::string h;
        for (int i = 0; i < 14; ++i)
            h += "header line " + std::to_string(i) + "\n";
        return h;
    }

    CurveList list;
};

TEST_F(CurveConversionTest, HeadphoneMeasurementText)
{
    const std::string in = write("HD25 Aluminium.txt", header() + "100, 2, 0\n1000, 4, 0\n10000, 6, 0\n");
    const std::string out = path("HD25 Aluminium.hps");
    ASSERT_EQ(convertHeadphoneText(in, out, HeadphoneTextFormat::measurement, 0.0f, list), convertOk);
    const CurveFileContent c = readBack(out);
    EXPECT_EQ(c.bytes, 4u + 8u * 3u);
    EXPECT_EQ(c.n, 3.0f);
    EXPECT_EQ(c.hz, (std::vector<float>{100.0f, 1000.0f, 10000.0f}));
    EXPECT_EQ(c.db, (std::vector<float>{-2.0f, 0.0f, 2.0f}));
    EXPECT_TRUE(fs::exists(in));
    EXPECT_FALSE(fs::exists(out + ".partial"));
}

TEST_F(CurveConversionTest, UnusableLinesAreSkippedNotCounted)
{
    const std::string body = "20, 1, 0\r\n"
                             "\n"
                             "x\n"
                             "frequency, level, phase\n"
                             "nan, 3, 0\n"
                             "40, inf, 0\n"
                             "1.5e3, 3, 9\n"
                             "2000 5 0\n";  // not the comma format
    const std::string in = write("a.txt", header() + body);
    ASSERT_EQ(convertHeadphoneText(in, path("a.hps"), HeadphoneTextFormat::measurement, 0.0f, list), convertOk);
    const CurveFileContent c = readBack(path("a.hps"));
    EXPECT_EQ(c.hz, (std::vector<float>{20.0f, 1500.0f}));
    EXPECT_EQ(c.db, (std::vector<float>{-1.0f, 1.0f}));

    // Header lines are skipped even when they look like data.
    std::string numericHeader;
    for (int i = 0; i < 14; ++i)
        numericHeader += "1, 100, 0\n";
    ASSERT_EQ(convertHeadphoneText(write("b.txt", numericHeader + "50, 0, 0\n"), path("b.hps"),
                                   HeadphoneTextFormat::measurement, 0.0f, list),
              convertOk);
    EXPECT_EQ(readBack(path("b.hps")).hz, (std::vector<float>{50.0f}));
}

TEST_F(CurveConversionTest, HeadphonePairsWithOffset)
{
    const std::string in = write("p.txt", "100 -3\n1000 0\n10000 3\n");
    ASSERT_EQ(convertHeadphoneText(in, path("p.hps"), HeadphoneTextFormat::pairs, 1.5f, list), convertOk);
    const CurveFileContent c = readBack(path("p.hps"));
    EXPECT_EQ(c.hz, (std::vector<float>{100.0f, 1000.0f, 10000.0f}));
    EXPECT_EQ(c.db, (std::vector<float>{-1.5f, 1.5f, 4.5f}));
}

TEST_F(CurveConversionTest, MonitorText)
{
    const std::string in = write("Yamaha_NS10.txt", "20 1 20000 3");
    const std::string out = path("Yamaha_NS10.mos");
    ASSERT_EQ(convertMonitorText(in, out, list), convertOk);
    const CurveFileContent c = readBack(out);
    EXPECT_EQ(c.n, 2.0f);
    EXPECT_EQ(c.hz, (std::vector<float>{20.0f, 20000.0f}));
    EXPECT_EQ(c.db, (std::vector<float>{-1.0f, 1.0f}));

    // Pairs span lines; a word ends the text, and so does a dangling number.
    ASSERT_EQ(convertMonitorText(write("m.txt", "10\n-2 100\t2\n1000 9 end 5000 1"), path("m.mos"), list), convertOk);
    EXPECT_EQ(readBack(path("m.mos")).hz, (std::vector<float>{10.0f, 100.0f, 1000.0f}));
    ASSERT_EQ(convertMonitorText(write("n.txt", "10 -2 100"), path("n.mos"), list), convertOk);
    EXPECT_EQ(readBack(path("n.mos")).n, 1.0f);
}

TEST_F(CurveConversionTest, LongTextsStopAt1000Points)
{
    std::string pairs, monitor, measurement = header();
    for (int i = 0; i < 1200; ++i)
    {
        pairs += std::to_string(i + 100) + " " + std::to_string(i % 2) + "\n";
        monitor += std::to_string(i + 1) + " 0 ";
        measurement += std::to_string(i + 100) + ", 0, 0\n";
    }
    ASSERT_EQ(convertHeadphoneText(write("l.txt", pairs), path("l.hps"), HeadphoneTextFormat::pairs, 0.0f, list),
              convertOk);
    CurveFileContent c = readBack(path("l.hps"));
    ASSERT_EQ(c.n, 1000.0f);
    EXPECT_EQ(c.hz.back(), 1099.0f);
    EXPECT_EQ(c.db[0], -0.5f);
    ASSERT_EQ(convertMonitorText(write("lm.txt", monitor), path("lm.mos"), list), convertOk);
    EXPECT_EQ(readBack(path("lm.mos")).n, 1000.0f);
    ASSERT_EQ(convertHeadphoneText(write("lh.txt", measurement), path("lh.hps"), HeadphoneTextFormat::measurement,
                                   0.0f, list),
              convertOk);
    EXPECT_EQ(readBack(path("lh.hps")).n, 1000.0f);
}

TEST_F(CurveConversionTest, FailuresLoseNothing)
{
    // An earlier good curve survives every failed conversion.
    const std::string out = path("K240 Studio.hps");
    ASSERT_EQ(convertHeadphoneText(write("good.txt", "100 1\n200 3\n"), out, HeadphoneTextFormat::pairs, 0.0f, list),
              convertOk);
    const CurveFileContent before = readBack(out);

    EXPECT_EQ(convertHeadphoneText(path("missing.txt"), out, HeadphoneTextFormat::pairs, 0.0f, list),
              convertInputMissing);
    EXPECT_EQ(convertHeadphoneText(path("missing.txt"), out, HeadphoneTextFormat::measurement, 0.0f, list),
              convertInputMissing);
    EXPECT_EQ(convertMonitorText(path("missing.txt"), out, list), convertInputMissing);
    EXPECT_EQ(convertHeadphoneText(write("empty.txt", ""), out, HeadphoneTextFormat::pairs, 0.0f, list),
              convertNoPoints);
    EXPECT_EQ(convertMonitorText(write("words.txt", "frequency level\n"), out, list), convertNoPoints);
    EXPECT_EQ(convertHeadphoneText(write("short.txt", header()), out, HeadphoneTextFormat::measurement, 0.0f, list),
              convertNoPoints);
    const CurveFileContent after = readBack(out);
    EXPECT_EQ(after.hz, before.hz);
    EXPECT_EQ(after.db, before.db);
    // The caller's list keeps the last good conversion.
    EXPECT_EQ(list.count, 2);
    EXPECT_EQ(list.db[1], 1.0f);
    EXPECT_FALSE(fs::exists(path("missing.txt")));

    // The output folder missing: nothing written, a clear code.
    EXPECT_EQ(convertMonitorText(path("good.txt"), path("no/such/folder/x.mos"), list), convertWriteError);
}

TEST_F(CurveConversionTest, NeverOverwritesItsInput)
{
    const std::string content = "20 1 20000 3";
    const std::string in = write("Genelec_1236A.mos", content);
    EXPECT_EQ(convertMonitorText(in, in, list), convertNoPoints);
    fs::create_directories(folder / "sub");
    EXPECT_EQ(convertMonitorText(in, (folder / "sub" / ".." / "Genelec_1236A.mos").string(), list), convertNoPoints);
#if !defined(_WIN32) // Linux only: symbolic links need privileges on Windows
    fs::create_symlink(in, path("link.mos"));
    EXPECT_EQ(convertHeadphoneText(in, path("link.mos"), HeadphoneTextFormat::pairs, 0.0f, list), convertNoPoints);
#endif
    std::ifstream check(in, std::ios::binary);
    std::string kept((std::istreambuf_iterator<char>(check)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, content);
}

TEST(CurveConversionNames, FromTheModelName)
{
    EXPECT_EQ(headphoneTextName("HD25 Aluminium"), "HD25 Aluminium.txt");
    EXPECT_EQ(headphoneCurveName("Verite Closed (Universe hybrid)"), "Verite Closed (Universe hybrid).hps");
    EXPECT_EQ(headphoneCurveName("SR-007 Mk2.5"), "SR-007 Mk2.5.hps");  // dots in names stay
    EXPECT_EQ(monitorTextName("Yamaha_NS10.mos"), "Yamaha_NS10.txt");
    EXPECT_EQ(monitorTextName("Presonus_Eris_E3.5_BT.mos"), "Presonus_Eris_E3.5_BT.txt");
    EXPECT_EQ(monitorTextName("Klipsch Pro-Media 2-1_THX.mos"), "Klipsch Pro-Media 2-1_THX.txt");
    EXPECT_EQ(monitorTextName("Plain"), "Plain.txt");
    EXPECT_EQ(monitorTextName(".mos"), ".mos.txt");
}

} // namespace
