// Construction, destruction, the VSTHost answers and the selector dispatch of the component.
#include "RoruvovuzComponent.h"

#include <dlfcn.h>
#include <mach-o/dyld.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "RoruvovuzException.h"
#include "RoruvovuzLog.h"

namespace {

constexpr double kIdleInterval = 0.025;

void throwIfError(OSStatus status) {
  if (status != noErr) throw MacOSException(status);
}

// The loader's header of the image this code was linked into: its load address.
const struct mach_header* ownImageHeader() {
  Dl_info info;
  if (dladdr(reinterpret_cast<const void*>(&throwIfError), &info) == 0) return nullptr;
  return static_cast<const struct mach_header*>(info.dli_fbase);
}

// Whether the bundle's loaded executable is the image this code runs from.
bool holdsThisCode(CFBundleRef bundle) {
  void* entry = CFBundleGetFunctionPointerForName(bundle, CFSTR("RoruvovuzEntry"));
  Dl_info info;
  return entry != nullptr && dladdr(entry, &info) != 0 && info.dli_fbase == static_cast<const void*>(ownImageHeader());
}

// Releases a bundle reference, unloading the executable first when it is the last one;
// the image this code runs from is never unloaded.
void releaseBundle(CFBundleRef bundle) {
  if (bundle == nullptr) return;
  if (CFGetRetainCount(bundle) == 1 && CFBundleIsExecutableLoaded(bundle) && !holdsThisCode(bundle))
    CFBundleUnloadExecutable(bundle);
  CFRelease(bundle);
}

struct HostQuirkRow {
  const char* identifier;
  const char* fromVersion;  // inclusive; null: no lower bound
  const char* belowVersion;
  SInt32 quirk;
};

constexpr HostQuirkRow kHostQuirks[] = {
    {"com.apple.logic.pro", nullptr, "8.0.0", 1},
    {"com.apple.logic.express", nullptr, "8.0.0", 1},
    {"com.apple.logic.pro", "8.0.0", "8.0.1", 3},
    {"com.apple.logic.express", "8.0.0", "8.0.1", 3},
    {"com.apple.garageband", nullptr, "4.2", 2},
};

const char* const kCanDoTexts[] = {"sendVstEvents",           "sendVstMidiEvent", "sendVstTimeInfo",
                                   "reportConnectionChanges", "sizeWindow",       "supplyIdle"};

}  // namespace

RoruvovuzComponent::RoruvovuzComponent(ComponentInstance instance) : auComponentInstance(instance) {
  if (instance == nullptr) throw RoruvovuzException("Component instance is null");
  streamFormat = AudioStreamBasicDescription{44100.0, kAudioFormatLinearPCM, 41, 4, 1, 4, 2, 32, 0};
  try {
    // 1. Fields, the preset name and the MIDI records.
    currentAUPreset.presetName = CFStringCreateWithCString(nullptr, "Untitled", kCFStringEncodingMacRoman);
    midiEventRecords = new VstMidiEvent[kMaxVSTMIDIEvents]();
    for (int i = 0; i < kMaxVSTMIDIEvents; ++i) {
      midiEventRecords[i].type = kVstMidiType;
      midiEventRecords[i].byteSize = 24;
      vstMidiEvents.events[i] = reinterpret_cast<VstEvent*>(&midiEventRecords[i]);
    }
    parameterList = new UInt32[kMaxMappedParameters]();

    // 2. The log tag.
    char name[256];
    getComponentName(name);
    UInt8 pascal[256];
    pascal[0] = UInt8(std::strlen(name));
    std::memcpy(pascal + 1, name, pascal[0]);
    setRoruvovuzLogTag(pascal);

    findOwnBundle();          // 3
    readConfig();             // 4
    findResourcesFolder();    // 5
    CFBundleRef plugInBundle = findPlugInBundle();  // 6
    try {                                           // 7
      vst = new VSTPlugIn(*this, plugInBundle, Float32(streamFormat.mSampleRate), maxFramesPerSlice);
    } catch (...) {
      releaseBundle(plugInBundle);
      throw;
    }
    CFRelease(plugInBundle);
    vst->open();

    // 8. Checks.
    if (vst->getInputCount() > kMaxChannels) throw RoruvovuzException("VST has too many inputs");
    if (vst->getOutputCount() > kMaxChannels) throw RoruvovuzException("VST has too many outputs");
    if (vst->getInputCount() < 0 || vst->getOutputCount() < 0) throw RoruvovuzException("VST has a negative pin count");
    if (!vst->canProcessReplacing()) throw RoruvovuzException("VST does not support processReplacing()");

    // 9, 10. Probes.
    vstGotRoruvovuzExtensions = vst->vendorSpecific(VstInt32(FOURCC("sHi!")), 0, nullptr, 0.0f) != 0;
    vstSupportsTail = vst->getTailSize() != 0;
    vstSupportsBypass = vst->setBypass(false);
    if (vstSupportsTail && vst->dontProcessSilence())
      SY_LOG("[%s](%p) VST supports tail but has flagged not to process silent input, makes no sense!\n");

    detectHostQuirk();  // 11
    // 12. The component's own description.
    ComponentDescription description{};
    throwIfError(GetComponentInfo(reinterpret_cast<Component>(auComponentInstance), &description, nullptr, nullptr,
                                  nullptr));
    const bool requireNumChannels = description.componentType != kAudioUnitType_MusicDevice || hostQuirk == 1;
    buildBuses(true, requireNumChannels);  // 13
    buildBuses(false, requireNumChannels);
    buildChannelInfos();  // 14

    // 15, 16.
    const SInt32 params = vst->getParameterCount() > 0 ? vst->getParameterCount() : 0;
    parameterInfos = new AudioUnitParameterInfo[size_t(params) + 1]();
    parameterValueStrings = new CFArrayRef[size_t(params) + 1]();
    allocateIOBuffers(maxFramesPerSlice);

    // 17. Mapping, factory presets, conversion.
    initParameterMapping();
    initFactoryPresets();
    if (autoConvertPresets) convertVSTPresets();

    // 18, 19.
    latency = vst->getInitialDelay() / streamFormat.mSampleRate;
    if (vstSupportsTail) tailTime = vst->getTailSize() / streamFormat.mSampleRate;
    updateCurrentAUPreset();

    // 20. The idle timer.
    throwIfError(InstallEventLoopTimer(GetMainEventLoop(), kIdleInterval, kIdleInterval,
                                       NewEventLoopTimerUPP(&RoruvovuzComponent::idleTimerFired), this,
                                       &idleTimerRef));
  } catch (...) {
    releaseAll();
    throw;
  }
}

RoruvovuzComponent::~RoruvovuzComponent() { releaseAll(); }

void RoruvovuzComponent::releaseAll() {
  if (cocoaView != nullptr) {
    detachCocoaView(cocoaView);
    cocoaView = nullptr;
  }
  if (idleTimerRef != nullptr) {
    const OSStatus status = RemoveEventLoopTimer(idleTimerRef);
    idleTimerRef = nullptr;
    // A destructor cannot pass the failure on; it is logged instead.
    if (status != noErr) SY_LOG("[%s](%p) Could not remove idle timer (%d)\n", int(status));
  }
  for (int i = 0; i < kMaxFactoryPresets; ++i) {
    if (factoryPresets[i].presetName != nullptr) CFRelease(factoryPresets[i].presetName);
    if (factoryPresetData[i] != nullptr) CFRelease(factoryPresetData[i]);
    factoryPresets[i].presetName = nullptr;
    factoryPresetData[i] = nullptr;
  }
  if (factoryPresetsArray != nullptr) CFRelease(factoryPresetsArray);
  factoryPresetsArray = nullptr;
  if (currentAUPreset.presetName != nullptr) CFRelease(currentAUPreset.presetName);
  currentAUPreset.presetName = nullptr;
  if (parameterInfos != nullptr && vst != nullptr && vst->isOpen()) {
    const SInt32 params = vst->getParameterCount();
    for (SInt32 i = 0; i < params; ++i) {
      if (parameterInfos[i].unitName != nullptr) CFRelease(parameterInfos[i].unitName);
      if (parameterInfos[i].cfNameString != nullptr) CFRelease(parameterInfos[i].cfNameString);
      if (parameterValueStrings[i] != nullptr) CFRelease(parameterValueStrings[i]);
    }
  }
  delete[] parameterInfos;
  delete[] parameterValueStrings;
  parameterInfos = nullptr;
  parameterValueStrings = nullptr;
  delete vst;
  vst = nullptr;
  delete[] midiEventRecords;
  midiEventRecords = nullptr;
  delete[] parameterList;
  parameterList = nullptr;
  for (float*& b : ioBuffers) {
    delete[] b;
    b = nullptr;
  }
  delete[] spareBuffer;
  spareBuffer = nullptr;
  for (int i = 0; i < kMaxBuses; ++i) {
    if (inputBusNames[i] != nullptr) CFRelease(inputBusNames[i]);
    if (outputBusNames[i] != nullptr) CFRelease(outputBusNames[i]);
    inputBusNames[i] = outputBusNames[i] = nullptr;
  }
  releaseBundle(auBundleRef);
  auBundleRef = nullptr;
}

void RoruvovuzComponent::findOwnBundle() {
  const struct mach_header* own = ownImageHeader();
  const char* imagePath = nullptr;
  const UInt32 count = _dyld_image_count();
  for (UInt32 i = 0; i < count && own != nullptr; ++i) {
    if (_dyld_get_image_header(i) == own) {
      imagePath = _dyld_get_image_name(i);
      break;
    }
  }
  if (imagePath == nullptr) throw RoruvovuzException("Could not find image for current bundle");
  char path[1024];
  std::strncpy(path, imagePath, sizeof path - 1);
  path[sizeof path - 1] = '\0';
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path),
                                                         CFIndex(std::strlen(path)), false);
  if (url == nullptr) throw RoruvovuzException("Could not create URL from file system representation");
  for (int i = 0; i < 3; ++i) {
    CFURLRef parent = CFURLCreateCopyDeletingLastPathComponent(nullptr, url);
    CFRelease(url);
    url = parent;
    if (url == nullptr) throw RoruvovuzException("Could not remove last path component from URL");
  }
  auBundleRef = CFBundleCreate(nullptr, url);
  CFRelease(url);
  if (auBundleRef == nullptr) throw RoruvovuzException("Could not create bundle from URL");
}

void RoruvovuzComponent::findResourcesFolder() {
  CFURLRef url = CFBundleCopyResourcesDirectoryURL(auBundleRef);
  if (url == nullptr) throw RoruvovuzException("Could not locate resources directory within bundle");
  const bool found = CFURLGetFSRef(url, &resourcesFolderRef);
  CFRelease(url);
  if (!found) throw MacOSException(fnfErr);
}

CFBundleRef RoruvovuzComponent::findPlugInBundle() {
  CFArrayRef items = CFBundleCopyResourceURLsOfType(auBundleRef, CFSTR("vst"), nullptr);
  if (items == nullptr) throw RoruvovuzException("Could not locate resources of specific type in bundle");
  const CFIndex count = CFArrayGetCount(items);
  if (count == 0) {
    CFRelease(items);
    CFRetain(auBundleRef);
    return auBundleRef;
  }
  if (count > 1) {
    CFRelease(items);
    throw RoruvovuzException("Found more than one VST bundle or alias in resources");
  }
  FSRef ref;
  const bool found = CFURLGetFSRef(CFURLRef(CFArrayGetValueAtIndex(items, 0)), &ref);
  CFRelease(items);
  if (!found) throw MacOSException(fnfErr);
  Boolean isFolder = false, wasAliased = false;
  throwIfError(FSResolveAliasFileWithMountFlags(&ref, true, &isFolder, &wasAliased, 0));
  CFURLRef url = CFURLCreateFromFSRef(nullptr, &ref);
  if (url == nullptr) throw RoruvovuzException("Could not create URL from FSRef");
  CFBundleRef bundle = CFBundleCreate(nullptr, url);
  CFRelease(url);
  if (bundle == nullptr) throw RoruvovuzException("Could not locate VST bundle");
  return bundle;
}

void RoruvovuzComponent::detectHostQuirk() {
  hostQuirk = 0;
  CFBundleRef main = CFBundleGetMainBundle();
  if (main == nullptr) return;
  CFStringRef identifier = CFBundleGetIdentifier(main);
  CFTypeRef version = CFBundleGetValueForInfoDictionaryKey(main, CFSTR("CFBundleShortVersionString"));
  if (identifier == nullptr || version == nullptr || CFGetTypeID(version) != CFStringGetTypeID()) return;
  const CFStringCompareFlags flags = kCFCompareNumerically | kCFCompareCaseInsensitive;
  for (const HostQuirkRow& row : kHostQuirks) {
    CFStringRef rowId = CFStringCreateWithCString(nullptr, row.identifier, kCFStringEncodingASCII);
    const bool sameHost = CFStringCompare(identifier, rowId, 0) == kCFCompareEqualTo;
    CFRelease(rowId);
    if (!sameHost) continue;
    bool inRange = true;
    if (row.fromVersion != nullptr) {
      CFStringRef from = CFStringCreateWithCString(nullptr, row.fromVersion, kCFStringEncodingASCII);
      inRange = CFStringCompare(CFStringRef(version), from, flags) != kCFCompareLessThan;
      CFRelease(from);
    }
    CFStringRef below = CFStringCreateWithCString(nullptr, row.belowVersion, kCFStringEncodingASCII);
    inRange = inRange && CFStringCompare(CFStringRef(version), below, flags) == kCFCompareLessThan;
    CFRelease(below);
    if (inRange) {
      hostQuirk = row.quirk;
      return;
    }
  }
}

void RoruvovuzComponent::buildBuses(bool input, bool requireNumChannels) {
  const SInt32 pins = input ? vst->getInputCount() : vst->getOutputCount();
  SInt32* firstPin = input ? inputBusFirstPin : outputBusFirstPin;
  SInt32* active = input ? activeInputChannels : activeOutputChannels;
  CFStringRef* names = input ? inputBusNames : outputBusNames;
  SInt32& count = input ? inputBusCount : outputBusCount;
  const SInt32 defaultWidth = pins % 2 == 0 ? 2 : 1;
  count = 0;
  SInt32 p = 0;
  SInt32 previousWidth = defaultWidth;
  while (p < pins) {
    if (count >= kMaxBuses) throw RoruvovuzException("VST has too many buses");
    VstPinProperties properties{};
    const bool given = input ? vst->getInputProperties(p, &properties) : vst->getOutputProperties(p, &properties);
    SInt32 width;
    if (requireNumChannels && p > 0) width = previousWidth;
    else if (given) width = (properties.flags & kVstPinIsStereo) != 0 ? 2 : 1;
    else width = defaultWidth;
    // A bus never runs past the last pin: a stereo claim on the last odd pin is cut to one.
    if (p + width > pins) width = pins - p;
    firstPin[count] = p;
    active[count] = width;
    if (given) {
      char label[kVstMaxLabelLen + 1] = {};
      std::memcpy(label, properties.label, kVstMaxLabelLen);
      names[count] = CFStringCreateWithCString(nullptr, label, kCFStringEncodingMacRoman);
    }
    ++count;
    p += width;
    previousWidth = width;
  }
  firstPin[count] = pins;
  if (p != pins) SY_LOG(input ? "[%s](%p) Invalid VST input count\n" : "[%s](%p) Invalid VST output count\n");
}

void RoruvovuzComponent::buildChannelInfos() {
  auChannelInfoCount = 0;
  const SInt32 in = inputBusCount > 0 ? getMaxInputChannels(0) : 0;
  const SInt32 out = outputBusCount > 0 ? getMaxOutputChannels(0) : 0;
  for (SInt32 b = 1; b < inputBusCount; ++b)
    if (getMaxInputChannels(b) != in) return;
  for (SInt32 b = 1; b < outputBusCount; ++b)
    if (getMaxOutputChannels(b) != out) return;
  auto add = [&](SInt32 i, SInt32 o) { auChannelInfos[auChannelInfoCount++] = AUChannelInfo{SInt16(i), SInt16(o)}; };
  if (canDoMonoIO) {
    if (in == 2) {
      if (out == 2) add(1, 1);
      add(1, out);
    }
    if (out == 2) add(in, 1);
  }
  add(in, out);
}

void RoruvovuzComponent::allocateIOBuffers(SInt32 frames) {
  for (float*& b : ioBuffers) {
    delete[] b;
    b = nullptr;
  }
  const SInt32 n = vst->getInputCount() > vst->getOutputCount() ? vst->getInputCount() : vst->getOutputCount();
  delete[] spareBuffer;
  spareBuffer = nullptr;
  for (SInt32 i = 0; i < n; ++i) ioBuffers[i] = new float[size_t(frames)]();
  spareBuffer = new float[size_t(frames)]();
  ioBufferCount = n;
}

SInt32 RoruvovuzComponent::getMaxInputChannels(SInt32 bus) const {
  return bus >= 0 && bus < inputBusCount ? inputBusFirstPin[bus + 1] - inputBusFirstPin[bus] : 0;
}
SInt32 RoruvovuzComponent::getMaxOutputChannels(SInt32 bus) const {
  return bus >= 0 && bus < outputBusCount ? outputBusFirstPin[bus + 1] - outputBusFirstPin[bus] : 0;
}
SInt32 RoruvovuzComponent::getActiveInputChannels(SInt32 bus) const {
  return bus >= 0 && bus < inputBusCount ? activeInputChannels[bus] : 0;
}
SInt32 RoruvovuzComponent::getActiveOutputChannels(SInt32 bus) const {
  return bus >= 0 && bus < outputBusCount ? activeOutputChannels[bus] : 0;
}

void RoruvovuzComponent::idleTimerFired(EventLoopTimerRef, void* self) {
  auto* component = static_cast<RoruvovuzComponent*>(self);
  try {
    if (component->vst != nullptr) component->vst->idle();
  } catch (const std::exception& e) {
    SY_LOG("[%s](%p) Caught exception in idle timer: %s\n", e.what());
  }
}

// VSTHost: every request first checks that it comes from this component's own plug-in.

static void requireOwn(VSTPlugIn* own, VSTPlugIn& caller) {
  if (own != &caller) throw RoruvovuzException("Host request from a foreign plug-in");
}

void RoruvovuzComponent::getVendor(VSTPlugIn& plugIn, char* text) {
  requireOwn(vst, plugIn);
  std::strcpy(text, "Quillatone");
}

void RoruvovuzComponent::getProduct(VSTPlugIn& plugIn, char* text) {
  requireOwn(vst, plugIn);
  std::strcpy(text, "Roruvovuz");
}

SInt32 RoruvovuzComponent::getVersion(VSTPlugIn& plugIn) {
  requireOwn(vst, plugIn);
  return 0x10000;
}

bool RoruvovuzComponent::canDo(VSTPlugIn& plugIn, const char* text) {
  requireOwn(vst, plugIn);
  for (const char* known : kCanDoTexts)
    if (std::strcmp(text, known) == 0) return true;
  return false;
}

VstTimeInfo* RoruvovuzComponent::getTimeInfo(VSTPlugIn& plugIn, SInt32) {
  requireOwn(vst, plugIn);
  return &vstTimeInfo;
}

void RoruvovuzComponent::postEvent(AudioUnitEventType type, SInt32 index) {
  AudioUnitEvent event{};
  event.mEventType = type;
  event.mArgument.mParameter = AudioUnitParameter{auComponentInstance, AudioUnitParameterID(index),
                                                  kAudioUnitScope_Global, 0};
  AUEventListenerNotify(nullptr, nullptr, &event);
}

void RoruvovuzComponent::beginEdit(VSTPlugIn& plugIn, SInt32 index) {
  requireOwn(vst, plugIn);
  postEvent(kAudioUnitEvent_BeginParameterChangeGesture, index);
}

void RoruvovuzComponent::automate(VSTPlugIn& plugIn, SInt32 index, float) {
  requireOwn(vst, plugIn);
  if (index < 0 || index >= vst->getParameterCount()) throw RoruvovuzException("automate: index out of range");
  const AudioUnitParameter parameter{auComponentInstance, AudioUnitParameterID(index), kAudioUnitScope_Global, 0};
  throwIfError(AUParameterListenerNotify(nullptr, nullptr, &parameter));
  postEvent(kAudioUnitEvent_ParameterValueChange, index);
}

void RoruvovuzComponent::endEdit(VSTPlugIn& plugIn, SInt32 index) {
  requireOwn(vst, plugIn);
  postEvent(kAudioUnitEvent_EndParameterChangeGesture, index);
}

bool RoruvovuzComponent::isIOPinConnected(VSTPlugIn& plugIn, bool output, SInt32 pin) {
  requireOwn(vst, plugIn);
  return pin >= 0 && pin < (output ? vst->getOutputCount() : vst->getInputCount());
}

void RoruvovuzComponent::idle(VSTPlugIn& plugIn) { requireOwn(vst, plugIn); }

void RoruvovuzComponent::updateDisplay(VSTPlugIn& plugIn) {
  requireOwn(vst, plugIn);
  if (!updateCurrentAUPreset()) return;
  announce(kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global, 0);
  announce(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0);
}

void RoruvovuzComponent::resizeWindow(VSTPlugIn& plugIn, SInt32 width, SInt32 height) {
  requireOwn(vst, plugIn);
  if (width < 1 || height < 1 || cocoaView == nullptr) return;
  resizeCocoaView(cocoaView, width, height);
}

void RoruvovuzComponent::announce(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element) {
  if (propertyListenerCount == 0) {
    AudioUnitEvent event{};
    event.mEventType = kAudioUnitEvent_PropertyChange;
    event.mArgument.mProperty = AudioUnitProperty{auComponentInstance, id, scope, element};
    AUEventListenerNotify(nullptr, nullptr, &event);
    return;
  }
  // A listener may remove listeners (itself included) while it is called: walk a copy.
  AUPropertyListener copy[kMaxListeners];
  const SInt32 n = propertyListenerCount;
  std::memcpy(copy, propertyListeners, sizeof(AUPropertyListener) * size_t(n));
  for (SInt32 i = 0; i < n; ++i)
    if (copy[i].propertyID == id) copy[i].proc(copy[i].refCon, auComponentInstance, id, scope, element);
}

ComponentResult RoruvovuzComponent::dispatch(ComponentParameters* pb) {
  switch (pb->what) {
    case kAudioUnitInitializeSelect:
      SY_LOG("[%s](%p) AU kAudioUnitInitializeSelectQQQ\n");
      if (!vst->isResumed()) {
        // The plug-in learns the rate and slice size even when the host kept the defaults.
        vst->setSampleRate(Float32(streamFormat.mSampleRate));
        vst->setBlockSize(maxFramesPerSlice);
        vst->resume();
        refreshLatencyAndTail();
      }
      return noErr;
    case kAudioUnitUninitializeSelect:
      SY_LOG("[%s](%p) AU kAudioUnitUninitializeSelect\n");
      if (vst->isResumed()) vst->suspend();
      return noErr;
    case kAudioUnitGetPropertyInfoSelect: {
      auto* outSize = CM_ARG(pb, 3, UInt32*);
      auto* outWritable = CM_ARG(pb, 4, Boolean*);
      if (outSize != nullptr) *outSize = 0;
      if (outWritable != nullptr) *outWritable = false;
      bool readable, writable;
      UInt32 minSize, dataSize;
      getPropertyInfo(CM_ARG(pb, 0, AudioUnitPropertyID), CM_ARG(pb, 1, AudioUnitScope),
                      CM_ARG(pb, 2, AudioUnitElement), readable, writable, minSize, dataSize, true);
      if (outSize != nullptr) *outSize = dataSize;
      if (outWritable != nullptr) *outWritable = writable;
      return noErr;
    }
    case kAudioUnitGetPropertySelect:
      getProperty(CM_ARG(pb, 0, AudioUnitPropertyID), CM_ARG(pb, 1, AudioUnitScope), CM_ARG(pb, 2, AudioUnitElement),
                  CM_ARG(pb, 3, void*), CM_ARG(pb, 4, UInt32*));
      return noErr;
    case kAudioUnitSetPropertySelect:
      setProperty(CM_ARG(pb, 0, AudioUnitPropertyID), CM_ARG(pb, 1, AudioUnitScope), CM_ARG(pb, 2, AudioUnitElement),
                  CM_ARG(pb, 3, const void*), CM_ARG(pb, 4, UInt32));
      return noErr;
    case kAudioUnitGetParameterSelect:
      getParameter(CM_ARG(pb, 0, AudioUnitParameterID), CM_ARG(pb, 1, AudioUnitScope),
                   CM_ARG(pb, 2, AudioUnitElement), CM_ARG(pb, 3, Float32*));
      return noErr;
    case kAudioUnitSetParameterSelect:
      setParameter(CM_ARG(pb, 0, AudioUnitParameterID), CM_ARG(pb, 1, AudioUnitScope),
                   CM_ARG(pb, 2, AudioUnitElement), CM_ARG(pb, 3, float));
      return noErr;
    case kAudioUnitResetSelect:
      SY_LOG("[%s](%p) AU kAudioUnitResetSelect\n");
      if (CM_ARG(pb, 0, AudioUnitScope) != kAudioUnitScope_Global) throw MacOSException(kAudioUnitErr_InvalidScope);
      if (vst->isResumed()) {
        vst->suspend();
        vst->resume();
        refreshLatencyAndTail();
      }
      lastRenderSampleTime = kNoRenderTime;
      return noErr;
    case kAudioUnitAddPropertyListenerSelect: {
      SY_LOG("[%s](%p) AU kAudioUnitAddPropertyListenerSelect\n");
      if (propertyListenerCount >= kMaxListeners) throw MacOSException(memFullErr);
      const AUPropertyListener l{CM_ARG(pb, 0, AudioUnitPropertyID), CM_ARG(pb, 1, AudioUnitPropertyListenerProc),
                                 CM_ARG(pb, 2, void*)};
      if (l.proc == nullptr) throw MacOSException(paramErr);
      propertyListeners[propertyListenerCount++] = l;
      SY_LOG("[%s](%p) AU Added listener %p (refcon: %p) on property: %d\n", reinterpret_cast<void*>(l.proc),
             l.refCon, int(l.propertyID));
      return noErr;
    }
    case kAudioUnitRenderSelect:
      return render(CM_ARG(pb, 0, AudioUnitRenderActionFlags*), CM_ARG(pb, 1, const AudioTimeStamp*),
                    CM_ARG(pb, 2, UInt32), CM_ARG(pb, 3, UInt32), CM_ARG(pb, 4, AudioBufferList*));
    case kAudioUnitAddRenderNotifySelect: {
      SY_LOG("[%s](%p) AU kAudioUnitAddRenderNotifySelect\n");
      if (renderNotifyCount >= kMaxRenderNotify) throw MacOSException(memFullErr);
      const AURenderCallbackStruct r{CM_ARG(pb, 0, AURenderCallback), CM_ARG(pb, 1, void*)};
      if (r.inputProc == nullptr) throw MacOSException(paramErr);
      renderNotifyReceivers[renderNotifyCount++] = r;
      return noErr;
    }
    case kAudioUnitRemoveRenderNotifySelect: {
      SY_LOG("[%s](%p) AU kAudioUnitRemoveRenderNotifySelect\n");
      const AURenderCallbackStruct r{CM_ARG(pb, 0, AURenderCallback), CM_ARG(pb, 1, void*)};
      SInt32 kept = 0;
      for (SInt32 i = 0; i < renderNotifyCount; ++i) {
        const AURenderCallbackStruct& e = renderNotifyReceivers[i];
        if (e.inputProc == r.inputProc && e.inputProcRefCon == r.inputProcRefCon) continue;
        renderNotifyReceivers[kept++] = e;
      }
      renderNotifyCount = kept;
      return noErr;
    }
    case kAudioUnitScheduleParametersSelect:
      SY_LOG("[%s](%p) AU kAudioUnitScheduleParametersSelect\n");
      scheduleParameters(CM_ARG(pb, 0, const AudioUnitParameterEvent*), CM_ARG(pb, 1, UInt32));
      return noErr;
    case kAudioUnitRemovePropertyListenerWithUserDataSelect: {
      SY_LOG("[%s](%p) AU kAudioUnitRemovePropertyListenerWithUserDataSelect\n");
      const AUPropertyListener l{CM_ARG(pb, 0, AudioUnitPropertyID), CM_ARG(pb, 1, AudioUnitPropertyListenerProc),
                                 CM_ARG(pb, 2, void*)};
      SInt32 kept = 0;
      for (SInt32 i = 0; i < propertyListenerCount; ++i) {
        const AUPropertyListener& e = propertyListeners[i];
        if (e.propertyID == l.propertyID && e.proc == l.proc && e.refCon == l.refCon) {
          SY_LOG("[%s](%p) AU Removed listener on %d\n", int(e.propertyID));
          continue;
        }
        propertyListeners[kept++] = e;
      }
      propertyListenerCount = kept;
      return noErr;
    }
    case kMusicDeviceMIDIEventSelect:
      midiInput(CM_ARG(pb, 3, UInt32), CM_ARG(pb, 0, UInt32), CM_ARG(pb, 1, UInt32), CM_ARG(pb, 2, UInt32));
      return noErr;
    default:
      SY_LOG("[%s](%p) AU unknown selector: %d\n", int(pb->what));
      return badComponentSelector;
  }
}
