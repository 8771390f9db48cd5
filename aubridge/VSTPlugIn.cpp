// Lifecycle, readers and the dispatcher-backed operations of the hosted plug-in wrapper.
#include "VSTPlugIn.h"

#include <dlfcn.h>

#include <cstring>
#include <initializer_list>

#include "RoruvovuzException.h"
#include "RoruvovuzLog.h"

thread_local VSTPlugIn* VSTPlugIn::tempPlugInPointer = nullptr;

namespace {

// The wrapper's own preconditions; a failure is a fault of the caller, refused before
// anything reaches the effect.
void require(bool condition, const char* what) {
  if (!condition) throw RoruvovuzException(what);
}

typedef AEffect* (*VSTEntryPoint)(audioMasterCallback);

constexpr size_t kTextBufferSize = 1024;
constexpr size_t kNameLength = 24;

// Copies at most 24 bytes of a zero-filled answer buffer and terminates the copy.
void copyName(char* destination, const char* answer) {
  std::memcpy(destination, answer, kNameLength);
  destination[kNameLength] = '\0';
}

}  // namespace

VSTPlugIn::VSTPlugIn(VSTHost& h, CFBundleRef bundle, Float32 sampleRate, SInt32 blockSize)
    : host(h), bundleRef(bundle), currentSampleRate(sampleRate), currentBlockSize(blockSize) {
  require(bundle != nullptr, "VSTPlugIn needs a bundle");
  CFRetain(bundleRef);
}

VSTPlugIn::~VSTPlugIn() {
  try {
    if (editorOpenFlag) {
      dispatch(effEditClose, 0, 0, nullptr, 0.0f);
      editorOpenFlag = false;
    }
    if (aeffect != nullptr) {
      dispatch(effClose, 0, 0, nullptr, 0.0f);
      aeffect = nullptr;
    }
  } catch (...) {
  }
  if (CFBundleIsExecutableLoaded(bundleRef) && CFGetRetainCount(bundleRef) == 1 && !isOwnImage())
    CFBundleUnloadExecutable(bundleRef);
  CFRelease(bundleRef);
}

// True when the bundle's executable is the image that holds this code.
bool VSTPlugIn::isOwnImage() const {
  Dl_info own;
  if (dladdr(reinterpret_cast<void*>(&VSTPlugIn::staticAudioMasterCallback), &own) == 0) return true;
  for (CFStringRef name : {CFSTR("main_macho"), CFSTR("VSTPluginMain")}) {
    void* entry = CFBundleGetFunctionPointerForName(bundleRef, name);
    Dl_info theirs;
    if (entry != nullptr && dladdr(entry, &theirs) != 0) return theirs.dli_fbase == own.dli_fbase;
  }
  return false;
}

void VSTPlugIn::open() {
  SY_LOG("[%s](%p) VST open\n");
  require(!openFlag && !resumedFlag, "VSTPlugIn::open: already open");
  if (!CFBundleIsExecutableLoaded(bundleRef) && !CFBundleLoadExecutable(bundleRef))
    throw RoruvovuzException("Could not load VST bundle executable");
  auto entry = reinterpret_cast<VSTEntryPoint>(CFBundleGetFunctionPointerForName(bundleRef, CFSTR("main_macho")));
  if (entry == nullptr)
    entry = reinterpret_cast<VSTEntryPoint>(CFBundleGetFunctionPointerForName(bundleRef, CFSTR("VSTPluginMain")));
  if (entry == nullptr)
    throw RoruvovuzException("Could not locate function in bundle executable (\"main_macho\" or \"VSTPluginMain\")");

  require(tempPlugInPointer == nullptr, "VSTPlugIn::open: another open is in progress on this thread");
  tempPlugInPointer = this;
  AEffect* effect = nullptr;
  try {
    effect = entry(&VSTPlugIn::staticAudioMasterCallback);
  } catch (...) {
    effect = nullptr;
  }
  if (effect == nullptr || effect->magic != kEffectMagic || (aeffect != nullptr && aeffect != effect)) {
    tempPlugInPointer = nullptr;
    aeffect = nullptr;
    throw RoruvovuzException("VST main() doesn't return object AEffect*");
  }
  aeffect = effect;
  aeffect->resvd1 = reinterpret_cast<VstIntPtr>(this);
  tempPlugInPointer = nullptr;

  setSampleRate(currentSampleRate);
  if (currentBlockSize != 0) setBlockSize(currentBlockSize);
  dispatch(effOpen, 0, 0, nullptr, 0.0f);
  openFlag = true;
}

bool VSTPlugIn::wantsMidi() const {
  require(resumedFlag, "VSTPlugIn::wantsMidi: not resumed");
  return wantsMidiFlag;
}

SInt32 VSTPlugIn::getProgramCount() const {
  require(aeffect != nullptr, "VSTPlugIn: no effect");
  return aeffect->numPrograms > 0 ? aeffect->numPrograms : 1;
}
SInt32 VSTPlugIn::getParameterCount() const {
  require(aeffect != nullptr, "VSTPlugIn: no effect");
  return aeffect->numParams;
}
SInt32 VSTPlugIn::getInputCount() const {
  require(aeffect != nullptr, "VSTPlugIn: no effect");
  return aeffect->numInputs;
}
SInt32 VSTPlugIn::getOutputCount() const {
  require(aeffect != nullptr, "VSTPlugIn: no effect");
  return aeffect->numOutputs;
}
SInt32 VSTPlugIn::getInitialDelay() const {
  require(aeffect != nullptr, "VSTPlugIn: no effect");
  return aeffect->initialDelay;
}
bool VSTPlugIn::hasEditor() const {
  require(aeffect != nullptr, "VSTPlugIn: no effect");
  return (aeffect->flags & effFlagsHasEditor) != 0;
}
bool VSTPlugIn::canProcessReplacing() const {
  require(aeffect != nullptr, "VSTPlugIn: no effect");
  return (aeffect->flags & effFlagsCanReplacing) != 0;
}
bool VSTPlugIn::hasProgramChunks() const {
  require(aeffect != nullptr, "VSTPlugIn: no effect");
  return (aeffect->flags & effFlagsProgramChunks) != 0;
}
bool VSTPlugIn::dontProcessSilence() const {
  require(aeffect != nullptr, "VSTPlugIn: no effect");
  return (aeffect->flags & effFlagsNoSoundInStop) != 0;
}

VstIntPtr VSTPlugIn::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  require(aeffect != nullptr, "VSTPlugIn::dispatch: no effect");
  if (aeffect->dispatcher == nullptr) {
    SY_LOG("[%s](%p) VST dispatcher function pointer was null\n");
    return 0;
  }
  try {
    return aeffect->dispatcher(aeffect, opcode, index, value, ptr, opt);
  } catch (...) {
    SY_LOG("[%s](%p) Caught exception in VST dispatcher\n");
    return 0;
  }
}

void VSTPlugIn::setCurrentProgram(SInt32 program) {
  SY_LOG("[%s](%p) VST setCurrentProgram: %d\n", int(program));
  require(program >= 0 && program < getProgramCount(), "VSTPlugIn::setCurrentProgram: program out of range");
  if (aeffect->numPrograms <= 0) return;  // the one implicit program is always current
  dispatch(effSetProgram, 0, program, nullptr, 0.0f);
}

SInt32 VSTPlugIn::getCurrentProgram() {
  SY_LOG("[%s](%p) VST getCurrentProgram\n");
  require(aeffect != nullptr, "VSTPlugIn: no effect");
  if (aeffect->numPrograms <= 0) return 0;
  const VstIntPtr answer = dispatch(effGetProgram, 0, 0, nullptr, 0.0f);
  if (answer < 0) return 0;
  return answer >= getProgramCount() ? getProgramCount() - 1 : SInt32(answer);
}

void VSTPlugIn::setCurrentProgramName(const char* name) {
  require(name != nullptr, "VSTPlugIn::setCurrentProgramName: no name");
  SY_LOG("[%s](%p) VST setCurrentProgramName: %s\n", name);
  // The effect's buffer holds 24 bytes with the terminator.
  char sent[kVstMaxProgNameLen] = {};
  std::strncpy(sent, name, sizeof sent - 1);
  dispatch(effSetProgramName, 0, 0, sent, 0.0f);
}

void VSTPlugIn::getCurrentProgramName(char* name) {
  SY_LOG("[%s](%p) VST getCurrentProgramName\n");
  require(name != nullptr, "VSTPlugIn::getCurrentProgramName: no buffer");
  char answer[kTextBufferSize] = {};
  dispatch(effGetProgramName, 0, 0, answer, 0.0f);
  copyName(name, answer);
}

bool VSTPlugIn::getProgramName(SInt32 index, char* name) {
  SY_LOG("[%s](%p) VST getProgramName: %d\n", int(index));
  require(name != nullptr && index >= 0 && index < getProgramCount(), "VSTPlugIn::getProgramName: bad index");
  char answer[kTextBufferSize] = {};
  if (dispatch(effGetProgramNameIndexed, index, -1, answer, 0.0f) == 0) return false;
  copyName(name, answer);
  return true;
}

void VSTPlugIn::getParameterText(VstInt32 opcode, SInt32 index, char* text) {
  require(text != nullptr && index >= 0 && index < getParameterCount(), "VSTPlugIn: parameter index out of range");
  char answer[kTextBufferSize] = {};
  dispatch(opcode, index, -1, answer, 0.0f);
  copyName(text, answer);
}

void VSTPlugIn::getParameterLabel(SInt32 index, char* text) {
  SY_LOG("[%s](%p) VST getParameterLabel: %d\n", int(index));
  getParameterText(effGetParamLabel, index, text);
}

void VSTPlugIn::getParameterDisplay(SInt32 index, char* text) {
  SY_LOG("[%s](%p) VST getParameterDisplay: %d\n", int(index));
  getParameterText(effGetParamDisplay, index, text);
}

void VSTPlugIn::getParameterName(SInt32 index, char* text) {
  SY_LOG("[%s](%p) VST getParameterName: %d\n", int(index));
  getParameterText(effGetParamName, index, text);
}

bool VSTPlugIn::setParameterFromString(SInt32 index, const char* text) {
  SY_LOG("[%s](%p) VST setParameterFromString: %d=%s\n", int(index), text != nullptr ? text : "<null>");
  require(index >= 0 && index < getParameterCount(), "VSTPlugIn::setParameterFromString: index out of range");
  return dispatch(effString2Parameter, index, 0, const_cast<char*>(text), 0.0f) != 0;
}

void VSTPlugIn::setSampleRate(Float32 rate) {
  SY_LOG("[%s](%p) VST setSampleRate: %f\n", double(rate));
  currentSampleRate = rate;
  if (openFlag) dispatch(effSetSampleRate, 0, 0, nullptr, rate);
}

void VSTPlugIn::setBlockSize(SInt32 frames) {
  SY_LOG("[%s](%p) VST setBlockSize: %d\n", int(frames));
  currentBlockSize = frames;
  if (openFlag) dispatch(effSetBlockSize, 0, frames, nullptr, 0.0f);
}

void VSTPlugIn::resume() {
  SY_LOG("[%s](%p) VST resume\n");
  require(openFlag && !resumedFlag, "VSTPlugIn::resume: not open or already resumed");
  dispatch(effMainsChanged, 0, 1, nullptr, 0.0f);
  resumedFlag = true;
}

VstIntPtr VSTPlugIn::suspend() {
  SY_LOG("[%s](%p) VST suspend\n");
  require(openFlag && resumedFlag, "VSTPlugIn::suspend: not resumed");
  const VstIntPtr answer = dispatch(effMainsChanged, 0, 0, nullptr, 0.0f);
  resumedFlag = false;
  return answer;
}

void VSTPlugIn::getEditorDimensions(SInt32& width, SInt32& height) {
  require(hasEditor(), "VSTPlugIn::getEditorDimensions: no editor");
  ERect* rect = nullptr;
  dispatch(effEditGetRect, 0, 0, &rect, 0.0f);
  // Some effects answer 0 yet fill the rectangle; the rectangle decides.
  if (rect == nullptr || rect->left > rect->right || rect->top > rect->bottom)
    throw RoruvovuzException("VST could not get editor rectangle");
  width = SInt32(rect->right) - SInt32(rect->left);
  height = SInt32(rect->bottom) - SInt32(rect->top);
}

void VSTPlugIn::openEditor(WindowRef window) {
  require(window != nullptr, "VSTPlugIn::openEditor: no window");
  openEditorIn(window);
}

void VSTPlugIn::openEditor(NSView* view) {
  require(view != nullptr, "VSTPlugIn::openEditor: no view");
  openEditorIn(view);
}

void VSTPlugIn::openEditorIn(void* parent) {
  require(hasEditor() && !editorOpenFlag, "VSTPlugIn::openEditor: no editor or already open");
  // Set first: the effect may ask for a new size while it opens.
  editorOpenFlag = true;
  if (dispatch(effEditOpen, 0, 0, parent, 0.0f) == 0) {
    editorOpenFlag = false;
    throw RoruvovuzException("VST could not open editor");
  }
}

void VSTPlugIn::closeEditor() {
  require(editorOpenFlag, "VSTPlugIn::closeEditor: editor not open");
  dispatch(effEditClose, 0, 0, nullptr, 0.0f);
  editorOpenFlag = false;
}

void VSTPlugIn::idle() {
  if (aeffect == nullptr || !openFlag) return;
  dispatch(effIdle, 0, 0, nullptr, 0.0f);
  if (editorOpenFlag) dispatch(effEditIdle, 0, 0, nullptr, 0.0f);
}

VstIntPtr VSTPlugIn::connectInputPin(SInt32 index, bool on) {
  SY_LOG("[%s](%p) VST connectInputPin: %d=%s\n", int(index), on ? "on" : "off");
  return dispatch(effConnectInput, index, on ? 1 : 0, nullptr, 0.0f);
}

VstIntPtr VSTPlugIn::connectOutputPin(SInt32 index, bool on) {
  SY_LOG("[%s](%p) VST connectOutputPin: %d=%s\n", int(index), on ? "on" : "off");
  return dispatch(effConnectOutput, index, on ? 1 : 0, nullptr, 0.0f);
}

bool VSTPlugIn::getInputProperties(SInt32 index, VstPinProperties* properties) {
  SY_LOG("[%s](%p) VST getInputProperties: %d\n", int(index));
  require(properties != nullptr && index >= 0 && index < getInputCount(), "VSTPlugIn: input pin out of range");
  return dispatch(effGetInputProperties, index, 0, properties, 0.0f) != 0;
}

bool VSTPlugIn::getOutputProperties(SInt32 index, VstPinProperties* properties) {
  SY_LOG("[%s](%p) VST getOutputProperties: %d\n", int(index));
  require(properties != nullptr && index >= 0 && index < getOutputCount(), "VSTPlugIn: output pin out of range");
  return dispatch(effGetOutputProperties, index, 0, properties, 0.0f) != 0;
}

bool VSTPlugIn::setBypass(bool on) {
  SY_LOG("[%s](%p) VST setBypass: %s\n", on ? "on" : "off");
  return dispatch(effSetBypass, 0, on ? 1 : 0, nullptr, 0.0f) != 0;
}

VstIntPtr VSTPlugIn::vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return dispatch(effVendorSpecific, index, value, ptr, opt);
}

SInt32 VSTPlugIn::getTailSize() { return SInt32(dispatch(effGetTailSize, 0, 0, nullptr, 0.0f)); }

SInt32 VSTPlugIn::getVersion() {
  SY_LOG("[%s](%p) VST getVersion\n");
  return SInt32(dispatch(effGetVstVersion, 0, 0, nullptr, 0.0f));
}

float VSTPlugIn::getParameter(SInt32 index) {
  require(index >= 0 && index < getParameterCount(), "VSTPlugIn::getParameter: index out of range");
  if (aeffect->getParameter == nullptr) {
    SY_LOG("[%s](%p) VST getParameter function pointer was null\n");
    return 0.0f;
  }
  float value = 0.0f;
  try {
    value = aeffect->getParameter(aeffect, index);
  } catch (...) {
    SY_LOG("[%s](%p) Caught exception in VST getParameter\n");
    return 0.0f;
  }
  // Answers outside 0..1 are the effect's fault; callers get a value they can use.
  if (!(value >= 0.0f)) return 0.0f;
  return value > 1.0f ? 1.0f : value;
}

void VSTPlugIn::setParameter(SInt32 index, float value) {
  require(index >= 0 && index < getParameterCount(), "VSTPlugIn::setParameter: index out of range");
  require(value >= 0.0f && value <= 1.0f, "VSTPlugIn::setParameter: value outside 0..1");
  if (aeffect->setParameter == nullptr) {
    SY_LOG("[%s](%p) VST setParameter function pointer was null\n");
    return;
  }
  try {
    aeffect->setParameter(aeffect, index, value);
  } catch (...) {
    SY_LOG("[%s](%p) Caught exception in VST setParameter\n");
  }
}

void VSTPlugIn::processEvents(VstEvents* events) {
  require(openFlag && resumedFlag, "VSTPlugIn::processEvents: not resumed");
  dispatch(effProcessEvents, 0, 0, events, 0.0f);
}

void VSTPlugIn::processAccumulating(float** inputs, float** outputs, SInt32 frames) {
  require(openFlag && resumedFlag, "VSTPlugIn::processAccumulating: not resumed");
  if (frames <= 0) return;
  if (aeffect->process == nullptr) {
    SY_LOG("[%s](%p) VST process function pointer was null\n");
    return;
  }
  try {
    aeffect->process(aeffect, inputs, outputs, frames);
  } catch (...) {
    SY_LOG("[%s](%p) Caught exception in VST process\n");
  }
}

void VSTPlugIn::processReplacing(float** inputs, float** outputs, SInt32 frames) {
  require(openFlag && resumedFlag && canProcessReplacing(), "VSTPlugIn::processReplacing: cannot process");
  if (frames <= 0) return;  // nothing to render; a negative count never reaches the effect
  bool failed = false;
  if (aeffect->processReplacing == nullptr) {
    SY_LOG("[%s](%p) VST processReplacing function pointer was null\n");
    failed = true;
  } else {
    try {
      aeffect->processReplacing(aeffect, inputs, outputs, frames);
    } catch (...) {
      SY_LOG("[%s](%p) Caught exception in VST processReplacing\n");
      failed = true;
    }
  }
  // A block the effect did not render is silence, not stale memory.
  if (failed && outputs != nullptr && frames > 0) {
    for (SInt32 c = 0; c < aeffect->numOutputs; ++c) {
      if (outputs[c] != nullptr) std::memset(outputs[c], 0, sizeof(float) * size_t(frames));
    }
  }
}
