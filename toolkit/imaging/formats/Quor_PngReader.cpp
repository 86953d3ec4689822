#include "toolkit/imaging/formats/Quor_PngReader.h"

#include <cstring>
#include <memory>
#include <new>

#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/formats/Quor_ImageFile.h"

namespace {

// Deflate never expands more than 1032 to 1, and the smallest image data has one bit a pixel
// and a filter byte a row, so a file smaller than that can only be a lie about its size; it is
// refused before gigabytes are allocated for it.
bool FileCanHold(int64_t fileSize, uint32_t width, uint32_t height)
{
    const uint64_t smallestData = static_cast<uint64_t>(height) * (1 + (static_cast<uint64_t>(width) + 7) / 8);
    return fileSize >= 0 && static_cast<uint64_t>(fileSize) * 1100 >= smallestData;
}

}  // namespace

Quor_PngReader::Quor_PngReader(FILE* file)
    : fFile(file)
{
    std::memset(&fDecoder, 0, sizeof(fDecoder));
}

Quor_PngReader::~Quor_PngReader()
{
    Quor_PngShim::DestroyDecoder(&fDecoder);
    if (fFile != nullptr)
        fclose(fFile);
}

int Quor_PngReader::Start(FILE* file, Quor_ImageReader** reader)
{
    *reader = nullptr;
    Quor_PngReader* png = new (std::nothrow) Quor_PngReader(file);
    if (png == nullptr) {
        fclose(file);
        return -1;
    }
    int code = Quor_PngShim::ReadInfo(&png->fDecoder, file) == 0 ? 0 : -6;
    if (code == 0)
        code = CheckSize(png->fDecoder.width, png->fDecoder.height);
    if (code == 0 && !FileCanHold(Quor_ImageFile::Size(file), png->fDecoder.width, png->fDecoder.height))
        code = -5;
    if (code != 0) {
        delete png;
        return code;
    }
    png->fWidth = static_cast<int>(png->fDecoder.width);
    png->fHeight = static_cast<int>(png->fDecoder.height);
    png->fHasAlpha = png->fDecoder.hasAlpha;
    *reader = png;
    return 0;
}

int Quor_PngReader::Finish(const Quor_image& dest)
{
    if (dest.bits == nullptr || dest.pixelBytes != 4 || dest.width != fWidth || dest.height != fHeight)
        return -3;
    // The rows come as blue, green, red, alpha bytes. A non-interlaced file is converted row by
    // row through one scratch row; an interlaced one fills the destination's rows over seven
    // passes first and is converted afterwards, a row at a time through the same scratch row.
    std::unique_ptr<uint8_t[]> scratch(new (std::nothrow) uint8_t[static_cast<size_t>(fWidth) * 4]);
    if (!scratch)
        return -1;
    if (fDecoder.passes <= 1) {
        for (int y = 0; y < fHeight; y++) {
            if (Quor_PngShim::ReadRow(&fDecoder, scratch.get()) != 0)
                return -5;
            Quor_PixelConvert::FromBgra(scratch.get(), dest.Row32(y), fWidth);
        }
    } else {
        for (int pass = 0; pass < fDecoder.passes; pass++)
            for (int y = 0; y < fHeight; y++)
                if (Quor_PngShim::ReadRow(&fDecoder, dest.Row(y)) != 0)
                    return -5;
        for (int y = 0; y < fHeight; y++) {
            std::memcpy(scratch.get(), dest.Row(y), static_cast<size_t>(fWidth) * 4);
            Quor_PixelConvert::FromBgra(scratch.get(), dest.Row32(y), fWidth);
        }
    }
    // Every row is in place; a damaged chunk after the image data (or a missing end chunk)
    // takes nothing away from the picture.
    Quor_PngShim::FinishRead(&fDecoder);
    return 0;
}
