// A small effect on the project's own plug-in classes, standing in for the product module
// in the comparison of the wrapper with the direct test host: a one-pole filter with
// gain and a cross-feed, deterministic and stateful.
#include <cmath>

#include "AudioEffectX.h"

namespace {

class OwnEffect : public AudioEffectX {
 public:
  explicit OwnEffect(audioMasterCallback master) : AudioEffectX(master, 3, 3) {
    setNumInputs(2);
    setNumOutputs(2);
    canProcessReplacing();
    setUniqueID(0x4F776E45);  // 'OwnE'
    setInitialDelay(3);
  }
  void setParameter(VstInt32 index, float value) override {
    if (index >= 0 && index < 3) params[index] = value;
  }
  float getParameter(VstInt32 index) override { return index >= 0 && index < 3 ? params[index] : 0.0f; }
  void resume() override {
    state[0] = state[1] = 0.0f;
    AudioEffectX::resume();
  }
  void processReplacing(float** in, float** out, VstInt32 frames) override {
    const float gain = 0.25f + 1.5f * params[0];
    const float pole = 0.05f + 0.9f * params[1];
    const float cross = params[2];
    for (VstInt32 i = 0; i < frames; ++i) {
      const float l = in[0][i], r = in[1][i];
      state[0] = pole * state[0] + (1.0f - pole) * (l + cross * r);
      state[1] = pole * state[1] + (1.0f - pole) * (r + cross * l);
      out[0][i] = std::tanh(gain * state[0]);
      out[1][i] = std::tanh(gain * state[1]);
    }
  }

 private:
  float params[3] = {0.5f, 0.3f, 0.2f};
  float state[2] = {0.0f, 0.0f};
};

}  // namespace

AudioEffect* createEffectInstance(audioMasterCallback master) { return new OwnEffect(master); }
