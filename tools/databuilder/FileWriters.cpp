#include "FileWriters.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace databuilder
{

namespace
{
static_assert(sizeof(float) == 4, "float32 files");

bool writeAll(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

void put32(std::vector<unsigned char>& bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void put16(std::vector<unsigned char>& bytes, uint16_t value)
{
    bytes.push_back(static_cast<unsigned char>(value));
    bytes.push_back(static_cast<unsigned char>(value >> 8));
}

void putFloat(std::vector<unsigned char>& bytes, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    put32(bytes, bits);
}

void putText(std::vector<unsigned char>& bytes, const char* text)
{
    bytes.insert(bytes.end(), text, text + std::strlen(text));
}
} // namespace

bool writeFloatFile(const std::string& path, const std::vector<float>& values)
{
    std::vector<unsigned char> bytes;
    bytes.reserve(values.size() * 4);
    for (float v : values)
        putFloat(bytes, v);
    return writeAll(path, bytes);
}

bool writeCurveFile(const std::string& path, const std::vector<float>& hz,
                    const std::vector<float>& db)
{
    if (hz.size() != db.size() || hz.empty() || hz.size() > 1000)
        return false;
    std::vector<float> values{ float(hz.size()) };
    values.insert(values.end(), hz.begin(), hz.end());
    values.insert(values.end(), db.begin(), db.end());
    return writeFloatFile(path, values);
}

bool writeFloatWav(const std::string& path, const std::vector<float>& samples, int sampleRate)
{
    return writeFloatWav(path, std::vector<std::vector<float>>{ samples }, sampleRate);
}

bool writeFloatWav(const std::string& path, const std::vector<std::vector<float>>& channels,
                   int sampleRate)
{
    if (channels.empty())
        return false;
    const size_t frames = channels[0].size();
    for (const auto& channel : channels)
        if (channel.size() != frames)
            return false;
    const uint16_t count = uint16_t(channels.size());
    const uint64_t dataBytes64 = uint64_t(frames) * count * 4;
    if (dataBytes64 > 0xFFFFFFFFull - 36)
        return false;
    const uint32_t dataBytes = uint32_t(dataBytes64);
    std::vector<unsigned char> bytes;
    bytes.reserve(44 + dataBytes);
    putText(bytes, "RIFF");
    put32(bytes, 36 + dataBytes);
    putText(bytes, "WAVE");
    putText(bytes, "fmt ");
    put32(bytes, 16);
    put16(bytes, 3); // IEEE float
    put16(bytes, count);
    put32(bytes, uint32_t(sampleRate));
    put32(bytes, uint32_t(sampleRate) * 4u * count);
    put16(bytes, uint16_t(4 * count));
    put16(bytes, 32);
    putText(bytes, "data");
    put32(bytes, dataBytes);
    for (size_t i = 0; i < frames; ++i)
        for (const auto& channel : channels)
            putFloat(bytes, channel[i]);
    return writeAll(path, bytes);
}

bool writeTextFile(const std::string& path, const std::string& text)
{
    return writeAll(path, std::vector<unsigned char>(text.begin(), text.end()));
}

} // namespace databuilder
