// Value-to-text operations.
#include "RecordingEffect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

struct Texts : PlainEffect {
    Texts() : PlainEffect(nullptr) {}
    using PlainEffect::sampleRate;
};

// Runs one operation into a buffer of maxLen + 1 bytes inside a larger one,
// and checks that nothing was written past it.
template <typename F>
std::string run(F op, VstInt32 maxLen = 8) {
    char buffer[64];
    std::memset(buffer, '#', sizeof(buffer));
    op(buffer, maxLen);
    for (size_t i = static_cast<size_t>(maxLen) + 1; i < sizeof(buffer); ++i)
        EXPECT_EQ(buffer[i], '#') << "written past maxLen at " << i;
    return buffer;
}

std::string f2s(float v, VstInt32 maxLen = 16) {
    Texts t;
    return run([&](char* b, VstInt32 m) { t.float2string(v, b, m); }, maxLen);
}

std::string i2s(VstInt32 v, VstInt32 maxLen = 16) {
    Texts t;
    return run([&](char* b, VstInt32 m) { t.int2string(v, b, m); }, maxLen);
}

}  // namespace

TEST(ValueText, Float2StringBudgetOfEightCharacters) {
    EXPECT_EQ(f2s(1.5f), "1.500000");
    EXPECT_EQ(f2s(-1.5f), "-1.50000");
    EXPECT_EQ(f2s(123.25f), "123.2500");
    EXPECT_EQ(f2s(0.0f), "0.000000");
    EXPECT_EQ(f2s(0.25f), "0.250000");
    EXPECT_EQ(f2s(-0.5f), "-0.50000");
    EXPECT_EQ(f2s(1234567.0f), "1234567.");
    EXPECT_EQ(f2s(12345678.0f), "2345678.");  // the least significant seven digits
    EXPECT_EQ(f2s(-9999999.0f), "-999999.");
}

TEST(ValueText, Float2StringTruncatesTheFraction) {
    EXPECT_EQ(f2s(0.7f), "0.699999");  // 0.7f is 0.69999998...
    EXPECT_EQ(f2s(2.0f / 3.0f), "0.666666");
}

TEST(ValueText, Float2StringHugeAndNonFinite) {
    EXPECT_EQ(f2s(100000000.0f), "Huge!");
    EXPECT_EQ(f2s(-10000000.0f), "Huge!");
    EXPECT_EQ(f2s(std::numeric_limits<float>::infinity()), "Huge!");
    EXPECT_EQ(f2s(-std::numeric_limits<float>::infinity()), "Huge!");
    EXPECT_EQ(f2s(std::nanf("")), "Huge!");
    EXPECT_EQ(f2s(std::numeric_limits<float>::max()), "Huge!");
}

TEST(ValueText, Int2String) {
    EXPECT_EQ(i2s(0), "0");
    EXPECT_EQ(i2s(-42), "-42");
    EXPECT_EQ(i2s(7), "7");
    EXPECT_EQ(i2s(99999999), "99999999");
    EXPECT_EQ(i2s(-99999999), "-99999999");
    EXPECT_EQ(i2s(100000000), "Huge!");
    EXPECT_EQ(i2s(-100000000), "Huge!");
    EXPECT_EQ(i2s(std::numeric_limits<VstInt32>::max()), "Huge!");
    EXPECT_EQ(i2s(std::numeric_limits<VstInt32>::min()), "Huge!");
}

TEST(ValueText, CopiesAtMostMaxLenCharacters) {
    EXPECT_EQ(f2s(123.25f, 4), "123.");
    EXPECT_EQ(i2s(-12345, 3), "-12");
    EXPECT_EQ(f2s(1e9f, 2), "Hu");
    EXPECT_EQ(f2s(1.5f, 0), "");
    Texts t;
    t.float2string(1.5f, nullptr, 8);  // no buffer: nothing happens
    char one = 'x';
    t.int2string(5, &one, -1);
    EXPECT_EQ(one, 'x');
}

TEST(ValueText, DecibelsHertzAndMilliseconds) {
    Texts t;
    auto db = [&](float v) { return run([&](char* b, VstInt32 m) { t.dB2string(v, b, m); }); };
    auto hz = [&](float v) { return run([&](char* b, VstInt32 m) { t.Hz2string(v, b, m); }); };
    auto ms = [&](float v) { return run([&](char* b, VstInt32 m) { t.ms2string(v, b, m); }); };
    EXPECT_EQ(db(0.0f), "-oo");
    EXPECT_EQ(db(-1.0f), "-oo");
    EXPECT_EQ(db(1.0f), "0.000000");
    EXPECT_EQ(db(10.0f), "20.00000");
    EXPECT_EQ(db(std::nanf("")), "Huge!");
    EXPECT_EQ(hz(0.0f), "0.000000");
    EXPECT_EQ(hz(100.0f), "441.0000");
    EXPECT_EQ(ms(441.0f), "10.00000");
    t.sampleRate = 0.0f;
    EXPECT_EQ(ms(441.0f), "Huge!");
}
