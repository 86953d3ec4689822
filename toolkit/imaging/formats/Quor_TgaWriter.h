// Writes a 32-bit image as an uncompressed true-colour Targa file, rows top-down, blue, green,
// red, alpha per pixel.
#pragma once

#include "toolkit/imaging/Quor_image.h"
#include "toolkit/imaging/formats/Quor_ByteSink.h"

class Quor_TgaWriter {
public:
    // 0; -3 for an image that is not 32-bit or has a side beyond the format's 65535; -1 out of
    // memory; -7 when the sink fails. The source image is only read.
    static int Write(Quor_ByteSink& sink, const Quor_image& image);
};
