// Colours as four bytes: rgb_color (red, green, blue, alpha) and hsv_color (hue, saturation,
// lightness-model value, alpha). Plain records shared by streams, messages and imaging.
#pragma once

#include <cstdint>

struct rgb_color {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t alpha;

    bool operator==(const rgb_color&) const = default;
};

struct hsv_color {
    uint8_t hue;
    uint8_t saturation;
    uint8_t value;
    uint8_t alpha;

    bool operator==(const hsv_color&) const = default;
};
