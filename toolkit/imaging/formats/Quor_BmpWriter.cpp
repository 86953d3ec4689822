#include "toolkit/imaging/formats/Quor_BmpWriter.h"

#include <memory>
#include <new>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_PixelConvert.h"

// A 14-byte file header and a 40-byte info header, then the rows from the last to the first,
// each blue, green, red per pixel and padded with zeros to a multiple of 4 bytes.

int Quor_BmpWriter::Write(Quor_ByteSink& sink, const Quor_image& image)
{
    if (!image.IsUsable32())
        return QUOR_ERR_ARGUMENT;
    constexpr uint32_t kHeaderSize = 54;
    const uint64_t rowSize = (static_cast<uint64_t>(image.width) * 3 + 3) / 4 * 4;
    const uint64_t fileSize = kHeaderSize + rowSize * static_cast<uint64_t>(image.height);
    if (fileSize > 0xFFFFFFFFu)
        return QUOR_ERR_ARGUMENT;
    std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[rowSize]());
    if (!row)
        return QUOR_ERR_MEMORY;

    sink.Put8('B');
    sink.Put8('M');
    sink.Put32LE(static_cast<uint32_t>(fileSize));
    sink.Put16LE(0);
    sink.Put16LE(0);
    sink.Put32LE(kHeaderSize);
    sink.Put32LE(40);
    sink.Put32LE(static_cast<uint32_t>(image.width));
    sink.Put32LE(static_cast<uint32_t>(image.height));
    sink.Put16LE(1);
    sink.Put16LE(24);
    for (int i = 0; i < 6; i++)
        sink.Put32LE(0);
    for (int y = image.height - 1; y >= 0 && !sink.Failed(); y--) {
        // The padding bytes were zeroed at allocation and are never written by the conversion.
        Quor_PixelConvert::ToBgr(image.Row32(y), row.get(), image.width);
        sink.Write(row.get(), rowSize);
    }
    return sink.Failed() ? QUOR_ERR_WRITE : QUOR_OK;
}
