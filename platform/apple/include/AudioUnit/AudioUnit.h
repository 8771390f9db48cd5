// Audio Unit, Core Audio and Audio Toolbox types: property ids, records, selectors, errors,
// the host-side request wrappers and the notification sinks. LP64 layouts.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/Components.h>
#include <MacTypes.h>

typedef ComponentInstance AudioUnit;
typedef UInt32 AudioUnitPropertyID;
typedef UInt32 AudioUnitScope;
typedef UInt32 AudioUnitElement;
typedef UInt32 AudioUnitParameterID;
typedef Float32 AudioUnitParameterValue;
typedef UInt32 AudioUnitRenderActionFlags;

enum { kAudioUnitScope_Global = 0, kAudioUnitScope_Input = 1, kAudioUnitScope_Output = 2 };

enum {
  kAudioUnitType_Effect = 0x61756678,       // 'aufx'
  kAudioUnitType_MusicDevice = 0x61756D75,  // 'aumu'
  kAudioFormatLinearPCM = 0x6C70636D        // 'lpcm'
};

enum {
  kAudioUnitProperty_ClassInfo = 0,
  kAudioUnitProperty_MakeConnection = 1,
  kAudioUnitProperty_SampleRate = 2,
  kAudioUnitProperty_ParameterList = 3,
  kAudioUnitProperty_ParameterInfo = 4,
  kAudioUnitProperty_FastDispatch = 5,
  kAudioUnitProperty_CPULoad = 6,
  kAudioUnitProperty_StreamFormat = 8,
  kAudioUnitProperty_SRCAlgorithm = 9,
  kAudioUnitProperty_ReverbRoomType = 10,
  kAudioUnitProperty_ElementCount = 11,
  kAudioUnitProperty_Latency = 12,
  kAudioUnitProperty_SupportedNumChannels = 13,
  kAudioUnitProperty_MaximumFramesPerSlice = 14,
  kAudioUnitProperty_SetExternalBuffer = 15,
  kAudioUnitProperty_ParameterValueStrings = 16,
  kAudioUnitProperty_MIDIControlMapping = 17,
  kAudioUnitProperty_GetUIComponentList = 18,
  kAudioUnitProperty_AudioChannelLayout = 19,
  kAudioUnitProperty_TailTime = 20,
  kAudioUnitProperty_BypassEffect = 21,
  kAudioUnitProperty_LastRenderError = 22,
  kAudioUnitProperty_SetRenderCallback = 23,
  kAudioUnitProperty_FactoryPresets = 24,
  kAudioUnitProperty_ContextName = 25,
  kAudioUnitProperty_RenderQuality = 26,
  kAudioUnitProperty_HostCallbacks = 27,
  kAudioUnitProperty_CurrentPreset = 28,
  kAudioUnitProperty_InPlaceProcessing = 29,
  kAudioUnitProperty_ElementName = 30,
  kAudioUnitProperty_CocoaUI = 31,
  kAudioUnitProperty_SupportedChannelLayoutTags = 32,
  kAudioUnitProperty_ParameterStringFromValue = 33,
  kAudioUnitProperty_ParameterIDName = 34,
  kAudioUnitProperty_ParameterClumpName = 35,
  kAudioUnitProperty_PresentPreset = 36,
  kAudioUnitProperty_OfflineRender = 37,
  kAudioUnitProperty_ParameterValueFromString = 38,
  kAudioUnitProperty_IconLocation = 39,
  kAudioUnitProperty_PresentationLatency = 40,
  kAudioUnitProperty_AllParameterMIDIMappings = 41,
  kAudioUnitProperty_AddParameterMIDIMapping = 42,
  kAudioUnitProperty_RemoveParameterMIDIMapping = 43,
  kAudioUnitProperty_HotMapParameterMIDIMapping = 44,
  kAudioUnitProperty_DependentParameters = 45,
  kMusicDeviceProperty_InstrumentCount = 1000,
  kMusicDeviceProperty_InstrumentName = 1001,
  kMusicDeviceProperty_GroupOutputBus = 1002,
  kMusicDeviceProperty_SoundBankFSSpec = 1003,
  kMusicDeviceProperty_InstrumentNumber = 1004,
  kAudioUnitProperty_UsesInternalReverb = 1005,
  kMusicDeviceProperty_MIDIXMLNames = 1006,
  kMusicDeviceProperty_BankName = 1007,
  kMusicDeviceProperty_SoundBankData = 1008,
  kMusicDeviceProperty_PartGroup = 1010,
  kMusicDeviceProperty_StreamFromDisk = 1011,
  kAudioUnitMigrateProperty_FromPlugin = 4000,
  kAudioUnitMigrateProperty_OldAutomation = 4001
};

enum {
  kAudioUnitInitializeSelect = 1,
  kAudioUnitUninitializeSelect = 2,
  kAudioUnitGetPropertyInfoSelect = 3,
  kAudioUnitGetPropertySelect = 4,
  kAudioUnitSetPropertySelect = 5,
  kAudioUnitGetParameterSelect = 6,
  kAudioUnitSetParameterSelect = 7,
  kAudioUnitResetSelect = 9,
  kAudioUnitAddPropertyListenerSelect = 10,
  kAudioUnitRemovePropertyListenerSelect = 11,
  kAudioUnitRenderSelect = 14,
  kAudioUnitAddRenderNotifySelect = 15,
  kAudioUnitRemoveRenderNotifySelect = 16,
  kAudioUnitScheduleParametersSelect = 17,
  kAudioUnitRemovePropertyListenerWithUserDataSelect = 18,
  kMusicDeviceMIDIEventSelect = 257
};

enum {
  kAudioUnitErr_InvalidProperty = -10879,
  kAudioUnitErr_InvalidParameter = -10878,
  kAudioUnitErr_InvalidElement = -10877,
  kAudioUnitErr_NoConnection = -10876,
  kAudioUnitErr_FailedInitialization = -10875,
  kAudioUnitErr_TooManyFramesToProcess = -10874,
  kAudioUnitErr_FormatNotSupported = -10868,
  kAudioUnitErr_Uninitialized = -10867,
  kAudioUnitErr_InvalidScope = -10866,
  kAudioUnitErr_PropertyNotWritable = -10865,
  kAudioUnitErr_InvalidPropertyValue = -10851,
  kAudioUnitErr_Initialized = -10849
};

enum {
  kAudioUnitRenderAction_PreRender = 4,
  kAudioUnitRenderAction_PostRender = 8,
  kAudioUnitRenderAction_OutputIsSilence = 16
};

enum {
  kAudioFormatFlagIsFloat = 1,
  kAudioFormatFlagIsBigEndian = 2,
  kAudioFormatFlagIsSignedInteger = 4,
  kAudioFormatFlagIsPacked = 8,
  kAudioFormatFlagIsAlignedHigh = 16,
  kAudioFormatFlagIsNonInterleaved = 32,
  kAudioFormatFlagIsNonMixable = 64
};

enum {
  kAudioUnitParameterUnit_Generic = 0,
  kAudioUnitParameterUnit_Indexed = 1,
  kAudioUnitParameterUnit_Boolean = 2,
  kAudioUnitParameterUnit_CustomUnit = 26
};
typedef UInt32 AudioUnitParameterUnit;

enum : UInt32 {
  kAudioUnitParameterFlag_ValuesHaveStrings = 1u << 21,
  kAudioUnitParameterFlag_HasCFNameString = 1u << 27,
  kAudioUnitParameterFlag_IsGlobalMeta = 1u << 28,
  kAudioUnitParameterFlag_IsReadable = 1u << 30,
  kAudioUnitParameterFlag_IsWritable = 1u << 31
};

enum { kParameterEvent_Immediate = 1, kParameterEvent_Ramped = 2 };
enum { kAudioTimeStampSampleTimeValid = 1 };

typedef struct {
  Float64 mSampleRate;
  UInt32 mFormatID;
  UInt32 mFormatFlags;
  UInt32 mBytesPerPacket;
  UInt32 mFramesPerPacket;
  UInt32 mBytesPerFrame;
  UInt32 mChannelsPerFrame;
  UInt32 mBitsPerChannel;
  UInt32 mReserved;
} AudioStreamBasicDescription;

typedef struct {
  UInt32 mNumberChannels;
  UInt32 mDataByteSize;
  void* mData;
} AudioBuffer;

typedef struct {
  UInt32 mNumberBuffers;
  AudioBuffer mBuffers[1];
} AudioBufferList;

typedef struct {
  SInt16 mSubframes;
  SInt16 mSubframeDivisor;
  UInt32 mCounter;
  UInt32 mType;
  UInt32 mFlags;
  SInt16 mHours;
  SInt16 mMinutes;
  SInt16 mSeconds;
  SInt16 mFrames;
} SMPTETime;

typedef struct {
  Float64 mSampleTime;
  UInt64 mHostTime;
  Float64 mRateScalar;
  UInt64 mWordClockTime;
  SMPTETime mSMPTETime;
  UInt32 mFlags;
  UInt32 mReserved;
} AudioTimeStamp;

typedef OSStatus (*AURenderCallback)(void* inRefCon, AudioUnitRenderActionFlags* ioActionFlags,
                                     const AudioTimeStamp* inTimeStamp, UInt32 inBusNumber, UInt32 inNumberFrames,
                                     AudioBufferList* ioData);
typedef void (*AudioUnitPropertyListenerProc)(void* inRefCon, AudioUnit inUnit, AudioUnitPropertyID inID,
                                              AudioUnitScope inScope, AudioUnitElement inElement);

typedef struct {
  AURenderCallback inputProc;
  void* inputProcRefCon;
} AURenderCallbackStruct;

typedef struct {
  AudioUnit sourceAudioUnit;
  UInt32 sourceOutputNumber;
  UInt32 destInputNumber;
} AudioUnitConnection;

typedef struct {
  SInt32 presetNumber;
  CFStringRef presetName;
} AUPreset;

typedef struct {
  SInt16 inChannels;
  SInt16 outChannels;
} AUChannelInfo;

typedef OSStatus (*HostCallback_GetBeatAndTempo)(void* inHostUserData, Float64* outCurrentBeat,
                                                 Float64* outCurrentTempo);
typedef OSStatus (*HostCallback_GetMusicalTimeLocation)(void* inHostUserData, UInt32* outDeltaSampleOffsetToNextBeat,
                                                        Float32* outTimeSig_Numerator,
                                                        UInt32* outTimeSig_Denominator,
                                                        Float64* outCurrentMeasureDownBeat);
typedef OSStatus (*HostCallback_GetTransportState)(void* inHostUserData, Boolean* outIsPlaying,
                                                   Boolean* outTransportStateChanged,
                                                   Float64* outCurrentSampleInTimeLine, Boolean* outIsCycling,
                                                   Float64* outCycleStartBeat, Float64* outCycleEndBeat);
typedef OSStatus (*HostCallback_GetTransportState2)(void* inHostUserData, Boolean* outIsPlaying,
                                                    Boolean* outIsRecording, Boolean* outTransportStateChanged,
                                                    Float64* outCurrentSampleInTimeLine, Boolean* outIsCycling,
                                                    Float64* outCycleStartBeat, Float64* outCycleEndBeat);

typedef struct {
  void* hostUserData;
  HostCallback_GetBeatAndTempo beatAndTempoProc;
  HostCallback_GetMusicalTimeLocation musicalTimeLocationProc;
  HostCallback_GetTransportState transportStateProc;
  HostCallback_GetTransportState2 transportStateProc2;
} HostCallbackInfo;

typedef struct {
  char name[52];
  CFStringRef unitName;
  UInt32 clumpID;
  CFStringRef cfNameString;
  AudioUnitParameterUnit unit;
  AudioUnitParameterValue minValue;
  AudioUnitParameterValue maxValue;
  AudioUnitParameterValue defaultValue;
  UInt32 flags;
} AudioUnitParameterInfo;

typedef struct {
  AudioUnitScope scope;
  AudioUnitElement element;
  AudioUnitParameterID parameter;
  UInt32 eventType;
  union {
    struct {
      SInt32 startBufferOffset;
      UInt32 durationInFrames;
      AudioUnitParameterValue startValue;
      AudioUnitParameterValue endValue;
    } ramp;
    struct {
      UInt32 bufferOffset;
      AudioUnitParameterValue value;
    } immediate;
  } eventValues;
} AudioUnitParameterEvent;

typedef struct {
  AudioUnitParameterID inParamID;
  const AudioUnitParameterValue* inValue;
  CFStringRef outString;
} AudioUnitParameterStringFromValue;

typedef struct {
  AudioUnitParameterID inParamID;
  CFStringRef inString;
  AudioUnitParameterValue outValue;
} AudioUnitParameterValueFromString;

typedef struct {
  CFURLRef mCocoaAUViewBundleLocation;
  CFStringRef mCocoaAUViewClass[1];
} AudioUnitCocoaViewInfo;

typedef struct {
  AudioUnit mAudioUnit;
  AudioUnitParameterID mParameterID;
  AudioUnitScope mScope;
  AudioUnitElement mElement;
} AudioUnitParameter;

typedef struct {
  AudioUnit mAudioUnit;
  AudioUnitPropertyID mPropertyID;
  AudioUnitScope mScope;
  AudioUnitElement mElement;
} AudioUnitProperty;

enum {
  kAudioUnitEvent_ParameterValueChange = 0,
  kAudioUnitEvent_BeginParameterChangeGesture = 1,
  kAudioUnitEvent_EndParameterChangeGesture = 2,
  kAudioUnitEvent_PropertyChange = 3
};
typedef UInt32 AudioUnitEventType;

typedef struct {
  AudioUnitEventType mEventType;
  union {
    AudioUnitParameter mParameter;
    AudioUnitProperty mProperty;
  } mArgument;
} AudioUnitEvent;

#ifdef __cplusplus
static_assert(sizeof(AudioStreamBasicDescription) == 40, "ASBD");
static_assert(sizeof(AudioUnitParameterInfo) == 104, "parameter info");
static_assert(sizeof(HostCallbackInfo) == 40, "host callbacks");
static_assert(sizeof(AudioUnitConnection) == 16, "connection");
static_assert(sizeof(AURenderCallbackStruct) == 16, "render callback");
static_assert(sizeof(AUPreset) == 16, "preset");
static_assert(sizeof(AudioTimeStamp) == 64, "time stamp");
static_assert(sizeof(ComponentDescription) == 20, "description");
static_assert(sizeof(AudioUnitParameterEvent) == 32, "parameter event");
static_assert(sizeof(AudioUnitParameterStringFromValue) == 24, "string from value");
static_assert(sizeof(AudioUnitParameterValueFromString) == 24, "value from string");
static_assert(sizeof(AudioUnitCocoaViewInfo) == 16, "cocoa view info");
static_assert(sizeof(AUChannelInfo) == 4, "channel info");
static_assert(sizeof(AudioBuffer) == 16, "buffer");
static_assert(sizeof(SMPTETime) == 24, "SMPTE");
#endif

SY_BEGIN_C
// [any thread] A buffer list with room for n buffers, zeroed; free() releases it.
SY_EXPORT AudioBufferList* symac_allocateBufferList(UInt32 n);

// Notifications recorded into process-wide sinks (tests read them).
SY_EXPORT OSStatus AUEventListenerNotify(void* sendingObject, void* sendingListener, const AudioUnitEvent* event);
SY_EXPORT OSStatus AUParameterListenerNotify(void* sendingListener, void* sendingObject,
                                             const AudioUnitParameter* parameter);

// Host-side wrappers: each packs its arguments and calls the instance's routine.
SY_EXPORT OSStatus AudioUnitInitialize(AudioUnit unit);
SY_EXPORT OSStatus AudioUnitUninitialize(AudioUnit unit);
SY_EXPORT OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope scope, AudioUnitElement element);
SY_EXPORT OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                            AudioUnitElement element, UInt32* outDataSize, Boolean* outWritable);
SY_EXPORT OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                        AudioUnitElement element, void* outData, UInt32* ioDataSize);
SY_EXPORT OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                        AudioUnitElement element, const void* inData, UInt32 inDataSize);
SY_EXPORT OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                                         AudioUnitElement element, AudioUnitParameterValue* outValue);
SY_EXPORT OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                                         AudioUnitElement element, AudioUnitParameterValue value,
                                         UInt32 bufferOffset);
SY_EXPORT OSStatus AudioUnitScheduleParameters(AudioUnit unit, const AudioUnitParameterEvent* events,
                                               UInt32 count);
SY_EXPORT OSStatus AudioUnitAddPropertyListener(AudioUnit unit, AudioUnitPropertyID id,
                                                AudioUnitPropertyListenerProc proc, void* refCon);
SY_EXPORT OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit unit, AudioUnitPropertyID id,
                                                               AudioUnitPropertyListenerProc proc, void* refCon);
SY_EXPORT OSStatus AudioUnitAddRenderNotify(AudioUnit unit, AURenderCallback proc, void* refCon);
SY_EXPORT OSStatus AudioUnitRemoveRenderNotify(AudioUnit unit, AURenderCallback proc, void* refCon);
SY_EXPORT OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* ioActionFlags,
                                   const AudioTimeStamp* timeStamp, UInt32 outputBus, UInt32 frames,
                                   AudioBufferList* ioData);
SY_EXPORT OSStatus MusicDeviceMIDIEvent(AudioUnit unit, UInt32 status, UInt32 data1, UInt32 data2,
                                        UInt32 offsetSampleFrame);
SY_END_C
