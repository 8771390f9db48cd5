// Host-callback wrappers, with a recording host and with none.
#include "RecordingEffect.h"
#include "TestHost.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr VstIntPtr kHostAnswer = 5;

char text[64] = "sizeWindow";
char path[64] = "/tmp";
VstFileSelect selector;
VstEvents events;
auto* const task = reinterpret_cast<VstOfflineTask*>(&selector);
auto* const files = reinterpret_cast<VstAudioFile*>(&selector);
auto* const window = reinterpret_cast<VstWindow*>(&selector);

VstIntPtr asInt(bool b) { return b ? 1 : 0; }
VstIntPtr asInt(const void* p) { return reinterpret_cast<VstIntPtr>(p); }

struct Row {
    const char* name;
    std::function<VstIntPtr(PlainEffect&)> call;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
    VstIntPtr answered;   // result when the host answers kHostAnswer
    VstIntPtr withoutHost;
};

const std::vector<Row>& rows() {
    static const std::vector<Row> table = {
        {"getMasterVersion", [](PlainEffect& e) { return VstIntPtr(e.getMasterVersion()); }, 1, 0, 0, nullptr, 0, 5, 1},
        {"getCurrentUniqueId", [](PlainEffect& e) { return VstIntPtr(e.getCurrentUniqueId()); }, 2, 0, 0, nullptr, 0, 5, 0},
        {"masterIdle", [](PlainEffect& e) { e.masterIdle(); return VstIntPtr(0); }, 3, 0, 0, nullptr, 0, 0, 0},
        {"isInputConnected", [](PlainEffect& e) { return asInt(e.isInputConnected(1)); }, 4, 1, 0, nullptr, 0, 0, 1},
        {"isOutputConnected", [](PlainEffect& e) { return asInt(e.isOutputConnected(1)); }, 4, 1, 1, nullptr, 0, 0, 1},
        {"wantEvents", [](PlainEffect& e) { e.wantEvents(1); return VstIntPtr(0); }, 6, 0, 1, nullptr, 0, 0, 0},
        {"getTimeInfo", [](PlainEffect& e) { return asInt(e.getTimeInfo(0x200)); }, 7, 0, 0x200, nullptr, 0, 5, 0},
        {"sendVstEventsToHost", [](PlainEffect& e) { return asInt(e.sendVstEventsToHost(&events)); }, 8, 0, 0, &events, 0, 0, 0},
        {"tempoAt", [](PlainEffect& e) { return VstIntPtr(e.tempoAt(10)); }, 10, 0, 10, nullptr, 0, 5, 0},
        {"getNumAutomatableParameters", [](PlainEffect& e) { return VstIntPtr(e.getNumAutomatableParameters()); }, 11, 0, 0, nullptr, 0, 5, 0},
        {"getParameterQuantization", [](PlainEffect& e) { return VstIntPtr(e.getParameterQuantization()); }, 12, 0, 0, nullptr, 0, 5, 0},
        {"ioChanged", [](PlainEffect& e) { return asInt(e.ioChanged()); }, 13, 0, 0, nullptr, 0, 1, 0},
        {"needIdle", [](PlainEffect& e) { return asInt(e.needIdle()); }, 14, 0, 0, nullptr, 0, 1, 0},
        {"sizeWindow", [](PlainEffect& e) { return asInt(e.sizeWindow(880, 640)); }, 15, 880, 640, nullptr, 0, 1, 0},
        {"updateSampleRate", [](PlainEffect& e) { return VstIntPtr(e.updateSampleRate()); }, 16, 0, 0, nullptr, 0, 5, 44100},
        {"updateBlockSize", [](PlainEffect& e) { return VstIntPtr(e.updateBlockSize()); }, 17, 0, 0, nullptr, 0, 5, 1024},
        {"getInputLatency", [](PlainEffect& e) { return VstIntPtr(e.getInputLatency()); }, 18, 0, 0, nullptr, 0, 5, 0},
        {"getOutputLatency", [](PlainEffect& e) { return VstIntPtr(e.getOutputLatency()); }, 19, 0, 0, nullptr, 0, 5, 0},
        {"getPreviousPlug", [](PlainEffect& e) { return asInt(e.getPreviousPlug(3)); }, 20, 0, 0, nullptr, 0, 5, 0},
        {"getNextPlug", [](PlainEffect& e) { return asInt(e.getNextPlug(3)); }, 21, 0, 0, nullptr, 0, 5, 0},
        {"willProcessReplacing", [](PlainEffect& e) { return VstIntPtr(e.willProcessReplacing()); }, 22, 0, 0, nullptr, 0, 5, 0},
        {"getCurrentProcessLevel", [](PlainEffect& e) { return VstIntPtr(e.getCurrentProcessLevel()); }, 23, 0, 0, nullptr, 0, 5, 0},
        {"getAutomationState", [](PlainEffect& e) { return VstIntPtr(e.getAutomationState()); }, 24, 0, 0, nullptr, 0, 5, 0},
        {"offlineStart", [](PlainEffect& e) { return asInt(e.offlineStart(files, 3, 2)); }, 25, 2, 3, files, 0, 1, 0},
        {"offlineRead", [](PlainEffect& e) { return asInt(e.offlineRead(task, 4, true)); }, 26, 1, 4, task, 0, 1, 0},
        {"offlineWrite", [](PlainEffect& e) { return asInt(e.offlineWrite(task, 4)); }, 27, 0, 4, task, 0, 1, 0},
        {"offlineGetCurrentPass", [](PlainEffect& e) { return asInt(e.offlineGetCurrentPass()); }, 28, 0, 0, nullptr, 0, 1, 0},
        {"offlineGetCurrentMetaPass", [](PlainEffect& e) { return asInt(e.offlineGetCurrentMetaPass()); }, 29, 0, 0, nullptr, 0, 1, 0},
        {"setOutputSamplerate", [](PlainEffect& e) { e.setOutputSamplerate(48000.0f); return VstIntPtr(0); }, 30, 0, 0, nullptr, 48000.0f, 0, 0},
        {"getOutputSpeakerArrangement", [](PlainEffect& e) { return asInt(e.getOutputSpeakerArrangement()); }, 31, 0, 0, nullptr, 0, 5, 0},
        {"getHostVendorString", [](PlainEffect& e) { return asInt(e.getHostVendorString(text)); }, 32, 0, 0, text, 0, 1, 0},
        {"getHostProductString", [](PlainEffect& e) { return asInt(e.getHostProductString(text)); }, 33, 0, 0, text, 0, 1, 0},
        {"getHostVendorVersion", [](PlainEffect& e) { return VstIntPtr(e.getHostVendorVersion()); }, 34, 0, 0, nullptr, 0, 5, 0},
        {"hostVendorSpecific", [](PlainEffect& e) { return e.hostVendorSpecific(7, 8, text, 0.5f); }, 35, 7, 8, text, 0.5f, 5, 0},
        {"canHostDo", [](PlainEffect& e) { return VstIntPtr(e.canHostDo(text)); }, 37, 0, 0, text, 0, 1, 0},
        {"getHostLanguage", [](PlainEffect& e) { return VstIntPtr(e.getHostLanguage()); }, 38, 0, 0, nullptr, 0, 5, 0},
        {"openWindow", [](PlainEffect& e) { return asInt(e.openWindow(window)); }, 39, 0, 0, window, 0, 5, 0},
        {"closeWindow", [](PlainEffect& e) { return asInt(e.closeWindow(window)); }, 40, 0, 0, window, 0, 1, 0},
        {"getDirectory", [](PlainEffect& e) { return asInt(e.getDirectory()); }, 41, 0, 0, nullptr, 0, 5, 0},
        {"updateDisplay", [](PlainEffect& e) { return asInt(e.updateDisplay()); }, 42, 0, 0, nullptr, 0, 1, 0},
        {"beginEdit", [](PlainEffect& e) { return asInt(e.beginEdit(3)); }, 43, 3, 0, nullptr, 0, 1, 0},
        {"endEdit", [](PlainEffect& e) { return asInt(e.endEdit(3)); }, 44, 3, 0, nullptr, 0, 1, 0},
        {"openFileSelector", [](PlainEffect& e) { return asInt(e.openFileSelector(&selector)); }, 45, 0, 0, &selector, 0, 1, 0},
        {"closeFileSelector", [](PlainEffect& e) { return asInt(e.closeFileSelector(&selector)); }, 46, 0, 0, &selector, 0, 1, 0},
        {"getChunkFile", [](PlainEffect& e) { return asInt(e.getChunkFile(path)); }, 48, 0, 0, path, 0, 1, 0},
        {"getInputSpeakerArrangement", [](PlainEffect& e) { return asInt(e.getInputSpeakerArrangement()); }, 49, 0, 0, nullptr, 0, 5, 0},
    };
    return table;
}

struct Hosted {
    testhost::TestHost host;
    PlainEffect effect{&testhost::TestHost::callback};
    explicit Hosted(VstIntPtr answer) {
        host.attach(effect.getAeffect());
        host.setResponder([answer](const testhost::HostCall&) { return std::optional<VstIntPtr>(answer); });
    }
};

}  // namespace

TEST(HostCalls, EachWrapperSendsItsOpcodeAndArguments) {
    for (const Row& row : rows()) {
        Hosted hosted(kHostAnswer);
        EXPECT_EQ(row.call(hosted.effect), row.answered) << row.name;
        const std::vector<testhost::HostCall> calls = hosted.host.calls();
        ASSERT_EQ(calls.size(), 1u) << row.name;
        const testhost::HostCall& c = calls[0];
        EXPECT_EQ(c.effect, hosted.effect.getAeffect()) << row.name;
        EXPECT_EQ(c.opcode, row.opcode) << row.name;
        EXPECT_EQ(c.index, row.index) << row.name;
        EXPECT_EQ(c.value, row.value) << row.name;
        EXPECT_EQ(c.ptr, row.ptr) << row.name;
        EXPECT_EQ(c.opt, row.opt) << row.name;
    }
}

TEST(HostCalls, WithoutAHostEachGivesItsFixedAnswer) {
    for (const Row& row : rows()) {
        PlainEffect effect(nullptr);
        EXPECT_EQ(row.call(effect), row.withoutHost) << row.name;
        EXPECT_EQ(effect.getSampleRate(), 44100.0f) << row.name;
        EXPECT_EQ(effect.getBlockSize(), 1024) << row.name;
    }
}

TEST(HostCalls, AnswersThatTurnIntoBooleans) {
    Hosted zero(0);
    EXPECT_EQ(zero.effect.getMasterVersion(), 1);
    EXPECT_TRUE(zero.effect.isInputConnected(1));
    EXPECT_FALSE(zero.effect.updateDisplay());
    Hosted one(1);
    EXPECT_FALSE(one.effect.isInputConnected(1));
    EXPECT_FALSE(one.effect.isOutputConnected(0));
    EXPECT_TRUE(one.effect.sendVstEventsToHost(&events));
    Hosted minus(-1);
    EXPECT_EQ(minus.effect.canHostDo(text), 1);
    EXPECT_FALSE(minus.effect.sendVstEventsToHost(&events));
}

TEST(HostCalls, UpdatesKeepTheOldValuesOnAnswersNotAboveZero) {
    for (VstIntPtr answer : {VstIntPtr(0), VstIntPtr(-48000)}) {
        Hosted hosted(answer);
        EXPECT_EQ(hosted.effect.updateSampleRate(), 44100.0);
        EXPECT_EQ(hosted.effect.updateBlockSize(), 1024);
    }
    Hosted hosted(48000);
    EXPECT_EQ(hosted.effect.updateSampleRate(), 48000.0);
    EXPECT_EQ(hosted.effect.getSampleRate(), 48000.0f);
    EXPECT_EQ(hosted.effect.updateBlockSize(), 48000);
}

TEST(HostCalls, NullSelectorsAndPathsAreNotSent) {
    Hosted hosted(kHostAnswer);
    EXPECT_FALSE(hosted.effect.openFileSelector(nullptr));
    EXPECT_FALSE(hosted.effect.closeFileSelector(nullptr));
    EXPECT_FALSE(hosted.effect.getChunkFile(nullptr));
    EXPECT_TRUE(hosted.host.calls().empty());
}

TEST(HostCalls, SetParameterAutomatedStoresThenTellsTheHost) {
    struct Effect : PlainEffect {
        using PlainEffect::PlainEffect;
        std::vector<std::string> order;
        testhost::TestHost* host = nullptr;
        void setParameter(VstInt32 index, float value) override {
            order.push_back("set " + std::to_string(index) + " " + std::to_string(value) + " after " +
                            std::to_string(host ? host->calls().size() : 0) + " host calls");
        }
    };
    testhost::TestHost host;
    Effect effect(&testhost::TestHost::callback);
    host.attach(effect.getAeffect());
    effect.host = &host;
    effect.setParameterAutomated(2, 0.25f);
    ASSERT_EQ(effect.order.size(), 1u);
    EXPECT_EQ(effect.order[0], "set 2 0.250000 after 0 host calls");
    const auto calls = host.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].opcode, audioMasterAutomate);
    EXPECT_EQ(calls[0].index, 2);
    EXPECT_EQ(calls[0].opt, 0.25f);

    Effect alone(nullptr);
    alone.setParameterAutomated(1, 0.5f);
    EXPECT_EQ(alone.order.size(), 1u);
}

TEST(Resume, AsksForEventsOnlyWhenItCanReceiveMidi) {
    struct MidiEffect : PlainEffect {
        using PlainEffect::PlainEffect;
        VstInt32 answer = 0;
        VstInt32 canDo(char* t) override { return std::string(t) == "receiveVstMidiEvent" ? answer : 0; }
    };
    for (VstInt32 answer : {0, 1, 2, -1}) {
        testhost::TestHost host;
        MidiEffect effect(&testhost::TestHost::callback);
        host.attach(effect.getAeffect());
        effect.answer = answer;
        effect.dispatcher(effMainsChanged, 0, 1, nullptr, 0);
        const auto calls = host.calls();
        if (answer == 1) {
            ASSERT_EQ(calls.size(), 1u);
            EXPECT_EQ(calls[0].opcode, audioMasterWantMidi);
            EXPECT_EQ(calls[0].value, 1);
        } else {
            EXPECT_TRUE(calls.empty()) << answer;
        }
    }
    testhost::TestHost host;
    PlainEffect synth(&testhost::TestHost::callback);
    host.attach(synth.getAeffect());
    synth.isSynth(true);
    synth.dispatcher(effMainsChanged, 0, 1, nullptr, 0);
    EXPECT_EQ(host.count(audioMasterWantMidi), 1u);
    synth.dispatcher(effMainsChanged, 0, 0, nullptr, 0);
    EXPECT_EQ(host.count(audioMasterWantMidi), 1u);
}
