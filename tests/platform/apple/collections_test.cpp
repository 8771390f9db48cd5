// Numbers, data, arrays and dictionaries: reference counting, equality and conversions.
#include <CoreFoundation/CoreFoundation.h>
#include <MacTypes.h>
#include <gtest/gtest.h>
#include <symac/TestHooks.h>

#include <cmath>

namespace {

TEST(Objects, RetainReleaseAndLiveCount) {
  const long before = symac_test_liveObjectCount();
  CFDataRef d = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>("abc"), 3);
  EXPECT_EQ(symac_test_liveObjectCount(), before + 1);
  EXPECT_EQ(CFGetRetainCount(d), 1);
  CFRetain(d);
  EXPECT_EQ(CFGetRetainCount(d), 2);
  CFRelease(d);
  CFRelease(d);
  EXPECT_EQ(symac_test_liveObjectCount(), before);
  CFRelease(nullptr);
  EXPECT_EQ(CFGetTypeID(kCFBooleanTrue), CFBooleanGetTypeID());
}

TEST(Numbers, ConvertAndReportLoss) {
  const SInt32 big = 70000;
  CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &big);
  SInt16 small = 0;
  EXPECT_FALSE(CFNumberGetValue(n, kCFNumberSInt16Type, &small));
  SInt64 wide = 0;
  EXPECT_TRUE(CFNumberGetValue(n, kCFNumberSInt64Type, &wide));
  EXPECT_EQ(wide, 70000);
  double d = 0;
  EXPECT_TRUE(CFNumberGetValue(n, kCFNumberFloat64Type, &d));
  EXPECT_EQ(CFNumberGetType(n), kCFNumberSInt32Type);
  EXPECT_FALSE(CFNumberIsFloatType(n));

  const double half = 2.5;
  CFNumberRef r = CFNumberCreate(nullptr, kCFNumberFloat64Type, &half);
  SInt32 i = 0;
  EXPECT_FALSE(CFNumberGetValue(r, kCFNumberSInt32Type, &i));
  EXPECT_EQ(i, 2);
  float f = 0;
  EXPECT_TRUE(CFNumberGetValue(r, kCFNumberFloat32Type, &f));
  const double two = 2.0;
  CFNumberRef t = CFNumberCreate(nullptr, kCFNumberDoubleType, &two);
  const SInt32 twoInt = 2;
  CFNumberRef ti = CFNumberCreate(nullptr, kCFNumberIntType, &twoInt);
  EXPECT_TRUE(CFEqual(t, ti));
  EXPECT_EQ(CFHash(t), CFHash(ti));
  const double huge = 1e300;
  CFNumberRef h = CFNumberCreate(nullptr, kCFNumberFloat64Type, &huge);
  EXPECT_FALSE(CFNumberGetValue(h, kCFNumberSInt64Type, &wide));
  const double nan = std::nan("");
  CFNumberRef nn = CFNumberCreate(nullptr, kCFNumberFloat64Type, &nan);
  EXPECT_FALSE(CFNumberGetValue(nn, kCFNumberSInt32Type, &i));
  EXPECT_EQ(i, 0);
  EXPECT_EQ(CFNumberCreate(nullptr, 99, &big), nullptr);
  for (CFTypeRef o : {CFTypeRef(n), CFTypeRef(r), CFTypeRef(t), CFTypeRef(ti), CFTypeRef(h), CFTypeRef(nn)})
    CFRelease(o);
}

TEST(Arrays, RetainCFValuesOrHoldRawPointers) {
  CFStringRef s = CFStringCreateWithCString(nullptr, "x", kCFStringEncodingUTF8);
  CFMutableArrayRef a = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  CFArrayAppendValue(a, s);
  EXPECT_EQ(CFGetRetainCount(s), 2);
  CFRelease(a);
  EXPECT_EQ(CFGetRetainCount(s), 1);

  int raw[3] = {1, 2, 3};
  CFMutableArrayRef r = CFArrayCreateMutable(nullptr, 0, nullptr);
  for (int& v : raw) CFArrayAppendValue(r, &v);
  EXPECT_EQ(CFArrayGetCount(r), 3);
  EXPECT_EQ(CFArrayGetValueAtIndex(r, 1), &raw[1]);
  EXPECT_EQ(CFArrayGetValueAtIndex(r, 3), nullptr);
  EXPECT_EQ(CFArrayGetValueAtIndex(r, -1), nullptr);
  CFArrayRemoveValueAtIndex(r, 0);
  EXPECT_EQ(CFArrayGetValueAtIndex(r, 0), &raw[1]);
  CFRelease(r);
  CFRelease(s);
}

TEST(Dictionaries, KeysCompareByValue) {
  CFMutableDictionaryRef d =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFStringRef k1 = CFStringCreateWithCString(nullptr, "PresetIsFXB", kCFStringEncodingUTF8);
  CFDictionarySetValue(d, k1, kCFBooleanTrue);
  EXPECT_EQ(CFDictionaryGetValue(d, CFSTR("PresetIsFXB")), kCFBooleanTrue);
  CFDictionaryAddValue(d, CFSTR("PresetIsFXB"), kCFBooleanFalse);
  EXPECT_EQ(CFDictionaryGetValue(d, k1), kCFBooleanTrue);
  CFDictionarySetValue(d, CFSTR("PresetIsFXB"), kCFBooleanFalse);
  EXPECT_EQ(CFDictionaryGetValue(d, k1), kCFBooleanFalse);
  EXPECT_EQ(CFDictionaryGetCount(d), 1);
  EXPECT_FALSE(CFDictionaryContainsKey(d, CFSTR("presetisfxb")));
  const void* value = nullptr;
  EXPECT_FALSE(CFDictionaryGetValueIfPresent(d, CFSTR("Missing"), &value));
  EXPECT_EQ(CFGetRetainCount(k1), 2);
  CFDictionaryRemoveValue(d, CFSTR("PresetIsFXB"));
  EXPECT_EQ(CFGetRetainCount(k1), 1);
  EXPECT_EQ(CFDictionaryGetCount(d), 0);

  for (int i = 0; i < 2000; ++i) {
    const SInt32 v = i;
    CFNumberRef key = CFNumberCreate(nullptr, kCFNumberSInt32Type, &v);
    CFDictionarySetValue(d, key, key);
    CFRelease(key);
  }
  EXPECT_EQ(CFDictionaryGetCount(d), 2000);
  const double probe = 1234.0;
  CFNumberRef pk = CFNumberCreate(nullptr, kCFNumberFloat64Type, &probe);
  EXPECT_NE(CFDictionaryGetValue(d, pk), nullptr);
  CFRelease(pk);
  CFRelease(d);
  CFRelease(k1);
}

TEST(Data, MutableAppendAndEquality) {
  CFMutableDataRef m = CFDataCreateMutable(nullptr, 0);
  CFDataAppendBytes(m, reinterpret_cast<const UInt8*>("ab"), 2);
  CFDataAppendBytes(m, reinterpret_cast<const UInt8*>("c"), 1);
  CFDataRef d = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>("abc"), 3);
  EXPECT_TRUE(CFEqual(m, d));
  CFDataSetLength(m, 5);
  EXPECT_EQ(CFDataGetLength(m), 5);
  EXPECT_EQ(CFDataGetBytePtr(m)[4], 0);
  EXPECT_EQ(CFDataCreate(nullptr, nullptr, 4), nullptr);
  CFRelease(m);
  CFRelease(d);
}

TEST(Handles, SizeAndResize) {
  Handle h = NewHandleClear(10);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GetHandleSize(h), 10);
  EXPECT_EQ((*h)[9], 0);
  SetHandleSize(h, 100);
  EXPECT_EQ(MemError(), noErr);
  EXPECT_EQ(GetHandleSize(h), 100);
  DisposeHandle(h);
  EXPECT_EQ(NewHandle(-1), nullptr);
  EXPECT_EQ(MemError(), paramErr);
}

TEST(FourCC, PacksInOrder) {
  static_assert(FOURCC("VstP") == 0x56737450u, "");
  static_assert(FOURCC("aufx") == 1635083896u, "");
  static_assert(FOURCC("sHi!") == 0x73486921u, "");
}

}  // namespace
