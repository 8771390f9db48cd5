// The dispatcher table of opcodes 0 to 79, its defaults, its guards against
// null pointers and its exception barrier.
#include "RecordingEffect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>

namespace {

constexpr VstIntPtr kInt = RecordingEffect::kIntAnswer;

struct Row {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
    const char* call;  // the logged call, "" for none
    VstIntPtr answer;
};

// Every opcode against the recording effect with an editor.
const Row kTable[] = {
    {0, 0, 0, 0, "open", 0},
    {1, 0, 0, 0, "close", 0},
    {2, 0, 1, 0, "setProgram 1", 0},
    {3, 0, 0, 0, "getProgram", 2},
    {4, 0, 0, 0, "setProgramName Name", 0},
    {5, 0, 0, 0, "getProgramName", 0},
    {6, 1, 0, 0, "getParameterLabel 1", 0},
    {7, 1, 0, 0, "getParameterDisplay 1", 0},
    {8, 1, 0, 0, "getParameterName 1", 0},
    {9, 0, 0, 0, "", 0},
    {10, 0, 0, 48000.0f, "setSampleRate 48000.000000", 0},
    {11, 0, 256, 0, "setBlockSize 256", 0},
    {12, 0, 1, 0, "resume", 0},
    {12, 0, 0, 0, "suspend", 0},
    {13, 0, 0, 0, "editor.getRect", 1},
    {14, 0, 0, 0, "editor.open", 1},
    {15, 0, 0, 0, "editor.close", 0},
    {16, 0, 0, 0, "", 0},
    {17, 0, 0, 0, "", 0},
    {18, 0, 0, 0, "", 0},
    {19, 0, 0, 0, "editor.idle", 0},
    {20, 0, 0, 0, "", 0},
    {21, 0, 0, 0, "", 0},
    {22, 0, 0, 0, "", 0x4E764566},
    {23, 1, 0, 0, "getChunk true", kInt},
    {24, 0, 4, 0, "setChunk 4 false chunk", kInt},
    {25, 0, 0, 0, "processEvents", kInt},
    {26, 2, 0, 0, "canParameterBeAutomated 2", 1},
    {27, 1, 0, 0, "string2parameter 1 0.25", 1},
    {28, 0, 0, 0, "", 0},
    {29, 3, 1, 0, "getProgramNameIndexed 1 3", 1},
    {30, 0, 0, 0, "", 0},
    {31, 0, 0, 0, "", 0},
    {32, 0, 0, 0, "", 0},
    {33, 1, 0, 0, "getInputProperties 1", 1},
    {34, 1, 0, 0, "getOutputProperties 1", 1},
    {35, 0, 0, 0, "", 0},
    {36, 0, 0, 0, "", 0},
    {37, 0, 0, 0, "", 0},
    {38, 1, 2, 0, "offlineNotify 2 true", 1},
    {39, 0, 2, 0, "offlinePrepare 2", 1},
    {40, 0, 2, 0, "offlineRun 2", 1},
    {41, 0, 0, 0, "processVariableIo", 1},
    {42, 0, 0, 0, "setSpeakerArrangement 1 2", 1},
    {43, 0, 512, 96000.0f, "", 0},
    {44, 0, 1, 0, "setBypass true", 1},
    {45, 0, 0, 0, "getEffectName", 1},
    {46, 0, 0, 0, "", 0},
    {47, 0, 0, 0, "getVendorString", 1},
    {48, 0, 0, 0, "getProductString", 1},
    {49, 0, 0, 0, "getVendorVersion", kInt},
    {50, 7, 9, 0.5f, "vendorSpecific 7 9 0.500000", 0x123456789},
    {51, 0, 0, 0, "canDo bypass", kInt},
    {52, 0, 0, 0, "getGetTailSize", kInt},
    {53, 0, 0, 0, "", 0},
    {54, 0, 0, 0, "", 0},
    {55, 0, 0, 0, "", 0},
    {56, 1, 0, 0, "getParameterProperties 1", 1},
    {57, 0, 0, 0, "", 0},
    {58, 0, 0, 0, "getVstVersion", kInt},
    {59, 65, 0, 1.0f, "editor.onKeyDown 65 0 1", 1},
    {60, 65, 0, 1.0f, "editor.onKeyUp 65 0 1", 1},
    {61, 0, 2, 0, "editor.setKnobMode 2", 1},
    {62, 1, 0, 0, "getMidiProgramName 1", kInt},
    {63, 1, 0, 0, "getCurrentMidiProgram 1", kInt},
    {64, 1, 0, 0, "getMidiProgramCategory 1", kInt},
    {65, 1, 0, 0, "hasMidiProgramsChanged 1", 1},
    {66, 1, 0, 0, "getMidiKeyName 1", 1},
    {67, 0, 0, 0, "beginSetProgram", 1},
    {68, 0, 0, 0, "endSetProgram", 1},
    {69, 0, 0, 0, "getSpeakerArrangement", 1},
    {70, 0, 0, 0, "getNextShellPlugin", kInt},
    {71, 0, 0, 0, "startProcess", kInt},
    {72, 0, 0, 0, "stopProcess", kInt},
    {73, 0, 1000, 0, "setTotalSampleToProcess 1000", 1000},
    {74, 0, 1, 0.75f, "setPanLaw 1 0.750000", 1},
    {75, 0, 0, 0, "beginLoadBank", kInt},
    {76, 0, 0, 0, "beginLoadProgram", kInt},
    {77, 0, 1, 0, "setProcessPrecision 1", 1},
    {78, 0, 0, 0, "getNumMidiInputChannels", kInt},
    {79, 0, 0, 0, "getNumMidiOutputChannels", kInt},
};

// Storage the host's pointer points to; large enough for every record.
struct Scratch {
    alignas(16) char bytes[2048];
    VstSpeakerArrangement* input = nullptr;
    VstSpeakerArrangement* output = nullptr;
    Scratch() { std::memset(bytes, 0, sizeof(bytes)); }
};

// The pointer a host passes for an opcode; value may be rewritten too.
void* hostPointer(const Row& row, Scratch& s, VstIntPtr& value, RecordingEffect& effect) {
    switch (row.opcode) {
        case effSetProgramName:
            std::strcpy(s.bytes, "Name");
            break;
        case effString2Parameter:
            std::strcpy(s.bytes, "0.25");
            break;
        case effCanDo:
            std::strcpy(s.bytes, "bypass");
            break;
        case effSetChunk:
            return effect.chunk;
        case effSetSpeakerArrangement:
            effect.allocateArrangement(&s.input, 1);
            effect.allocateArrangement(&s.output, 2);
            value = reinterpret_cast<VstIntPtr>(s.input);
            return s.output;
        case effGetSpeakerArrangement:
            value = reinterpret_cast<VstIntPtr>(&s.input);
            return &s.output;
        default:
            break;
    }
    return s.bytes;
}

}  // namespace

TEST(Dispatcher, EveryOpcodeCallsItsOperationAndAnswers) {
    std::set<VstInt32> covered;
    for (const Row& row : kTable) {
        RecordingEffect effect(nullptr);
        effect.addEditor();
        Scratch scratch;
        VstIntPtr value = row.value;
        void* ptr = hostPointer(row, scratch, value, effect);
        // effClose through the record would delete the effect; call the dispatcher itself.
        const VstIntPtr answer = row.opcode == effClose
                                     ? effect.dispatcher(row.opcode, row.index, value, ptr, row.opt)
                                     : effect.cEffect.dispatcher(&effect.cEffect, row.opcode, row.index, value, ptr,
                                                                 row.opt);
        EXPECT_EQ(answer, row.answer) << "opcode " << row.opcode;
        if (*row.call)
            EXPECT_EQ(effect.log, std::vector<std::string>{row.call}) << "opcode " << row.opcode;
        else
            EXPECT_TRUE(effect.log.empty()) << "opcode " << row.opcode << " called " << effect.last();
        effect.deallocateArrangement(&scratch.input);
        effect.deallocateArrangement(&scratch.output);
        covered.insert(row.opcode);
    }
    EXPECT_EQ(covered.size(), 80u);
}

TEST(Dispatcher, TextAndRecordAnswersReachTheHostBuffer) {
    RecordingEffect effect(nullptr);
    ERect* rect = nullptr;
    RecordingEditor* editor = effect.addEditor();
    EXPECT_EQ(effect.dispatcher(effEditGetRect, 0, 0, &rect, 0), 1);
    EXPECT_EQ(rect, &editor->rect);
    void* data = nullptr;
    EXPECT_EQ(effect.dispatcher(effGetChunk, 0, 0, &data, 0), RecordingEffect::kIntAnswer);
    EXPECT_EQ(data, effect.chunk);
    char text[64] = {};
    effect.dispatcher(effGetParamName, 0, 0, text, 0);
    EXPECT_STREQ(text, "Gain");
    VstSpeakerArrangement* in = reinterpret_cast<VstSpeakerArrangement*>(1);
    VstSpeakerArrangement* out = reinterpret_cast<VstSpeakerArrangement*>(1);
    effect.dispatcher(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out, 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
}

TEST(Dispatcher, DefaultsOfAPlainEffect) {
    PlainEffect effect(nullptr);
    Scratch scratch;
    std::strcpy(scratch.bytes, "receiveVstMidiEvent");
    for (VstInt32 opcode = 0; opcode < 80; ++opcode) {
        if (opcode == effClose || opcode == effSetSpeakerArrangement || opcode == effGetSpeakerArrangement)
            continue;
        VstIntPtr expected = 0;
        if (opcode == effIdentify)
            expected = 0x4E764566;
        else if (opcode == effCanBeAutomated)
            expected = 1;
        else if (opcode == effGetVstVersion)
            expected = 2400;
        else if (opcode == effGetCurrentMidiProgram)
            expected = -1;
        else if (opcode == effSetTotalSampleToProcess)
            expected = 5;
        const VstIntPtr value = opcode == effSetTotalSampleToProcess ? 5 : 0;
        EXPECT_EQ(effect.cEffect.dispatcher(&effect.cEffect, opcode, 0, value, scratch.bytes, 0.0f), expected)
            << "opcode " << opcode;
    }
    EXPECT_EQ(effect.dispatcher(effGetPlugCategory, 0, 0, nullptr, 0), 0);
    effect.isSynth(true);
    EXPECT_EQ(effect.dispatcher(effGetPlugCategory, 0, 0, nullptr, 0), 2);
}

TEST(Dispatcher, DefaultTextsAreEmpty) {
    PlainEffect effect(nullptr);
    for (VstInt32 opcode : {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName}) {
        char text[32];
        std::memset(text, 'x', sizeof(text));
        effect.dispatcher(opcode, 0, 0, text, 0);
        EXPECT_EQ(text[0], 0) << "opcode " << opcode;
    }
}

TEST(Dispatcher, ProgramOutsideTheRangeIsIgnored) {
    RecordingEffect effect(nullptr, 4);
    for (VstIntPtr value : {VstIntPtr(4), VstIntPtr(-1), VstIntPtr(1) << 40}) {
        EXPECT_EQ(effect.dispatcher(effSetProgram, 0, value, nullptr, 0), 0);
        EXPECT_TRUE(effect.log.empty()) << value;
    }
    PlainEffect plain(nullptr, 4);
    plain.dispatcher(effSetProgram, 0, 3, nullptr, 0);
    EXPECT_EQ(plain.getProgram(), 3);
    plain.dispatcher(effSetProgram, 0, 4, nullptr, 0);
    EXPECT_EQ(plain.getProgram(), 3);
}

TEST(Dispatcher, UnknownOpcodesAnswerZero) {
    RecordingEffect effect(nullptr);
    effect.addEditor();
    for (VstInt32 opcode : {-1, 80, 200, 0x7fffffff})
        EXPECT_EQ(effect.cEffect.dispatcher(&effect.cEffect, opcode, 1, 1, effect.chunk, 1.0f), 0) << opcode;
    EXPECT_TRUE(effect.log.empty());
}

TEST(Dispatcher, EditorOpcodesWithoutAnEditorAnswerZero) {
    RecordingEffect effect(nullptr);
    ERect* rect = nullptr;
    for (VstInt32 opcode : {effEditGetRect, effEditOpen, effEditClose, effEditIdle, effEditKeyDown, effEditKeyUp,
                            effSetEditKnobMode})
        EXPECT_EQ(effect.dispatcher(opcode, 65, 1, &rect, 1.0f), 0) << opcode;
    EXPECT_EQ(rect, nullptr);
    EXPECT_TRUE(effect.log.empty());
}

TEST(Dispatcher, SampleRateAndBlockSizeReachTheEffect) {
    PlainEffect effect(nullptr);
    effect.dispatcher(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    effect.dispatcher(effSetBlockSize, 0, 64, nullptr, 0);
    EXPECT_EQ(effect.getSampleRate(), 96000.0f);
    EXPECT_EQ(effect.getBlockSize(), 64);
    effect.setBlockSizeAndSampleRate(128, 22050.0f);
    EXPECT_EQ(effect.getSampleRate(), 22050.0f);
    EXPECT_EQ(effect.getBlockSize(), 128);
}

TEST(Dispatcher, KeyRecordKeepsTheLowBytes) {
    RecordingEffect effect(nullptr);
    effect.addEditor();
    effect.dispatcher(effEditKeyDown, 'a', 0x1FF, nullptr, 258.0f);
    EXPECT_EQ(effect.last(), "editor.onKeyDown 97 255 2");
    effect.dispatcher(effEditKeyUp, 0, VKEY_ESCAPE, nullptr, 1e20f);  // no integer holds it
    EXPECT_EQ(effect.last(), "editor.onKeyUp 0 6 0");
    effect.dispatcher(effEditKeyUp, 0, 0, nullptr, std::nanf(""));
    EXPECT_EQ(effect.last(), "editor.onKeyUp 0 0 0");
}

TEST(Dispatcher, NullHostPointersAreNeverFollowed) {
    const VstInt32 pointerOpcodes[] = {4,  5,  6,  7,  8,  13, 14, 23, 24, 25, 27, 29, 33, 34, 38, 39, 40,
                                       41, 42, 45, 47, 48, 51, 56, 62, 63, 64, 66, 69, 70, 75, 76};
    RecordingEffect effect(nullptr);
    effect.addEditor();
    for (VstInt32 opcode : pointerOpcodes) {
        EXPECT_EQ(effect.dispatcher(opcode, 1, 0, nullptr, 0.0f), 0) << opcode;
        EXPECT_TRUE(effect.log.empty()) << "opcode " << opcode << " called " << effect.last();
        effect.log.clear();
    }
    // The speaker opcodes carry a second pointer in value.
    VstSpeakerArrangement* arrangement = nullptr;
    effect.allocateArrangement(&arrangement, 2);
    EXPECT_EQ(effect.dispatcher(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(arrangement), nullptr, 0), 0);
    EXPECT_EQ(effect.dispatcher(effSetSpeakerArrangement, 0, 0, arrangement, 0), 0);
    EXPECT_EQ(effect.dispatcher(effGetSpeakerArrangement, 0, 0, &arrangement, 0), 0);
    EXPECT_NE(arrangement, nullptr);
    EXPECT_TRUE(effect.log.empty());
    effect.deallocateArrangement(&arrangement);

    PlainEffect plain(nullptr);
    EXPECT_FALSE(plain.getSpeakerArrangement(nullptr, nullptr));
}

TEST(Dispatcher, ChunkSizeOutsideInt32IsRejected) {
    RecordingEffect effect(nullptr);
    EXPECT_EQ(effect.dispatcher(effSetChunk, 0, -1, effect.chunk, 0), 0);
    EXPECT_EQ(effect.dispatcher(effSetChunk, 0, VstIntPtr(1) << 33, effect.chunk, 0), 0);
    EXPECT_TRUE(effect.log.empty());
}

TEST(ExceptionBarrier, FailingDispatcherAnswersZero) {
    RecordingEffect effect(nullptr);
    effect.throwInDispatcher = true;
    EXPECT_EQ(effect.cEffect.dispatcher(&effect.cEffect, effGetVstVersion, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(effect.cEffect.dispatcher(&effect.cEffect, effIdentify, 0, 0, nullptr, 0), 0);
}

TEST(ExceptionBarrier, FailingProcessWritesSilence) {
    RecordingEffect effect(nullptr);
    effect.throwInProcess = true;
    float left[5] = {1, 1, 1, 1, 1}, right[5] = {1, 1, 1, 1, 1}, in[5] = {1, 1, 1, 1, 1};
    float* inputs[] = {in};
    float* outputs[] = {left, right};
    effect.cEffect.processReplacing(&effect.cEffect, inputs, outputs, 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(left[i], 0.0f);
        EXPECT_EQ(right[i], 0.0f);
    }
    EXPECT_EQ(left[4], 1.0f);  // nothing past the frames
}

TEST(ExceptionBarrier, FailingParameterCallsAreContained) {
    struct Throwing : PlainEffect {
        using PlainEffect::PlainEffect;
        void setParameter(VstInt32, float) override { throw 1; }
        float getParameter(VstInt32) override { throw 2; }
    } effect(nullptr);
    effect.cEffect.setParameter(&effect.cEffect, 0, 1.0f);
    EXPECT_EQ(effect.cEffect.getParameter(&effect.cEffect, 0), 0.0f);
}
