// Plug-in base object: owns the AEffect record handed to the host, turns the
// base dispatcher opcodes into virtual calls and wraps the host callback.
#pragma once

#include "VstInterface.h"

class AEffEditor;

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // Virtual operations in their slot order.
    virtual ~AudioEffect();  // deletes the editor

    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt);  // [host thread]

    virtual void open() {}     // [host thread]
    virtual void close() {}    // [host thread]
    virtual void suspend() {}  // [host thread]
    virtual void resume() {}   // [host thread]

    virtual void setSampleRate(float newSampleRate) { sampleRate = newSampleRate; }  // [host thread]
    virtual void setBlockSize(VstInt32 newBlockSize) { blockSize = newBlockSize; }   // [host thread]

    // [audio thread]
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    virtual void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames);

    virtual void setParameter(VstInt32 index, float value);  // [host thread]
    virtual float getParameter(VstInt32 index);              // [any thread]
    virtual void setParameterAutomated(VstInt32 index, float value);  // [host thread]

    virtual VstInt32 getProgram() { return curProgram; }             // [host thread]
    virtual void setProgram(VstInt32 program) { curProgram = program; }  // [host thread]
    virtual void setProgramName(char* name);                         // [host thread]
    virtual void getProgramName(char* name);                         // [host thread]
    virtual void getParameterLabel(VstInt32 index, char* label);     // [host thread]
    virtual void getParameterDisplay(VstInt32 index, char* text);    // [host thread]
    virtual void getParameterName(VstInt32 index, char* text);       // [host thread]
    virtual VstInt32 getChunk(void** data, bool isPreset = false);   // [host thread]
    virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset = false);  // [host thread]

    virtual void setUniqueID(VstInt32 iD) { cEffect.uniqueID = iD; }                // [host thread]
    virtual void setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }      // [host thread]
    virtual void setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }  // [host thread]
    virtual void canProcessReplacing(bool state = true) { setFlag(effFlagsCanReplacing, state); }
    virtual void canDoubleReplacing(bool state = true) { setFlag(effFlagsCanDoubleReplacing, state); }
    virtual void programsAreChunks(bool state = true) { setFlag(effFlagsProgramChunks, state); }
    virtual void setInitialDelay(VstInt32 delay) { cEffect.initialDelay = delay; }  // [host thread]

    virtual AEffEditor* getEditor() { return editor; }     // [any thread]
    virtual AEffect* getAeffect() { return &cEffect; }     // [any thread]
    virtual float getSampleRate() { return sampleRate; }   // [any thread]
    virtual VstInt32 getBlockSize() { return blockSize; }  // [any thread]

    // Host calls; each has a fixed answer when there is no host.
    virtual VstInt32 getMasterVersion();              // [host thread]
    virtual VstInt32 getCurrentUniqueId();            // [host thread]
    virtual void masterIdle();                        // [host thread]
    virtual bool isInputConnected(VstInt32 input);    // [host thread]
    virtual bool isOutputConnected(VstInt32 output);  // [host thread]

    // Value to text; text holds maxLen + 1 bytes.  [any thread]
    virtual void dB2string(float value, char* text, VstInt32 maxLen);
    virtual void Hz2string(float samples, char* text, VstInt32 maxLen);
    virtual void ms2string(float samples, char* text, VstInt32 maxLen);
    virtual void float2string(float value, char* text, VstInt32 maxLen);
    virtual void int2string(VstInt32 value, char* text, VstInt32 maxLen);

    // Deprecated.
    virtual void process(float** inputs, float** outputs, VstInt32 sampleFrames);  // [audio thread]
    virtual float getVu() { return 0.0f; }
    virtual void hasVu(bool state = true) { setFlag(effFlagsHasVu, state); }
    virtual void hasClip(bool state = true) { setFlag(effFlagsHasClip, state); }
    virtual void canMono(bool state = true) { setFlag(effFlagsCanMono, state); }
    virtual void setRealtimeQualities(VstInt32 qualities) { cEffect.realQualities = qualities; }
    virtual void setOfflineQualities(VstInt32 qualities) { cEffect.offQualities = qualities; }

    // Non-virtual.
    void setEditor(AEffEditor* newEditor);  // [host thread] sets or clears effFlagsHasEditor

    // Record entry functions (the host calls these through cEffect).
    static VstIntPtr VSTCALLBACK dispatcherEntry(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                                 void* ptr, float opt);
    static void VSTCALLBACK processEntry(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames);
    static void VSTCALLBACK processReplacingEntry(AEffect* e, float** inputs, float** outputs,
                                                 VstInt32 sampleFrames);
    static void VSTCALLBACK processDoubleReplacingEntry(AEffect* e, double** inputs, double** outputs,
                                                       VstInt32 sampleFrames);
    static void VSTCALLBACK setParameterEntry(AEffect* e, VstInt32 index, float value);
    static float VSTCALLBACK getParameterEntry(AEffect* e, VstInt32 index);

protected:
    void setFlag(VstInt32 flag, bool state);
    bool hasFlag(VstInt32 flag) const { return (cEffect.flags & flag) != 0; }
    // Calls the host with this record; 0 when there is no host.
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);

    audioMasterCallback audioMaster;
    AEffEditor* editor;
    float sampleRate;
    VstInt32 blockSize;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 curProgram;
    AEffect cEffect;
};

// Factory seam: defined by the module that links the plug-in entry.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);

#if defined(_WIN32)
// The DLL's module instance, written by DllMain; the editor layer loads the
// DLL's own resources through it.
extern void* moduleHandle;
#endif

// Answer of the deprecated effIdentify opcode ("NvEf").
constexpr VstIntPtr kEffectIdentifyAnswer = 0x4E764566;
// Unique identifier the base record starts with ("NoEf").
constexpr VstInt32 kDefaultUniqueId = 0x4E6F4566;

// Copies at most maxLen characters and always writes a NUL at text[maxLen]
// (or earlier); does nothing for a null text or a negative maxLen.
void vstCopyText(char* text, const char* source, VstInt32 maxLen);
