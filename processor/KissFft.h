#pragma once

// The complex FFT of the correction design and the studio waterfall:
// libkissfft on Linux, the same calls on kissfft.hh on Windows.
#if defined(_WIN32)
#include "KissFftAdapter.h"
using kissadapter::kiss_fft;
using kissadapter::kiss_fft_alloc;
using kissadapter::kiss_fft_cfg;
using kissadapter::kiss_fft_cpx;
using kissadapter::kiss_fft_free;
#else
#include <kissfft/kiss_fft.h>
#endif
