#include "StudioSynthesis.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "KissFft.h"

namespace studio
{
namespace
{

constexpr float referenceRate = 48000.0f;
constexpr float timeStep = 2.2676251e-5f;   // 1 / 44099: t runs 0..1 over the response
constexpr float panelScale = 0.088388346f;  // 1 / sqrt(128)
constexpr float panelFloor = 0.001f;        // -60 dB
constexpr float panelRange = 0.016666668f;  // 1 / 60 dB

float lowPassCoefficient(float damping, float r)
{
    return static_cast<float>(std::exp(r * std::log(0.45f * (1.0f - damping) + 0.5f)));
}

// Both ears' inner products of one window of filtered noise, with eight
// partial sums each so the loop vectorises.
void dotBothEars(const float* x, const float* a, const float* b, float& sumA, float& sumB)
{
    constexpr int lanes = 8;
    constexpr int whole = hrirTaps / lanes * lanes;
    float accA[lanes] = {};
    float accB[lanes] = {};
    for (int j = 0; j < whole; j += lanes)
    {
        for (int m = 0; m < lanes; ++m)
        {
            accA[m] += x[j + m] * a[j + m];
            accB[m] += x[j + m] * b[j + m];
        }
    }
    float ta = 0.0f;
    float tb = 0.0f;
    for (int j = whole; j < hrirTaps; ++j)
    {
        ta += x[j] * a[j];
        tb += x[j] * b[j];
    }
    for (int m = 0; m < lanes; ++m)
    {
        ta += accA[m];
        tb += accB[m];
    }
    sumA = ta;
    sumB = tb;
}

} // namespace

StudioFilterPlan planStudioFilter(const StudioShape& shape, float sampleRate)
{
    const float fs = std::isfinite(sampleRate) && sampleRate > 0.0f ? sampleRate : referenceRate;
    const float decay = std::isfinite(shape.decay) && shape.decay > 0.0f ? shape.decay : 1.0f;
    const float r = referenceRate / fs;
    StudioFilterPlan plan;
    plan.step = std::pow(decay, -2.2675737e-5f);
    plan.c1 = lowPassCoefficient(shape.damping, r);
    plan.c2 = lowPassCoefficient(shape.lateDamping, r);
    return plan;
}

bool synthesiseStudioResponses(const StudioShape& shape, float sampleRate, const HrirTable& hrirLeft,
                               const HrirTable& hrirRight, NoiseGenerator& noise, SynthesisState& state,
                               float* responseLeft, float* responseRight, size_t capacity,
                               PanelArrays& panel)
{
    if (!responseLeft || !responseRight || capacity < responseLength)
        return false;

    const StudioFilterPlan plan = planStudioFilter(shape, sampleRate);
    const float dc = plan.c2 - plan.c1;
    for (int k = 0; k < sourceCount; ++k)
    {
        state.rowLeft[k] = hrirLeft[sourceRows[k].block][sourceRows[k].row];
        state.rowRight[k] = hrirRight[sourceRows[k].block][sourceRows[k].row];
        std::fill(std::begin(state.line[k]), std::end(state.line[k]), 0.0f);
        state.filter[k] = 0.0f;
    }

    // Each line holds its window twice: the newest sample goes to pos and
    // pos + hrirTaps, and line[pos + j] is the sample j steps back.
    int pos = 0;
    float g = 1.0f;
    for (size_t i = 0; i < responseLength; ++i)
    {
        const float t = static_cast<float>(i) * timeStep;
        const float c = t * t * t * dc + plan.c1;
        const float oneMinusC = 1.0f - c;
        pos = pos == 0 ? hrirTaps - 1 : pos - 1;
        float sumLeft = 0.0f;
        float sumRight = 0.0f;
        for (int k = 0; k < sourceCount; ++k)
        {
            const float u1 = noise.uniform();
            const float u2 = noise.uniform();
            const float n = u2 > 0.02f ? g * 0.5f * (u1 - 0.5f) : 0.0f;
            state.filter[k] = state.filter[k] * c + n * oneMinusC;
            float* line = state.line[k];
            line[pos] = state.filter[k];
            line[pos + hrirTaps] = state.filter[k];
            float yl;
            float yr;
            dotBothEars(line + pos, state.rowLeft[k], state.rowRight[k], yl, yr);
            sumLeft += yl;
            sumRight += yr;
        }
        responseLeft[i] = sumLeft;
        responseRight[i] = sumRight;
        g *= plan.step;
    }
    std::fill(responseLeft + responseLength, responseLeft + capacity, 0.0f);
    std::fill(responseRight + responseLength, responseRight + capacity, 0.0f);

    computePanelArrays(responseLeft, panel);
    return true;
}

void computePanelArrays(const float* response, PanelArrays& panel)
{
    kiss_fft_cfg fft = kiss_fft_alloc(panelFftSize, 0, nullptr, nullptr);
    kiss_fft_cpx in[panelFftSize];
    kiss_fft_cpx out[panelFftSize];
    for (int f = 0; f < panelFrames; ++f)
    {
        const float* frame = response + static_cast<size_t>(panelFrameSpacing) * f;
        if (fft)
        {
            for (int j = 0; j < panelFftSize; ++j)
            {
                in[j].r = frame[j];
                in[j].i = 0.0f;
            }
            kiss_fft(fft, in, out);
        }
        for (int b = 0; b < panelBins; ++b)
        {
            const float m = fft ? std::hypot(out[b].r, out[b].i) * panelScale : 0.0f;
            panel[f][b] = (20.0f * std::log10(std::max(m, panelFloor)) + 60.0f) * panelRange;
        }
    }
    kiss_fft_free(fft);
}

} // namespace studio
