#pragma once

// The program's built-in curve table: 11 curves, each a point count, one
// frequency list and two level lists (the first for record 0, the second
// for record 1).
//
// The measured levels of these curves are not available to this build. Each
// curve keeps its point count, with its frequencies spaced evenly on a log
// scale from 20 Hz to 24 kHz and every level at 0 dB, so a design from any of
// them is flat.
namespace correction
{
constexpr int builtInCurveCount = 11;
constexpr int builtInCurvePointCounts[builtInCurveCount] = {33, 45, 45, 29, 26, 16, 16, 22, 77, 70, 76};
constexpr int builtInCurveMaxPoints = 77;

struct BuiltInCurve
{
    int count;
    float hz[builtInCurveMaxPoints];
    float firstDb[builtInCurveMaxPoints];
    float secondDb[builtInCurveMaxPoints];
};

// Curve model of the table; model is limited to 0..10. [any thread]
const BuiltInCurve& builtInCurve(int model);
}
