// A bundle executable that holds the bridge itself and hosts its own bundle, as the
// product does: the wrapper must not unload the image it runs from.
#include <cstring>

#include "RoruvovuzException.h"
#include "VSTHost.h"
#include "VSTPlugIn.h"

namespace {

AEffect record;

VstIntPtr dispatcher(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }

class QuietHost : public VSTHost {
 public:
  void getVendor(VSTPlugIn&, char* text) override { text[0] = '\0'; }
  void getProduct(VSTPlugIn&, char* text) override { text[0] = '\0'; }
  SInt32 getVersion(VSTPlugIn&) override { return 0x10000; }
  bool canDo(VSTPlugIn&, const char*) override { return false; }
  VstTimeInfo* getTimeInfo(VSTPlugIn&, SInt32) override { return nullptr; }
  void beginEdit(VSTPlugIn&, SInt32) override {}
  void automate(VSTPlugIn&, SInt32, float) override {}
  void endEdit(VSTPlugIn&, SInt32) override {}
  bool isIOPinConnected(VSTPlugIn&, bool, SInt32) override { return true; }
  void idle(VSTPlugIn&) override {}
  void updateDisplay(VSTPlugIn&) override {}
  void resizeWindow(VSTPlugIn&, SInt32, SInt32) override {}
};

}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback master) {
  if (master(nullptr, audioMasterVersion, 0, 0, nullptr, 0) == 0) return nullptr;
  std::memset(&record, 0, sizeof record);
  record.magic = kEffectMagic;
  record.dispatcher = dispatcher;
  record.flags = effFlagsCanReplacing;
  return &record;
}

// Takes over the caller's reference to its own bundle, so the wrapper is the last holder.
extern "C" __attribute__((visibility("default"))) int selfHostOpenAndClose(CFBundleRef ownBundle) {
  QuietHost host;
  try {
    auto* plugIn = new VSTPlugIn(host, ownBundle, 44100.0f, 64);
    CFRelease(ownBundle);
    plugIn->open();
    delete plugIn;
  } catch (const RoruvovuzException&) {
    return 0;
  }
  return 1;
}
