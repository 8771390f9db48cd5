#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "TestSignals.h"
#include "TwoStageConvolver.h"

using convolution::TwoStageConvolver;
using testsignals::Feed;

namespace {

// The processor's setting: a 44,100-sample response, head 64, tail 4096, and
// more than four tail blocks of input so that every stage contributes.
class TwoStageLongResponse : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        response = new std::vector<float>(testsignals::RandomSignal(44100, 31));
        input = new std::vector<float>(testsignals::RandomSignal(4 * 4096 + 1500, 32));
        reference = new std::vector<double>(testsignals::DirectConvolution(*input, *response));
    }
    static void TearDownTestSuite()
    {
        delete response;
        delete input;
        delete reference;
    }
    static std::vector<float>* response;
    static std::vector<float>* input;
    static std::vector<double>* reference;
};
std::vector<float>* TwoStageLongResponse::response = nullptr;
std::vector<float>* TwoStageLongResponse::input = nullptr;
std::vector<double>* TwoStageLongResponse::reference = nullptr;

TEST_F(TwoStageLongResponse, MatchesDirectConvolutionForAnyCallLengths)
{
    const std::vector<std::vector<size_t>> patterns = {{1}, {7}, {64}, {4096}, {5000}, {0}, {100, 1, 63, 4000}};
    for (const auto& pattern : patterns) {
        TwoStageConvolver conv;
        ASSERT_TRUE(conv.init(64, 4096, response->data(), response->size()));
        EXPECT_EQ(conv.headSegmentCount(), 64u);
        EXPECT_EQ(conv.tail0SegmentCount(), 64u);
        EXPECT_EQ(conv.tailSegmentCount(), 9u);
        const auto d = testsignals::Compare(Feed(conv, *input, pattern, 77), *reference);
        EXPECT_LE(d.worst, 1e-6 * d.peak) << "first call length " << pattern[0];
    }
}

TEST_F(TwoStageLongResponse, InPlaceEqualsSeparateArrays)
{
    for (size_t len : {1u, 7u, 64u, 5000u}) {
        TwoStageConvolver a, b;
        ASSERT_TRUE(a.init(64, 4096, response->data(), response->size()));
        ASSERT_TRUE(b.init(64, 4096, response->data(), response->size()));
        const auto separate = Feed(a, *input, {len});
        std::vector<float> inPlace = *input;
        for (size_t done = 0; done < inPlace.size();) {
            const size_t n = std::min(len, inPlace.size() - done);
            b.process(inPlace.data() + done, inPlace.data() + done, n);
            done += n;
        }
        EXPECT_EQ(inPlace, separate) << "call length " << len;
    }
}

TEST(TwoStageConvolver, ImpulseResponseIsTheTrimmedResponse)
{
    // Small blocks keep the test quick while every stage takes part.
    auto h = testsignals::RandomSignal(700, 41);
    std::fill(h.begin() + 650, h.end(), 5e-7f);
    std::vector<float> impulse(1200, 0.0f);
    impulse[0] = 1.0f;
    for (const std::vector<size_t>& pattern : {std::vector<size_t>{1}, {13}, {0}}) {
        TwoStageConvolver conv;
        ASSERT_TRUE(conv.init(8, 64, h.data(), h.size()));
        const auto y = Feed(conv, impulse, pattern);
        for (size_t i = 0; i < y.size(); ++i)
            ASSERT_NEAR(y[i], i < 650 ? h[i] : 0.0f, 1e-6) << i;
    }
}

TEST(TwoStageConvolver, BlockSizesAndStages)
{
    const auto h = testsignals::RandomSignal(20000, 5);
    TwoStageConvolver conv;
    EXPECT_FALSE(conv.init(0, 4096, h.data(), h.size()));
    EXPECT_FALSE(conv.init(64, 0, h.data(), h.size()));

    ASSERT_TRUE(conv.init(8192, 4096, h.data(), h.size()));
    EXPECT_EQ(conv.headBlockSize(), 4096u);
    EXPECT_EQ(conv.tailBlockSize(), 8192u);

    ASSERT_TRUE(conv.init(50, 3000, h.data(), h.size()));
    EXPECT_EQ(conv.headBlockSize(), 64u);
    EXPECT_EQ(conv.tailBlockSize(), 4096u);

    // Near-zero from 5000 on: head and tail0 only.
    auto shortened = h;
    std::fill(shortened.begin() + 5000, shortened.end(), 1e-7f);
    ASSERT_TRUE(conv.init(64, 4096, shortened.data(), shortened.size()));
    EXPECT_EQ(conv.headSegmentCount(), 64u);
    EXPECT_EQ(conv.tail0SegmentCount(), 15u);
    EXPECT_EQ(conv.tailSegmentCount(), 0u);

    // At most one tail block: the head alone.
    ASSERT_TRUE(conv.init(64, 4096, h.data(), 4096));
    EXPECT_EQ(conv.headSegmentCount(), 64u);
    EXPECT_EQ(conv.tail0SegmentCount(), 0u);
    EXPECT_EQ(conv.tailSegmentCount(), 0u);
}

TEST(TwoStageConvolver, ShortResponseEqualsHeadAlone)
{
    const auto h = testsignals::RandomSignal(300, 6);
    const auto x = testsignals::RandomSignal(3000, 7);
    TwoStageConvolver two;
    convolution::PartitionedConvolver head;
    ASSERT_TRUE(two.init(16, 512, h.data(), h.size()));
    ASSERT_TRUE(head.init(16, h.data(), h.size()));
    EXPECT_EQ(Feed(two, x, {0}, 3), Feed(head, x, {0}, 3));
}

TEST(TwoStageConvolver, SilentStates)
{
    const auto h = testsignals::RandomSignal(3000, 8);
    const auto x = testsignals::RandomSignal(1000, 9);
    const std::vector<float> zeros(x.size(), 0.0f);
    TwoStageConvolver conv;
    EXPECT_EQ(Feed(conv, x, {1}), zeros); // never initialised

    EXPECT_FALSE(conv.init(0, 64, h.data(), h.size()));
    EXPECT_EQ(Feed(conv, x, {3}), zeros);

    const std::vector<float> tiny(500, 1e-7f);
    EXPECT_TRUE(conv.init(8, 64, tiny.data(), tiny.size()));
    EXPECT_EQ(Feed(conv, x, {3}), zeros);
    EXPECT_TRUE(conv.init(8, 64, h.data(), 0));
    EXPECT_EQ(Feed(conv, x, {3}), zeros);

    ASSERT_TRUE(conv.init(8, 64, h.data(), h.size()));
    Feed(conv, x, {5});
    conv.reset();
    EXPECT_EQ(conv.headBlockSize(), 0u);
    EXPECT_EQ(Feed(conv, x, {5}), zeros);

    EXPECT_FALSE(conv.init(size_t(1) << 62, size_t(1) << 62, h.data(), h.size()));
    EXPECT_EQ(Feed(conv, x, {64}), zeros);
}

TEST(TwoStageConvolver, ZeroLengthCallChangesNothing)
{
    const auto h = testsignals::RandomSignal(1000, 10);
    const auto x = testsignals::RandomSignal(2000, 11);
    TwoStageConvolver a, b;
    ASSERT_TRUE(a.init(8, 64, h.data(), h.size()));
    ASSERT_TRUE(b.init(8, 64, h.data(), h.size()));
    std::vector<float> ya(x.size()), yb(x.size());
    float untouched = 3.0f;
    for (size_t i = 0; i < x.size(); ++i) {
        a.process(&x[i], &ya[i], 1);
        b.process(&x[i], &untouched, 0);
        b.process(&x[i], &yb[i], 1);
    }
    EXPECT_EQ(untouched, 3.0f);
    EXPECT_EQ(ya, yb);
}

} // namespace
