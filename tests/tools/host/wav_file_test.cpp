// The host's WAV reader and writer: every sample format it reads, the chunk
// walk, cut-short and refused files, and float round trips.
#include "WavFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

using testhost::readWav;
using testhost::WavAudio;
using testhost::WavReadResult;
using testhost::writeWavFloat;

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
void putId(Bytes& b, const char* id) { b.insert(b.end(), id, id + 4); }
void putChunk(Bytes& b, const char* id, const Bytes& body, bool pad = true) {
    putId(b, id);
    put32(b, static_cast<uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (pad && (body.size() & 1))
        b.push_back(0);
}

struct FormatSpec {
    uint16_t tag = 1;
    uint16_t channels = 2;
    uint32_t rate = 48000;
    uint16_t bits = 16;
    bool extensible = false;
    int blockAlign = -1;  // -1: the right one
};

Bytes fmtBody(const FormatSpec& f) {
    Bytes b;
    const uint16_t align = f.blockAlign >= 0 ? static_cast<uint16_t>(f.blockAlign) : f.channels * f.bits / 8;
    put16(b, f.extensible ? 0xFFFE : f.tag);
    put16(b, f.channels);
    put32(b, f.rate);
    put32(b, f.rate * align);
    put16(b, align);
    put16(b, f.bits);
    if (f.extensible) {
        put16(b, 22);
        put16(b, f.bits);
        put32(b, f.channels == 2 ? 3 : 4);
        put16(b, f.tag);
        const uint8_t tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        b.insert(b.end(), tail, tail + 14);
    }
    return b;
}

Bytes wavFile(const FormatSpec& f, const Bytes& data, const Bytes& before = {}) {
    Bytes body;
    putId(body, "WAVE");
    putChunk(body, "fmt ", fmtBody(f));
    body.insert(body.end(), before.begin(), before.end());
    putChunk(body, "data", data);
    Bytes file;
    putChunk(file, "RIFF", body);
    return file;
}

class WavFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::path(QUILLATONE_TEST_FOLDER) / (std::string(info->test_suite_name()) + "_" + info->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }

    std::string path(const std::string& name) const { return (folder_ / name).string(); }

    std::string save(const Bytes& bytes, const std::string& name = "in.wav") const {
        std::ofstream out(path(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path(name);
    }

    WavReadResult read(const Bytes& bytes, WavAudio& audio) const { return readWav(save(bytes), audio); }

    fs::path folder_;
};

TEST_F(WavFileTest, ReadsIntegerSamplesAtFullScale) {
    {
        Bytes data;
        for (int16_t v : {-32768, 32767, 0, 1, -1, 16384})
            put16(data, static_cast<uint16_t>(v));
        WavAudio audio;
        const WavReadResult r = read(wavFile({1, 2, 44100, 16}, data), audio);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.bitsPerSample, 16);
        EXPECT_FALSE(r.isFloat);
        EXPECT_EQ(audio.sampleRate, 44100u);
        ASSERT_EQ(audio.channels.size(), 2u);
        EXPECT_EQ(audio.channels[0], (std::vector<float>{-1.0f, 0.0f, -1.0f / 32768}));
        EXPECT_EQ(audio.channels[1], (std::vector<float>{32767.0f / 32768, 1.0f / 32768, 0.5f}));
    }
    {
        // 24-bit mono: sign extension of the three bytes.
        const uint8_t samples[] = {0x00, 0x00, 0x80, 0xFF, 0xFF, 0x7F, 0x01, 0x00, 0x00, 0xFF, 0xFF, 0xFF};
        WavAudio audio;
        const WavReadResult r = read(wavFile({1, 1, 96000, 24}, Bytes(samples, samples + 12)), audio);
        ASSERT_TRUE(r.ok) << r.error;
        ASSERT_EQ(audio.channels.size(), 1u);
        EXPECT_EQ(audio.channels[0], (std::vector<float>{-1.0f, static_cast<float>(8388607.0 / 8388608),
                                                         1.0f / 8388608, -1.0f / 8388608}));
    }
    {
        Bytes data;
        for (int32_t v : {std::numeric_limits<int32_t>::min(), 1 << 30, -(1 << 29), 0})
            put32(data, static_cast<uint32_t>(v));
        WavAudio audio;
        const WavReadResult r = read(wavFile({1, 2, 48000, 32}, data), audio);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(audio.channels[0], (std::vector<float>{-1.0f, -0.25f}));
        EXPECT_EQ(audio.channels[1], (std::vector<float>{0.5f, 0.0f}));
    }
}

TEST_F(WavFileTest, ReadsFloatAndExtensibleFormats) {
    const float values[] = {0.25f, -1.5f, 3.0e-39f, -0.0f};
    Bytes data;
    for (float v : values) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        put32(data, bits);
    }
    for (bool extensible : {false, true}) {
        WavAudio audio;
        const WavReadResult r = read(wavFile({3, 2, 48000, 32, extensible}, data), audio);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_TRUE(r.isFloat);
        ASSERT_EQ(audio.frames(), 2u);
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(std::memcmp(&audio.channels[i % 2][i / 2], &values[i], 4), 0) << extensible << " " << i;
    }
    Bytes data24;
    for (int i = 0; i < 6; ++i)
        data24.push_back(i == 2 ? 0x40 : 0);
    WavAudio audio;
    const WavReadResult r = read(wavFile({1, 2, 48000, 24, true}, data24), audio);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(audio.channels[0][0], 0.5f);
    EXPECT_EQ(audio.channels[1][0], 0.0f);
}

TEST_F(WavFileTest, SkipsOtherChunksWithTheirPadding) {
    Bytes before;
    putChunk(before, "LIST", Bytes(7, 'x'));  // odd size, one pad byte
    putChunk(before, "junk", Bytes(12, 0));
    Bytes data;
    put16(data, 0x4000);
    WavAudio audio;
    const WavReadResult r = read(wavFile({1, 1, 22050, 16}, data, before), audio);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(audio.channels[0], std::vector<float>{0.5f});
}

TEST_F(WavFileTest, DataCutShortGivesItsWholeFrames) {
    Bytes data;
    for (int i = 0; i < 5; ++i)
        put16(data, 0x2000);
    Bytes file = wavFile({1, 2, 48000, 16}, data);
    file.resize(file.size() - 3);  // one and a half frames gone
    WavAudio audio;
    const WavReadResult r = read(file, audio);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.truncated);
    EXPECT_EQ(audio.frames(), 1u);
    EXPECT_EQ(audio.channels[1][0], 0.25f);

    // A streaming writer's unknown length.
    Bytes streaming = wavFile({1, 2, 48000, 16}, data);
    const size_t sizeAt = streaming.size() - data.size() - 4;
    for (size_t i = 0; i < 4; ++i)
        streaming[sizeAt + i] = 0xFF;
    const WavReadResult s = read(streaming, audio);
    ASSERT_TRUE(s.ok) << s.error;
    EXPECT_TRUE(s.truncated);
    EXPECT_EQ(audio.frames(), 2u);
}

TEST_F(WavFileTest, RefusesWhatItCannotRead) {
    const Bytes twoFrames(8, 0);
    struct Case {
        const char* what;
        Bytes file;
        const char* error;
    };
    Bytes notWave = wavFile({}, twoFrames);
    std::memcpy(&notWave[8], "AVI ", 4);
    Bytes noFmt;
    putId(noFmt, "RIFF");
    put32(noFmt, 16);
    putId(noFmt, "WAVE");
    putChunk(noFmt, "data", twoFrames);
    Bytes noData;
    putId(noData, "RIFF");
    put32(noData, 28);
    putId(noData, "WAVE");
    putChunk(noData, "fmt ", fmtBody({}));
    Bytes hugeFmt = noData;
    hugeFmt[16] = 0xFF, hugeFmt[17] = 0xFF, hugeFmt[18] = 0xFF;
    Bytes badGuid = wavFile({1, 2, 48000, 16, true}, twoFrames);
    badGuid[20 + 26 + 13] ^= 0xFF;
    const Case cases[] = {
        {"empty", {}, "not a RIFF/WAVE file"},
        {"other RIFF", notWave, "not a RIFF/WAVE file"},
        {"no fmt", noFmt, "data chunk before the fmt chunk"},
        {"no data", noData, "no data chunk"},
        {"fmt size", hugeFmt, "fmt chunk size"},
        {"8-bit", wavFile({1, 2, 48000, 8}, twoFrames), "8-bit integer"},
        {"64-bit float", wavFile({3, 1, 48000, 64}, twoFrames), "64-bit float"},
        {"ADPCM", wavFile({2, 2, 48000, 4}, twoFrames), "sample format 2"},
        {"three channels", wavFile({1, 3, 48000, 16}, Bytes(6, 0)), "3 channels"},
        {"no channels", wavFile({1, 0, 48000, 16}, twoFrames), "0 channels"},
        {"block align", wavFile({1, 2, 48000, 16, false, 6}, twoFrames), "block align 6"},
        {"rate 0", wavFile({1, 2, 0, 16}, twoFrames), "sample rate 0"},
        {"extensible sub-format", badGuid, "sub-format"},
    };
    for (const Case& c : cases) {
        WavAudio audio;
        audio.sampleRate = 7;
        const WavReadResult r = read(c.file, audio);
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_NE(r.error.find(c.error), std::string::npos) << c.what << ": " << r.error;
        EXPECT_EQ(audio.sampleRate, 7u) << c.what << ": the target changed";
    }
    WavAudio audio;
    const WavReadResult missing = readWav(path("absent.wav"), audio);
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error.find("cannot open"), std::string::npos);
}

TEST_F(WavFileTest, FloatFilesRoundTripBitForBit) {
    WavAudio audio;
    audio.sampleRate = 44100;
    audio.channels.assign(2, std::vector<float>(40000));
    for (size_t i = 0; i < 40000; ++i) {
        audio.channels[0][i] = std::sin(0.01f * static_cast<float>(i)) * 1.75f;
        audio.channels[1][i] = static_cast<float>(i) * -1e-38f;
    }
    std::string error;
    ASSERT_TRUE(writeWavFloat(path("out.wav"), audio, error)) << error;
    EXPECT_FALSE(fs::exists(path("out.wav.part")));
    EXPECT_EQ(fs::file_size(path("out.wav")), 58u + 40000u * 8u);
    WavAudio back;
    const WavReadResult r = readWav(path("out.wav"), back);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.isFloat);
    EXPECT_FALSE(r.truncated);
    EXPECT_EQ(back.sampleRate, 44100u);
    ASSERT_EQ(back.channels.size(), 2u);
    for (size_t c = 0; c < 2; ++c)
        EXPECT_EQ(std::memcmp(back.channels[c].data(), audio.channels[c].data(), 40000 * sizeof(float)), 0) << c;

    // Mono and empty files too; a second write replaces the first.
    WavAudio mono;
    mono.sampleRate = 8000;
    mono.channels = {{0.5f, -0.5f, 1.0f}};
    ASSERT_TRUE(writeWavFloat(path("out.wav"), mono, error)) << error;
    ASSERT_TRUE(readWav(path("out.wav"), back).ok);
    EXPECT_EQ(back.channels, mono.channels);
    mono.channels[0].clear();
    ASSERT_TRUE(writeWavFloat(path("empty.wav"), mono, error)) << error;
    ASSERT_TRUE(readWav(path("empty.wav"), back).ok);
    EXPECT_EQ(back.frames(), 0u);
    EXPECT_EQ(back.channels.size(), 1u);
}

TEST_F(WavFileTest, WriterRefusesBadAudioAndUnwritablePaths) {
    std::string error;
    WavAudio audio;
    audio.sampleRate = 48000;
    EXPECT_FALSE(writeWavFloat(path("none.wav"), audio, error));
    audio.channels = {{0.0f, 0.0f}, {0.0f}};
    EXPECT_FALSE(writeWavFloat(path("ragged.wav"), audio, error));
    EXPECT_EQ(error, "channels of different lengths");
    audio.channels = {{0.0f}, {0.0f}};
    error.clear();
    EXPECT_FALSE(writeWavFloat(path("no/such/folder/out.wav"), audio, error));
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(path("none.wav")));
    EXPECT_FALSE(fs::exists(path("ragged.wav")));

    // An existing file stays whole when the new one cannot be written.
    fs::create_directories(path("taken.wav.part"));
    std::ofstream(path("taken.wav")) << "keep";
    EXPECT_FALSE(writeWavFloat(path("taken.wav"), audio, error));
    std::ifstream kept(path("taken.wav"));
    std::string text;
    kept >> text;
    EXPECT_EQ(text, "keep");
}

}  // namespace
