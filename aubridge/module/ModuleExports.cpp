// The exports of a bundle executable that holds the bridge: the component entry, the view
// entry, and the registration of the view classes while the module is loaded.
#include <CoreServices/Components.h>

#include "RoruvovuzCocoaView.h"
#include "RoruvovuzEntry.h"

extern "C" __attribute__((visibility("default"))) ComponentResult RoruvovuzEntry(ComponentParameters* params,
                                                                                Handle storage) {
  return roruvovuzEntry(params, storage);
}

// Serves no request: the editor is reached through the Cocoa UI property.
extern "C" __attribute__((visibility("default"))) ComponentResult RoruvovuzViewEntry(ComponentParameters*, Handle) {
  return badComponentSelector;
}

#ifndef SY_CLASS_PREFIX
#define SY_CLASS_PREFIX "Roruvovuz_"
#endif

const char* roruvovuzClassPrefix() { return SY_CLASS_PREFIX; }

namespace {
struct ViewClassRegistration {
  ViewClassRegistration() { registerRoruvovuzViewClasses(); }
  ~ViewClassRegistration() { unregisterRoruvovuzViewClasses(); }
} registration;
}  // namespace
