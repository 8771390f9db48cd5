#include "ListenerSet.h"

#include <algorithm>
#include <cmath>
#include <mysofa.h>

#include "Fft.h"

namespace databuilder
{

namespace
{
const double lateralAngles[gridBlocks] = {
    -80, -65, -55, -45, -40, -35, -30, -25, -20, -15, -10, -5, 0,
    5, 10, 15, 20, 25, 30, 35, 40, 45, 55, 65, 80,
};

constexpr double degrees = M_PI / 180.0;

struct SofaHandle
{
    MYSOFA_EASY* easy = nullptr;
    ~SofaHandle()
    {
        if (easy)
            mysofa_close(easy);
    }
};

// Half-Hann fade over the last fadeTaps taps.
void fadeOut(float* taps, int count)
{
    for (int i = 0; i < fadeTaps; ++i)
        taps[count - fadeTaps + i] *= float(0.5 * (1.0 + std::cos(M_PI * (i + 0.5) / fadeTaps)));
}

int onsetOf(const std::vector<float>& response)
{
    float peak = 0.0f;
    for (float v : response)
        peak = std::max(peak, std::fabs(v));
    for (size_t i = 0; i < response.size(); ++i)
        if (std::fabs(response[i]) >= 0.1f * peak)
            return int(i);
    return 0;
}

// Mean power gain over 200-1000 Hz of a response at 48 kHz.
double bandPower(const std::vector<float>& response)
{
    constexpr size_t size = 8192;
    const Spectrum spectrum = realSpectrum(response.data(), response.size(), size);
    double power = 0.0;
    int count = 0;
    for (size_t bin = 0; bin <= size / 2; ++bin)
    {
        const double f = bin * outputRate / size;
        if (f >= 200.0 && f <= 1000.0)
            power += std::norm(spectrum[bin]), ++count;
    }
    return power / count;
}
} // namespace

double blockLateralAngle(int block)
{
    return lateralAngles[std::clamp(block, 0, gridBlocks - 1)];
}

double rowPolarAngle(int row)
{
    return 5.625 * (row <= 41 ? row : row - 50);
}

void gridDirection(int block, int row, double direction[3])
{
    const double theta = blockLateralAngle(block) * degrees, phi = rowPolarAngle(row) * degrees;
    direction[0] = std::cos(theta) * std::cos(phi);
    direction[1] = -std::sin(theta);
    direction[2] = std::cos(theta) * std::sin(phi);
}

bool buildListenerSet(const std::string& sofaPath, double headScale, ListenerSet& set,
                      std::string& error)
{
    SofaHandle sofa;
    int filterLength = 0, status = 0;
    sofa.easy = mysofa_open_no_norm(sofaPath.c_str(), float(outputRate * headScale), &filterLength,
                                    &status);
    if (!sofa.easy || status != MYSOFA_OK || filterLength <= 0)
    {
        error = "cannot read the listener set " + sofaPath + " (libmysofa error " +
                std::to_string(status) + ")";
        return false;
    }

    const size_t n = size_t(filterLength);
    std::vector<std::vector<float>> raw[2];
    raw[0].resize(gridBlocks * gridRows);
    raw[1].resize(gridBlocks * gridRows);
    int onset = int(n);
    for (int block = 0; block < gridBlocks; ++block)
        for (int row = 0; row < gridRows; ++row)
        {
            double d[3];
            gridDirection(block, row, d);
            std::vector<float> left(n), right(n);
            float delayLeft = 0.0f, delayRight = 0.0f;
            mysofa_getfilter_float(sofa.easy, float(d[0]), float(d[1]), float(d[2]), left.data(),
                                   right.data(), &delayLeft, &delayRight);
            // Sets with separate delays: put them back into the responses.
            auto applyDelay = [&](std::vector<float>& h, float seconds) {
                const long shift = std::lround(seconds * outputRate * headScale);
                if (shift > 0)
                {
                    h.insert(h.begin(), size_t(shift), 0.0f);
                    h.resize(n);
                }
            };
            applyDelay(left, delayLeft);
            applyDelay(right, delayRight);
            onset = std::min({ onset, onsetOf(left), onsetOf(right) });
            const size_t index = size_t(block) * gridRows + row;
            raw[0][index] = std::move(left);
            raw[1][index] = std::move(right);
        }

    set.headScale = headScale;
    set.onset = std::max(0, onset - onsetLead);
    for (int ear = 0; ear < 2; ++ear)
    {
        std::vector<float>& table = ear == 0 ? set.left : set.right;
        table.assign(size_t(gridBlocks) * gridRows * gridTaps, 0.0f);
        for (size_t index = 0; index < raw[ear].size(); ++index)
        {
            float* taps = table.data() + index * gridTaps;
            for (int i = 0; i < gridTaps; ++i)
                if (size_t(set.onset + i) < n)
                    taps[i] = raw[ear][index][size_t(set.onset + i)];
            fadeOut(taps, gridTaps);
        }
    }

    // A centred source: direct (block 6) plus cross (block 18) at the left ear.
    std::vector<float> sum(gridTaps);
    for (int i = 0; i < gridTaps; ++i)
        sum[i] = set.row(false, 6, 0)[i] + set.row(false, 18, 0)[i];
    const double power = bandPower(sum);
    set.levelScale = power > 0.0 ? 1.0 / std::sqrt(power) : 1.0;
    for (float& v : set.left)
        v = float(v * set.levelScale);
    for (float& v : set.right)
        v = float(v * set.levelScale);
    return true;
}

std::vector<float> leftToRightResponse(const ListenerSet& set)
{
    constexpr size_t size = 512;
    const Spectrum ipsi = realSpectrum(set.row(false, 6, 0), gridTaps, size);
    const Spectrum contra = realSpectrum(set.row(true, 6, 0), gridTaps, size);
    double peak = 0.0;
    for (const auto& v : ipsi)
        peak = std::max(peak, std::norm(v));
    const double epsilon = 1e-3 * peak;

    Spectrum x(size);
    for (size_t k = 0; k <= size / 2; ++k)
    {
        std::complex<double> value = contra[k] * std::conj(ipsi[k]) / (std::norm(ipsi[k]) + epsilon);
        if (std::abs(value) > 1.0)
            value /= std::abs(value);
        // Low-pass: flat to 11 kHz, raised-cosine down to zero at 13 kHz.
        const double f = k * outputRate / size;
        const double t = std::clamp((f - 11000.0) / 2000.0, 0.0, 1.0);
        value *= 0.5 * (1.0 + std::cos(M_PI * t));
        if (k == 0 || k == size / 2)
            value = value.real();
        x[k] = value;
        if (k > 0 && k < size / 2)
            x[size - k] = std::conj(value);
    }
    const std::vector<double> signal = realInverse(x);
    std::vector<float> response(gridTaps);
    for (int i = 0; i < gridTaps; ++i)
        response[i] = float(signal[size_t(i)]);
    fadeOut(response.data(), gridTaps);
    return response;
}

int peakTap(const float* response, int taps)
{
    int best = 0;
    for (int i = 1; i < taps; ++i)
        if (std::fabs(response[i]) > std::fabs(response[best]))
            best = i;
    return best;
}

} // namespace databuilder
