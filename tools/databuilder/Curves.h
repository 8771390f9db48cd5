#pragma once
#include <cstddef>
#include <vector>

// The generated curve files: loudness contours (ISO 226:2003), the reference
// ear response and the neutral headphone and flat monitor curves. Every curve
// starts at 0 Hz, ends at 24 kHz and is dense in between.
namespace databuilder
{

struct Curve
{
    std::vector<float> hz;
    std::vector<float> db;
};

inline constexpr int isoFrequencyCount = 29;
extern const double isoFrequencies[isoFrequencyCount];

// ISO 226:2003 sound pressure level (dB SPL) of the equal-loudness contour at
// the given loudness level (phon), at isoFrequencies[index].
double isoLoudnessLevel(double phon, int index);

// The common grid: 0 Hz, the 29 ISO 226 frequencies, 1/24-octave steps
// from 20 Hz to 19.7 kHz (none within 1 % of an ISO frequency), 20 kHz and
// 24 kHz.
std::vector<float> curveGrid();

// Contour at phon over the grid, minus its value at 1 kHz; the end values are
// held down to 0 Hz and up to 24 kHz, interpolated in log frequency between.
Curve loudnessContour(double phon);

// Third-octave smoothed magnitude of an ear response in dB relative to its
// 200-500 Hz mean, held below 200 Hz (the measurement chain's bass roll-off
// is not the head's), then scaled by depth (1 keeps the full shape).
Curve earResponseCurve(const float* response, size_t taps, double sampleRate, double depth);

// 0 dB everywhere on the grid.
Curve flatCurve();

// Level of a curve at f (Hz), interpolated linearly in log frequency (held
// past the ends).
double curveLevelAt(const Curve& curve, double hz);

} // namespace databuilder
