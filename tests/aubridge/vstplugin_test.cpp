// The hosted plug-in wrapper against the recording fake effect.
#include <gtest/gtest.h>
#include <symac/TestHooks.h>
#include <ObjCStandin.h>

#include <dlfcn.h>

#include <cmath>
#include <cstring>
#include <thread>

#include "BridgeTestSupport.h"
#include "RoruvovuzException.h"

using namespace bridgetest;

namespace {

// A view to open an editor in, released at the end of the test.
struct ParentView {
  NSView* view = (new NSView)->initWithFrame(NSMakeRect(0, 0, 300, 200));
  ~ParentView() { view->release(); }
};

class VSTPlugInTest : public ::testing::Test {
 protected:
  VSTPlugInTest() : bundle(makeBundle(tmp, "Fake.vst", FAKE_EFFECT_MODULE)) {}

  // The fake as configured by the test, opened through a new wrapper.
  std::unique_ptr<VSTPlugIn> openPlugIn(Float32 rate = 44100.0f, SInt32 block = 512) {
    auto p = std::make_unique<VSTPlugIn>(host, bundle.ref, rate, block);
    p->open();
    return p;
  }
  // Calls the bridge's host callback as the effect does.
  VstIntPtr ask(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0) {
    return fake().master(fake().effect, opcode, index, value, ptr, opt);
  }
  FakeControl& fake() { return bundle.fake(); }

  TempFolder tmp;
  Bundle bundle;
  RecordingHost host;
};

TEST_F(VSTPlugInTest, OpenRoutesEntryCallsAndSendsOnlyEffOpen) {
  StderrCapture log;
  auto p = openPlugIn(44100.5f, 256);
  const std::string text = log.text();
  EXPECT_TRUE(p->isOpen());
  EXPECT_FALSE(p->isResumed());
  // The constructor's question reached this wrapper before the record was handed back.
  EXPECT_EQ(fake().sampleRateSeenInConstructor, 44101);
  EXPECT_EQ(fake().currentIdSeenInEntry, 0);  // no record yet
  ASSERT_EQ(fake().calls.size(), 1u);
  EXPECT_EQ(fake().calls[0].opcode, effOpen);
  EXPECT_TRUE(isLogLine(lines(text).at(0), "Roruvovuz", "VST open")) << text;
  EXPECT_NE(text.find("VST setSampleRate: 44100.500000\n"), std::string::npos);
  EXPECT_NE(text.find("VST setBlockSize: 256\n"), std::string::npos);
  EXPECT_EQ(fake().effect->resvd1, reinterpret_cast<VstIntPtr>(p.get()));

  p->setSampleRate(48000.0f);
  p->setBlockSize(1024);
  EXPECT_EQ(fake().count(effSetSampleRate), 1u);
  EXPECT_EQ(fake().calls.back().value, 1024);
  EXPECT_THROW(p->open(), RoruvovuzException);
}

TEST_F(VSTPlugInTest, OpenFailuresHaveTheirTexts) {
  fake().entryAnswersNull = true;
  VSTPlugIn a(host, bundle.ref, 44100, 512);
  try {
    a.open();
    FAIL();
  } catch (const RoruvovuzException& e) {
    EXPECT_STREQ(e.what(), "VST main() doesn't return object AEffect*");
  }
  EXPECT_FALSE(a.isOpen());
  fake().entryAnswersNull = false;
  fake().badMagic = true;
  VSTPlugIn b(host, bundle.ref, 44100, 512);
  EXPECT_THROW(b.open(), RoruvovuzException);

  TempFolder other;
  Bundle noEntry(makeBundle(other, "NoEntry.vst", SYMAC_TEST_MODULE));
  VSTPlugIn c(host, noEntry.ref, 44100, 512);
  try {
    c.open();
    FAIL();
  } catch (const RoruvovuzException& e) {
    EXPECT_STREQ(e.what(), "Could not locate function in bundle executable (\"main_macho\" or \"VSTPluginMain\")");
  }
  Bundle notLoadable(makeBundle(other, "NotLoadable.vst", SYMAC_TEST_MODULE));
  symac_test_failNext("CFBundleLoadExecutable", -1);
  VSTPlugIn d(host, notLoadable.ref, 44100, 512);
  try {
    d.open();
    FAIL();
  } catch (const RoruvovuzException& e) {
    EXPECT_STREQ(e.what(), "Could not load VST bundle executable");
  }
}

TEST_F(VSTPlugInTest, HostCallbackAnswersByOpcode) {
  auto p = openPlugIn(44100.4f, 333);
  StderrCapture log;
  EXPECT_EQ(ask(audioMasterVersion), 2300);
  EXPECT_EQ(fake().master(nullptr, audioMasterVersion, 0, 0, nullptr, 0), 2300);
  EXPECT_EQ(ask(audioMasterCurrentId), fake().uniqueID);
  EXPECT_EQ(ask(audioMasterGetSampleRate), 44100);
  EXPECT_EQ(ask(audioMasterGetBlockSize), 333);
  EXPECT_EQ(ask(audioMasterPinConnected, 1, 0), 0);  // input 1 connected
  EXPECT_EQ(ask(audioMasterPinConnected, 0, 1), 1);  // outputs not
  EXPECT_EQ(ask(5), 0);
  EXPECT_EQ(ask(50), 0);
  EXPECT_EQ(ask(audioMasterGetCurrentProcessLevel), 0);
  EXPECT_EQ(ask(audioMasterGetLanguage), 1);
  EXPECT_EQ(ask(audioMasterGetParameterQuantization), 1);
  EXPECT_EQ(ask(audioMasterNeedIdle), 1);
  EXPECT_EQ(ask(audioMasterGetVendorVersion), 0x10000);
  EXPECT_EQ(ask(audioMasterGetTime, 0, 0x200), reinterpret_cast<VstIntPtr>(&host.time));
  EXPECT_EQ(ask(audioMasterIdle), 0);
  EXPECT_EQ(ask(audioMasterUpdateDisplay), 1);
  const std::string text = log.text();
  EXPECT_NE(text.find("VST unknown callback opcode: 5\n"), std::string::npos);
  EXPECT_NE(text.find("VST unknown callback opcode: 50\n"), std::string::npos);
  EXPECT_NE(text.find("VST audioMasterGetLanguage (not supported)\n"), std::string::npos);
  EXPECT_NE(text.find("VST audioMasterPinConnected: i/o=out, pin=0\n"), std::string::npos);
  EXPECT_EQ(text.find("CurrentProcessLevel"), std::string::npos);
  EXPECT_EQ(host.calls[0].name, "getTimeInfo");
  EXPECT_EQ(host.calls[0].a, 0x200);

  host.throwOnIdle = true;
  StderrCapture failure;
  EXPECT_EQ(ask(audioMasterIdle), 0);
  EXPECT_NE(failure.text().find("Caught exception in VST audio master callback\n"), std::string::npos);

  p->resume();
  EXPECT_FALSE(p->wantsMidi());
  EXPECT_EQ(ask(audioMasterWantMidi), 1);
  EXPECT_TRUE(p->wantsMidi());
}

TEST_F(VSTPlugInTest, HostRequestsAreAnsweredSafely) {
  auto p = openPlugIn();
  // Indices outside the effect's parameters never reach the host.
  ask(audioMasterAutomate, 1, 0, nullptr, 0.25f);
  ask(audioMasterAutomate, 3, 0, nullptr, 0.25f);
  EXPECT_EQ(ask(audioMasterBeginEdit, -1), 0);
  EXPECT_EQ(ask(audioMasterEndEdit, 2), 1);
  ASSERT_EQ(host.calls.size(), 2u);
  EXPECT_EQ(host.calls[0].name, "automate");
  EXPECT_EQ(host.calls[1].name, "endEdit");
  // No editor open: no resize.
  EXPECT_EQ(ask(audioMasterSizeWindow, 640, 480), 0);
  EXPECT_EQ(host.count("resizeWindow"), 0u);
  // Texts: null, unterminated within the limit, and the host's vendor cut to the field.
  EXPECT_EQ(ask(audioMasterCanDo), 0);
  std::vector<char> endless(300, 'x');
  endless.push_back('\0');
  EXPECT_EQ(ask(audioMasterCanDo, 0, 0, endless.data()), 0);
  char canDo[] = "sizeWindow";
  EXPECT_EQ(ask(audioMasterCanDo, 0, 0, canDo), 1);
  host.vendor = std::string(200, 'v');
  char vendor[kVstMaxVendorStrLen + 8];
  std::memset(vendor, '#', sizeof vendor);
  EXPECT_EQ(ask(audioMasterGetVendorString, 0, 0, vendor), 1);
  EXPECT_EQ(std::strlen(vendor), size_t(kVstMaxVendorStrLen - 1));
  EXPECT_EQ(vendor[kVstMaxVendorStrLen], '#');
  EXPECT_EQ(ask(audioMasterGetVendorString), 0);
}

TEST_F(VSTPlugInTest, SampleRateRoundsHalfUpAndZeroIsRefused) {
  auto p = openPlugIn(22050.5f);
  EXPECT_EQ(ask(audioMasterGetSampleRate), 22051);
  p->setSampleRate(0.0f);
  EXPECT_EQ(ask(audioMasterGetSampleRate), 0);
}

TEST_F(VSTPlugInTest, ProgramsAndNames) {
  auto p = openPlugIn();
  EXPECT_EQ(p->getProgramCount(), 2);
  fake().getProgramAnswer = 7;
  EXPECT_EQ(p->getCurrentProgram(), 1);
  fake().getProgramAnswer = -3;
  EXPECT_EQ(p->getCurrentProgram(), 0);
  fake().getProgramAnswer = -1000;
  EXPECT_THROW(p->setCurrentProgram(2), RoruvovuzException);

  p->setCurrentProgramName("A name of more than twenty-four characters");
  EXPECT_EQ(fake().calls.back().text, "A name of more than twe");
  EXPECT_EQ(fake().calls.back().text.size(), 23u);

  char name[25];
  fake().programNameAnswer = std::string(40, 'n');
  p->getCurrentProgramName(name);
  EXPECT_EQ(std::string(name), std::string(24, 'n'));
  char indexed[25] = "untouched";
  fake().programNameIndexedAnswer = 0;
  EXPECT_FALSE(p->getProgramName(1, indexed));
  EXPECT_STREQ(indexed, "untouched");
  fake().programNameIndexedAnswer = 1;
  EXPECT_TRUE(p->getProgramName(1, indexed));
  EXPECT_STREQ(indexed, "Indexed");
  char text[25];
  p->getParameterName(2, text);
  EXPECT_EQ(std::strlen(text), 24u);
  EXPECT_EQ(fake().calls.back().value, -1);
  EXPECT_THROW(p->getParameterName(3, text), RoruvovuzException);
}

TEST_F(VSTPlugInTest, ZeroProgramsCountAsOne) {
  fake().numPrograms = 0;
  auto p = openPlugIn();
  EXPECT_EQ(p->getProgramCount(), 1);
  EXPECT_EQ(p->getCurrentProgram(), 0);
  p->setCurrentProgram(0);
  EXPECT_EQ(fake().count(effSetProgram), 0u);
  EXPECT_EQ(fake().count(effGetProgram), 0u);
}

TEST_F(VSTPlugInTest, ParametersAreKeptWithinRange) {
  auto p = openPlugIn();
  p->setParameter(1, 0.75f);
  EXPECT_FLOAT_EQ(p->getParameter(1), 0.75f);
  EXPECT_THROW(p->setParameter(1, 1.5f), RoruvovuzException);
  EXPECT_THROW(p->setParameter(1, NAN), RoruvovuzException);
  EXPECT_THROW(p->getParameter(-1), RoruvovuzException);
  fake().parameterAnswer = 1.5f;
  EXPECT_EQ(p->getParameter(0), 1.0f);
  fake().parameterAnswer = -2.0f;
  EXPECT_EQ(p->getParameter(0), 0.0f);
}

TEST_F(VSTPlugInTest, EditorLifecycle) {
  fake().sizeWindowDuringOpen = true;
  auto p = openPlugIn();
  SInt32 w = 0, h = 0;
  p->getEditorDimensions(w, h);
  EXPECT_EQ(w, 300);
  EXPECT_EQ(h, 200);
  ParentView parent;
  p->openEditor(parent.view);
  EXPECT_TRUE(p->isEditorOpen());
  ASSERT_EQ(host.count("resizeWindow"), 1u);  // asked while opening
  p->idle();
  EXPECT_EQ(fake().count(effIdle), 1u);
  EXPECT_EQ(fake().count(effEditIdle), 1u);
  p->closeEditor();
  p->idle();
  EXPECT_EQ(fake().count(effEditIdle), 1u);
  EXPECT_THROW(p->closeEditor(), RoruvovuzException);

  fake().editOpenAnswer = 0;
  try {
    p->openEditor(parent.view);
    FAIL();
  } catch (const RoruvovuzException& e) {
    EXPECT_STREQ(e.what(), "VST could not open editor");
  }
  EXPECT_FALSE(p->isEditorOpen());
  fake().rect = ERect{10, 10, 5, 20};
  EXPECT_THROW(p->getEditorDimensions(w, h), RoruvovuzException);
}

// Both forms hand their parent to the effect untouched, and both refuse a null parent,
// an open editor and an effect without one before sending anything.
TEST_F(VSTPlugInTest, EditorOpensInAWindowOrAView) {
  auto p = openPlugIn();
  int token = 0;
  const WindowRef window = reinterpret_cast<WindowRef>(&token);
  EXPECT_THROW(p->openEditor(WindowRef(nullptr)), RoruvovuzException);
  EXPECT_THROW(p->openEditor(static_cast<NSView*>(nullptr)), RoruvovuzException);
  EXPECT_EQ(fake().count(effEditOpen), 0u);
  p->openEditor(window);
  ASSERT_EQ(fake().count(effEditOpen), 1u);
  EXPECT_EQ(fake().calls.back().ptr, static_cast<void*>(window));
  ParentView parent;
  EXPECT_THROW(p->openEditor(parent.view), RoruvovuzException);
  EXPECT_THROW(p->openEditor(window), RoruvovuzException);
  p->closeEditor();
  p->openEditor(parent.view);
  EXPECT_EQ(fake().calls.back().ptr, static_cast<void*>(parent.view));
  p->closeEditor();

  fake().flags &= ~effFlagsHasEditor;
  auto without = openPlugIn();
  EXPECT_THROW(without->openEditor(window), RoruvovuzException);
  EXPECT_THROW(without->openEditor(parent.view), RoruvovuzException);
  EXPECT_EQ(fake().count(effEditOpen), 2u);  // the two opens above
}

TEST_F(VSTPlugInTest, DestructionClosesEditorThenEffectAndUnloads) {
  fake().editOpenAnswer = 1;
  FakeControl* control = &fake();
  {
    auto p = openPlugIn();
    ParentView parent;
    p->openEditor(parent.view);
    p->resume();
  }
  const size_t n = control->calls.size();
  ASSERT_GE(n, 2u);
  EXPECT_EQ(control->calls[n - 2].opcode, effEditClose);
  EXPECT_EQ(control->calls[n - 1].opcode, effClose);
  EXPECT_EQ(control->count(effMainsChanged), 1u);  // resume only; no suspend on destruction
  // The test's own bundle reference kept the executable loaded.
  EXPECT_TRUE(CFBundleIsExecutableLoaded(bundle.ref));
  CFBundleRef ref = bundle.ref;
  CFRetain(ref);
  CFRelease(bundle.ref);
  bundle.ref = nullptr;
  {
    VSTPlugIn last(host, ref, 44100, 512);
    CFRelease(ref);  // the wrapper is now the last holder
    last.open();
  }
  // The wrapper was the last holder, so the executable is gone from the process.
  const std::string exe = tmp / "Fake.vst/Contents/MacOS/Plugin";
  EXPECT_EQ(dlopen(exe.c_str(), RTLD_LAZY | RTLD_NOLOAD), nullptr);
}

TEST_F(VSTPlugInTest, EffectFailuresAreCaughtAndLogged) {
  fake().nullProcessReplacing = true;
  auto p = openPlugIn();
  p->resume();
  std::vector<float> in(64, 1.0f), out0(64, 7.0f), out1(64, 7.0f);
  float* ins[] = {in.data(), in.data()};
  float* outs[] = {out0.data(), out1.data()};
  StderrCapture log;
  p->processReplacing(ins, outs, 64);
  EXPECT_EQ(out0[63], 0.0f);
  EXPECT_EQ(out1[0], 0.0f);
  fake().throwInDispatcher = true;
  EXPECT_EQ(p->getTailSize(), 0);
  fake().throwInDispatcher = false;
  EXPECT_EQ(p->getTailSize(), 99);
  const std::string text = log.text();
  EXPECT_NE(text.find("VST processReplacing function pointer was null\n"), std::string::npos);
  EXPECT_NE(text.find("Caught exception in VST dispatcher\n"), std::string::npos);
}

TEST_F(VSTPlugInTest, ProcessingFollowsTheEffect) {
  auto p = openPlugIn();
  std::vector<float> in(32, 0.5f), out0(32), out1(32);
  float* ins[] = {in.data(), in.data()};
  float* outs[] = {out0.data(), out1.data()};
  EXPECT_THROW(p->processReplacing(ins, outs, 32), RoruvovuzException);  // not resumed
  p->resume();
  p->setParameter(0, 1.0f);
  p->processReplacing(ins, outs, 32);
  EXPECT_FLOAT_EQ(out0[5], 0.5f * 2.0f + 0.01f);
  EXPECT_FLOAT_EQ(out1[5], 0.5f * 2.0f + 0.02f);
  const int blocks = fake().processCount;
  p->processReplacing(ins, outs, 0);
  p->processReplacing(ins, outs, -5);
  EXPECT_EQ(fake().processCount, blocks);
  EXPECT_EQ(p->suspend(), 0);
  EXPECT_FALSE(p->isResumed());
  EXPECT_THROW(p->suspend(), RoruvovuzException);
}

TEST(VSTPlugInThreads, SimultaneousOpensEachReachTheirOwnWrapper) {
  TempFolder tmp;
  RecordingHost host;
  constexpr int kCount = 4;
  std::vector<std::unique_ptr<Bundle>> bundles;
  for (int i = 0; i < kCount; ++i) {
    bundles.push_back(std::make_unique<Bundle>(makeBundle(tmp, "T" + std::to_string(i) + ".vst", FAKE_EFFECT_MODULE)));
    bundles.back()->fake().entryDelayMilliseconds = 20;
  }
  std::vector<std::unique_ptr<VSTPlugIn>> plugIns(kCount);
  std::vector<std::thread> threads;
  for (int i = 0; i < kCount; ++i) {
    threads.emplace_back([&, i] {
      plugIns[size_t(i)] = std::make_unique<VSTPlugIn>(host, bundles[size_t(i)]->ref, Float32(1000 * (i + 1)), 64);
      plugIns[size_t(i)]->open();
    });
  }
  for (auto& t : threads) t.join();
  for (int i = 0; i < kCount; ++i) {
    EXPECT_TRUE(plugIns[size_t(i)]->isOpen());
    EXPECT_EQ(bundles[size_t(i)]->fake().sampleRateSeenInConstructor, 1000 * (i + 1));
  }
}

}  // namespace
