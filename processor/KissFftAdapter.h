#pragma once
#include <cstddef>

// The KISS FFT calls the processor makes, on the header-only kissfft.hh.
// The Windows build uses these (libkissfft exists for Linux only); Linux
// links libkissfft and tests that both agree.
namespace kissadapter
{

struct kiss_fft_cpx
{
    float r;
    float i;
};

struct kiss_fft_state;
using kiss_fft_cfg = kiss_fft_state*;

// [any thread] A complex plan of nfft points, forward when inverse is 0,
// unscaled like the C library. Only mem == null is supported (the plan is
// allocated); given a buffer, it answers null and sets *lenmem to 0.
// Null also when nfft < 1 or memory runs out.
kiss_fft_cfg kiss_fft_alloc(int nfft, int inverse, void* mem, std::size_t* lenmem);

// [any thread, one call per plan at a time] out = FFT(in); in == out is allowed.
void kiss_fft(kiss_fft_cfg cfg, const kiss_fft_cpx* in, kiss_fft_cpx* out);

// [any thread] Frees a plan from kiss_fft_alloc; null is ignored.
void kiss_fft_free(kiss_fft_cfg cfg);

} // namespace kissadapter
