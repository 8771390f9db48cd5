#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "SpectrumArray.h"
#include "TestSignals.h"
#include "Utilities.h"

using convolution::Buffer;
using convolution::SplitSpectrum;

namespace {

bool AllZero(const Buffer<float>& b)
{
    for (size_t i = 0; i < b.size(); ++i)
        if (b.data()[i] != 0.0f)
            return false;
    return true;
}

TEST(Buffer, ResizeZeroFillsAndKeepsArrayOfSameSize)
{
    Buffer<float> b;
    EXPECT_EQ(b.data(), nullptr);
    EXPECT_EQ(b.size(), 0u);

    ASSERT_TRUE(b.resize(37));
    EXPECT_EQ(b.size(), 37u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b.data()) % 16, 0u);
    EXPECT_TRUE(AllZero(b));

    for (size_t i = 0; i < b.size(); ++i)
        b[i] = 1.0f + i;
    float* before = b.data();
    ASSERT_TRUE(b.resize(37));
    EXPECT_EQ(b.data(), before);
    EXPECT_TRUE(AllZero(b));

    ASSERT_TRUE(b.resize(0));
    EXPECT_EQ(b.data(), nullptr);
    EXPECT_EQ(b.size(), 0u);
}

TEST(Buffer, AllocationFailureLeavesEmptyBuffer)
{
    Buffer<float> b;
    ASSERT_TRUE(b.resize(8));
    EXPECT_FALSE(b.resize(SIZE_MAX / 2));
    EXPECT_EQ(b.data(), nullptr);
    EXPECT_EQ(b.size(), 0u);

    SplitSpectrum s;
    ASSERT_TRUE(s.resize(4));
    EXPECT_FALSE(s.resize(SIZE_MAX / 4));
    EXPECT_EQ(s.size(), 0u);
    EXPECT_EQ(s.re.size(), 0u);
    EXPECT_EQ(s.im.size(), 0u);
}

TEST(Buffer, CopyAndSwap)
{
    Buffer<float> a, b;
    ASSERT_TRUE(a.resize(5));
    ASSERT_TRUE(b.resize(5));
    for (size_t i = 0; i < 5; ++i)
        a[i] = float(i + 1);
    b.copyFrom(a);
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(b[i], float(i + 1));

    Buffer<float> c;
    ASSERT_TRUE(c.resize(3));
    float* aData = a.data();
    float* cData = c.data();
    a.swap(c);
    EXPECT_EQ(a.data(), cData);
    EXPECT_EQ(a.size(), 3u);
    EXPECT_EQ(c.data(), aData);
    EXPECT_EQ(c.size(), 5u);

}

TEST(Spectrum, ComplexMultiplyAccumulateMatchesScalarFormula)
{
    for (size_t bins : {0u, 1u, 3u, 4u, 65u, 129u}) {
        SplitSpectrum r, a, b;
        ASSERT_TRUE(r.resize(bins));
        ASSERT_TRUE(a.resize(bins));
        ASSERT_TRUE(b.resize(bins));
        const auto v = testsignals::RandomSignal(6 * bins + 1, unsigned(bins));
        for (size_t i = 0; i < bins; ++i) {
            r.re[i] = v[6 * i], r.im[i] = v[6 * i + 1];
            a.re[i] = v[6 * i + 2], a.im[i] = v[6 * i + 3];
            b.re[i] = v[6 * i + 4], b.im[i] = v[6 * i + 5];
        }
        convolution::ComplexMultiplyAccumulate(r, a, b);
        for (size_t i = 0; i < bins; ++i) {
            const double ar = v[6 * i + 2], ai = v[6 * i + 3], br = v[6 * i + 4], bi = v[6 * i + 5];
            EXPECT_NEAR(r.re[i], v[6 * i] + ar * br - ai * bi, 1e-6) << bins << " bin " << i;
            EXPECT_NEAR(r.im[i], v[6 * i + 1] + ar * bi + ai * br, 1e-6) << bins << " bin " << i;
        }
    }
}

// The run form gives the bits of one accumulation after another.
TEST(Spectrum, ComplexMultiplyAccumulateRunEqualsOneAfterAnother)
{
    for (size_t bins : {1u, 7u, 24u, 65u, 4097u}) {
        constexpr size_t count = 5;
        SplitSpectrum a[count], b[count], expected, r;
        ASSERT_TRUE(expected.resize(bins) && r.resize(bins));
        const float *aRe[count], *aIm[count], *bRe[count], *bIm[count];
        const auto v = testsignals::RandomSignal(4 * count * bins + 2 * bins, 70 + unsigned(bins), 3.0f);
        size_t k = 0;
        for (size_t i = 0; i < bins; ++i) {
            expected.re[i] = r.re[i] = v[k++];
            expected.im[i] = r.im[i] = v[k++];
        }
        for (size_t j = 0; j < count; ++j) {
            ASSERT_TRUE(a[j].resize(bins) && b[j].resize(bins));
            for (size_t i = 0; i < bins; ++i) {
                a[j].re[i] = v[k++], a[j].im[i] = v[k++], b[j].re[i] = v[k++], b[j].im[i] = v[k++];
            }
            aRe[j] = a[j].re.data(), aIm[j] = a[j].im.data(), bRe[j] = b[j].re.data(), bIm[j] = b[j].im.data();
            convolution::ComplexMultiplyAccumulate(expected, a[j], b[j]);
        }
        // The run form, over the same spectra laid out one after another.
        convolution::SpectrumArray aRun, bRun;
        ASSERT_TRUE(aRun.ensure(count, bins) && bRun.ensure(count, bins));
        for (size_t j = 0; j < count; ++j) {
            std::copy(aRe[j], aRe[j] + bins, aRun.re(j));
            std::copy(aIm[j], aIm[j] + bins, aRun.im(j));
            std::copy(bRe[j], bRe[j] + bins, bRun.re(j));
            std::copy(bIm[j], bIm[j] + bins, bRun.im(j));
        }
        std::vector<float> runRe(r.re.data(), r.re.data() + bins), runIm(r.im.data(), r.im.data() + bins);
        convolution::ComplexMultiplyAccumulateRun(runRe.data(), runIm.data(), aRun.re(0), aRun.stride(), bRun.re(0),
                                                  bRun.stride(), count, bins);
        for (size_t i = 0; i < bins; ++i) {
            ASSERT_EQ(runRe[i], expected.re[i]) << bins << " bin " << i;
            ASSERT_EQ(runIm[i], expected.im[i]) << bins << " bin " << i;
        }
    }
}

// The fused form gives the bits of copying and then accumulating.
TEST(Spectrum, ComplexMultiplyAddEqualsCopyThenAccumulate)
{
    for (size_t bins : {0u, 1u, 3u, 4u, 65u, 129u}) {
        SplitSpectrum c, a, b, expected;
        ASSERT_TRUE(c.resize(bins) && a.resize(bins) && b.resize(bins) && expected.resize(bins));
        const auto v = testsignals::RandomSignal(6 * bins + 1, 40 + unsigned(bins), 3.0f);
        for (size_t i = 0; i < bins; ++i) {
            c.re[i] = v[6 * i], c.im[i] = v[6 * i + 1];
            a.re[i] = v[6 * i + 2], a.im[i] = v[6 * i + 3];
            b.re[i] = v[6 * i + 4], b.im[i] = v[6 * i + 5];
        }
        expected.copyFrom(c);
        convolution::ComplexMultiplyAccumulate(expected, a, b);
        std::vector<float> re(bins + 1, 7.0f), im(bins + 1, 7.0f);
        convolution::ComplexMultiplyAdd(re.data(), im.data(), a.re.data(), a.im.data(), b.re.data(), b.im.data(),
                                        c.re.data(), c.im.data(), bins);
        for (size_t i = 0; i < bins; ++i) {
            EXPECT_EQ(re[i], expected.re[i]) << bins << " bin " << i;
            EXPECT_EQ(im[i], expected.im[i]) << bins << " bin " << i;
        }
        EXPECT_EQ(re[bins], 7.0f);
    }
}

TEST(Samples, AddSamplesEveryLength)
{
    const auto a = testsignals::RandomSignal(40, 1);
    const auto b = testsignals::RandomSignal(40, 2);
    for (size_t len = 0; len <= 37; ++len) {
        std::vector<float> out(40, 99.0f);
        convolution::AddSamples(out.data(), a.data(), b.data(), len);
        for (size_t i = 0; i < 40; ++i)
            EXPECT_EQ(out[i], i < len ? a[i] + b[i] : 99.0f) << len << " " << i;
    }
}

TEST(Samples, CopyAndPad)
{
    Buffer<float> dest;
    ASSERT_TRUE(dest.resize(10));
    for (size_t i = 0; i < 10; ++i)
        dest[i] = 7.0f;
    const float src[4] = {1, 2, 3, 4};
    convolution::CopyAndPad(dest, src, 4);
    for (size_t i = 0; i < 10; ++i)
        EXPECT_EQ(dest[i], i < 4 ? src[i] : 0.0f);
    for (size_t i = 0; i < 10; ++i)
        dest[i] = 7.0f;
    convolution::CopyAndPad(dest, nullptr, 0);
    EXPECT_TRUE(AllZero(dest));
}

} // namespace
