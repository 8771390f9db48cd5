// The signal chain: 4x interpolation and the fixed-step resampler, gain,
// saturator, correction filter, the three routings, studio mix, gate and
// trim, the way back to the output rate and the output peaking stage.
//
// Two roads give the same output. The staged road runs a pass of up to
// stageFrames frames at a time: everything before the convolvers for the whole
// pass, each active convolver once over the pass, then the rest frame by frame.
// That holds because the resampler's fixed steps make exactly one internal
// sample per input frame, and nothing after a convolver feeds back into its
// input. The frame-by-frame road feeds every convolver one sample per call;
// it runs whenever the resampler is off its fixed grid, and on request as the
// reference the staged road is checked against.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "Controlsgui.h"
#include "ModelTables.h"
#include "ListenerRows.h"
#include "PlaceRows.h"
#include "SimdVectors.h"

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

// Frame n of both inputs, as the chain takes it in (both roads read here). A
// non-finite or huge sample would stay in the recursive states for good, so
// it is bounded where it enters.
inline void readFrame(const float* in0, const float* in1, int n, float& xL, float& xR)
{
    xL = boundedInput(in0[n]);
    xR = boundedInput(in1[n]);
}

// std::fmax(peak, x) for a peak that starts at 0 and so is never NaN: a
// NaN x leaves it as it is; peak and x are never negative. No library call.
inline float raisePeak(float peak, float x) { return x > peak ? x : peak; }

using simd::Float4;
using simd::load4;
using simd::store4;

} // namespace

void Controlsgui::updateSampleRateFilters()
{
    peakingCoefficients.update(rateRatio);

    // Correction poles: fixed, 50 Hz to 20 kHz at 48 kHz whatever the rate.
    correction::computeCorrectionPoles(poleA1, poleA2);

    correctionState.clearHistory(0);
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
    rowFraction = f;
    crossGain = g;
    rowsLaidOut = 0;

    const int e2 = e >= 0 ? e : e + 50;
    const int placeRowNumbers[4] = {50 * (3 + a) + e2 + 16, 50 * (21 + a) + e2 + 32, 50 * (3 + a) + e + 48,
                                    50 * (21 + a) + e};
    for (int k = 0; k < 4; ++k)
    {
        placeRowPointers[2 * k] = row(left, placeRowNumbers[k]);
        placeRowPointers[2 * k + 1] = row(right, placeRowNumbers[k]);
    }
}

// Lays out the rows of this block that the route reads, once per block.
void Controlsgui::layOutRows(Route route)
{
    if (route == Route::listener && !(rowsLaidOut & 1))
    {
        // Blend each row pair: left direct, left cross (times g), right
        // direct, right cross (times g); then lay them out tap pair by tap
        // pair.
        const float f = rowFraction;
        const float w0 = 1.0f - f;
        float blended[4][hrirTaps];
        for (int k = 0; k < 4; ++k)
        {
            const float* r0 = hrirRowPointers[2 * k];
            const float* r1 = hrirRowPointers[2 * k + 1];
            const float gain = (k & 1) ? crossGain : 1.0f;
            for (int t = 0; t < hrirTaps; ++t)
            {
                const float blend = w0 * r0[t] + f * r1[t];
                blended[k][t] = (k & 1) ? gain * blend : blend;
            }
        }
        listenerRows.set(blended);
        rowsLaidOut |= 1;
    }
    if (route == Route::places && !(rowsLaidOut & 2))
    {
        for (int k = 0; k < 4; ++k)
            placeRows[k].set(placeRowPointers[2 * k], placeRowPointers[2 * k + 1]);
        rowsLaidOut |= 2;
    }
}

// Gain, noise and saturator of one internal sample, both channels.
inline void Controlsgui::saturateInternalSample(float sL, float sR, float& vL, float& vR)
{
    const float nL = 6.0f * sL + chainNoise.next();
    const float nR = 6.0f * sR + chainNoise.next();
    vL = chain::runSaturator(saturatorCoefficients, saturatorState[0], nL);
    vR = chain::runSaturator(saturatorCoefficients, saturatorState[1], nR);
}

// The same and the correction (record 0 of the block, for both channels).
inline void Controlsgui::correctInternalSample(float sL, float sR, float& cL, float& cR)
{
    float vL, vR;
    saturateInternalSample(sL, sR, vL, vR);
    correction::processCorrectionPair(correctionLayout, correctionState, vL, vR, cL, cR);
}

// The rest of one internal sample once its convolvers have run: the routing
// (placeOutputs: the four place convolvers' outputs), the studio mix, gate and
// trim, as they enter the output history.
inline void Controlsgui::finishInternalSample(Route route, float cL, float cR, const float placeOutputs[4],
                                              float studioL, float studioR, bool gateOpen, float& outL,
                                              float& outR)
{
    float left, right;
    if (route == Route::places)
    {
        const int pos = placeDelayPosition = placeDelayPosition == 0 ? delayLength - 1 : placeDelayPosition - 1;
        const float* delays[4];
        for (int k = 0; k < 4; ++k)
        {
            const float y = placeOutputs[k];
            placeDelay[k][pos] = y;
            placeDelay[k][pos + delayLength] = y;
            delays[k] = &placeDelay[k][pos];
        }
        float sumL, sumR;
        placerows::placeDots(placeRows, delays, sumL, sumR);
        left = 0.125f * sumL;
        right = 0.125f * sumR;
    }
    else if (route == Route::listener)
    {
        listenerrows::listenerDots(listenerRows, hrirDelay.push(cL, cR), left, right);
    }
    else
    {
        left = cL;
        right = cR;
    }

    if (gateOpen)
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
    outL = left * 0.125f;
    outR = right * 0.125f;
}

// The gate each internal sample after the current output frame runs with.
inline bool Controlsgui::gateForNextSample() const
{
    return (headphoneCurveLoaded && referenceCurveLoaded) || decodeSelector(params[pMode]) == modePlaces;
}

Controlsgui::Route Controlsgui::currentRoute() const
{
    return placeConvolverOn ? Route::places : (hrirPathOn ? Route::listener : Route::dry);
}

// Back to the output rate at z2, the peaking stage, the outputs, the gate for
// the next internal sample and the output peaks.
inline void Controlsgui::emitFrame(const BlockIo& io, int n, float z2, BlockPeaks& peaks)
{
    float cL[6], cR[6];
    chain::interpolatorCoefficients(chain::setB, outputHistory[0], cL);
    chain::interpolatorCoefficients(chain::setB, outputHistory[1], cR);
    interpolatedOutput[0] = chain::interpolate(cL, z2);
    interpolatedOutput[1] = chain::interpolate(cR, z2);

    const float resultL = chain::runPeaking(peakingCoefficients, peakingState[0], interpolatedOutput[0]);
    const float resultR = chain::runPeaking(peakingCoefficients, peakingState[1], interpolatedOutput[1]);
    io.out0[n] = resultL;
    // With the second input unconnected the right output carries the left
    // result rather than whatever the buffer held.
    if (io.out1)
        io.out1[n] = stereoOutput ? resultR : resultL;

    wetGateOpen = gateForNextSample() ? 1 : 0;

    peaks.outL = raisePeak(peaks.outL, std::fabs(resultL));
    if (io.out1)
        peaks.outR = raisePeak(peaks.outR, std::fabs(io.out1[n]));
}

// Frames [first, first + count), each through the whole chain in turn, the
// convolvers fed one sample per call. Follows the resampler's phase wherever
// it stands.
void Controlsgui::renderFrameByFrame(const BlockIo& io, int first, int count, BlockPeaks& peaks)
{
    const double quarterStep = double(inputPhaseStep * 0.25f);
    const double step = double(internalStep);
    for (int n = first; n < first + count; ++n)
    {
        // Read the frame before anything is written: buffers may be shared.
        float xL, xR;
        readFrame(io.in0, io.in1, n, xL, xR);

        for (int q = 0; q < 4; ++q)
        {
            float yL, yR;
            interpolation::runFilterPair(interpolationPair, interpolationState, q == 0 ? xL : 0.0f,
                                         q == 0 ? xR : 0.0f, yL, yR);
            chain::pushHistory(inputHistory[0], yL);
            chain::pushHistory(inputHistory[1], yR);
            if (internalPhase < quarterStep)
            {
                float aL[6], aR[6];
                chain::interpolatorCoefficients(chain::setA, inputHistory[0], aL);
                chain::interpolatorCoefficients(chain::setA, inputHistory[1], aR);
                while (internalPhase < quarterStep)
                {
                    const float z = float(internalPhase / quarterStep) - 0.5f;
                    float cL, cR;
                    correctInternalSample(chain::interpolate(aL, z), chain::interpolate(aR, z), cL, cR);
                    const Route route = currentRoute();
                    layOutRows(route);
                    float placeOutputs[4] = {0.0f, 0.0f, 0.0f, 0.0f};
                    if (route == Route::places)
                    {
                        const float m = (cL + cR) * 0.5f;
                        for (int k = 0; k < 4; ++k)
                            convolvers[2 + k].process(&m, &placeOutputs[k], 1);
                    }
                    float studioL = 0.0f, studioR = 0.0f;
                    const bool studio = studioConvolverOn != 0;
                    if (studio)
                    {
                        convolvers[0].process(&cL, &studioL, 1);
                        convolvers[1].process(&cR, &studioR, 1);
                    }
                    float outL, outR;
                    finishInternalSample(route, cL, cR, placeOutputs, studioL, studioR, wetGateOpen != 0, outL,
                                         outR);
                    chain::pushHistory(outputHistory[0], outL);
                    chain::pushHistory(outputHistory[1], outR);
                    internalPhase += step;
                }
            }
            internalPhase -= quarterStep;
        }

        // Only the last phase's output value is kept, so it is the only one
        // computed.
        emitFrame(io, n, (1.0f - float(internalPhase / step)) - 0.5f, peaks);
        peaks.inL = raisePeak(peaks.inL, std::fabs(xL));
        peaks.inR = raisePeak(peaks.inR, std::fabs(xR));
    }
}

// Whether every frame makes exactly one internal sample, at phase 0 of its
// first quarter, and leaves the phase at 0 again: the grid the staged road
// relies on. It always holds with the steps initialise sets.
bool Controlsgui::onFixedGrid() const
{
    const double quarterStep = double(inputPhaseStep * 0.25f);
    return internalPhase == 0.0 && quarterStep > 0.0 && 4.0 * quarterStep == double(internalStep);
}

// Frames [first, first + count), count <= stageFrames, in stages. On the fixed
// grid the internal sample sits at z = -0.5 of the input history and the
// output is read at z2 = 0.5, the values the frame-by-frame road computes
// there; the phase itself returns to 0 after every frame and is left alone.
// The stages without recursion (the interpolators) run four frames at a time,
// one frame per lane.
void Controlsgui::renderStaged(const BlockIo& io, int first, int count, BlockPeaks& peaks)
{
    const Route route = currentRoute();
    layOutRows(route);
    const bool studio = studioConvolverOn != 0;
    float* const cL = stageCorrected[0];
    float* const cR = stageCorrected[1];

    // 1. Every stage before the convolvers, for the whole pass. The whole
    // input of the pass is read here, before any output is written.
    // 1a. The 4x filter, its outputs by quarter; the history before the pass
    // (newest first) in columns 1 and 0.
    for (int c = 0; c < 2; ++c)
    {
        const float* h = inputHistory[c];
        float(*y)[stageFrames + 2] = stageQuarters[c];
        y[0][0] = y[1][0] = 0.0f;
        y[2][0] = h[5];
        y[3][0] = h[4];
        y[0][1] = h[3];
        y[1][1] = h[2];
        y[2][1] = h[1];
        y[3][1] = h[0];
    }
    for (int i = 0; i < count; ++i)
    {
        float xL, xR;
        readFrame(io.in0, io.in1, first + i, xL, xR);
        stageInput[0][i] = xL;
        stageInput[1][i] = xR;
        peaks.inL = raisePeak(peaks.inL, std::fabs(xL));
        peaks.inR = raisePeak(peaks.inR, std::fabs(xR));
    }
    {
        float* const yL[4] = {&stageQuarters[0][0][2], &stageQuarters[0][1][2], &stageQuarters[0][2][2],
                              &stageQuarters[0][3][2]};
        float* const yR[4] = {&stageQuarters[1][0][2], &stageQuarters[1][1][2], &stageQuarters[1][2][2],
                              &stageQuarters[1][3][2]};
        interpolation::runFilterPass(interpolationPair, interpolationState, stageInput[0], stageInput[1], count, yL,
                                     yR);
    }
    // 1b. The internal samples: the six newest filter outputs after each
    // frame's first quarter, at z = -0.5.
    for (int c = 0; c < 2; ++c)
    {
        const float(*y)[stageFrames + 2] = stageQuarters[c];
        float* s = stageInternal[c];
        int i = 0;
        for (; i + 4 <= count; i += 4)
        {
            const Float4 h[6] = {load4(&y[0][i + 2]), load4(&y[3][i + 1]), load4(&y[2][i + 1]),
                                 load4(&y[1][i + 1]), load4(&y[0][i + 1]), load4(&y[3][i])};
            Float4 a[6];
            chain::interpolatorCoefficients(chain::setA, h, a);
            store4(s + i, chain::interpolate(a, -0.5f));
        }
        for (; i < count; ++i)
        {
            const float h[6] = {y[0][i + 2], y[3][i + 1], y[2][i + 1], y[1][i + 1], y[0][i + 1], y[3][i]};
            float a[6];
            chain::interpolatorCoefficients(chain::setA, h, a);
            s[i] = chain::interpolate(a, -0.5f);
        }
        float* h = inputHistory[c];
        h[0] = y[3][count + 1];
        h[1] = y[2][count + 1];
        h[2] = y[1][count + 1];
        h[3] = y[0][count + 1];
        h[4] = y[3][count];
        h[5] = y[2][count];
    }
    // 1c. Gain and noise, the saturator; 1d. the correction filter.
    for (int i = 0; i < count; ++i)
    {
        stageSaturated[0][i] = 6.0f * stageInternal[0][i] + chainNoise.next();
        stageSaturated[1][i] = 6.0f * stageInternal[1][i] + chainNoise.next();
    }
    chain::runSaturatorPair(saturatorCoefficients, saturatorState[0], saturatorState[1], stageSaturated[0],
                            stageSaturated[1], count);
    correction::processCorrectionPass(correctionLayout, correctionState, stageSaturated[0], stageSaturated[1], cL, cR,
                                      count);

    // 2. Each active convolver once over the pass.
    if (route == Route::places)
    {
        for (int i = 0; i < count; ++i)
            stagePlaceInput[i] = (cL[i] + cR[i]) * 0.5f;
        // One input through four responses: the forward transforms are shared.
        convolution::TwoStageConvolver* const group[4] = {&convolvers[2], &convolvers[3], &convolvers[4],
                                                          &convolvers[5]};
        float* const outputs[4] = {stagePlaceOutput[0], stagePlaceOutput[1], stagePlaceOutput[2],
                                   stagePlaceOutput[3]};
        convolution::TwoStageConvolver::processShared(group, 4, stagePlaceInput, outputs, size_t(count));
    }
    if (studio)
    {
        convolvers[0].process(cL, stageStudio[0], size_t(count));
        convolvers[1].process(cR, stageStudio[1], size_t(count));
    }

    // 3. The rest. 3a. Routing, studio mix, gate and trim, frame by frame,
    // after the five outputs before the pass (oldest first). The first frame
    // runs with the gate the last block left, the others with the one each
    // output frame sets.
    for (int c = 0; c < 2; ++c)
        for (int k = 0; k < 5; ++k)
            stageFinished[c][k] = outputHistory[c][4 - k];
    const bool gate = gateForNextSample();
    for (int i = 0; i < count; ++i)
    {
        float placeOutputs[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        if (route == Route::places)
            for (int k = 0; k < 4; ++k)
                placeOutputs[k] = stagePlaceOutput[k][i];
        finishInternalSample(route, cL[i], cR[i], placeOutputs, studio ? stageStudio[0][i] : 0.0f,
                             studio ? stageStudio[1][i] : 0.0f, i == 0 ? wetGateOpen != 0 : gate,
                             stageFinished[0][i + 5], stageFinished[1][i + 5]);
    }
    wetGateOpen = gate ? 1 : 0;
    // 3b. Back to the output rate at z2 = 0.5.
    for (int c = 0; c < 2; ++c)
    {
        const float* f = stageFinished[c] + 5;
        float* o = stageInterpolated[c];
        int i = 0;
        for (; i + 4 <= count; i += 4)
        {
            const Float4 h[6] = {load4(f + i), load4(f + i - 1), load4(f + i - 2),
                                 load4(f + i - 3), load4(f + i - 4), load4(f + i - 5)};
            Float4 b[6];
            chain::interpolatorCoefficients(chain::setB, h, b);
            store4(o + i, chain::interpolate(b, 0.5f));
        }
        for (; i < count; ++i)
        {
            const float h[6] = {f[i], f[i - 1], f[i - 2], f[i - 3], f[i - 4], f[i - 5]};
            float b[6];
            chain::interpolatorCoefficients(chain::setB, h, b);
            o[i] = chain::interpolate(b, 0.5f);
        }
        for (int k = 0; k < 6; ++k)
            outputHistory[c][k] = f[count - 1 - k];
        interpolatedOutput[c] = o[count - 1];
    }
    // 3c. The peaking stage, the outputs and their peaks.
    float* const resultsL = stageInterpolated[0];
    float* const resultsR = stageInterpolated[1];
    chain::runPeakingPair(peakingCoefficients, peakingState[0], peakingState[1], stageInterpolated[0],
                          stageInterpolated[1], resultsL, resultsR, count);
    for (int i = 0; i < count; ++i)
    {
        const int n = first + i;
        const float resultL = resultsL[i];
        const float resultR = resultsR[i];
        io.out0[n] = resultL;
        if (io.out1)
            io.out1[n] = stereoOutput ? resultR : resultL;
        peaks.outL = raisePeak(peaks.outL, std::fabs(resultL));
        if (io.out1)
            peaks.outR = raisePeak(peaks.outR, std::fabs(io.out1[n]));
    }
}

void Controlsgui::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    DenormalGuard denormals;
    takeHandOverFlags();
    activeSectionCount = sectionCount;
    correctionLayout.prepare(coefficientTable[0], poleA1, poleA2);
    interpolationPair.set(interpolationFilter);
    chooseRows();

    BlockPeaks peaks;
    if (sampleFrames > 0 && inputs && outputs && inputs[0] && outputs[0])
    {
        const BlockIo io{inputs[0], inputs[1] ? inputs[1] : inputs[0], outputs[0], outputs[1]};
        if (!frameByFrame && onFixedGrid())
        {
            // Longer blocks than the scratch holds run in several passes.
            for (int first = 0; first < sampleFrames; first += stageFrames)
                renderStaged(io, first, std::min(stageFrames, int(sampleFrames) - first), peaks);
        }
        else
        {
            renderFrameByFrame(io, 0, int(sampleFrames), peaks);
        }
    }
    else if (sampleFrames > 0 && outputs)
    {
        // No input to render: the host gets silence, not what its buffers held.
        for (int c = 0; c < 2; ++c)
            if (outputs[c])
                std::memset(outputs[c], 0, size_t(sampleFrames) * sizeof(float));
    }
    inputPeakLeft = peaks.inL;
    inputPeakRight = peaks.inR;
    outputPeakLeft = peaks.outL;
    outputPeakRight = peaks.outR;
}
