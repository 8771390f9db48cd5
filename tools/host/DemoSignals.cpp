#include "DemoSignals.h"

#include <algorithm>
#include <cmath>

namespace testhost {

namespace {

constexpr double kPi = 3.14159265358979323846;

// splitmix64: small, fast and the same on every platform.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in (0, 1).
    double uniform() { return (static_cast<double>(next() >> 11) + 0.5) * (1.0 / 9007199254740992.0); }
    // Standard normal (Box-Muller, one value per call).
    double gaussian() { return std::sqrt(-2.0 * std::log(uniform())) * std::cos(2.0 * kPi * uniform()); }

private:
    uint64_t state_;
};

// Three-pole, three-zero filter whose response falls 3 dB per octave within
// about 0.1 % of the sample rate to its Nyquist frequency.
class PinkFilter {
public:
    double process(double x) {
        const double y = 0.049922035 * x - 0.095993537 * x1_ + 0.050612699 * x2_ - 0.004408786 * x3_ +
                         2.494956002 * y1_ - 2.017265875 * y2_ + 0.522189400 * y3_;
        x3_ = x2_, x2_ = x1_, x1_ = x;
        y3_ = y2_, y2_ = y1_, y1_ = y;
        return y;
    }

private:
    double x1_ = 0, x2_ = 0, x3_ = 0, y1_ = 0, y2_ = 0, y3_ = 0;
};

void applyFades(std::vector<double>& x, size_t fade) {
    fade = std::min(fade, x.size() / 2);
    for (size_t i = 0; i < fade; ++i) {
        const double g = 0.5 - 0.5 * std::cos(kPi * (static_cast<double>(i) + 0.5) / static_cast<double>(fade));
        x[i] *= g;
        x[x.size() - 1 - i] *= g;
    }
}

struct Note {
    double start;     // seconds
    double length;    // seconds, before the release
    int midi;         // note number, 69 = 440 Hz
    int voice;        // index into kVoices
};

struct Voice {
    double pan;         // -1 left .. 1 right
    double level;
    int harmonics;
    double tilt;        // harmonic k has amplitude k^-tilt
    double attack;      // seconds
    double decay;       // seconds, time constant of the fundamental
    double release;     // seconds
};

constexpr Voice kVoices[] = {
    {-0.45, 0.55, 6, 1.6, 0.010, 1.20, 0.12},  // bass
    {0.55, 0.40, 10, 1.0, 0.006, 0.45, 0.08},  // melody, plucked
    {-0.85, 0.16, 5, 1.4, 0.060, 2.50, 0.25},  // chord, low notes
    {0.85, 0.16, 5, 1.4, 0.060, 2.50, 0.25},   // chord, high notes
};

constexpr Note kNotes[] = {
    // bass: C, A, F, G
    {0.0, 1.0, 36, 0}, {1.0, 1.0, 33, 0}, {2.0, 1.0, 29, 0}, {3.0, 1.2, 31, 0},
    // chords: C major, A minor, F major, G7
    {0.0, 1.0, 60, 2}, {0.0, 1.0, 64, 3}, {0.0, 1.0, 67, 3},
    {1.0, 1.0, 57, 2}, {1.0, 1.0, 60, 3}, {1.0, 1.0, 64, 3},
    {2.0, 1.0, 53, 2}, {2.0, 1.0, 57, 3}, {2.0, 1.0, 60, 3},
    {3.0, 1.2, 55, 2}, {3.0, 1.2, 59, 3}, {3.0, 1.2, 62, 3}, {3.0, 1.2, 65, 3},
    // melody
    {0.0, 0.5, 76, 1}, {0.5, 0.25, 79, 1}, {0.75, 0.25, 84, 1}, {1.0, 0.5, 81, 1}, {1.5, 0.5, 79, 1},
    {2.0, 0.25, 77, 1}, {2.25, 0.25, 81, 1}, {2.5, 0.5, 84, 1}, {3.0, 0.5, 83, 1}, {3.5, 0.25, 79, 1},
    {3.75, 0.45, 72, 1},
};

void addNote(const Note& note, double sampleRate, std::vector<double>& left, std::vector<double>& right) {
    const Voice& v = kVoices[note.voice];
    const double f0 = 440.0 * std::pow(2.0, (note.midi - 69) / 12.0);
    const double angle = (v.pan + 1.0) * kPi / 4.0;  // equal-power pan
    const double gainL = v.level * std::cos(angle), gainR = v.level * std::sin(angle);
    const size_t first = static_cast<size_t>(note.start * sampleRate);
    const size_t held = static_cast<size_t>(note.length * sampleRate);
    const size_t release = static_cast<size_t>(v.release * sampleRate);
    const size_t count = std::min(held + release, left.size() - std::min(first, left.size()));
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        double env = std::min(1.0, t / v.attack);
        if (i >= held)
            env *= 0.5 + 0.5 * std::cos(kPi * static_cast<double>(i - held) / static_cast<double>(release));
        double sum = 0.0;
        for (int k = 1; k <= v.harmonics && k * f0 < 0.45 * sampleRate; ++k)
            sum += std::pow(k, -v.tilt) * std::exp(-t * (1.0 + 0.35 * (k - 1)) / v.decay) *
                   std::sin(2.0 * kPi * k * f0 * t + 0.7 * k);
        left[first + i] += gainL * env * sum;
        right[first + i] += gainR * env * sum;
    }
}

}  // namespace

StereoSignal pinkNoise(double sampleRate, double seconds, uint32_t seed, double rmsDbfs) {
    const size_t frames = static_cast<size_t>(std::max(0.0, std::round(seconds * sampleRate)));
    StereoSignal out(2, std::vector<float>(frames));
    const double target = std::pow(10.0, rmsDbfs / 20.0);
    for (size_t c = 0; c < 2; ++c) {
        Random random(static_cast<uint64_t>(seed) * 2 + c + 0x5EEDull);
        PinkFilter filter;
        for (int i = 0; i < 8192; ++i)  // let the filter settle
            filter.process(random.gaussian());
        std::vector<double> x(frames);
        for (double& s : x)
            s = filter.process(random.gaussian());
        applyFades(x, static_cast<size_t>(0.02 * sampleRate));
        double energy = 0.0;
        for (double s : x)
            energy += s * s;
        const double scale = energy > 0.0 ? target / std::sqrt(energy / static_cast<double>(frames)) : 0.0;
        for (size_t i = 0; i < frames; ++i)
            out[c][i] = static_cast<float>(x[i] * scale);
    }
    return out;
}

StereoSignal musicPhrase(double sampleRate, double peakDbfs) {
    double end = 0.0;
    for (const Note& n : kNotes)
        end = std::max(end, n.start + n.length + kVoices[n.voice].release);
    const size_t frames = static_cast<size_t>(std::ceil(end * sampleRate));
    std::vector<double> left(frames, 0.0), right(frames, 0.0);
    for (const Note& n : kNotes)
        addNote(n, sampleRate, left, right);
    double peak = 0.0;
    for (size_t i = 0; i < frames; ++i)
        peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
    const double scale = peak > 0.0 ? std::pow(10.0, peakDbfs / 20.0) / peak : 0.0;
    StereoSignal out(2, std::vector<float>(frames));
    for (size_t i = 0; i < frames; ++i) {
        out[0][i] = static_cast<float>(left[i] * scale);
        out[1][i] = static_cast<float>(right[i] * scale);
    }
    return out;
}

}  // namespace testhost
