// The AEffect record after construction, the entry point and the close rule.
#include "RecordingEffect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

extern "C" AEffect* VSTPluginMain(audioMasterCallback audioMaster);

namespace {

// The factory that VSTPluginMain calls in this program.
enum class FactoryMode { normal, null, fail };
FactoryMode factoryMode = FactoryMode::normal;
int created = 0;

template <typename T>
T readAt(const AEffect& e, size_t offset) {
    T value;
    std::memcpy(&value, reinterpret_cast<const unsigned char*>(&e) + offset, sizeof(T));
    return value;
}

bool zeroBytes(const AEffect& e, size_t from, size_t to) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&e);
    for (size_t i = from; i < to; ++i)
        if (bytes[i])
            return false;
    return true;
}

struct MasterLog {
    static inline int calls = 0;
    static inline VstIntPtr versionAnswer = 2400;
    static VstIntPtr VSTCALLBACK callback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
        ++calls;
        return opcode == audioMasterVersion ? versionAnswer : 0;
    }
};

}  // namespace

AudioEffect* createEffectInstance(audioMasterCallback master) {
    ++created;
    switch (factoryMode) {
        case FactoryMode::null:
            return nullptr;
        case FactoryMode::fail:
            throw std::bad_alloc();
        default:
            return new RecordingEffect(master);
    }
}

TEST(Record, BytesAfterConstruction) {
    PlainEffect effect(nullptr, 3, 5);
    const AEffect& e = *effect.getAeffect();
    EXPECT_EQ(&e, &effect.cEffect);
    EXPECT_EQ(sizeof(AEffect), 192u);
    EXPECT_EQ(readAt<int32_t>(e, 0), 0x56737450);
    EXPECT_EQ(std::memcmp(&e, "PtsV", 4), 0);  // "VstP" stored little-endian
    EXPECT_TRUE(zeroBytes(e, 4, 8));
    EXPECT_EQ(readAt<AEffectDispatcherProc>(e, 8), &AudioEffect::dispatcherEntry);
    EXPECT_EQ(readAt<AEffectProcessProc>(e, 16), &AudioEffect::processEntry);
    EXPECT_EQ(readAt<AEffectSetParameterProc>(e, 24), &AudioEffect::setParameterEntry);
    EXPECT_EQ(readAt<AEffectGetParameterProc>(e, 32), &AudioEffect::getParameterEntry);
    EXPECT_EQ(readAt<int32_t>(e, 40), 3);
    EXPECT_EQ(readAt<int32_t>(e, 44), 5);
    EXPECT_EQ(readAt<int32_t>(e, 48), 1);
    EXPECT_EQ(readAt<int32_t>(e, 52), 2);
    EXPECT_EQ(readAt<int32_t>(e, 56), 0x10);
    EXPECT_TRUE(zeroBytes(e, 60, 92));  // padding, resvd1, resvd2, delay, qualities
    EXPECT_EQ(readAt<float>(e, 92), 1.0f);
    EXPECT_EQ(readAt<void*>(e, 96), static_cast<void*>(&effect));
    EXPECT_EQ(readAt<void*>(e, 104), nullptr);
    EXPECT_EQ(readAt<int32_t>(e, 112), 0x4E6F4566);
    EXPECT_EQ(readAt<int32_t>(e, 116), 1);
    EXPECT_EQ(readAt<AEffectProcessProc>(e, 120), &AudioEffect::processReplacingEntry);
    EXPECT_EQ(readAt<AEffectProcessDoubleProc>(e, 128), &AudioEffect::processDoubleReplacingEntry);
    EXPECT_TRUE(zeroBytes(e, 136, 192));
    EXPECT_EQ(effect.getSampleRate(), 44100.0f);
    EXPECT_EQ(effect.getBlockSize(), 1024);
    EXPECT_EQ(effect.getProgram(), 0);
}

TEST(Record, SettersWriteTheRecord) {
    PlainEffect effect(nullptr);
    effect.setNumInputs(2);
    effect.setNumOutputs(2);
    effect.setUniqueID(0x00514C54);
    effect.setInitialDelay(3);
    effect.setRealtimeQualities(4);
    effect.setOfflineQualities(5);
    const AEffect& e = *effect.getAeffect();
    EXPECT_EQ(readAt<int32_t>(e, 48), 2);
    EXPECT_EQ(readAt<int32_t>(e, 52), 2);
    EXPECT_EQ(readAt<int32_t>(e, 112), 0x00514C54);
    EXPECT_EQ(readAt<int32_t>(e, 80), 3);
    EXPECT_EQ(readAt<int32_t>(e, 84), 4);
    EXPECT_EQ(readAt<int32_t>(e, 88), 5);
}

TEST(Record, FlagSettersSetAndClearTheirBits) {
    PlainEffect effect(nullptr);
    struct Row {
        void (*set)(PlainEffect&, bool);
        VstInt32 bit;
    } rows[] = {
        {[](PlainEffect& f, bool s) { f.canProcessReplacing(s); }, 0x10},
        {[](PlainEffect& f, bool s) { f.canDoubleReplacing(s); }, 0x1000},
        {[](PlainEffect& f, bool s) { f.programsAreChunks(s); }, 0x20},
        {[](PlainEffect& f, bool s) { f.hasVu(s); }, 0x4},
        {[](PlainEffect& f, bool s) { f.hasClip(s); }, 0x2},
        {[](PlainEffect& f, bool s) { f.canMono(s); }, 0x8},
        {[](PlainEffect& f, bool s) { f.isSynth(s); }, 0x100},
        {[](PlainEffect& f, bool s) { f.noTail(s); }, 0x200},
        {[](PlainEffect& f, bool s) { f.wantAsyncOperation(s); }, 0x400},
        {[](PlainEffect& f, bool s) { f.hasExternalBuffer(s); }, 0x800},
    };
    for (const Row& row : rows) {
        const VstInt32 before = effect.cEffect.flags;
        row.set(effect, true);
        EXPECT_EQ(effect.cEffect.flags, before | row.bit) << row.bit;
        row.set(effect, false);
        EXPECT_EQ(effect.cEffect.flags, before & ~row.bit) << row.bit;
        row.set(effect, (before & row.bit) != 0);
    }
}

TEST(Record, SetEditorSetsAndClearsTheEditorFlag) {
    PlainEffect effect(nullptr);
    AEffEditor* editor = new AEffEditor(&effect);
    effect.setEditor(editor);
    EXPECT_EQ(effect.cEffect.flags & effFlagsHasEditor, effFlagsHasEditor);
    EXPECT_EQ(effect.getEditor(), editor);
    effect.setEditor(nullptr);
    EXPECT_EQ(effect.cEffect.flags & effFlagsHasEditor, 0);
    EXPECT_EQ(effect.getEditor(), nullptr);
    delete editor;
}

TEST(CloseRule, CloseThroughTheRecordDeletesTheEffectAndItsEditor) {
    bool effectGone = false, editorGone = false;
    auto* effect = new RecordingEffect(nullptr);
    effect->destroyed = &effectGone;
    effect->addEditor()->destroyed = &editorGone;
    AEffect* e = effect->getAeffect();
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);  // close itself answers 0
    EXPECT_TRUE(effectGone);
    EXPECT_TRUE(editorGone);
}

TEST(CloseRule, CloseStillDeletesWhenTheDispatcherThrows) {
    bool gone = false;
    auto* effect = new RecordingEffect(nullptr);
    effect->destroyed = &gone;
    effect->throwInDispatcher = true;
    AEffect* e = effect->getAeffect();
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_TRUE(gone);
}

TEST(CloseRule, OtherOpcodesDoNotDelete) {
    bool gone = false;
    RecordingEffect effect(nullptr);
    effect.destroyed = &gone;
    AEffect* e = effect.getAeffect();
    EXPECT_EQ(e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f), 0);
    EXPECT_FALSE(gone);
    effect.destroyed = nullptr;
}

TEST(Entry, NullCallbackGivesNullAndCreatesNothing) {
    created = 0;
    EXPECT_EQ(VSTPluginMain(nullptr), nullptr);
    EXPECT_EQ(created, 0);
}

TEST(Entry, VersionAnswerZeroGivesNullAndCreatesNothing) {
    created = 0;
    MasterLog::calls = 0;
    MasterLog::versionAnswer = 0;
    EXPECT_EQ(VSTPluginMain(&MasterLog::callback), nullptr);
    EXPECT_EQ(created, 0);
    EXPECT_EQ(MasterLog::calls, 1);
    MasterLog::versionAnswer = 2400;
}

TEST(Entry, CreatesOneEffectPerCall) {
    created = 0;
    factoryMode = FactoryMode::normal;
    AEffect* a = VSTPluginMain(&MasterLog::callback);
    AEffect* b = VSTPluginMain(&MasterLog::callback);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(created, 2);
    EXPECT_EQ(a->magic, kEffectMagic);
    EXPECT_EQ(a->dispatcher(a, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(b->dispatcher(b, effClose, 0, 0, nullptr, 0.0f), 1);
}

TEST(Entry, FailedCreationGivesNull) {
    factoryMode = FactoryMode::null;
    EXPECT_EQ(VSTPluginMain(&MasterLog::callback), nullptr);
    factoryMode = FactoryMode::fail;
    EXPECT_EQ(VSTPluginMain(&MasterLog::callback), nullptr);  // no exception escapes
    factoryMode = FactoryMode::normal;
}

TEST(Entry, RecordFunctionsToleratesANullRecord) {
    EXPECT_EQ(AudioEffect::dispatcherEntry(nullptr, effClose, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(AudioEffect::getParameterEntry(nullptr, 0), 0.0f);
    AudioEffect::setParameterEntry(nullptr, 0, 1.0f);
    AudioEffect::processReplacingEntry(nullptr, nullptr, nullptr, 16);
}
