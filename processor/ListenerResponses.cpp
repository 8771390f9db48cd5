#include "ListenerResponses.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "DataFolder.h"

namespace datafiles
{

namespace
{
constexpr int subjects[listenerCount] = { 3, 8, 9, 10, 11, 12, 15, 17, 18, 19, 20, 21 };
constexpr size_t hrtfValues = size_t(listenerBlocks) * listenerRows * listenerTaps;

std::string subjectDigits(int listener)
{
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03d", listenerSubject(listener));
    return digits;
}

// Reads up to values.size() float32 values from path. Returns 3 when the file
// cannot be opened, 8 when it ends early (the rest of values is zero), 5 when
// non-finite values or values beyond maxResponseMagnitude were replaced by 0,
// else 0.
int32_t readFloats(const std::string& path, std::vector<float>& values)
{
    std::FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (!file)
        return fileCannotOpen;
    const size_t got = std::fread(values.data(), sizeof(float), values.size(), file);
    std::fclose(file);
    for (size_t i = got; i < values.size(); ++i)
        values[i] = 0.0f;
    bool valid = true;
    for (size_t i = 0; i < got; ++i)
        if (!withinBound(values[i], maxResponseMagnitude))
        {
            values[i] = 0.0f;
            valid = false;
        }
    if (got < values.size())
        return fileReadError;
    return valid ? fileOk : fileInvalid;
}
} // namespace

int listenerSubject(int listener)
{
    return listener >= 0 && listener < listenerCount ? subjects[listener] : subjects[0];
}

std::string hrtfFilePath(const std::string& root, int channel, int listener)
{
    return productFilePath(root, "bin/HRTF_subject" + subjectDigits(listener) + "_toQuillatone_IRS" +
                                     (channel == 0 ? "left" : "right") + ".hrt");
}

std::string leftToRightFilePath(const std::string& root, int listener)
{
    return productFilePath(root, "bin/Quillatoneltor" + subjectDigits(listener) + ".hrt");
}

std::string flatHrtfFilePath(const std::string& root)
{
    return productFilePath(root, "bin/HRTF_subject003_toQuillatone.hrt");
}

int32_t loadHrtfFile(const std::string& root, int channel, int listener, ListenerTable& table)
{
    if (channel != 0 && channel != 1)
        return fileOk;
    std::vector<float> values(hrtfValues);
    const int32_t code = readFloats(hrtfFilePath(root, channel, listener), values);
    if (code == fileCannotOpen)
        return code;
    const float* source = values.data();
    for (int block = 0; block < listenerBlocks; ++block)
        for (int row = 0; row < listenerRows; ++row, source += listenerTaps)
            for (int tap = 0; tap < listenerTaps; ++tap)
                table[block][row][tap] = source[tap];
    return code;
}

int32_t loadLeftToRightFile(const std::string& root, int listener, ListenerRow& response,
                            ListenerRow& unitImpulse, float& sum)
{
    std::vector<float> values(listenerTaps);
    const int32_t code = readFloats(leftToRightFilePath(root, listener), values);
    if (code == fileCannotOpen)
        return code;
    float total = 0.0f;
    for (int tap = 0; tap < listenerTaps; ++tap)
    {
        response[tap] = values[tap];
        unitImpulse[tap] = 0.0f;
        total += std::fabs(values[tap]);
    }
    unitImpulse[0] = 1.0f;
    // The chain divides the response by the sum; an all-zero response then
    // stays zero instead of dividing by zero.
    sum = total > 0.0f ? total : 1.0f;
    return code;
}

int32_t loadFlatHrtfFile(const std::string& root, ListenerTable& table)
{
    std::vector<float> values(size_t(listenerBlocks) * listenerRows * flatHrtfTaps);
    const int32_t code = readFloats(flatHrtfFilePath(root), values);
    if (code == fileCannotOpen)
        return code;
    for (auto& block : table)
        for (auto& row : block)
            for (int tap = 0; tap < flatHrtfTaps; ++tap)
                row[tap] = 1.0f;
    return code;
}

} // namespace datafiles
