// Factory presets from SYFactoryPresets.txt and the conversion of .fxp and .fxb files in
// the preset folders of the user and local domains.
#include <CoreServices/LaunchServices.h>

#include "AUFixtures.h"

using namespace autest;
using bridgetest::StderrCapture;

namespace {

void put32(std::string& s, UInt32 x) {
  for (int shift = 24; shift >= 0; shift -= 8) s.push_back(char((x >> shift) & 0xFF));
}

// A parameter-form program record for the fake ('Fake', version 7).
std::string programRecord(const std::string& name, const std::vector<float>& values) {
  std::string r;
  put32(r, FOURCC("CcnK"));
  put32(r, UInt32(48 + 4 * values.size()));
  put32(r, FOURCC("FxCk"));
  put32(r, 1);
  put32(r, FOURCC("Fake"));
  put32(r, 7);
  put32(r, UInt32(values.size()));
  std::string padded = name;
  padded.resize(28, '\0');
  r += padded;
  for (float v : values) {
    UInt32 bits;
    std::memcpy(&bits, &v, 4);
    put32(r, bits);
  }
  return r;
}

std::string bankRecord(const std::vector<std::pair<std::string, std::vector<float>>>& programs) {
  std::string body;
  for (const auto& p : programs) body += programRecord(p.first, p.second);
  std::string r;
  put32(r, FOURCC("CcnK"));
  put32(r, UInt32(148 + body.size()));
  put32(r, FOURCC("FxBk"));
  put32(r, 1);
  put32(r, FOURCC("Fake"));
  put32(r, 7);
  put32(r, UInt32(programs.size()));
  r += std::string(128, '\0');
  return r + body;
}

TEST(AUFactoryPresets, ProgramsBecomePresetFilesAndAList) {
  FakeUnit u;
  u.fake().numPrograms = 5;
  u.fake().initialProgramNames = {"Init", "Init", " Bass ", "Init", "   "};
  ASSERT_EQ(u.open(), noErr);
  // The fourth program's Init follows Bass, so it is kept, under a name of its own.
  EXPECT_EQ(readFile(u.resources("SYFactoryPresets.txt")), "Init.aupreset\rBass.aupreset\rInit 2.aupreset\r");
  EXPECT_TRUE(exists(u.resources("Bass.aupreset")));
  CFArrayRef presets = nullptr;
  ASSERT_EQ(u.host->get(kAudioUnitProperty_FactoryPresets, 0, 0, presets), noErr);
  ASSERT_EQ(CFArrayGetCount(presets), 3);
  auto* third = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, 2));
  EXPECT_EQ(third->presetNumber, 2);
  char name[32];
  CFStringGetCString(third->presetName, name, sizeof name, kCFStringEncodingUTF8);
  EXPECT_STREQ(name, "Init");
  CFRelease(presets);
  EXPECT_EQ(u.fake().currentProgram, 0);  // the walk restored the program
}

TEST(AUFactoryPresets, BankPresetWhenPresetsAreBanks) {
  Config c;
  c.presetIsFXB = true;
  FakeUnit u(c);
  ASSERT_EQ(u.open(), noErr);
  EXPECT_EQ(readFile(u.resources("SYFactoryPresets.txt")), "FactoryPreset.aupreset\r");
  const std::string preset = readFile(u.resources("FactoryPreset.aupreset"));
  EXPECT_NE(preset.find("<string>Default</string>"), std::string::npos);
}

TEST(AUFactoryPresets, ListLimitsAndFailures) {
  FakeUnit u;
  ASSERT_EQ(u.open(), noErr);
  u.host->close();
  std::string list;
  for (int i = 0; i < 130; ++i) list += "  Init.aupreset\n";
  writeFile(u.resources("SYFactoryPresets.txt"), "; comment\r\r" + list);
  ASSERT_EQ(u.open(), noErr);
  CFArrayRef presets = nullptr;
  ASSERT_EQ(u.host->get(kAudioUnitProperty_FactoryPresets, 0, 0, presets), noErr);
  EXPECT_EQ(CFArrayGetCount(presets), 128);
  CFRelease(presets);
  u.host->close();

  writeFile(u.resources("Array.aupreset"),
            "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><integer>1</integer></array></plist>");
  writeFile(u.resources("Broken.aupreset"), "<plist><dict><key>name</key>");
  const struct {
    const char* second;
    const char* message;
  } cases[] = {{"Missing.aupreset", "Failed loading factory presets, caught exception: Mac OS error code -43"},
               {"Array.aupreset", "Failed loading factory presets, caught exception: Invalid AUPreset format"},
               {"Broken.aupreset", "Could not create property list from XML data ("},
               {"../Init.aupreset", "Failed loading factory presets, caught exception: Mac OS error code -43"},
               {"..", "Failed loading factory presets, caught exception: Mac OS error code -37"}};
  for (const auto& c : cases) {
    writeFile(u.resources("SYFactoryPresets.txt"), std::string("Init.aupreset\r") + c.second + "\rInit.aupreset\r");
    StderrCapture capture;
    ASSERT_EQ(u.open(), noErr) << c.second;
    EXPECT_NE(capture.text().find(c.message), std::string::npos) << c.second << capture.text();
    ASSERT_EQ(u.host->get(kAudioUnitProperty_FactoryPresets, 0, 0, presets), noErr);
    EXPECT_EQ(CFArrayGetCount(presets), 1) << c.second;
    CFRelease(presets);
    u.host->close();
  }
}

class Conversion : public ::testing::Test {
 protected:
  std::string presets(const std::string& root) { return root + "/Audio/Presets/Maker/Quillatone"; }
};

TEST_F(Conversion, ProgramAndBankFilesConvertOnce) {
  Config c;
  c.autoConvertPresets = true;
  FakeUnit u(c);
  DomainRoots roots(u.tmp);
  const std::string folder = presets(roots.user);
  writeFile(folder + "/Song.FXP", programRecord("Stored", {0.1f, 0.2f, 0.3f}));
  writeFile(folder + "/Live.fxb", bankRecord({{"One", {0.1f, 0.1f, 0.1f}}, {"Two", {0.2f, 0.2f, 0.2f}}}));
  writeFile(folder + "/Groove", programRecord("G", {0.4f, 0.4f, 0.4f}));
  symac_test_setTypeCreator((folder + "/Groove").c_str(), FOURCC("AFxP"), 0);
  writeFile(folder + "/.hidden.fxp", programRecord("H", {0.5f, 0.5f, 0.5f}));
  writeFile(folder + "/notes.txt", "not a preset");
  writeFile(folder + "/Bad.fxb", "garbage");
  StderrCapture capture;
  ASSERT_EQ(u.open(), noErr);
  const std::string log = capture.text();
  EXPECT_TRUE(exists(folder + "/Song.aupreset"));
  EXPECT_NE(readFile(folder + "/Song.aupreset").find("<key>name</key>\n\t<string>Song</string>"), std::string::npos);
  EXPECT_TRUE(exists(folder + "/Live/One.aupreset"));
  EXPECT_TRUE(exists(folder + "/Live/Two.aupreset"));
  EXPECT_TRUE(exists(folder + "/Groove.aupreset"));
  EXPECT_FALSE(exists(folder + "/.hidden.aupreset"));
  EXPECT_FALSE(exists(folder + "/notes.aupreset"));
  // A bank that cannot be read leaves no folder behind, so it is tried again next time.
  EXPECT_FALSE(exists(folder + "/Bad"));
  EXPECT_NE(log.find("Failed converting preset, caught exception: "), std::string::npos);
  // The local domain had no preset folder yet: it is made, nothing fails.
  EXPECT_TRUE(std::filesystem::is_directory(presets(roots.local)));
  EXPECT_EQ(log.find("Failed converting presets in"), std::string::npos) << log;

  const auto stamp = std::filesystem::last_write_time(folder + "/Song.aupreset");
  writeFile(folder + "/Live/One.aupreset", "kept");
  u.host->close();
  ASSERT_EQ(u.open(), noErr);
  EXPECT_EQ(std::filesystem::last_write_time(folder + "/Song.aupreset"), stamp);
  EXPECT_EQ(readFile(folder + "/Live/One.aupreset"), "kept");
}

TEST_F(Conversion, BanksBecomeOnePresetWhenPresetsAreBanks) {
  Config c;
  c.autoConvertPresets = true;
  c.presetIsFXB = true;
  FakeUnit u(c);
  DomainRoots roots(u.tmp);
  const std::string folder = presets(roots.local);
  writeFile(folder + "/Live.fxb", bankRecord({{"One", {0.1f, 0.1f, 0.1f}}, {"Two", {0.2f, 0.2f, 0.2f}}}));
  writeFile(folder + "/Song.fxp", programRecord("Stored", {0.1f, 0.2f, 0.3f}));
  ASSERT_EQ(u.open(), noErr);
  EXPECT_TRUE(exists(folder + "/Live.aupreset"));
  EXPECT_FALSE(exists(folder + "/Live"));
  EXPECT_FALSE(exists(folder + "/Song.aupreset"));  // programs are not presets here
}

TEST_F(Conversion, ComponentNamePiecesAndFailingDomains) {
  Config c;
  c.autoConvertPresets = true;
  FakeUnit u(c, "aufx", " Maker : Product ");
  DomainRoots roots(u.tmp);
  std::filesystem::remove_all(roots.user + "/Audio");  // the user domain fails
  const std::string folder = roots.local + "/Audio/Presets/Maker/Product";
  writeFile(folder + "/a.fxp", programRecord("A", {0.1f, 0.2f, 0.3f}));
  StderrCapture capture;
  ASSERT_EQ(u.open(), noErr);
  EXPECT_TRUE(exists(folder + "/a.aupreset"));
  EXPECT_NE(capture.text().find("Failed converting presets in user domain, caught exception: Mac OS error code -43"),
            std::string::npos);
}

TEST_F(Conversion, NamesStayInsideTheirFolder) {
  Config c;
  c.autoConvertPresets = true;
  FakeUnit u(c, "aufx", "Maker: ../../Escape");
  DomainRoots roots(u.tmp);
  ASSERT_EQ(u.open(), noErr);
  // The piece ".." is refused as a folder name; nothing appears outside Presets.
  EXPECT_FALSE(exists(roots.user + "/Audio/Escape"));
  EXPECT_FALSE(exists(roots.user + "/Escape"));
  u.host->close();

  // Program names with '/' and ".." name one file each inside the resources folder, where
  // '/' shows as ':', and the list names them as written.
  FakeUnit v;
  v.fake().numPrograms = 2;
  v.fake().initialProgramNames = {"../up", "a/b"};
  ASSERT_EQ(v.open(), noErr);
  EXPECT_TRUE(exists(v.resources("..:up.aupreset")));
  EXPECT_TRUE(exists(v.resources("a:b.aupreset")));
  EXPECT_FALSE(exists(v.path + "/Contents/up.aupreset"));
  EXPECT_EQ(readFile(v.resources("SYFactoryPresets.txt")), "../up.aupreset\ra/b.aupreset\r");
  CFArrayRef presets = nullptr;
  ASSERT_EQ(v.host->get(kAudioUnitProperty_FactoryPresets, 0, 0, presets), noErr);
  ASSERT_EQ(CFArrayGetCount(presets), 2);
  char name[32];
  CFStringGetCString(static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, 1))->presetName, name, sizeof name,
                     kCFStringEncodingUTF8);
  EXPECT_STREQ(name, "a/b");
  CFRelease(presets);
}

}  // namespace
