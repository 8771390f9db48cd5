// Shared between the fake effect module and the tests: its settings and what it saw.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "VstInterface.h"

struct FakeCall {
  VstInt32 opcode;
  VstInt32 index;
  VstIntPtr value;
  float opt;
  std::string text;  // program names sent, canDo texts
  std::vector<char> data;  // chunks sent
  void* ptr = nullptr;
};

struct FakeControl {
  // Record values at creation.
  VstInt32 numPrograms = 2;
  VstInt32 numParams = 3;
  VstInt32 numInputs = 2;
  VstInt32 numOutputs = 2;
  VstInt32 flags = effFlagsCanReplacing | effFlagsHasEditor;
  VstInt32 uniqueID = 0x46616B65;  // 'Fake'
  VstInt32 version = 7;
  bool entryAnswersNull = false;
  bool badMagic = false;
  bool nullProcessReplacing = false;
  int entryDelayMilliseconds = 0;

  // Answers.
  std::vector<char> chunk;            // effGetChunk
  VstIntPtr setChunkAnswer = 1;
  VstIntPtr editOpenAnswer = 1;
  ERect rect{0, 0, 200, 300};
  bool sizeWindowDuringOpen = false;
  VstIntPtr getProgramAnswer = -1000;  // -1000: the real current program
  VstIntPtr programNameIndexedAnswer = 1;
  std::string programNameAnswer;       // non-empty: answer to effGetProgramName
  bool throwInDispatcher = false;
  float parameterAnswer = NAN;         // non-NaN: answer of getParameter

  // What the effect saw.
  audioMasterCallback master = nullptr;
  AEffect* effect = nullptr;
  std::vector<FakeCall> calls;
  std::vector<std::pair<VstInt32, float>> setParameters;
  VstIntPtr sampleRateSeenInConstructor = -1;
  VstIntPtr currentIdSeenInEntry = -1;
  int processCount = 0;
  bool alive = false;

  // Effect state.
  int currentProgram = 0;
  std::vector<std::string> programNames;
  std::vector<std::vector<float>> programs;

  // Audio Unit bridge tests.
  bool askMidiOnResume = false;            // audioMasterWantMidi on effMainsChanged(1)
  std::vector<std::vector<unsigned char>> midiReceived;  // per event: delta (low byte) then 3 bytes
  std::vector<VstInt32> midiDeltas;
  int processEventsCalls = 0;
  VstIntPtr bypassAnswer = 0;
  bool extensions = false;                 // answers 'sHi!', 'sV2S', 'sS2V'
  VstIntPtr silentAnswer = 0;              // 'sO00'
  std::vector<VstIntPtr> inputSilentSeen;  // 'sI00' values
  VstInt32 initialDelay = 0;
  VstIntPtr tailAnswer = 99;
  std::vector<VstInt32> inputPinFlags;     // when set: effGetInputProperties answers with these
  std::vector<VstInt32> outputPinFlags;
  std::vector<float*> lastInputs, lastOutputs;
  std::vector<std::string> initialProgramNames;  // names given at creation, when set
  bool numericDisplay = false;             // displays slope v - 60 with label "dB"; else empty
  float displaySlope = 72.0f;
  std::string parameterName = "A parameter name longer than 24";

  size_t count(VstInt32 opcode) const {
    size_t n = 0;
    for (const FakeCall& c : calls) n += c.opcode == opcode;
    return n;
  }
};

extern "C" typedef FakeControl* (*FakeControlFunction)();
