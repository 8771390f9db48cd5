#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "PartitionedConvolver.h"
#include "TestSignals.h"

using convolution::PartitionedConvolver;
using testsignals::Feed;

namespace {

const std::vector<std::vector<size_t>> kCallPatterns = {{1}, {7}, {64}, {4096}, {5000}, {0}, {3, 64, 1, 200, 61}};

TEST(PartitionedConvolver, MatchesDirectConvolutionForAnyCallLengths)
{
    const auto h = testsignals::RandomSignal(3000, 21);
    const auto x = testsignals::RandomSignal(9000, 22);
    const auto ref = testsignals::DirectConvolution(x, h);
    for (const auto& pattern : kCallPatterns) {
        PartitionedConvolver conv;
        ASSERT_TRUE(conv.init(64, h.data(), h.size()));
        EXPECT_EQ(conv.segmentCount(), 47u);
        const auto d = testsignals::Compare(Feed(conv, x, pattern), ref);
        EXPECT_LE(d.worst, 1e-6 * d.peak) << "first call length " << pattern[0];
    }
}

TEST(PartitionedConvolver, ImpulseAndDelay)
{
    const auto x = testsignals::RandomSignal(300, 5);
    const float one[1] = {1.0f};
    PartitionedConvolver conv;
    ASSERT_TRUE(conv.init(64, one, 1));
    for (size_t i = 0; i < x.size(); ++i) {
        float y = 0;
        conv.process(&x[i], &y, 1);
        ASSERT_NEAR(y, x[i], 1e-6) << i;
    }

    const float delay[2] = {0.0f, 1.0f};
    ASSERT_TRUE(conv.init(64, delay, 2));
    const auto y = Feed(conv, x, {1});
    EXPECT_NEAR(y[0], 0.0f, 1e-7);
    for (size_t i = 1; i < x.size(); ++i)
        ASSERT_NEAR(y[i], x[i - 1], 1e-6) << i;
}

TEST(PartitionedConvolver, InPlaceEqualsSeparateArrays)
{
    const auto h = testsignals::RandomSignal(500, 8);
    const auto x = testsignals::RandomSignal(2000, 9);
    PartitionedConvolver a, b;
    ASSERT_TRUE(a.init(32, h.data(), h.size()));
    ASSERT_TRUE(b.init(32, h.data(), h.size()));
    const auto separate = Feed(a, x, {5, 40, 1});
    std::vector<float> inPlace = x;
    for (size_t done = 0, turn = 0; done < x.size(); ++turn) {
        const size_t lengths[3] = {5, 40, 1};
        const size_t n = std::min(lengths[turn % 3], x.size() - done);
        b.process(inPlace.data() + done, inPlace.data() + done, n);
        done += n;
    }
    EXPECT_EQ(inPlace, separate);
}

TEST(PartitionedConvolver, TrimsRoundsAndRefuses)
{
    std::vector<float> h(100, 0.5f);
    std::fill(h.begin() + 60, h.end(), 1e-7f);
    PartitionedConvolver conv;
    ASSERT_TRUE(conv.init(64, h.data(), h.size()));
    EXPECT_EQ(conv.segmentCount(), 1u);
    EXPECT_EQ(conv.blockSize(), 64u);

    ASSERT_TRUE(conv.init(100, h.data(), h.size()));
    EXPECT_EQ(conv.blockSize(), 128u);

    // Silent states: empty response, all near zero, zero block size, reset.
    const auto x = testsignals::RandomSignal(200, 4);
    const std::vector<float> zeros(x.size(), 0.0f);
    const std::vector<float> tiny(50, -9e-7f);
    EXPECT_TRUE(conv.init(64, tiny.data(), tiny.size()));
    EXPECT_EQ(Feed(conv, x, {7}), zeros);
    EXPECT_TRUE(conv.init(64, h.data(), 0));
    EXPECT_EQ(Feed(conv, x, {7}), zeros);
    EXPECT_TRUE(conv.init(64, nullptr, 10));
    EXPECT_EQ(Feed(conv, x, {7}), zeros);
    EXPECT_FALSE(conv.init(0, h.data(), h.size()));
    EXPECT_EQ(Feed(conv, x, {7}), zeros);
    ASSERT_TRUE(conv.init(64, h.data(), h.size()));
    conv.reset();
    EXPECT_EQ(conv.segmentCount(), 0u);
    EXPECT_EQ(Feed(conv, x, {7}), zeros);

    // len 0 writes nothing.
    ASSERT_TRUE(conv.init(64, h.data(), h.size()));
    float untouched = 5.0f;
    conv.process(x.data(), &untouched, 0);
    EXPECT_EQ(untouched, 5.0f);
}

TEST(PartitionedConvolver, AllocationFailureLeavesItSilent)
{
    const auto h = testsignals::RandomSignal(10, 3);
    const auto x = testsignals::RandomSignal(100, 4);
    PartitionedConvolver conv;
    EXPECT_FALSE(conv.init(size_t(1) << 62, h.data(), h.size()));
    EXPECT_FALSE(conv.init(SIZE_MAX, h.data(), h.size()));
    EXPECT_EQ(conv.segmentCount(), 0u);
    EXPECT_EQ(Feed(conv, x, {64}), std::vector<float>(x.size(), 0.0f));
}

TEST(PartitionedConvolver, PartitionCountIsAnIntegerCeiling)
{
    using convolution::PartitionCount;
    EXPECT_EQ(PartitionCount(1, 64), 1u);
    EXPECT_EQ(PartitionCount(64, 64), 1u);
    EXPECT_EQ(PartitionCount(65, 64), 2u);
    EXPECT_EQ(PartitionCount(44100, 64), 690u);
    // float(2^24 + 1) rounds to 2^24: a float ceiling would lose the last sample.
    EXPECT_EQ(PartitionCount((size_t(1) << 24) + 1, size_t(1) << 20), 17u);
    EXPECT_EQ(convolution::NextPowerOf2(100), 128u);
    EXPECT_EQ(convolution::NextPowerOf2(SIZE_MAX), 0u);
}

} // namespace
