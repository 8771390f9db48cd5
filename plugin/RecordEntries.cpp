// The six functions stored in the AEffect record. No exception crosses
// into the host: a failing call answers 0, a failing process writes silence.
#include "AudioEffect.h"

#include <cstring>

namespace {

AudioEffect* objectOf(AEffect* e) {
    return e ? static_cast<AudioEffect*>(e->object) : nullptr;
}

template <typename Sample>
void writeSilence(AEffect* e, Sample** outputs, VstInt32 sampleFrames) {
    if (!outputs || sampleFrames <= 0)
        return;
    for (VstInt32 c = 0; c < e->numOutputs; ++c)
        if (outputs[c])
            std::memset(outputs[c], 0, sizeof(Sample) * static_cast<size_t>(sampleFrames));
}

}  // namespace

VstIntPtr VSTCALLBACK AudioEffect::dispatcherEntry(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                                   void* ptr, float opt) {
    AudioEffect* effect = objectOf(e);
    if (!effect)
        return 0;
    VstIntPtr answer = 0;
    try {
        answer = effect->dispatcher(opcode, index, value, ptr, opt);
    } catch (...) {
        answer = 0;
    }
    if (opcode == effClose) {
        delete effect;
        return 1;
    }
    return answer;
}

void VSTCALLBACK AudioEffect::processEntry(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames) {
    AudioEffect* effect = objectOf(e);
    if (!effect)
        return;
    try {
        effect->process(inputs, outputs, sampleFrames);
    } catch (...) {
    }
}

void VSTCALLBACK AudioEffect::processReplacingEntry(AEffect* e, float** inputs, float** outputs,
                                                   VstInt32 sampleFrames) {
    AudioEffect* effect = objectOf(e);
    if (!effect)
        return;
    try {
        effect->processReplacing(inputs, outputs, sampleFrames);
    } catch (...) {
        writeSilence(e, outputs, sampleFrames);
    }
}

void VSTCALLBACK AudioEffect::processDoubleReplacingEntry(AEffect* e, double** inputs, double** outputs,
                                                         VstInt32 sampleFrames) {
    AudioEffect* effect = objectOf(e);
    if (!effect)
        return;
    try {
        effect->processDoubleReplacing(inputs, outputs, sampleFrames);
    } catch (...) {
        writeSilence(e, outputs, sampleFrames);
    }
}

void VSTCALLBACK AudioEffect::setParameterEntry(AEffect* e, VstInt32 index, float value) {
    AudioEffect* effect = objectOf(e);
    if (!effect)
        return;
    try {
        effect->setParameter(index, value);
    } catch (...) {
    }
}

float VSTCALLBACK AudioEffect::getParameterEntry(AEffect* e, VstInt32 index) {
    AudioEffect* effect = objectOf(e);
    if (!effect)
        return 0.0f;
    try {
        return effect->getParameter(index);
    } catch (...) {
        return 0.0f;
    }
}
