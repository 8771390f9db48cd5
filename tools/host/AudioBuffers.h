// Planar sample buffers with guard samples after every channel, so a host
// can tell when a plug-in writes past the frames it was given.
#pragma once

#include <cstddef>
#include <vector>

namespace testhost {

class AudioBuffers {
public:
    static constexpr size_t kGuard = 16;

    AudioBuffers(size_t channels, size_t frames);

    size_t channels() const { return data_.size(); }
    size_t frames() const { return frames_; }
    float** pointers() { return pointers_.data(); }
    float* channel(size_t c) { return data_[c].data(); }
    const float* channel(size_t c) const { return data_[c].data(); }

    void fill(float value);
    // Fills channel c with a deterministic test signal.
    void fillSignal(unsigned seed);
    bool guardsIntact() const;
    bool allFinite() const;

private:
    size_t frames_;
    std::vector<std::vector<float>> data_;
    std::vector<float*> pointers_;
};

}  // namespace testhost
