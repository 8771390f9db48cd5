#include "CurveTextConversion.h"
#include "ReplaceFile.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace curveconvert
{
namespace
{

constexpr int headerLines = 14;

class FileHandle
{
public:
    FileHandle(const std::string& path, const char* mode) : file(std::fopen(path.c_str(), mode)) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    std::FILE* get() const { return file; }
    bool close()
    {
        const bool ok = !file || std::fclose(file) == 0;
        file = nullptr;
        return ok;
    }

private:
    std::FILE* file;
};

// Reads one line of any length; false at the end of the file.
bool readLine(std::FILE* f, std::string& line)
{
    line.clear();
    int ch;
    while ((ch = std::fgetc(f)) != EOF)
    {
        if (ch == '\n')
            return true;
        line += static_cast<char>(ch);
    }
    return !line.empty();
}

// The levels are summed in float32, in file order.
void subtractMean(CurveList& list, float sum, float offsetDb)
{
    if (list.count == 0)
        return;
    const float mean = sum / static_cast<float>(list.count);
    for (int32_t i = 0; i < list.count; ++i)
        list.db[i] = list.db[i] - mean + offsetDb;
}

void writeFloats(std::FILE* f, const float* values, size_t n, bool& ok)
{
    // Little-endian byte order whatever the host.
    for (size_t i = 0; i < n && ok; ++i)
    {
        uint32_t bits;
        std::memcpy(&bits, &values[i], sizeof bits);
        const unsigned char bytes[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                                        static_cast<unsigned char>(bits >> 16), static_cast<unsigned char>(bits >> 24)};
        ok = std::fwrite(bytes, 1, 4, f) == 4;
    }
}

bool sameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error))
        return true;
    // equivalent() fails when the output does not exist yet; compare names then.
    const auto pa = std::filesystem::weakly_canonical(a, error);
    if (error)
        return false;
    const auto pb = std::filesystem::weakly_canonical(b, error);
    return !error && pa == pb;
}

// Appends a point of finite frequency and level, adding its level to sum;
// passes over any other.
void addPoint(CurveList& list, int32_t& n, float& sum, float hz, float db)
{
    if (!std::isfinite(hz) || !std::isfinite(db))
        return;
    list.hz[n] = hz;
    list.db[n] = db;
    sum += db;
    ++n;
}

// Hands a parsed list to the caller when it holds points and finite levels (a
// float sum of huge levels can overflow); levels beyond the readers' bound are
// handed over with their own code.
int32_t finish(const std::unique_ptr<CurveList>& parsed, CurveList& result)
{
    if (parsed->count == 0)
        return convertNoPoints;
    for (int32_t i = 0; i < parsed->count; ++i)
        if (!std::isfinite(parsed->db[i]))
            return convertNoPoints;
    result = *parsed;
    return worstLevelOutOfRange(result) < 0 ? convertOk : convertLevelOutOfRange;
}

} // namespace

int32_t parseHeadphoneText(const std::string& inputPath, HeadphoneTextFormat format, float offsetDb,
                           CurveList& result)
{
    FileHandle input(inputPath, "r");
    if (!input.get())
        return convertInputMissing;

    auto parsed = std::make_unique<CurveList>();
    CurveList& list = *parsed;
    std::string line;
    if (format == HeadphoneTextFormat::measurement)
        for (int i = 0; i < headerLines && readLine(input.get(), line); ++i)
        {
        }

    const char* pattern = format == HeadphoneTextFormat::measurement ? "%f, %f, %f" : "%f %f";
    int32_t n = 0;
    float sum = 0.0f;
    while (n < CurveList::capacity && readLine(input.get(), line))
    {
        if (line.size() < 4)
            continue;
        float hz = 0.0f;
        float db = 0.0f;
        float ignored = 0.0f;
        if (std::sscanf(line.c_str(), pattern, &hz, &db, &ignored) < 2)
            continue;
        addPoint(list, n, sum, hz, db);
    }
    list.count = n;
    subtractMean(list, sum, offsetDb);
    return finish(parsed, result);
}

int32_t parseMonitorText(const std::string& inputPath, CurveList& result)
{
    FileHandle input(inputPath, "r");
    if (!input.get())
        return convertInputMissing;

    auto parsed = std::make_unique<CurveList>();
    CurveList& list = *parsed;
    int32_t n = 0;
    float sum = 0.0f;
    float hz = 0.0f;
    float db = 0.0f;
    while (n < CurveList::capacity && std::fscanf(input.get(), "%f", &hz) == 1 &&
           std::fscanf(input.get(), "%f", &db) == 1)
        addPoint(list, n, sum, hz, db);
    list.count = n;
    subtractMean(list, sum, 0.0f);
    return finish(parsed, result);
}

int32_t worstLevelOutOfRange(const CurveList& list)
{
    int32_t worst = -1;
    for (int32_t i = 0; i < list.count && i < CurveList::capacity; ++i)
        if (!datafiles::withinBound(list.db[i], datafiles::maxCurveLevelDb) &&
            (worst < 0 || !(std::fabs(list.db[i]) <= std::fabs(list.db[worst]))))
            worst = i;
    return worst;
}

int32_t writeCurveFile(const std::string& outputPath, const CurveList& list)
{
    if (list.count <= 0 || list.count > CurveList::capacity)
        return convertNoPoints;
    if (worstLevelOutOfRange(list) >= 0)
        return convertLevelOutOfRange;
    const std::string temporary = outputPath + ".partial";
    FileHandle output(temporary, "wb");
    if (!output.get())
        return convertWriteError;
    bool ok = true;
    const float n = static_cast<float>(list.count);
    writeFloats(output.get(), &n, 1, ok);
    writeFloats(output.get(), list.hz, static_cast<size_t>(list.count), ok);
    writeFloats(output.get(), list.db, static_cast<size_t>(list.count), ok);
    ok = output.close() && ok;
    if (!ok || !fileio::replaceFile(temporary, outputPath))
    {
        std::error_code error;
        std::filesystem::remove(temporary, error);
        return convertWriteError;
    }
    return convertOk;
}

int32_t convertHeadphoneText(const std::string& inputPath, const std::string& outputPath,
                             HeadphoneTextFormat format, float offsetDb, CurveList& list)
{
    if (sameFile(inputPath, outputPath))
        return convertNoPoints;
    const int32_t code = parseHeadphoneText(inputPath, format, offsetDb, list);
    return code == convertOk ? writeCurveFile(outputPath, list) : code;
}

int32_t convertMonitorText(const std::string& inputPath, const std::string& outputPath, CurveList& list)
{
    if (sameFile(inputPath, outputPath))
        return convertNoPoints;
    const int32_t code = parseMonitorText(inputPath, list);
    return code == convertOk ? writeCurveFile(outputPath, list) : code;
}

std::string headphoneTextName(const std::string& modelFileName) { return modelFileName + ".txt"; }

std::string headphoneCurveName(const std::string& modelFileName) { return modelFileName + ".hps"; }

std::string monitorTextName(const std::string& monitorFileName)
{
    const std::string extension = ".mos";
    if (monitorFileName.size() > extension.size() &&
        monitorFileName.compare(monitorFileName.size() - extension.size(), extension.size(), extension) == 0)
        return monitorFileName.substr(0, monitorFileName.size() - extension.size()) + ".txt";
    return monitorFileName + ".txt";
}

} // namespace curveconvert
