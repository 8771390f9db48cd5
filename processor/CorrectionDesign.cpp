#include "CorrectionDesign.h"

#include "CurveResampling.h"
#include "MinimumPhase.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <vector>

namespace correction
{
namespace
{
float clampUnit(float v, float nanValue)
{
    if (std::isnan(v))
        return nanValue;
    return std::min(std::max(v, 0.0f), 1.0f);
}

// int(2 v) for a selector value, decoded through the same clamp as the
// parameter actions (NaN counts as 0), so both agree on the mode and variant.
int decodeSelector(float v)
{
    return static_cast<int>(2.0f * clampUnit(v, 0.0f));
}

void mirror(float* values)
{
    for (int i = 0; i < designBinCount; ++i)
        values[designFftSize - 1 - i] = values[i];
}
}

int smoothingHalfWidth(float target, int bin)
{
    const int w = static_cast<int>((1.0f - clampUnit(target, 0.0f)) * 431.0f) + 54;
    return std::min(w, std::min(bin, designBinCount - 1 - bin));
}

void smoothGain(const float* gain, const float* targetCurve, float* smoothed)
{
    // Eight bins at a time, each with its own sum in the stated order (its own
    // bin first, then the pairs at distance 1, 2, ...): all lanes together up
    // to the narrowest width, then each lane alone.
    constexpr int lanes = 8;
    static_assert(designBinCount % lanes == 0, "whole groups");
    for (int first = 0; first < designBinCount; first += lanes)
    {
        int width[lanes];
        float sum[lanes];
        int common = designBinCount;
        for (int l = 0; l < lanes; ++l)
        {
            width[l] = smoothingHalfWidth(targetCurve[first + l], first + l);
            sum[l] = gain[first + l];
            common = std::min(common, width[l]);
        }
        for (int m = 1; m <= common; ++m)
        {
            const float* below = gain + first - m;
            const float* above = gain + first + m;
            for (int l = 0; l < lanes; ++l)
                sum[l] += below[l] + above[l];
        }
        for (int l = 0; l < lanes; ++l)
        {
            const int bin = first + l;
            for (int m = common + 1; m <= width[l]; ++m)
                sum[l] += gain[bin - m] + gain[bin + m];
            smoothed[bin] = sum[l] / static_cast<float>(2 * width[l] + 1);
        }
    }
}

float softLimit(float a, float weight)
{
    const float t = 0.8f * weight;
    const float u = 1.25f * weight;
    float m = a >= 1.0f ? a : 1.0f / a;
    if (m > t)
        m = t + (u - t) * std::sin((m - t) / (u - t) * 1.5707964f);
    return a >= 1.0f ? m : 1.0f / m;
}

void updateCurveFlags(const float* params, unsigned char& curveFlagA, unsigned char& curveFlagB)
{
    switch (decodeSelector(params[modeParameter]))
    {
    case 0:  // MIX: monitor, times the reference when "Moveable"
        curveFlagA = 1;
        curveFlagB = params[moveableParameter] >= 0.1f ? 1 : 0;
        break;
    case 1:  // HEADPHONES: emulated headphones, or the reference for variant 2
    {
        const bool reference = decodeSelector(params[headphoneVariantParameter]) == 2;
        curveFlagA = reference ? 0 : 1;
        curveFlagB = reference ? 1 : 0;
        break;
    }
    case 2:  // PLACES: neutral
        curveFlagA = 0;
        curveFlagB = 0;
        break;
    default:
        break;
    }
}

void fitCoefficients(const DesignTableArrays& tables, const double* hRe, const double* hIm,
                     double coefficients[recordSize])
{
    using RowMajorMatrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;
    const Eigen::Map<const RowMajorMatrix> hr(tables.basisReal, recordSize, designBinCount);
    const Eigen::Map<const RowMajorMatrix> hi(tables.basisImag, recordSize, designBinCount);
    const Eigen::Map<const RowMajorMatrix> n(tables.normalInverse, recordSize, recordSize);
    const Eigen::Map<const Eigen::VectorXd> re(hRe, designBinCount);
    const Eigen::Map<const Eigen::VectorXd> im(hIm, designBinCount);

    // Re(B^H h), then the normal equations' solution.
    Eigen::VectorXd projection = hr * re;
    projection.noalias() -= hi * im;
    Eigen::Map<Eigen::VectorXd>(coefficients, recordSize).noalias() = n * projection;
}

bool fitMinimumPhase(const float* magnitude, const DesignTableArrays& tables, float record[recordSize])
{
    try
    {
        std::vector<float> phase(designFftSize);
        if (!minimumPhase(magnitude, phase.data()))
            return false;

        std::vector<double> hRe(designBinCount), hIm(designBinCount);
        for (int k = 0; k < designBinCount; ++k)
        {
            hRe[k] = static_cast<double>(magnitude[k] * std::cos(phase[k]));
            hIm[k] = static_cast<double>(magnitude[k] * std::sin(phase[k]));
        }

        double coefficients[recordSize];
        fitCoefficients(tables, hRe.data(), hIm.data(), coefficients);

        // Publish only a finite record: the running filter keeps the last good one.
        float rounded[recordSize];
        for (int r = 0; r < recordSize; ++r)
        {
            rounded[r] = static_cast<float>(coefficients[r]);
            if (!std::isfinite(rounded[r]))
                return false;
        }
        std::copy(rounded, rounded + recordSize, record);
        return true;
    }
    catch (...)
    {
        return false;
    }
}

bool designCorrectionFilter(const CorrectionDesignInput& input, const DesignTableArrays& tables,
                            float (*scratch)[designFftSize], unsigned char& curveFlagA,
                            unsigned char& curveFlagB, float record[recordSize])
{
    try
    {
        float* desired = scratch[desiredGainArray];
        float* headphone = scratch[headphoneGainArray];
        float* smoothed = scratch[smoothedGainArray];
        float* nef = scratch[nefGainArray];
        float* reference = scratch[referenceGainArray];
        float* loudness10 = scratch[loudnessGain10Array];
        float* loudness50 = scratch[loudnessGain50Array];
        float* loudness90 = scratch[loudnessGain90Array];

        std::fill(desired, desired + designFftSize, 1.0f);

        // The worn headphones, smoothed under the target curve and soft-limited.
        resampleCurve(*input.headphoneCurve, headphone);
        smoothGain(headphone, input.targetCurve, smoothed);
        for (int i = 0; i < designBinCount; ++i)
            smoothed[i] = softLimit(smoothed[i], input.designWeight);
        mirror(smoothed);

        resampleCurve(*input.nefCurve, nef);
        resampleCurve(*input.referenceCurve, reference);
        resampleCurve(*input.loudnessCurve10, loudness10);
        resampleCurve(*input.loudnessCurve50, loudness50);
        resampleCurve(*input.loudnessCurve90, loudness90);

        // Loudness contours as ratios to the 50-phon contour, bin 0 included: its plain
        // contour gains would put a step of tens of dB at 0 Hz into the fit.
        for (int i = 0; i < designBinCount; ++i)
        {
            loudness10[i] = loudness10[designFftSize - 1 - i] = loudness10[i] / loudness50[i];
            loudness90[i] = loudness90[designFftSize - 1 - i] = loudness90[i] / loudness50[i];
        }

        const float gain = clampUnit(input.params[gainParameter], 0.5f);
        const float blend = gain >= 0.5f ? 2.0f * (gain - 0.5f) : 2.0f * (0.5f - gain);
        const float* loudness = gain >= 0.5f ? loudness90 : loudness10;

        updateCurveFlags(input.params, curveFlagA, curveFlagB);

        for (int i = 0; i < designFftSize; ++i)
        {
            float x = curveFlagB ? nef[i] : 1.0f;
            if (curveFlagA)
                x *= reference[i];
            x /= smoothed[i];
            desired[i] = (loudness[i] * blend + (1.0f - blend)) * x;
        }

        return fitMinimumPhase(desired, tables, record);
    }
    catch (...)
    {
        return false;
    }
}
}
