// The application icon: a wide landscape photo curved like a panorama print, over a deep blue
// tile crossed by a faint grid of longitudes and latitudes. Drawn at any size from one design:
// 64 x 64 for the window icon and 48, 128 and 256 pixels for the desktop.
#pragma once

#include "toolkit/imaging/Quor_BaseImage.h"

class AppIconArt {
public:
    // 0; -3 for a size below 16; -1 out of memory.
    static int Draw(int size, Quor_BaseImage* out);
};
