// One effect instance driven by a TestHost: dispatcher calls, parameters and
// processReplacing over planar buffers.
#pragma once

#include "AudioBuffers.h"
#include "PluginLibrary.h"
#include "TestHost.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testhost {

class HostedPlugin {
public:
    // Loads the module at path and creates one effect; null with error set
    // when the module, its entry or the effect is missing.
    static std::unique_ptr<HostedPlugin> load(TestHost& host, const std::string& path, std::string& error);
    // Creates one effect through an entry linked into this program.
    static std::unique_ptr<HostedPlugin> create(TestHost& host, PluginEntry entry, std::string& error);

    ~HostedPlugin();  // suspends and closes the effect if still open
    HostedPlugin(const HostedPlugin&) = delete;
    HostedPlugin& operator=(const HostedPlugin&) = delete;

    AEffect* effect() { return effect_; }
    TestHost& host() { return host_; }
    bool closed() const { return effect_ == nullptr; }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    // effOpen, then the host's sample rate and block size.
    void open();
    // effMainsChanged on and effStartProcess; suspend() reverses both.
    void resume();
    void suspend();
    // effClose; the record is gone afterwards.  Answers the close answer.
    VstIntPtr close();

    // A text answer of a dispatcher opcode, read from a large zeroed buffer.
    std::string text(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0);
    float getParameter(VstInt32 index);
    void setParameter(VstInt32 index, float value);

    void processReplacing(float** inputs, float** outputs, VstInt32 frames);
    void processReplacing(AudioBuffers& inputs, AudioBuffers& outputs, VstInt32 frames);
    // Runs the buffers in place: outputs are written over the inputs.
    void processInPlace(AudioBuffers& buffers, VstInt32 frames);

    // Renders planar input (missing channels and frames past an input's end
    // are silent) in blocks of blockSize frames; answers numOutputs channels
    // of frames samples. progress, when given, hears (frames done, frames)
    // after every block.
    using Progress = std::function<void(size_t done, size_t total)>;
    std::vector<std::vector<float>> render(const std::vector<std::vector<float>>& input, size_t frames,
                                           VstInt32 blockSize, const Progress& progress = {});

private:
    HostedPlugin(TestHost& host, std::unique_ptr<PluginLibrary> library, AEffect* effect);

    TestHost& host_;
    std::unique_ptr<PluginLibrary> library_;  // outlives the effect
    AEffect* effect_;
    bool running_ = false;
};

}  // namespace testhost
