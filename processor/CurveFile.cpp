#include "CurveFile.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "DataFolder.h"
#include "ModelTables.h"

namespace datafiles
{

namespace
{
// Closes on scope exit.
struct InputFile
{
    explicit InputFile(const std::string& path)
        : file(path.empty() ? nullptr : std::fopen(path.c_str(), "rb")) {}
    ~InputFile()
    {
        if (file)
            std::fclose(file);
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    std::FILE* file;
};

void zeroLevels(CurveList& list)
{
    std::memset(list.db, 0, sizeof list.db);
}

bool allWithin(const float* values, size_t count, float bound)
{
    for (size_t i = 0; i < count; ++i)
        if (!withinBound(values[i], bound))
            return false;
    return true;
}
} // namespace

void setFlatCurve(CurveList& list)
{
    std::memset(list.hz, 0, sizeof list.hz);
    std::memset(list.db, 0, sizeof list.db);
    list.count = 3;
    list.hz[0] = 0.0f;
    list.hz[1] = 1000.0f;
    list.hz[2] = 24000.0f;
}

int32_t readCurveFile(const std::string& path, CurveList& list, float levelBound)
{
    InputFile in(path);
    if (!in.file)
    {
        zeroLevels(list);
        return fileCannotOpen;
    }

    float header = 0.0f;
    if (std::fread(&header, sizeof header, 1, in.file) != 1)
    {
        zeroLevels(list);
        return fileReadError;
    }
    // Checked as a float first: converting a huge or NaN value to int is undefined.
    if (!std::isfinite(header) || header < 1.0f || header >= CurveList::capacity + 1.0f)
    {
        zeroLevels(list);
        return fileInvalid;
    }
    const size_t count = static_cast<size_t>(static_cast<int32_t>(header));

    // Read into scratch so a rejected file never touches count or frequencies.
    std::vector<float> points(2 * count);
    if (std::fread(points.data(), sizeof(float), points.size(), in.file) != points.size())
    {
        zeroLevels(list);
        return fileReadError;
    }
    if (!allWithin(points.data(), count, std::numeric_limits<float>::max()) ||
        !allWithin(points.data() + count, count, levelBound))
    {
        zeroLevels(list);
        return fileInvalid;
    }

    list.count = static_cast<int32_t>(count);
    std::memcpy(list.hz, points.data(), count * sizeof(float));
    std::memcpy(list.db, points.data() + count, count * sizeof(float));
    return fileOk;
}

std::string headphoneCurvePath(const std::string& root, int row)
{
    return productFilePath(root, std::string("HP/") +
                                     headphoneModelTable[clampHeadphoneRow(row)].fileName + ".hps");
}

std::string monitorCurvePath(const std::string& root, int group, int monitorRow)
{
    const char* name = group == 1   ? monitorGroup1File
                       : group == 2 ? monitorFileTable[clampMonitorRow(monitorRow)]
                                    : monitorGroup0File;
    return productFilePath(root, std::string("Monitor/") + name);
}

std::string nefCurvePath(const std::string& root)
{
    return productFilePath(root, "bin/nef_rec.trc");
}

std::string loudnessCurvePath(const std::string& root, int phon)
{
    return productFilePath(root, "bin/LC" + std::to_string(phon) + "_rec.ldc");
}

int32_t loadHeadphoneCurveFile(const std::string& root, int row, CurveList& headphone)
{
    return readCurveFile(headphoneCurvePath(root, row), headphone);
}

int32_t loadReferenceHeadphoneCurveFile(const std::string& root, float p17, float p22,
                                        float p23, CurveList& reference)
{
    const int sub = decodeSelector(p17);
    const int row = sub == 2   ? headphoneRowInitial
                    : sub == 1 ? decodeEmulatedHeadphoneRow(p23)
                               : decodeEmulatedHeadphoneRow(p22);
    return readCurveFile(headphoneCurvePath(root, row), reference);
}

int32_t loadNefCurveFile(const std::string& root, CurveList& nef)
{
    return readCurveFile(nefCurvePath(root), nef);
}

int32_t loadMonitorCurveFile(const std::string& root, float p16, float p21,
                             CurveList& reference)
{
    return readCurveFile(monitorCurvePath(root, decodeSelector(p16), decodeMonitorRow(p21)),
                         reference);
}

int32_t loadLoudnessCurveFiles(const std::string& root, CurveList& lc10, CurveList& lc50,
                               CurveList& lc90)
{
    const int phons[3] = { 10, 50, 90 };
    CurveList* lists[3] = { &lc10, &lc50, &lc90 };
    for (int i = 0; i < 3; ++i)
    {
        const int32_t code = readCurveFile(loudnessCurvePath(root, phons[i]), *lists[i], maxLoudnessLevelDb);
        if (code != fileOk)
            return code;
    }
    return fileOk;
}

} // namespace datafiles
