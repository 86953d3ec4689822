// Writes a 32-bit image as an uncompressed 24-bit Windows bitmap, rows bottom-up.
#pragma once

#include "toolkit/imaging/Quor_image.h"
#include "toolkit/imaging/formats/Quor_ByteSink.h"

class Quor_BmpWriter {
public:
    // QUOR_OK; QUOR_ERR_ARGUMENT for an image that is not 32-bit or whose file would pass the
    // format's 4 GiB size field; QUOR_ERR_MEMORY; QUOR_ERR_WRITE when the sink fails.
    static int Write(Quor_ByteSink& sink, const Quor_image& image);
};
