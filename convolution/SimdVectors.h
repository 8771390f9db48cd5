// The 128-bit vector types the kernels share, with unaligned loads and
// stores. Operations on them are the plain lane-wise ones (no fused
// multiply-add), so a kernel gives the bits of its scalar form.
#pragma once

#include <cstring>

namespace simd {

typedef float Float4 __attribute__((vector_size(16)));
typedef double Double2 __attribute__((vector_size(16)));

inline Float4 load4(const float* p)
{
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store4(float* p, Float4 v) { std::memcpy(p, &v, sizeof v); }

inline Double2 load2(const double* p)
{
    Double2 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store2(double* p, Double2 v) { std::memcpy(p, &v, sizeof v); }

} // namespace simd
