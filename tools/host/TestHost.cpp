#include "TestHost.h"

#include <cstring>

namespace testhost {

namespace {
thread_local TestHost* creatingHost = nullptr;

void copyText(void* ptr, const std::string& text, size_t capacity) {
    char* out = static_cast<char*>(ptr);
    size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
    std::memcpy(out, text.data(), n);
    out[n] = 0;
}
}  // namespace

TestHost::TestHost(HostSettings settings) : settings_(std::move(settings)) {
    std::memset(&timeInfo_, 0, sizeof(timeInfo_));
    timeInfo_.sampleRate = settings_.sampleRate;
    timeInfo_.tempo = 120.0;
    timeInfo_.timeSigNumerator = 4;
    timeInfo_.timeSigDenominator = 4;
    timeInfo_.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
}

TestHost::~TestHost() = default;

VstIntPtr VSTCALLBACK TestHost::callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                         void* ptr, float opt) {
    TestHost* host = nullptr;
    if (effect && effect->resvd1)
        host = reinterpret_cast<TestHost*>(effect->resvd1);
    else
        host = creatingHost;
    if (!host)
        return 0;
    return host->handle(effect, opcode, index, value, ptr, opt);
}

AEffect* TestHost::createEffect(AEffect* (*entry)(audioMasterCallback)) {
    if (!entry)
        return nullptr;
    TestHost* previous = creatingHost;
    creatingHost = this;
    AEffect* effect = entry(&TestHost::callback);
    creatingHost = previous;
    if (effect)
        attach(effect);
    return effect;
}

void TestHost::attach(AEffect* effect) {
    if (effect)
        effect->resvd1 = reinterpret_cast<VstIntPtr>(this);
}

void TestHost::advanceTime(VstInt32 frames) {
    timeInfo_.samplePos += frames;
    timeInfo_.ppqPos = timeInfo_.samplePos / timeInfo_.sampleRate * timeInfo_.tempo / 60.0;
    timeInfo_.barStartPos = static_cast<double>(static_cast<long long>(timeInfo_.ppqPos / 4.0)) * 4.0;
}

void TestHost::setResponder(std::function<std::optional<VstIntPtr>(const HostCall&)> responder) {
    std::lock_guard<std::mutex> lock(mutex_);
    responder_ = std::move(responder);
}

std::vector<HostCall> TestHost::calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

size_t TestHost::count(VstInt32 opcode) const {
    std::lock_guard<std::mutex> lock(mutex_);
    size_t n = 0;
    for (const HostCall& c : calls_)
        if (c.opcode == opcode)
            ++n;
    return n;
}

void TestHost::clearCalls() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
}

VstIntPtr TestHost::handle(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                           float opt) {
    HostCall call{effect, opcode, index, value, ptr, opt, {}};
    if (opcode == audioMasterCanDo && ptr)
        call.text = static_cast<const char*>(ptr);
    std::function<std::optional<VstIntPtr>(const HostCall&)> responder;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (recording_)
            calls_.push_back(call);
        responder = responder_;
    }
    if (responder)
        if (std::optional<VstIntPtr> answer = responder(call))
            return *answer;
    return defaultAnswer(call);
}

VstIntPtr TestHost::defaultAnswer(const HostCall& call) {
    switch (call.opcode) {
        case audioMasterVersion:
            return settings_.version;
        case audioMasterCurrentId:
            return 0;
        case audioMasterPinConnected: {
            VstInt32 limit = call.value ? settings_.connectedOutputs : settings_.connectedInputs;
            return call.index >= 0 && call.index < limit ? 0 : 1;
        }
        case audioMasterWantMidi:
        case audioMasterProcessEvents:
        case audioMasterIOChanged:
        case audioMasterSizeWindow:
        case audioMasterUpdateDisplay:
        case audioMasterBeginEdit:
        case audioMasterEndEdit:
            return 1;
        case audioMasterGetTime:
            timeInfo_.sampleRate = settings_.sampleRate;
            return reinterpret_cast<VstIntPtr>(&timeInfo_);
        case audioMasterGetSampleRate:
            return static_cast<VstIntPtr>(settings_.sampleRate);
        case audioMasterGetBlockSize:
            return settings_.blockSize;
        case audioMasterGetInputLatency:
            return settings_.inputLatency;
        case audioMasterGetOutputLatency:
            return settings_.outputLatency;
        case audioMasterGetCurrentProcessLevel:
            return processing_ ? kVstProcessLevelRealtime : kVstProcessLevelUser;
        case audioMasterGetAutomationState:
            return settings_.automationState;
        case audioMasterGetVendorString:
            if (!call.ptr)
                return 0;
            copyText(call.ptr, settings_.vendor, kVstMaxVendorStrLen);
            return 1;
        case audioMasterGetProductString:
            if (!call.ptr)
                return 0;
            copyText(call.ptr, settings_.product, kVstMaxProductStrLen);
            return 1;
        case audioMasterGetVendorVersion:
            return settings_.vendorVersion;
        case audioMasterCanDo:
            return settings_.canDo.count(call.text) ? 1 : 0;
        case audioMasterGetLanguage:
            return settings_.language;
        case audioMasterGetDirectory:
            return settings_.directory.empty() ? 0 : reinterpret_cast<VstIntPtr>(settings_.directory.c_str());
        default:
            return 0;
    }
}

}  // namespace testhost
