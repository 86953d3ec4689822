// The convolution kernel shared by the blur and filter routines of Quor_ImageOps.
#pragma once

#include <cstdint>

struct Quor_filterKernel {
    static constexpr int kMaxHalf = 30;
    static constexpr int kStride = 64;   // entries from one kernel row to the next

    int half = 0;   // radius, 1 to kMaxHalf; the kernel is (2 * half + 1) square
    int sum = 1;    // total of all weights, at least 1
    int32_t weights[61 * kStride] = {};

    const int32_t* Row(int i) const { return weights + i * kStride; }
    int32_t* Row(int i) { return weights + i * kStride; }
};
