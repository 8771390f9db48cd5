#include "AudioEffect.h"

#include "AEffEditor.h"

#include <cstdint>
#include <cstring>

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : audioMaster(audioMaster),
      editor(nullptr),
      sampleRate(44100.0f),
      blockSize(1024),
      numPrograms(numPrograms),
      numParams(numParams),
      curProgram(0) {
    std::memset(&cEffect, 0, sizeof(cEffect));
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatcherEntry;
    cEffect.process = processEntry;
    cEffect.setParameter = setParameterEntry;
    cEffect.getParameter = getParameterEntry;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags = effFlagsCanReplacing;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = kDefaultUniqueId;
    cEffect.version = 1;
    cEffect.processReplacing = processReplacingEntry;
    cEffect.processDoubleReplacing = processDoubleReplacingEntry;
}

AudioEffect::~AudioEffect() {
    delete editor;
}

void AudioEffect::setEditor(AEffEditor* newEditor) {
    editor = newEditor;
    setFlag(effFlagsHasEditor, newEditor != nullptr);
}

void AudioEffect::setFlag(VstInt32 flag, bool state) {
    if (state)
        cEffect.flags |= flag;
    else
        cEffect.flags &= ~flag;
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (!audioMaster)
        return 0;
    return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    (void)opt;
    switch (opcode) {
        case effOpen:
            open();
            return 0;
        case effClose:
            close();
            return 0;
        case effSetProgram:
            if (value >= 0 && value < numPrograms)
                setProgram(static_cast<VstInt32>(value));
            return 0;
        case effGetProgram:
            return getProgram();
        case effSetProgramName:
            if (ptr)
                setProgramName(static_cast<char*>(ptr));
            return 0;
        case effGetProgramName:
            if (ptr)
                getProgramName(static_cast<char*>(ptr));
            return 0;
        case effGetParamLabel:
            if (ptr)
                getParameterLabel(index, static_cast<char*>(ptr));
            return 0;
        case effGetParamDisplay:
            if (ptr)
                getParameterDisplay(index, static_cast<char*>(ptr));
            return 0;
        case effGetParamName:
            if (ptr)
                getParameterName(index, static_cast<char*>(ptr));
            return 0;
        case effSetSampleRate:
            setSampleRate(opt);
            return 0;
        case effSetBlockSize:
            setBlockSize(static_cast<VstInt32>(value));
            return 0;
        case effMainsChanged:
            if (value)
                resume();
            else
                suspend();
            return 0;
        case effEditGetRect:
            if (editor && ptr)
                return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
            return 0;
        case effEditOpen:
            if (editor && ptr)
                return editor->open(ptr) ? 1 : 0;
            return 0;
        case effEditClose:
            if (editor)
                editor->close();
            return 0;
        case effEditIdle:
            if (editor)
                editor->idle();
            return 0;
        case effIdentify:
            return kEffectIdentifyAnswer;
        case effGetChunk:
            if (ptr)
                return getChunk(static_cast<void**>(ptr), index != 0);
            return 0;
        case effSetChunk:
            if (ptr && value >= 0 && value <= INT32_MAX)
                return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
            return 0;
        default:  // deprecated opcodes and those outside 0..24
            return 0;
    }
}

void AudioEffect::processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames) {
    (void)inputs; (void)outputs; (void)sampleFrames;
}

void AudioEffect::process(float** inputs, float** outputs, VstInt32 sampleFrames) {
    (void)inputs; (void)outputs; (void)sampleFrames;
}

void AudioEffect::setParameter(VstInt32 index, float value) {
    (void)index; (void)value;
}

float AudioEffect::getParameter(VstInt32 index) {
    (void)index;
    return 0.0f;
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::setProgramName(char* name) {
    (void)name;
}

void AudioEffect::getProgramName(char* name) {
    if (name)
        *name = 0;
}

void AudioEffect::getParameterLabel(VstInt32 index, char* label) {
    (void)index;
    if (label)
        *label = 0;
}

void AudioEffect::getParameterDisplay(VstInt32 index, char* text) {
    (void)index;
    if (text)
        *text = 0;
}

void AudioEffect::getParameterName(VstInt32 index, char* text) {
    (void)index;
    if (text)
        *text = 0;
}

VstInt32 AudioEffect::getChunk(void** data, bool isPreset) {
    (void)data; (void)isPreset;
    return 0;
}

VstInt32 AudioEffect::setChunk(void* data, VstInt32 byteSize, bool isPreset) {
    (void)data; (void)byteSize; (void)isPreset;
    return 0;
}

VstInt32 AudioEffect::getMasterVersion() {
    VstIntPtr answer = callHost(audioMasterVersion);
    return answer ? static_cast<VstInt32>(answer) : 1;
}

VstInt32 AudioEffect::getCurrentUniqueId() {
    return static_cast<VstInt32>(callHost(audioMasterCurrentId));
}

void AudioEffect::masterIdle() {
    callHost(audioMasterIdle);
}

bool AudioEffect::isInputConnected(VstInt32 input) {
    return callHost(audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected(VstInt32 output) {
    return callHost(audioMasterPinConnected, output, 1) == 0;
}
