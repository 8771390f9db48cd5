// The response's partitions are transformed in the blocks that first need
// them. The output must be, bit for bit, that of a convolver whose partitions
// were all transformed at once, for any call lengths, also when the caller
// overwrites its response after init and when the reused storage holds
// another response's and another stream's spectra, infinite ones included.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "PartitionedConvolver.h"
#include "TestSignals.h"
#include "TwoStageConvolver.h"

using convolution::PartitionedConvolver;
using convolution::TwoStageConvolver;

namespace {

bool init(PartitionedConvolver& c, const std::vector<float>& h) { return c.init(64, h.data(), h.size()); }
bool init(TwoStageConvolver& c, const std::vector<float>& h) { return c.init(64, 4096, h.data(), h.size()); }

bool sameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

template <typename Convolver>
void expectLazyEqualsEager(size_t irLen, size_t inputLen)
{
    const auto h = testsignals::RandomSignal(irLen, 5);
    const auto x = testsignals::RandomSignal(inputLen, 6);
    // Spectra of a huge response and stream overflow to infinity.
    const auto huge = testsignals::RandomSignal(irLen, 7, 3e38f);
    for (const size_t call : {1, 7, 64, 4096, 5000}) {
        Convolver eager;
        ASSERT_TRUE(init(eager, h));
        eager.prepareResponse();
        const auto expected = testsignals::Feed(eager, x, {call});

        Convolver lazy;
        ASSERT_TRUE(init(lazy, huge));
        testsignals::Feed(lazy, huge, {4096});
        auto response = h;
        ASSERT_TRUE(init(lazy, response));
        response.assign(response.size(), std::numeric_limits<float>::quiet_NaN());
        EXPECT_TRUE(sameBits(testsignals::Feed(lazy, x, {call}), expected)) << "calls of " << call;
    }
}

TEST(LazyResponse, PartitionedOutputEqualsAllPartitionsTransformedAtInit)
{
    expectLazyEqualsEager<PartitionedConvolver>(20 * 64 + 17, 3000);
}

TEST(LazyResponse, TwoStageOutputEqualsAllPartitionsTransformedAtInit)
{
    // The processor's sizes: nine tail partitions, the last one used from
    // the eleventh tail block on.
    expectLazyEqualsEager<TwoStageConvolver>(44100, 11 * 4096 + 300);
}

} // namespace
