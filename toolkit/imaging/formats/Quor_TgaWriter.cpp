#include "toolkit/imaging/formats/Quor_TgaWriter.h"

#include <memory>
#include <new>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_PixelConvert.h"

int Quor_TgaWriter::Write(Quor_ByteSink& sink, const Quor_image& image)
{
    if (!image.IsUsable32() || image.width > 65535 || image.height > 65535)
        return QUOR_ERR_ARGUMENT;
    const size_t rowSize = static_cast<size_t>(image.width) * 4;
    std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[rowSize]);
    if (!row)
        return QUOR_ERR_MEMORY;

    // Image type 2 (uncompressed true colour), 32 bits per pixel, descriptor 0x20: top-left
    // origin, no alpha bits declared. Everything else is zero.
    uint8_t header[18] = {};
    header[2] = 2;
    header[12] = static_cast<uint8_t>(image.width);
    header[13] = static_cast<uint8_t>(image.width >> 8);
    header[14] = static_cast<uint8_t>(image.height);
    header[15] = static_cast<uint8_t>(image.height >> 8);
    header[16] = 32;
    header[17] = 0x20;
    sink.Write(header, sizeof(header));
    for (int y = 0; y < image.height && !sink.Failed(); y++) {
        // Converted into a row of our own, so the source is never reordered in place and may be
        // drawn by another thread meanwhile.
        Quor_PixelConvert::ToBgra(image.Row32(y), row.get(), image.width);
        sink.Write(row.get(), rowSize);
    }
    return sink.Failed() ? QUOR_ERR_WRITE : QUOR_OK;
}
