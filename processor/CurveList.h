#pragma once
#include <cstdint>

// A frequency response held by the processor: up to 1000 points, frequencies
// ascending in Hz and levels in dB. Filled by the curve-file loaders, read by
// the correction design.
struct CurveList
{
    static constexpr int32_t capacity = 1000;
    int32_t count = 0;
    float hz[capacity] = {};
    float db[capacity] = {};
};
