#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "CurveFile.h"
#include "DataFilesTestSupport.h"

using namespace datafiles;
using testsupport::writeCurve;

namespace
{
class CurveFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = testsupport::freshDataRoot();
        setFlatCurve(*list);
    }
    std::string file(const std::string& relative) const { return productFilePath(root, relative); }

    // A recognisable curve already in the list: a rejected load must keep
    // count and frequencies and zero the levels.
    void preload()
    {
        list->count = 2;
        list->hz[0] = 10.0f;
        list->hz[1] = 20.0f;
        list->db[0] = 7.0f;
        list->db[999] = 7.0f;
    }
    void expectRejected()
    {
        EXPECT_EQ(list->count, 2);
        EXPECT_EQ(list->hz[0], 10.0f);
        EXPECT_EQ(list->hz[1], 20.0f);
        EXPECT_EQ(list->db[0], 0.0f);
        EXPECT_EQ(list->db[999], 0.0f);
    }

    std::string root;
    std::unique_ptr<CurveList> list = std::make_unique<CurveList>();
};
} // namespace

TEST_F(CurveFileTest, FlatCurveIsValid)
{
    EXPECT_EQ(list->count, 3);
    EXPECT_EQ(list->hz[0], 0.0f);
    EXPECT_EQ(list->hz[2], 24000.0f);
    for (int i = 0; i < CurveList::capacity; ++i)
        EXPECT_EQ(list->db[i], 0.0f);
}

TEST_F(CurveFileTest, CountIsTruncated)
{
    const std::string path = file("bin/nef_rec.trc");
    for (float n : { 3.0f, 3.9f })
    {
        writeCurve(path, n, { 0, 1000, 24000 }, { 1, 2, 3 });
        // 3.9 is only 3 points of data; the file holds exactly what count 3 needs.
        ASSERT_EQ(loadNefCurveFile(root, *list), fileOk);
        EXPECT_EQ(list->count, 3);
        EXPECT_EQ(list->hz[1], 1000.0f);
        EXPECT_EQ(list->db[2], 3.0f);
    }
}

TEST_F(CurveFileTest, ThousandPointsAndTrailingBytesAreFine)
{
    std::vector<float> hz(1000), db(1000);
    for (int i = 0; i < 1000; ++i)
        hz[i] = 24.0f * i, db[i] = 0.01f * i;
    db.push_back(99.0f); // extra trailing value is ignored
    writeCurve(file("bin/nef_rec.trc"), 1000.0f, hz, db);
    ASSERT_EQ(loadNefCurveFile(root, *list), fileOk);
    EXPECT_EQ(list->count, 1000);
    EXPECT_EQ(list->db[999], 9.99f);
}

TEST_F(CurveFileTest, MissingShortAndHostileFilesCountAsMissing)
{
    const std::string path = file("bin/nef_rec.trc");
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();

    preload();
    EXPECT_EQ(loadNefCurveFile(root, *list), fileCannotOpen);
    expectRejected();

    struct Case { const char* what; float n; std::vector<float> hz, db; int32_t code; };
    const Case cases[] = {
        { "short", 3.0f, { 0, 1, 2 }, { 0, 1 }, fileReadError },
        { "header only", 2.0f, {}, {}, fileReadError },
        { "count 0.5", 0.5f, {}, {}, fileInvalid },
        { "negative count", -3.0f, { 0, 1, 2 }, { 0, 1, 2 }, fileInvalid },
        { "count 1001", 1001.0f, std::vector<float>(1001), std::vector<float>(1001), fileInvalid },
        { "huge count", 3e9f, { 0 }, { 0 }, fileInvalid },
        { "NaN count", nan, { 0 }, { 0 }, fileInvalid },
        { "NaN level", 2.0f, { 0, 1 }, { nan, 0 }, fileInvalid },
        { "infinite frequency", 2.0f, { 0, inf }, { 0, 0 }, fileInvalid },
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        preload();
        writeCurve(path, c.n, c.hz, c.db);
        EXPECT_EQ(loadNefCurveFile(root, *list), c.code);
        expectRejected();
    }

    preload();
    testsupport::writeBytes(path, "\x01", 1);
    EXPECT_EQ(loadNefCurveFile(root, *list), fileReadError);
    expectRejected();
}

TEST_F(CurveFileTest, NoRootAnswersThree)
{
    preload();
    EXPECT_EQ(loadNefCurveFile("", *list), fileCannotOpen);
    EXPECT_EQ(loadHeadphoneCurveFile("", 199, *list), fileCannotOpen);
    expectRejected();
}

TEST_F(CurveFileTest, HeadphoneRowsPickTheirFiles)
{
    // Each file marks its row in its one frequency.
    writeCurve(file("HP/HD25 Aluminium.hps"), 1.0f, { 199 }, { 0 });
    writeCurve(file("HP/Verite Closed (Universe hybrid).hps"), 1.0f, { 275 }, { 0 });
    writeCurve(file("HP/MK801.hps"), 1.0f, { 1e-3f }, { 0 });
    writeCurve(file("HP/AB-1266 Phi CC.hps"), 1.0f, { 1 }, { 0 });
    writeCurve(file("HP/AB-1266 Phi.hps"), 1.0f, { 2 }, { 0 });

    EXPECT_EQ(loadHeadphoneCurveFile(root, 199, *list), fileOk);
    EXPECT_EQ(list->hz[0], 199.0f);
    EXPECT_EQ(loadHeadphoneCurveFile(root, 5000, *list), fileOk); // clamped to the last row
    EXPECT_EQ(list->hz[0], 275.0f);
    EXPECT_EQ(loadHeadphoneCurveFile(root, -1, *list), fileOk);
    EXPECT_EQ(list->hz[0], 1e-3f);

    // Emulated: sub 0 reads p22, sub 1 p23, sub 2 always row 199.
    EXPECT_EQ(loadReferenceHeadphoneCurveFile(root, 0.0f, 0.0006f, 0.0f, *list), fileOk);
    EXPECT_EQ(list->hz[0], 1.0f);
    EXPECT_EQ(loadReferenceHeadphoneCurveFile(root, 0.5f, 0.0f, 0.002f, *list), fileOk);
    EXPECT_EQ(list->hz[0], 2.0f);
    EXPECT_EQ(loadReferenceHeadphoneCurveFile(root, 1.0f, 0.0f, 0.0f, *list), fileOk);
    EXPECT_EQ(list->hz[0], 199.0f);
    EXPECT_EQ(loadReferenceHeadphoneCurveFile(root, std::nanf(""), 9.0f, 0.0f, *list), fileOk);
    EXPECT_EQ(list->hz[0], 275.0f);
}

TEST_F(CurveFileTest, MonitorGroupsPickTheirFiles)
{
    writeCurve(file("Monitor/Genelec_1236A.mos"), 1.0f, { 0 }, { 10 });
    writeCurve(file("Monitor/Yamaha_NS10.mos"), 1.0f, { 0 }, { 11 });
    writeCurve(file("Monitor/Kali_Audio_LP6.mos"), 1.0f, { 0 }, { 21 });
    writeCurve(file("Monitor/Ideal_Monitor.mos"), 1.0f, { 0 }, { 25 });

    EXPECT_EQ(loadMonitorCurveFile(root, 0.0f, 0.0f, *list), fileOk);
    EXPECT_EQ(list->db[0], 10.0f);
    EXPECT_EQ(loadMonitorCurveFile(root, 0.5f, 0.0f, *list), fileOk);
    EXPECT_EQ(list->db[0], 11.0f);
    EXPECT_EQ(loadMonitorCurveFile(root, 1.0f, 0.01f, *list), fileOk);
    EXPECT_EQ(list->db[0], 21.0f);
    EXPECT_EQ(loadMonitorCurveFile(root, 1.0f, 0.9f, *list), fileOk); // past the table: last row
    EXPECT_EQ(list->db[0], 25.0f);
    EXPECT_EQ(loadMonitorCurveFile(root, 1.0f, 0.0f, *list), fileCannotOpen); // Avantone missing
    EXPECT_EQ(list->db[0], 0.0f);
}

TEST_F(CurveFileTest, LoudnessChainStopsAtTheFirstFailure)
{
    auto lc10 = std::make_unique<CurveList>(), lc50 = std::make_unique<CurveList>(),
         lc90 = std::make_unique<CurveList>();
    writeCurve(file("bin/LC10_rec.ldc"), 1.0f, { 0 }, { 1 });
    writeCurve(file("bin/LC90_rec.ldc"), 1.0f, { 0 }, { 9 });
    lc50->db[0] = 5.0f;
    lc90->db[0] = 4.0f;
    EXPECT_EQ(loadLoudnessCurveFiles(root, *lc10, *lc50, *lc90), fileCannotOpen);
    EXPECT_EQ(lc10->db[0], 1.0f);
    EXPECT_EQ(lc50->db[0], 0.0f);
    EXPECT_EQ(lc90->db[0], 4.0f) << "lists after the missing one stay untouched";

    writeCurve(file("bin/LC50_rec.ldc"), 1.0f, { 0 }, { 5 });
    EXPECT_EQ(loadLoudnessCurveFiles(root, *lc10, *lc50, *lc90), fileOk);
    EXPECT_EQ(lc50->db[0], 5.0f);
    EXPECT_EQ(lc90->db[0], 9.0f);
}
