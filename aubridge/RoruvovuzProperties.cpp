// Audio Unit properties, parameters and the preset dictionaries of the component.
#include <cmath>
#include <cstring>

#include "RoruvovuzCocoaView.h"
#include "RoruvovuzComponent.h"
#include "RoruvovuzException.h"
#include "RoruvovuzLog.h"


namespace {

enum Scopes : UInt8 { kGlobal = 1, kInput = 2, kOutput = 4, kAny = 7 };

// The properties the component answers: who may ask, how, and with what sizes.
struct PropertyRow {
  AudioUnitPropertyID id;
  const char* name;
  UInt8 scopes;
  bool readable;
  bool writable;
  UInt32 minSize;
  UInt32 dataSize;
  bool logs;
};

constexpr PropertyRow kProperties[] = {
    {0, "kAudioUnitProperty_ClassInfo", kGlobal, true, true, 8, 8, false},
    {1, "kAudioUnitProperty_MakeConnection", kInput, false, true, 16, 16, true},
    {2, "kAudioUnitProperty_SampleRate", kAny, true, true, 8, 8, true},
    {3, "kAudioUnitProperty_ParameterList", kAny, true, false, 0, 0, true},
    {4, "kAudioUnitProperty_ParameterInfo", kGlobal, true, false, 104, 104, true},
    {8, "kAudioUnitProperty_StreamFormat", kAny, true, true, 40, 40, true},
    {11, "kAudioUnitProperty_ElementCount", kAny, true, false, 4, 4, true},
    {12, "kAudioUnitProperty_Latency", kGlobal, true, false, 8, 8, true},
    {13, "kAudioUnitProperty_SupportedNumChannels", kGlobal, true, false, 0, 0, true},
    {14, "kAudioUnitProperty_MaximumFramesPerSlice", kGlobal, true, true, 4, 4, true},
    {16, "kAudioUnitProperty_ParameterValueStrings", kGlobal, true, false, 8, 8, true},
    {20, "kAudioUnitProperty_TailTime", kGlobal, true, false, 8, 8, true},
    {21, "kAudioUnitProperty_BypassEffect", kGlobal, true, true, 4, 4, true},
    {22, "kAudioUnitProperty_LastRenderError", kGlobal, true, false, 4, 4, true},
    {23, "kAudioUnitProperty_SetRenderCallback", kInput, false, true, 16, 16, true},
    {24, "kAudioUnitProperty_FactoryPresets", kGlobal, true, false, 8, 8, true},
    {27, "kAudioUnitProperty_HostCallbacks", kGlobal, true, true, 0, 40, true},
    {28, "kAudioUnitProperty_CurrentPreset", kGlobal, true, true, 4, 16, true},
    {30, "kAudioUnitProperty_ElementName", kInput | kOutput, true, false, 8, 8, true},
    {31, "kAudioUnitProperty_CocoaUI", kGlobal, true, false, 16, 16, true},
    {33, "kAudioUnitProperty_ParameterStringFromValue", kGlobal, true, false, 24, 24, false},
    {36, "kAudioUnitProperty_PresentPreset", kGlobal, true, true, 4, 16, true},
    {38, "kAudioUnitProperty_ParameterValueFromString", kGlobal, true, false, 24, 24, true},
    {1000, "kMusicDeviceProperty_InstrumentCount", kGlobal, true, false, 4, 4, true},
};

struct UnsupportedRow {
  AudioUnitPropertyID id;
  const char* name;
};

constexpr UnsupportedRow kUnsupported[] = {
    {5, "kAudioUnitProperty_FastDispatch"},
    {6, "kAudioUnitProperty_CPULoad"},
    {9, "kAudioUnitProperty_SRCAlgorithm"},
    {10, "kAudioUnitProperty_ReverbRoomType"},
    {15, "kAudioUnitProperty_SetExternalBuffer"},
    {17, "kAudioUnitProperty_MIDIControlMapping"},
    {19, "kAudioUnitProperty_AudioChannelLayout"},
    {25, "kAudioUnitProperty_ContextName"},
    {26, "kAudioUnitProperty_RenderQuality"},
    {32, "kAudioUnitProperty_SupportedChannelLayoutTags"},
    {34, "kAudioUnitProperty_ParameterIDName"},
    {35, "kAudioUnitProperty_ParameterClumpName"},
    {37, "kAudioUnitProperty_OfflineRender"},
    {39, "kAudioUnitProperty_IconLocation"},
    {40, "kAudioUnitProperty_PresentationLatency"},
    {41, "kAudioUnitProperty_AllParameterMIDIMappings"},
    {42, "kAudioUnitProperty_AddParameterMIDIMapping"},
    {43, "kAudioUnitProperty_RemoveParameterMIDIMapping"},
    {44, "kAudioUnitProperty_HotMapParameterMIDIMapping"},
    {45, "kAudioUnitProperty_DependentParameters"},
    {1001, "kMusicDeviceProperty_InstrumentName"},
    {1002, "kMusicDeviceProperty_GroupOutputBus"},
    {1003, "kMusicDeviceProperty_SoundBankFSSpec"},
    {1004, "kMusicDeviceProperty_InstrumentNumber"},
    {1005, "kAudioUnitProperty_UsesInternalReverb"},
    {1006, "kMusicDeviceProperty_MIDIXMLNames"},
    {1007, "kMusicDeviceProperty_BankName"},
    {1008, "kMusicDeviceProperty_SoundBankData"},
    {1010, "kMusicDeviceProperty_PartGroup"},
    {1011, "kMusicDeviceProperty_StreamFromDisk"},
    {4000, "kAudioUnitMigrateProperty_FromPlugin"},
    {4001, "kAudioUnitMigrateProperty_OldAutomation"},
};

constexpr SInt32 kMaxSliceFrames = 1 << 24;

[[noreturn]] void fail(OSStatus status) { throw MacOSException(status); }

bool validRate(Float64 rate) { return std::isfinite(rate) && rate > 0.0 && rate <= 10.0e6; }

template <class T>
T read(const void* data) {
  T value;
  std::memcpy(&value, data, sizeof value);
  return value;
}

template <class T>
void write(void* data, const T& value) {
  std::memcpy(data, &value, sizeof value);
}

}  // namespace

void RoruvovuzComponent::getPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                         bool& readable, bool& writable, UInt32& minSize, UInt32& dataSize,
                                         bool log) {
  readable = writable = false;
  minSize = dataSize = 0;
  const PropertyRow* row = nullptr;
  for (const PropertyRow& r : kProperties)
    if (r.id == id) row = &r;
  if (row == nullptr) {
    for (const UnsupportedRow& u : kUnsupported) {
      if (u.id != id) continue;
      if (log) SY_LOG("[%s](%p) AU GetPropertyInfo: %s (not supported)\n", u.name);
      fail(kAudioUnitErr_InvalidProperty);
    }
    if (log) SY_LOG("[%s](%p) AU GetPropertyInfo: unknown property id: %d\n", int(id));
    fail(kAudioUnitErr_InvalidProperty);
  }
  if (log && row->logs && id != kAudioUnitProperty_SupportedNumChannels && id != kAudioUnitProperty_ElementName &&
      (id != kAudioUnitProperty_CocoaUI || vst->hasEditor()))
    SY_LOG("[%s](%p) AU GetPropertyInfo: %s (scope: %d, element: %d)\n", row->name, int(scope), int(element));

  const UInt8 scopeBit = scope == kAudioUnitScope_Global ? kGlobal
                         : scope == kAudioUnitScope_Input ? kInput
                         : scope == kAudioUnitScope_Output ? kOutput
                                                           : 0;
  if (row->id != kAudioUnitProperty_ParameterList && row->id != kAudioUnitProperty_ElementCount &&
      (scopeBit & row->scopes) == 0)
    fail(kAudioUnitErr_InvalidScope);
  readable = row->readable;
  writable = row->writable;
  minSize = row->minSize;
  dataSize = row->dataSize;
  const SInt32 params = vst->getParameterCount();
  const SInt32 buses = scope == kAudioUnitScope_Input ? inputBusCount : outputBusCount;

  switch (id) {
    case kAudioUnitProperty_MakeConnection:
    case kAudioUnitProperty_SetRenderCallback:
      if (element >= UInt32(inputBusCount)) fail(kAudioUnitErr_InvalidElement);
      break;
    case kAudioUnitProperty_SampleRate:
    case kAudioUnitProperty_StreamFormat:
      if (element >= UInt32(buses)) fail(kAudioUnitErr_InvalidElement);
      if (scope == kAudioUnitScope_Input && inputConnections[element].sourceAudioUnit != nullptr) writable = false;
      break;
    case kAudioUnitProperty_ParameterList:
      minSize = dataSize = scope == kAudioUnitScope_Global ? UInt32(parameterCount) * 4 : 0;
      break;
    case kAudioUnitProperty_ParameterInfo:
      if (element >= UInt32(params)) fail(kAudioUnitErr_InvalidElement);
      break;
    case kAudioUnitProperty_SupportedNumChannels:
      if (auChannelInfoCount == 0) {
        if (log) SY_LOG("[%s](%p) AU GetPropertyInfo: kAudioUnitProperty_SupportedNumChannels (not supported)\n");
        fail(kAudioUnitErr_InvalidProperty);
      }
      if (log) SY_LOG("[%s](%p) AU GetPropertyInfo: kAudioUnitProperty_SupportedNumChannels\n");
      minSize = dataSize = UInt32(auChannelInfoCount) * sizeof(AUChannelInfo);
      break;
    case kAudioUnitProperty_ParameterValueStrings:
      if (element >= UInt32(params)) fail(kAudioUnitErr_InvalidElement);
      if (parameterValueStrings[element] == nullptr) fail(kAudioUnitErr_InvalidParameter);
      break;
    case kAudioUnitProperty_TailTime:
      if (!vstSupportsTail) fail(kAudioUnitErr_InvalidProperty);
      break;
    case kAudioUnitProperty_BypassEffect:
      if (!vstSupportsBypass) fail(kAudioUnitErr_InvalidProperty);
      break;
    case kAudioUnitProperty_FactoryPresets:
      if (factoryPresetsArray == nullptr || CFArrayGetCount(factoryPresetsArray) < 1)
        fail(kAudioUnitErr_InvalidProperty);
      break;
    case kAudioUnitProperty_ElementName:
      if ((inputBusCount == 0 || inputBusNames[0] == nullptr) && (outputBusCount == 0 || outputBusNames[0] == nullptr)) {
        if (log) SY_LOG("[%s](%p) AU GetPropertyInfo: kAudioUnitProperty_ElementName (unsupported)\n");
        fail(kAudioUnitErr_InvalidProperty);
      }
      if (log) SY_LOG("[%s](%p) AU GetPropertyInfo: %s (scope: %d, element: %d)\n", row->name, int(scope), int(element));
      if (element >= UInt32(buses) ||
          (scope == kAudioUnitScope_Input ? inputBusNames : outputBusNames)[element] == nullptr)
        fail(kAudioUnitErr_InvalidElement);
      break;
    case kAudioUnitProperty_CocoaUI:
      if (!vst->hasEditor()) {
        if (log) SY_LOG("[%s](%p) VST has no editor\n");
        fail(kAudioUnitErr_InvalidProperty);
      }
      break;
    case kAudioUnitProperty_ParameterStringFromValue:
    case kAudioUnitProperty_ParameterValueFromString:
      if (element >= UInt32(params)) fail(kAudioUnitErr_InvalidElement);
      if (!vstGotRoruvovuzExtensions) fail(kAudioUnitErr_InvalidProperty);
      break;
    default:
      break;
  }
}

void RoruvovuzComponent::getProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                     void* data, UInt32* ioSize) {
  bool readable, writable;
  UInt32 minSize, dataSize;
  getPropertyInfo(id, scope, element, readable, writable, minSize, dataSize, true);
  if (!readable) fail(kAudioUnitErr_InvalidProperty);
  if (ioSize == nullptr) fail(paramErr);
  const UInt32 given = *ioSize;
  *ioSize = minSize;
  if (data == nullptr) return;
  if (given < minSize) fail(kAudioUnitErr_InvalidPropertyValue);

  switch (id) {
    case kAudioUnitProperty_ClassInfo:
      write<CFPropertyListRef>(data, createClassInfo());
      break;
    case kAudioUnitProperty_SampleRate:
      write<Float64>(data, streamFormat.mSampleRate);
      break;
    case kAudioUnitProperty_ParameterList:
      if (scope == kAudioUnitScope_Global) std::memcpy(data, parameterList, size_t(parameterCount) * 4);
      break;
    case kAudioUnitProperty_ParameterInfo:
      write(data, parameterInfos[element]);
      break;
    case kAudioUnitProperty_StreamFormat:
      streamFormat.mChannelsPerFrame =
          UInt32(scope == kAudioUnitScope_Input ? activeInputChannels[element] : activeOutputChannels[element]);
      write(data, streamFormat);
      break;
    case kAudioUnitProperty_ElementCount:
      write<UInt32>(data, scope == kAudioUnitScope_Input    ? UInt32(inputBusCount)
                          : scope == kAudioUnitScope_Output ? UInt32(outputBusCount)
                                                            : 0u);
      break;
    case kAudioUnitProperty_Latency:
      latency = vst->getInitialDelay() / streamFormat.mSampleRate;
      write<Float64>(data, latency);
      break;
    case kAudioUnitProperty_SupportedNumChannels:
      std::memcpy(data, auChannelInfos, sizeof(AUChannelInfo) * size_t(auChannelInfoCount));
      break;
    case kAudioUnitProperty_MaximumFramesPerSlice:
      write<UInt32>(data, UInt32(maxFramesPerSlice));
      break;
    case kAudioUnitProperty_ParameterValueStrings:
      write<CFArrayRef>(data, CFArrayRef(CFRetain(parameterValueStrings[element])));
      break;
    case kAudioUnitProperty_TailTime:
      tailTime = vst->getTailSize() / streamFormat.mSampleRate;
      write<Float64>(data, tailTime);
      break;
    case kAudioUnitProperty_BypassEffect:
      write<UInt32>(data, bypassing ? 1u : 0u);
      break;
    case kAudioUnitProperty_LastRenderError:
      write<SInt32>(data, 0);
      break;
    case kAudioUnitProperty_FactoryPresets:
      write<CFArrayRef>(data, CFArrayRef(CFRetain(factoryPresetsArray)));
      break;
    case kAudioUnitProperty_HostCallbacks: {
      const UInt32 n = given < sizeof hostCallbacks ? given : UInt32(sizeof hostCallbacks);
      std::memcpy(data, &hostCallbacks, n);
      *ioSize = n;
      break;
    }
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
      updateCurrentAUPreset();
      if (given >= sizeof(AUPreset)) {
        AUPreset preset = currentAUPreset;
        if (id == kAudioUnitProperty_PresentPreset && preset.presetName != nullptr) CFRetain(preset.presetName);
        write(data, preset);
        *ioSize = sizeof(AUPreset);
      } else {
        write<SInt32>(data, currentAUPreset.presetNumber);
        *ioSize = 4;
      }
      break;
    case kAudioUnitProperty_ElementName:
      write<CFStringRef>(data, CFStringRef(CFRetain(
                                   (scope == kAudioUnitScope_Input ? inputBusNames : outputBusNames)[element])));
      break;
    case kAudioUnitProperty_CocoaUI: {
      AudioUnitCocoaViewInfo info{};
      info.mCocoaAUViewBundleLocation = CFBundleCopyBundleURL(auBundleRef);
      info.mCocoaAUViewClass[0] =
          CFStringCreateWithCString(nullptr, roruvovuzFactoryClassName().c_str(), kCFStringEncodingUTF8);
      write(data, info);
      break;
    }
    case kAudioUnitProperty_ParameterStringFromValue: {
      auto* request = static_cast<AudioUnitParameterStringFromValue*>(data);
      if (request->inParamID >= UInt32(vst->getParameterCount())) fail(kAudioUnitErr_InvalidParameter);
      request->outString = nullptr;
      char text[2048] = {};
      if (request->inValue != nullptr) {
        const float value = scaleFromAUParameter(SInt32(request->inParamID), *request->inValue);
        std::memcpy(text, &value, sizeof value);
        if (vst->vendorSpecific(VstInt32(FOURCC("sV2S")), VstIntPtr(request->inParamID), text, 0.0f) == 0) {
          SY_LOG("[%s](%p) Warning! Roruvovuz extension 'sV2S' (value to string conversion) returned 0\n");
          fail(kAudioUnitErr_InvalidProperty);
        }
        text[sizeof text - 1] = '\0';
      } else {
        vst->getParameterDisplay(SInt32(request->inParamID), text);
      }
      const char* start = text;
      while (*start == ' ' || *start == '\t') ++start;
      request->outString = CFStringCreateWithCString(nullptr, start, kCFStringEncodingMacRoman);
      break;
    }
    case kAudioUnitProperty_ParameterValueFromString: {
      auto* request = static_cast<AudioUnitParameterValueFromString*>(data);
      if (request->inParamID >= UInt32(vst->getParameterCount())) fail(kAudioUnitErr_InvalidParameter);
      request->outValue = 0.0f;
      if (request->inString == nullptr || CFGetTypeID(request->inString) != CFStringGetTypeID())
        fail(kAudioUnitErr_InvalidPropertyValue);
      char text[2048] = {};
      char converted[2048];
      const char* source = cfStringToCString(request->inString, converted, sizeof converted - 1);
      std::strncpy(text, source, sizeof text - 1);
      if (vst->vendorSpecific(VstInt32(FOURCC("sS2V")), VstIntPtr(request->inParamID), text, 0.0f) == 0) {
        SY_LOG("[%s](%p) Warning! Roruvovuz extension 'sS2V' (string to value conversion) returned 0\n");
        fail(kAudioUnitErr_InvalidProperty);
      }
      float value;
      std::memcpy(&value, text, sizeof value);
      if (!(value >= 0.0f)) value = 0.0f;
      if (value > 1.0f) value = 1.0f;
      request->outValue = scaleToAUParameter(SInt32(request->inParamID), value);
      break;
    }
    case kMusicDeviceProperty_InstrumentCount:
      write<UInt32>(data, 0);
      break;
    default:
      fail(kAudioUnitErr_InvalidProperty);
  }
}

void RoruvovuzComponent::setProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                     const void* data, UInt32 size) {
  bool readable, writable;
  UInt32 minSize, dataSize;
  getPropertyInfo(id, scope, element, readable, writable, minSize, dataSize, true);
  if (!writable) fail(kAudioUnitErr_InvalidProperty);
  if (size < minSize) fail(kAudioUnitErr_InvalidPropertyValue);
  if (data == nullptr && size > 0) fail(paramErr);

  switch (id) {
    case kAudioUnitProperty_ClassInfo:
      setClassInfo(read<CFPropertyListRef>(data));
      break;
    case kAudioUnitProperty_MakeConnection:
      makeConnection(element, read<AudioUnitConnection>(data));
      break;
    case kAudioUnitProperty_SampleRate: {
      const Float64 rate = read<Float64>(data);
      if (!validRate(rate)) fail(kAudioUnitErr_InvalidPropertyValue);
      setSampleRate(rate);
      break;
    }
    case kAudioUnitProperty_StreamFormat:
      setStreamFormat(scope, element, read<AudioStreamBasicDescription>(data));
      break;
    case kAudioUnitProperty_MaximumFramesPerSlice: {
      const UInt32 frames = read<UInt32>(data);
      if (frames == 0 || frames > UInt32(kMaxSliceFrames)) fail(kAudioUnitErr_InvalidPropertyValue);
      setMaxFramesPerSlice(SInt32(frames));
      break;
    }
    case kAudioUnitProperty_BypassEffect:
      setBypass(read<UInt32>(data) != 0);
      break;
    case kAudioUnitProperty_SetRenderCallback:
      setRenderCallback(element, read<AURenderCallbackStruct>(data));
      break;
    case kAudioUnitProperty_HostCallbacks: {
      HostCallbackInfo callbacks{};
      std::memcpy(&callbacks, data, size < sizeof callbacks ? size : sizeof callbacks);
      if (std::memcmp(&callbacks, &hostCallbacks, sizeof callbacks) != 0) {
        hostCallbacks = callbacks;
        announce(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0);
      }
      break;
    }
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
      selectPreset(data, size);
      break;
    default:
      fail(kAudioUnitErr_InvalidProperty);
  }
}

float RoruvovuzComponent::scaleFromAUParameter(SInt32 index, float value) const {
  if (index < 0 || index >= vst->getParameterCount()) fail(kAudioUnitErr_InvalidParameter);
  const AudioUnitParameterInfo& info = parameterInfos[index];
  float normalised;
  if (info.maxValue > info.minValue) normalised = (value - info.minValue) / (info.maxValue - info.minValue);
  else normalised = value;  // an unmapped parameter is its own 0..1 value
  if (!(normalised >= 0.0f)) return 0.0f;  // NaN too
  return normalised > 1.0f ? 1.0f : normalised;
}

float RoruvovuzComponent::scaleToAUParameter(SInt32 index, float value) const {
  if (index < 0 || index >= vst->getParameterCount()) fail(kAudioUnitErr_InvalidParameter);
  if (!(value >= 0.0f)) value = 0.0f;
  if (value > 1.0f) value = 1.0f;
  const AudioUnitParameterInfo& info = parameterInfos[index];
  if (!(info.maxValue > info.minValue)) return value;
  const float span = info.maxValue - info.minValue;
  if (info.unit == kAudioUnitParameterUnit_Indexed || info.unit == kAudioUnitParameterUnit_Boolean)
    return std::floor(span * value + info.minValue + 0.5f);
  return span * value + info.minValue;
}

void RoruvovuzComponent::checkParameter(AudioUnitScope scope, AudioUnitParameterID id) const {
  if (scope != kAudioUnitScope_Global) fail(kAudioUnitErr_InvalidScope);
  if (id >= UInt32(vst->getParameterCount())) fail(kAudioUnitErr_InvalidParameter);
}

void RoruvovuzComponent::getParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement,
                                      Float32* out) {
  if (out == nullptr) fail(paramErr);
  checkParameter(scope, id);
  *out = scaleToAUParameter(SInt32(id), vst->getParameter(SInt32(id)));
}

void RoruvovuzComponent::setParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement,
                                      Float32 value) {
  checkParameter(scope, id);
  vst->setParameter(SInt32(id), scaleFromAUParameter(SInt32(id), value));
}

void RoruvovuzComponent::scheduleParameters(const AudioUnitParameterEvent* events, UInt32 count) {
  if (events == nullptr && count > 0) fail(paramErr);
  for (UInt32 i = 0; i < count; ++i) {
    const AudioUnitParameterEvent& e = events[i];
    checkParameter(e.scope, e.parameter);
    if (e.eventType != kParameterEvent_Immediate) continue;  // ramps are not supported
    vst->setParameter(SInt32(e.parameter), scaleFromAUParameter(SInt32(e.parameter), e.eventValues.immediate.value));
  }
}

CFPropertyListRef RoruvovuzComponent::createClassInfo() {
  CFMutableDictionaryRef preset = presetIsFXB ? createAUPresetOfCurrentBank(currentAUPreset.presetName)
                                              : createAUPresetOfCurrentProgram(currentAUPreset.presetName);
  try {
    addIntToDictionary(preset, CFSTR("ProgramNumber"), vst->getCurrentProgram());
  } catch (...) {
    CFRelease(preset);
    throw;
  }
  return preset;
}

void RoruvovuzComponent::loadPresetData(CFDataRef data) {
  vst->loadFXPOrFXB(size_t(CFDataGetLength(data)), CFDataGetBytePtr(data));
}

void RoruvovuzComponent::setClassInfo(CFPropertyListRef plist) {
  try {
    if (plist == nullptr || CFGetTypeID(plist) != CFDictionaryGetTypeID()) throw FormatException("Invalid AUPreset format");
    auto dict = CFDictionaryRef(plist);
    ComponentDescription description{};
    const OSErr err =
        GetComponentInfo(reinterpret_cast<Component>(auComponentInstance), &description, nullptr, nullptr, nullptr);
    if (err != noErr) throw MacOSException(err);
    auto number = [&](CFStringRef key) {
      SInt32 value = 0;
      CFNumberGetValue(CFNumberRef(getValueOfKeyInDictionary(dict, key, CFNumberGetTypeID())), kCFNumberSInt32Type,
                       &value);
      return value;
    };
    if (number(CFSTR("version")) != 1 || number(CFSTR("type")) != SInt32(description.componentType) ||
        number(CFSTR("subtype")) != SInt32(description.componentSubType) ||
        number(CFSTR("manufacturer")) != SInt32(description.componentManufacturer))
      throw FormatException("Data in dictionary is not of expected value");
    // The preset's program, or program 0 when it names none or one out of range.
    SInt64 index = 0;
    if (CFTypeRef program = CFDictionaryGetValue(dict, CFSTR("ProgramNumber"))) {
      if (CFGetTypeID(program) != CFNumberGetTypeID()) throw FormatException("Value in dictionary is not of expected type");
      if (!CFNumberGetValue(CFNumberRef(program), kCFNumberSInt64Type, &index)) index = 0;
    }
    vst->setCurrentProgram(index >= 0 && index < vst->getProgramCount() ? SInt32(index) : 0);
    auto name = CFStringRef(getValueOfKeyInDictionary(dict, CFSTR("name"), CFStringGetTypeID()));
    auto data = CFDataRef(getValueOfKeyInDictionary(dict, CFSTR("vstdata"), CFDataGetTypeID()));
    loadPresetData(data);
    if (updateNameOnLoad) updateCurrentVSTProgramName(name);
    updateCurrentAUPreset();
    currentAUPreset.presetNumber = -1;
    announce(kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global, 0);
    announce(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0);
  } catch (const FormatException& e) {
    SY_LOG("[%s](%p) Failed reading AUPreset, caught format exception: %s\n", e.what());
    fail(kAudioUnitErr_InvalidPropertyValue);
  } catch (const EOFException& e) {
    SY_LOG("[%s](%p) Failed reading AUPreset, caught end of file exception: %s\n", e.what());
    fail(kAudioUnitErr_InvalidPropertyValue);
  }
}

void RoruvovuzComponent::selectPreset(const void* data, UInt32 size) {
  const SInt32 number = read<SInt32>(data);
  CFStringRef name = size >= sizeof(AUPreset) ? read<AUPreset>(data).presetName : nullptr;
  if (number >= 0) {
    if (factoryPresetsArray == nullptr || number >= CFArrayGetCount(factoryPresetsArray))
      fail(kAudioUnitErr_InvalidPropertyValue);
    loadPresetData(factoryPresetData[number]);
    CFRetain(factoryPresets[number].presetName);
    if (currentAUPreset.presetName != nullptr) CFRelease(currentAUPreset.presetName);
    currentAUPreset = factoryPresets[number];
  } else {
    if (name != nullptr) {
      if (CFGetTypeID(name) != CFStringGetTypeID()) fail(kAudioUnitErr_InvalidPropertyValue);
      updateCurrentVSTProgramName(name);
    }
    if (!updateCurrentAUPreset() && currentAUPreset.presetNumber == -1) return;
    currentAUPreset.presetNumber = -1;
  }
  announce(kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global, 0);
  announce(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0);
}

bool RoruvovuzComponent::updateCurrentAUPreset() {
  char name[25];
  vst->getCurrentProgramName(name);
  CFStringRef fresh = CFStringCreateWithCString(nullptr, name, kCFStringEncodingMacRoman);
  if (fresh == nullptr) throw std::bad_alloc();
  if (currentAUPreset.presetName != nullptr && CFStringCompare(fresh, currentAUPreset.presetName, 0) == 0) {
    CFRelease(fresh);
    return false;
  }
  if (currentAUPreset.presetName != nullptr) CFRelease(currentAUPreset.presetName);
  currentAUPreset.presetNumber = -1;
  currentAUPreset.presetName = fresh;
  return true;
}

void RoruvovuzComponent::updateCurrentVSTProgramName(CFStringRef name) {
  char buffer[2048];
  const char* text = cfStringToCString(name, buffer, 2047);
  char cut[25] = {};
  std::strncpy(cut, text, 24);
  vst->setCurrentProgramName(cut);
}

void RoruvovuzComponent::setSampleRate(Float64 rate) {
  if (rate == streamFormat.mSampleRate) return;
  streamFormat.mSampleRate = rate;
  vst->setSampleRate(Float32(rate));
  for (SInt32 i = 0; i < inputBusCount; ++i) {
    announce(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, AudioUnitElement(i));
    announce(kAudioUnitProperty_SampleRate, kAudioUnitScope_Input, AudioUnitElement(i));
  }
  for (SInt32 i = 0; i < outputBusCount; ++i) {
    announce(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, AudioUnitElement(i));
    announce(kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, AudioUnitElement(i));
  }
  refreshLatencyAndTail();
}

void RoruvovuzComponent::setMaxFramesPerSlice(SInt32 frames) {
  if (frames == maxFramesPerSlice) return;
  allocateIOBuffers(frames);
  maxFramesPerSlice = frames;
  announce(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0);
  vst->setBlockSize(frames);
}

void RoruvovuzComponent::setStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                         const AudioStreamBasicDescription& f) {
  const bool input = scope == kAudioUnitScope_Input;
  const SInt32 w = input ? getMaxInputChannels(SInt32(element)) : getMaxOutputChannels(SInt32(element));
  const SInt32 c = SInt32(f.mChannelsPerFrame);
  const bool shapeOk = f.mFormatID == kAudioFormatLinearPCM && f.mFramesPerPacket == 1 &&
                       f.mBytesPerPacket == f.mBytesPerFrame && f.mBytesPerFrame == 4 &&
                       (f.mFormatFlags & kAudioFormatFlagIsFloat) != 0 &&
                       (f.mFormatFlags & kAudioFormatFlagIsNonInterleaved) != 0 && f.mBitsPerChannel == 32;
  const bool channelsOk = c != 0 && (c == w || (w == 2 && c == 1 && canDoMonoIO) ||
                                     ((hostQuirk == 2 || hostQuirk == 3) && w == 1 && c == 2));
  if (!shapeOk || !channelsOk || !validRate(f.mSampleRate)) fail(kAudioUnitErr_FormatNotSupported);
  (input ? activeInputChannels : activeOutputChannels)[element] = c;
  setSampleRate(f.mSampleRate);
}

void RoruvovuzComponent::makeConnection(AudioUnitElement element, const AudioUnitConnection& connection) {
  if (connection.destInputNumber != element) fail(kAudioUnitErr_InvalidPropertyValue);
  if (connection.sourceAudioUnit != nullptr) {
    AudioStreamBasicDescription format{};
    UInt32 size = sizeof format;
    const OSStatus status = AudioUnitGetProperty(connection.sourceAudioUnit, kAudioUnitProperty_StreamFormat,
                                                 kAudioUnitScope_Output, connection.sourceOutputNumber, &format, &size);
    if (status != noErr) fail(status);
    setStreamFormat(kAudioUnitScope_Input, element, format);
  }
  AudioUnitConnection& stored = inputConnections[element];
  const bool replaced = stored.sourceAudioUnit != connection.sourceAudioUnit ||
                        stored.sourceOutputNumber != connection.sourceOutputNumber;
  if (replaced) stored = connection;
  const bool clearedCallback = renderCallbacks[element].inputProc != nullptr;
  renderCallbacks[element] = AURenderCallbackStruct{};
  if (replaced) announce(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, element);
  if (clearedCallback) announce(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, element);
}

void RoruvovuzComponent::setRenderCallback(AudioUnitElement element, const AURenderCallbackStruct& callback) {
  AURenderCallbackStruct& stored = renderCallbacks[element];
  const bool changed = stored.inputProc != callback.inputProc || stored.inputProcRefCon != callback.inputProcRefCon;
  if (changed) stored = callback;
  if (inputConnections[element].sourceAudioUnit != nullptr) {
    inputConnections[element] = AudioUnitConnection{};
    announce(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, element);
  }
  if (changed) announce(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, element);
}

void RoruvovuzComponent::setBypass(bool on) {
  bypassing = on;
  SY_LOG("[%s](%p) AU Bypassing %s\n", on ? "on" : "off");
  if (!vst->setBypass(on)) SY_LOG("[%s](%p) Could not set or reset VST bypass state\n");
}

void RoruvovuzComponent::refreshLatencyAndTail() {
  const double newLatency = vst->getInitialDelay() / streamFormat.mSampleRate;
  if (newLatency != latency) {
    latency = newLatency;
    announce(kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0);
  }
  if (vstSupportsTail) {
    const double newTail = vst->getTailSize() / streamFormat.mSampleRate;
    if (newTail != tailTime) {
      tailTime = newTail;
      announce(kAudioUnitProperty_TailTime, kAudioUnitScope_Global, 0);
    }
  }
}
