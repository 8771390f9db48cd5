// XML property lists: exact written bytes, round trips and refused input.
#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace {

std::string text(CFDataRef d) {
  return std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(d)), size_t(CFDataGetLength(d)));
}

std::string utf8(CFStringRef s) {
  char buf[2048];
  return s != nullptr && CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingUTF8) ? std::string(buf)
                                                                                      : std::string("<null>");
}

// Parses the text; answers the tree or null, with the reason in *why.
CFPropertyListRef parse(const std::string& xml, std::string* why = nullptr) {
  CFDataRef d = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(xml.data()), CFIndex(xml.size()));
  CFStringRef error = nullptr;
  CFPropertyListRef p = CFPropertyListCreateFromXMLData(nullptr, d, kCFPropertyListImmutable, &error);
  CFRelease(d);
  if (why != nullptr) *why = utf8(error);
  if (p != nullptr) {
    EXPECT_EQ(error, nullptr);
  }
  if (error != nullptr) CFRelease(error);
  return p;
}

const char kHeader[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n";

CFMutableDictionaryRef presetLike() {
  CFMutableDictionaryRef d =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  const SInt32 version = 1, type = 1635083896;
  const float gain = 0.25f;
  CFNumberRef v = CFNumberCreate(nullptr, kCFNumberSInt32Type, &version);
  CFNumberRef t = CFNumberCreate(nullptr, kCFNumberSInt32Type, &type);
  CFNumberRef g = CFNumberCreate(nullptr, kCFNumberFloat32Type, &gain);
  CFStringRef name = CFStringCreateWithCString(nullptr, "Rock & <Roll>", kCFStringEncodingUTF8);
  CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>("CcnK"), 4);
  CFDictionarySetValue(d, CFSTR("version"), v);
  CFDictionarySetValue(d, CFSTR("type"), t);
  CFDictionarySetValue(d, CFSTR("gain"), g);
  CFDictionarySetValue(d, CFSTR("name"), name);
  CFDictionarySetValue(d, CFSTR("vstdata"), data);
  CFDictionarySetValue(d, CFSTR("on"), kCFBooleanTrue);
  CFArrayRef empty = CFArrayCreate(nullptr, nullptr, 0, &kCFTypeArrayCallBacks);
  CFDictionarySetValue(d, CFSTR("list"), empty);
  for (CFTypeRef o : {CFTypeRef(v), CFTypeRef(t), CFTypeRef(g), CFTypeRef(name), CFTypeRef(data), CFTypeRef(empty)})
    CFRelease(o);
  return d;
}

TEST(PlistWriter, WritesSortedDeterministicXml) {
  CFMutableDictionaryRef d = presetLike();
  CFDataRef xml = CFPropertyListCreateXMLData(nullptr, d);
  ASSERT_NE(xml, nullptr);
  const std::string expected = std::string(kHeader) +
                               "<dict>\n"
                               "\t<key>gain</key>\n\t<real>0.25</real>\n"
                               "\t<key>list</key>\n\t<array/>\n"
                               "\t<key>name</key>\n\t<string>Rock &amp; &lt;Roll&gt;</string>\n"
                               "\t<key>on</key>\n\t<true/>\n"
                               "\t<key>type</key>\n\t<integer>1635083896</integer>\n"
                               "\t<key>version</key>\n\t<integer>1</integer>\n"
                               "\t<key>vstdata</key>\n\t<data>\n\tQ2NuSw==\n\t</data>\n"
                               "</dict>\n</plist>\n";
  EXPECT_EQ(text(xml), expected);
  CFRelease(xml);
  CFRelease(d);
}

TEST(PlistWriter, RefusesNonPlistTypes) {
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>("/tmp"), 4, true);
  CFMutableArrayRef a = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  CFArrayAppendValue(a, url);
  EXPECT_EQ(CFPropertyListCreateXMLData(nullptr, a), nullptr);
  EXPECT_EQ(CFPropertyListCreateXMLData(nullptr, nullptr), nullptr);
  CFRelease(a);
  CFRelease(url);
}

TEST(PlistReader, RoundTripsEveryType) {
  CFMutableDictionaryRef d = presetLike();
  std::vector<UInt8> bytes(300);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = UInt8(i * 7);
  CFDataRef big = CFDataCreate(nullptr, bytes.data(), CFIndex(bytes.size()));
  CFDictionarySetValue(d, CFSTR("big"), big);
  const double third = 1.0 / 3.0, inf = HUGE_VAL;
  CFNumberRef t = CFNumberCreate(nullptr, kCFNumberFloat64Type, &third);
  CFNumberRef i = CFNumberCreate(nullptr, kCFNumberFloat64Type, &inf);
  CFDictionarySetValue(d, CFSTR("third"), t);
  CFDictionarySetValue(d, CFSTR("inf"), i);
  CFStringRef unicode = CFStringCreateWithCString(nullptr, "Kopfh\xC3\xB6rer \xE2\x82\xAC", kCFStringEncodingUTF8);
  CFDictionarySetValue(d, CFSTR("unicode"), unicode);
  CFDataRef xml = CFPropertyListCreateXMLData(nullptr, d);
  CFPropertyListRef back = parse(text(xml));
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(CFEqual(back, d));
  CFDataRef again = CFPropertyListCreateXMLData(nullptr, back);
  EXPECT_EQ(text(again), text(xml));
  for (CFTypeRef o : {CFTypeRef(big), CFTypeRef(t), CFTypeRef(i), CFTypeRef(unicode), CFTypeRef(xml), back,
                      CFTypeRef(again), CFTypeRef(d)})
    CFRelease(o);
}

TEST(PlistReader, AcceptsCommentsCdataAndEntities) {
  CFPropertyListRef p = parse(std::string(kHeader) +
                              "<!-- c --><dict><key>a&amp;b</key><string><![CDATA[<x>]]>&#233;</string>"
                              "<key>n</key><integer> -42 </integer><key>h</key><integer>0x10</integer></dict></plist>");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(utf8(CFStringRef(CFDictionaryGetValue(CFDictionaryRef(p), CFSTR("a&b")))), "<x>\xC3\xA9");
  SInt64 n = 0;
  CFNumberGetValue(CFNumberRef(CFDictionaryGetValue(CFDictionaryRef(p), CFSTR("n"))), kCFNumberSInt64Type, &n);
  EXPECT_EQ(n, -42);
  CFNumberGetValue(CFNumberRef(CFDictionaryGetValue(CFDictionaryRef(p), CFSTR("h"))), kCFNumberSInt64Type, &n);
  EXPECT_EQ(n, 16);
  CFRelease(p);
}

TEST(PlistReader, RefusesMalformedInput) {
  const std::string h = kHeader;
  const char* cases[] = {
      "<plist><dict><key>a</key></dict></plist>",                          // key without value
      "<plist><dict><string>a</string><string>b</string></dict></plist>",  // value in place of key
      "<plist><date>2020-01-01T00:00:00Z</date></plist>",                  // unknown element
      "<plist><integer>9223372036854775808</integer></plist>",             // beyond 64 bits
      "<plist><integer>12a</integer></plist>",
      "<plist><real>x</real></plist>",
      "<plist><data>QQ=x</data></plist>",   // character after padding
      "<plist><data>Q$==</data></plist>",   // outside the alphabet
      "<plist><array>text<true/></array></plist>",
      "<plist><true/><false/></plist>",     // two roots
      "<dict/>",                            // no plist element
      "<plist><string>unclosed</plist>",    // not well formed
      "",
  };
  for (const char* c : cases) {
    std::string why;
    EXPECT_EQ(parse(h + c, &why), nullptr) << c;
    EXPECT_FALSE(why.empty()) << c;
    EXPECT_NE(why, "<null>") << c;
  }
}

TEST(PlistReader, GivesTheXmlLibrarysMessage) {
  std::string why;
  EXPECT_EQ(parse("<plist><string>a</strin></plist>", &why), nullptr);
  EXPECT_NE(why.find("string"), std::string::npos) << why;
}

TEST(PlistReader, LoadsNoExternalEntitiesAndRefusesBinary) {
  std::string why;
  const std::string xxe =
      "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
      "<plist><string>&x;</string></plist>";
  CFPropertyListRef p = parse(xxe, &why);
  if (p != nullptr) {
    EXPECT_EQ(utf8(CFStringRef(p)).find("root:"), std::string::npos);
    CFRelease(p);
  }
  EXPECT_EQ(parse(std::string("bplist00\0\0\0", 11), &why), nullptr);
  EXPECT_NE(why.find("Binary"), std::string::npos);
}

TEST(PlistReader, MutatedInputNeverCrashes) {
  CFMutableDictionaryRef d = presetLike();
  CFDataRef xml = CFPropertyListCreateXMLData(nullptr, d);
  const std::string good = text(xml);
  CFRelease(xml);
  CFRelease(d);
  std::mt19937 random(99);
  const char alphabet[] = "<>/&;=\"'!?[]dictkeystringintegerrealdataarraytrue false \n\t\x80\xff\x00";
  int parsed = 0;
  for (int trial = 0; trial < 2000; ++trial) {
    std::string s = good;
    const int edits = 1 + int(random() % 5);
    for (int e = 0; e < edits; ++e) {
      const size_t at = random() % s.size();
      switch (random() % 3) {
        case 0:
          s[at] = alphabet[random() % (sizeof alphabet - 1)];
          break;
        case 1:
          s.erase(at, 1 + random() % 8);
          break;
        default:
          s.insert(at, 1, alphabet[random() % (sizeof alphabet - 1)]);
      }
      if (s.empty()) s = "<";
    }
    CFPropertyListRef p = parse(s);
    if (p != nullptr) {
      ++parsed;
      CFDataRef again = CFPropertyListCreateXMLData(nullptr, p);
      EXPECT_NE(again, nullptr);
      if (again != nullptr) CFRelease(again);
      CFRelease(p);
    }
  }
  EXPECT_GT(parsed, 0);
}

TEST(PlistReader, LimitsNesting) {
  std::string deep = "<plist>";
  for (int i = 0; i < 300; ++i) deep += "<array>";
  for (int i = 0; i < 300; ++i) deep += "</array>";
  deep += "</plist>";
  EXPECT_EQ(parse(deep), nullptr);
  std::string ok = "<plist>";
  for (int i = 0; i < 100; ++i) ok += "<array>";
  for (int i = 0; i < 100; ++i) ok += "</array>";
  ok += "</plist>";
  CFPropertyListRef p = parse(ok);
  EXPECT_NE(p, nullptr);
  if (p != nullptr) CFRelease(p);
}

}  // namespace
