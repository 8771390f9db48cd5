// The parameter table and the program operations, value by value: defaults
// of all 38 in every program, the trim picked by mode and variant, the mode
// thresholds and the operations no host calls.
#include <cstring>

#include "ControlsguiTestSupport.h"

namespace
{

using qtest::DataFolder;
using qtest::Instance;

const float expectedDefaults[38] = {
    0.006f, 0.0f, 0.0f,  0.5f,  0.55f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.75f, 0.5f, 0.75f,
    0.5f,   0.75f, 0.0f, 0.0f, 0.0f,  0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,  0.0f, 0.0f,
    0.0f,   0.0f, 0.5f,  0.5f, 0.5f,  0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f,  0.1f,
};

TEST(ReviewParameters, EveryProgramStartsWithTheDefaultsOfTheTable)
{
    DataFolder data;
    Instance fx;
    for (int p : {0, 17, 49})
    {
        fx.dispatch(effSetProgram, 0, p);
        char name[32];
        fx.dispatch(effGetProgramName, 0, 0, name);
        EXPECT_STREQ(name, "Default");
        for (int i = 0; i < 38; ++i)
        {
            EXPECT_EQ(fx.get(i), expectedDefaults[i]) << "program " << p << " parameter " << i;
            EXPECT_EQ(*fx.object().getParameterPointer(i), expectedDefaults[i]);
        }
    }
    EXPECT_EQ(fx.object().getParameterPointer(38), nullptr);
    EXPECT_EQ(fx.object().getParameterPointer(-1), nullptr);
}

TEST(ReviewParameters, TrimFollowsModeAndVariant)
{
    DataFolder data;
    Instance fx;
    // Trim 28 + 3 mode + variant gets its own value: 0.1, 0.2, ... 0.9.
    for (int k = 0; k < 9; ++k)
        fx.set(28 + k, 0.1f * float(k + 1));
    for (int mode = 0; mode < 3; ++mode)
        for (int variant = 0; variant < 3; ++variant)
        {
            fx.set(16 + mode, 0.5f * float(variant));
            fx.set(15, 0.5f * float(mode));
            const float t = 0.1f * float(3 * mode + variant + 1);
            EXPECT_FLOAT_EQ(fx.object().getTrimGain(), std::pow(10.0f, (30.0f * t - 15.0f) * 0.05f))
                << "mode " << mode << " variant " << variant;
        }

    // A mode or variant that decodes outside 0..2 gives 0 dB, not +15 dB,
    // however far outside it lies.
    for (float bad : {1.6f, -0.6f, 1e30f, -1e30f, INFINITY, -INFINITY, NAN})
    {
        fx.set(15, 0.0f);
        fx.set(16, bad);
        EXPECT_EQ(fx.object().getTrimGain(), 1.0f) << "variant " << bad;
        fx.set(16, 0.0f);
        fx.set(15, bad);
        EXPECT_EQ(fx.object().getTrimGain(), 1.0f) << "mode " << bad;
    }
}

TEST(ReviewParameters, ModeThresholdsAndIndicesWithoutAction)
{
    DataFolder data;
    Instance fx;
    fx.set(15, 0.999f);
    auto r = fx.object().getRouting();
    EXPECT_TRUE(!r.hrirPathOn && r.curveFlagA && !r.placeConvolverOn);  // HEADPHONES
    fx.set(15, 1.0f);
    r = fx.object().getRouting();
    EXPECT_TRUE(r.hrirPathOn && r.placeConvolverOn);  // PLACES
    fx.set(15, 0.4999f);
    r = fx.object().getRouting();
    EXPECT_TRUE(r.hrirPathOn && r.studioConvolverOn && !r.placeConvolverOn);  // MIX

    // Stored only: the value lands in the live array and the current program,
    // and nothing the chain reads changes.
    fx.dispatch(effSetProgram, 0, 3);
    const float trim = fx.object().getTrimGain();
    for (int i : {5, 7, 8, 9, 11, 13, 19, 20, 24, 26, 27})
    {
        fx.set(i, 0.9f);
        EXPECT_EQ(fx.get(i), 0.9f) << i;
        EXPECT_EQ(fx.object().getTrimGain(), trim) << i;
        r = fx.object().getRouting();
        EXPECT_TRUE(r.hrirPathOn && r.studioConvolverOn && !r.placeConvolverOn) << i;
    }
    fx.dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(fx.get(5), 0.5f);
    fx.dispatch(effSetProgram, 0, 3);
    EXPECT_EQ(fx.get(5), 0.9f);
}

TEST(ReviewParameters, ProgramOperationsWithoutAHostCaller)
{
    DataFolder data;
    Instance fx;
    Controlsgui& c = fx.object();

    // copyProgram: the whole current record, name included.
    fx.set(3, 0.25f);
    fx.dispatch(effSetProgramName, 0, 0, const_cast<char*>("Copied"));
    EXPECT_TRUE(c.copyProgram(7));
    EXPECT_FALSE(c.copyProgram(50));
    c.applyProgram(7);
    EXPECT_EQ(fx.dispatch(effGetProgram), 7);
    EXPECT_EQ(fx.get(3), 0.25f);
    char name[32];
    fx.dispatch(effGetProgramName, 0, 0, name);
    EXPECT_STREQ(name, "Copied");

    // volumeFromTrim and trimFromVolume move values between parameter 7 and
    // the active trim (HEADPHONES variant 1: index 28 + 3 + 1).
    fx.set(15, 0.5f);
    fx.set(17, 0.5f);
    fx.set(32, 0.8f);
    c.volumeFromTrim();
    EXPECT_EQ(fx.get(7), 0.8f);
    fx.set(7, 0.3f);
    c.trimFromVolume();
    EXPECT_EQ(fx.get(32), 0.3f);
    EXPECT_FLOAT_EQ(c.getTrimGain(), std::pow(10.0f, (30.0f * 0.3f - 15.0f) * 0.05f));
    fx.set(17, 1e30f);  // variant undecodable: both do nothing
    c.volumeFromTrim();
    EXPECT_EQ(fx.get(7), 0.3f);
}

} // namespace
