#pragma once
#include "CurveList.h"
#include "DesignGrid.h"
#include "DesignTables.h"

// The correction-filter design: turns the curve lists into the desired
// magnitude (smoothed, soft-limited worn headphones against the emulated
// headphones, monitor or reference, with the loudness tilt of "Gain"), gives it
// minimum phase and fits the 211 coefficients by least squares with the design
// tables.
namespace correction
{
// The eight work arrays of one design, each float[16384] with its mirror image.
enum DesignScratchArray
{
    desiredGainArray, headphoneGainArray, smoothedGainArray, nefGainArray,
    referenceGainArray, loudnessGain10Array, loudnessGain50Array, loudnessGain90Array,
    designScratchArrayCount
};

// Parameter indices the design reads.
constexpr int gainParameter = 6;
constexpr int modeParameter = 15;
constexpr int headphoneVariantParameter = 17;
constexpr int moveableParameter = 37;

struct CorrectionDesignInput
{
    const CurveList* headphoneCurve;   // worn headphones
    const CurveList* nefCurve;         // fixed reference response
    const CurveList* referenceCurve;   // emulated headphones or monitor
    const CurveList* loudnessCurve10;
    const CurveList* loudnessCurve50;
    const CurveList* loudnessCurve90;
    const float* targetCurve;          // designBinCount values, smoothing control
    float designWeight;                // sets the soft limit's knee (4.0)
    const float* params;               // the 38 live parameter values
};

// Smoothing half-width at bin i for a target value (clamped to 0..1, NaN as 0):
// 54 bins at 1, 485 at 0, never beyond either end of the band. [any thread]
int smoothingHalfWidth(float target, int bin);

// Moving average of gain[0..8191] with the target curve's half-widths into
// smoothed[0..8191], summed in float in a fixed order. [host thread]
void smoothGain(const float* gain, const float* targetCurve, float* smoothed);

// The soft limit of a smoothed gain a around 1 with knee weight g. [any thread]
float softLimit(float a, float weight);

// Routing flags of the design for a mode and HEADPHONES variant value; other
// decoded values leave the flags unchanged. [any thread]
void updateCurveFlags(const float* params, unsigned char& curveFlagA, unsigned char& curveFlagB);

// Least-squares fit of the 211 coefficients to the complex response
// hRe + j hIm on the design bins, in double. [host thread]
void fitCoefficients(const DesignTableArrays& tables, const double* hRe, const double* hIm,
                     double coefficients[recordSize]);

// Steps shared by every design: gives the magnitude[0..8192] minimum phase and
// fits the 211 coefficients to it; writes record only when every coefficient
// is finite. False (record untouched) otherwise or when memory ran out;
// nothing escapes. [host thread]
bool fitMinimumPhase(const float* magnitude, const DesignTableArrays& tables, float record[recordSize]);

// The whole design: writes the work arrays, the two curve flags and, when
// every coefficient is finite, the record. Returns false (record untouched)
// when the fit is not finite or memory ran out; nothing escapes.
// scratch is designScratch: designScratchArrayCount arrays of designFftSize.
// [host thread]
bool designCorrectionFilter(const CorrectionDesignInput& input, const DesignTableArrays& tables,
                            float (*scratch)[designFftSize], unsigned char& curveFlagA,
                            unsigned char& curveFlagB, float record[recordSize]);
}
