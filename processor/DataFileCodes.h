#pragma once
#include <cstdint>

// Result codes of the data-file loaders. No caller is required to inspect them.
namespace datafiles
{
inline constexpr int32_t fileOk = 0;          // read as a whole
inline constexpr int32_t fileCannotOpen = 3;  // missing, unreadable or no data root
inline constexpr int32_t fileInvalid = 5;     // wrong format or values (count out of range, not finite)
inline constexpr int32_t fileReadError = 8;   // shorter than its layout

// Bounds of values that a measurement can hold; a value beyond them is
// invalid like a non-finite one. Levels of headphone, monitor and reference
// curves are stored normalised (mean or a reference band at 0 dB); loudness
// contours are stored relative to their 1 kHz level, and the 10-phon contour
// lies about 74 dB above it at 20 Hz. Response and place samples are linear.
inline constexpr float maxCurveLevelDb = 50.0f;
inline constexpr float maxLoudnessLevelDb = 100.0f;
inline constexpr float maxResponseMagnitude = 16.0f;

// [any thread] False for NaN and infinities as well.
inline bool withinBound(float value, float bound)
{
    return value >= -bound && value <= bound;
}
} // namespace datafiles
