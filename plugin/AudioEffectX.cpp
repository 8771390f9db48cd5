#include "AudioEffectX.h"

#include "AEffEditor.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// The key record of the editor key opcodes keeps the low byte of value and
// of opt converted to an integer (0 for values no integer can hold).
VstKeyCode keyRecord(VstInt32 index, VstIntPtr value, float opt) {
    VstKeyCode key;
    key.character = index;
    key.virt = static_cast<unsigned char>(value & 0xff);
    long long modifier = 0;
    if (std::isfinite(opt) && opt > -2147483648.0f && opt < 2147483648.0f)
        modifier = static_cast<long long>(opt);
    key.modifier = static_cast<unsigned char>(modifier & 0xff);
    return key;
}

VstIntPtr answer(bool b) { return b ? 1 : 0; }

}  // namespace

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    switch (opcode) {
        case effProcessEvents:
            return ptr ? processEvents(static_cast<VstEvents*>(ptr)) : 0;
        case effCanBeAutomated:
            return answer(canParameterBeAutomated(index));
        case effString2Parameter:
            return ptr ? answer(string2parameter(index, static_cast<char*>(ptr))) : 0;
        case effGetProgramNameIndexed:
            return ptr ? answer(getProgramNameIndexed(static_cast<VstInt32>(value), index, static_cast<char*>(ptr)))
                       : 0;
        case effGetInputProperties:
            return ptr ? answer(getInputProperties(index, static_cast<VstPinProperties*>(ptr))) : 0;
        case effGetOutputProperties:
            return ptr ? answer(getOutputProperties(index, static_cast<VstPinProperties*>(ptr))) : 0;
        case effGetPlugCategory:
            return static_cast<VstIntPtr>(static_cast<uint32_t>(getPlugCategory()));
        case effOfflineNotify:
            return ptr ? answer(offlineNotify(static_cast<VstAudioFile*>(ptr), static_cast<VstInt32>(value), index != 0))
                       : 0;
        case effOfflinePrepare:
            return ptr ? answer(offlinePrepare(static_cast<VstOfflineTask*>(ptr), static_cast<VstInt32>(value))) : 0;
        case effOfflineRun:
            return ptr ? answer(offlineRun(static_cast<VstOfflineTask*>(ptr), static_cast<VstInt32>(value))) : 0;
        case effProcessVarIo:
            return ptr ? answer(processVariableIo(static_cast<VstVariableIo*>(ptr))) : 0;
        case effSetSpeakerArrangement:
            if (!value || !ptr)
                return 0;
            return answer(setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                                static_cast<VstSpeakerArrangement*>(ptr)));
        case effSetBypass:
            return answer(setBypass(value != 0));
        case effGetEffectName:
            return ptr ? answer(getEffectName(static_cast<char*>(ptr))) : 0;
        case effGetVendorString:
            return ptr ? answer(getVendorString(static_cast<char*>(ptr))) : 0;
        case effGetProductString:
            return ptr ? answer(getProductString(static_cast<char*>(ptr))) : 0;
        case effGetVendorVersion:
            return getVendorVersion();
        case effVendorSpecific:
            return vendorSpecific(index, value, ptr, opt);
        case effCanDo:
            return ptr ? canDo(static_cast<char*>(ptr)) : 0;
        case effGetTailSize:
            return getGetTailSize();
        case effGetParameterProperties:
            return ptr ? answer(getParameterProperties(index, static_cast<VstParameterProperties*>(ptr))) : 0;
        case effGetVstVersion:
            return getVstVersion();
        case effEditKeyDown:
            if (editor) {
                VstKeyCode key = keyRecord(index, value, opt);
                return answer(editor->onKeyDown(key));
            }
            return 0;
        case effEditKeyUp:
            if (editor) {
                VstKeyCode key = keyRecord(index, value, opt);
                return answer(editor->onKeyUp(key));
            }
            return 0;
        case effSetEditKnobMode:
            return editor ? answer(editor->setKnobMode(static_cast<VstInt32>(value))) : 0;
        case effGetMidiProgramName:
            return ptr ? getMidiProgramName(index, static_cast<MidiProgramName*>(ptr)) : 0;
        case effGetCurrentMidiProgram:
            return ptr ? getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr)) : 0;
        case effGetMidiProgramCategory:
            return ptr ? getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr)) : 0;
        case effHasMidiProgramsChanged:
            return answer(hasMidiProgramsChanged(index));
        case effGetMidiKeyName:
            return ptr ? answer(getMidiKeyName(index, static_cast<MidiKeyName*>(ptr))) : 0;
        case effBeginSetProgram:
            return answer(beginSetProgram());
        case effEndSetProgram:
            return answer(endSetProgram());
        case effGetSpeakerArrangement:
            if (!value || !ptr)
                return 0;
            return answer(getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                                static_cast<VstSpeakerArrangement**>(ptr)));
        case effShellGetNextPlugin:
            return ptr ? getNextShellPlugin(static_cast<char*>(ptr)) : 0;
        case effStartProcess:
            return startProcess();
        case effStopProcess:
            return stopProcess();
        case effSetTotalSampleToProcess:
            return setTotalSampleToProcess(static_cast<VstInt32>(value));
        case effSetPanLaw:
            return answer(setPanLaw(static_cast<VstInt32>(value), opt));
        case effBeginLoadBank:
            return ptr ? beginLoadBank(static_cast<VstPatchChunkInfo*>(ptr)) : 0;
        case effBeginLoadProgram:
            return ptr ? beginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr)) : 0;
        case effSetProcessPrecision:
            return answer(setProcessPrecision(static_cast<VstInt32>(value)));
        case effGetNumMidiInputChannels:
            return getNumMidiInputChannels();
        case effGetNumMidiOutputChannels:
            return getNumMidiOutputChannels();
        default:  // 0..24, the deprecated opcodes and unknown ones
            return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

void AudioEffectX::resume() {
    static char receiveMidi[] = "receiveVstMidiEvent";
    if (hasFlag(effFlagsIsSynth) || canDo(receiveMidi) == 1)
        wantEvents(1);
}

bool AudioEffectX::sendVstEventsToHost(VstEvents* events) {
    return callHost(audioMasterProcessEvents, 0, 0, events) == 1;
}

// Host calls.

bool AudioEffectX::beginEdit(VstInt32 index) { return callHost(audioMasterBeginEdit, index) != 0; }
bool AudioEffectX::endEdit(VstInt32 index) { return callHost(audioMasterEndEdit, index) != 0; }
bool AudioEffectX::ioChanged() { return callHost(audioMasterIOChanged) != 0; }

double AudioEffectX::updateSampleRate() {
    VstIntPtr rate = callHost(audioMasterGetSampleRate);
    if (rate > 0)
        sampleRate = static_cast<float>(rate);
    return sampleRate;
}

VstInt32 AudioEffectX::updateBlockSize() {
    VstIntPtr size = callHost(audioMasterGetBlockSize);
    if (size > 0 && size <= INT32_MAX)
        blockSize = static_cast<VstInt32>(size);
    return blockSize;
}

VstInt32 AudioEffectX::getInputLatency() { return static_cast<VstInt32>(callHost(audioMasterGetInputLatency)); }
VstInt32 AudioEffectX::getOutputLatency() { return static_cast<VstInt32>(callHost(audioMasterGetOutputLatency)); }

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter) {
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

VstInt32 AudioEffectX::getCurrentProcessLevel() {
    return static_cast<VstInt32>(callHost(audioMasterGetCurrentProcessLevel));
}

VstInt32 AudioEffectX::getAutomationState() {
    return static_cast<VstInt32>(callHost(audioMasterGetAutomationState));
}

bool AudioEffectX::getHostVendorString(char* text) {
    return callHost(audioMasterGetVendorString, 0, 0, text) != 0;
}

bool AudioEffectX::getHostProductString(char* text) {
    return callHost(audioMasterGetProductString, 0, 0, text) != 0;
}

VstInt32 AudioEffectX::getHostVendorVersion() {
    return static_cast<VstInt32>(callHost(audioMasterGetVendorVersion));
}

VstIntPtr AudioEffectX::hostVendorSpecific(VstInt32 lArg1, VstIntPtr lArg2, void* ptrArg, float floatArg) {
    return callHost(audioMasterVendorSpecific, lArg1, lArg2, ptrArg, floatArg);
}

VstInt32 AudioEffectX::canHostDo(char* text) {
    return callHost(audioMasterCanDo, 0, 0, text) != 0 ? 1 : 0;
}

VstInt32 AudioEffectX::getHostLanguage() { return static_cast<VstInt32>(callHost(audioMasterGetLanguage)); }
void* AudioEffectX::getDirectory() { return reinterpret_cast<void*>(callHost(audioMasterGetDirectory)); }
bool AudioEffectX::updateDisplay() { return callHost(audioMasterUpdateDisplay) != 0; }

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height) {
    return callHost(audioMasterSizeWindow, width, height) != 0;
}

bool AudioEffectX::openFileSelector(VstFileSelect* ptr) {
    return ptr && callHost(audioMasterOpenFileSelector, 0, 0, ptr) != 0;
}

bool AudioEffectX::closeFileSelector(VstFileSelect* ptr) {
    return ptr && callHost(audioMasterCloseFileSelector, 0, 0, ptr) != 0;
}

bool AudioEffectX::offlineRead(VstOfflineTask* offline, VstInt32 option, bool readSource) {
    return callHost(audioMasterOfflineRead, readSource ? 1 : 0, option, offline) != 0;
}

bool AudioEffectX::offlineWrite(VstOfflineTask* offline, VstInt32 option) {
    return callHost(audioMasterOfflineWrite, 0, option, offline) != 0;
}

bool AudioEffectX::offlineStart(VstAudioFile* ptr, VstInt32 numAudioFiles, VstInt32 numNewAudioFiles) {
    return callHost(audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, ptr) != 0;
}

bool AudioEffectX::offlineGetCurrentPass() { return callHost(audioMasterOfflineGetCurrentPass) != 0; }
bool AudioEffectX::offlineGetCurrentMetaPass() { return callHost(audioMasterOfflineGetCurrentMetaPass) != 0; }

void AudioEffectX::wantEvents(VstInt32 filter) { callHost(audioMasterWantMidi, 0, filter); }
VstInt32 AudioEffectX::tempoAt(VstInt32 pos) { return static_cast<VstInt32>(callHost(audioMasterTempoAt, 0, pos)); }

VstInt32 AudioEffectX::getNumAutomatableParameters() {
    return static_cast<VstInt32>(callHost(audioMasterGetNumAutomatableParameters));
}

VstInt32 AudioEffectX::getParameterQuantization() {
    return static_cast<VstInt32>(callHost(audioMasterGetParameterQuantization));
}

bool AudioEffectX::needIdle() { return callHost(audioMasterNeedIdle) != 0; }

AEffect* AudioEffectX::getPreviousPlug(VstInt32 input) {
    (void)input;
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetPreviousPlug));
}

AEffect* AudioEffectX::getNextPlug(VstInt32 output) {
    (void)output;
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetNextPlug));
}

VstInt32 AudioEffectX::willProcessReplacing() {
    return static_cast<VstInt32>(callHost(audioMasterWillReplaceOrAccumulate));
}

void AudioEffectX::setOutputSamplerate(float samplerate) {
    callHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, samplerate);
}

VstSpeakerArrangement* AudioEffectX::getInputSpeakerArrangement() {
    return reinterpret_cast<VstSpeakerArrangement*>(callHost(audioMasterGetInputSpeakerArrangement));
}

VstSpeakerArrangement* AudioEffectX::getOutputSpeakerArrangement() {
    return reinterpret_cast<VstSpeakerArrangement*>(callHost(audioMasterGetOutputSpeakerArrangement));
}

void* AudioEffectX::openWindow(VstWindow* window) {
    return reinterpret_cast<void*>(callHost(audioMasterOpenWindow, 0, 0, window));
}

bool AudioEffectX::closeWindow(VstWindow* window) {
    return callHost(audioMasterCloseWindow, 0, 0, window) != 0;
}

bool AudioEffectX::getChunkFile(void* nativePath) {
    return nativePath && callHost(audioMasterGetChunkFile, 0, 0, nativePath) != 0;
}
