#include "InterpolationFilter.h"

namespace interpolation
{

// Designed with scripts/design/interpolation_filter.py (scipy): elliptic,
// 8th order, 0.05 dB pass-band ripple, 80 dB stop band, pass-band edge
// 20.5 kHz at 192 kHz (normalised 0.2135 of Nyquist). The feedback
// coefficients were rounded to float first and the feed-forward ones scaled
// so that the float filter's DC gain is 1.000000000. At 192 kHz: -0.00 dB at
// 10 kHz, +0.03 dB at 20 kHz, -27.9 dB at 24 kHz, -68 dB at 28 kHz and below
// -80 dB from 30 kHz on; the poles lie inside radius 0.970 after rounding.
const double designCoefficients[coefficientCount] = {
    0.0006937831918198829,  -0.00085553541643600118, 0.0018174969186406545,
    -0.0010219508735472235, 0.0018211250513061187,   -0.0010219508735472246,
    0.0018174969186406543,  -0.00085553541643600118, 0.0006937831918198829,
    5.8630325590333827,     -15.859686549438152,     25.645614164692482,
    -26.996194452951713,    18.891820061025832,      -8.5687688255237315,
    2.3012493892600316,     -0.28015588823982762,
};

} // namespace interpolation
