// The editor view and its factory, as the host finds them through the Cocoa UI property.
#pragma once

#include <ObjCStandin.h>

#include <string>

class RoruvovuzComponent;

// The factory class "<prefix>CocoaViewFactory": no state.
class RoruvovuzCocoaViewFactory : public NSObject, public AUCocoaUIBase {
 public:
  AUCocoaUIBase* asCocoaUIBase() override { return this; }
  // [host thread]
  unsigned interfaceVersion() override { return 0; }
  CFStringRef description() override;
  NSView* uiViewForAudioUnit(AudioUnit unit, NSSize preferredSize) override;
};

// The view class "<prefix>CocoaView": an empty view the plug-in's editor opens into.
class RoruvovuzCocoaView : public NSView {
 public:
  // [host thread] The component must not be null.
  RoruvovuzCocoaView* initWithFrame(NSRect frame, RoruvovuzComponent* component);
  void detach() { roruvovuz = nullptr; }

 protected:
  void dealloc() override;

 private:
  RoruvovuzComponent* roruvovuz = nullptr;
};

// The class-name prefix: names are unique per process, so each bundle module sets its own
// (a strong definition in the module replaces the default "Roruvovuz_").
const char* roruvovuzClassPrefix();
std::string roruvovuzFactoryClassName();
std::string roruvovuzViewClassName();

// [host thread] Registers both classes under their names (the module does it when loaded).
void registerRoruvovuzViewClasses();
void unregisterRoruvovuzViewClasses();
