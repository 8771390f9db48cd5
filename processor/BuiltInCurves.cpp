#include "BuiltInCurves.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace correction
{
namespace
{
constexpr double lowestHz = 20.0;
constexpr double highestHz = 24000.0;

std::array<BuiltInCurve, builtInCurveCount> makeTable()
{
    std::array<BuiltInCurve, builtInCurveCount> table{};
    for (int c = 0; c < builtInCurveCount; ++c)
    {
        BuiltInCurve& curve = table[c];
        curve.count = builtInCurvePointCounts[c];
        for (int j = 0; j < curve.count; ++j)
        {
            const double position = double(j) / double(curve.count - 1);
            curve.hz[j] = static_cast<float>(lowestHz * std::pow(highestHz / lowestHz, position));
            curve.firstDb[j] = 0.0f;
            curve.secondDb[j] = 0.0f;
        }
    }
    return table;
}
}

const BuiltInCurve& builtInCurve(int model)
{
    static const std::array<BuiltInCurve, builtInCurveCount> table = makeTable();
    return table[std::clamp(model, 0, builtInCurveCount - 1)];
}
}
