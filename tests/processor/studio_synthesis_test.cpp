#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "ModelTables.h"
#include "StudioSynthesis.h"

using namespace studio;

namespace
{

// The seven studios of the model table.
struct StudioShapes
{
    StudioShapes()
    {
        for (int s = 0; s < datafiles::studioCount; ++s)
            shapes[s] = {datafiles::studioTable[s].decay, datafiles::studioTable[s].damping,
                         datafiles::studioTable[s].lateDamping};
    }
    const StudioShape& operator[](int s) const { return shapes[s]; }
    StudioShape shapes[datafiles::studioCount];
};
const StudioShapes studios;

struct Tables
{
    HrirTable left;
    HrirTable right;
};

struct Output
{
    std::vector<float> left = std::vector<float>(192000, 9.0f);
    std::vector<float> right = std::vector<float>(192000, 9.0f);
    PanelArrays panel = {};
};

std::unique_ptr<Tables> zeroTables() { return std::make_unique<Tables>(); }

// Every source row a unit impulse at tap 0, so each response is the sum of
// the six filtered noises.
std::unique_ptr<Tables> impulseTables()
{
    auto t = std::make_unique<Tables>();
    for (const SourceRow& s : sourceRows)
    {
        t->left[s.block][s.row][0] = 1.0f;
        t->right[s.block][s.row][0] = 1.0f;
    }
    return t;
}

// Distinct pseudo-random rows everywhere, different per ear.
std::unique_ptr<Tables> randomTables()
{
    auto t = std::make_unique<Tables>();
    NoiseGenerator g(99);
    for (int b = 0; b < hrirBlocks; ++b)
        for (int r = 0; r < hrirRows; ++r)
            for (int j = 0; j < hrirRowStride; ++j)
            {
                t->left[b][r][j] = g.uniform() - 0.5f;
                t->right[b][r][j] = g.uniform() - 0.5f;
            }
    return t;
}

void synthesise(const StudioShape& shape, float fs, const Tables& t, uint64_t seed, Output& out)
{
    NoiseGenerator noise(seed);
    auto state = std::make_unique<SynthesisState>();
    ASSERT_TRUE(synthesiseStudioResponses(shape, fs, t.left, t.right, noise, *state, out.left.data(),
                                          out.right.data(), out.left.size(), out.panel));
}

// The synthesis as plainly written: shifting delay lines, one per source and ear.
void referenceSynthesis(const StudioShape& shape, float fs, const Tables& t, uint64_t seed, std::vector<float>& left,
                        std::vector<float>& right)
{
    NoiseGenerator noise(seed);
    const StudioFilterPlan plan = planStudioFilter(shape, fs);
    std::vector<std::vector<float>> lineL(6, std::vector<float>(hrirTaps)), lineR = lineL;
    float state[6] = {};
    float g = 1.0f;
    left.assign(responseLength, 0.0f);
    right.assign(responseLength, 0.0f);
    for (size_t i = 0; i < responseLength; ++i)
    {
        const float tt = static_cast<float>(i) * 2.2676251e-5f;
        const float c = tt * tt * tt * (plan.c2 - plan.c1) + plan.c1;
        for (int k = 0; k < 6; ++k)
        {
            const float u1 = noise.uniform();
            const float u2 = noise.uniform();
            const float n = u2 > 0.02f ? g * 0.5f * (u1 - 0.5f) : 0.0f;
            state[k] = state[k] * c + n * (1.0f - c);
            for (int j = hrirTaps - 1; j > 0; --j)
            {
                lineL[k][j] = lineL[k][j - 1];
                lineR[k][j] = lineR[k][j - 1];
            }
            lineL[k][0] = lineR[k][0] = state[k];
            const float* rl = t.left[sourceRows[k].block][sourceRows[k].row];
            const float* rr = t.right[sourceRows[k].block][sourceRows[k].row];
            double yl = 0.0, yr = 0.0;
            for (int j = 0; j < hrirTaps; ++j)
            {
                yl += lineL[k][j] * rl[j];
                yr += lineR[k][j] * rr[j];
            }
            left[i] += static_cast<float>(yl);
            right[i] += static_cast<float>(yr);
        }
        g *= plan.step;
    }
}

TEST(StudioFilterPlan, CoefficientsFollowTheTableAndRate)
{
    const StudioFilterPlan p0 = planStudioFilter(studios[0], 48000.0f);
    EXPECT_NEAR(p0.c1, 0.45f * 0.2f + 0.5f, 1e-6f);
    EXPECT_NEAR(p0.c2, 0.45f * 0.5f + 0.5f, 1e-6f);
    EXPECT_NEAR(std::pow(static_cast<double>(p0.step), 44100.0), 1.0 / 100.0, 1e-4);
    EXPECT_NEAR(std::pow(static_cast<double>(planStudioFilter(studios[2], 48000.0f).step), 44100.0), 1.0 / 200.0, 1e-4);
    EXPECT_NEAR(std::pow(static_cast<double>(planStudioFilter(studios[4], 48000.0f).step), 44100.0), 1.0 / 400.0, 1e-4);

    // 96 kHz halves r: the coefficients move toward 1.
    const StudioFilterPlan p96 = planStudioFilter(studios[0], 96000.0f);
    EXPECT_NEAR(p96.c1, std::sqrt(0.59f), 1e-6f);
    EXPECT_GT(p96.c2, p0.c2);

    // The anechoic chamber keeps one low-pass throughout and adds nothing to the mix.
    const StudioFilterPlan p6 = planStudioFilter(studios[6], 48000.0f);
    EXPECT_EQ(p6.c1, p6.c2);
    EXPECT_NEAR(p6.c1, 0.5f, 1e-6f);
    EXPECT_EQ(datafiles::studioTable[6].gain, 0.0f);

    // A rate that is not a positive number counts as 48 kHz.
    for (float bad : {0.0f, -44100.0f, std::nanf(""), INFINITY})
    {
        const StudioFilterPlan p = planStudioFilter(studios[0], bad);
        EXPECT_EQ(p.c1, p0.c1);
        EXPECT_EQ(p.c2, p0.c2);
    }
    EXPECT_EQ(planStudioFilter({0.0f, 0.8f, 0.5f}, 48000.0f).step, 1.0f);
}

TEST(StudioSynthesis, MatchesThePlainAlgorithm)
{
    const auto tables = randomTables();
    for (int s : {1, 4})
    {
        Output out;
        synthesise(studios[s], 44100.0f, *tables, 5, out);
        std::vector<float> refL, refR;
        referenceSynthesis(studios[s], 44100.0f, *tables, 5, refL, refR);
        double peak = 0.0;
        for (float v : refL)
            peak = std::max(peak, std::fabs(static_cast<double>(v)));
        ASSERT_GT(peak, 0.0);
        for (size_t i = 0; i < responseLength; ++i)
        {
            ASSERT_NEAR(out.left[i], refL[i], 1e-4 * peak) << "studio " << s << " sample " << i;
            ASSERT_NEAR(out.right[i], refR[i], 1e-4 * peak) << "studio " << s << " sample " << i;
        }
        for (size_t i = responseLength; i < out.left.size(); ++i)
            ASSERT_TRUE(out.left[i] == 0.0f && out.right[i] == 0.0f);
    }
}

TEST(StudioSynthesis, DeterministicForAFixedSeed)
{
    const auto tables = impulseTables();
    Output a, b, c;
    synthesise(studios[0], 48000.0f, *tables, 1234, a);
    synthesise(studios[0], 48000.0f, *tables, 1234, b);
    synthesise(studios[0], 48000.0f, *tables, 1235, c);
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.right, b.right);
    EXPECT_EQ(0, std::memcmp(a.panel, b.panel, sizeof a.panel));
    EXPECT_NE(a.left, c.left);

    // One generator carries on: a second synthesis gives new noise.
    NoiseGenerator noise(1234);
    auto state = std::make_unique<SynthesisState>();
    Output first, second;
    synthesiseStudioResponses(studios[0], 48000.0f, tables->left, tables->right, noise, *state, first.left.data(),
                              first.right.data(), first.left.size(), first.panel);
    synthesiseStudioResponses(studios[0], 48000.0f, tables->left, tables->right, noise, *state, second.left.data(),
                              second.right.data(), second.left.size(), second.panel);
    EXPECT_EQ(first.left, a.left);
    EXPECT_NE(second.left, a.left);
}

// With unit-impulse rows each response is the sum of six independent
// one-pole low-passed noises whose input level falls as decay^(-i/44100):
// the expected variance follows v = c^2 v + (1 - c)^2 g^2 * 0.98 * 0.25 / 12.
TEST(StudioSynthesis, DecayEnvelopesFollowTheStudioTable)
{
    const auto tables = impulseTables();
    constexpr size_t window = 5000;
    for (int s = 0; s < 7; ++s)
    {
        Output out;
        synthesise(studios[s], 48000.0f, *tables, 77 + s, out);
        const StudioFilterPlan plan = planStudioFilter(studios[s], 48000.0f);
        std::vector<double> variance(responseLength);
        double v = 0.0;
        for (size_t i = 0; i < responseLength; ++i)
        {
            const double t = static_cast<double>(i) / 44099.0;
            const double c = t * t * t * (plan.c2 - plan.c1) + plan.c1;
            const double g = std::pow(static_cast<double>(studios[s].decay), -static_cast<double>(i) / 44100.0);
            v = c * c * v + (1.0 - c) * (1.0 - c) * g * g * 0.98 * 0.25 / 12.0;
            variance[i] = 6.0 * v;
        }
        for (size_t start : {size_t{0}, size_t{13000}, size_t{26000}, size_t{39000}})
        {
            double energy = 0.0, predicted = 0.0;
            for (size_t i = start; i < start + window; ++i)
            {
                predicted += variance[i];
                energy += static_cast<double>(out.left[i]) * out.left[i];
            }
            EXPECT_NEAR(std::sqrt(energy / predicted), 1.0, 0.15) << "studio " << s << " window " << start;
        }
        EXPECT_EQ(out.left, out.right);  // identical rows give identical ears
    }
}

TEST(StudioSynthesis, SilentListenerGivesSilenceAndFloorPanel)
{
    const auto tables = zeroTables();
    Output out;
    synthesise(studios[3], 48000.0f, *tables, 1, out);
    for (size_t i = 0; i < out.left.size(); ++i)
        ASSERT_TRUE(out.left[i] == 0.0f && out.right[i] == 0.0f) << i;
    for (const auto& row : out.panel)
        for (float v : row)
            ASSERT_EQ(v, 0.0f);
}

TEST(StudioSynthesis, TooSmallBuffersAreRefused)
{
    const auto tables = impulseTables();
    Output out;
    NoiseGenerator noise;
    auto state = std::make_unique<SynthesisState>();
    EXPECT_FALSE(synthesiseStudioResponses(studios[0], 48000.0f, tables->left, tables->right, noise, *state,
                                           out.left.data(), out.right.data(), responseLength - 1, out.panel));
    EXPECT_EQ(out.left[0], 9.0f);
    EXPECT_FALSE(synthesiseStudioResponses(studios[0], 48000.0f, tables->left, tables->right, noise, *state, nullptr,
                                           out.right.data(), out.left.size(), out.panel));
    EXPECT_TRUE(synthesiseStudioResponses(studios[0], 48000.0f, tables->left, tables->right, noise, *state,
                                          out.left.data(), out.right.data(), responseLength, out.panel));
    EXPECT_EQ(out.left[responseLength], 9.0f);  // nothing past the capacity given
}

TEST(StudioPanel, ValuesInRange)
{
    const auto tables = randomTables();
    for (int s = 0; s < 7; ++s)
    {
        Output out;
        synthesise(studios[s], 48000.0f, *tables, 3, out);
        for (int f = 0; f < panelFrames; ++f)
            for (int b = 0; b < panelBins; ++b)
            {
                ASSERT_TRUE(std::isfinite(out.panel[f][b]));
                ASSERT_GE(out.panel[f][b], 0.0f);
                ASSERT_LE(out.panel[f][b], 1.5f);
            }
        // The tail lies lower than the start.
        double early = 0.0, late = 0.0;
        for (int b = 0; b < panelBins; ++b)
        {
            early += out.panel[0][b];
            late += out.panel[9][b];
        }
        EXPECT_LT(late, early) << s;
    }
}

TEST(StudioPanel, FramesAndScale)
{
    std::vector<float> response(responseLength, 0.0f);
    // Frame 0: a cosine on bin 16 of amplitude 1/sqrt(128) reads 0 dB there.
    for (int j = 0; j < panelFftSize; ++j)
        response[j] = std::cos(2.0f * static_cast<float>(M_PI) * 16.0f * j / panelFftSize) / std::sqrt(128.0f);
    // Frame 9 starts at 43,200: a unit impulse has |X| = 1 in every bin.
    response[43200] = 1.0f;
    // Samples between frames are never looked at.
    response[300] = 100.0f;
    response[43456] = 100.0f;
    PanelArrays panel = {};
    computePanelArrays(response.data(), panel);
    EXPECT_NEAR(panel[0][16], 1.0f, 1e-4f);
    EXPECT_EQ(panel[0][15], 0.0f);
    EXPECT_EQ(panel[0][17], 0.0f);
    const float impulseLevel = (20.0f * std::log10(0.088388346f) + 60.0f) / 60.0f;
    for (int b = 0; b < panelBins; ++b)
    {
        EXPECT_NEAR(panel[9][b], impulseLevel, 1e-5f);
        for (int f = 1; f < 9; ++f)
            ASSERT_EQ(panel[f][b], 0.0f);
    }
}

} // namespace
