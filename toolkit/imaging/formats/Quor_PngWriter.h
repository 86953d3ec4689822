// Writes a 32-bit image as an 8-bit RGBA PNG file (colour type 6, not interlaced) through libpng.
#pragma once

#include <cstdio>

#include "toolkit/imaging/Quor_image.h"

class Quor_PngWriter {
public:
    // QUOR_OK; QUOR_ERR_ARGUMENT for an image that is not 32-bit; QUOR_ERR_MEMORY;
    // QUOR_ERR_WRITE when the library fails. The source image is only read. The caller opens and
    // finishes the file.
    static int Write(FILE* file, const Quor_image& image);
};
