// The engine as the macOS flavour links it, with checks in every build type:
// a broken precondition stops the process with the operation and the
// condition. Not built for Windows, whose engine has no checks.
#include <gtest/gtest.h>

#include "RealFFT.h"
#include "Utilities.h"

namespace {

using convolution::Buffer;
using convolution::SplitSpectrum;

TEST(ChecksDeathTest, BrokenPreconditionsStopWithTheCondition)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Buffer<float> a, b;
    ASSERT_TRUE(a.resize(4));
    ASSERT_TRUE(b.resize(5));
    EXPECT_DEATH(a.copyFrom(b), "copyFrom: check failed: _size == other._size");
    EXPECT_DEATH(a[4], "operator\\[\\]: check failed: _data && index < _size");
    Buffer<float> empty;
    EXPECT_DEATH(empty[0], "_data && index < _size");
    const float src[8] = {};
    EXPECT_DEATH(convolution::CopyAndPad(a, src, 8), "CopyAndPad: check failed: dest.size\\(\\) >= srcSize");
    SplitSpectrum r, x, y;
    ASSERT_TRUE(r.resize(4));
    ASSERT_TRUE(x.resize(3));
    ASSERT_TRUE(y.resize(4));
    EXPECT_DEATH(convolution::ComplexMultiplyAccumulate(r, x, y), "result.size\\(\\) == a.size\\(\\)");
    EXPECT_DEATH(convolution::ComplexMultiplyAccumulate(r, y, x), "result.size\\(\\) == b.size\\(\\)");

    realfft::RealFFT fft;
    EXPECT_DEATH(fft.init(100), "init: check failed: details::IsPowerOf2\\(size\\)");
    // Sizes the engine passes stay fine.
    EXPECT_TRUE(fft.init(0));
    EXPECT_TRUE(fft.init(128));
}

} // namespace
