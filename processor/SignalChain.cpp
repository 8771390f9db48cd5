// The per-sample signal chain: 4x interpolation and the fixed-step resampler,
// gain, saturator, correction filter, the three routings, studio mix, gate
// and trim, the way back to the output rate and the output peaking stage.
#include <cmath>
#include <cstring>

#include "Controlsgui.h"
#include "ModelTables.h"

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#define QUILLATONE_HAS_MXCSR 1
#endif

using namespace controls;

namespace
{

// Flushes denormals (FTZ and DAZ) for the duration of one block and restores
// the host's setting afterwards.
class DenormalGuard
{
public:
    DenormalGuard()
    {
#ifdef QUILLATONE_HAS_MXCSR
        saved = _mm_getcsr();
        _mm_setcsr(saved | 0x8040u);
#endif
    }
    ~DenormalGuard()
    {
#ifdef QUILLATONE_HAS_MXCSR
        _mm_setcsr(saved);
#endif
    }

private:
    unsigned saved = 0;
};

// Input samples are bounded far above any real signal (+96 dBFS), so that no
// finite input can overflow the recursive stages; non-finite ones are silence.
constexpr float inputLimit = 65536.0f;

inline float boundedInput(float x)
{
    if (!std::isfinite(x))
        return 0.0f;
    return x > inputLimit ? inputLimit : (x < -inputLimit ? -inputLimit : x);
}

// sum over t < 218 of a[t] * b[t], in four interleaved partial sums.
inline float dot218(const float* a, const float* b)
{
    float s0 = 0.0f, s1 = 0.0f, s2 = 0.0f, s3 = 0.0f;
    int t = 0;
    for (; t + 4 <= Controlsgui::hrirTaps; t += 4)
    {
        s0 += a[t] * b[t];
        s1 += a[t + 1] * b[t + 1];
        s2 += a[t + 2] * b[t + 2];
        s3 += a[t + 3] * b[t + 3];
    }
    for (; t < Controlsgui::hrirTaps; ++t)
        s0 += a[t] * b[t];
    return (s0 + s1) + (s2 + s3);
}

inline float dot218Pair(const float* a, const float* da, const float* b, const float* db)
{
    float s0 = 0.0f, s1 = 0.0f, s2 = 0.0f, s3 = 0.0f;
    int t = 0;
    for (; t + 2 <= Controlsgui::hrirTaps; t += 2)
    {
        s0 += a[t] * da[t];
        s1 += b[t] * db[t];
        s2 += a[t + 1] * da[t + 1];
        s3 += b[t + 1] * db[t + 1];
    }
    return (s0 + s1) + (s2 + s3);
}

} // namespace

void Controlsgui::updateSampleRateFilters()
{
    peakingCoefficients.update(rateRatio);

    // Correction poles: fixed, 50 Hz to 20 kHz at 48 kHz whatever the rate.
    correction::computeCorrectionPoles(poleA1, poleA2);

    correctionState[0].clearHistory();
    saturatorState[0].reset();
    saturatorCoefficients.update(internalRate);
}

void Controlsgui::takeHandOverFlags()
{
    filterRedesigned.exchange(0, std::memory_order_acq_rel);
    if (reloadStudioConvolvers.exchange(0, std::memory_order_acq_rel))
    {
        convolvers[0].reset();
        convolvers[0].init(headBlock, tailBlock, studioResponseLeft, responseLength);
        convolvers[1].reset();
        convolvers[1].init(headBlock, tailBlock, studioResponseRight, responseLength);
    }
    if (reloadPlaceConvolvers.exchange(0, std::memory_order_acq_rel))
        for (int k = 0; k < 4; ++k)
        {
            convolvers[2 + k].reset();
            convolvers[2 + k].init(headBlock, tailBlock, placeResponses[k], responseLength);
        }
}

void Controlsgui::chooseRows()
{
    // Azimuth with truncation toward zero (f is negative when A is), elevation
    // -8..7; values outside 0..1 or NaN are clamped first.
    const float azimuth = (1.0f - clampUnit(params[pAzimuth])) * 5.99f - 3.0f;
    const int a = int(azimuth);
    const float f = azimuth - float(a);
    const int e = int(15.99f * clampUnit(params[pElevation])) - 8;

    const float* left = &hrirLeft[0][0][0];
    const float* right = &hrirRight[0][0][0];
    auto row = [](const float* table, int r) {
        r = r < 0 ? 0 : (r > hrirBlocks * hrirRows - 1 ? hrirBlocks * hrirRows - 1 : r);
        return table + r * hrirRowStride;
    };

    float g = 1.0f;
    if (clampUnit(params[pMoveable]) < 0.1f)
    {
        hrirRowPointers[0] = row(left, 50 * (6 + a) + e);
        hrirRowPointers[1] = row(left, 50 * (7 + a) + e);
        hrirRowPointers[2] = row(left, 50 * (18 + a) + e);
        hrirRowPointers[3] = row(left, 50 * (19 + a) + e);
        hrirRowPointers[4] = row(right, 50 * (18 + a) + e);
        hrirRowPointers[5] = row(right, 50 * (19 + a) + e);
        hrirRowPointers[6] = row(right, 50 * (6 + a) + e);
        hrirRowPointers[7] = row(right, 50 * (7 + a) + e);
    }
    else
    {
        for (int k = 0; k < 8; k += 4)
        {
            hrirRowPointers[k] = hrirRowPointers[k + 1] = unitImpulse;
            hrirRowPointers[k + 2] = hrirRowPointers[k + 3] = leftToRightResponse;
        }
        const float sum = ltorSum;
        g = (sum > 0.0f && std::isfinite(sum)) ? 1.0f / sum : 1.0f;
    }
    // Blend each row pair once for the block: left direct, left cross (times
    // g), right direct, right cross (times g).
    const float w0 = 1.0f - f;
    for (int k = 0; k < 4; ++k)
    {
        const float* r0 = hrirRowPointers[2 * k];
        const float* r1 = hrirRowPointers[2 * k + 1];
        const float gain = (k & 1) ? g : 1.0f;
        for (int t = 0; t < hrirTaps; ++t)
        {
            const float blend = w0 * r0[t] + f * r1[t];
            blendedRows[k][t] = (k & 1) ? gain * blend : blend;
        }
    }

    const int e2 = e >= 0 ? e : e + 50;
    const int placeRows[4] = {50 * (3 + a) + e2 + 16, 50 * (21 + a) + e2 + 32, 50 * (3 + a) + e + 48,
                              50 * (21 + a) + e};
    for (int k = 0; k < 4; ++k)
    {
        placeRowPointers[2 * k] = row(left, placeRows[k]);
        placeRowPointers[2 * k + 1] = row(right, placeRows[k]);
    }
}

void Controlsgui::runInternalSample(float sL, float sR)
{
    // 1-2. Gain, noise, saturator.
    float vL = 6.0f * sL + chainNoise.next();
    float vR = 6.0f * sR + chainNoise.next();
    vL = chain::runSaturator(saturatorCoefficients, saturatorState[0], vL);
    vR = chain::runSaturator(saturatorCoefficients, saturatorState[1], vR);

    // 3. Correction, record 0 for both channels.
    const float* record = coefficientTable[0];
    const float cL = correction::processCorrectionSample(record, poleA1, poleA2, correctionState[0], vL);
    const float cR = correction::processCorrectionSample(record, poleA1, poleA2, correctionState[1], vR);

    // 4. Routing.
    float left, right;
    if (placeConvolverOn)
    {
        const float m = (cL + cR) * 0.5f;
        const int pos = placeDelayPosition = placeDelayPosition == 0 ? delayLength - 1 : placeDelayPosition - 1;
        float sumL = 0.0f, sumR = 0.0f;
        for (int k = 0; k < 4; ++k)
        {
            float y = 0.0f;
            convolvers[2 + k].process(&m, &y, 1);
            placeDelay[k][pos] = y;
            placeDelay[k][pos + delayLength] = y;
            const float* d = &placeDelay[k][pos];
            sumL += dot218(placeRowPointers[2 * k], d);
            sumR += dot218(placeRowPointers[2 * k + 1], d);
        }
        left = 0.125f * sumL;
        right = 0.125f * sumR;
    }
    else if (hrirPathOn)
    {
        const int pos = hrirDelayPosition = hrirDelayPosition == 0 ? delayLength - 1 : hrirDelayPosition - 1;
        hrirDelay[0][pos] = hrirDelay[0][pos + delayLength] = cL;
        hrirDelay[1][pos] = hrirDelay[1][pos + delayLength] = cR;
        const float* dL = &hrirDelay[0][pos];
        const float* dR = &hrirDelay[1][pos];
        left = dot218Pair(blendedRows[0], dL, blendedRows[1], dR);
        right = dot218Pair(blendedRows[2], dR, blendedRows[3], dL);
    }
    else
    {
        left = cL;
        right = cR;
    }

    // 5. Studio.
    float studioL = 0.0f, studioR = 0.0f;
    if (studioConvolverOn)
    {
        convolvers[0].process(&cL, &studioL, 1);
        convolvers[1].process(&cR, &studioR, 1);
    }

    // 6-7. Gate, trim, into the output history.
    if (wetGateOpen)
    {
        const int s = studioIndex < 0 ? 0 : (studioIndex > 6 ? 6 : studioIndex);
        const float g = datafiles::studioTable[s].gain;
        left = (left + g * studioL) * trimGain;
        right = (right + g * studioR) * trimGain;
    }
    else
    {
        left = right = 0.0f;
    }
    chain::pushHistory(outputHistory[0], left * 0.125f);
    chain::pushHistory(outputHistory[1], right * 0.125f);
}

void Controlsgui::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    DenormalGuard denormals;
    takeHandOverFlags();
    activeSectionCount = sectionCount;
    chooseRows();

    float peakInL = 0.0f, peakInR = 0.0f, peakOutL = 0.0f, peakOutR = 0.0f;
    if (sampleFrames > 0 && inputs && outputs && inputs[0] && outputs[0])
    {
        const float* in0 = inputs[0];
        const float* in1 = inputs[1] ? inputs[1] : inputs[0];
        float* out0 = outputs[0];
        float* out1 = outputs[1];
        const double quarterStep = double(inputPhaseStep * 0.25f);
        const double step = double(internalStep);

        for (VstInt32 n = 0; n < sampleFrames; ++n)
        {
            // Read the frame before anything is written: buffers may be shared.
            // A non-finite or huge sample would stay in the recursive states
            // for good, so it is bounded where it enters.
            const float xL = boundedInput(in0[n]);
            const float xR = boundedInput(in1[n]);

            for (int q = 0; q < 4; ++q)
            {
                const float uL = q == 0 ? xL : 0.0f;
                const float uR = q == 0 ? xR : 0.0f;
                chain::pushHistory(inputHistory[0], interpolation::runFilter(interpolationFilter, interpolationState[0], uL));
                chain::pushHistory(inputHistory[1], interpolation::runFilter(interpolationFilter, interpolationState[1], uR));
                if (internalPhase < quarterStep)
                {
                    float cL[6], cR[6];
                    chain::interpolatorCoefficients(chain::setA, inputHistory[0], cL);
                    chain::interpolatorCoefficients(chain::setA, inputHistory[1], cR);
                    while (internalPhase < quarterStep)
                    {
                        const float z = float(internalPhase / quarterStep) - 0.5f;
                        runInternalSample(chain::interpolate(cL, z), chain::interpolate(cR, z));
                        internalPhase += step;
                    }
                }
                internalPhase -= quarterStep;
            }

            // Only the last phase's output value is kept, so it is the only
            // one computed.
            const float z2 = (1.0f - float(internalPhase / step)) - 0.5f;
            float cL[6], cR[6];
            chain::interpolatorCoefficients(chain::setB, outputHistory[0], cL);
            chain::interpolatorCoefficients(chain::setB, outputHistory[1], cR);
            interpolatedOutput[0] = chain::interpolate(cL, z2);
            interpolatedOutput[1] = chain::interpolate(cR, z2);

            const float resultL = chain::runPeaking(peakingCoefficients, peakingState[0], interpolatedOutput[0]);
            const float resultR = chain::runPeaking(peakingCoefficients, peakingState[1], interpolatedOutput[1]);
            out0[n] = resultL;
            // With the second input unconnected the right output carries the
            // left result rather than whatever the buffer held.
            if (out1)
                out1[n] = stereoOutput ? resultR : resultL;

            wetGateOpen = ((headphoneCurveLoaded && referenceCurveLoaded) || decodeSelector(params[pMode]) == modePlaces)
                              ? 1
                              : 0;

            peakInL = std::fmax(peakInL, std::fabs(xL));
            peakInR = std::fmax(peakInR, std::fabs(xR));
            peakOutL = std::fmax(peakOutL, std::fabs(resultL));
            if (out1)
                peakOutR = std::fmax(peakOutR, std::fabs(out1[n]));
        }
    }
    else if (sampleFrames > 0 && outputs)
    {
        // No input to render: the host gets silence, not what its buffers held.
        for (int c = 0; c < 2; ++c)
            if (outputs[c])
                std::memset(outputs[c], 0, size_t(sampleFrames) * sizeof(float));
    }
    inputPeakLeft = peakInL;
    inputPeakRight = peakInR;
    outputPeakLeft = peakOutL;
    outputPeakRight = peakOutR;
}
