// A configurable VST 2.4 effect that records every dispatcher call, for the bridge tests.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "FakeEffectControl.h"

namespace {

FakeControl control;
AEffect record;

FakeControl& fx() { return control; }

VstIntPtr dispatcher(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  FakeCall call{opcode, index, value, opt, {}, {}, ptr};
  if (opcode == effSetProgramName && ptr != nullptr) call.text = static_cast<const char*>(ptr);
  if (opcode == effSetChunk && ptr != nullptr && value > 0)
    call.data.assign(static_cast<const char*>(ptr), static_cast<const char*>(ptr) + value);
  fx().calls.push_back(call);
  if (fx().throwInDispatcher && opcode != effClose) throw std::runtime_error("fake effect failure");
  switch (opcode) {
    case effClose:
      fx().alive = false;
      return 1;
    case effSetProgram:
      if (value >= 0 && value < VstIntPtr(fx().programs.size())) fx().currentProgram = int(value);
      return 0;
    case effGetProgram:
      return fx().getProgramAnswer != -1000 ? fx().getProgramAnswer : fx().currentProgram;
    case effSetProgramName:
      if (!fx().programNames.empty()) fx().programNames[size_t(fx().currentProgram)] = call.text;
      return 0;
    case effGetProgramName:
      std::strcpy(static_cast<char*>(ptr), !fx().programNameAnswer.empty()
                                               ? fx().programNameAnswer.c_str()
                                               : (fx().programNames.empty() ? "" : fx().programNames[size_t(fx().currentProgram)].c_str()));
      return 0;
    case effGetProgramNameIndexed:
      if (fx().programNameIndexedAnswer == 0) return 0;
      std::strcpy(static_cast<char*>(ptr), "Indexed");
      return 1;
    case effGetParamDisplay:
      if (fx().numericDisplay)
        std::snprintf(static_cast<char*>(ptr), 32, "%.3f",
                      double(fx().displaySlope * fx().programs[size_t(fx().currentProgram)][size_t(index)] - 60.0f));
      return 0;
    case effGetParamLabel:
      if (fx().numericDisplay) std::strcpy(static_cast<char*>(ptr), "dB");
      return 0;
    case effGetParamName:
      std::snprintf(static_cast<char*>(ptr), 32, "%s", fx().parameterName.c_str());
      return 0;
    case effEditGetRect:
      *static_cast<ERect**>(ptr) = &fx().rect;
      return 1;
    case effEditOpen:
      if (fx().sizeWindowDuringOpen) fx().master(e, audioMasterSizeWindow, 640, 480, nullptr, 0);
      return fx().editOpenAnswer;
    case effGetChunk:
      if (fx().chunk.empty()) return 0;
      *static_cast<void**>(ptr) = fx().chunk.data();
      return VstIntPtr(fx().chunk.size());
    case effSetChunk:
      return fx().setChunkAnswer;
    case effGetTailSize:
      return fx().tailAnswer;
    case effMainsChanged:
      if (value == 1 && fx().askMidiOnResume) fx().master(e, audioMasterWantMidi, 0, 1, nullptr, 0);
      return 0;
    case effProcessEvents: {
      ++fx().processEventsCalls;
      auto* events = static_cast<VstEvents*>(ptr);
      for (VstInt32 i = 0; i < events->numEvents; ++i) {
        auto* m = reinterpret_cast<VstMidiEvent*>(events->events[i]);
        fx().midiDeltas.push_back(m->deltaFrames);
        fx().midiReceived.push_back({static_cast<unsigned char>(m->midiData[0]),
                                     static_cast<unsigned char>(m->midiData[1]),
                                     static_cast<unsigned char>(m->midiData[2])});
      }
      return 1;
    }
    case effSetBypass:
      return fx().bypassAnswer;
    case effGetInputProperties:
    case effGetOutputProperties: {
      const auto& flags = opcode == effGetInputProperties ? fx().inputPinFlags : fx().outputPinFlags;
      if (index < 0 || size_t(index) >= flags.size()) return 0;
      auto* p = static_cast<VstPinProperties*>(ptr);
      std::snprintf(p->label, sizeof p->label, "%s %d", opcode == effGetInputProperties ? "In" : "Out", int(index));
      p->flags = flags[size_t(index)];
      return 1;
    }
    case effVendorSpecific: {
      if (!fx().extensions) return 0;
      char* text = static_cast<char*>(ptr);
      switch (index) {
        case 0x73486921:  // 'sHi!'
          return 1;
        case 0x73493030:  // 'sI00'
          fx().inputSilentSeen.push_back(value);
          return 0;
        case 0x734F3030:  // 'sO00'
          return fx().silentAnswer;
        case 0x73563253: {  // 'sV2S'
          float v;
          std::memcpy(&v, text, sizeof v);
          std::snprintf(text, 64, "  v=%.2f", double(v));
          return 1;
        }
        case 0x73533256: {  // 'sS2V'
          float v = 0.25f;
          if (std::strcmp(text, "bad") == 0) return 0;
          std::memcpy(text, &v, sizeof v);
          return 1;
        }
        default:
          return 0;
      }
    }
    default:
      return 0;
  }
}

float getParameter(AEffect*, VstInt32 index) {
  if (!std::isnan(fx().parameterAnswer)) return fx().parameterAnswer;
  return fx().programs[size_t(fx().currentProgram)][size_t(index)];
}

void setParameter(AEffect*, VstInt32 index, float value) {
  fx().setParameters.emplace_back(index, value);
  fx().programs[size_t(fx().currentProgram)][size_t(index)] = value;
}

void processReplacing(AEffect*, float** in, float** out, VstInt32 frames) {
  ++fx().processCount;
  fx().lastInputs.assign(in, in + fx().numInputs);
  fx().lastOutputs.assign(out, out + fx().numOutputs);
  const float gain = 1.0f + fx().programs[size_t(fx().currentProgram)][0];
  for (VstInt32 c = 0; c < fx().numOutputs; ++c) {
    for (VstInt32 i = 0; i < frames; ++i) {
      const float x = fx().numInputs > 0 ? in[c % fx().numInputs][i] : 0.0f;
      out[c][i] = x * gain + 0.01f * float(c + 1);
    }
  }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) FakeControl* fakeEffectControl() { return &control; }

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback master) {
  FakeControl& c = fx();
  c.master = master;
  if (master(nullptr, audioMasterVersion, 0, 0, nullptr, 0) == 0) return nullptr;
  c.currentIdSeenInEntry = master(nullptr, audioMasterCurrentId, 0, 0, nullptr, 0);
  if (c.entryDelayMilliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(c.entryDelayMilliseconds));
  if (c.entryAnswersNull) return nullptr;
  std::memset(&record, 0, sizeof record);
  record.magic = c.badMagic ? 0x12345678 : kEffectMagic;
  record.dispatcher = dispatcher;
  record.setParameter = setParameter;
  record.getParameter = getParameter;
  record.processReplacing = c.nullProcessReplacing ? nullptr : processReplacing;
  record.numPrograms = c.numPrograms;
  record.numParams = c.numParams;
  record.numInputs = c.numInputs;
  record.numOutputs = c.numOutputs;
  record.flags = c.flags;
  record.uniqueID = c.uniqueID;
  record.version = c.version;
  record.initialDelay = c.initialDelay;
  record.ioRatio = 1.0f;
  c.effect = &record;
  const size_t programCount = size_t(c.numPrograms > 0 ? c.numPrograms : 1);
  c.programs.assign(programCount, std::vector<float>(size_t(c.numParams), 0.5f));
  c.programNames.assign(programCount, "Init");
  for (size_t i = 0; i < programCount && i < c.initialProgramNames.size(); ++i) c.programNames[i] = c.initialProgramNames[i];
  c.currentProgram = 0;
  c.alive = true;
  // As a constructor would: asks its host before the record is handed back.
  c.sampleRateSeenInConstructor = master(&record, audioMasterGetSampleRate, 0, 0, nullptr, 0);
  return &record;
}
