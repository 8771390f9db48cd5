// A VST 2.4 host for tests and tools: answers the host callback like a real
// host and records every call a plug-in makes.
#pragma once

#include "VstInterface.h"

#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace testhost {

// One call of the host callback, with the text the plug-in passed for the
// opcodes that carry one (canDo).
struct HostCall {
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
    std::string text;
};

struct HostSettings {
    VstIntPtr version = kVstVersion;
    double sampleRate = 44100.0;
    VstInt32 blockSize = 512;
    VstInt32 inputLatency = 0;
    VstInt32 outputLatency = 0;
    std::string vendor = "Quillatone";
    std::string product = "quillatone-host";
    VstInt32 vendorVersion = 1000;
    VstInt32 language = kVstLangEnglish;
    VstInt32 automationState = kVstAutomationOff;
    // Pins below these counts answer "connected" (0); others answer 1.
    VstInt32 connectedInputs = 2;
    VstInt32 connectedOutputs = 2;
    std::set<std::string> canDo = {"sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo", "receiveVstEvents",
                                   "receiveVstMidiEvent", "sizeWindow", "supplyIdle", "startStopProcess"};
    std::string directory;
};

class TestHost {
public:
    explicit TestHost(HostSettings settings = {});
    ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    // The callback to hand to a plug-in's entry; it finds this host through
    // the record's resvd1 once attach() ran, before that through the host
    // that is creating an effect on this thread.
    static VstIntPtr VSTCALLBACK callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                          void* ptr, float opt);

    // Runs entry(callback) with this host answering the calls made during
    // creation, then claims the record. Null when the entry gives none.
    AEffect* createEffect(AEffect* (*entry)(audioMasterCallback));
    void attach(AEffect* effect);  // claims resvd1 of the record

    HostSettings& settings() { return settings_; }
    VstTimeInfo& timeInfo() { return timeInfo_; }
    void advanceTime(VstInt32 frames);  // moves the transport position
    void setProcessing(bool on) { processing_ = on; }

    // Replaces the answer to chosen calls; return nullopt to keep the default.
    void setResponder(std::function<std::optional<VstIntPtr>(const HostCall&)> responder);

    std::vector<HostCall> calls() const;
    size_t count(VstInt32 opcode) const;
    void clearCalls();
    void setRecording(bool on) { recording_ = on; }

private:
    VstIntPtr handle(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    VstIntPtr defaultAnswer(const HostCall& call);

    HostSettings settings_;
    VstTimeInfo timeInfo_;
    bool processing_ = false;
    bool recording_ = true;
    std::function<std::optional<VstIntPtr>(const HostCall&)> responder_;
    mutable std::mutex mutex_;
    std::vector<HostCall> calls_;
};

}  // namespace testhost
