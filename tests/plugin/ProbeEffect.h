// A small stereo gain effect, built into a loadable module so that hosts
// (the test host, a third-party scanner) have something real to load.
#pragma once

#include "AudioEffectX.h"

class ProbeEffect : public AudioEffectX {
public:
    static constexpr VstInt32 kUniqueId = 0x5150726F;  // 'QPro'
    static constexpr VstInt32 kNumPrograms = 2;
    static constexpr VstInt32 kNumParams = 2;
    enum Param { kGain, kMute };

    explicit ProbeEffect(audioMasterCallback master);

    void processReplacing(float** inputs, float** outputs, VstInt32 frames) override;  // [audio thread]
    void setParameter(VstInt32 index, float value) override;                          // [host thread]
    float getParameter(VstInt32 index) override;                                      // [any thread]
    void getParameterName(VstInt32 index, char* text) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterLabel(VstInt32 index, char* text) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override { return 1000; }
    VstInt32 canDo(char* text) override;
    bool getInputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;

private:
    float gain_ = 0.5f;  // 0..1 maps to 0..2
    float mute_ = 0.0f;
};
