// Strings: encodings, the Mac Roman table, C-string access, comparison and splitting.
#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>
#include <iconv.h>
#include <symac/TestHooks.h>

#include <string>

namespace {

struct Str {
  explicit Str(CFStringRef s) : ref(s) {}
  ~Str() {
    if (ref != nullptr) CFRelease(ref);
  }
  CFStringRef ref;
};

std::string utf8(CFStringRef s) {
  char buf[1024];
  return CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingUTF8) ? std::string(buf) : std::string("<fail>");
}

TEST(MacRoman, MatchesTheSystemTableWhereThePlatformAgrees) {
  iconv_t cd = iconv_open("UTF-16LE", "MACINTOSH");
  ASSERT_NE(cd, (iconv_t)-1);
  for (int b = 0x80; b <= 0xFF; ++b) {
    char in = char(b);
    char out[4] = {};
    char* pin = &in;
    char* pout = out;
    size_t inLeft = 1, outLeft = sizeof out;
    ASSERT_NE(iconv(cd, &pin, &inLeft, &pout, &outLeft), size_t(-1)) << b;
    const UniChar expected = UniChar(UInt8(out[0]) | (UInt8(out[1]) << 8));
    const char bytes[2] = {char(b), 0};
    Str s(CFStringCreateWithCString(nullptr, bytes, kCFStringEncodingMacRoman));
    ASSERT_NE(s.ref, nullptr);
    const UniChar got = CFStringGetCharacterAtIndex(s.ref, 0);
    // glibc differs from the platform's table in these three places.
    if (b == 0xC6) {
      EXPECT_EQ(got, 0x2206);  // increment, not Greek capital delta
    } else if (b == 0xDB) {
      EXPECT_EQ(got, 0x20AC);  // the euro sign (older tables had the currency sign)
    } else if (b == 0xF0) {
      EXPECT_EQ(got, 0xF8FF);  // the platform's private-use logo character
    } else {
      EXPECT_EQ(got, expected) << std::hex << b;
    }
  }
  iconv_close(cd);
}

TEST(MacRoman, RoundTripsEveryByteAndRefusesWhatItCannotHold) {
  char all[256];
  for (int i = 1; i < 256; ++i) all[i - 1] = char(i);
  all[255] = 0;
  Str s(CFStringCreateWithCString(nullptr, all, kCFStringEncodingMacRoman));
  char back[256];
  ASSERT_TRUE(CFStringGetCString(s.ref, back, sizeof back, kCFStringEncodingMacRoman));
  EXPECT_EQ(std::string(back), std::string(all));

  Str cyrillic(CFStringCreateWithCString(nullptr, "\xD0\x96", kCFStringEncodingUTF8));
  EXPECT_FALSE(CFStringGetCString(cyrillic.ref, back, sizeof back, kCFStringEncodingMacRoman));
  Str euro(CFStringCreateWithCString(nullptr, "\xE2\x82\xAC", kCFStringEncodingUTF8));
  ASSERT_TRUE(CFStringGetCString(euro.ref, back, sizeof back, kCFStringEncodingMacRoman));
  EXPECT_EQ(std::string(back), "\xDB");
}

TEST(Utf8, InvalidBytesGiveNoString) {
  const char* bad[] = {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "abc\xE2\x82", "\xFF"};
  for (const char* b : bad) EXPECT_EQ(CFStringCreateWithCString(nullptr, b, kCFStringEncodingUTF8), nullptr) << b;
  EXPECT_EQ(CFStringCreateWithCString(nullptr, "caf\xE9", kCFStringEncodingASCII), nullptr);
  Str astral(CFStringCreateWithCString(nullptr, "\xF0\x9F\x8E\xA7", kCFStringEncodingUTF8));
  ASSERT_NE(astral.ref, nullptr);
  EXPECT_EQ(CFStringGetLength(astral.ref), 2);
  EXPECT_EQ(utf8(astral.ref), "\xF0\x9F\x8E\xA7");
}

TEST(CString, ReportsShortBuffersAndTerminates) {
  Str s(CFStringCreateWithCString(nullptr, "Roomy", kCFStringEncodingUTF8));
  char buf[6];
  EXPECT_FALSE(CFStringGetCString(s.ref, buf, 5, kCFStringEncodingUTF8));
  ASSERT_TRUE(CFStringGetCString(s.ref, buf, 6, kCFStringEncodingUTF8));
  EXPECT_STREQ(buf, "Roomy");
  EXPECT_FALSE(CFStringGetCString(s.ref, buf, 0, kCFStringEncodingUTF8));
  EXPECT_GE(CFStringGetMaximumSizeForEncoding(CFStringGetLength(s.ref), kCFStringEncodingUTF8), 5);
}

TEST(CString, PointerPathCanBeForcedOff) {
  Str s(CFStringCreateWithCString(nullptr, "plain", kCFStringEncodingMacRoman));
  ASSERT_NE(CFStringGetCStringPtr(s.ref, kCFStringEncodingMacRoman), nullptr);
  EXPECT_STREQ(CFStringGetCStringPtr(s.ref, kCFStringEncodingUTF8), "plain");
  symac_test_forceCStringPtrNull(true);
  EXPECT_EQ(CFStringGetCStringPtr(s.ref, kCFStringEncodingMacRoman), nullptr);
  symac_test_forceCStringPtrNull(false);
  Str roman(CFStringCreateWithCString(nullptr, "\x8E", kCFStringEncodingMacRoman));
  EXPECT_EQ(CFStringGetCStringPtr(roman.ref, kCFStringEncodingUTF8), nullptr);
}

TEST(Compare, CaseAndNumericOptions) {
  EXPECT_EQ(CFStringCompare(CFSTR("abc"), CFSTR("abd"), 0), kCFCompareLessThan);
  EXPECT_EQ(CFStringCompare(CFSTR("ABC"), CFSTR("abc"), 0), kCFCompareLessThan);
  EXPECT_EQ(CFStringCompare(CFSTR("ABC"), CFSTR("abc"), kCFCompareCaseInsensitive), kCFCompareEqualTo);
  EXPECT_EQ(CFStringCompare(CFSTR("ab"), CFSTR("abc"), 0), kCFCompareLessThan);
  EXPECT_EQ(CFStringCompare(CFSTR("1.10"), CFSTR("1.9"), 0), kCFCompareLessThan);
  EXPECT_EQ(CFStringCompare(CFSTR("1.10"), CFSTR("1.9"), kCFCompareNumerically), kCFCompareGreaterThan);
  EXPECT_EQ(CFStringCompare(CFSTR("v007"), CFSTR("v7"), kCFCompareNumerically), kCFCompareEqualTo);
  EXPECT_EQ(CFStringCompare(CFSTR("2.0.1"), CFSTR("2.0.10"), kCFCompareNumerically), kCFCompareLessThan);
}

TEST(Separate, SplitsChoiceLists) {
  CFArrayRef parts = CFStringCreateArrayBySeparatingStrings(nullptr, CFSTR("Room|Studio||Place"), CFSTR("|"));
  ASSERT_EQ(CFArrayGetCount(parts), 4);
  EXPECT_EQ(utf8(CFStringRef(CFArrayGetValueAtIndex(parts, 0))), "Room");
  EXPECT_EQ(utf8(CFStringRef(CFArrayGetValueAtIndex(parts, 2))), "");
  EXPECT_EQ(utf8(CFStringRef(CFArrayGetValueAtIndex(parts, 3))), "Place");
  CFRelease(parts);
  CFArrayRef one = CFStringCreateArrayBySeparatingStrings(nullptr, CFSTR(""), CFSTR("|"));
  EXPECT_EQ(CFArrayGetCount(one), 1);
  CFRelease(one);
}

TEST(Literals, AreInternedAndImmortal) {
  CFStringRef a = CFSTR("Roruvovuz");
  EXPECT_EQ(a, CFSTR("Roruvovuz"));
  CFRelease(a);
  CFRelease(a);
  EXPECT_EQ(utf8(a), "Roruvovuz");
  Str copy(CFStringCreateWithCString(nullptr, "Roruvovuz", kCFStringEncodingASCII));
  EXPECT_TRUE(CFEqual(a, copy.ref));
  EXPECT_EQ(CFHash(a), CFHash(copy.ref));
}

TEST(Pascal, CreatesAndWritesLengthPrefixedText) {
  const UInt8 name[] = {5, 'M', 'a', 'k', 'e', 'r'};
  Str s(CFStringCreateWithPascalString(nullptr, name, kCFStringEncodingMacRoman));
  EXPECT_EQ(utf8(s.ref), "Maker");
  Str255 out;
  ASSERT_TRUE(CFStringGetPascalString(s.ref, out, sizeof out, kCFStringEncodingMacRoman));
  EXPECT_EQ(out[0], 5);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out + 1), 5), "Maker");
}

}  // namespace
