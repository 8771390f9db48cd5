#pragma once
// Builds RIFF/WAVE files byte by byte for the reader's tests.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace testwave
{

class Bytes
{
public:
    Bytes& text(const char* s)
    {
        data.insert(data.end(), s, s + std::strlen(s));
        return *this;
    }
    Bytes& u16(uint16_t v)
    {
        data.push_back(static_cast<uint8_t>(v));
        data.push_back(static_cast<uint8_t>(v >> 8));
        return *this;
    }
    Bytes& u32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            data.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    Bytes& i24(int32_t v)
    {
        for (int i = 0; i < 3; ++i)
            data.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
        return *this;
    }
    Bytes& f32(float v)
    {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return u32(bits);
    }
    Bytes& f64(double v)
    {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        u32(static_cast<uint32_t>(bits));
        return u32(static_cast<uint32_t>(bits >> 32));
    }
    Bytes& raw(const std::vector<uint8_t>& b)
    {
        data.insert(data.end(), b.begin(), b.end());
        return *this;
    }
    // A chunk: id, size, content and the pad byte after an odd size.
    Bytes& chunk(const char* id, const Bytes& content, bool pad = true)
    {
        text(id).u32(static_cast<uint32_t>(content.data.size())).raw(content.data);
        if (pad && (content.data.size() & 1u))
            data.push_back(0);
        return *this;
    }
    std::vector<uint8_t> data;
};

inline Bytes fmtContent(uint16_t tag, uint16_t channels, uint16_t bits, uint32_t rate = 48000)
{
    Bytes b;
    const uint16_t align = static_cast<uint16_t>(channels * (bits / 8));
    b.u16(tag).u16(channels).u32(rate).u32(rate * align).u16(align).u16(bits);
    return b;
}

// "RIFF", size, "WAVE", then the given chunks.
inline std::vector<uint8_t> riff(const Bytes& chunks, const char* riffId = "RIFF", const char* waveId = "WAVE")
{
    Bytes b;
    b.text(riffId).u32(static_cast<uint32_t>(chunks.data.size() + 4)).text(waveId).raw(chunks.data);
    return b.data;
}

// A complete file of one format with the given sample bytes.
inline std::vector<uint8_t> simpleWave(uint16_t tag, uint16_t channels, uint16_t bits, const Bytes& samples)
{
    Bytes chunks;
    chunks.chunk("fmt ", fmtContent(tag, channels, bits)).chunk("data", samples);
    return riff(chunks);
}

inline void writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace testwave
