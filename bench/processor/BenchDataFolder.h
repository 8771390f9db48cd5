// What the processReplacing benchmarks share: this thread's CPU clock, a
// host callback, and the synthetic data folder they run on.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <time.h>
#include <vector>

#include "Controlsgui.h"

namespace bench
{

// This thread's CPU time in seconds.
inline double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

inline VstIntPtr VSTCALLBACK benchHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

inline void writeFloats(const std::string& path, const std::vector<float>& v)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(v.data()), std::streamsize(v.size() * 4));
}

inline void writeCurve(const std::string& path) { writeFloats(path, {3.0f, 0.0f, 1000.0f, 24000.0f, 0.0f, 0.0f, 0.0f}); }

// A mono 32-bit float wave at 48 kHz.
inline void writeWave(const std::string& path, const std::vector<float>& s)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(uint32_t(36 + s.size() * 4));
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(3);
    u16(1);
    u32(48000);
    u32(192000);
    u16(4);
    u16(32);
    out.write("data", 4);
    u32(uint32_t(s.size() * 4));
    out.write(reinterpret_cast<const char*>(s.data()), std::streamsize(s.size() * 4));
}

// Writes the synthetic data folder under $QUILLATONE_DATA_ROOT, or under a
// new folder named tmpPrefix + the time when that is unset (and then sets
// it). Returns the root.
inline std::string makeBenchDataRoot(const std::string& tmpPrefix)
{
    const char* env = std::getenv("QUILLATONE_DATA_ROOT");
    const std::string r = env && *env ? env : tmpPrefix + std::to_string(long(std::time(nullptr)));
    setenv("QUILLATONE_DATA_ROOT", r.c_str(), 1);
    const std::string p = r + "/Harlox/Quillatone/";
    for (const char* hp : {"HD25 Aluminium", "MK801", "K240 Studio"})
        writeCurve(p + "HP/" + hp + ".hps");
    writeCurve(p + "Monitor/Genelec_1236A.mos");
    writeCurve(p + "bin/nef_rec.trc");
    for (const char* lc : {"LC10", "LC50", "LC90"})
        writeCurve(p + "bin/" + lc + "_rec.ldc");
    std::vector<float> hrir(25 * 50 * 218);
    for (size_t i = 0; i < hrir.size(); ++i)
        hrir[i] = (i % 218) < 40 ? 0.05f * std::sin(float(i)) : 0.0f;
    writeFloats(p + "bin/HRTF_subject003_toQuillatone_IRSleft.hrt", hrir);
    writeFloats(p + "bin/HRTF_subject003_toQuillatone_IRSright.hrt", hrir);
    std::vector<float> ltor(218, 0.0f);
    ltor[20] = 0.5f;
    writeFloats(p + "bin/Quillatoneltor003.hrt", ltor);
    std::vector<float> room(44100);
    for (size_t n = 0; n < room.size(); ++n)
        room[n] = std::exp(-float(n) / 6000.0f) * std::sin(float(n) * 0.37f);
    for (int k = 1; k <= 4; ++k)
        writeWave(p + "Places/Office/Quillatone_uff_" + std::to_string(k) + ".wav", room);
    return r;
}

} // namespace bench
