// The component through its entry: open and close, failures, selectors, buses, host quirks,
// listeners and the plug-in's own host requests.
#include <dlfcn.h>

#include <cstdlib>

#include "AUFixtures.h"

using namespace autest;
using bridgetest::StderrCapture;

namespace {

TEST(AUComponent, OpensWithFakeEffectAndWritesDefaultFiles) {
  FakeUnit u;
  StderrCapture capture;
  ASSERT_EQ(u.open(), noErr);
  const std::string log = capture.text();
  EXPECT_NE(GetComponentInstanceStorage(u.unit()), nullptr);
  bool tagged = false;
  for (const std::string& line : bridgetest::lines(log))
    tagged = tagged || bridgetest::isLogLine(line, "Maker: Quillatone", "VST open");
  EXPECT_TRUE(tagged) << log;
  // Names are cut to 24 characters; the empty displays count as 0 and do not rise, so 0..1.
  EXPECT_EQ(readFile(u.resources("SYParameters.txt")),
            "vst param #\tname\tmin\tmax\tdisplay\tunit\tdefault\r"
            "0\tA parameter name longer \t0\t1\t=\t-\t0.5\r"
            "1\tA parameter name longer \t0\t1\t=\t-\t0.5\r"
            "2\tA parameter name longer \t0\t1\t=\t-\t0.5\r");
  // Two programs named Init: one preset.
  EXPECT_EQ(readFile(u.resources("SYFactoryPresets.txt")), "Init.aupreset\r");
  EXPECT_TRUE(exists(u.resources("Init.aupreset")));
  EXPECT_EQ(u.fake().count(effOpen), 1u);
  u.host->close();
  EXPECT_EQ(u.fake().count(effClose), 1u);
}

TEST(AUComponent, SecondOpenReadsTheFilesWithoutRewritingThem) {
  FakeUnit u;
  ASSERT_EQ(u.open(), noErr);
  u.host->close();
  const std::string mapping = "heading\r1\tGain\t-60\t12\t=\tdB\t0\r";
  writeFile(u.resources("SYParameters.txt"), mapping);
  const auto stamp = std::filesystem::last_write_time(u.resources("SYFactoryPresets.txt"));
  ASSERT_EQ(u.open(), noErr);
  EXPECT_EQ(readFile(u.resources("SYParameters.txt")), mapping);
  EXPECT_EQ(std::filesystem::last_write_time(u.resources("SYFactoryPresets.txt")), stamp);
  UInt32 list[4] = {};
  UInt32 size = sizeof list;
  ASSERT_EQ(AudioUnitGetProperty(u.unit(), kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, list, &size),
            noErr);
  ASSERT_EQ(size, 4u);
  EXPECT_EQ(list[0], 1u);
}

struct FailingOpen {
  const char* what;
  OSStatus status;
};

class AUComponentFailures : public ::testing::TestWithParam<FailingOpen> {};

// Each refused open answers its status, leaves no instance and leaks no layer object.
TEST_P(AUComponentFailures, RefusedOpenLeavesNothing) {
  const std::string what = GetParam().what;
  TempFolder tmp;
  BundleSpec spec;
  spec.executable = BRIDGE_HOST_MODULE;
  spec.vstModule = FAKE_EFFECT_MODULE;
  spec.config = configXml(Config());
  if (what == "missing key")
    spec.config = "<key>SYConfig</key><dict>" + plistBool("AutoConvertPresets", false) +
                  plistBool("PresetIsFXB", false) + plistBool("UpdateNameOnLoad", false) + "</dict>";
  if (what == "mistyped key")
    spec.config = "<key>SYConfig</key><dict>" + plistBool("AutoConvertPresets", false) +
                  "<key>PresetIsFXB</key><string>no</string>" + plistBool("UpdateNameOnLoad", false) +
                  plistBool("CanDoMonoIO", false) + "</dict>";
  if (what == "config not a dictionary") spec.config = "<key>SYConfig</key><true/>";
  if (what == "no config") spec.config = "";
  if (what == "no resources") {
    spec.withResources = false;
    spec.vstModule.clear();
  }
  const std::string path = makeComponentBundle(tmp, spec);
  if (what == "two vst items")
    bridgetest::makeBundle(tmp, spec.name + "/Contents/Resources/Second.vst", FAKE_EFFECT_MODULE);
  std::unique_ptr<bridgetest::Bundle> fake;
  if (!spec.vstModule.empty()) {
    fake = std::make_unique<bridgetest::Bundle>(path + "/Contents/Resources/Plugin.vst");
    FakeControl& c = fake->fake();
    if (what == "33 inputs") c.numInputs = 33;
    if (what == "33 outputs") c.numOutputs = 33;
    if (what == "no replacing") c.flags = effFlagsHasEditor;
    if (what == "entry answers null") c.entryAnswersNull = true;
    if (what == "bad magic") c.badMagic = true;
  }
  AUHost host(path);
  ASSERT_NE(host.component, nullptr);
  const long before = symac_test_liveObjectCount();
  EXPECT_EQ(host.open(), GetParam().status) << what;
  EXPECT_EQ(host.unit, nullptr);
  EXPECT_EQ(symac_test_liveObjectCount(), before) << what;
  if (what == "33 inputs" || what == "33 outputs" || what == "no replacing") {
    EXPECT_EQ(fake->fake().count(effClose), 1u) << what;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AUComponentFailures,
    ::testing::Values(FailingOpen{"missing key", -32767}, FailingOpen{"mistyped key", -32767},
                      FailingOpen{"config not a dictionary", -32767}, FailingOpen{"no config", -32767},
                      FailingOpen{"two vst items", -32767}, FailingOpen{"33 inputs", -32767},
                      FailingOpen{"33 outputs", -32767}, FailingOpen{"no replacing", -32767},
                      FailingOpen{"entry answers null", -32767}, FailingOpen{"bad magic", -32767},
                      FailingOpen{"no resources", -43}));

TEST(AUComponent, BridgeOwnEntryAnsweringNullFailsTheOpen) {
  TempFolder tmp;
  BundleSpec spec;
  spec.executable = BRIDGE_HOST_MODULE;
  spec.config = configXml(Config());
  AUHost host(makeComponentBundle(tmp, spec));
  StderrCapture capture;
  EXPECT_EQ(host.open(), -32767);
  EXPECT_NE(capture.text().find("VST main() doesn't return object AEffect*"), std::string::npos);
}

TEST(AUComponent, SelectorsCanDoVersionAndUnknown) {
  FakeUnit u;
  ASSERT_EQ(u.open(), noErr);
  for (SInt16 s : {-4, -3, -2, -1, 1, 2, 3, 4, 5, 6, 7, 9, 10, 14, 15, 16, 17, 18, 257})
    EXPECT_EQ(CallComponentCanDo(u.unit(), s), 1) << s;
  StderrCapture capture;
  EXPECT_EQ(CallComponentCanDo(u.unit(), 11), 0);
  EXPECT_EQ(CallComponentCanDo(u.unit(), 8), 0);
  EXPECT_NE(capture.text().find("AU cannot do selector: 11"), std::string::npos);
  EXPECT_EQ(CallComponentVersion(u.unit()), 0x00010203);
  for (SInt16 s : {8, 11, 12, 13, 19, 300}) EXPECT_EQ(CallComponentDispatch(u.unit(), s, nullptr, 0), badComponentSelector);
  EXPECT_EQ(AudioUnitReset(u.unit(), kAudioUnitScope_Input, 0), kAudioUnitErr_InvalidScope);
  EXPECT_EQ(AudioUnitReset(u.unit(), kAudioUnitScope_Global, 0), noErr);
}

TEST(AUComponent, CloseWithoutStorageAndRequestsWithoutComponent) {
  FakeUnit u;
  ASSERT_EQ(u.open(), noErr);
  auto entry = reinterpret_cast<ComponentRoutine>(
      dlsym(dlopen((u.path + "/Contents/MacOS/Bridge").c_str(), RTLD_NOW | RTLD_NOLOAD), "RoruvovuzEntry"));
  ASSERT_NE(entry, nullptr);
  ComponentParameters pb{};
  pb.what = kComponentCloseSelect;
  EXPECT_EQ(entry(&pb, nullptr), noErr);
  pb.what = kAudioUnitInitializeSelect;
  EXPECT_EQ(entry(&pb, nullptr), badComponentSelector);
}

TEST(AUComponent, InitializeResumesAndUninitializeSuspends) {
  FakeUnit u;
  ASSERT_EQ(u.open(), noErr);
  ASSERT_EQ(AudioUnitInitialize(u.unit()), noErr);
  ASSERT_EQ(AudioUnitInitialize(u.unit()), noErr);  // already resumed: nothing more
  EXPECT_EQ(u.fake().count(effMainsChanged), 1u);
  ASSERT_EQ(AudioUnitReset(u.unit(), kAudioUnitScope_Global, 0), noErr);
  EXPECT_EQ(u.fake().count(effMainsChanged), 3u);
  ASSERT_EQ(AudioUnitUninitialize(u.unit()), noErr);
  ASSERT_EQ(AudioUnitUninitialize(u.unit()), noErr);
  EXPECT_EQ(u.fake().count(effMainsChanged), 4u);
  EXPECT_EQ(u.fake().calls.back().value, 0);
}

std::vector<AUChannelInfo> channelInfos(AUHost& host) {
  UInt32 size = 0;
  Boolean writable = false;
  if (host.info(kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0, size, writable) != noErr) return {};
  std::vector<AUChannelInfo> infos(size / sizeof(AUChannelInfo));
  AudioUnitGetProperty(host.unit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0, infos.data(),
                       &size);
  return infos;
}

TEST(AUComponent, BusesAndChannelConfigurations) {
  {
    FakeUnit u;
    ASSERT_EQ(u.open(), noErr);
    UInt32 count = 0;
    ASSERT_EQ(u.host->get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, 0, count), noErr);
    EXPECT_EQ(count, 1u);
    ASSERT_EQ(u.host->get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0, count), noErr);
    EXPECT_EQ(count, 1u);
    ASSERT_EQ(u.host->get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Global, 0, count), noErr);
    EXPECT_EQ(count, 0u);
    const auto infos = channelInfos(*u.host);
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0].inChannels, 2);
    EXPECT_EQ(infos[0].outChannels, 2);
  }
  {
    Config c;
    c.canDoMonoIO = true;
    FakeUnit u(c);
    ASSERT_EQ(u.open(), noErr);
    const auto infos = channelInfos(*u.host);
    ASSERT_EQ(infos.size(), 4u);
    const SInt16 expected[4][2] = {{1, 1}, {1, 2}, {2, 1}, {2, 2}};
    for (size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(infos[i].inChannels, expected[i][0]);
      EXPECT_EQ(infos[i].outChannels, expected[i][1]);
    }
  }
  {
    // Three stereo output pairs: three named buses.
    FakeUnit u;
    u.fake().numOutputs = 6;
    u.fake().outputPinFlags = {kVstPinIsStereo, kVstPinIsStereo, kVstPinIsStereo,
                               kVstPinIsStereo, kVstPinIsStereo, kVstPinIsStereo};
    ASSERT_EQ(u.open(), noErr);
    UInt32 count = 0;
    ASSERT_EQ(u.host->get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0, count), noErr);
    EXPECT_EQ(count, 3u);
    CFStringRef name = nullptr;
    ASSERT_EQ(u.host->get(kAudioUnitProperty_ElementName, kAudioUnitScope_Output, 2, name), noErr);
    char text[32];
    CFStringGetCString(name, text, sizeof text, kCFStringEncodingUTF8);
    EXPECT_STREQ(text, "Out 4");
    CFRelease(name);
    EXPECT_EQ(u.host->get(kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 0, name), kAudioUnitErr_InvalidElement);
  }
  {
    // An odd pin count: mono input, and a last pin claiming stereo is cut to one channel.
    FakeUnit u;
    u.fake().numInputs = 1;
    u.fake().numOutputs = 3;
    u.fake().outputPinFlags = {kVstPinIsStereo, kVstPinIsStereo, kVstPinIsStereo};
    ASSERT_EQ(u.open(), noErr);
    UInt32 count = 0;
    ASSERT_EQ(u.host->get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0, count), noErr);
    EXPECT_EQ(count, 2u);
    AudioStreamBasicDescription f{};
    ASSERT_EQ(u.host->get(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 1, f), noErr);
    EXPECT_EQ(f.mChannelsPerFrame, 1u);
    ASSERT_EQ(u.host->get(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, f), noErr);
    EXPECT_EQ(f.mChannelsPerFrame, 1u);
    EXPECT_TRUE(channelInfos(*u.host).empty());  // widths differ
  }
}

// The host quirks decide whether a one-pin bus takes a two-channel format.
TEST(AUComponent, HostQuirksFromTheMainBundle) {
  const struct {
    const char* id;
    const char* version;
    bool accepts;
  } cases[] = {{"com.apple.garageband", "4.1", true},   {"com.apple.garageband", "4.2", false},
               {"com.apple.logic.pro", "8.0.0", true},  {"com.apple.logic.pro", "8.0.1", false},
               {"com.apple.logic.express", "7.2", false}, {"com.apple.Logic.pro", "8.0.0", false},
               {"com.example.daw", "1.0", false}};
  for (const auto& c : cases) {
    symac_test_setMainBundle(c.id, c.version);
    FakeUnit u;
    u.fake().numInputs = 1;
    u.fake().numOutputs = 1;
    ASSERT_EQ(u.open(), noErr);
    AudioStreamBasicDescription f{};
    ASSERT_EQ(u.host->get(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, f), noErr);
    f.mChannelsPerFrame = 2;
    EXPECT_EQ(u.host->set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, f) == noErr, c.accepts)
        << c.id << " " << c.version;
  }
  symac_test_setMainBundle(nullptr, nullptr);
}

TEST(AUComponent, PropertyListenersAndAnnouncements) {
  FakeUnit u;
  ASSERT_EQ(u.open(), noErr);
  symac_test_clearEvents();
  // No listener: the change is posted as an event of type 3.
  ASSERT_EQ(u.host->setRate(48000.0), noErr);
  ASSERT_GE(symac_test_eventCount(), 4);
  EXPECT_EQ(symac_test_event(0).mEventType, UInt32(kAudioUnitEvent_PropertyChange));
  EXPECT_EQ(symac_test_event(0).mArgument.mProperty.mPropertyID, UInt32(kAudioUnitProperty_StreamFormat));
  EXPECT_EQ(symac_test_event(1).mArgument.mProperty.mPropertyID, UInt32(kAudioUnitProperty_SampleRate));
  // The same rate again announces nothing.
  symac_test_clearEvents();
  ASSERT_EQ(u.host->setRate(48000.0), noErr);
  EXPECT_EQ(symac_test_eventCount(), 0);

  ListenerLog a, b;
  ASSERT_EQ(AudioUnitAddPropertyListener(u.unit(), kAudioUnitProperty_SampleRate, &ListenerLog::proc, &a), noErr);
  ASSERT_EQ(AudioUnitAddPropertyListener(u.unit(), kAudioUnitProperty_SampleRate, &ListenerLog::proc, &b), noErr);
  ASSERT_EQ(AudioUnitAddPropertyListener(u.unit(), kAudioUnitProperty_Latency, &ListenerLog::proc, &b), noErr);
  symac_test_clearEvents();
  ASSERT_EQ(u.host->setRate(44100.0), noErr);
  EXPECT_EQ(symac_test_eventCount(), 0);
  ASSERT_EQ(a.calls.size(), 2u);  // input bus 0 and output bus 0
  EXPECT_EQ(a.calls[0].scope, UInt32(kAudioUnitScope_Input));
  EXPECT_EQ(a.calls[1].scope, UInt32(kAudioUnitScope_Output));
  EXPECT_EQ(b.calls.size(), 2u);

  ASSERT_EQ(AudioUnitRemovePropertyListenerWithUserData(u.unit(), kAudioUnitProperty_SampleRate, &ListenerLog::proc, &a),
            noErr);
  ASSERT_EQ(u.host->setRate(48000.0), noErr);
  EXPECT_EQ(a.calls.size(), 2u);
  EXPECT_EQ(b.calls.size(), 4u);

  // 128 listeners at most.
  for (int i = 2; i < 128; ++i)
    ASSERT_EQ(AudioUnitAddPropertyListener(u.unit(), 9999, &ListenerLog::proc, &a), noErr) << i;
  EXPECT_EQ(AudioUnitAddPropertyListener(u.unit(), 9999, &ListenerLog::proc, &a), memFullErr);
}

struct SelfRemover {
  AudioUnit unit;
  int calls = 0;
  static void proc(void* ref, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement) {
    auto* self = static_cast<SelfRemover*>(ref);
    ++self->calls;
    AudioUnitRemovePropertyListenerWithUserData(unit, id, &SelfRemover::proc, ref);
  }
};

TEST(AUComponent, ListenerRemovingItselfDuringANotification) {
  FakeUnit u;
  ASSERT_EQ(u.open(), noErr);
  SelfRemover r{u.unit()};
  ListenerLog after;
  ASSERT_EQ(AudioUnitAddPropertyListener(u.unit(), kAudioUnitProperty_SampleRate, &SelfRemover::proc, &r), noErr);
  ASSERT_EQ(AudioUnitAddPropertyListener(u.unit(), kAudioUnitProperty_SampleRate, &ListenerLog::proc, &after), noErr);
  ASSERT_EQ(u.host->setRate(96000.0), noErr);
  EXPECT_EQ(r.calls, 1);
  EXPECT_EQ(after.calls.size(), 2u);
}

TEST(AUComponent, PlugInsOwnRequestsBecomeEvents) {
  FakeUnit u;
  ASSERT_EQ(u.open(), noErr);
  FakeControl& f = u.fake();
  symac_test_clearEvents();
  f.master(f.effect, audioMasterBeginEdit, 1, 0, nullptr, 0);
  f.master(f.effect, audioMasterAutomate, 1, 0, nullptr, 0.3f);
  f.master(f.effect, audioMasterEndEdit, 1, 0, nullptr, 0);
  ASSERT_EQ(symac_test_eventCount(), 3);
  EXPECT_EQ(symac_test_event(0).mEventType, UInt32(kAudioUnitEvent_BeginParameterChangeGesture));
  EXPECT_EQ(symac_test_event(1).mEventType, UInt32(kAudioUnitEvent_ParameterValueChange));
  EXPECT_EQ(symac_test_event(2).mEventType, UInt32(kAudioUnitEvent_EndParameterChangeGesture));
  EXPECT_EQ(symac_test_event(1).mArgument.mParameter.mParameterID, 1u);
  ASSERT_EQ(symac_test_parameterNotifyCount(), 1);
  EXPECT_EQ(symac_test_parameterNotify(0).mAudioUnit, u.unit());
  // Capabilities, vendor and version as the host answers them.
  EXPECT_EQ(f.master(f.effect, audioMasterCanDo, 0, 0, const_cast<char*>("sizeWindow"), 0), 1);
  EXPECT_EQ(f.master(f.effect, audioMasterCanDo, 0, 0, const_cast<char*>("offline"), 0), 0);
  EXPECT_EQ(f.master(f.effect, audioMasterGetVendorVersion, 0, 0, nullptr, 0), 0x10000);
  char product[64] = {};
  f.master(f.effect, audioMasterGetProductString, 0, 0, product, 0);
  EXPECT_STREQ(product, "Roruvovuz");
  EXPECT_EQ(f.master(f.effect, audioMasterPinConnected, 1, 1, nullptr, 0), 0);
  EXPECT_EQ(f.master(f.effect, audioMasterPinConnected, 2, 1, nullptr, 0), 1);
}

TEST(AUComponent, IdleTimerSendsIdleEveryQuarterTenthOfASecond) {
  FakeUnit u;
  ASSERT_EQ(u.open(), noErr);
  const size_t before = u.fake().count(effIdle);
  symac_test_advanceMainLoop(0.1);
  EXPECT_EQ(u.fake().count(effIdle) - before, 4u);
  EXPECT_EQ(u.fake().count(effEditIdle), 0u);
  const long timers = symac_test_timerCount();
  u.host->close();
  EXPECT_EQ(symac_test_timerCount(), timers - 1);
}

}  // namespace

namespace {

// Resources that cannot be written: the unit still opens, with the default mapping held in
// memory and no factory presets.
TEST(AUComponentFiles, ReadOnlyResourcesStillOpen) {
  FakeUnit u;
  symac_test_failNext("FSCreateFileUnicode", permErr);
  StderrCapture capture;
  ASSERT_EQ(u.open(), noErr);
  EXPECT_NE(capture.text().find("Could not create SYParameters.txt (Mac OS error code -54), using default mapping"),
            std::string::npos);
  EXPECT_FALSE(exists(u.resources("SYParameters.txt")));
  UInt32 size = 0;
  Boolean writable;
  ASSERT_EQ(u.host->info(kAudioUnitProperty_ParameterList, 0, 0, size, writable), noErr);
  EXPECT_EQ(size, 12u);
  u.host->close();
  std::filesystem::remove(u.resources("SYFactoryPresets.txt"));
  writeFile(u.resources("SYParameters.txt"), "heading\r");
  symac_test_failNext("FSCreateFileUnicode", permErr);  // now the list's creation
  StderrCapture listCapture;
  ASSERT_EQ(u.open(), noErr);
  EXPECT_NE(listCapture.text().find("Failed loading factory presets, caught exception: Mac OS error code -54"),
            std::string::npos);
  EXPECT_FALSE(exists(u.resources("SYFactoryPresets.txt")));
  CFArrayRef presets = nullptr;
  EXPECT_EQ(u.host->get(kAudioUnitProperty_FactoryPresets, 0, 0, presets), kAudioUnitErr_InvalidProperty);
  symac_test_clearFailures();
}

// A write that fails half-way leaves no file that would pass for a complete one.
TEST(AUComponentFiles, FailedWritesLeaveNoPartialFiles) {
  FakeUnit u;
  symac_test_failNext("FSWriteFork", dskFulErr);
  EXPECT_EQ(u.open(), dskFulErr);
  EXPECT_FALSE(exists(u.resources("SYParameters.txt")));
  symac_test_clearFailures();
  ASSERT_EQ(u.open(), noErr);
  EXPECT_TRUE(exists(u.resources("SYParameters.txt")));
}

TEST(AUComponentFiles, PlatformFailuresFailTheOpenWithTheirStatus) {
  FakeUnit u;
  u.fake();
  const long before = symac_test_liveObjectCount();
  symac_test_failNext("InstallEventLoopTimer", memFullErr);
  EXPECT_EQ(u.open(), memFullErr);
  symac_test_failNext("GetComponentInfo", -2000);
  EXPECT_EQ(u.open(), -2000);
  EXPECT_EQ(symac_test_liveObjectCount(), before);
  symac_test_clearFailures();
  EXPECT_EQ(u.open(), noErr);
}

// A timer that cannot be removed at close is logged, not thrown out of the destructor. Run
// apart: the stand-in keeps that timer, which points at the closed unit.
TEST(AUComponentFiles, FailingTimerRemovalAtCloseIsLogged) {
  EXPECT_EXIT(
      {
        FakeUnit u;
        if (u.open() != noErr) std::_Exit(1);
        symac_test_failNext("RemoveEventLoopTimer", paramErr);
        u.host->close();
        std::_Exit(u.fake().count(effClose) == 1u ? 0 : 2);
      },
      ::testing::ExitedWithCode(0), "Could not remove idle timer \\(-50\\)");
}

TEST(AUComponentFiles, FailingParameterNotificationIsContained) {
  FakeUnit u;
  ASSERT_EQ(u.open(), noErr);
  FakeControl& f = u.fake();
  symac_test_clearEvents();
  symac_test_failParameterNotify(-66);
  bridgetest::StderrCapture capture;
  EXPECT_EQ(f.master(f.effect, audioMasterAutomate, 0, 0, nullptr, 0.5f), 0);
  EXPECT_NE(capture.text().find("Caught exception in VST audio master callback"), std::string::npos);
  EXPECT_EQ(symac_test_eventCount(), 0);
}

TEST(AUComponentFiles, ProgramNamesThroughBothStringPaths) {
  for (bool forceCopy : {false, true}) {
    FakeUnit u;
    ASSERT_EQ(u.open(), noErr);
    symac_test_forceCStringPtrNull(forceCopy);
    const AUPreset user{-1, CFSTR("Caf\xC3\xA9 \xE2\x82\xAC")};  // é and € exist in Mac Roman
    EXPECT_EQ(u.host->set(kAudioUnitProperty_PresentPreset, 0, 0, user), noErr);
    symac_test_forceCStringPtrNull(false);
    EXPECT_EQ(u.fake().programNames[0], "Caf\x8E \xDB") << forceCopy;
  }
}

}  // namespace

namespace {

// Music devices shape each bus from its own pins, except in hosts of quirk 1, where every
// bus takes the first bus's width.
TEST(AUComponentQuirks, OldLogicMakesMusicDeviceBusesEqual) {
  for (bool oldLogic : {false, true}) {
    symac_test_setMainBundle("com.apple.logic.pro", oldLogic ? "7.2" : "8.0.1");
    FakeUnit u(Config(), "aumu");
    u.fake().numInputs = 0;
    u.fake().numOutputs = 4;
    u.fake().outputPinFlags = {kVstPinIsStereo, kVstPinIsStereo, 0, 0};
    ASSERT_EQ(u.open(), noErr);
    UInt32 buses = 0;
    ASSERT_EQ(u.host->get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0, buses), noErr);
    EXPECT_EQ(buses, oldLogic ? 2u : 3u);
  }
  symac_test_setMainBundle(nullptr, nullptr);
}

}  // namespace
