// Host-side Audio Unit request wrappers and the process-wide notification sinks.
#include <AudioUnit/AudioUnit.h>
#include <symac/HostTestHooks.h>

#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

template <class... A>
OSStatus call(AudioUnit unit, SInt16 what, A... args) {
  const intptr_t words[] = {0, symacComponentWord(args)...};
  return OSStatus(CallComponentDispatch(unit, what, words + 1, int(sizeof...(A))));
}

struct Sinks {
  std::mutex lock;
  std::vector<AudioUnitEvent> events;
  std::vector<AudioUnitParameter> parameters;
  OSStatus nextParameterStatus = noErr;
};
Sinks& sinks() {
  static auto* s = new Sinks();
  return *s;
}

}  // namespace

extern "C" {

AudioBufferList* symac_allocateBufferList(UInt32 n) {
  const size_t count = n > 0 ? n : 1;
  return static_cast<AudioBufferList*>(
      std::calloc(1, sizeof(AudioBufferList) + sizeof(AudioBuffer) * (count - 1)));
}

OSStatus AUEventListenerNotify(void*, void*, const AudioUnitEvent* event) {
  if (event == nullptr) return paramErr;
  std::lock_guard<std::mutex> guard(sinks().lock);
  sinks().events.push_back(*event);
  return noErr;
}

OSStatus AUParameterListenerNotify(void*, void*, const AudioUnitParameter* parameter) {
  if (parameter == nullptr) return paramErr;
  std::lock_guard<std::mutex> guard(sinks().lock);
  const OSStatus status = sinks().nextParameterStatus;
  sinks().nextParameterStatus = noErr;
  if (status != noErr) return status;
  sinks().parameters.push_back(*parameter);
  return noErr;
}

long symac_test_eventCount(void) {
  std::lock_guard<std::mutex> guard(sinks().lock);
  return long(sinks().events.size());
}
AudioUnitEvent symac_test_event(long index) {
  std::lock_guard<std::mutex> guard(sinks().lock);
  return index >= 0 && size_t(index) < sinks().events.size() ? sinks().events[size_t(index)] : AudioUnitEvent{};
}
long symac_test_parameterNotifyCount(void) {
  std::lock_guard<std::mutex> guard(sinks().lock);
  return long(sinks().parameters.size());
}
AudioUnitParameter symac_test_parameterNotify(long index) {
  std::lock_guard<std::mutex> guard(sinks().lock);
  return index >= 0 && size_t(index) < sinks().parameters.size() ? sinks().parameters[size_t(index)]
                                                                   : AudioUnitParameter{};
}
void symac_test_clearEvents(void) {
  std::lock_guard<std::mutex> guard(sinks().lock);
  sinks().events.clear();
  sinks().parameters.clear();
}
void symac_test_failParameterNotify(OSStatus status) {
  std::lock_guard<std::mutex> guard(sinks().lock);
  sinks().nextParameterStatus = status;
}

OSStatus AudioUnitInitialize(AudioUnit unit) { return call(unit, kAudioUnitInitializeSelect); }
OSStatus AudioUnitUninitialize(AudioUnit unit) { return call(unit, kAudioUnitUninitializeSelect); }
OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope scope, AudioUnitElement element) {
  return call(unit, kAudioUnitResetSelect, scope, element);
}
OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                  AudioUnitElement element, UInt32* outDataSize, Boolean* outWritable) {
  return call(unit, kAudioUnitGetPropertyInfoSelect, id, scope, element, outDataSize, outWritable);
}
OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                              AudioUnitElement element, void* outData, UInt32* ioDataSize) {
  return call(unit, kAudioUnitGetPropertySelect, id, scope, element, outData, ioDataSize);
}
OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                              AudioUnitElement element, const void* inData, UInt32 inDataSize) {
  return call(unit, kAudioUnitSetPropertySelect, id, scope, element, inData, inDataSize);
}
OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue* outValue) {
  return call(unit, kAudioUnitGetParameterSelect, id, scope, element, outValue);
}
OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue value, UInt32 bufferOffset) {
  return call(unit, kAudioUnitSetParameterSelect, id, scope, element, value, bufferOffset);
}
OSStatus AudioUnitScheduleParameters(AudioUnit unit, const AudioUnitParameterEvent* events, UInt32 count) {
  return call(unit, kAudioUnitScheduleParametersSelect, events, count);
}
OSStatus AudioUnitAddPropertyListener(AudioUnit unit, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                      void* refCon) {
  return call(unit, kAudioUnitAddPropertyListenerSelect, id, proc, refCon);
}
OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit unit, AudioUnitPropertyID id,
                                                     AudioUnitPropertyListenerProc proc, void* refCon) {
  return call(unit, kAudioUnitRemovePropertyListenerWithUserDataSelect, id, proc, refCon);
}
OSStatus AudioUnitAddRenderNotify(AudioUnit unit, AURenderCallback proc, void* refCon) {
  return call(unit, kAudioUnitAddRenderNotifySelect, proc, refCon);
}
OSStatus AudioUnitRemoveRenderNotify(AudioUnit unit, AURenderCallback proc, void* refCon) {
  return call(unit, kAudioUnitRemoveRenderNotifySelect, proc, refCon);
}
OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* timeStamp,
                         UInt32 outputBus, UInt32 frames, AudioBufferList* ioData) {
  return call(unit, kAudioUnitRenderSelect, ioActionFlags, timeStamp, outputBus, frames, ioData);
}
OSStatus MusicDeviceMIDIEvent(AudioUnit unit, UInt32 status, UInt32 data1, UInt32 data2, UInt32 offsetSampleFrame) {
  return call(unit, kMusicDeviceMIDIEventSelect, status, data1, data2, offsetSampleFrame);
}

}  // extern "C"
