// Convolvers fed one stream through processShared give, bit for bit, what
// each gives on its own, whatever their responses and however they fall in
// and out of step.
#include <gtest/gtest.h>

#include <vector>

#include "TestSignals.h"
#include "TwoStageConvolver.h"

using convolution::TwoStageConvolver;

namespace {

std::vector<std::vector<float>> Responses()
{
    std::vector<std::vector<float>> r;
    r.push_back(testsignals::RandomSignal(44100, 41));
    r.push_back(testsignals::RandomSignal(44100, 42));
    auto silentHead = testsignals::RandomSignal(20000, 43); // the head has nothing to do
    std::fill(silentHead.begin(), silentHead.begin() + 4096, 0.0f);
    r.push_back(silentHead);
    r.push_back(testsignals::RandomSignal(3000, 44)); // head only
    r.push_back(testsignals::RandomSignal(9000, 45));
    return r;
}

TEST(SharedTransforms, GroupEqualsEachOnItsOwnForAnyCallLengths)
{
    const auto responses = Responses();
    const size_t count = responses.size();
    const auto input = testsignals::RandomSignal(3 * 4096 + 700, 46);
    for (const size_t len : {1u, 7u, 64u, 100u, 4096u, 5000u}) {
        std::vector<TwoStageConvolver> group(count), alone(count);
        for (size_t k = 0; k < count; ++k) {
            ASSERT_TRUE(group[k].init(64, 4096, responses[k].data(), responses[k].size()));
            ASSERT_TRUE(alone[k].init(64, 4096, responses[k].data(), responses[k].size()));
        }
        std::vector<TwoStageConvolver*> members;
        for (auto& c : group)
            members.push_back(&c);
        std::vector<std::vector<float>> shared(count, std::vector<float>(input.size())),
            own(count, std::vector<float>(input.size()));
        size_t calls = 0;
        for (size_t done = 0; done < input.size(); done += len, ++calls) {
            const size_t n = std::min(len, input.size() - done);
            if (calls == 3) {
                // Member 1 starts again mid-stream: out of step until its
                // fill meets the others'.
                ASSERT_TRUE(group[1].init(64, 4096, responses[1].data(), responses[1].size()));
                ASSERT_TRUE(alone[1].init(64, 4096, responses[1].data(), responses[1].size()));
            }
            std::vector<float*> outputs;
            for (auto& o : shared)
                outputs.push_back(o.data() + done);
            TwoStageConvolver::processShared(members.data(), count, input.data() + done, outputs.data(), n);
            for (size_t k = 0; k < count; ++k)
                alone[k].process(input.data() + done, own[k].data() + done, n);
        }
        for (size_t k = 0; k < count; ++k)
            EXPECT_EQ(shared[k], own[k]) << "member " << k << ", calls of " << len;
    }
}

} // namespace
