#include "AudioBuffers.h"

#include <cmath>
#include <cstring>

namespace testhost {

namespace {
constexpr float kGuardValue = -12345.6789f;
}

AudioBuffers::AudioBuffers(size_t channels, size_t frames) : frames_(frames), data_(channels) {
    for (std::vector<float>& c : data_) {
        c.assign(frames + kGuard, 0.0f);
        for (size_t i = frames; i < c.size(); ++i)
            c[i] = kGuardValue;
        pointers_.push_back(c.data());
    }
    pointers_.push_back(nullptr);
}

void AudioBuffers::fill(float value) {
    for (std::vector<float>& c : data_)
        for (size_t i = 0; i < frames_; ++i)
            c[i] = value;
}

void AudioBuffers::fillSignal(unsigned seed) {
    for (size_t ch = 0; ch < data_.size(); ++ch) {
        unsigned state = seed * 2654435761u + static_cast<unsigned>(ch) * 40503u + 1u;
        for (size_t i = 0; i < frames_; ++i) {
            state = state * 1664525u + 1013904223u;
            data_[ch][i] = static_cast<float>(static_cast<int>(state >> 8) % 20001 - 10000) / 20000.0f;
        }
    }
}

bool AudioBuffers::guardsIntact() const {
    for (const std::vector<float>& c : data_)
        for (size_t i = frames_; i < c.size(); ++i)
            if (std::memcmp(&c[i], &kGuardValue, sizeof(float)) != 0)
                return false;
    return true;
}

bool AudioBuffers::allFinite() const {
    for (const std::vector<float>& c : data_)
        for (size_t i = 0; i < frames_; ++i)
            if (!std::isfinite(c[i]))
                return false;
    return true;
}

}  // namespace testhost
