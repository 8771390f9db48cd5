// The output peaking stage measured as a filter: centred at 21 kHz at every
// host rate, 9.7 times the all-pass difference band over the plain path.
#include <gtest/gtest.h>

#include <cmath>

#include "ChainStages.h"

namespace
{

const double pi = 3.14159265358979323846;

// Steady-state gain of the peaking stage for a sine of hz at rate fs.
double peakingGain(float fs, double hz)
{
    chain::PeakingCoefficients c;
    c.update(44100.0f / fs);
    chain::PeakingState s;
    const int frames = int(fs) / 4;
    double in2 = 0.0, out2 = 0.0;
    for (int n = 0; n < frames; ++n)
    {
        const float x = float(std::sin(2 * pi * hz * n / fs));
        const float y = chain::runPeaking(c, s, x);
        if (n >= frames / 2)
        {
            in2 += double(x) * x;
            out2 += double(y) * y;
        }
    }
    return std::sqrt(out2 / in2);
}

TEST(ReviewPeakingStage, CentredAt21kHzWithBoostOf9Point7AtEveryRate)
{
    for (float fs : {44100.0f, 48000.0f, 96000.0f})
    {
        // At the centre the all-pass turns the phase by half a turn: the
        // output is (2 * 9.7) * 3 times the input; far below it (y = o) 6.
        EXPECT_NEAR(peakingGain(fs, 100.0), 6.0, 0.01) << fs;
        EXPECT_NEAR(peakingGain(fs, 21000.0), 58.2, 0.05) << fs;
        // The maximum lies at the centre: 200 Hz either side is lower.
        EXPECT_LT(peakingGain(fs, 20800.0), peakingGain(fs, 21000.0)) << fs;
        EXPECT_LT(peakingGain(fs, 21200.0), peakingGain(fs, 21000.0)) << fs;
    }
}

} // namespace
