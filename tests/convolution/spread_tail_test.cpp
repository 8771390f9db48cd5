// The tail convolution run in steps over later calls gives the very same
// samples as running it at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "PartitionedConvolver.h"
#include "RealFFT.h"
#include "TestSignals.h"
#include "TwoStageConvolver.h"

using convolution::PartitionedConvolver;
using convolution::TwoStageConvolver;

namespace {

// Every size, with a radix-2 pass (odd log2 N/2) and without: the steps give
// the same bits as the whole transforms, also when the input and output
// arrays are changed between the steps that do not read or write them.
TEST(FFTSteps, EqualWholeTransforms)
{
    for (size_t n : {size_t(1), size_t(2), size_t(4), size_t(8), size_t(16), size_t(128), size_t(256),
                     size_t(8192)}) {
        realfft::RealFFT fft;
        ASSERT_TRUE(fft.init(n));
        const size_t bins = realfft::RealFFT::spectrumSize(n);
        const auto x = testsignals::RandomSignal(n, 80 + unsigned(n));
        std::vector<float> re(bins), im(bins), y(n);
        fft.fft(x.data(), re.data(), im.data());
        fft.ifft(y.data(), re.data(), im.data());

        const size_t steps = fft.stepCount();
        // Reading, one pass per radix-4 (or closing radix-2) stage, writing.
        const size_t expectedSteps = n == 1 ? 1u : n == 256 ? 6u : n == 8192 ? 8u : steps;
        EXPECT_EQ(steps, expectedSteps) << n;
        auto input = x;
        std::vector<float> re2(bins, 9.0f), im2(bins, 9.0f), y2(n, 9.0f);
        for (size_t k = 0; k < steps; ++k) {
            fft.fftStep(k, input.data(), re2.data(), im2.data());
            if (k == 0 && steps > 1)
                std::fill(input.begin(), input.end(), 5.0f); // read only in step 0
        }
        EXPECT_EQ(re2, re) << n;
        EXPECT_EQ(im2, im) << n;
        auto spectrumRe = re2, spectrumIm = im2;
        for (size_t k = 0; k < steps; ++k) {
            fft.ifftStep(k, y2.data(), spectrumRe.data(), spectrumIm.data());
            if (k == 0 && steps > 1)
                std::fill(spectrumRe.begin(), spectrumRe.end(), 5.0f);
        }
        EXPECT_EQ(y2, y) << n;
    }
    realfft::RealFFT empty;
    EXPECT_EQ(empty.stepCount(), 0u);
}

// Whole blocks through process, and the same blocks in steps: step counts
// below, at and above what the work needs, partial calls in between.
TEST(StepwiseBlock, EqualsProcessBitForBit)
{
    const size_t b = 32;
    for (size_t irLen : {size_t(20), size_t(64), size_t(400)}) {
        const auto h = testsignals::RandomSignal(irLen, 50 + unsigned(irLen));
        const auto x = testsignals::RandomSignal(40 * b, 51);
        for (size_t steps : {size_t(0), size_t(1), size_t(3), size_t(6), size_t(100)}) {
            PartitionedConvolver whole, stepwise;
            ASSERT_TRUE(whole.init(b, h.data(), h.size()));
            ASSERT_TRUE(stepwise.init(b, h.data(), h.size()));
            std::vector<float> expected(x.size()), got(x.size(), -7.0f);
            for (size_t start = 0; start < x.size(); start += b) {
                whole.process(&x[start], &expected[start], b);
                stepwise.startBlock(&x[start], &got[start], steps);
                EXPECT_TRUE(stepwise.blockPending());
                for (size_t s = 0; s < steps; ++s)
                    stepwise.continueBlock();
                stepwise.finishBlock();
                EXPECT_FALSE(stepwise.blockPending());
            }
            EXPECT_EQ(got, expected) << "response " << irLen << ", steps " << steps;

            // process finishes a pending block before its own samples.
            stepwise.startBlock(x.data(), got.data(), 10);
            stepwise.continueBlock();
            whole.process(x.data(), expected.data(), b);
            stepwise.process(x.data(), got.data() + b, 5);
            whole.process(x.data(), expected.data() + b, 5);
            EXPECT_EQ(std::vector<float>(got.begin(), got.begin() + b + 5),
                      std::vector<float>(expected.begin(), expected.begin() + b + 5));
        }
    }
}

TEST(StepwiseBlock, EnoughStepsLeaveNothingToFinish)
{
    // The processor's tail: 9 partitions of 4096 in the 63 head blocks of
    // 64 samples that follow a tail block.
    const auto h = testsignals::RandomSignal(9 * 4096, 60);
    const auto x = testsignals::RandomSignal(4096, 61);
    std::vector<float> y(4096);
    PartitionedConvolver conv;
    ASSERT_TRUE(conv.init(4096, h.data(), h.size()));
    for (size_t steps : {size_t(30), size_t(63)}) {
        conv.startBlock(x.data(), y.data(), steps);
        for (size_t s = 0; s < steps; ++s)
            conv.continueBlock();
        EXPECT_FALSE(conv.blockPending()) << steps;
    }
    conv.startBlock(x.data(), y.data(), 63);
    for (size_t s = 0; s < 5; ++s)
        conv.continueBlock();
    EXPECT_TRUE(conv.blockPending());
    conv.reset();
    EXPECT_FALSE(conv.blockPending());
}

// The engine as it was: the tail convolution of each tail block at once,
// at the end of that block.
class AtOnceTwoStage {
public:
    AtOnceTwoStage(size_t h, size_t t, const std::vector<float>& ir) : _h(h), _t(t)
    {
        const size_t len = ir.size();
        _head.init(h, ir.data(), std::min(len, t));
        if (len > t)
            _tail0.init(h, ir.data() + t, std::min(t, len - t));
        if (len > 2 * t)
            _tail.init(t, ir.data() + 2 * t, len - 2 * t);
        _in.assign(t, 0.0f);
        _out0.assign(t, 0.0f);
        _pre0.assign(t, 0.0f);
        _out.assign(t, 0.0f);
        _pre.assign(t, 0.0f);
    }

    void process(const float* input, float* output, size_t len)
    {
        for (size_t done = 0; done < len;) {
            const size_t n = std::min(len - done, _h - _fill % _h);
            std::copy(input + done, input + done + n, &_in[_fill]);
            _head.process(input + done, output + done, n);
            for (size_t k = 0; k < n; ++k) {
                output[done + k] += _pre0[_fill + k];
                output[done + k] += _pre[_fill + k];
            }
            _fill += n;
            done += n;
            if (_fill % _h == 0)
                _tail0.process(&_in[_fill - _h], &_out0[_fill - _h], _h);
            if (_fill == _t) {
                std::swap(_pre0, _out0);
                std::swap(_pre, _out);
                _tail.process(_in.data(), _out.data(), _t);
                _fill = 0;
            }
        }
    }

private:
    size_t _h, _t, _fill = 0;
    PartitionedConvolver _head, _tail0, _tail;
    std::vector<float> _in, _out0, _pre0, _out, _pre;
};

TEST(SpreadTail, TwoStageOutputEqualsTheTailRunAtOnce)
{
    struct Setting {
        size_t h, t, irLen, inputLen;
    };
    // Many tail partitions for few head blocks, as many steps as work, one
    // head block per tail block (nothing to spread), the processor's sizes.
    const Setting settings[] = {{4, 16, 700, 3000}, {8, 64, 2000, 3000}, {16, 16, 300, 1000},
                                {64, 4096, 44100, 5 * 4096 + 300}};
    for (const Setting& s : settings) {
        const auto h = testsignals::RandomSignal(s.irLen, 70 + unsigned(s.t));
        const auto x = testsignals::RandomSignal(s.inputLen, 71);
        for (const std::vector<size_t>& pattern : {std::vector<size_t>{1}, {7}, {64}, {0}}) {
            AtOnceTwoStage reference(s.h, s.t, h);
            const auto expected = testsignals::Feed(reference, x, pattern, 9);
            TwoStageConvolver conv;
            ASSERT_TRUE(conv.init(s.h, s.t, h.data(), h.size()));
            EXPECT_EQ(testsignals::Feed(conv, x, pattern, 9), expected)
                << "head " << s.h << ", tail " << s.t << ", first call " << pattern[0];
        }
    }
}

} // namespace
