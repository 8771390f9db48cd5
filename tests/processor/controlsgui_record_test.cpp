// What a host sees of the effect: the record, names, texts, programs, the
// built module, and instances side by side.
#include <cstring>

#include "ControlsguiTestSupport.h"
#include "PluginLibrary.h"

namespace
{

TEST(ControlsguiRecord, HostSeesTheRealEffect)
{
    qtest::DataFolder data;
    qtest::Instance fx;
    ASSERT_NE(fx.effect, nullptr);
    const AEffect& e = *fx.effect;
    EXPECT_EQ(e.magic, kEffectMagic);
    EXPECT_EQ(e.numInputs, 2);
    EXPECT_EQ(e.numOutputs, 2);
    EXPECT_EQ(e.numPrograms, 50);
    EXPECT_EQ(e.numParams, 38);
    EXPECT_EQ(e.flags, effFlagsCanReplacing | effFlagsHasEditor);
    EXPECT_EQ(e.uniqueID, ('Q' << 16) | ('L' << 8) | 'T');
    EXPECT_EQ(e.initialDelay, 3);

    char text[256];
    fx.dispatch(effGetEffectName, 0, 0, text);
    EXPECT_STREQ(text, "Quillatone");
    fx.dispatch(effGetProductString, 0, 0, text);
    EXPECT_STREQ(text, "Quillatone");
    fx.dispatch(effGetVendorString, 0, 0, text);
    EXPECT_LT(std::strlen(text), 20u);
    EXPECT_EQ(fx.dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstMidiEvent")), 1);
    EXPECT_EQ(fx.dispatch(effCanDo, 0, 0, const_cast<char*>("sendVstEvents")), -1);
    EXPECT_EQ(fx.dispatch(effGetNumMidiInputChannels), 1);
    EXPECT_EQ(fx.dispatch(effCanBeAutomated, 3), 0);

    const char* names[38] = {"Headphones", "Person", "Studio", "Azimuth", "Elevation", "-", "Gain", "Volume"};
    for (int i = 0; i < 38; ++i)
    {
        fx.dispatch(effGetParamName, i, 0, text);
        EXPECT_STREQ(text, i < 8 ? names[i] : (i == 37 ? "Moveable" : "-")) << i;
        fx.dispatch(effGetParamLabel, i, 0, text);
        EXPECT_STREQ(text, "");
    }
    fx.dispatch(effGetParamDisplay, 0, 0, text);
    EXPECT_STREQ(text, "0.006");
    fx.dispatch(effGetParamDisplay, 4, 0, text);
    EXPECT_STREQ(text, "0.550");

    // After construction: MIX with Moveable 0.1, the left-to-right path.
    const auto routing = fx.object().getRouting();
    EXPECT_TRUE(routing.hrirPathOn && routing.curveFlagA && routing.curveFlagB && routing.studioConvolverOn);
    EXPECT_FALSE(routing.placeConvolverOn);
    // The data tree was made under the test's root.
    for (const char* folder : {"bin", "cache", "Quillatone/bin", "Quillatone/cache", "Quillatone/preset"})
        EXPECT_TRUE(std::filesystem::is_directory(data.root + "/Harlox/" + folder)) << folder;
}

TEST(ControlsguiRecord, ValuesOutsideTheRangeAreStoredButNeverIndexOutside)
{
    qtest::DataFolder data;
    qtest::Instance fx;
    char text[64];
    std::memset(text, 'x', sizeof text);
    fx.set(40, 0.7f);  // ignored
    EXPECT_EQ(fx.get(40), 0.0f);
    EXPECT_EQ(fx.get(-1), 0.0f);
    fx.dispatch(effGetParamDisplay, 40, 0, text);
    EXPECT_STREQ(text, "");

    for (float v : {NAN, -3.0f, 7.5f, 1e30f, -INFINITY})
        for (int i : {0, 1, 2, 3, 4, 15, 16, 17, 18, 21, 22, 23, 25, 37})
            fx.set(i, v);
    EXPECT_EQ(fx.get(0), -INFINITY);  // stored as given
    fx.set(7, 1e30f);
    EXPECT_EQ(fx.get(7), 1e30f);
    std::memset(text, 'x', sizeof text);
    fx.dispatch(effGetParamDisplay, 7, 0, text);
    EXPECT_LE(std::strlen(text), 8u);

    // The chain still renders finite samples with every selector out of range.
    std::vector<float> outL, outR;
    fx.run(qtest::sine(2048, 1000, 0.5), qtest::sine(2048, 700, 0.5), outL, outR, 256);
    for (size_t n = 0; n < outL.size(); ++n)
        ASSERT_TRUE(std::isfinite(outL[n]) && std::isfinite(outR[n])) << n;

    // An undecodable mode gives a 0 dB trim, not +15 dB.
    fx.set(15, NAN);
    EXPECT_FLOAT_EQ(fx.object().getTrimGain(), 1.0f);
}

TEST(ControlsguiRecord, ProgramsCarryValuesAndNames)
{
    qtest::DataFolder data;
    qtest::Instance fx;
    char text[64];
    fx.dispatch(effGetProgramNameIndexed, 4, 0, text);
    EXPECT_STREQ(text, "Default");
    EXPECT_EQ(fx.dispatch(effGetProgramNameIndexed, 50, 0, text), 0);

    fx.dispatch(effSetProgram, 0, 4);
    fx.dispatch(effSetProgramName, 0, 0, const_cast<char*>("Init"));
    fx.dispatch(effGetProgramNameIndexed, 4, 0, text);
    EXPECT_STREQ(text, "Init 5");
    fx.dispatch(effSetProgramName, 0, 0, const_cast<char*>("A name far longer than twenty-four characters"));
    fx.dispatch(effGetProgramName, 0, 0, text);
    EXPECT_EQ(std::strlen(text), 23u);

    // A value set in program 4 stays with it; program 0 brings its own back.
    fx.set(28 + 3 * 0 + 0, 0.8f);
    EXPECT_NE(fx.object().getTrimGain(), 1.0f);
    fx.dispatch(effSetProgram, 0, 0);
    EXPECT_FLOAT_EQ(fx.get(28), 0.5f);
    EXPECT_FLOAT_EQ(fx.object().getTrimGain(), 1.0f);
    fx.dispatch(effSetProgram, 0, 4);
    EXPECT_FLOAT_EQ(fx.get(28), 0.8f);
    EXPECT_EQ(fx.dispatch(effGetProgram), 4);

    // A trim of 0.5 is exactly 1; 28 + 3 mode + variant picks the trim.
    fx.set(28, 0.5f);
    EXPECT_EQ(fx.object().getTrimGain(), 1.0f);
    fx.set(15, 1.0f);  // PLACES, variant 0
    fx.set(34, 1.0f);
    EXPECT_NEAR(fx.object().getTrimGain(), std::pow(10.0f, 0.75f), 1e-5f);
}

TEST(ControlsguiRecord, BuiltModuleExportsTheEntryAndCreatesIndependentInstances)
{
    qtest::DataFolder data;
    testhost::PluginLibrary module(QUILLATONE_MODULE_PATH);
    ASSERT_TRUE(module.loaded()) << module.error();
    testhost::TestHost hostA, hostB;
    AEffect* a = hostA.createEffect(module.entry());
    AEffect* b = hostB.createEffect(module.entry());
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    EXPECT_EQ(a->uniqueID, ('Q' << 16) | ('L' << 8) | 'T');
    a->setParameter(a, 3, 0.25f);
    EXPECT_FLOAT_EQ(a->getParameter(a, 3), 0.25f);
    EXPECT_FLOAT_EQ(b->getParameter(b, 3), 0.5f);
    EXPECT_EQ(a->dispatcher(a, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(b->dispatcher(b, effClose, 0, 0, nullptr, 0.0f), 1);
}

TEST(ControlsguiRecord, NoHostCallbackStillGivesAWorkingObject)
{
    qtest::DataFolder data;
    std::unique_ptr<Controlsgui> fx(new Controlsgui(nullptr));
    EXPECT_EQ(fx->getAeffect()->numInputs, 1);
    EXPECT_EQ(fx->getAeffect()->uniqueID, kDefaultUniqueId);
    float in[64] = {}, out[2][64];
    float* ins[2] = {in, in};
    float* outs[2] = {out[0], out[1]};
    fx->processReplacing(ins, outs, 64);
    EXPECT_EQ(out[0][0], 0.0f);
    fx->setSampleRate(NAN);
    fx->setSampleRate(-48000.0f);
    EXPECT_EQ(fx->getInternalRate(), 48000.0f);
}

} // namespace
