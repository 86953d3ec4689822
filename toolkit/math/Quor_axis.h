// Selects a coordinate axis for rotations and shears: 0 = x, 1 = y, 2 = z. Operations given any
// other value do nothing.
#pragma once

#include <cstdint>

enum Quor_axis : int32_t {
    QUOR_AXIS_X = 0,
    QUOR_AXIS_Y = 1,
    QUOR_AXIS_Z = 2,
};
