// The effect's host requests (audioMaster calls), answered by the wrapper or its VSTHost.
#include <cstring>

#include "RoruvovuzLog.h"
#include "VSTPlugIn.h"

namespace {

// Host requests the bridge does not support: logged with their name, answered as given.
struct Unsupported {
  VstInt32 opcode;
  const char* name;
  VstIntPtr answer;
};

constexpr Unsupported kUnsupported[] = {
    {8, "audioMasterProcessEvents", 0},
    {9, "audioMasterSetTime", 0},
    {10, "audioMasterTempoAt", 0},
    {11, "audioMasterGetNumAutomatableParameters", 0},
    {13, "audioMasterIOChanged", 0},
    {18, "audioMasterGetInputLatency", 0},
    {19, "audioMasterGetOutputLatency", 0},
    {20, "audioMasterGetPreviousPlug", 0},
    {21, "audioMasterGetNextPlug", 0},
    {22, "audioMasterWillReplaceOrAccumulate", 0},
    {24, "audioMasterGetAutomationState", 0},
    {25, "audioMasterOfflineStart", 0},
    {26, "audioMasterOfflineRead", 0},
    {27, "audioMasterOfflineWrite", 0},
    {28, "audioMasterOfflineGetCurrentPass", 0},
    {29, "audioMasterOfflineGetCurrentMetaPass", 0},
    {30, "audioMasterSetOutputSampleRate", 0},
    {31, "audioMasterGetSpeakerArrangement", 0},
    {35, "audioMasterVendorSpecific", 0},
    {36, "audioMasterSetIcon", 0},
    {38, "audioMasterGetLanguage", 1},
    {39, "audioMasterOpenWindow", 0},
    {40, "audioMasterCloseWindow", 0},
    {41, "audioMasterGetDirectory", 0},
    {45, "audioMasterOpenFileSelector", 0},
    {46, "audioMasterCloseFileSelector", 0},
    {47, "audioMasterEditFile", 0},
    {48, "audioMasterGetChunkFile", 0},
    {49, "audioMasterGetInputSpeakerArrangement", 0},
};

// Longest capability text read from the effect; a longer or unterminated one is refused.
constexpr size_t kMaxCanDoText = 255;
constexpr VstIntPtr kHostVstVersion = 2300;

// The host's text goes through a large local buffer and reaches the effect cut to fit.
template <class Fill>
VstIntPtr answerText(void* ptr, size_t capacity, Fill fill) {
  if (ptr == nullptr) return 0;
  char text[256] = {};
  fill(text);
  text[sizeof text - 1] = '\0';
  const size_t length = strnlen(text, capacity - 1);
  std::memcpy(ptr, text, length);
  static_cast<char*>(ptr)[length] = '\0';
  return 1;
}

}  // namespace

VstIntPtr VSTPlugIn::staticAudioMasterCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                               void* ptr, float opt) {
  try {
    VSTPlugIn* plugIn = nullptr;
    if (effect == nullptr) {
      plugIn = tempPlugInPointer;  // the entry point's first calls
    } else if (effect->resvd1 == 0) {
      plugIn = tempPlugInPointer;  // calls from the effect's constructor
      if (plugIn != nullptr && plugIn->aeffect == nullptr) plugIn->aeffect = effect;
    } else {
      plugIn = reinterpret_cast<VSTPlugIn*>(effect->resvd1);
      if (plugIn->aeffect != effect) plugIn = nullptr;
    }
    if (plugIn == nullptr) {
      // A call no wrapper can be found for still learns the host's version.
      return opcode == audioMasterVersion ? kHostVstVersion : 0;
    }
    return plugIn->myAudioMasterCallback(opcode, index, value, ptr, opt);
  } catch (...) {
    SY_LOG("[%s](%p) Caught exception in VST audio master callback\n");
    return 0;
  }
}

VstIntPtr VSTPlugIn::myAudioMasterCallback(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                           float opt) {
  const SInt32 paramCount = aeffect != nullptr ? aeffect->numParams : 0;
  const bool validParam = index >= 0 && index < paramCount;
  switch (opcode) {
    case audioMasterAutomate:
      if (validParam) host.automate(*this, index, opt);
      return 0;
    case audioMasterVersion:
      SY_LOG("[%s](%p) VST audioMasterVersion\n");
      return kHostVstVersion;
    case audioMasterCurrentId:
      SY_LOG("[%s](%p) VST audioMasterCurrentId\n");
      return aeffect != nullptr ? aeffect->uniqueID : 0;
    case audioMasterIdle:
      SY_LOG("[%s](%p) VST audioMasterIdle\n");
      host.idle(*this);
      return 0;
    case audioMasterPinConnected:
      SY_LOG("[%s](%p) VST audioMasterPinConnected: i/o=%s, pin=%d\n", value != 0 ? "out" : "in", int(index));
      return host.isIOPinConnected(*this, value != 0, index) ? 0 : 1;
    case audioMasterWantMidi:
      SY_LOG("[%s](%p) VST audioMasterWantMidi\n");
      wantsMidiFlag = true;
      return 1;
    case audioMasterGetTime:
      return reinterpret_cast<VstIntPtr>(host.getTimeInfo(*this, SInt32(value)));
    case audioMasterGetParameterQuantization:
      SY_LOG("[%s](%p) VST audioMasterGetParameterQuantization\n");
      return 1;
    case audioMasterNeedIdle:
      SY_LOG("[%s](%p) VST audioMasterNeedIdle\n");
      return 1;
    case audioMasterSizeWindow:
      SY_LOG("[%s](%p) VST audioMasterSizeWindow: width=%d, height=%d\n", int(index), int(value));
      if (!editorOpenFlag || index <= 0 || value <= 0 || value > 0x7fffffff) return 0;
      host.resizeWindow(*this, index, SInt32(value));
      return 1;
    case audioMasterGetSampleRate:
      SY_LOG("[%s](%p) VST audioMasterGetSampleRate\n");
      if (!(currentSampleRate > 0.0f) || currentSampleRate > 1.0e9f) return 0;
      return VstIntPtr(double(currentSampleRate) + 0.5);
    case audioMasterGetBlockSize:
      SY_LOG("[%s](%p) VST audioMasterGetBlockSize\n");
      return currentBlockSize;
    case audioMasterGetCurrentProcessLevel:
      return 0;
    case audioMasterGetVendorString:
      SY_LOG("[%s](%p) VST audioMasterGetVendorString\n");
      return answerText(ptr, kVstMaxVendorStrLen, [&](char* text) { host.getVendor(*this, text); });
    case audioMasterGetProductString:
      SY_LOG("[%s](%p) VST audioMasterGetProductString\n");
      return answerText(ptr, kVstMaxProductStrLen, [&](char* text) { host.getProduct(*this, text); });
    case audioMasterGetVendorVersion:
      SY_LOG("[%s](%p) VST audioMasterGetVendorVersion\n");
      return host.getVersion(*this);
    case audioMasterCanDo: {
      const char* text = static_cast<const char*>(ptr);
      const size_t length = text != nullptr ? strnlen(text, kMaxCanDoText + 1) : 0;
      char safe[kMaxCanDoText + 1] = {};
      if (text != nullptr) std::memcpy(safe, text, length <= kMaxCanDoText ? length : kMaxCanDoText);
      SY_LOG("[%s](%p) VST audioMasterCanDo: %s\n", text != nullptr ? safe : "<null>");
      if (text == nullptr || length > kMaxCanDoText) return 0;
      return host.canDo(*this, safe) ? 1 : 0;
    }
    case audioMasterUpdateDisplay:
      SY_LOG("[%s](%p) VST audioMasterUpdateDisplay\n");
      host.updateDisplay(*this);
      return 1;
    case audioMasterBeginEdit:
      SY_LOG("[%s](%p) VST audioMasterBeginEdit: %d\n", int(index));
      if (!validParam) return 0;
      host.beginEdit(*this, index);
      return 1;
    case audioMasterEndEdit:
      SY_LOG("[%s](%p) VST audioMasterEndEdit: %d\n", int(index));
      if (!validParam) return 0;
      host.endEdit(*this, index);
      return 1;
    default:
      break;
  }
  for (const Unsupported& u : kUnsupported) {
    if (u.opcode == opcode) {
      SY_LOG("[%s](%p) VST %s (not supported)\n", u.name);
      return u.answer;
    }
  }
  SY_LOG("[%s](%p) VST unknown callback opcode: %d\n", int(opcode));
  return 0;
}
