#include "toolkit/imaging/formats/Quor_TgaReader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_PixelConvert.h"

// File layout: an 18-byte header (id length, colour-map type, image type, colour-map first
// entry, length and entry size, origin, width, height, bits per pixel, descriptor), the id
// field, the colour map, the pixels. Bit 5 of the descriptor marks rows stored top-down, bit 4
// pixels stored right to left. 15- and 16-bit pixels are little-endian words x-R5-G5-B5.

Quor_TgaReader::Quor_TgaReader(FILE* file)
    : fFile(file), fCursor(file)
{
}

Quor_TgaReader::~Quor_TgaReader()
{
    if (fFile != nullptr)
        fclose(fFile);
}

int Quor_TgaReader::Start(FILE* file, Quor_ReadLimits& limits, Quor_ImageReader** reader)
{
    return Open<Quor_TgaReader>(file, limits, reader);
}

int Quor_TgaReader::ReadHeader(Quor_ReadLimits& limits)
{
    const int idLength = fCursor.Get8();
    const int mapType = fCursor.Get8();
    const int imageType = fCursor.Get8();
    fMapFirst = fCursor.Get16LE();
    fMapLength = fCursor.Get16LE();
    const int mapEntryBits = fCursor.Get8();
    fCursor.Get16LE();  // origin
    fCursor.Get16LE();
    const int width = fCursor.Get16LE();
    const int height = fCursor.Get16LE();
    fPixelBits = fCursor.Get8();
    const int descriptor = fCursor.Get8();
    if (fCursor.Failed() || mapType > 1)
        return QUOR_ERR_READ;
    fRle = imageType >= 9;
    fType = fRle ? imageType - 8 : imageType;
    if (fType < 1 || fType > 3)
        return QUOR_ERR_READ;
    switch (fType) {
    case 1:
        if (mapType != 1 || (fPixelBits != 8 && fPixelBits != 16))
            return QUOR_ERR_READ;
        break;
    case 2:
        if (fPixelBits != 15 && fPixelBits != 16 && fPixelBits != 24 && fPixelBits != 32)
            return QUOR_ERR_READ;
        break;
    case 3:
        // 16-bit grey carries an alpha byte after the grey one.
        if (fPixelBits != 8 && fPixelBits != 16)
            return QUOR_ERR_READ;
        break;
    }
    fPixelBytes = (fPixelBits + 7) / 8;
    fTopDown = (descriptor & 0x20) != 0;
    fRightToLeft = (descriptor & 0x10) != 0;
    const int sizeCode = CheckSize(limits, width, height);
    if (sizeCode != QUOR_OK)
        return sizeCode;
    fWidth = width;
    fHeight = height;

    if (!fCursor.Skip(static_cast<uint64_t>(idLength)))
        return QUOR_ERR_READ;
    if (mapType == 1) {
        const int code = ReadColorMap(mapEntryBits);
        if (code != QUOR_OK)
            return code;
    }

    // The fewest bytes the pixels can take: every stored pixel, or for run-length data one
    // packet (a header byte and one pixel value) for each run of at most 128 pixels.
    fPixelsLeft = static_cast<uint64_t>(fWidth) * static_cast<uint64_t>(fHeight);
    const uint64_t needed = fRle ? (fPixelsLeft + 127) / 128 * (1 + static_cast<uint64_t>(fPixelBytes))
                                 : fPixelsLeft * static_cast<uint64_t>(fPixelBytes);
    const int code = CheckFile(limits, needed, fCursor.Remaining(), static_cast<int64_t>(fCursor.FileSize()));
    return code != QUOR_OK ? code : CheckBudget(limits, fWidth, fHeight, int64_t(fWidth) * fPixelBytes);
}

int Quor_TgaReader::ReadColorMap(int entryBits)
{
    if (entryBits != 15 && entryBits != 16 && entryBits != 24 && entryBits != 32)
        return QUOR_ERR_READ;
    const int entryBytes = (entryBits + 7) / 8;
    // True-colour and grey images may carry a map they do not use: it is skipped.
    if (fType != 1)
        return fCursor.Skip(static_cast<uint64_t>(fMapLength) * entryBytes) ? QUOR_OK : QUOR_ERR_READ;
    if (fMapLength < 1)
        return QUOR_ERR_READ;
    fMap.reset(new (std::nothrow) uint32_t[static_cast<size_t>(fMapLength)]);
    if (!fMap)
        return QUOR_ERR_MEMORY;
    uint8_t entry[4];
    for (int i = 0; i < fMapLength; i++) {
        fCursor.Read(entry, static_cast<size_t>(entryBytes));
        switch (entryBytes) {
        case 2:
            fMap[i] = Quor_PixelConvert::Expand15(static_cast<uint16_t>(entry[0] | entry[1] << 8));
            break;
        case 3:
        case 4:
            fMap[i] = Quor_PixelConvert::Pack(entry[2], entry[1], entry[0]);
            break;
        }
    }
    return fCursor.Failed() ? QUOR_ERR_READ : QUOR_OK;
}

bool Quor_TgaReader::ReadPixels(uint8_t* raw)
{
    const size_t rowBytes = static_cast<size_t>(fWidth) * fPixelBytes;
    if (fPixelsLeft < static_cast<uint64_t>(fWidth))
        return false;
    fPixelsLeft -= static_cast<uint64_t>(fWidth);
    if (!fRle)
        return fCursor.Read(raw, rowBytes);
    int x = 0;
    while (x < fWidth) {
        if (fRunLeft == 0) {
            const uint8_t header = fCursor.Get8();
            fRunLeft = (header & 0x7F) + 1;
            fRunRepeats = (header & 0x80) != 0;
            // A packet reaching past the last pixel of the image is corrupt.
            if (static_cast<uint64_t>(fRunLeft) > fPixelsLeft + static_cast<uint64_t>(fWidth - x))
                return false;
            if (fRunRepeats)
                fCursor.Read(fRunPixel, static_cast<size_t>(fPixelBytes));
        }
        const int count = std::min(fRunLeft, fWidth - x);
        uint8_t* dst = raw + static_cast<size_t>(x) * fPixelBytes;
        if (fRunRepeats) {
            for (int i = 0; i < count; i++, dst += fPixelBytes)
                std::memcpy(dst, fRunPixel, static_cast<size_t>(fPixelBytes));
        } else {
            fCursor.Read(dst, static_cast<size_t>(count) * fPixelBytes);
        }
        fRunLeft -= count;
        x += count;
        if (fCursor.Failed())
            return false;
    }
    return true;
}

bool Quor_TgaReader::ConvertRow(const uint8_t* raw, uint32_t* out) const
{
    if (fType == 1) {
        for (int x = 0; x < fWidth; x++) {
            const int index = fPixelBytes == 1 ? raw[x] : raw[2 * x] | raw[2 * x + 1] << 8;
            const int entry = index - fMapFirst;
            if (entry < 0 || entry >= fMapLength)
                return false;
            out[x] = fMap[entry];
        }
        return true;
    }
    switch (fPixelBits) {
    case 8:
        Quor_PixelConvert::FromGrey(raw, out, fWidth);
        break;
    case 15:
    case 16:
        if (fType == 3) {
            Quor_PixelConvert::FromGreyAlpha(raw, out, fWidth);
            break;
        }
        for (int x = 0; x < fWidth; x++)
            out[x] = Quor_PixelConvert::Expand15(static_cast<uint16_t>(raw[2 * x] | raw[2 * x + 1] << 8));
        break;
    case 24:
        Quor_PixelConvert::FromBgr(raw, out, fWidth);
        break;
    case 32:
        Quor_PixelConvert::FromBgra(raw, out, fWidth);
        break;
    }
    return true;
}

int Quor_TgaReader::Finish(const Quor_image& dest)
{
    if (!dest.IsUsable32() || dest.width != fWidth || dest.height != fHeight)
        return QUOR_ERR_ARGUMENT;
    std::unique_ptr<uint8_t[]> raw(new (std::nothrow) uint8_t[static_cast<size_t>(fWidth) * fPixelBytes]);
    if (!raw)
        return QUOR_ERR_MEMORY;
    for (int stored = 0; stored < fHeight; stored++) {
        const int y = fTopDown ? stored : fHeight - 1 - stored;
        uint32_t* out = dest.Row32(y);
        if (!ReadPixels(raw.get()) || !ConvertRow(raw.get(), out))
            return QUOR_ERR_DECODE;
        if (fRightToLeft)
            std::reverse(out, out + fWidth);
    }
    // The module sets every alpha to 255 afterwards: 32-bit and grey-with-alpha pixels come in opaque.
    return QUOR_OK;
}
