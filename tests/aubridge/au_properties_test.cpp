// Properties, parameters with the mapping file, and presets through the class-info property.
#include <cmath>
#include <functional>

#include "AUFixtures.h"

using namespace autest;
using bridgetest::StderrCapture;

namespace {

constexpr const char* kHeading = "vst param #\tname\tmin\tmax\tdisplay\tunit\tdefault\r";

OSStatus infoOf(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                UInt32* size = nullptr, Boolean* writable = nullptr) {
  UInt32 s = 0;
  Boolean w = false;
  const OSStatus status = AudioUnitGetPropertyInfo(unit, id, scope, element, &s, &w);
  if (size != nullptr) *size = s;
  if (writable != nullptr) *writable = w;
  return status;
}

TEST(AUProperties, SizesScopesAndRefusals) {
  FakeUnit u;
  u.fake().numParams = 4;
  ASSERT_EQ(u.open(), noErr);
  AudioUnit unit = u.unit();
  UInt32 size;
  Boolean writable;
  const struct {
    AudioUnitPropertyID id;
    AudioUnitScope scope;
    UInt32 size;
    bool writable;
  } answered[] = {{0, 0, 8, true},    {1, 1, 16, true},  {2, 0, 8, true},   {2, 1, 8, true},  {3, 0, 16, false},
                  {3, 1, 0, false},   {4, 0, 104, false}, {8, 2, 40, true}, {11, 1, 4, false}, {12, 0, 8, false},
                  {13, 0, 4, false},  {14, 0, 4, true},  {20, 0, 8, false}, {22, 0, 4, false}, {23, 1, 16, true},
                  {24, 0, 8, false},  {27, 0, 40, true}, {28, 0, 16, true}, {31, 0, 16, false}, {36, 0, 16, true},
                  {1000, 0, 4, false}};
  for (const auto& a : answered) {
    ASSERT_EQ(infoOf(unit, a.id, a.scope, 0, &size, &writable), noErr) << a.id;
    EXPECT_EQ(size, a.size) << a.id;
    EXPECT_EQ(bool(writable), a.writable) << a.id;
  }
  EXPECT_EQ(infoOf(unit, 4, 0, 4), kAudioUnitErr_InvalidElement);
  EXPECT_EQ(infoOf(unit, 4, 1, 0), kAudioUnitErr_InvalidScope);
  EXPECT_EQ(infoOf(unit, 2, 1, 1), kAudioUnitErr_InvalidElement);
  EXPECT_EQ(infoOf(unit, 21, 0, 0), kAudioUnitErr_InvalidProperty);  // the fake refuses bypass
  EXPECT_EQ(infoOf(unit, 33, 0, 0), kAudioUnitErr_InvalidProperty);  // no extensions
  EXPECT_EQ(infoOf(unit, 30, 1, 0), kAudioUnitErr_InvalidProperty);  // no bus names
  for (AudioUnitPropertyID id : {7u, 18u, 29u, 1009u, 5000u}) EXPECT_EQ(infoOf(unit, id, 0, 0), kAudioUnitErr_InvalidProperty);
  StderrCapture capture;
  EXPECT_EQ(infoOf(unit, 26, 0, 0), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(infoOf(unit, 29, 0, 0), kAudioUnitErr_InvalidProperty);
  const std::string log = capture.text();
  EXPECT_NE(log.find("AU GetPropertyInfo: kAudioUnitProperty_RenderQuality (not supported)"), std::string::npos);
  EXPECT_NE(log.find("AU GetPropertyInfo: unknown property id: 29"), std::string::npos);

  // Get writes nothing for the parameter list outside the global scope.
  UInt32 list[4] = {7, 7, 7, 7};
  size = sizeof list;
  ASSERT_EQ(AudioUnitGetProperty(unit, 3, 1, 0, list, &size), noErr);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(list[0], 7u);
  // Writes to read-only properties and short data are refused.
  UInt32 value = 1;
  EXPECT_EQ(AudioUnitSetProperty(unit, 11, 1, 0, &value, 4), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(AudioUnitSetProperty(unit, 37, 0, 0, &value, 4), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(AudioUnitSetProperty(unit, 14, 0, 0, &value, 2), kAudioUnitErr_InvalidPropertyValue);
  value = 0;
  EXPECT_EQ(AudioUnitSetProperty(unit, 14, 0, 0, &value, 4), kAudioUnitErr_InvalidPropertyValue);
  Float64 rate = -1.0;
  EXPECT_EQ(AudioUnitSetProperty(unit, 2, 0, 0, &rate, 8), kAudioUnitErr_InvalidPropertyValue);
  // A size query answers the minimum.
  size = 0;
  ASSERT_EQ(AudioUnitGetProperty(unit, 4, 0, 0, nullptr, &size), noErr);
  EXPECT_EQ(size, 104u);
  AudioUnitParameterInfo pi{};
  size = 50;
  EXPECT_EQ(AudioUnitGetProperty(unit, 4, 0, 0, &pi, &size), kAudioUnitErr_InvalidPropertyValue);
}

TEST(AUProperties, PresetsCallbacksLatencyTailBypassFrames) {
  FakeUnit u;
  u.fake().initialDelay = 441;
  u.fake().bypassAnswer = 1;
  ASSERT_EQ(u.open(), noErr);
  AudioUnit unit = u.unit();
  Float64 seconds = 0;
  ASSERT_EQ(u.host->get(kAudioUnitProperty_Latency, 0, 0, seconds), noErr);
  EXPECT_DOUBLE_EQ(seconds, 0.01);
  ASSERT_EQ(u.host->get(kAudioUnitProperty_TailTime, 0, 0, seconds), noErr);
  EXPECT_DOUBLE_EQ(seconds, 99.0 / 44100.0);

  // Current preset: the number alone in 4 bytes, number and name in 16.
  SInt32 number = 5;
  UInt32 size = 4;
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_CurrentPreset, 0, 0, &number, &size), noErr);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(number, -1);
  AUPreset preset{};
  ASSERT_EQ(u.host->get(kAudioUnitProperty_CurrentPreset, 0, 0, preset, &size), noErr);
  EXPECT_EQ(size, 16u);
  char name[32] = {};
  CFStringGetCString(preset.presetName, name, sizeof name, kCFStringEncodingUTF8);
  EXPECT_STREQ(name, "Init");
  // Present preset hands a retained name.
  ASSERT_EQ(u.host->get(kAudioUnitProperty_PresentPreset, 0, 0, preset, &size), noErr);
  CFRelease(preset.presetName);

  // Host callbacks: 24 bytes in, 24 bytes out.
  HostCallbackInfo callbacks{};
  callbacks.hostUserData = &callbacks;
  ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_HostCallbacks, 0, 0, &callbacks, 24), noErr);
  HostCallbackInfo back;
  std::memset(&back, 0xAB, sizeof back);
  size = 24;
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_HostCallbacks, 0, 0, &back, &size), noErr);
  EXPECT_EQ(size, 24u);
  EXPECT_EQ(back.hostUserData, &callbacks);
  EXPECT_EQ(reinterpret_cast<const UInt8*>(&back)[24], 0xAB);

  // Bypass reaches the plug-in.
  ASSERT_EQ(u.host->set<UInt32>(kAudioUnitProperty_BypassEffect, 0, 0, 1), noErr);
  UInt32 bypass = 0;
  ASSERT_EQ(u.host->get(kAudioUnitProperty_BypassEffect, 0, 0, bypass), noErr);
  EXPECT_EQ(bypass, 1u);
  EXPECT_EQ(u.fake().calls.back().opcode, effSetBypass);
  EXPECT_EQ(u.fake().calls.back().value, 1);

  // A new slice size reaches the plug-in and is announced.
  symac_test_clearEvents();
  ASSERT_EQ(u.host->set<UInt32>(kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, 512), noErr);
  EXPECT_EQ(u.fake().calls.back().opcode, effSetBlockSize);
  EXPECT_EQ(u.fake().calls.back().value, 512);
  ASSERT_EQ(symac_test_eventCount(), 1);
  EXPECT_EQ(symac_test_event(0).mArgument.mProperty.mPropertyID, 14u);
}

TEST(AUProperties, StreamFormats) {
  for (bool mono : {false, true}) {
    Config c;
    c.canDoMonoIO = mono;
    FakeUnit u(c);
    ASSERT_EQ(u.open(), noErr);
    AudioStreamBasicDescription f{};
    ASSERT_EQ(u.host->get(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, f), noErr);
    EXPECT_EQ(f.mFormatFlags, 41u);
    EXPECT_EQ(f.mChannelsPerFrame, 2u);
    AudioStreamBasicDescription one = f;
    one.mChannelsPerFrame = 1;
    EXPECT_EQ(u.host->set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, one) == noErr, mono);
    ASSERT_EQ(u.host->get(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, f), noErr);
    EXPECT_EQ(f.mChannelsPerFrame, mono ? 1u : 2u);
    AudioStreamBasicDescription interleaved = f;
    interleaved.mChannelsPerFrame = 2;
    interleaved.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
    EXPECT_EQ(u.host->set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, interleaved),
              kAudioUnitErr_FormatNotSupported);
    AudioStreamBasicDescription faster = f;
    faster.mChannelsPerFrame = 2;
    faster.mSampleRate = 96000.0;
    ASSERT_EQ(u.host->set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, faster), noErr);
    Float64 rate = 0;
    ASSERT_EQ(u.host->get(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, rate), noErr);
    EXPECT_EQ(rate, 96000.0);
    bool sent = false;
    for (const FakeCall& call : u.fake().calls) sent = sent || (call.opcode == effSetSampleRate && call.opt == 96000.0f);
    EXPECT_TRUE(sent);
  }
}

// The mapping file written by hand, against a fake with ten parameters.
class Mapping : public ::testing::Test {
 protected:
  void open(const std::string& fileText) {
    unit = std::make_unique<FakeUnit>();
    unit->fake().numParams = 10;
    writeFile(unit->resources("SYParameters.txt"), fileText);
    StderrCapture capture;
    ASSERT_EQ(unit->open(), noErr);
    log = capture.text();
  }
  std::vector<UInt32> list() {
    UInt32 size = 0;
    Boolean writable;
    AudioUnitGetPropertyInfo(unit->unit(), 3, 0, 0, &size, &writable);
    std::vector<UInt32> ids(size / 4);
    AudioUnitGetProperty(unit->unit(), 3, 0, 0, ids.data(), &size);
    return ids;
  }
  AudioUnitParameterInfo info(UInt32 id) {
    AudioUnitParameterInfo i{};
    EXPECT_EQ(unit->host->get(kAudioUnitProperty_ParameterInfo, 0, id, i), noErr);
    return i;
  }
  std::unique_ptr<FakeUnit> unit;
  std::string log;
};

TEST_F(Mapping, HeadingOnlyAndEmptyFileMapNothing) {
  open(kHeading);
  EXPECT_TRUE(list().empty());
  open("");
  EXPECT_TRUE(list().empty());
}

TEST_F(Mapping, LinesInFileOrderWithKinds) {
  open(std::string(kHeading) +
       "3\tGain\t-60\t12\t=\tdB\t0\r"
       "3\tGain again\t0\t1\t=\t-\t0\r"
       "  ; a comment\r"
       "\r"
       "5+\tMix\t0\t100\t=\t%\t50\r"
       "7\tRoom\t0\t2\tRoom|Studio|Place\t-\t1\r"
       "8\tOn\t0\t1\tb\t-\t1\r"
       "1\tText\t0\t1\t?\tHz\t0.5\r");
  EXPECT_EQ(list(), (std::vector<UInt32>{3, 5, 7, 8, 1}));
  const AudioUnitParameterInfo gain = info(3);
  EXPECT_STREQ(gain.name, "Gain");
  EXPECT_EQ(gain.minValue, -60.0f);
  EXPECT_EQ(gain.unit, 26u);
  EXPECT_EQ(gain.flags, 0xC8000000u);
  const AudioUnitParameterInfo mix = info(5);
  EXPECT_EQ(mix.flags, 0xC8000000u | 0x10000000u);
  char unitName[8] = {};
  CFStringGetCString(mix.unitName, unitName, sizeof unitName, kCFStringEncodingUTF8);
  EXPECT_STREQ(unitName, "%");
  const AudioUnitParameterInfo room = info(7);
  EXPECT_EQ(room.unit, 1u);
  EXPECT_EQ(room.unitName, nullptr);
  CFArrayRef strings = nullptr;
  ASSERT_EQ(unit->host->get(kAudioUnitProperty_ParameterValueStrings, 0, 7, strings), noErr);
  EXPECT_EQ(CFArrayGetCount(strings), 3);
  CFRelease(strings);
  EXPECT_EQ(unit->host->get(kAudioUnitProperty_ParameterValueStrings, 0, 3, strings), kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(info(8).unit, 2u);
  EXPECT_EQ(info(1).flags, 0xC8200000u);
  EXPECT_EQ(info(0).name[0], '\0');  // unmapped
}

TEST_F(Mapping, RangeMessagesAndIgnoredLines) {
  open(std::string(kHeading) +
       "7\tRoom\t0\t3\tRoom|Studio|Place\t-\t1\r"
       "6\tList\t1\t2\tA|B|C\t-\t1\r"
       "8\tOn\t1\t2\tb\t-\t1\r"
       "9\tOff\t0\t2\tb\t-\t1\r"
       "2\tSingle\t0\t0\tOnly\t-\t0\r"
       "1\tFlat\t5\t5\t=\t-\t5\r"
       "4\tOut\t0\t1\t=\t-\t2\r"
       "10\tBeyond\t0\t1\t=\t-\t0\r"
       "x3\tBad\t0\t1\t=\t-\t0\r"
       "3\tNan\tnan\t1\t=\t-\t0\r"
       "5\tInf\t-inf\t1\t=\t-\t0\r"
       "1\tInf\t0\tinf\t=\t-\t0\r"
       "0\tShort\t0\t1\t=\r");
  EXPECT_TRUE(list().empty());
  EXPECT_NE(log.find("Error in SYParameters.txt: max parameter for '|' display type is 3.000000, should be 2 "
                     "(parameter: Room)"),
            std::string::npos);
  EXPECT_NE(log.find("min parameter for '|' display type is 1.000000, must be 0 (parameter: List)"), std::string::npos);
  EXPECT_NE(log.find("min parameter for 'b' display type is 1.000000, must be 0 (parameter: On)"), std::string::npos);
  EXPECT_NE(log.find("max parameter for 'b' display type is 2.000000, must be 1 (parameter: Off)"), std::string::npos);
}

TEST_F(Mapping, LongLinesAndLineEnds) {
  open(std::string(kHeading) + "2\tLong\t0\t1\t=\t-\t0" + std::string(3000, 'x') + "\n1\tNext\t0\t1\t=\t-\t0\n");
  EXPECT_EQ(list(), (std::vector<UInt32>{1}));  // the cut line has a bad default and is ignored
  for (const std::string end : {"\r", "\n", "\r\n"}) {
    open("heading" + end + "2\tA\t0\t1\t=\t-\t0" + end + "4\tB\t0\t1\t=\t-\t0" + end);
    EXPECT_EQ(list(), (std::vector<UInt32>{2, 4})) << int(end[0]);
  }
}

TEST_F(Mapping, ScalingScheduleAndIndexedRounding) {
  open(std::string(kHeading) + "3\tGain\t-60\t12\t=\tdB\t0\r7\tRoom\t0\t2\tRoom|Studio|Place\t-\t1\r");
  AudioUnit u = unit->unit();
  ASSERT_EQ(AudioUnitSetParameter(u, 3, 0, 0, -24.0f, 0), noErr);
  EXPECT_FLOAT_EQ(unit->fake().setParameters.back().second, 0.5f);
  Float32 value = 0;
  ASSERT_EQ(AudioUnitGetParameter(u, 3, 0, 0, &value), noErr);
  EXPECT_FLOAT_EQ(value, -24.0f);
  // Values outside the range are held at its ends; the plug-in never sees them.
  ASSERT_EQ(AudioUnitSetParameter(u, 3, 0, 0, 100.0f, 0), noErr);
  EXPECT_EQ(unit->fake().setParameters.back().second, 1.0f);
  ASSERT_EQ(AudioUnitSetParameter(u, 3, 0, 0, NAN, 0), noErr);
  EXPECT_EQ(unit->fake().setParameters.back().second, 0.0f);
  ASSERT_EQ(AudioUnitSetParameter(u, 7, 0, 0, 1.0f, 0), noErr);  // 0.5 in the plug-in
  unit->fake().programs[0][7] = 0.74f;
  ASSERT_EQ(AudioUnitGetParameter(u, 7, 0, 0, &value), noErr);
  EXPECT_EQ(value, 1.0f);
  unit->fake().programs[0][7] = 0.76f;
  ASSERT_EQ(AudioUnitGetParameter(u, 7, 0, 0, &value), noErr);
  EXPECT_EQ(value, 2.0f);
  EXPECT_EQ(AudioUnitGetParameter(u, 10, 0, 0, &value), kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(AudioUnitGetParameter(u, 3, 1, 0, &value), kAudioUnitErr_InvalidScope);
  EXPECT_EQ(AudioUnitSetParameter(u, 3, 2, 0, 0.0f, 0), kAudioUnitErr_InvalidScope);

  AudioUnitParameterEvent events[2]{};
  events[0].scope = 0;
  events[0].parameter = 3;
  events[0].eventType = kParameterEvent_Immediate;
  events[0].eventValues.immediate.value = 12.0f;
  events[1] = events[0];
  events[1].eventType = kParameterEvent_Ramped;
  events[1].eventValues.ramp.endValue = -60.0f;
  const size_t before = unit->fake().setParameters.size();
  ASSERT_EQ(AudioUnitScheduleParameters(u, events, 2), noErr);
  ASSERT_EQ(unit->fake().setParameters.size(), before + 1);
  EXPECT_EQ(unit->fake().setParameters.back().second, 1.0f);
  events[0].scope = 1;
  EXPECT_EQ(AudioUnitScheduleParameters(u, events, 1), kAudioUnitErr_InvalidScope);
}

TEST(AUParameters, DefaultFileFromNumericDisplays) {
  FakeUnit u;
  u.fake().numericDisplay = true;
  u.fake().numParams = 1;
  ASSERT_EQ(u.open(), noErr);
  EXPECT_EQ(readFile(u.resources("SYParameters.txt")),
            std::string(kHeading) + "0\tA parameter name longer \t-60\t12\t=\tdB\t-24\r");
  // The probe restored the value it found.
  EXPECT_EQ(u.fake().programs[0][0], 0.5f);
}

// A falling display and a name with tabs and line ends still give a line the reader maps.
TEST(AUParameters, DefaultFileKeepsFallingDisplaysAndOddNames) {
  FakeUnit u;
  u.fake().numericDisplay = true;
  u.fake().displaySlope = -72.0f;
  u.fake().parameterName = "Gain\tL\rR\n";
  u.fake().numParams = 1;
  ASSERT_EQ(u.open(), noErr);
  EXPECT_EQ(readFile(u.resources("SYParameters.txt")), std::string(kHeading) + "0\tGain L R \t0\t1\t=\t-\t0.5\r");
  UInt32 size = 0;
  Boolean writable;
  ASSERT_EQ(u.host->info(kAudioUnitProperty_ParameterList, 0, 0, size, writable), noErr);
  EXPECT_EQ(size, 4u);
}

TEST(AUParameters, TextConversionThroughExtensions) {
  FakeUnit u;
  u.fake().extensions = true;
  ASSERT_EQ(u.open(), noErr);
  // With the extensions the default file asks the plug-in for its texts.
  EXPECT_NE(readFile(u.resources("SYParameters.txt")).find("\t0\t1\t?\t-\t0.5\r"), std::string::npos);
  Float32 value = 0.75f;
  AudioUnitParameterStringFromValue toText{1, &value, nullptr};
  ASSERT_EQ(u.host->get(kAudioUnitProperty_ParameterStringFromValue, 0, 1, toText), noErr);
  char text[32] = {};
  CFStringGetCString(toText.outString, text, sizeof text, kCFStringEncodingUTF8);
  EXPECT_STREQ(text, "v=0.75");
  CFRelease(toText.outString);
  AudioUnitParameterValueFromString toValue{1, CFSTR("anything"), 0};
  ASSERT_EQ(u.host->get(kAudioUnitProperty_ParameterValueFromString, 0, 1, toValue), noErr);
  EXPECT_EQ(toValue.outValue, 0.25f);
  toValue.inString = CFSTR("bad");
  EXPECT_EQ(u.host->get(kAudioUnitProperty_ParameterValueFromString, 0, 1, toValue), kAudioUnitErr_InvalidProperty);
  toText.inParamID = 3;
  EXPECT_EQ(u.host->get(kAudioUnitProperty_ParameterStringFromValue, 0, 3, toText), kAudioUnitErr_InvalidElement);
}

// Presets out through class info, through XML, and back into a fresh instance.
CFPropertyListRef roundTripXml(CFPropertyListRef plist) {
  CFDataRef xml = CFPropertyListCreateXMLData(nullptr, plist);
  EXPECT_NE(xml, nullptr);
  CFPropertyListRef back = CFPropertyListCreateFromXMLData(nullptr, xml, kCFPropertyListImmutable, nullptr);
  CFRelease(xml);
  return back;
}

TEST(AUPresets, ClassInfoRoundTripRestoresEverything) {
  for (bool bank : {false, true}) {
    Config c;
    c.presetIsFXB = bank;
    c.updateNameOnLoad = true;
    FakeUnit first(c);
    first.fake();  // loaded, so the names below are in place before the unit opens
    ASSERT_EQ(first.open(), noErr);
    first.fake().programs[0] = {0.1f, 0.2f, 0.3f};
    first.fake().programs[1] = {0.9f, 0.8f, 0.7f};
    first.fake().programNames = {"Warm", "Cold"};
    // The plug-in tells its host that its program name changed.
    first.fake().master(first.fake().effect, audioMasterUpdateDisplay, 0, 0, nullptr, 0);
    CFPropertyListRef info = nullptr;
    ASSERT_EQ(first.host->get(kAudioUnitProperty_ClassInfo, 0, 0, info), noErr);
    CFPropertyListRef parsed = roundTripXml(info);
    CFRelease(info);
    ASSERT_NE(parsed, nullptr);

    FakeUnit second(c);
    ASSERT_EQ(second.open(), noErr);
    symac_test_clearEvents();
    ASSERT_EQ(second.host->set(kAudioUnitProperty_ClassInfo, 0, 0, parsed), noErr) << bank;
    CFRelease(parsed);
    EXPECT_EQ(second.fake().programs[0], (std::vector<float>{0.1f, 0.2f, 0.3f}));
    EXPECT_EQ(second.fake().currentProgram, 0);
    if (bank) {
      EXPECT_EQ(second.fake().programs[1], (std::vector<float>{0.9f, 0.8f, 0.7f}));
    }
    EXPECT_EQ(second.fake().programNames[0], "Warm");
    if (bank) {
      EXPECT_EQ(second.fake().programNames[1], "Cold");
    }
    EXPECT_EQ(symac_test_eventCount(), 2);  // current and present preset
  }
}

CFMutableDictionaryRef presetFrom(FakeUnit& u) {
  CFPropertyListRef info = nullptr;
  EXPECT_EQ(u.host->get(kAudioUnitProperty_ClassInfo, 0, 0, info), noErr);
  CFMutableDictionaryRef copy =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  const CFIndex n = CFDictionaryGetCount(CFDictionaryRef(info));
  std::vector<const void*> keys(static_cast<size_t>(n)), values(static_cast<size_t>(n));
  CFDictionaryGetKeysAndValues(CFDictionaryRef(info), keys.data(), values.data());
  for (CFIndex i = 0; i < n; ++i) CFDictionarySetValue(copy, keys[size_t(i)], values[size_t(i)]);
  CFRelease(info);
  return copy;
}

void setNumber(CFMutableDictionaryRef d, CFStringRef key, SInt32 value) {
  CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &value);
  CFDictionarySetValue(d, key, n);
  CFRelease(n);
}

TEST(AUPresets, MalformedDictionariesAreRefused) {
  FakeUnit u;
  u.fake().numPrograms = 5;
  ASSERT_EQ(u.open(), noErr);
  auto attempt = [&](const std::function<void(CFMutableDictionaryRef)>& edit) {
    CFMutableDictionaryRef d = presetFrom(u);
    edit(d);
    CFPropertyListRef p = d;
    const OSStatus status = u.host->set(kAudioUnitProperty_ClassInfo, 0, 0, p);
    CFRelease(d);
    return status;
  };
  {
    StderrCapture capture;
    EXPECT_EQ(attempt([](CFMutableDictionaryRef d) { setNumber(d, CFSTR("manufacturer"), 1234); }),
              kAudioUnitErr_InvalidPropertyValue);
    EXPECT_NE(capture.text().find("Failed reading AUPreset, caught format exception: Data in dictionary is not of "
                                  "expected value"),
              std::string::npos);
  }
  EXPECT_EQ(attempt([](CFMutableDictionaryRef d) { setNumber(d, CFSTR("version"), 2); }),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(attempt([](CFMutableDictionaryRef d) { CFDictionarySetValue(d, CFSTR("type"), CFSTR("aufx")); }),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(attempt([](CFMutableDictionaryRef d) { CFDictionaryRemoveValue(d, CFSTR("name")); }), -32767);
  EXPECT_EQ(attempt([](CFMutableDictionaryRef d) { CFDictionaryRemoveValue(d, CFSTR("vstdata")); }), -32767);
  const size_t before = u.fake().setParameters.size();
  EXPECT_EQ(attempt([](CFMutableDictionaryRef d) {
              const UInt8 junk[10] = {'C', 'c', 'n', 'K', 0, 0, 0, 2, 'F', 'x'};
              CFDataRef data = CFDataCreate(nullptr, junk, sizeof junk);
              CFDictionarySetValue(d, CFSTR("vstdata"), data);
              CFRelease(data);
            }),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(u.fake().setParameters.size(), before);
  CFPropertyListRef notDictionary = CFSTR("preset");
  EXPECT_EQ(u.host->set(kAudioUnitProperty_ClassInfo, 0, 0, notDictionary), kAudioUnitErr_InvalidPropertyValue);

  // An out-of-range program number and a missing one both load into program 0.
  u.fake().currentProgram = 3;
  EXPECT_EQ(attempt([](CFMutableDictionaryRef d) { setNumber(d, CFSTR("ProgramNumber"), 7); }), noErr);
  EXPECT_EQ(u.fake().currentProgram, 0);
  u.fake().currentProgram = 3;
  EXPECT_EQ(attempt([](CFMutableDictionaryRef d) { CFDictionaryRemoveValue(d, CFSTR("ProgramNumber")); }), noErr);
  EXPECT_EQ(u.fake().currentProgram, 0);
  EXPECT_EQ(attempt([](CFMutableDictionaryRef d) { CFDictionarySetValue(d, CFSTR("ProgramNumber"), CFSTR("2")); }),
            kAudioUnitErr_InvalidPropertyValue);
}

TEST(AUPresets, PresetSelection) {
  FakeUnit u;
  ASSERT_EQ(u.open(), noErr);
  CFArrayRef presets = nullptr;
  ASSERT_EQ(u.host->get(kAudioUnitProperty_FactoryPresets, 0, 0, presets), noErr);
  ASSERT_EQ(CFArrayGetCount(presets), 1);
  auto* first = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, 0));
  EXPECT_EQ(first->presetNumber, 0);
  CFRelease(presets);
  u.fake().programs[0][1] = 0.9f;
  ASSERT_EQ(u.host->set<SInt32>(kAudioUnitProperty_CurrentPreset, 0, 0, 0), noErr);
  EXPECT_EQ(u.fake().programs[0][1], 0.5f);  // the factory preset's stored value
  SInt32 number = -5;
  ASSERT_EQ(u.host->get(kAudioUnitProperty_CurrentPreset, 0, 0, number), noErr);
  EXPECT_EQ(number, 0);
  EXPECT_EQ(u.host->set<SInt32>(kAudioUnitProperty_PresentPreset, 0, 0, 3), kAudioUnitErr_InvalidPropertyValue);
  // A user preset renames the plug-in's program.
  const AUPreset user{-1, CFSTR("My very long preset name that goes on")};
  ASSERT_EQ(u.host->set(kAudioUnitProperty_PresentPreset, 0, 0, user), noErr);
  EXPECT_EQ(u.fake().programNames[0], "My very long preset nam");
  ASSERT_EQ(u.host->get(kAudioUnitProperty_CurrentPreset, 0, 0, number), noErr);
  EXPECT_EQ(number, -1);
}

}  // namespace
