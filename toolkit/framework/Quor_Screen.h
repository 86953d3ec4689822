// The main screen as windows see it: the area they may be placed in and its pixel depth.
#pragma once

#include "toolkit/math/Quor_Rect.h"

class Quor_Screen {
public:
    // Height kept free at the top of the screen for panels and a title bar.
    static constexpr int kTopMargin = 48;

    // The main screen with its top moved down by kTopMargin; (0, 48, 1023, 767) when no host
    // is installed.
    static Quor_Rect Bounds();
    static int BitsPerPixel() { return 32; }
    // 1 for 8 bits, 2 for 15 or 16, 3 for 24, otherwise 4.
    static int BytesPerPixel(int bitsPerPixel);
    static int BytesPerPixel() { return BytesPerPixel(BitsPerPixel()); }
};
