#include "CorrectionFilter.h"

#include <cmath>

namespace correction
{
void computeCorrectionPoles(float poleA1[sectionCount], float poleA2[sectionCount])
{
    const double pi = 3.14159265358979323846;
    double theta[sectionCount];
    for (int k = 0; k < sectionCount; ++k)
    {
        const double hz = std::pow(2.0, 5.64385605 + k * 0.0101010101 * 8.643857);  // 50 Hz .. 20 kHz
        theta[k] = 2.0 * pi * hz / 48000.0;
    }
    for (int k = 0; k < sectionCount; ++k)
    {
        double spacing;
        if (k == 0)
            spacing = theta[1] - theta[0];
        else if (k == sectionCount - 1)
            spacing = theta[k] - theta[k - 1];
        else
            spacing = theta[k + 1] - theta[k - 1];
        const double r = std::exp(-spacing / 2.0);
        poleA1[k] = static_cast<float>(-2.0 * r * std::cos(theta[k]));
        poleA2[k] = static_cast<float>(r * r);
    }
}
}
