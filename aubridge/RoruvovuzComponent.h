// One Audio Unit instance: hosts the VST plug-in through VSTPlugIn, answers its host
// requests, and serves the Audio Unit selectors, properties, rendering, presets and view.
#pragma once

#include <AudioUnit/AudioUnit.h>
#include <Carbon/CarbonEvents.h>
#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/Files.h>

#include "VSTHost.h"
#include "VSTPlugIn.h"

class NSView;

// [host thread] The view side of the editor (RoruvovuzCocoaView.cpp).
void detachCocoaView(NSView* view);
void resizeCocoaView(NSView* view, SInt32 width, SInt32 height);

struct AUPropertyListener {
  AudioUnitPropertyID propertyID;
  AudioUnitPropertyListenerProc proc;
  void* refCon;
};

constexpr int kMaxVSTMIDIEvents = 1024;

// A VstEvents record with room for the preallocated MIDI events.
struct RoruvovuzVstEvents {
  VstInt32 numEvents;
  VstIntPtr reserved;
  VstEvent* events[kMaxVSTMIDIEvents];
};

class RoruvovuzComponent : public VSTHost {
 public:
  static constexpr int kMaxBuses = 32;
  static constexpr int kMaxChannels = 32;
  static constexpr int kMaxListeners = 128;
  static constexpr int kMaxRenderNotify = 128;
  static constexpr int kMaxFactoryPresets = 128;
  static constexpr int kMaxMappedParameters = 100000;
  static constexpr double kNoRenderTime = -12345678.0;

  // [host thread] Builds everything in order; throws on failure with nothing left behind.
  explicit RoruvovuzComponent(ComponentInstance instance);
  ~RoruvovuzComponent() override;
  RoruvovuzComponent(const RoruvovuzComponent&) = delete;
  RoruvovuzComponent& operator=(const RoruvovuzComponent&) = delete;

  // The Audio Unit selectors; failures are thrown as MacOSException. Render (14) runs on the
  // [audio thread]; every other selector on the [host thread].
  ComponentResult dispatch(ComponentParameters* params);

  // VSTHost: the plug-in's own requests, on whichever thread the plug-in makes them.
  void getVendor(VSTPlugIn& plugIn, char* text) override;
  void getProduct(VSTPlugIn& plugIn, char* text) override;
  SInt32 getVersion(VSTPlugIn& plugIn) override;
  bool canDo(VSTPlugIn& plugIn, const char* text) override;
  VstTimeInfo* getTimeInfo(VSTPlugIn& plugIn, SInt32 filter) override;
  void beginEdit(VSTPlugIn& plugIn, SInt32 index) override;
  void automate(VSTPlugIn& plugIn, SInt32 index, float value) override;
  void endEdit(VSTPlugIn& plugIn, SInt32 index) override;
  bool isIOPinConnected(VSTPlugIn& plugIn, bool output, SInt32 pin) override;
  void idle(VSTPlugIn& plugIn) override;
  void updateDisplay(VSTPlugIn& plugIn) override;
  void resizeWindow(VSTPlugIn& plugIn, SInt32 width, SInt32 height) override;

  // [host thread] The editor view (the host owns it; see RoruvovuzCocoaView).
  virtual NSView* createView();
  virtual void dropView();

  // [host thread] Mapping-file and preset helpers, shared with their own files.
  static const UInt8* readLine(const UInt8* p, const UInt8* end, char* line);
  static CFTypeRef getValueOfKeyInDictionary(CFDictionaryRef dictionary, CFStringRef key, CFTypeID type);
  static void addIntToDictionary(CFMutableDictionaryRef dictionary, CFStringRef key, SInt32 value);
  static const char* cfStringToCString(CFStringRef string, char* buffer, CFIndex size);

 private:
  // Construction steps.
  void findOwnBundle();
  void findResourcesFolder();
  CFBundleRef findPlugInBundle();
  void detectHostQuirk();
  void buildBuses(bool input, bool requireNumChannels);
  void buildChannelInfos();
  void allocateIOBuffers(SInt32 frames);
  void releaseAll();
  static void idleTimerFired(EventLoopTimerRef timer, void* self);

  // Configuration and mapping (RoruvovuzMapping.cpp).
  void readConfig();
  void initParameterMapping();
  void readParameterMapping(const FSRef& file);
  // Writes the default mapping to the file, or with no file maps from the text itself.
  void createDefaultParameterMappingFile(const FSRef* file);
  bool mapLine(const char* line);

  // Presets (RoruvovuzPresets.cpp).
  CFMutableDictionaryRef createAUPresetWithVSTData(UInt32 size, const UInt8* bytes, CFStringRef name);
  CFMutableDictionaryRef createAUPresetOfCurrentProgram(CFStringRef name);
  CFMutableDictionaryRef createAUPresetOfCurrentBank(CFStringRef name);
  void getComponentName(char* name);
  void initFactoryPresets();
  void createFactoryPresets(const FSRef& listFile);
  void loadFactoryPresets(const FSRef& listFile);
  void convertLoadedPrograms(const FSRef& folder, bool writeList, FSIORefNum listFork);
  void convertVSTPresets();
  void convertVSTPresetsInDomain(SInt16 domain, const char* componentName);
  void descendOrCreateFolder(const FSRef& parent, size_t length, const char* name, FSRef& folder);
  void convertVSTPreset(const FSRef& file, bool isFXB);

  // Properties and parameters (RoruvovuzProperties.cpp).
  void getPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, bool& readable,
                       bool& writable, UInt32& minSize, UInt32& dataSize, bool log);
  void getProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, void* data,
                   UInt32* ioSize);
  void setProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, const void* data,
                   UInt32 size);
  float scaleToAUParameter(SInt32 index, float value) const;
  float scaleFromAUParameter(SInt32 index, float value) const;
  void checkParameter(AudioUnitScope scope, AudioUnitParameterID id) const;
  void getParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element, Float32* out);
  void setParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element, Float32 value);
  void scheduleParameters(const AudioUnitParameterEvent* events, UInt32 count);
  CFPropertyListRef createClassInfo();
  void setClassInfo(CFPropertyListRef plist);
  void selectPreset(const void* data, UInt32 size);
  void setSampleRate(Float64 rate);
  void setMaxFramesPerSlice(SInt32 frames);
  void setStreamFormat(AudioUnitScope scope, AudioUnitElement element, const AudioStreamBasicDescription& format);
  void makeConnection(AudioUnitElement element, const AudioUnitConnection& connection);
  void setRenderCallback(AudioUnitElement element, const AURenderCallbackStruct& callback);
  void setBypass(bool on);
  void refreshLatencyAndTail();
  void announce(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element);
  bool updateCurrentAUPreset();
  void updateCurrentVSTProgramName(CFStringRef name);
  void postEvent(AudioUnitEventType type, SInt32 index);
  void loadPresetData(CFDataRef data);

  // Rendering and MIDI (RoruvovuzRender.cpp).
  OSStatus render(AudioUnitRenderActionFlags* flags, const AudioTimeStamp* timeStamp, UInt32 bus, UInt32 frames,
                  AudioBufferList* list);
  bool collectInputAudio(UInt32 frames, float** inputs, const AudioTimeStamp* timeStamp);
  void renderOutput(UInt32 frames, float** inputs, float** outputs, bool inputSilent);
  void fillTransport(const AudioTimeStamp& timeStamp);
  void midiInput(UInt32 offset, UInt32 status, UInt32 data1, UInt32 data2);
  void notifyRender(AudioUnitRenderActionFlags* flags, const AudioTimeStamp* timeStamp, UInt32 bus, UInt32 frames,
                    AudioBufferList* list);

 public:
  // [any thread] Bus shape readers.
  SInt32 getMaxInputChannels(SInt32 bus) const;
  SInt32 getMaxOutputChannels(SInt32 bus) const;
  SInt32 getActiveInputChannels(SInt32 bus) const;
  SInt32 getActiveOutputChannels(SInt32 bus) const;

 private:
  ComponentInstance auComponentInstance;
  CFBundleRef auBundleRef = nullptr;
  FSRef resourcesFolderRef{};
  AudioStreamBasicDescription streamFormat;
  SInt32 maxFramesPerSlice = 4096;
  SInt32 renderNotifyCount = 0;
  AURenderCallbackStruct renderNotifyReceivers[kMaxRenderNotify] = {};
  double lastRenderSampleTime = kNoRenderTime;
  AudioUnitConnection inputConnections[kMaxBuses] = {};
  AURenderCallbackStruct renderCallbacks[kMaxBuses] = {};
  float* ioBuffers[kMaxChannels] = {};
  bool silentOutput = false;
  SInt32 propertyListenerCount = 0;
  AUPropertyListener propertyListeners[kMaxListeners] = {};
  HostCallbackInfo hostCallbacks = {};
  AUPreset currentAUPreset = {-1, nullptr};
  AUPreset factoryPresets[kMaxFactoryPresets] = {};
  CFDataRef factoryPresetData[kMaxFactoryPresets] = {};
  CFMutableArrayRef factoryPresetsArray = nullptr;
  SInt32 parameterCount = 0;
  UInt32* parameterList = nullptr;
  AudioUnitParameterInfo* parameterInfos = nullptr;
  CFArrayRef* parameterValueStrings = nullptr;
  bool presetIsFXB = false;
  bool autoConvertPresets = false;
  bool updateNameOnLoad = false;
  bool canDoMonoIO = false;
  VSTPlugIn* vst = nullptr;
  RoruvovuzVstEvents vstMidiEvents = {};
  VstMidiEvent* midiEventRecords = nullptr;
  VstTimeInfo vstTimeInfo = {};
  bool vstGotRoruvovuzExtensions = false;
  bool vstSupportsTail = false;
  double latency = 0.0;
  double tailTime = 0.0;
  bool vstSupportsBypass = false;
  bool bypassing = false;
  SInt32 inputBusCount = 0;
  SInt32 outputBusCount = 0;
  SInt32 inputBusFirstPin[kMaxBuses + 1] = {};
  SInt32 outputBusFirstPin[kMaxBuses + 1] = {};
  SInt32 activeInputChannels[kMaxBuses + 1] = {};
  SInt32 activeOutputChannels[kMaxBuses + 1] = {};
  CFStringRef inputBusNames[kMaxBuses] = {};
  CFStringRef outputBusNames[kMaxBuses] = {};
  SInt32 auChannelInfoCount = 0;
  AUChannelInfo auChannelInfos[4] = {};
  SInt32 hostQuirk = 0;
  EventLoopTimerRef idleTimerRef = nullptr;
  NSView* cocoaView = nullptr;
  SInt32 ioBufferCount = 0;
  // Receives host channels beyond a bus's pins (a two-channel format on a one-pin bus).
  float* spareBuffer = nullptr;
};
