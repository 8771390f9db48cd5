// The product's own bundle executable as an Audio Unit: it hosts the plug-in from itself.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include <ObjCStandin.h>

#include "AUFixtures.h"

#if defined(PRODUCT_AU_MODULE)
#include "HostedPlugin.h"
#include "ProductDataSuite.h"

using namespace autest;

namespace {

class ProductUnit : public bridgetest::ProductDataSuite {
 protected:
  std::string bundle(const Config& c, bool preseed, const std::string& name = "Quillatone.component") {
    BundleSpec spec;
    spec.name = name;
    spec.executable = PRODUCT_AU_MODULE;
    spec.config = configXml(c);
    const std::string path = makeComponentBundle(tmp, spec);
    if (preseed) {
      // No probing and no program walk at the first open: the plug-in's history then
      // equals a direct host's.
      writeFile(path + "/Contents/Resources/SYParameters.txt", "heading\r");
      writeFile(path + "/Contents/Resources/SYFactoryPresets.txt", "");
    }
    return path;
  }

  TempFolder tmp;
};

TEST_F(ProductUnit, OpensFromItsOwnExecutableAndWritesItsFiles) {
  AUHost host(bundle(Config(), false));
  ASSERT_NE(host.component, nullptr);
  ASSERT_EQ(host.open(), noErr);
  const std::string resources = host.path + "/Contents/Resources/";
  const std::string mapping = readFile(resources + "SYParameters.txt");
  const std::string heading = "vst param #\tname\tmin\tmax\tdisplay\tunit\tdefault\r";
  EXPECT_EQ(mapping.compare(0, heading.size(), heading), 0);
  EXPECT_NE(mapping.find("\r0\tHeadphones\t0\t1\t=\t-\t"), std::string::npos) << mapping.substr(0, 200);
  EXPECT_EQ(std::count(mapping.begin(), mapping.end(), '\r'), 39);
  EXPECT_EQ(readFile(resources + "SYFactoryPresets.txt"), "Default.aupreset\r");
  UInt32 size = 0;
  Boolean writable;
  ASSERT_EQ(host.info(kAudioUnitProperty_ParameterList, 0, 0, size, writable), noErr);
  EXPECT_EQ(size, 38u * 4u);
  Float64 latency = 0;
  ASSERT_EQ(host.get(kAudioUnitProperty_Latency, 0, 0, latency), noErr);
  EXPECT_DOUBLE_EQ(latency, 3.0 / 44100.0);
  AudioUnitCocoaViewInfo info{};
  ASSERT_EQ(host.get(kAudioUnitProperty_CocoaUI, 0, 0, info), noErr);
  char name[128];
  ASSERT_TRUE(CFStringGetCString(info.mCocoaAUViewClass[0], name, sizeof name, kCFStringEncodingUTF8));
  EXPECT_STREQ(name, "Quillatone_CocoaViewFactory");
  EXPECT_NE(objc_getClass(name), nullptr);
  CFRelease(info.mCocoaAUViewBundleLocation);
  CFRelease(info.mCocoaAUViewClass[0]);
}

// The bundle's plug-in roots its data in the users folder's "Shared" folder: it writes its
// design-table cache there, and with the data it sounds in all three modes.
TEST_F(ProductUnit, FindsItsDataBesideTheUsersAndRendersTheThreeModes) {
  const std::string product = users + "/Shared/Harlox/Quillatone";
  std::filesystem::remove(product + "/bin/pretab.qtb");
  AUHost host(bundle(Config(), true));
  ASSERT_EQ(host.open(), noErr);
  EXPECT_TRUE(std::filesystem::is_regular_file(product + "/bin/pretab.qtb"));
  EXPECT_TRUE(std::filesystem::is_directory(product + "/preset"));
  InputFeed feed;
  feed.channels = bridgetest::noise(2, 8192, 9, 0.3f);
  const AURenderCallbackStruct cb{&InputFeed::proc, &feed};
  ASSERT_EQ(host.set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, cb), noErr);
  ASSERT_EQ(AudioUnitInitialize(host.unit), noErr);
  double sampleTime = 0;
  for (const float mode : {0.0f, 0.5f, 1.0f}) {
    ASSERT_EQ(AudioUnitSetParameter(host.unit, 15, 0, 0, mode, 0), noErr);
    double energy = 0;
    std::vector<std::vector<float>> out;
    for (int slice = 0; slice < 2; ++slice, sampleTime += 4096) {
      ASSERT_EQ(host.render(0, 4096, sampleTime, 2, true, out), noErr);
      for (const auto& channel : out)
        for (float x : channel) {
          ASSERT_TRUE(std::isfinite(x));
          energy += double(x) * x;
        }
    }
    if (haveData) {
      EXPECT_GT(energy, 1e-3) << "mode " << mode;
    }
  }
}

TEST_F(ProductUnit, ClassInfoRoundTripThroughABank) {
  Config c;
  c.presetIsFXB = true;
  AUHost first(bundle(c, true));
  ASSERT_EQ(first.open(), noErr);
  ASSERT_EQ(AudioUnitSetParameter(first.unit, 7, 0, 0, 0.8f, 0), noErr);
  CFPropertyListRef info = nullptr;
  ASSERT_EQ(first.get(kAudioUnitProperty_ClassInfo, 0, 0, info), noErr);
  CFDataRef xml = CFPropertyListCreateXMLData(nullptr, info);
  CFRelease(info);
  CFPropertyListRef parsed = CFPropertyListCreateFromXMLData(nullptr, xml, kCFPropertyListImmutable, nullptr);
  CFRelease(xml);
  ASSERT_NE(parsed, nullptr);
  auto data = CFDataRef(CFDictionaryGetValue(CFDictionaryRef(parsed), CFSTR("vstdata")));
  EXPECT_EQ(CFDataGetLength(data), 10556);
  AUHost second(bundle(c, true, "Second.component"));
  ASSERT_EQ(second.open(), noErr);
  ASSERT_EQ(second.set(kAudioUnitProperty_ClassInfo, 0, 0, parsed), noErr);
  CFRelease(parsed);
  Float32 value = 0;
  ASSERT_EQ(AudioUnitGetParameter(second.unit, 7, 0, 0, &value), noErr);
  EXPECT_FLOAT_EQ(value, 0.8f);
}

TEST_F(ProductUnit, RendersAsTheDirectHost) {
  AUHost host(bundle(Config(), true));
  ASSERT_EQ(host.open(), noErr);
  constexpr size_t kFrames = 16384;
  constexpr UInt32 kSlice = 4096;
  InputFeed feed;
  feed.channels = bridgetest::noise(2, kFrames, 5, 0.3f);
  const AURenderCallbackStruct cb{&InputFeed::proc, &feed};
  ASSERT_EQ(host.set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, cb), noErr);
  ASSERT_EQ(AudioUnitInitialize(host.unit), noErr);
  std::vector<std::vector<float>> viaUnit(2, std::vector<float>(kFrames)), out;
  for (size_t start = 0; start < kFrames; start += kSlice) {
    ASSERT_EQ(host.render(0, kSlice, double(start), 2, start % 8192 == 0, out), noErr);
    for (size_t c = 0; c < 2; ++c) std::copy(out[c].begin(), out[c].end(), viaUnit[c].begin() + long(start));
  }

#ifdef PRODUCT_VST_MODULE
  testhost::TestHost directHost;
  directHost.settings().blockSize = kSlice;
  std::string error;
  auto direct = testhost::HostedPlugin::load(directHost, PRODUCT_VST_MODULE, error);
  ASSERT_NE(direct, nullptr) << error;
  direct->open();
  direct->resume();
  const auto reference = direct->render(feed.channels, kFrames, kSlice);
  double energy = 0;
  for (size_t c = 0; c < 2; ++c)
    for (size_t i = 0; i < kFrames; ++i) {
      ASSERT_TRUE(std::isfinite(viaUnit[c][i]));
      ASSERT_EQ(reference[c][i], viaUnit[c][i]) << c << ":" << i;
      energy += double(viaUnit[c][i]) * viaUnit[c][i];
    }
  if (haveData) {
    EXPECT_GT(energy, 0.0);
  }
#endif
}

#ifdef PRODUCT_VST_MODULE
// The plug-in module itself (Quillatone.so) in the Resources of a bridge-only bundle, driven
// as a host would: open, formats, initialise, render, reset, render, close.
TEST_F(ProductUnit, PlugInModuleInResourcesThroughAHostsSequence) {
  BundleSpec spec;
  spec.name = "Hosted.component";
  spec.executable = BRIDGE_HOST_MODULE;
  spec.config = configXml(Config());
  spec.vstModule = PRODUCT_VST_MODULE;
  const std::string path = makeComponentBundle(tmp, spec);
  writeFile(path + "/Contents/Resources/SYFactoryPresets.txt", "");
  AUHost host(path);
  ASSERT_EQ(host.open(), noErr);
  EXPECT_EQ(CallComponentVersion(host.unit), 0x00010203);
  AudioStreamBasicDescription f{};
  ASSERT_EQ(host.get(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, f), noErr);
  f.mSampleRate = 48000.0;
  ASSERT_EQ(host.set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, f), noErr);
  ASSERT_EQ(host.set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, f), noErr);
  ASSERT_EQ(host.set<UInt32>(kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, 1024), noErr);
  InputFeed feed;
  feed.channels.assign(2, std::vector<float>(4096));
  for (size_t i = 0; i < 4096; ++i) feed.channels[0][i] = feed.channels[1][i] = 0.2f * std::sin(0.05f * float(i));
  const AURenderCallbackStruct cb{&InputFeed::proc, &feed};
  ASSERT_EQ(host.set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, cb), noErr);
  ASSERT_EQ(AudioUnitInitialize(host.unit), noErr);
  std::vector<std::vector<float>> out;
  for (int round = 0; round < 2; ++round) {
    for (int block = 0; block < 4; ++block) {
      ASSERT_EQ(host.render(0, 1024, 1024.0 * block, 2, block % 2 == 0, out), noErr);
      for (const auto& channel : out)
        for (float x : channel) ASSERT_TRUE(std::isfinite(x));
    }
    ASSERT_EQ(AudioUnitReset(host.unit, kAudioUnitScope_Global, 0), noErr);
  }
  Float32 value = 0;
  ASSERT_EQ(AudioUnitGetParameter(host.unit, 7, 0, 0, &value), noErr);
  EXPECT_GE(value, 0.0f);
  ASSERT_EQ(AudioUnitUninitialize(host.unit), noErr);
  host.close();
}
#endif

}  // namespace

#endif
