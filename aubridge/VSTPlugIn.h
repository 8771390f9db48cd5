// The bridge's side of the VST 2.4 contract: loads a plug-in bundle, opens its effect with
// the bridge's own host callback and turns the bridge's requests into dispatcher calls.
#pragma once

#include <Carbon/Carbon.h>
#include <CoreFoundation/CoreFoundation.h>

#include <memory>

#include "VSTHost.h"
#include "VstInterface.h"

class NSView;

class VSTPlugIn {
 public:
  // [host thread] Retains the bundle; sends nothing.
  VSTPlugIn(VSTHost& host, CFBundleRef bundle, Float32 sampleRate, SInt32 blockSize);
  // [host thread] Closes the editor and the effect; unloads the executable when this was
  // its last holder, unless it is the image this code runs from.
  virtual ~VSTPlugIn();
  VSTPlugIn(const VSTPlugIn&) = delete;
  VSTPlugIn& operator=(const VSTPlugIn&) = delete;

  // [host thread] Loads the executable, calls its entry and sends effOpen.
  void open();

  bool isOpen() const { return openFlag; }
  bool isResumed() const { return resumedFlag; }
  bool isEditorOpen() const { return editorOpenFlag; }
  bool wantsMidi() const;

  // [any thread] Readers of the effect record. A plug-in with no programs counts as one.
  SInt32 getProgramCount() const;
  SInt32 getParameterCount() const;
  SInt32 getInputCount() const;
  SInt32 getOutputCount() const;
  SInt32 getInitialDelay() const;
  bool hasEditor() const;
  bool canProcessReplacing() const;
  bool hasProgramChunks() const;
  bool dontProcessSilence() const;

  // [any thread] The one path to the effect's dispatcher; a null dispatcher or an escaping
  // exception is logged and answers 0.
  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

  // [host thread] Programs; names are at most 24 characters (25 bytes with the terminator).
  void setCurrentProgram(SInt32 program);
  SInt32 getCurrentProgram();
  void setCurrentProgramName(const char* name);  // sent cut to 23 characters
  void getCurrentProgramName(char* name);
  bool getProgramName(SInt32 index, char* name);

  // [host thread] Parameter texts into 25-byte buffers.
  void getParameterLabel(SInt32 index, char* text);
  void getParameterDisplay(SInt32 index, char* text);
  void getParameterName(SInt32 index, char* text);
  bool setParameterFromString(SInt32 index, const char* text);

  // [host thread] Stored always, sent only while open.
  void setSampleRate(Float32 rate);
  void setBlockSize(SInt32 frames);

  // [host thread]
  void resume();
  VstIntPtr suspend();

  // [host thread] Editor.
  void getEditorDimensions(SInt32& width, SInt32& height);
  // Opens the effect's editor in a Carbon window or in a view; the editor must be closed.
  void openEditor(WindowRef window);
  void openEditor(NSView* view);
  void closeEditor();
  // [host thread] effIdle, and effEditIdle while the editor is open.
  void idle();

  // [host thread]
  VstIntPtr connectInputPin(SInt32 index, bool on);
  VstIntPtr connectOutputPin(SInt32 index, bool on);
  bool getInputProperties(SInt32 index, VstPinProperties* properties);
  bool getOutputProperties(SInt32 index, VstPinProperties* properties);
  bool setBypass(bool on);
  VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt);
  SInt32 getTailSize();
  SInt32 getVersion();

  // [any thread] Parameter values in 0..1.
  float getParameter(SInt32 index);
  void setParameter(SInt32 index, float value);

  // [audio thread]
  void processEvents(VstEvents* events);
  void processAccumulating(float** inputs, float** outputs, SInt32 frames);
  void processReplacing(float** inputs, float** outputs, SInt32 frames);

  // [host thread] Program and bank data; the array belongs to the caller, size is 0 on failure.
  std::unique_ptr<UInt8[]> createFXP(UInt32& size);
  std::unique_ptr<UInt8[]> createFXB(UInt32& size);
  // [host thread] True when the data matched the effect completely. Refused data changes nothing.
  bool loadFXPOrFXB(size_t size, const UInt8* bytes);

  // The audioMaster function handed to the entry point.
  static VstIntPtr staticAudioMasterCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                             void* ptr, float opt);

 private:
  VstIntPtr myAudioMasterCallback(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
  void getParameterText(VstInt32 opcode, SInt32 index, char* text);
  void openEditorIn(void* parent);
  bool isOwnImage() const;

  UInt8* writeProgramRecord(UInt8* p);
  const UInt8* checkProgramRecord(const UInt8* p, const UInt8* end) const;
  const UInt8* readProgramRecord(const UInt8* p, const UInt8* end, bool& matched);
  void writeHeader(UInt8* p, UInt32 total, FourCharCode fxMagic, SInt32 count);

  VSTHost& host;
  CFBundleRef bundleRef;
  AEffect* aeffect = nullptr;
  bool openFlag = false;
  bool resumedFlag = false;
  bool wantsMidiFlag = false;
  bool editorOpenFlag = false;
  Float32 currentSampleRate;
  SInt32 currentBlockSize;

  // The wrapper whose open is inside the entry-point call on this thread.
  static thread_local VSTPlugIn* tempPlugInPointer;
};
