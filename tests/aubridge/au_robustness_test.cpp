// Damaged files never crash the unit: mutated mapping files, preset lists, .aupreset files
// and class-info data open or fail with a status, and a refused preset changes nothing.
#include <random>

#include "AUFixtures.h"

using namespace autest;

namespace {

std::string mutate(std::string text, std::mt19937& random) {
  std::uniform_int_distribution<int> kind(0, 3);
  const int edits = 1 + int(random() % 4);
  for (int e = 0; e < edits && !text.empty(); ++e) {
    const size_t at = random() % text.size();
    switch (kind(random)) {
      case 0: text[at] = char(random() & 0xFF); break;
      case 1: text.erase(at, 1 + random() % 8); break;
      case 2: text.insert(at, std::string(1 + random() % 3, "\t\r\n|;+-.0123456789"[random() % 18])); break;
      default: text.resize(at); break;
    }
  }
  return text;
}

TEST(AURobustness, MutatedResourceFiles) {
  FakeUnit u;
  u.fake().numParams = 6;
  ASSERT_EQ(u.open(), noErr);
  u.host->close();
  const std::string mapping =
      "heading\r0\tGain\t-60\t12\t=\tdB\t0\r1\tRoom\t0\t2\tA|B|C\t-\t1\r2\tOn\t0\t1\tb\t-\t0\r3+\tT\t0\t1\t?\t-\t0\r";
  const std::string preset = readFile(u.resources("Init.aupreset"));
  const std::string list = "Init.aupreset\rCopy.aupreset\r";
  std::mt19937 random(7);
  bridgetest::StderrCapture quiet;
  int opened = 0, presetsTried = 0;
  for (int round = 0; round < 150; ++round) {
    writeFile(u.resources("SYParameters.txt"), mutate(mapping, random));
    writeFile(u.resources("Copy.aupreset"), mutate(preset, random));
    writeFile(u.resources("SYFactoryPresets.txt"), round % 3 == 0 ? mutate(list, random) : list);
    const OSStatus status = u.open();
    ASSERT_TRUE(status == noErr || status == -32767 || status == fnfErr) << round << " " << status;
    if (status != noErr) continue;
    ++opened;
    // Whatever was mapped is served consistently.
    UInt32 size = 0;
    Boolean writable;
    ASSERT_EQ(AudioUnitGetPropertyInfo(u.unit(), kAudioUnitProperty_ParameterList, 0, 0, &size, &writable), noErr);
    std::vector<UInt32> ids(size / 4);
    ASSERT_EQ(AudioUnitGetProperty(u.unit(), kAudioUnitProperty_ParameterList, 0, 0, ids.data(), &size), noErr);
    for (UInt32 id : ids) {
      AudioUnitParameterInfo info{};
      ASSERT_EQ(u.host->get(kAudioUnitProperty_ParameterInfo, 0, id, info), noErr);
      ASSERT_LT(info.minValue, info.maxValue);
      Float32 value = 0;
      ASSERT_EQ(AudioUnitGetParameter(u.unit(), id, 0, 0, &value), noErr);
      ASSERT_GE(value, info.minValue);
      ASSERT_LE(value, info.maxValue);
    }
    CFArrayRef presets = nullptr;
    if (u.host->get(kAudioUnitProperty_FactoryPresets, 0, 0, presets) == noErr) {
      const CFIndex n = CFArrayGetCount(presets);
      CFRelease(presets);
      for (SInt32 i = 0; i < n; ++i, ++presetsTried) {
        const OSStatus s = u.host->set<SInt32>(kAudioUnitProperty_CurrentPreset, 0, 0, i);
        ASSERT_TRUE(s == noErr || s == -32767 || s == eofErr) << round << " " << s;
      }
    }
    u.host->close();
  }
  EXPECT_GT(opened, 100);
  EXPECT_GT(presetsTried, 100);
}

TEST(AURobustness, MutatedClassInfoDataChangesNothingWhenRefused) {
  FakeUnit u;
  ASSERT_EQ(u.open(), noErr);
  CFPropertyListRef info = nullptr;
  ASSERT_EQ(u.host->get(kAudioUnitProperty_ClassInfo, 0, 0, info), noErr);
  CFDataRef xml = CFPropertyListCreateXMLData(nullptr, info);
  CFRelease(info);
  const std::string text(reinterpret_cast<const char*>(CFDataGetBytePtr(xml)), size_t(CFDataGetLength(xml)));
  CFRelease(xml);
  std::mt19937 random(11);
  bridgetest::StderrCapture quiet;
  int applied = 0;
  for (int round = 0; round < 300; ++round) {
    const std::string bad = mutate(text, random);
    CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bad.data()), CFIndex(bad.size()));
    CFPropertyListRef plist = CFPropertyListCreateFromXMLData(nullptr, data, kCFPropertyListImmutable, nullptr);
    CFRelease(data);
    if (plist == nullptr) continue;
    const auto before = u.fake().programs;
    const size_t sets = u.fake().setParameters.size();
    const OSStatus status = u.host->set(kAudioUnitProperty_ClassInfo, 0, 0, plist);
    CFRelease(plist);
    ASSERT_TRUE(status == noErr || status == kAudioUnitErr_InvalidPropertyValue || status == -32767 ||
                status == eofErr)
        << status;
    if (status == noErr) {
      ++applied;
      continue;
    }
    // A refused preset never reaches the parameters.
    ASSERT_EQ(u.fake().programs, before) << round;
    ASSERT_EQ(u.fake().setParameters.size(), sets) << round;
  }
  EXPECT_GT(applied, 0);
}

}  // namespace
