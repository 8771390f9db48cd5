// Rendering: input collection per bus, one plug-in run per time stamp, output hand-over,
// render notifications, the transport record and the MIDI queue. Nothing here allocates.
#include <cmath>
#include <cstring>

#include "RoruvovuzComponent.h"
#include "RoruvovuzException.h"
#include "RoruvovuzLog.h"

namespace {

// An AudioBufferList with room for the most channels a bus can have.
struct BufferList32 {
  UInt32 mNumberBuffers;
  AudioBuffer mBuffers[RoruvovuzComponent::kMaxChannels];
};

bool anySignal(float* const* channels, SInt32 count, UInt32 frames) {
  for (SInt32 c = 0; c < count; ++c) {
    if (channels[c] == nullptr) continue;
    for (UInt32 i = 0; i < frames; ++i)
      if (channels[c][i] != 0.0f) return true;
  }
  return false;
}

}  // namespace

void RoruvovuzComponent::notifyRender(AudioUnitRenderActionFlags* flags, const AudioTimeStamp* timeStamp, UInt32 bus,
                                      UInt32 frames, AudioBufferList* list) {
  for (SInt32 i = renderNotifyCount - 1; i >= 0; --i) {
    const AURenderCallbackStruct& r = renderNotifyReceivers[i];
    r.inputProc(r.inputProcRefCon, flags, timeStamp, bus, frames, list);
  }
}

OSStatus RoruvovuzComponent::render(AudioUnitRenderActionFlags* ioFlags, const AudioTimeStamp* timeStamp, UInt32 bus,
                                    UInt32 frames, AudioBufferList* list) {
  if (timeStamp == nullptr || list == nullptr) return paramErr;
  if (bus >= UInt32(outputBusCount)) {
    SY_LOG("[%s](%p) AURender called for an invalid bus (%u)\n", unsigned(bus));
    return paramErr;
  }
  if (frames > UInt32(maxFramesPerSlice)) {
    SY_LOG("[%s](%p) AURender called for an unexpected large number of frames (expected max %d, got %u)\n",
           int(maxFramesPerSlice), unsigned(frames));
    return paramErr;
  }
  const SInt32 active = activeOutputChannels[bus];
  if (list->mNumberBuffers != UInt32(active)) {
    SY_LOG("[%s](%p) AURender called for an unexpected number of output channels (expected %d, got %u)\n",
           int(active), unsigned(list->mNumberBuffers));
    return paramErr;  // the buffers beyond the bus have no source
  }
  for (UInt32 i = 0; i < list->mNumberBuffers; ++i) {
    const AudioBuffer& b = list->mBuffers[i];
    if (b.mData != nullptr && b.mDataByteSize < frames * 4) return paramErr;  // too small for the slice
  }
  if (!vst->isResumed()) return kAudioUnitErr_Uninitialized;
  if (ioFlags != nullptr && (*ioFlags & (kAudioUnitRenderAction_PreRender | kAudioUnitRenderAction_PostRender)) != 0)
    SY_LOG("[%s](%p) Invalid 'ioActionFlags' on call to AURender\n");
  AudioUnitRenderActionFlags flags = ioFlags != nullptr ? *ioFlags : 0;

  flags |= kAudioUnitRenderAction_PreRender;
  notifyRender(&flags, timeStamp, bus, frames, list);
  flags &= ~AudioUnitRenderActionFlags(kAudioUnitRenderAction_PreRender);

  const double sampleTime = timeStamp->mSampleTime;
  if (!(sampleTime == lastRenderSampleTime)) {
    lastRenderSampleTime = sampleTime;
    fillTransport(*timeStamp);
    float* inputs[kMaxChannels] = {};
    float* outputs[kMaxChannels] = {};
    const bool inputSilent = collectInputAudio(frames, inputs, timeStamp);
    SInt32 pins = 0;
    for (SInt32 b = 0; b < outputBusCount; ++b) {
      const SInt32 first = outputBusFirstPin[b];
      const SInt32 width = getMaxOutputChannels(b);
      // Every output pin writes its own buffer: a one-channel host bus takes the first, and
      // no pin overwrites another pin's input.
      for (SInt32 c = 0; c < width; ++c) outputs[first + c] = ioBuffers[first + c];
      pins += width;
    }
    if (pins != vst->getOutputCount()) throw MacOSException(paramErr);
    renderOutput(frames, inputs, outputs, inputSilent);
  }

  if (silentOutput) flags |= kAudioUnitRenderAction_OutputIsSilence;
  else flags &= ~AudioUnitRenderActionFlags(kAudioUnitRenderAction_OutputIsSilence);

  const SInt32 first = outputBusFirstPin[bus];
  const SInt32 width = getMaxOutputChannels(SInt32(bus));
  for (UInt32 i = 0; i < list->mNumberBuffers; ++i) {
    // A host channel beyond the bus's pins repeats the bus's channels.
    float* source = ioBuffers[first + SInt32(i) % (width > 0 ? width : 1)];
    AudioBuffer& b = list->mBuffers[i];
    if (b.mData != nullptr) {
      std::memcpy(b.mData, source, size_t(frames) * 4);
      b.mDataByteSize = frames * 4;
    } else {
      b.mData = source;
      b.mDataByteSize = frames * 4;
      b.mNumberChannels = 1;
    }
  }

  flags |= kAudioUnitRenderAction_PostRender;
  notifyRender(&flags, timeStamp, bus, frames, list);
  flags &= ~AudioUnitRenderActionFlags(kAudioUnitRenderAction_PostRender);
  if (ioFlags != nullptr) *ioFlags = flags;
  return noErr;
}

bool RoruvovuzComponent::collectInputAudio(UInt32 frames, float** inputs, const AudioTimeStamp* timeStamp) {
  bool silent = true;
  SInt32 pin = 0;
  BufferList32 list;
  auto* abl = reinterpret_cast<AudioBufferList*>(&list);
  for (SInt32 b = 0; b < inputBusCount; ++b) {
    const SInt32 w = getMaxInputChannels(b);
    const SInt32 a = activeInputChannels[b] > 0 ? activeInputChannels[b] : 1;
    list.mNumberBuffers = UInt32(a);
    for (SInt32 k = 0; k < a; ++k)
      list.mBuffers[k] = AudioBuffer{1, frames * 4, k < w ? ioBuffers[pin + k] : spareBuffer};
    AudioUnitRenderActionFlags flags = 0;
    const AURenderCallbackStruct& callback = renderCallbacks[b];
    const AudioUnitConnection& connection = inputConnections[b];
    if (callback.inputProc != nullptr) {
      const OSStatus status = callback.inputProc(callback.inputProcRefCon, &flags, timeStamp, UInt32(b), frames, abl);
      if (status != noErr) throw MacOSException(status);
    } else if (connection.sourceAudioUnit != nullptr) {
      for (SInt32 k = 0; k < a; ++k) list.mBuffers[k].mData = nullptr;
      const OSStatus status =
          AudioUnitRender(connection.sourceAudioUnit, &flags, timeStamp, connection.sourceOutputNumber, frames, abl);
      if (status != noErr) throw MacOSException(status);
    } else {
      for (SInt32 k = 0; k < a; ++k) std::memset(list.mBuffers[k].mData, 0, size_t(frames) * 4);
      flags = kAudioUnitRenderAction_OutputIsSilence;
    }
    silent = silent && (flags & kAudioUnitRenderAction_OutputIsSilence) != 0;
    for (SInt32 c = 0; c < w; ++c) {
      float* data = static_cast<float*>(list.mBuffers[c % a].mData);
      if (data == nullptr) {
        // A source that handed back no memory counts as silence on that pin.
        data = ioBuffers[pin + c];
        std::memset(data, 0, size_t(frames) * 4);
      } else if (c >= a) {
        // One host channel feeding a second pin: that pin gets a copy in its own buffer, so
        // that processing in place never changes another pin's input.
        std::memcpy(ioBuffers[pin + c], data, size_t(frames) * 4);
        data = ioBuffers[pin + c];
      }
      inputs[pin + c] = data;
    }
    pin += w;
  }
  if (pin != vst->getInputCount()) throw MacOSException(paramErr);
  if (silent && pin > 0 && anySignal(inputs, pin, frames))
    SY_LOG("[%s](%p) Input was flagged silent when signal was not (may be bug in signal source)\n");
  return silent;
}

void RoruvovuzComponent::renderOutput(UInt32 frames, float** inputs, float** outputs, bool inputSilent) {
  if (vstMidiEvents.numEvents > 0) {
    if (vst->isOpen() && vst->isResumed()) vst->processEvents(reinterpret_cast<VstEvents*>(&vstMidiEvents));
    vstMidiEvents.numEvents = 0;
  }
  if (vstGotRoruvovuzExtensions) vst->vendorSpecific(VstInt32(FOURCC("sI00")), inputSilent ? 1 : 0, nullptr, 0.0f);
  vst->processReplacing(inputs, outputs, SInt32(frames));
  if (vstGotRoruvovuzExtensions) {
    const bool signal = anySignal(outputs, vst->getOutputCount(), frames);
    silentOutput = vst->vendorSpecific(VstInt32(FOURCC("sO00")), 0, nullptr, 0.0f) != 0;
    if (silentOutput && signal)
      SY_LOG("[%s](%p) SY vendor-specific callback 'sO00' returned true (output silent) when output was not silent\n");
  } else {
    silentOutput = false;
  }
}

void RoruvovuzComponent::fillTransport(const AudioTimeStamp& timeStamp) {
  VstTimeInfo& t = vstTimeInfo;
  t.samplePos = timeStamp.mSampleTime;
  t.sampleRate = streamFormat.mSampleRate;
  t.flags = 0;
  void* user = hostCallbacks.hostUserData;
  if (hostCallbacks.beatAndTempoProc != nullptr) {
    Float64 beat = 0.0, tempo = 120.0;
    if (hostCallbacks.beatAndTempoProc(user, &beat, &tempo) == noErr) {
      t.ppqPos = beat;
      t.tempo = tempo;
      t.flags |= kVstPpqPosValid | kVstTempoValid;
    }
  }
  if (hostCallbacks.musicalTimeLocationProc != nullptr) {
    UInt32 delta = 0, denominator = 4;
    Float32 numerator = 4.0f;
    Float64 downbeat = 0.0;
    if (hostCallbacks.musicalTimeLocationProc(user, &delta, &numerator, &denominator, &downbeat) == noErr) {
      t.timeSigNumerator = std::isfinite(numerator) ? VstInt32(numerator) : 4;
      t.timeSigDenominator = VstInt32(denominator);
      t.barStartPos = downbeat;
      t.flags |= kVstBarsValid | kVstTimeSigValid;
    }
  }
  // Only the first transport-state procedure is asked; a host giving only the second leaves these clear.
  if (hostCallbacks.transportStateProc == nullptr) return;
  Boolean playing = false, changed = false, cycling = false;
  Float64 sample = t.samplePos, cycleStart = 0.0, cycleEnd = 0.0;
  if (hostCallbacks.transportStateProc(user, &playing, &changed, &sample, &cycling, &cycleStart, &cycleEnd) == noErr) {
    if (playing) t.flags |= kVstTransportPlaying;
    if (changed) t.flags |= kVstTransportChanged;
    t.samplePos = sample;
    if (cycling) t.flags |= kVstTransportCycleActive;
    t.cycleStartPos = cycleStart;
    t.cycleEndPos = cycleEnd;
    t.flags |= kVstCyclePosValid;
  }
}

void RoruvovuzComponent::midiInput(UInt32 offset, UInt32 status, UInt32 data1, UInt32 data2) {
  // MIDI before the unit is initialised has no plug-in run to reach: it is dropped.
  if (!vst->isResumed() || !vst->wantsMidi()) return;
  if (vstMidiEvents.numEvents >= kMaxVSTMIDIEvents) {
    SY_LOG("[%s](%p) Too many MIDI events received\n");
    return;
  }
  VstMidiEvent& e = midiEventRecords[vstMidiEvents.numEvents];
  e.deltaFrames = VstInt32(offset);
  e.midiData[0] = char(status);
  e.midiData[1] = char(data1);
  e.midiData[2] = char(data2);
  vstMidiEvents.events[vstMidiEvents.numEvents] = reinterpret_cast<VstEvent*>(&e);
  ++vstMidiEvents.numEvents;
}
