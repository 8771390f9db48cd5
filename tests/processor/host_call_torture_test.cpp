// Random host calls through VSTPluginMain: dispatcher opcodes with valid or
// null pointers, odd parameter values, programs and sample rates out of range,
// and blocks of 0 to 8192 frames holding NaN, infinite, denormal and huge
// samples, in place or not. Nothing may crash and every output sample must be
// finite. Seeded and bounded: QUILLATONE_TORTURE_SEED (default 1) and
// QUILLATONE_TORTURE_SECONDS (default 10) repeat or lengthen a run by hand.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "ControlsguiTestSupport.h"

namespace
{

constexpr int maxOperations = 3000;
constexpr int maxFrames = 8192;

unsigned long envNumber(const char* name, unsigned long fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::strtoul(text, nullptr, 10) : fallback;
}

class Torture
{
public:
    Torture(AEffect* effect, uint32_t seed) : effect(effect), random(seed) {}

    // One random call; describes it in `what` for the failure message.
    void step(std::string& what)
    {
        const int kind = pick(0, 99);
        if (kind < 35)
            dispatchRandom(what);
        else if (kind < 55)
        {
            const int index = pick(-3, 40);
            const float value = oddValue();
            what = "setParameter " + std::to_string(index) + " " + std::to_string(value);
            effect->setParameter(effect, index, value);
        }
        else if (kind < 60)
        {
            const int index = pick(-3, 40);
            what = "getParameter " + std::to_string(index);
            effect->getParameter(effect, index);
        }
        else if (kind < 65)
        {
            const float rate = oddRate();
            what = "effSetSampleRate " + std::to_string(rate);
            effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, rate);
        }
        else
            processRandom(what);
    }

    bool outputFinite = true;

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    bool chance(int percent) { return pick(0, 99) < percent; }

    float oddValue()
    {
        static const float odd[] = {std::numeric_limits<float>::quiet_NaN(),
                                    std::numeric_limits<float>::infinity(),
                                    -std::numeric_limits<float>::infinity(),
                                    std::numeric_limits<float>::max(),
                                    -std::numeric_limits<float>::max(),
                                    std::numeric_limits<float>::denorm_min(),
                                    -1.0f,
                                    1.5f,
                                    1e30f,
                                    0.0f,
                                    1.0f};
        if (chance(30))
            return odd[pick(0, int(std::size(odd)) - 1)];
        return std::uniform_real_distribution<float>(0.0f, 1.0f)(random);
    }

    float oddRate()
    {
        static const float rates[] = {0.0f, -1.0f, 1.0f, 250.0f, 500.0f, 807.0f, 8000.0f, 21000.0f, 22050.0f,
                                      42000.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f, 384000.0f,
                                      std::numeric_limits<float>::quiet_NaN(),
                                      std::numeric_limits<float>::infinity()};
        if (chance(50))
            return rates[pick(0, int(std::size(rates)) - 1)];
        return std::uniform_real_distribution<float>(0.0f, 384000.0f)(random);
    }

    float oddSample()
    {
        const int kind = pick(0, 99);
        if (kind < 90)
            return std::uniform_real_distribution<float>(-1.0f, 1.0f)(random);
        switch (kind)
        {
        case 90: return std::numeric_limits<float>::quiet_NaN();
        case 91: return std::numeric_limits<float>::infinity();
        case 92: return -std::numeric_limits<float>::infinity();
        case 93: return std::numeric_limits<float>::max();
        case 94: return -3.1e38f;
        case 95: return std::numeric_limits<float>::denorm_min();
        case 96: return 1e-40f;
        case 97: return 1e20f;
        default: return 0.0f;
        }
    }

    // A NUL-terminated text of printable characters, or one the plug-in knows.
    void randomText(char* text, int longest)
    {
        static const char* known[] = {"receiveVstEvents", "receiveVstMidiEvent", "sendVstEvents", "bypass", ""};
        if (chance(30))
        {
            std::strcpy(text, known[pick(0, int(std::size(known)) - 1)]);
            return;
        }
        const int n = pick(0, longest);
        for (int i = 0; i < n; ++i)
            text[i] = char(pick(32, 126));
        text[n] = 0;
    }

    void dispatchRandom(std::string& what)
    {
        int opcode = pick(0, 80);
        if (opcode == effClose)
            opcode = effMainsChanged;
        const VstInt32 index = chance(50) ? pick(-2, 60) : pick(-100000, 100000);
        VstIntPtr value = chance(50) ? pick(-2, 2) : pick(-100000, 100000);
        const float opt = chance(50) ? oddValue() : oddRate();
        std::memset(buffer.data(), 0, buffer.size());
        std::memset(second.data(), 0, second.size());
        void* ptr = chance(25) ? nullptr : buffer.data();
        char* text = reinterpret_cast<char*>(buffer.data());
        switch (opcode)
        {
        case effSetProgramName:
        case effString2Parameter:
        case effCanDo:
            if (ptr)
                randomText(text, 60);
            break;
        case effSetChunk:
            value = pick(0, int(buffer.size()));
            break;
        case effOfflineNotify:
        case effOfflinePrepare:
        case effOfflineRun:
            value = pick(0, 4);
            break;
        case effSetSpeakerArrangement:
        case effGetSpeakerArrangement:
            value = chance(25) ? 0 : VstIntPtr(second.data());
            reinterpret_cast<VstInt32*>(second.data())[1] = pick(0, 2);
            if (ptr)
                reinterpret_cast<VstInt32*>(buffer.data())[1] = pick(0, 2);
            break;
        default:
            break;
        }
        what = "dispatcher " + std::to_string(opcode) + " index " + std::to_string(index) + " value " +
               std::to_string(value) + (ptr ? " ptr" : " null") + " opt " + std::to_string(opt);
        effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }

    void processRandom(std::string& what)
    {
        static const int sizes[] = {0, 1, 2, 3, 63, 64, 65, 511, 512, 4096, maxFrames};
        const int frames = chance(50) ? sizes[pick(0, int(std::size(sizes)) - 1)] : pick(0, maxFrames);
        const bool inPlace = chance(30);
        what = "processReplacing " + std::to_string(frames) + (inPlace ? " in place" : "");
        for (int c = 0; c < 2; ++c)
            for (int n = 0; n < frames; ++n)
            {
                input[c][size_t(n)] = oddSample();
                output[c][size_t(n)] = std::numeric_limits<float>::quiet_NaN();
            }
        float* ins[2] = {input[0].data(), input[1].data()};
        float* outs[2] = {output[0].data(), output[1].data()};
        effect->processReplacing(effect, ins, inPlace ? ins : outs, frames);
        float** written = inPlace ? ins : outs;
        for (int c = 0; c < 2; ++c)
            for (int n = 0; n < frames; ++n)
                if (!std::isfinite(written[c][n]))
                    outputFinite = false;
    }

    AEffect* effect;
    std::mt19937 random;
    std::vector<uint8_t> buffer = std::vector<uint8_t>(65536);
    std::vector<uint8_t> second = std::vector<uint8_t>(4096);
    std::vector<float> input[2] = {std::vector<float>(maxFrames), std::vector<float>(maxFrames)};
    std::vector<float> output[2] = {std::vector<float>(maxFrames), std::vector<float>(maxFrames)};
};

TEST(HostCallTorture, RandomCallsNeverCrashAndTheOutputStaysFinite)
{
    qtest::DataFolder data;
    data.writeFlatGateCurves();
    data.writeImpulseListener();
    data.writeWave("Places/Office/Quillatone_uff_1.wav", {0.5f, 0.25f, -0.125f});
    unsetenv("DISPLAY");  // editor calls find no display and open nothing

    const auto seed = uint32_t(envNumber("QUILLATONE_TORTURE_SEED", 1));
    const auto limit = std::chrono::seconds(envNumber("QUILLATONE_TORTURE_SECONDS", 10));
    qtest::Instance fx;
    ASSERT_NE(fx.effect, nullptr);
    Torture torture(fx.effect, seed);
    const auto start = std::chrono::steady_clock::now();
    int done = 0;
    std::string what;
    for (; done < maxOperations && std::chrono::steady_clock::now() - start < limit; ++done)
    {
        torture.step(what);
        ASSERT_TRUE(torture.outputFinite) << "seed " << seed << ", call " << done << ": " << what;
    }
    std::printf("%d calls with seed %u\n", done, unsigned(seed));
    EXPECT_GT(done, 0);
}

} // namespace
