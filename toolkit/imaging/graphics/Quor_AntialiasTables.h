// The process-wide tables behind anti-aliased drawing: the slope correction and the Gaussian
// distance filter of smoothed lines, and a square-root table for distances given squared.
#pragma once

#include <cstdint>

struct Quor_AntialiasTables {
    // slope_corr_table[i] = trunc(256 * sqrt(s^2 + 1) * 0.70710677) with s = (i + 0.5) / 32: the
    // ink a line of slope s spreads over one major-axis step, relative to a diagonal. Slopes of 1
    // or more use 256.
    int32_t slope_corr_table[32];
    // filter_table[i] = trunc(256 * exp(-(d / 0.75)^2)) with d = (i + 0.5) / 32 pixels: the
    // coverage of a pixel whose centre lies d from a line's centre.
    int32_t filter_table[64];
    // sqrt_table[i] = trunc(32 * sqrt((2i + 1) / 32)): the distance in 1/32 pixel of a squared
    // distance in 1/1024 pixel^2, looked up by that square shifted right by 6.
    int32_t sqrt_table[512];

    // Built on the first call, under std::call_once, and read-only afterwards. The first graphics
    // context constructs them, on the main thread, before any worker thread draws.
    static const Quor_AntialiasTables& Get();
};
