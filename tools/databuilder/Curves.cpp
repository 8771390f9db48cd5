#include "Curves.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "Fft.h"

namespace databuilder
{

const double isoFrequencies[isoFrequencyCount] = {
    20, 25, 31.5, 40, 50, 63, 80, 100, 125, 160, 200, 250, 315, 400, 500,
    630, 800, 1000, 1250, 1600, 2000, 2500, 3150, 4000, 5000, 6300, 8000, 10000, 12500,
};

namespace
{
// ISO 226:2003 table 1: exponent of loudness perception, magnitude of the
// linear transfer function normalised at 1 kHz, threshold of hearing.
const double isoAlpha[isoFrequencyCount] = {
    .532, .506, .480, .455, .432, .409, .387, .367, .349, .330, .315, .301, .288, .276, .267,
    .259, .253, .250, .246, .244, .243, .243, .243, .242, .242, .245, .254, .271, .301,
};
const double isoLu[isoFrequencyCount] = {
    -31.6, -27.2, -23.0, -19.1, -15.9, -13.0, -10.3, -8.1, -6.2, -4.5, -3.1, -2.0, -1.1, -0.4, 0.0,
    0.3, 0.5, 0.0, -2.7, -4.1, -1.0, 1.7, 2.5, 1.2, -2.1, -7.1, -11.2, -10.7, -3.1,
};
const double isoTf[isoFrequencyCount] = {
    78.5, 68.7, 59.5, 51.1, 44.0, 37.5, 31.5, 26.5, 22.1, 17.9, 14.4, 11.4, 8.6, 6.2, 4.4,
    3.0, 2.2, 2.4, 3.5, 1.7, -1.3, -4.2, -6.0, -5.4, -1.5, 6.0, 12.6, 13.9, 12.3,
};
constexpr int isoIndexOf1k = 17;

// Linear interpolation in log frequency over ascending points, held at the ends.
double interpolateLog(const double* hz, const double* db, int count, double f)
{
    if (f <= hz[0])
        return db[0];
    if (f >= hz[count - 1])
        return db[count - 1];
    int i = 1;
    while (hz[i] < f)
        ++i;
    const double t = std::log(f / hz[i - 1]) / std::log(hz[i] / hz[i - 1]);
    return db[i - 1] + t * (db[i] - db[i - 1]);
}
} // namespace

double isoLoudnessLevel(double phon, int index)
{
    const double alpha = isoAlpha[index];
    const double lu = isoLu[index];
    const double af = 4.47e-3 * (std::pow(10.0, 0.025 * phon) - 1.15) +
                      std::pow(0.4 * std::pow(10.0, (isoTf[index] + lu) / 10.0 - 9.0), alpha);
    return 10.0 / alpha * std::log10(af) - lu + 94.0;
}

std::vector<float> curveGrid()
{
    std::vector<float> grid{ 0.0f, 20000.0f, 24000.0f };
    grid.insert(grid.end(), std::begin(isoFrequencies), std::end(isoFrequencies));
    for (int k = -135; k <= 103; ++k)
    {
        const double f = 1000.0 * std::pow(2.0, k / 24.0);
        const bool nearIso = std::any_of(std::begin(isoFrequencies), std::end(isoFrequencies),
                                         [f](double iso) { return std::fabs(f / iso - 1.0) < 0.01; });
        if (!nearIso)
            grid.push_back(float(f));
    }
    std::sort(grid.begin(), grid.end());
    return grid;
}

Curve loudnessContour(double phon)
{
    double levels[isoFrequencyCount];
    for (int i = 0; i < isoFrequencyCount; ++i)
        levels[i] = isoLoudnessLevel(phon, i);
    const double reference = levels[isoIndexOf1k];
    for (double& level : levels)
        level -= reference;
    Curve curve{ curveGrid(), {} };
    for (float f : curve.hz)
        curve.db.push_back(float(interpolateLog(isoFrequencies, levels, isoFrequencyCount, f)));
    return curve;
}

Curve earResponseCurve(const float* response, size_t taps, double sampleRate, double depth)
{
    constexpr size_t size = 65536;
    const Spectrum spectrum = realSpectrum(response, taps, size);
    const double binHz = sampleRate / double(size);
    auto smoothedDb = [&](double f) {
        const double low = f * std::pow(2.0, -1.0 / 6.0), high = f * std::pow(2.0, 1.0 / 6.0);
        size_t first = size_t(std::ceil(low / binHz)), last = size_t(std::floor(high / binHz));
        last = std::min(last, size / 2);
        if (first > last)
            first = last = std::min(size_t(std::lround(f / binHz)), size / 2);
        double power = 0.0;
        for (size_t bin = first; bin <= last; ++bin)
            power += std::norm(spectrum[bin]);
        return 10.0 * std::log10(power / double(last - first + 1) + 1e-30);
    };

    Curve curve{ curveGrid(), {} };
    std::vector<double> levels;
    double reference = 0.0;
    int referenceCount = 0;
    for (float f : curve.hz)
    {
        levels.push_back(smoothedDb(std::clamp(double(f), 200.0, 20000.0)));
        if (f >= 200.0f && f <= 500.0f)
            reference += levels.back(), ++referenceCount;
    }
    reference /= referenceCount;
    for (double level : levels)
        curve.db.push_back(float((level - reference) * depth));
    return curve;
}

Curve flatCurve()
{
    Curve curve{ curveGrid(), {} };
    curve.db.assign(curve.hz.size(), 0.0f);
    return curve;
}

double curveLevelAt(const Curve& curve, double hz)
{
    const size_t n = curve.hz.size();
    if (n == 0)
        return 0.0;
    if (hz <= curve.hz[0])
        return curve.db[0];
    if (hz >= curve.hz[n - 1])
        return curve.db[n - 1];
    size_t i = 1;
    while (curve.hz[i] < hz)
        ++i;
    const double f0 = std::max(double(curve.hz[i - 1]), 1e-3);
    const double t = std::log(hz / f0) / std::log(curve.hz[i] / f0);
    return curve.db[i - 1] + std::clamp(t, 0.0, 1.0) * (curve.db[i] - curve.db[i - 1]);
}

} // namespace databuilder
