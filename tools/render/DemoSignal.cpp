#include "DemoSignal.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <random>

#include "WaveFile.h"

namespace render
{

namespace
{
// White noise in [-1, 1) through a pink filter (sum of first-order stages).
class PinkNoise
{
public:
    explicit PinkNoise(uint32_t seed) : engine_(seed) {}
    double next()
    {
        const double white = double(engine_()) / 2147483648.0 - 1.0;
        b_[0] = 0.99886 * b_[0] + white * 0.0555179;
        b_[1] = 0.99332 * b_[1] + white * 0.0750759;
        b_[2] = 0.96900 * b_[2] + white * 0.1538520;
        b_[3] = 0.86650 * b_[3] + white * 0.3104856;
        b_[4] = 0.55000 * b_[4] + white * 0.5329522;
        b_[5] = -0.7616 * b_[5] - white * 0.0168980;
        const double pink = b_[0] + b_[1] + b_[2] + b_[3] + b_[4] + b_[5] + b_[6] + white * 0.5362;
        b_[6] = white * 0.115926;
        return pink;
    }

private:
    std::mt19937 engine_;
    double b_[7] = {};
};

void normalise(std::vector<float>& left, std::vector<float>& right, size_t begin, size_t end,
               double targetDb)
{
    const double gain = std::pow(10.0, (targetDb - rmsDb(left, right, begin, end)) / 20.0);
    for (size_t i = begin; i < end; ++i)
    {
        left[i] = float(left[i] * gain);
        right[i] = float(right[i] * gain);
    }
}

// Frame count of a WAV file's data chunk, from its header.
bool waveFrames(const std::string& path, size_t& frames, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    char id[4];
    uint32_t size = 0;
    char wave[4];
    if (!in.read(id, 4) || !in.read(reinterpret_cast<char*>(&size), 4) || !in.read(wave, 4) ||
        (std::memcmp(id, "RIFF", 4) != 0 && std::memcmp(id, "riff", 4) != 0))
    {
        error = path + ": not a RIFF/WAVE file";
        return false;
    }
    uint16_t channels = 0, bits = 0;
    for (int chunk = 0; chunk < 2000 && in.read(id, 4) && in.read(reinterpret_cast<char*>(&size), 4); ++chunk)
    {
        if (std::memcmp(id, "fmt ", 4) == 0 && size >= 16)
        {
            char fmt[16];
            in.read(fmt, 16);
            std::memcpy(&channels, fmt + 2, 2);
            std::memcpy(&bits, fmt + 14, 2);
            in.seekg(std::streamoff(size - 16 + (size & 1)), std::ios::cur);
        }
        else if (std::memcmp(id, "data", 4) == 0)
        {
            if (channels == 0 || bits < 8)
                break;
            frames = size / channels / (bits / 8);
            return true;
        }
        else
            in.seekg(std::streamoff(size + (size & 1)), std::ios::cur);
    }
    error = path + ": no usable \"fmt \" and \"data\" chunks";
    return false;
}
} // namespace

StereoSignal makeDemoSignal(double sampleRate, double pinkSeconds, double musicSeconds,
                            double silenceSeconds)
{
    const size_t pinkFrames = size_t(pinkSeconds * sampleRate);
    const size_t musicFrames = size_t(musicSeconds * sampleRate);
    const size_t total = pinkFrames + musicFrames + size_t(silenceSeconds * sampleRate);
    StereoSignal s;
    s.left.assign(total, 0.0f);
    s.right.assign(total, 0.0f);
    s.activeFrames = pinkFrames + musicFrames;

    PinkNoise common(11), left(12), right(13);
    for (size_t i = 0; i < pinkFrames; ++i)
    {
        const double c = common.next();
        s.left[i] = float(0.85 * c + 0.5 * left.next());
        s.right[i] = float(0.85 * c + 0.5 * right.next());
    }
    normalise(s.left, s.right, 0, pinkFrames, -20.0);

    // Music-like: a bass line, two-hand chords panned apart, hi-hats right.
    const double bassNotes[4] = { 55.0, 55.0 * 1.3348, 55.0 * 1.1225, 55.0 * 1.4983 };
    const double chordRoots[4] = { 220.0, 293.66, 246.94, 329.63 };
    const double beat = 0.5; // seconds
    std::mt19937 hats(14);
    for (size_t n = 0; n < musicFrames; ++n)
    {
        const double t = double(n) / sampleRate;
        const int bar = int(t / (4 * beat)) % 4;
        const double inBeat = std::fmod(t, beat);
        const double inBar = std::fmod(t, 4 * beat);
        double bass = 0.0;
        for (int h = 1; h <= 6; ++h)
            bass += std::sin(2 * M_PI * bassNotes[bar] * h * t) / h;
        bass *= std::exp(-3.0 * inBeat);
        double chordL = 0.0, chordR = 0.0;
        const double ratios[3] = { 1.0, 1.2599, 1.4983 };
        for (int k = 0; k < 3; ++k)
        {
            const double f = chordRoots[bar] * ratios[k];
            chordL += std::sin(2 * M_PI * f * t) + 0.3 * std::sin(4 * M_PI * f * t);
            chordR += std::sin(2 * M_PI * f * 1.003 * t) + 0.3 * std::sin(4 * M_PI * f * 1.003 * t);
        }
        const double pad = std::min(1.0, inBar / 0.2) * std::exp(-0.8 * inBar);
        const double hatPhase = std::fmod(t, beat / 2);
        const double hat = (double(hats()) / 2147483648.0 - 1.0) * std::exp(-60.0 * hatPhase);
        s.left[pinkFrames + n] = float(0.6 * bass + 0.25 * pad * chordL + 0.05 * hat);
        s.right[pinkFrames + n] = float(0.6 * bass + 0.25 * pad * chordR + 0.2 * hat);
    }
    normalise(s.left, s.right, pinkFrames, pinkFrames + musicFrames, -20.0);
    return s;
}

bool readDemoInput(const std::string& path, double sampleRate, double silenceSeconds,
                   StereoSignal& signal, std::string& error)
{
    size_t frames = 0;
    if (!waveFrames(path, frames, error))
        return false;
    frames = std::min(frames, places::waveMaxFrames);
    if (frames == 0)
    {
        error = path + ": no samples";
        return false;
    }
    signal.left.assign(frames, 0.0f);
    signal.right.assign(frames, 0.0f);
    const int32_t code = places::readWaveFile(path, signal.left.data(), signal.right.data(), frames);
    if (code != places::waveOk && code != places::waveCut && code != places::waveReadError)
    {
        error = path + ": cannot read (code " + std::to_string(code) + ")";
        return false;
    }
    signal.activeFrames = frames;
    const size_t total = frames + size_t(silenceSeconds * sampleRate);
    signal.left.resize(total, 0.0f);
    signal.right.resize(total, 0.0f);
    return true;
}

double rmsDb(const std::vector<float>& left, const std::vector<float>& right, size_t begin,
             size_t end)
{
    end = std::min({ end, left.size(), right.size() });
    double sum = 0.0;
    for (size_t i = begin; i < end; ++i)
        sum += double(left[i]) * left[i] + double(right[i]) * right[i];
    if (end <= begin || sum <= 0.0)
        return -INFINITY;
    return 10.0 * std::log10(sum / (2.0 * double(end - begin)));
}

double peakDb(const std::vector<float>& left, const std::vector<float>& right)
{
    float peak = 0.0f;
    for (float v : left)
        peak = std::max(peak, std::fabs(v));
    for (float v : right)
        peak = std::max(peak, std::fabs(v));
    return peak > 0.0f ? 20.0 * std::log10(peak) : -INFINITY;
}

} // namespace render
