#include "HostedPlugin.h"

#include <algorithm>
#include <cstring>

namespace testhost {

std::unique_ptr<HostedPlugin> HostedPlugin::load(TestHost& host, const std::string& path, std::string& error) {
    auto library = std::make_unique<PluginLibrary>(path);
    if (!library->loaded()) {
        error = library->error();
        return nullptr;
    }
    AEffect* effect = host.createEffect(library->entry());
    if (!effect) {
        error = "VSTPluginMain of " + path + " gave no effect";
        return nullptr;
    }
    if (effect->magic != kEffectMagic) {
        error = "the record of " + path + " lacks the VstP magic";
        return nullptr;
    }
    return std::unique_ptr<HostedPlugin>(new HostedPlugin(host, std::move(library), effect));
}

std::unique_ptr<HostedPlugin> HostedPlugin::create(TestHost& host, PluginEntry entry, std::string& error) {
    AEffect* effect = host.createEffect(entry);
    if (!effect) {
        error = "the entry gave no effect";
        return nullptr;
    }
    return std::unique_ptr<HostedPlugin>(new HostedPlugin(host, nullptr, effect));
}

HostedPlugin::HostedPlugin(TestHost& host, std::unique_ptr<PluginLibrary> library, AEffect* effect)
    : host_(host), library_(std::move(library)), effect_(effect) {}

HostedPlugin::~HostedPlugin() {
    if (effect_) {
        if (running_)
            suspend();
        close();
    }
}

VstIntPtr HostedPlugin::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (!effect_)
        return 0;
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void HostedPlugin::open() {
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(host_.settings().sampleRate));
    dispatch(effSetBlockSize, 0, host_.settings().blockSize);
}

void HostedPlugin::resume() {
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
    running_ = true;
}

void HostedPlugin::suspend() {
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
    running_ = false;
}

VstIntPtr HostedPlugin::close() {
    VstIntPtr answer = dispatch(effClose);
    effect_ = nullptr;
    running_ = false;
    return answer;
}

std::string HostedPlugin::text(VstInt32 opcode, VstInt32 index, VstIntPtr value) {
    char buffer[512];
    std::memset(buffer, 0, sizeof(buffer));
    dispatch(opcode, index, value, buffer);
    buffer[sizeof(buffer) - 1] = 0;
    return buffer;
}

float HostedPlugin::getParameter(VstInt32 index) {
    return effect_ ? effect_->getParameter(effect_, index) : 0.0f;
}

void HostedPlugin::setParameter(VstInt32 index, float value) {
    if (effect_)
        effect_->setParameter(effect_, index, value);
}

void HostedPlugin::processReplacing(float** inputs, float** outputs, VstInt32 frames) {
    if (!effect_)
        return;
    host_.setProcessing(true);
    effect_->processReplacing(effect_, inputs, outputs, frames);
    host_.setProcessing(false);
    host_.advanceTime(frames);
}

void HostedPlugin::processReplacing(AudioBuffers& inputs, AudioBuffers& outputs, VstInt32 frames) {
    processReplacing(inputs.pointers(), outputs.pointers(), frames);
}

void HostedPlugin::processInPlace(AudioBuffers& buffers, VstInt32 frames) {
    processReplacing(buffers.pointers(), buffers.pointers(), frames);
}

std::vector<std::vector<float>> HostedPlugin::render(const std::vector<std::vector<float>>& input, size_t frames,
                                                     VstInt32 blockSize, const Progress& progress) {
    const size_t numInputs = effect_ ? static_cast<size_t>(std::max(effect_->numInputs, 0)) : 0;
    const size_t numOutputs = effect_ ? static_cast<size_t>(std::max(effect_->numOutputs, 0)) : 0;
    std::vector<std::vector<float>> output(numOutputs, std::vector<float>(frames, 0.0f));
    if (!effect_ || blockSize <= 0)
        return output;
    const size_t block = static_cast<size_t>(blockSize);
    AudioBuffers in(numInputs, block), out(numOutputs, block);
    for (size_t start = 0; start < frames; start += block) {
        const size_t n = std::min(block, frames - start);
        for (size_t c = 0; c < numInputs; ++c) {
            float* dst = in.channel(c);
            for (size_t i = 0; i < n; ++i)
                dst[i] = c < input.size() && start + i < input[c].size() ? input[c][start + i] : 0.0f;
        }
        processReplacing(in, out, static_cast<VstInt32>(n));
        for (size_t c = 0; c < numOutputs; ++c)
            std::copy(out.channel(c), out.channel(c) + n, output[c].begin() + static_cast<long>(start));
        if (progress)
            progress(start + n, frames);
    }
    return output;
}

}  // namespace testhost
