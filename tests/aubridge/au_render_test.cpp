// Rendering through the unit: input collection, one run per time stamp, host buffers,
// argument faults, notifications, connections, transport and MIDI.
#include <cmath>

#include "AUFixtures.h"

using namespace autest;
using bridgetest::StderrCapture;

namespace {

std::vector<std::vector<float>> ramp(size_t channels, size_t frames) {
  std::vector<std::vector<float>> in(channels, std::vector<float>(frames));
  for (size_t c = 0; c < channels; ++c)
    for (size_t i = 0; i < frames; ++i) in[c][i] = std::sin(0.01f * float(i) * float(c + 1)) * 0.5f;
  return in;
}

// An opened and initialised unit over the fake, fed by an input callback.
struct RenderUnit {
  explicit RenderUnit(Config c = Config()) : u(c) {}
  void start() {
    ASSERT_EQ(u.open(), noErr);
    feed.channels = ramp(2, 8192);
    const AURenderCallbackStruct cb{&InputFeed::proc, &feed};
    ASSERT_EQ(u.host->set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, cb), noErr);
    ASSERT_EQ(AudioUnitInitialize(u.unit()), noErr);
  }
  FakeUnit u;
  InputFeed feed;
};

TEST(AURender, OutputEqualsTheEffectsOwnProcessing) {
  for (UInt32 slice : {64u, 512u, 4096u}) {
    for (bool memory : {true, false}) {
      RenderUnit r;
      r.start();
      std::vector<std::vector<float>> out;
      double time = 0;
      for (UInt32 done = 0; done < 8192; done += slice, time += slice) {
        ASSERT_EQ(r.u.host->render(0, slice, time, 2, memory, out), noErr);
        for (size_t c = 0; c < 2; ++c)
          for (UInt32 i = 0; i < slice; ++i)
            ASSERT_EQ(out[c][i], r.feed.channels[c][done + i] * 1.5f + 0.01f * float(c + 1)) << slice << " " << i;
      }
      EXPECT_EQ(r.u.fake().processCount, int(8192 / slice));
    }
  }
}

TEST(AURender, OneRunPerTimeStampAndBuffersWithoutMemory) {
  RenderUnit r;
  r.start();
  std::vector<std::vector<float>> a, b;
  ASSERT_EQ(r.u.host->render(0, 256, 1000.0, 2, true, a), noErr);
  ASSERT_EQ(r.u.host->render(0, 256, 1000.0, 2, true, b), noErr);
  EXPECT_EQ(r.u.fake().processCount, 1);
  EXPECT_EQ(a, b);
  // A host buffer without memory is handed the unit's own buffer, the plug-in's output.
  AudioBufferList* list = symac_allocateBufferList(2);
  list->mNumberBuffers = 2;
  list->mBuffers[0] = AudioBuffer{1, 0, nullptr};
  list->mBuffers[1] = AudioBuffer{1, 0, nullptr};
  AudioTimeStamp ts{};
  ts.mSampleTime = 2000.0;
  AudioUnitRenderActionFlags flags = 0;
  ASSERT_EQ(AudioUnitRender(r.u.unit(), &flags, &ts, 0, 128, list), noErr);
  EXPECT_EQ(list->mBuffers[0].mData, r.u.fake().lastOutputs[0]);
  EXPECT_EQ(list->mBuffers[1].mDataByteSize, 512u);
  // In place: input pin k and output pin k share one buffer.
  EXPECT_EQ(r.u.fake().lastInputs[1], r.u.fake().lastOutputs[1]);
  std::free(list);
}

TEST(AURender, ArgumentFaults) {
  RenderUnit r;
  r.start();
  std::vector<std::vector<float>> out;
  {
    StderrCapture capture;
    EXPECT_EQ(r.u.host->render(0, 4097, 0, 2, true, out), paramErr);
    EXPECT_NE(capture.text().find("AURender called for an unexpected large number of frames (expected max 4096, got "
                                  "4097)"),
              std::string::npos);
  }
  {
    StderrCapture capture;
    EXPECT_EQ(r.u.host->render(1, 64, 0, 2, true, out), paramErr);
    EXPECT_NE(capture.text().find("AURender called for an invalid bus (1)"), std::string::npos);
  }
  EXPECT_EQ(r.u.host->render(0, 64, 0, 1, true, out), paramErr);
  EXPECT_EQ(r.u.host->render(0, 64, 0, 3, true, out), paramErr);
  AudioBufferList* list = symac_allocateBufferList(2);
  list->mNumberBuffers = 2;
  EXPECT_EQ(AudioUnitRender(r.u.unit(), nullptr, nullptr, 0, 64, list), paramErr);
  AudioTimeStamp ts{};
  EXPECT_EQ(AudioUnitRender(r.u.unit(), nullptr, &ts, 0, 64, nullptr), paramErr);
  float small[8];
  list->mBuffers[0] = AudioBuffer{1, sizeof small, small};
  list->mBuffers[1] = AudioBuffer{1, sizeof small, small};
  EXPECT_EQ(AudioUnitRender(r.u.unit(), nullptr, &ts, 0, 64, list), paramErr);  // host buffer too small
  std::free(list);
  EXPECT_EQ(r.u.fake().processCount, 0);
  // Before initialisation there is nothing to run.
  ASSERT_EQ(AudioUnitUninitialize(r.u.unit()), noErr);
  EXPECT_EQ(r.u.host->render(0, 64, 0, 2, true, out), kAudioUnitErr_Uninitialized);
}

TEST(AURender, UnconnectedInputIsSilenceAndReportedSo) {
  FakeUnit u;
  u.fake().extensions = true;
  u.fake().silentAnswer = 1;
  ASSERT_EQ(u.open(), noErr);
  ASSERT_EQ(AudioUnitInitialize(u.unit()), noErr);
  std::vector<std::vector<float>> out;
  AudioUnitRenderActionFlags flags = 0;
  StderrCapture capture;
  ASSERT_EQ(u.host->render(0, 64, 0, 2, true, out, &flags), noErr);
  ASSERT_EQ(u.fake().inputSilentSeen, (std::vector<VstIntPtr>{1}));
  EXPECT_EQ(out[0][0], 0.01f);
  // The fake claims silence over a constant: the flag is set and the contradiction logged.
  EXPECT_EQ(flags & kAudioUnitRenderAction_OutputIsSilence, UInt32(kAudioUnitRenderAction_OutputIsSilence));
  EXPECT_NE(capture.text().find("'sO00' returned true (output silent) when output was not silent"), std::string::npos);
}

TEST(AURender, MonoFormatFeedsBothPins) {
  Config c;
  c.canDoMonoIO = true;
  RenderUnit r(c);
  ASSERT_EQ(r.u.open(), noErr);
  AudioStreamBasicDescription f{};
  ASSERT_EQ(r.u.host->get(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, f), noErr);
  f.mChannelsPerFrame = 1;
  ASSERT_EQ(r.u.host->set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, f), noErr);
  r.feed.channels = ramp(1, 4096);
  const AURenderCallbackStruct cb{&InputFeed::proc, &r.feed};
  ASSERT_EQ(r.u.host->set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, cb), noErr);
  ASSERT_EQ(AudioUnitInitialize(r.u.unit()), noErr);
  std::vector<std::vector<float>> out;
  ASSERT_EQ(r.u.host->render(0, 64, 0, 2, true, out), noErr);
  // Both pins see the host's one channel, each in its own buffer.
  EXPECT_NE(r.u.fake().lastInputs[0], r.u.fake().lastInputs[1]);
  EXPECT_EQ(out[0][10], r.feed.channels[0][10] * 1.5f + 0.01f);
  EXPECT_EQ(out[1][10], r.feed.channels[0][10] * 1.5f + 0.02f);
}

// Records every notification in one shared sequence, with the fake's process count then.
struct NotifyLog {
  struct Call {
    int id;
    AudioUnitRenderActionFlags flags;
    int processed;
    bool operator==(const Call& o) const { return id == o.id && flags == o.flags && processed == o.processed; }
  };
  std::vector<Call>* sequence;
  int id;
  const FakeControl* fake;
  static OSStatus proc(void* ref, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32,
                       AudioBufferList*) {
    auto* self = static_cast<NotifyLog*>(ref);
    self->sequence->push_back({self->id, *flags & 12u, self->fake->processCount});
    return noErr;
  }
};

TEST(AURender, RenderNotificationsPreThenPostNewestFirst) {
  RenderUnit r;
  r.start();
  std::vector<NotifyLog::Call> sequence;
  NotifyLog a{&sequence, 1, &r.u.fake()}, b{&sequence, 2, &r.u.fake()};
  ASSERT_EQ(AudioUnitAddRenderNotify(r.u.unit(), &NotifyLog::proc, &a), noErr);
  ASSERT_EQ(AudioUnitAddRenderNotify(r.u.unit(), &NotifyLog::proc, &b), noErr);
  std::vector<std::vector<float>> out;
  AudioUnitRenderActionFlags flags = kAudioUnitRenderAction_PreRender;
  const int before = r.u.fake().processCount;
  {
    StderrCapture capture;
    ASSERT_EQ(r.u.host->render(0, 64, 0, 2, true, out, &flags), noErr);
    EXPECT_NE(capture.text().find("Invalid 'ioActionFlags' on call to AURender"), std::string::npos);
  }
  EXPECT_EQ(flags & 12u, 0u);
  // Pre-render before the plug-in runs, post-render after it, the newest receiver first.
  const std::vector<NotifyLog::Call> expected = {
      {2, kAudioUnitRenderAction_PreRender, before},
      {1, kAudioUnitRenderAction_PreRender, before},
      {2, kAudioUnitRenderAction_PostRender, before + 1},
      {1, kAudioUnitRenderAction_PostRender, before + 1}};
  EXPECT_EQ(sequence, expected);
  ASSERT_EQ(AudioUnitRemoveRenderNotify(r.u.unit(), &NotifyLog::proc, &b), noErr);
  sequence.clear();
  ASSERT_EQ(r.u.host->render(0, 64, 64, 2, true, out), noErr);
  ASSERT_EQ(sequence.size(), 2u);
  EXPECT_EQ(sequence[0].id, 1);
  EXPECT_EQ(sequence[1].id, 1);
}

TEST(AURender, ThreeOutputBusesOneRun) {
  FakeUnit u;
  u.fake().numOutputs = 6;
  u.fake().outputPinFlags = std::vector<VstInt32>(6, kVstPinIsStereo);
  ASSERT_EQ(u.open(), noErr);
  u.fake().programs[0][0] = -1.0f;  // gain 0: each pin shows only its own constant
  ASSERT_EQ(AudioUnitInitialize(u.unit()), noErr);
  std::vector<std::vector<float>> out;
  for (UInt32 bus = 0; bus < 3; ++bus) {
    ASSERT_EQ(u.host->render(bus, 32, 512.0, 2, bus % 2 == 0, out), noErr);
    EXPECT_EQ(out[1][3], 0.01f * float(2 * bus + 2)) << bus;
  }
  EXPECT_EQ(u.fake().processCount, 1);
}

// A source unit registered by the test itself: a ramp on two channels, in its own memory.
struct Source {
  static float data[2][4096];
  static int renders;
  static ComponentResult routine(ComponentParameters* pb, Handle) {
    switch (pb->what) {
      case kComponentOpenSelect:
      case kComponentCloseSelect:
        return noErr;
      case kAudioUnitGetPropertySelect: {
        if (CM_ARG(pb, 0, AudioUnitPropertyID) != kAudioUnitProperty_StreamFormat) return kAudioUnitErr_InvalidProperty;
        AudioStreamBasicDescription f{44100.0, kAudioFormatLinearPCM, 41, 4, 1, 4, 2, 32, 0};
        std::memcpy(CM_ARG(pb, 3, void*), &f, sizeof f);
        return noErr;
      }
      case kAudioUnitRenderSelect: {
        ++renders;
        auto* list = CM_ARG(pb, 4, AudioBufferList*);
        const UInt32 frames = CM_ARG(pb, 3, UInt32);
        const double time = CM_ARG(pb, 1, const AudioTimeStamp*)->mSampleTime;
        for (UInt32 c = 0; c < list->mNumberBuffers; ++c) {
          if (list->mBuffers[c].mData != nullptr) return paramErr;  // a connection brings no memory
          for (UInt32 i = 0; i < frames; ++i) data[c][i] = float(time + i) * 0.001f * float(c + 1);
          list->mBuffers[c].mData = data[c];
        }
        return noErr;
      }
      default:
        return badComponentSelector;
    }
  }
};
float Source::data[2][4096];
int Source::renders = 0;

TEST(AURender, ConnectionPullsTheSourceUnit) {
  const ComponentDescription d{FOURCC("augn"), FOURCC("ramp"), FOURCC("Test"), 0, 0};
  Component source = symac_registerComponent(&d, &Source::routine, "Test: Ramp", 1, nullptr);
  AudioUnit sourceUnit = nullptr;
  ASSERT_EQ(OpenAComponent(source, &sourceUnit), noErr);
  FakeUnit u;
  ASSERT_EQ(u.open(), noErr);
  const AudioUnitConnection wrongElement{sourceUnit, 0, 1};
  EXPECT_EQ(u.host->set(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, wrongElement),
            kAudioUnitErr_InvalidPropertyValue);
  const AudioUnitConnection connection{sourceUnit, 0, 0};
  ASSERT_EQ(u.host->set(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, connection), noErr);
  // A connected input takes its rate from the source only.
  Boolean writable = true;
  UInt32 size = 0;
  ASSERT_EQ(u.host->info(kAudioUnitProperty_SampleRate, kAudioUnitScope_Input, 0, size, writable), noErr);
  EXPECT_FALSE(writable);
  ASSERT_EQ(AudioUnitInitialize(u.unit()), noErr);
  std::vector<std::vector<float>> out;
  ASSERT_EQ(u.host->render(0, 100, 300.0, 2, true, out), noErr);
  EXPECT_EQ(Source::renders, 1);
  EXPECT_EQ(u.fake().lastInputs[0], Source::data[0]);  // the source's memory, not in place
  EXPECT_FLOAT_EQ(out[1][5], 305.0f * 0.002f * 1.5f + 0.02f);
  // An input callback replaces the connection.
  InputFeed feed;
  feed.channels = ramp(2, 128);
  const AURenderCallbackStruct cb{&InputFeed::proc, &feed};
  ASSERT_EQ(u.host->set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, cb), noErr);
  ASSERT_EQ(u.host->render(0, 100, 400.0, 2, true, out), noErr);
  EXPECT_EQ(Source::renders, 1);
  EXPECT_EQ(feed.calls, 1);
  u.host->close();
  CloseComponent(sourceUnit);
  symac_unregisterComponent(source);
}

OSStatus beatAndTempo(void*, Float64* beat, Float64* tempo) {
  *beat = 3.5;
  *tempo = 98.0;
  return noErr;
}
OSStatus transport(void*, Boolean* playing, Boolean* changed, Float64* sample, Boolean* cycling, Float64* start,
                   Float64* end) {
  *playing = true;
  *changed = false;
  *sample = 777.0;
  *cycling = true;
  *start = 1.0;
  *end = 9.0;
  return noErr;
}

int transport2Calls = 0;
OSStatus transport2(void* user, Boolean* playing, Boolean* recording, Boolean* changed, Float64* sample,
                    Boolean* cycling, Float64* start, Float64* end) {
  ++transport2Calls;
  *recording = true;
  return transport(user, playing, changed, sample, cycling, start, end);
}

TEST(AURender, TransportReachesThePlugIn) {
  RenderUnit r;
  r.start();
  HostCallbackInfo callbacks{};
  callbacks.beatAndTempoProc = &beatAndTempo;
  callbacks.transportStateProc = &transport;
  ASSERT_EQ(r.u.host->set(kAudioUnitProperty_HostCallbacks, 0, 0, callbacks), noErr);
  std::vector<std::vector<float>> out;
  ASSERT_EQ(r.u.host->render(0, 64, 123.0, 2, true, out), noErr);
  FakeControl& f = r.u.fake();
  auto* time = reinterpret_cast<VstTimeInfo*>(f.master(f.effect, audioMasterGetTime, 0, 0, nullptr, 0));
  ASSERT_NE(time, nullptr);
  EXPECT_EQ(time->flags, kVstPpqPosValid | kVstTempoValid | kVstTransportPlaying | kVstTransportCycleActive |
                             kVstCyclePosValid);
  EXPECT_EQ(time->ppqPos, 3.5);
  EXPECT_EQ(time->tempo, 98.0);
  EXPECT_EQ(time->samplePos, 777.0);
  EXPECT_EQ(time->cycleEndPos, 9.0);
  EXPECT_EQ(time->sampleRate, 44100.0);
  // Only the first transport-state procedure is asked: the second alone sets no transport or cycle flags.
  callbacks.transportStateProc = nullptr;
  callbacks.transportStateProc2 = &transport2;
  ASSERT_EQ(r.u.host->set(kAudioUnitProperty_HostCallbacks, 0, 0, callbacks), noErr);
  ASSERT_EQ(r.u.host->render(0, 64, 187.0, 2, true, out), noErr);
  EXPECT_EQ(transport2Calls, 0);
  EXPECT_EQ(time->flags, kVstPpqPosValid | kVstTempoValid);
  EXPECT_EQ(time->samplePos, 187.0);
}

TEST(AURender, MidiReachesAPlugInThatAskedForIt) {
  FakeUnit u(Config(), "aumu");
  u.fake().askMidiOnResume = true;
  ASSERT_EQ(u.open(), noErr);
  ASSERT_EQ(MusicDeviceMIDIEvent(u.unit(), 0x90, 60, 100, 0), noErr);  // before initialisation: dropped
  ASSERT_EQ(AudioUnitInitialize(u.unit()), noErr);
  ASSERT_EQ(MusicDeviceMIDIEvent(u.unit(), 0x90, 60, 100, 5), noErr);
  ASSERT_EQ(MusicDeviceMIDIEvent(u.unit(), 0xB0, 7, 64, 9), noErr);
  ASSERT_EQ(MusicDeviceMIDIEvent(u.unit(), 0x80, 60, 0, 30), noErr);
  std::vector<std::vector<float>> out;
  ASSERT_EQ(u.host->render(0, 64, 0, 2, true, out), noErr);
  FakeControl& f = u.fake();
  ASSERT_EQ(f.midiReceived.size(), 3u);
  EXPECT_EQ(f.midiDeltas, (std::vector<VstInt32>{5, 9, 30}));
  EXPECT_EQ(f.midiReceived[1], (std::vector<unsigned char>{0xB0, 7, 64}));
  ASSERT_EQ(u.host->render(0, 64, 64, 2, true, out), noErr);
  EXPECT_EQ(f.processEventsCalls, 1);
  // The queue holds 1024 events; the next is logged and dropped.
  for (int i = 0; i < 1024; ++i) ASSERT_EQ(MusicDeviceMIDIEvent(u.unit(), 0x90, 1, 1, UInt32(i % 64)), noErr);
  {
    StderrCapture capture;
    ASSERT_EQ(MusicDeviceMIDIEvent(u.unit(), 0x90, 2, 2, 0), noErr);
    EXPECT_NE(capture.text().find("Too many MIDI events received"), std::string::npos);
  }
  ASSERT_EQ(u.host->render(0, 64, 128, 2, true, out), noErr);
  EXPECT_EQ(f.midiReceived.size(), 3u + 1024u);
}

TEST(AURender, MidiForAPlugInThatNeverAskedIsDropped) {
  FakeUnit u;
  ASSERT_EQ(u.open(), noErr);
  ASSERT_EQ(AudioUnitInitialize(u.unit()), noErr);
  StderrCapture capture;
  ASSERT_EQ(MusicDeviceMIDIEvent(u.unit(), 0x90, 60, 100, 0), noErr);
  std::vector<std::vector<float>> out;
  ASSERT_EQ(u.host->render(0, 64, 0, 2, true, out), noErr);
  EXPECT_EQ(u.fake().processEventsCalls, 0);
  EXPECT_EQ(capture.text().find("MIDI"), std::string::npos);
}

}  // namespace
