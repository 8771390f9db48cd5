#include "SelfContainedDesign.h"

#include "CorrectionDesign.h"
#include "CurveResampling.h"
#include "DesignTables.h"

#include <cmath>
#include <vector>

namespace correction
{
namespace
{
// The fit's three matrices, owned for the length of one call.
struct OwnTables
{
    std::vector<double> basisReal, basisImag, normalInverse;

    OwnTables() : basisReal(basisValueCount), basisImag(basisValueCount), normalInverse(normalValueCount) {}
    DesignTableArrays arrays() { return {basisReal.data(), basisImag.data(), normalInverse.data()}; }
};

// The basis of the design tables with every sine and cosine taken in single
// precision: the angle pi i / 8191 is formed in float, the rest in double.
void computeBasisSinglePrecision(const float* poleA1, const float* poleA2, const DesignTableArrays& t)
{
    const float pi = 3.14159265f;
    for (int i = 0; i < designBinCount; ++i)
    {
        const float w = static_cast<float>(i) / 8191.0f * pi;
        const double cosW = std::cos(w), sinW = std::sin(w);
        const double cos2W = std::cos(2.0f * w), sin2W = std::sin(2.0f * w);
        for (int k = 0; k < sectionCount; ++k)
        {
            const double a1 = poleA1[k], a2 = poleA2[k];
            const double aRe = 1.0 + a1 * cosW + a2 * cos2W;
            const double aIm = -a1 * sinW - a2 * sin2W;
            const double norm = aRe * aRe + aIm * aIm;
            const double invRe = aRe / norm, invIm = -aIm / norm;
            const std::size_t current = std::size_t(2 * k) * designBinCount + i;
            const std::size_t previous = current + designBinCount;
            t.basisReal[current] = invRe;
            t.basisImag[current] = -invIm;
            // e^{-jw} / A
            t.basisReal[previous] = cosW * invRe + sinW * invIm;
            t.basisImag[previous] = -(cosW * invIm - sinW * invRe);
        }
        for (int m = 0; m < directTapCount; ++m)
        {
            const float angle = static_cast<float>(m + 1) * w;
            const std::size_t at = std::size_t(firstDirectTap + m) * designBinCount + i;
            t.basisReal[at] = std::cos(angle);
            t.basisImag[at] = std::sin(angle);  // -Im of e^{-j angle}
        }
        t.basisReal[std::size_t(dryTap) * designBinCount + i] = 1.0;
        t.basisImag[std::size_t(dryTap) * designBinCount + i] = 0.0;
    }
}
}

bool designFromCurve(const CurveList& curve, const float* poleA1, const float* poleA2,
                     float desired[designFftSize], float record[recordSize])
{
    try
    {
        resampleCurve(curve, desired);
        OwnTables own;
        if (!buildDesignTables(poleA1, poleA2, own.arrays()))
            return false;
        return fitMinimumPhase(desired, own.arrays(), record);
    }
    catch (...)
    {
        return false;
    }
}

bool designFromMagnitudePair(float* a, float* b, const float* poleA1, const float* poleA2,
                             float record[recordSize])
{
    constexpr int count = designBinCount + 1;  // bins 0..8192
    for (int k = 0; k < count; ++k)
    {
        if (!(a[k] >= 0.001f))
            a[k] = 0.001f;
        if (!(b[k] >= 0.001f))
            b[k] = 0.001f;
    }
    try
    {
        std::vector<float> desired(count);
        for (int k = 0; k < count; ++k)
            desired[k] = b[k] / a[k];
        OwnTables own;
        computeBasisSinglePrecision(poleA1, poleA2, own.arrays());
        if (!computeNormalInverse(own.arrays()))
            return false;
        return fitMinimumPhase(desired.data(), own.arrays(), record);
    }
    catch (...)
    {
        return false;
    }
}
}
