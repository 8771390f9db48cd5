// The bridge with an entry that answers null: a bundle executable that hosts only the
// plug-in named by a Resources/*.vst item (fake and third-party plug-ins).
#include "VstInterface.h"

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback) { return nullptr; }
