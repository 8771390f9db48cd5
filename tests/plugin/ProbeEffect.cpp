#include "ProbeEffect.h"

#include <cstring>

namespace {
// Pin index of a stereo pair: its labels, or false past the pair.
bool stereoPin(VstInt32 index, VstPinProperties* properties, const char* left, const char* right,
               const char* shortLeft, const char* shortRight) {
    if (index < 0 || index >= 2)
        return false;
    std::memset(properties, 0, sizeof(*properties));
    vstCopyText(properties->label, index == 0 ? left : right, kVstMaxLabelLen - 1);
    vstCopyText(properties->shortLabel, index == 0 ? shortLeft : shortRight, kVstMaxShortLabelLen - 1);
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    properties->arrangementType = kSpeakerArrStereo;
    return true;
}
} // namespace

ProbeEffect::ProbeEffect(audioMasterCallback master) : AudioEffectX(master, kNumPrograms, kNumParams) {
    setNumInputs(2);
    setNumOutputs(2);
    setUniqueID(kUniqueId);
    canProcessReplacing();
}

void ProbeEffect::processReplacing(float** inputs, float** outputs, VstInt32 frames) {
    const float g = mute_ >= 0.5f ? 0.0f : 2.0f * gain_;
    for (VstInt32 c = 0; c < 2; ++c) {
        const float* in = inputs[c];
        float* out = outputs[c];
        for (VstInt32 i = 0; i < frames; ++i)
            out[i] = in[i] * g;
    }
}

void ProbeEffect::setParameter(VstInt32 index, float value) {
    if (index == kGain)
        gain_ = value;
    else if (index == kMute)
        mute_ = value;
}

float ProbeEffect::getParameter(VstInt32 index) {
    return index == kGain ? gain_ : index == kMute ? mute_ : 0.0f;
}

void ProbeEffect::getParameterName(VstInt32 index, char* text) {
    vstCopyText(text, index == kGain ? "Gain" : index == kMute ? "Mute" : "", kVstMaxParamStrLen);
}

void ProbeEffect::getParameterDisplay(VstInt32 index, char* text) {
    if (index == kGain)
        dB2string(2.0f * gain_, text, kVstMaxParamStrLen);
    else if (index == kMute)
        vstCopyText(text, mute_ >= 0.5f ? "on" : "off", kVstMaxParamStrLen);
    else
        vstCopyText(text, "", kVstMaxParamStrLen);
}

void ProbeEffect::getParameterLabel(VstInt32 index, char* text) {
    vstCopyText(text, index == kGain ? "dB" : "", kVstMaxParamStrLen);
}

void ProbeEffect::getProgramName(char* name) {
    getProgramNameIndexed(0, curProgram, name);
}

bool ProbeEffect::getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) {
    (void)category;
    if (index < 0 || index >= kNumPrograms)
        return false;
    vstCopyText(text, index == 0 ? "Unity" : "Quiet", kVstMaxProgNameLen);
    return true;
}

bool ProbeEffect::getEffectName(char* name) {
    vstCopyText(name, "Quillatone Probe", kVstMaxEffectNameLen);
    return true;
}

bool ProbeEffect::getVendorString(char* text) {
    vstCopyText(text, "Quillatone Tests", kVstMaxVendorStrLen);
    return true;
}

bool ProbeEffect::getProductString(char* text) {
    vstCopyText(text, "Probe", kVstMaxProductStrLen);
    return true;
}

VstInt32 ProbeEffect::canDo(char* text) {
    if (std::strcmp(text, "plugAsChannelInsert") == 0 || std::strcmp(text, "plugAsSend") == 0)
        return 1;
    return -1;
}

bool ProbeEffect::getInputProperties(VstInt32 index, VstPinProperties* properties) {
    return stereoPin(index, properties, "In L", "In R", "InL", "InR");
}

bool ProbeEffect::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
    return stereoPin(index, properties, "Out L", "Out R", "OutL", "OutR");
}
