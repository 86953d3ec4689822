#include "toolkit/imaging/formats/Quor_PngWriter.h"

#include <memory>
#include <new>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/formats/Quor_PngShim.h"

int Quor_PngWriter::Write(FILE* file, const Quor_image& image)
{
    if (!image.IsUsable32())
        return QUOR_ERR_ARGUMENT;
    // Converted into a row of our own, so the source is never reordered in place and may be
    // drawn by another thread meanwhile.
    std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[static_cast<size_t>(image.width) * 4]);
    if (!row)
        return QUOR_ERR_MEMORY;
    Quor_PngEncoder encoder;
    int code = Quor_PngShim::StartWrite(&encoder, file, static_cast<uint32_t>(image.width),
        static_cast<uint32_t>(image.height));
    for (int y = 0; y < image.height && code == QUOR_OK; y++) {
        Quor_PixelConvert::ToRgba(image.Row32(y), row.get(), image.width);
        code = Quor_PngShim::WriteRow(&encoder, row.get());
    }
    if (code == QUOR_OK)
        code = Quor_PngShim::FinishWrite(&encoder);
    Quor_PngShim::DestroyEncoder(&encoder);
    return code;
}
