// Writes a 32-bit image as an uncompressed true-colour Targa file, rows top-down, blue, green,
// red, alpha per pixel.
#pragma once

#include "toolkit/imaging/Quor_image.h"
#include "toolkit/imaging/formats/Quor_ByteSink.h"

class Quor_TgaWriter {
public:
    // QUOR_OK; QUOR_ERR_ARGUMENT for an image that is not 32-bit or has a side beyond the
    // format's 65535; QUOR_ERR_MEMORY; QUOR_ERR_WRITE when the sink fails. The source image is
    // only read.
    static int Write(Quor_ByteSink& sink, const Quor_image& image);
};
