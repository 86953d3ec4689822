#include "toolkit/imaging/formats/Quor_BmpReader.h"

#include <memory>
#include <new>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_PixelConvert.h"

// File layout: a 14-byte file header ("BM", file size, two reserved words, offset of the pixels),
// an info header whose first word is its own size, the palette, the pixels. Info headers of 12
// bytes (OS/2 1.x: 16-bit sizes, 3-byte palette entries) and of 40 bytes or more (Windows and
// OS/2 2.x: 32-bit sizes, 4-byte palette entries) are read; the later Windows headers (108 and
// 124 bytes) only add colour-space fields after the first 40 bytes, which this reader ignores.

namespace {

constexpr uint32_t kCompressionNone = 0;

bool AcceptedInfoSize(uint32_t size)
{
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 || size == 124;
}

}  // namespace

Quor_BmpReader::Quor_BmpReader(FILE* file)
    : fFile(file), fCursor(file)
{
}

Quor_BmpReader::~Quor_BmpReader()
{
    if (fFile != nullptr)
        fclose(fFile);
}

int Quor_BmpReader::Start(FILE* file, Quor_ReadLimits& limits, Quor_ImageReader** reader)
{
    return Open<Quor_BmpReader>(file, limits, reader);
}

int Quor_BmpReader::ReadHeader(Quor_ReadLimits& limits)
{
    if (fCursor.Get8() != 'B' || fCursor.Get8() != 'M')
        return QUOR_ERR_READ;
    fCursor.Get32LE();  // the file size field; writers get it wrong often enough to ignore it
    fCursor.Get32LE();
    fPixelOffset = fCursor.Get32LE();
    const uint32_t infoSize = fCursor.Get32LE();
    if (fCursor.Failed() || !AcceptedInfoSize(infoSize))
        return QUOR_ERR_READ;

    int64_t width = 0;
    int64_t height = 0;
    uint32_t compression = kCompressionNone;
    uint32_t colorsUsed = 0;
    int paletteEntrySize = 4;
    if (infoSize == 12) {
        width = fCursor.Get16LE();
        height = fCursor.Get16LE();
        fCursor.Get16LE();  // planes
        fBitsPerPixel = fCursor.Get16LE();
        paletteEntrySize = 3;
    } else {
        width = static_cast<int32_t>(fCursor.Get32LE());
        height = static_cast<int32_t>(fCursor.Get32LE());
        fCursor.Get16LE();  // planes
        fBitsPerPixel = fCursor.Get16LE();
        compression = fCursor.Get32LE();
        fCursor.Get32LE();  // image size
        fCursor.Get32LE();  // resolutions
        fCursor.Get32LE();
        colorsUsed = fCursor.Get32LE();
    }
    if (fCursor.Failed() || compression != kCompressionNone || (fBitsPerPixel != 8 && fBitsPerPixel != 24))
        return QUOR_ERR_READ;
    // A negative height marks rows stored top-down; computed in 64 bits so INT32_MIN cannot overflow.
    fBottomUp = height > 0;
    if (height < 0)
        height = -height;
    const int sizeCode = CheckSize(limits, width, height);
    if (sizeCode != QUOR_OK)
        return sizeCode;

    const uint64_t paletteStart = 14 + static_cast<uint64_t>(infoSize);
    if (fBitsPerPixel == 8) {
        // The palette runs from the end of the info header to the pixels; a count larger than
        // that space (or than 256) is cut to it, and an index beyond it fails the decode.
        uint64_t entries = colorsUsed == 0 || infoSize == 12 ? 256 : colorsUsed;
        const uint64_t room = fPixelOffset > paletteStart ? (fPixelOffset - paletteStart) / paletteEntrySize : 0;
        if (entries > room)
            entries = room;
        if (entries > 256)
            entries = 256;
        if (entries == 0)
            return QUOR_ERR_READ;
        if (!fCursor.SeekTo(paletteStart))
            return QUOR_ERR_READ;
        fColorCount = static_cast<int>(entries);
        for (int i = 0; i < fColorCount; i++) {
            const uint32_t blue = fCursor.Get8(), green = fCursor.Get8(), red = fCursor.Get8();
            if (paletteEntrySize == 4)
                fCursor.Get8();
            fColors[i] = Quor_PixelConvert::Pack(red, green, blue);
        }
        if (fCursor.Failed())
            return QUOR_ERR_READ;
    }
    if (fPixelOffset < paletteStart + static_cast<uint64_t>(fColorCount) * paletteEntrySize)
        return QUOR_ERR_READ;

    fWidth = static_cast<int>(width);
    fHeight = static_cast<int>(height);
    fRowSize = (static_cast<uint64_t>(fWidth) * fBitsPerPixel + 31) / 32 * 4;
    // Uncompressed rows: the file must hold every byte of them after the pixel offset.
    const uint64_t available = fPixelOffset < fCursor.FileSize() ? fCursor.FileSize() - fPixelOffset : 0;
    const int code = CheckFile(limits, fRowSize * static_cast<uint64_t>(fHeight), available,
        static_cast<int64_t>(fCursor.FileSize()));
    return code != QUOR_OK ? code : CheckBudget(limits, fWidth, fHeight, static_cast<int64_t>(fRowSize));
}

int Quor_BmpReader::Finish(const Quor_image& dest)
{
    if (!dest.IsUsable32() || dest.width != fWidth || dest.height != fHeight)
        return QUOR_ERR_ARGUMENT;
    std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[fRowSize]);
    if (!row)
        return QUOR_ERR_MEMORY;
    if (!fCursor.SeekTo(fPixelOffset))
        return QUOR_ERR_DECODE;
    for (int stored = 0; stored < fHeight; stored++) {
        if (!fCursor.Read(row.get(), fRowSize))
            return QUOR_ERR_DECODE;
        const int y = fBottomUp ? fHeight - 1 - stored : stored;
        uint32_t* out = dest.Row32(y);
        if (fBitsPerPixel == 24) {
            Quor_PixelConvert::FromBgr(row.get(), out, fWidth);
            continue;
        }
        for (int x = 0; x < fWidth; x++)
            if (row[x] >= fColorCount)
                return QUOR_ERR_DECODE;
        Quor_PixelConvert::FromIndexed(row.get(), out, fWidth, fColors);
    }
    return QUOR_OK;
}
