#pragma once
#include <cstddef>

// The frequency grid shared by the target curve, the design tables and the
// correction design: 8192 linear bins from 0 Hz to 24 kHz (design rate 48 kHz,
// whatever the host rate), and the 211-value coefficient record layout.
namespace correction
{
constexpr int designBinCount = 8192;
constexpr float designBinSpacing = 2.9300451f;  // 24000 / 8191 Hz
constexpr int designFftSize = 2 * designBinCount;  // 16384; index 16383 - i mirrors bin i

constexpr int sectionCount = 100;      // fixed-pole second-order sections
constexpr int directTapCount = 10;     // direct taps at delays 1 to 10
constexpr int recordSize = 2 * sectionCount + directTapCount + 1;  // 211
constexpr int firstDirectTap = 2 * sectionCount;  // 200: delay 1 .. 209: delay 10
constexpr int dryTap = recordSize - 1;            // 210: no delay
}
