// Whether the processor runs AVX. The eight-lane kernels are compiled where
// the compiler can target AVX (QUILLATONE_AVX_KERNELS) and chosen at run time
// where the processor has it.
#pragma once

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define QUILLATONE_AVX_KERNELS 1
#endif

namespace cpu {

// Asks the processor. Each module keeps the answer in a constant set when it
// loads, so that the audio thread never asks. [any thread]
inline bool detectAvx()
{
#ifdef QUILLATONE_AVX_KERNELS
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx");
#else
    return false;
#endif
}

} // namespace cpu
