// What the hosted plug-in wrapper asks of whoever hosts it: the plug-in's own host requests.
#pragma once

#include <MacTypes.h>

#include "VstInterface.h"

class VSTPlugIn;

class VSTHost {
 public:
  // Each call names the wrapper that asks; implementations check that it is their own.
  // [host thread] Fills text (kVstMaxVendorStrLen bytes) with the host's vendor.
  virtual void getVendor(VSTPlugIn& plugIn, char* text) = 0;
  // [host thread] Fills text (kVstMaxProductStrLen bytes) with the host's product.
  virtual void getProduct(VSTPlugIn& plugIn, char* text) = 0;
  // [host thread]
  virtual SInt32 getVersion(VSTPlugIn& plugIn) = 0;
  // [host thread] Whether the host offers the capability named by the terminated text.
  virtual bool canDo(VSTPlugIn& plugIn, const char* text) = 0;
  // [audio thread] Transport and time for the current block.
  virtual VstTimeInfo* getTimeInfo(VSTPlugIn& plugIn, SInt32 filter) = 0;
  // [any thread] Gesture start, a change made by the plug-in itself, gesture end.
  virtual void beginEdit(VSTPlugIn& plugIn, SInt32 index) = 0;
  virtual void automate(VSTPlugIn& plugIn, SInt32 index, float value) = 0;
  virtual void endEdit(VSTPlugIn& plugIn, SInt32 index) = 0;
  // [host thread]
  virtual bool isIOPinConnected(VSTPlugIn& plugIn, bool output, SInt32 pin) = 0;
  // [host thread]
  virtual void idle(VSTPlugIn& plugIn) = 0;
  // [host thread] The program name or a display changed.
  virtual void updateDisplay(VSTPlugIn& plugIn) = 0;
  // [host thread] The editor asks for a new size in points.
  virtual void resizeWindow(VSTPlugIn& plugIn, SInt32 width, SInt32 height) = 0;
  virtual ~VSTHost();
};
