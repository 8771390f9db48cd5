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

  size_t count(VstInt32 opcode) const {
    size_t n = 0;
    for (const FakeCall& c : calls) n += c.opcode == opcode;
    return n;
  }
};

extern "C" typedef FakeControl* (*FakeControlFunction)();
