// Writes a 32-bit image as a baseline JPEG file through libjpeg.
#pragma once

#include <cstdio>

#include "toolkit/imaging/Quor_image.h"

class Quor_JpegWriter {
public:
    // Compresses every row, top first, at the given quality (1 to 100; the library clamps).
    // 0; -3 for an image that is not 32-bit; -7 when the library fails (a write error, or a
    // side beyond 65500). The caller opens and finishes the file.
    static int Write(FILE* file, const Quor_image& image, int quality);
};
