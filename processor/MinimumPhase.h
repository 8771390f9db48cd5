#pragma once
#include "DesignGrid.h"

namespace correction
{
// The minimum phase of a magnitude by the real cepstrum on a 16384-point FFT
// (KISS FFT): magnitude[0..8192] in, phase[0..16383] out (the upper half is
// the cepstral fold's by-product and not meaningful). False when the FFT could
// not be set up or memory ran out; nothing escapes. [host thread]
bool minimumPhase(const float* magnitude, float phase[designFftSize]);
}
