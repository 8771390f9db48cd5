// Real Debian VST 2.4 plug-ins and our own effect hosted through the wrapper, compared with
// the direct test host; and a bundle that hosts itself.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>

#include "BridgeTestSupport.h"
#include "HostedPlugin.h"
#include "RoruvovuzException.h"

using namespace bridgetest;

namespace {

constexpr Float32 kRate = 44100.0f;
constexpr SInt32 kBlock = 512;
constexpr size_t kFrames = 8192;

bool exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// Processes planar input in blocks through the wrapper with separate output buffers.
std::vector<std::vector<float>> render(VSTPlugIn& p, const std::vector<std::vector<float>>& input, size_t frames) {
  const size_t ins = size_t(p.getInputCount()), outs = size_t(p.getOutputCount());
  std::vector<std::vector<float>> inBlock(ins, std::vector<float>(kBlock)), outBlock(outs, std::vector<float>(kBlock));
  std::vector<float*> inPtr, outPtr;
  for (auto& c : inBlock) inPtr.push_back(c.data());
  for (auto& c : outBlock) outPtr.push_back(c.data());
  std::vector<std::vector<float>> result(outs, std::vector<float>(frames));
  for (size_t start = 0; start < frames; start += kBlock) {
    const size_t n = std::min(size_t(kBlock), frames - start);
    for (size_t c = 0; c < ins; ++c)
      for (size_t i = 0; i < n; ++i) inBlock[c][i] = c < input.size() ? input[c][start + i] : 0.0f;
    p.processReplacing(inPtr.data(), outPtr.data(), SInt32(n));
    for (size_t c = 0; c < outs; ++c) std::copy(outBlock[c].begin(), outBlock[c].begin() + long(n), result[c].begin() + long(start));
  }
  return result;
}

std::unique_ptr<VSTPlugIn> openResumed(VSTHost& host, CFBundleRef bundle) {
  auto p = std::make_unique<VSTPlugIn>(host, bundle, kRate, kBlock);
  p->open();
  p->setSampleRate(kRate);
  p->setBlockSize(kBlock);
  p->resume();
  return p;
}

// Renders the module directly through the foundation's host.
std::vector<std::vector<float>> renderDirect(const std::string& module, const std::vector<std::vector<float>>& input) {
  testhost::TestHost host;
  std::string error;
  auto direct = testhost::HostedPlugin::load(host, module, error);
  EXPECT_NE(direct, nullptr) << error;
  if (direct == nullptr) return {};
  direct->open();
  direct->resume();
  return direct->render(input, kFrames, kBlock);
}

struct ThirdParty {
  const char* name;
  const char* path;
  int inputs, outputs;
  bool deterministic;
};

const ThirdParty kPlugIns[] = {
    {"3BandEQ", "/usr/lib/vst/3BandEQ-vst.so", 2, 2, true},
    {"PingPongPan", "/usr/lib/vst/PingPongPan-vst.so", 2, 2, true},
    {"MaGigaverb", "/usr/lib/vst/MaGigaverb-vst.so", 2, 2, true},
    {"MaBitcrush", "/usr/lib/vst/MaBitcrush-vst.so", 1, 2, true},
    {"LSPCompressor", "/usr/lib/vst/lsp-plugins/compressor-stereo.so", 2, 2, true},
    {"DragonflyRoom", "/usr/lib/lxvst/DragonflyRoomReverb-vst.so", 2, 2, false},
};

class ThirdPartyTest : public ::testing::TestWithParam<ThirdParty> {};

TEST_P(ThirdPartyTest, OpensProcessesAndCloses) {
  const ThirdParty& t = GetParam();
  if (!exists(t.path)) GTEST_SKIP() << t.path << " is not installed";
  TempFolder tmp;
  Bundle bundle(makeBundle(tmp, std::string(t.name) + ".vst", FORWARDING_SHIM, t.path));
  RecordingHost host;
  const auto input = noise(2, kFrames, 7);
  std::vector<std::vector<float>> viaBridge;
  {
    auto p = openResumed(host, bundle.ref);
    EXPECT_EQ(p->getInputCount(), t.inputs);
    EXPECT_EQ(p->getOutputCount(), t.outputs);
    EXPECT_TRUE(p->canProcessReplacing());
    EXPECT_GE(p->getProgramCount(), 1);
    for (SInt32 i = 0; i < p->getParameterCount(); ++i) {
      char name[25];
      p->getParameterName(i, name);
      const float v = p->getParameter(i);
      EXPECT_TRUE(v >= 0.0f && v <= 1.0f);
    }
    viaBridge = render(*p, input, kFrames);
    for (const auto& c : viaBridge)
      for (float x : c) ASSERT_TRUE(std::isfinite(x));
    p->suspend();
  }
  if (!t.deterministic) return;
  // The direct host reaches "main" through a second shim bundle.
  const std::string directBundle = makeBundle(tmp, std::string(t.name) + "Direct.vst", FORWARDING_SHIM, t.path);
  const auto direct = renderDirect(directBundle + "/Contents/MacOS/Plugin", input);
  ASSERT_EQ(direct.size(), viaBridge.size());
  for (size_t c = 0; c < direct.size(); ++c)
    for (size_t i = 0; i < kFrames; ++i) ASSERT_EQ(direct[c][i], viaBridge[c][i]) << t.name << " " << c << ":" << i;
}

INSTANTIATE_TEST_SUITE_P(Debian, ThirdPartyTest, ::testing::ValuesIn(kPlugIns),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ThirdPartyChunks, ChunkProgramsRoundTrip) {
  const char* paths[] = {"/usr/lib/lxvst/DragonflyRoomReverb-vst.so", "/usr/lib/vst/lsp-plugins/compressor-stereo.so"};
  int tested = 0;
  for (const char* path : paths) {
    if (!exists(path)) continue;
    ++tested;
    TempFolder tmp;
    Bundle bundle(makeBundle(tmp, "Chunky.vst", FORWARDING_SHIM, path));
    RecordingHost host;
    auto p = openResumed(host, bundle.ref);
    ASSERT_TRUE(p->hasProgramChunks()) << path;
    UInt32 fxpSize = 0, fxbSize = 0;
    auto fxp = p->createFXP(fxpSize);
    auto fxb = p->createFXB(fxbSize);
    ASSERT_GT(fxpSize, 60u);
    ASSERT_GT(fxbSize, 160u);
    EXPECT_NO_THROW(p->loadFXPOrFXB(fxpSize, fxp.get()));
    EXPECT_NO_THROW(p->loadFXPOrFXB(fxbSize, fxb.get()));
    UInt32 againSize = 0;
    auto again = p->createFXP(againSize);
    EXPECT_EQ(againSize, fxpSize) << path;
  }
  if (tested == 0) GTEST_SKIP() << "no chunk plug-ins installed";
}

TEST(ThirdPartySynth, AsksForMidiAndPlaysANote) {
  const char* path = "/usr/lib/vst/Kars-vst.so";
  if (!exists(path)) GTEST_SKIP();
  TempFolder tmp;
  Bundle bundle(makeBundle(tmp, "Kars.vst", FORWARDING_SHIM, path));
  RecordingHost host;
  auto p = openResumed(host, bundle.ref);
  EXPECT_EQ(p->getInputCount(), 0);
  ASSERT_GE(p->getOutputCount(), 1);
  EXPECT_TRUE(p->wantsMidi());
  VstMidiEvent note{};
  note.type = kVstMidiType;
  note.byteSize = sizeof note;
  note.deltaFrames = 16;
  note.midiData[0] = char(0x90);
  note.midiData[1] = 60;
  note.midiData[2] = 100;
  VstEvents events{};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<VstEvent*>(&note);
  p->processEvents(&events);
  const auto out = render(*p, {}, 4 * kBlock);
  double energy = 0;
  for (float x : out[0]) {
    ASSERT_TRUE(std::isfinite(x));
    energy += double(x) * x;
  }
  EXPECT_GT(energy, 0.0);
}

TEST(ThirdPartyEntry, PlugInsExportingOnlyMainNeedTheShim) {
  const char* path = "/usr/lib/vst/3BandEQ-vst.so";
  if (!exists(path)) GTEST_SKIP();
  TempFolder tmp;
  Bundle bundle(makeBundle(tmp, "Direct.vst", path));
  RecordingHost host;
  VSTPlugIn p(host, bundle.ref, kRate, kBlock);
  try {
    p.open();
    FAIL();
  } catch (const RoruvovuzException& e) {
    EXPECT_STREQ(e.what(), "Could not locate function in bundle executable (\"main_macho\" or \"VSTPluginMain\")");
  }
}

TEST(OwnEffect, WrapperRendersExactlyAsTheDirectHost) {
  TempFolder tmp;
  Bundle bundle(makeBundle(tmp, "Own.vst", OWN_EFFECT_MODULE));
  RecordingHost host;
  const auto input = noise(2, kFrames, 11);
  auto p = openResumed(host, bundle.ref);
  EXPECT_EQ(p->getInitialDelay(), 3);
  EXPECT_EQ(p->getProgramCount(), 3);
  const auto viaBridge = render(*p, input, kFrames);
  const auto direct = renderDirect(OWN_EFFECT_MODULE, input);
  ASSERT_EQ(direct.size(), 2u);
  for (size_t c = 0; c < 2; ++c)
    for (size_t i = 0; i < kFrames; ++i) ASSERT_EQ(direct[c][i], viaBridge[c][i]) << c << ":" << i;

  // Its programs survive a bank round trip through the wrapper.
  p->setParameter(0, 0.9f);
  UInt32 size = 0;
  auto bank = p->createFXB(size);
  EXPECT_EQ(size, 156u + 3u * (56u + 12u));
  p->setParameter(0, 0.1f);
  EXPECT_TRUE(p->loadFXPOrFXB(size, bank.get()));
  EXPECT_FLOAT_EQ(p->getParameter(0), 0.9f);
}

TEST(SelfHosting, TheWrapperNeverUnloadsItsOwnImage) {
  TempFolder tmp;
  const std::string root = makeBundle(tmp, "Self.vst", SELF_HOST_MODULE);
  Bundle bundle(root);
  ASSERT_TRUE(CFBundleLoadExecutable(bundle.ref));
  auto run = reinterpret_cast<int (*)(CFBundleRef)>(
      CFBundleGetFunctionPointerForName(bundle.ref, CFSTR("selfHostOpenAndClose")));
  ASSERT_NE(run, nullptr);
  CFBundleRef handedOver = bundle.ref;
  bundle.ref = nullptr;
  EXPECT_EQ(run(handedOver), 1);  // returning at all means the code stayed mapped
  const std::string exe = root + "/Contents/MacOS/Plugin";
  EXPECT_NE(dlopen(exe.c_str(), RTLD_LAZY | RTLD_NOLOAD), nullptr);
}

}  // namespace
