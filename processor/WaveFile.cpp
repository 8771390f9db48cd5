#include "WaveFile.h"
#include "DataFileCodes.h"

#include <cstdint>
#include <cstdio>
#include <cmath>
#include <cstring>
#include <vector>

namespace places
{
namespace
{

constexpr int maxSkippedChunks = 999;

class FileHandle
{
public:
    explicit FileHandle(const std::string& path) : file(std::fopen(path.c_str(), "rb")) {}
    ~FileHandle()
    {
        if (file)
            std::fclose(file);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    std::FILE* get() const { return file; }

private:
    std::FILE* file;
};

uint16_t readLE16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t readLE32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool readBytes(std::FILE* f, unsigned char* dst, size_t n) { return std::fread(dst, 1, n, f) == n; }

// Skips size bytes of chunk content and the pad byte of an odd size.
bool skipChunk(std::FILE* f, uint32_t size)
{
    const int64_t remaining = static_cast<int64_t>(size) + (size & 1u);
#if defined(_WIN32) // long is 32 bits there: a size from 2 GiB on would seek backwards
    return _fseeki64(f, remaining, SEEK_CUR) == 0;
#else
    return std::fseek(f, static_cast<long>(remaining), SEEK_CUR) == 0;
#endif
}

// Reads chunk headers until one with the wanted id; false when the file ends
// or more than maxSkippedChunks others come first. size receives its size.
bool findChunk(std::FILE* f, const char* id, uint32_t& size)
{
    unsigned char header[8];
    for (int skipped = 0;; ++skipped)
    {
        if (!readBytes(f, header, 8))
            return false;
        size = readLE32(header + 4);
        if (std::memcmp(header, id, 4) == 0)
            return true;
        if (skipped == maxSkippedChunks || !skipChunk(f, size))
            return false;
    }
}

enum class SampleKind
{
    int16,
    int24,
    int32,
    float32,
    float64,
};

bool sampleKindOf(uint16_t tag, uint16_t bits, SampleKind& kind)
{
    if (tag == 0 || tag == 1)
    {
        switch (bits)
        {
        case 16: kind = SampleKind::int16; return true;
        case 24: kind = SampleKind::int24; return true;
        case 32: kind = SampleKind::int32; return true;
        default: return false;
        }
    }
    if (tag == 3)
    {
        switch (bits)
        {
        case 32: kind = SampleKind::float32; return true;
        case 64: kind = SampleKind::float64; return true;
        default: return false;
        }
    }
    return false;
}

float decodeSample(SampleKind kind, const unsigned char* p)
{
    constexpr float int16Scale = 1.0f / 32767.0f;
    constexpr float int32Scale = 1.0f / 2147483648.0f;
    switch (kind)
    {
    case SampleKind::int16:
        return static_cast<float>(static_cast<int16_t>(readLE16(p))) * int16Scale;
    case SampleKind::int24:
    {
        const uint32_t packed = (static_cast<uint32_t>(p[0]) << 8) | (static_cast<uint32_t>(p[1]) << 16) |
                                (static_cast<uint32_t>(p[2]) << 24);
        return static_cast<float>(static_cast<int32_t>(packed)) * int32Scale;
    }
    case SampleKind::int32:
        return static_cast<float>(static_cast<int32_t>(readLE32(p))) * int32Scale;
    case SampleKind::float32:
    {
        const uint32_t bitsValue = readLE32(p);
        float value;
        std::memcpy(&value, &bitsValue, sizeof value);
        return datafiles::withinBound(value, datafiles::maxResponseMagnitude) ? value : 0.0f;
    }
    case SampleKind::float64:
    {
        const uint64_t bitsValue = static_cast<uint64_t>(readLE32(p)) | (static_cast<uint64_t>(readLE32(p + 4)) << 32);
        double value;
        std::memcpy(&value, &bitsValue, sizeof value);
        const float narrowed = static_cast<float>(value);
        return datafiles::withinBound(narrowed, datafiles::maxResponseMagnitude) ? narrowed : 0.0f;
    }
    }
    return 0.0f;
}

} // namespace

int32_t readWaveFile(const std::string& path, float* left, float* right, size_t capacity)
{
    FileHandle handle(path);
    std::FILE* f = handle.get();
    if (!f)
        return waveCannotOpen;

    unsigned char header[12];
    if (!readBytes(f, header, 12))
        return waveInvalid;
    if (std::memcmp(header, "RIFF", 4) != 0 && std::memcmp(header, "riff", 4) != 0)
        return waveInvalid;
    if (std::memcmp(header + 8, "WAVE", 4) != 0 && std::memcmp(header + 8, "wave", 4) != 0)
        return waveInvalid;

    uint32_t formatSize = 0;
    if (!findChunk(f, "fmt ", formatSize) || formatSize < 16)
        return waveInvalid;
    unsigned char format[16];
    if (!readBytes(f, format, 16) || !skipChunk(f, formatSize - 16))
        return waveInvalid;
    const uint16_t tag = readLE16(format);
    const uint16_t channels = readLE16(format + 2);
    const uint16_t bits = readLE16(format + 14);
    SampleKind kind;
    if (channels == 0 || !sampleKindOf(tag, bits, kind))
        return waveInvalid;

    uint32_t dataSize = 0;
    if (!findChunk(f, "data", dataSize))
        return waveInvalid;

    const size_t sampleBytes = bits / 8u;
    const size_t frameBytes = sampleBytes * channels;
    const size_t frames = dataSize / frameBytes;
    size_t limit = capacity < waveMaxFrames ? capacity : waveMaxFrames;
    if (!left || !right)
        limit = 0;
    const bool cut = frames > limit;
    const size_t wanted = cut ? limit : frames;

    // Frames are read in blocks of about 64 KiB.
    const size_t blockFrames = frameBytes >= 65536 ? 1 : 65536 / frameBytes;
    std::vector<unsigned char> block(blockFrames * frameBytes);
    const size_t secondOffset = channels >= 2 ? sampleBytes : 0;
    size_t stored = 0;
    while (stored < wanted)
    {
        const size_t request = wanted - stored < blockFrames ? wanted - stored : blockFrames;
        const size_t got = std::fread(block.data(), frameBytes, request, f);
        for (size_t i = 0; i < got; ++i)
        {
            const unsigned char* frame = block.data() + i * frameBytes;
            const float first = decodeSample(kind, frame);
            const float second = decodeSample(kind, frame + secondOffset);
            left[stored + i] = first;
            right[stored + i] = second;
        }
        stored += got;
        if (got < request)
            return waveReadError;
    }
    return cut ? waveCut : waveOk;
}

} // namespace places
