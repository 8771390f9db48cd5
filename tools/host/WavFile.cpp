#include "WavFile.h"
#include "ReplaceFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>

namespace testhost {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// Tail of the extensible sub-format identifier shared by PCM and float.
constexpr uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
constexpr size_t kReadFrames = 16384;

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
void putId(std::vector<uint8_t>& out, const char* id) { out.insert(out.end(), id, id + 4); }

struct Format {
    uint16_t tag = 0;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint16_t blockAlign = 0;
    uint16_t bits = 0;
};

WavReadResult refuse(const std::string& why) {
    WavReadResult r;
    r.error = why;
    return r;
}

// Checks the fmt chunk's body and resolves the extensible format.
bool decodeFormat(const std::vector<uint8_t>& body, Format& f, std::string& error) {
    if (body.size() < 16) {
        error = "fmt chunk too short";
        return false;
    }
    f.tag = le16(&body[0]);
    f.channels = le16(&body[2]);
    f.sampleRate = le32(&body[4]);
    f.blockAlign = le16(&body[12]);
    f.bits = le16(&body[14]);
    if (f.tag == kFormatExtensible) {
        if (body.size() < 40 || le16(&body[16]) < 22) {
            error = "extensible fmt chunk too short";
            return false;
        }
        if (std::memcmp(&body[26], kSubFormatTail, sizeof kSubFormatTail) != 0) {
            error = "unknown extensible sub-format";
            return false;
        }
        f.tag = le16(&body[24]);
    }
    if (f.tag != kFormatPcm && f.tag != kFormatFloat) {
        error = "sample format " + std::to_string(f.tag) + " (only integer PCM and float are read)";
        return false;
    }
    if (f.channels != 1 && f.channels != 2) {
        error = std::to_string(f.channels) + " channels (only mono and stereo are read)";
        return false;
    }
    const bool bitsOk = f.tag == kFormatFloat ? f.bits == 32 : (f.bits == 16 || f.bits == 24 || f.bits == 32);
    if (!bitsOk) {
        error = std::to_string(f.bits) + "-bit " + (f.tag == kFormatFloat ? "float" : "integer") +
                " samples (16, 24 or 32-bit integer and 32-bit float are read)";
        return false;
    }
    if (f.sampleRate == 0) {
        error = "sample rate 0";
        return false;
    }
    if (f.blockAlign != f.channels * (f.bits / 8)) {
        error = "block align " + std::to_string(f.blockAlign) + " does not match the sample size";
        return false;
    }
    return true;
}

float decodeSample(const uint8_t* p, const Format& f) {
    switch (f.bits) {
    case 16:
        return static_cast<float>(static_cast<int16_t>(le16(p)) * (1.0 / 32768.0));
    case 24: {
        const int32_t v = static_cast<int32_t>((static_cast<uint32_t>(p[0]) << 8) | (static_cast<uint32_t>(p[1]) << 16) |
                                               (static_cast<uint32_t>(p[2]) << 24)) >> 8;
        return static_cast<float>(v * (1.0 / 8388608.0));
    }
    default:
        if (f.tag == kFormatFloat) {
            const uint32_t bits = le32(p);
            float v;
            std::memcpy(&v, &bits, sizeof v);
            return v;
        }
        return static_cast<float>(static_cast<int32_t>(le32(p)) * (1.0 / 2147483648.0));
    }
}

}  // namespace

WavReadResult readWav(const std::string& path, WavAudio& audio) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return refuse("cannot open " + path);
    in.seekg(0, std::ios::end);
    const std::streamoff fileSize = in.tellg();
    in.seekg(0);

    uint8_t header[12];
    if (fileSize < 12 || !in.read(reinterpret_cast<char*>(header), 12))
        return refuse("not a RIFF/WAVE file (too short)");
    if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0)
        return refuse("not a RIFF/WAVE file");

    Format format;
    bool haveFormat = false;
    std::streamoff dataStart = -1, dataBytes = 0;
    bool truncated = false;
    std::streamoff pos = 12;
    // Walks the chunks up to the data chunk; a fmt chunk must come first.
    while (pos + 8 <= fileSize) {
        uint8_t chunk[8];
        in.seekg(pos);
        if (!in.read(reinterpret_cast<char*>(chunk), 8))
            return refuse("read error in the chunk list");
        const uint32_t size = le32(chunk + 4);
        const std::streamoff bodyStart = pos + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size > 4096 || bodyStart + size > fileSize)
                return refuse("fmt chunk size " + std::to_string(size) + " is not plausible");
            std::vector<uint8_t> body(size);
            if (!in.read(reinterpret_cast<char*>(body.data()), size))
                return refuse("read error in the fmt chunk");
            std::string error;
            if (!decodeFormat(body, format, error))
                return refuse(error);
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat)
                return refuse("data chunk before the fmt chunk");
            dataStart = bodyStart;
            dataBytes = size;
            if (bodyStart + dataBytes > fileSize) {
                dataBytes = fileSize - bodyStart;
                truncated = true;
            }
            break;
        }
        pos = bodyStart + static_cast<std::streamoff>(size) + (size & 1);
    }
    if (!haveFormat)
        return refuse("no fmt chunk");
    if (dataStart < 0)
        return refuse("no data chunk");

    const size_t frames = static_cast<size_t>(dataBytes / format.blockAlign);
    WavAudio result;
    result.sampleRate = format.sampleRate;
    result.channels.assign(format.channels, std::vector<float>(frames));
    std::vector<uint8_t> block(kReadFrames * format.blockAlign);
    const size_t sampleBytes = format.bits / 8u;
    in.seekg(dataStart);
    for (size_t done = 0; done < frames;) {
        const size_t n = std::min(kReadFrames, frames - done);
        if (!in.read(reinterpret_cast<char*>(block.data()), static_cast<std::streamsize>(n * format.blockAlign)))
            return refuse("read error in the data chunk");
        for (size_t i = 0; i < n; ++i)
            for (size_t c = 0; c < format.channels; ++c)
                result.channels[c][done + i] = decodeSample(&block[i * format.blockAlign + c * sampleBytes], format);
        done += n;
    }

    audio = std::move(result);
    WavReadResult r;
    r.ok = true;
    r.truncated = truncated;
    r.bitsPerSample = format.bits;
    r.isFloat = format.tag == kFormatFloat;
    return r;
}

bool writeWavFloat(const std::string& path, const WavAudio& audio, std::string& error) {
    const size_t channels = audio.channels.size();
    const size_t frames = audio.frames();
    if (channels == 0 || channels > 8) {
        error = "cannot write " + std::to_string(channels) + " channels";
        return false;
    }
    for (const std::vector<float>& c : audio.channels)
        if (c.size() != frames) {
            error = "channels of different lengths";
            return false;
        }
    if (audio.sampleRate == 0) {
        error = "sample rate 0";
        return false;
    }
    const uint64_t dataBytes = static_cast<uint64_t>(frames) * channels * 4;
    if (dataBytes > std::numeric_limits<uint32_t>::max() - 64) {
        error = "too long for a WAV file";
        return false;
    }
    const uint32_t blockAlign = static_cast<uint32_t>(channels * 4);

    std::vector<uint8_t> header;
    putId(header, "RIFF");
    put32(header, static_cast<uint32_t>(4 + (8 + 18) + (8 + 4) + 8 + dataBytes));
    putId(header, "WAVE");
    putId(header, "fmt ");
    put32(header, 18);
    put16(header, kFormatFloat);
    put16(header, static_cast<uint32_t>(channels));
    put32(header, audio.sampleRate);
    put32(header, audio.sampleRate * blockAlign);
    put16(header, blockAlign);
    put16(header, 32);
    put16(header, 0);  // no extension
    putId(header, "fact");
    put32(header, 4);
    put32(header, static_cast<uint32_t>(frames));
    putId(header, "data");
    put32(header, static_cast<uint32_t>(dataBytes));

    const std::string partial = path + ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "cannot create " + partial;
            return false;
        }
        out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
        std::vector<uint8_t> block;
        block.reserve(kReadFrames * blockAlign);
        for (size_t start = 0; start < frames && out; start += kReadFrames) {
            block.clear();
            const size_t n = std::min(kReadFrames, frames - start);
            for (size_t i = 0; i < n; ++i)
                for (size_t c = 0; c < channels; ++c) {
                    uint32_t bits;
                    std::memcpy(&bits, &audio.channels[c][start + i], sizeof bits);
                    put32(block, bits);
                }
            out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));
        }
        out.flush();
        if (!out) {
            out.close();
            std::remove(partial.c_str());
            error = "cannot write " + partial;
            return false;
        }
    }
    if (!fileio::replaceFile(partial, path)) {
        std::remove(partial.c_str());
        error = "cannot rename " + partial + " to " + path;
        return false;
    }
    return true;
}

}  // namespace testhost
