#pragma once
// Shared by the Controlsgui tests: a per-test data folder with tiny synthetic
// files, and an effect created through the test host and VSTPluginMain.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Controlsgui.h"
#include "TestHost.h"
#include "PortableEnvironment.h"

extern "C" AEffect* VSTPluginMain(audioMasterCallback audioMaster);

namespace qtest
{

// A data root of its own for the running test, under the program's root.
class DataFolder
{
public:
    DataFolder()
    {
        const char* base = std::getenv("QUILLATONE_DATA_ROOT");
        programRoot = base ? base : "";
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root = (base ? programRoot : std::string("/tmp/quillatone_test_root")) + "/" + info->test_suite_name() +
               "." + info->name();
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        setenv("QUILLATONE_DATA_ROOT", root.c_str(), 1);
    }
    ~DataFolder()
    {
        // The next test's folder sits beside this one, not inside it (Windows
        // paths stay short).
        if (programRoot.empty())
            unsetenv("QUILLATONE_DATA_ROOT");
        else
            setenv("QUILLATONE_DATA_ROOT", programRoot.c_str(), 1);
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    std::string product(const std::string& relative) const { return root + "/Harlox/Quillatone/" + relative; }

    void writeFloats(const std::string& relative, const std::vector<float>& values) const
    {
        const std::string path = product(relative);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(values.data()), std::streamsize(values.size() * sizeof(float)));
    }

    // A curve file: count, frequencies, levels.
    void writeCurve(const std::string& relative, const std::vector<float>& hz, const std::vector<float>& db) const
    {
        std::vector<float> v{float(hz.size())};
        v.insert(v.end(), hz.begin(), hz.end());
        v.insert(v.end(), db.begin(), db.end());
        writeFloats(relative, v);
    }

    void writeFlatCurve(const std::string& relative) const
    {
        writeCurve(relative, {0.0f, 1000.0f, 24000.0f}, {0.0f, 0.0f, 0.0f});
    }

    // Flat curves for the worn (row 199), default emulated (row 0) and the
    // group-0 monitor, so that the gate opens in MIX and HEADPHONES.
    void writeFlatGateCurves() const
    {
        writeFlatCurve("HP/HD25 Aluminium.hps");
        writeFlatCurve("HP/MK801.hps");
        writeFlatCurve("Monitor/Genelec_1236A.mos");
    }

    // Listener tables where row r of the left ear is a unit impulse at tap
    // leftDelay(r) and of the right ear at rightDelay(r).
    static int leftDelay(int r) { return 10 + (r * 37) % 190; }
    static int rightDelay(int r) { return 10 + (r * 53) % 190; }
    void writeImpulseListener(int subject = 3) const
    {
        for (int ear = 0; ear < 2; ++ear)
        {
            std::vector<float> table(25 * 50 * 218, 0.0f);
            for (int r = 0; r < 1250; ++r)
                table[size_t(r) * 218 + size_t(ear == 0 ? leftDelay(r) : rightDelay(r))] = 1.0f;
            char name[80];
            std::snprintf(name, sizeof name, "bin/HRTF_subject%03d_toQuillatone_IRS%s.hrt", subject,
                          ear == 0 ? "left" : "right");
            writeFloats(name, table);
        }
    }

    // A mono float WAV file.
    void writeWave(const std::string& relative, const std::vector<float>& samples) const
    {
        const std::string path = product(relative);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
        auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
        const uint32_t bytes = uint32_t(samples.size() * 4);
        out.write("RIFF", 4);
        u32(36 + bytes);
        out.write("WAVEfmt ", 8);
        u32(16);
        u16(3);
        u16(1);
        u32(48000);
        u32(48000 * 4);
        u16(4);
        u16(32);
        out.write("data", 4);
        u32(bytes);
        out.write(reinterpret_cast<const char*>(samples.data()), std::streamsize(bytes));
    }

    std::string root;

private:
    std::string programRoot;
};

// One effect created through the test host and VSTPluginMain, at 48 kHz.
class Instance
{
public:
    explicit Instance(VstInt32 connectedInputs = 2)
    {
        host.settings().connectedInputs = connectedInputs;
        effect = host.createEffect(VSTPluginMain);
        if (effect)
        {
            dispatch(effOpen);
            dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
            dispatch(effSetBlockSize, 0, 512);
            dispatch(effMainsChanged, 0, 1);
        }
    }
    ~Instance()
    {
        if (effect)
        {
            dispatch(effMainsChanged, 0, 0);
            dispatch(effClose);
        }
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f)
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    void set(VstInt32 index, float value) { effect->setParameter(effect, index, value); }
    float get(VstInt32 index) { return effect->getParameter(effect, index); }
    Controlsgui& object() { return *static_cast<Controlsgui*>(static_cast<AudioEffect*>(effect->object)); }

    // Runs the input through processReplacing in blocks of blockSize frames.
    void run(const std::vector<float>& inL, const std::vector<float>& inR, std::vector<float>& outL,
             std::vector<float>& outR, int blockSize)
    {
        outL.assign(inL.size(), 0.0f);
        outR.assign(inR.size(), 0.0f);
        for (size_t start = 0; start < inL.size(); start += size_t(blockSize))
        {
            const int n = int(std::min(inL.size() - start, size_t(blockSize)));
            float* in[2] = {const_cast<float*>(inL.data() + start), const_cast<float*>(inR.data() + start)};
            float* out[2] = {outL.data() + start, outR.data() + start};
            effect->processReplacing(effect, in, out, n);
        }
    }

    testhost::TestHost host;
    AEffect* effect = nullptr;
};

inline std::vector<float> sine(size_t frames, double hz, double amplitude)
{
    std::vector<float> v(frames);
    for (size_t n = 0; n < frames; ++n)
        v[n] = float(amplitude * std::sin(2.0 * 3.14159265358979 * hz * double(n) / 48000.0));
    return v;
}

inline double rms(const std::vector<float>& v, size_t from)
{
    double s = 0.0;
    for (size_t n = from; n < v.size(); ++n)
        s += double(v[n]) * v[n];
    return std::sqrt(s / double(v.size() - from));
}

// A smooth 17-sample pulse centred at `at`.
inline std::vector<float> pulse(size_t frames, size_t at)
{
    std::vector<float> v(frames, 0.0f);
    for (int k = -8; k <= 8; ++k)
        v[at + size_t(k + 8) - 8] = float(0.5 + 0.5 * std::cos(3.14159265358979 * k / 9.0));
    return v;
}

inline size_t peakIndex(const std::vector<float>& v)
{
    size_t best = 0;
    for (size_t n = 1; n < v.size(); ++n)
        if (std::fabs(v[n]) > std::fabs(v[best]))
            best = n;
    return best;
}

} // namespace qtest
