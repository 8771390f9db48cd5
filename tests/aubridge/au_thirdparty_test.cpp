// Debian's VST 2.4 plug-ins as Audio Units (through the forwarding shim where they export
// only "main"): several buses, synths with MIDI, and output equal to direct processing.
#include <sys/stat.h>

#include <cmath>

#include "AUFixtures.h"
#include "VSTPlugIn.h"

using namespace autest;

namespace {

bool installed(const char* path) {
  struct stat st;
  return stat(path, &st) == 0;
}

// A unit over a third-party plug-in; the shim's bundle inside Resources forwards to it.
struct ThirdPartyUnit {
  ThirdPartyUnit(const char* plugIn, const std::string& type = "aufx") {
    BundleSpec spec;
    spec.executable = BRIDGE_HOST_MODULE;
    spec.config = configXml(Config());
    spec.vstModule = FORWARDING_SHIM;
    spec.shimTarget = plugIn;
    spec.type = type;
    path = makeComponentBundle(tmp, spec);
    host = std::make_unique<AUHost>(path);
  }
  std::string resources(const std::string& name) const { return path + "/Contents/Resources/" + name; }
  TempFolder tmp;
  std::string path;
  std::unique_ptr<AUHost> host;
};

using bridgetest::noise;

TEST(AUThirdParty, EqualiserDefaultMappingAndDirectEquality) {
  const char* plugIn = "/usr/lib/vst/3BandEQ-vst.so";
  if (!installed(plugIn)) GTEST_SKIP() << plugIn << " is not installed";
  {
    ThirdPartyUnit fresh(plugIn);
    ASSERT_EQ(fresh.host->open(), noErr);
    EXPECT_NE(readFile(fresh.resources("SYParameters.txt")).find("\r0\tLow\t-24\t24\t=\tdB\t0\r"),
              std::string::npos);
  }
  // Pre-seeded files: no probing at open, so the plug-in's history equals the direct one's.
  ThirdPartyUnit u(plugIn);
  writeFile(u.resources("SYParameters.txt"), "heading\r0\tLow\t-24\t24\t=\tdB\t0\r");
  writeFile(u.resources("SYFactoryPresets.txt"), "");
  ASSERT_EQ(u.host->open(), noErr);
  // The AU parameter is in dB.
  ASSERT_EQ(AudioUnitSetParameter(u.host->unit, 0, 0, 0, -12.0f, 0), noErr);
  Float32 value = 0;
  ASSERT_EQ(AudioUnitGetParameter(u.host->unit, 0, 0, 0, &value), noErr);
  EXPECT_NEAR(value, -12.0f, 1e-4f);

  constexpr size_t kFrames = 8192;
  constexpr UInt32 kSlice = 512;
  InputFeed feed;
  feed.channels = noise(2, kFrames, 11);
  const AURenderCallbackStruct cb{&InputFeed::proc, &feed};
  ASSERT_EQ(u.host->set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, cb), noErr);
  ASSERT_EQ(u.host->set<UInt32>(kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, kSlice), noErr);
  ASSERT_EQ(AudioUnitInitialize(u.host->unit), noErr);
  std::vector<std::vector<float>> viaUnit(2, std::vector<float>(kFrames)), out;
  for (size_t start = 0; start < kFrames; start += kSlice) {
    ASSERT_EQ(u.host->render(0, kSlice, double(start), 2, true, out), noErr);
    for (size_t c = 0; c < 2; ++c) std::copy(out[c].begin(), out[c].end(), viaUnit[c].begin() + long(start));
  }

  // The same plug-in through the wrapper alone, with separate buffers.
  bridgetest::RecordingHost host;
  bridgetest::Bundle direct(bridgetest::makeBundle(u.tmp, "Direct.vst", FORWARDING_SHIM, plugIn));
  VSTPlugIn p(host, direct.ref, 44100.0f, SInt32(kSlice));
  p.open();
  p.setSampleRate(44100.0f);
  p.setBlockSize(SInt32(kSlice));
  p.setParameter(0, 0.25f);  // -12 dB of -24..24
  p.resume();
  std::vector<float> i0(kSlice), i1(kSlice), o0(kSlice), o1(kSlice);
  float* ins[] = {i0.data(), i1.data()};
  float* outs[] = {o0.data(), o1.data()};
  for (size_t start = 0; start < kFrames; start += kSlice) {
    std::copy_n(feed.channels[0].begin() + long(start), kSlice, i0.begin());
    std::copy_n(feed.channels[1].begin() + long(start), kSlice, i1.begin());
    p.processReplacing(ins, outs, SInt32(kSlice));
    for (UInt32 i = 0; i < kSlice; ++i) {
      ASSERT_EQ(o0[i], viaUnit[0][start + i]) << start + i;
      ASSERT_EQ(o1[i], viaUnit[1][start + i]) << start + i;
    }
  }
}

TEST(AUThirdParty, SplitterBusesShareOneRun) {
  const char* plugIn = "/usr/lib/vst/3BandSplitter-vst.so";
  if (!installed(plugIn)) GTEST_SKIP() << plugIn << " is not installed";
  ThirdPartyUnit u(plugIn);
  ASSERT_EQ(u.host->open(), noErr);
  UInt32 buses = 0;
  ASSERT_EQ(u.host->get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0, buses), noErr);
  ASSERT_EQ(buses, 3u);
  InputFeed feed;
  feed.channels = noise(2, 4096, 3);
  const AURenderCallbackStruct cb{&InputFeed::proc, &feed};
  ASSERT_EQ(u.host->set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, cb), noErr);
  ASSERT_EQ(AudioUnitInitialize(u.host->unit), noErr);
  std::vector<std::vector<float>> band[3];
  for (UInt32 bus = 0; bus < 3; ++bus) ASSERT_EQ(u.host->render(bus, 1024, 0.0, 2, true, band[bus]), noErr);
  EXPECT_EQ(feed.calls, 1);
  // Each bus carries its own band of the one run.
  for (UInt32 bus = 0; bus < 3; ++bus) {
    double energy = 0;
    for (float x : band[bus][0]) energy += double(x) * x;
    EXPECT_GT(energy, 0.0) << bus;
  }
  EXPECT_NE(band[0][0], band[1][0]);
}

TEST(AUThirdParty, SynthSoundsAfterANoteOn) {
  const char* plugIn = "/usr/lib/vst/Kars-vst.so";
  if (!installed(plugIn)) GTEST_SKIP() << plugIn << " is not installed";
  ThirdPartyUnit u(plugIn, "aumu");
  ASSERT_EQ(u.host->open(), noErr);
  ASSERT_EQ(AudioUnitInitialize(u.host->unit), noErr);
  UInt32 channels = 0;
  AudioStreamBasicDescription f{};
  ASSERT_EQ(u.host->get(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, f), noErr);
  channels = f.mChannelsPerFrame;
  std::vector<std::vector<float>> out;
  ASSERT_EQ(u.host->render(0, 512, 0.0, channels, true, out), noErr);
  double before = 0;
  for (float x : out[0]) before += double(x) * x;
  EXPECT_EQ(before, 0.0);
  ASSERT_EQ(MusicDeviceMIDIEvent(u.host->unit, 0x90, 60, 120, 10), noErr);
  double after = 0;
  for (int block = 1; block < 5; ++block) {
    ASSERT_EQ(u.host->render(0, 512, 512.0 * block, channels, true, out), noErr);
    for (float x : out[0]) after += double(x) * x;
  }
  EXPECT_GT(after, 0.0);
}

TEST(AUThirdParty, PlugInExportingOnlyMainWithoutTheShim) {
  const char* plugIn = "/usr/lib/vst/3BandEQ-vst.so";
  if (!installed(plugIn)) GTEST_SKIP() << plugIn << " is not installed";
  TempFolder tmp;
  BundleSpec spec;
  spec.executable = BRIDGE_HOST_MODULE;
  spec.config = configXml(Config());
  spec.vstModule = plugIn;
  AUHost host(makeComponentBundle(tmp, spec));
  bridgetest::StderrCapture capture;
  EXPECT_EQ(host.open(), -32767);
  EXPECT_NE(capture.text().find("Could not locate function in bundle executable (\"main_macho\" or \"VSTPluginMain\")"),
            std::string::npos);
}

}  // namespace
