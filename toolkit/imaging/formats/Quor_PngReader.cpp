#include "toolkit/imaging/formats/Quor_PngReader.h"

#include <cstring>
#include <memory>
#include <new>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/formats/Quor_ImageFile.h"

namespace {

// Deflate never expands more than 1032 to 1; 1100 is the bound, with a safe margin.
constexpr uint64_t kMostInflation = 1100;

// The fewest bytes a PNG file of width x height pixels can take: the smallest image data has one
// bit a pixel and a filter byte a row.
uint64_t MinimumBytes(uint32_t width, uint32_t height)
{
    const uint64_t smallestData = static_cast<uint64_t>(height) * (1 + (static_cast<uint64_t>(width) + 7) / 8);
    return (smallestData + kMostInflation - 1) / kMostInflation;
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

int Quor_PngReader::Start(FILE* file, Quor_ReadLimits& limits, Quor_ImageReader** reader)
{
    return Open<Quor_PngReader>(file, limits, reader);
}

int Quor_PngReader::ReadHeader(Quor_ReadLimits& limits)
{
    if (Quor_PngShim::ReadInfo(&fDecoder, fFile) != QUOR_OK)
        return QUOR_ERR_READ;
    int code = CheckSize(limits, fDecoder.width, fDecoder.height);
    if (code == QUOR_OK) {
        const int64_t fileBytes = Quor_ImageFile::Size(fFile);
        code = CheckFile(limits, MinimumBytes(fDecoder.width, fDecoder.height),
            static_cast<uint64_t>(fileBytes > 0 ? fileBytes : 0), fileBytes);
    }
    if (code == QUOR_OK)
        code = CheckBudget(limits, fDecoder.width, fDecoder.height, int64_t(fDecoder.width) * 4);
    if (code != QUOR_OK)
        return code;
    fWidth = static_cast<int>(fDecoder.width);
    fHeight = static_cast<int>(fDecoder.height);
    fHasAlpha = fDecoder.hasAlpha;
    return QUOR_OK;
}

int Quor_PngReader::Finish(const Quor_image& dest)
{
    if (!dest.IsUsable32() || dest.width != fWidth || dest.height != fHeight)
        return QUOR_ERR_ARGUMENT;
    // The rows come as blue, green, red, alpha bytes. A non-interlaced file is converted row by
    // row through one scratch row; an interlaced one fills the destination's rows over seven
    // passes first and is converted afterwards, a row at a time through the same scratch row.
    std::unique_ptr<uint8_t[]> scratch(new (std::nothrow) uint8_t[static_cast<size_t>(fWidth) * 4]);
    if (!scratch)
        return QUOR_ERR_MEMORY;
    if (fDecoder.passes <= 1) {
        for (int y = 0; y < fHeight; y++) {
            if (Quor_PngShim::ReadRow(&fDecoder, scratch.get()) != 0)
                return QUOR_ERR_DECODE;
            Quor_PixelConvert::FromBgra(scratch.get(), dest.Row32(y), fWidth);
        }
    } else {
        for (int pass = 0; pass < fDecoder.passes; pass++)
            for (int y = 0; y < fHeight; y++)
                if (Quor_PngShim::ReadRow(&fDecoder, dest.Row(y)) != 0)
                    return QUOR_ERR_DECODE;
        for (int y = 0; y < fHeight; y++) {
            std::memcpy(scratch.get(), dest.Row(y), static_cast<size_t>(fWidth) * 4);
            Quor_PixelConvert::FromBgra(scratch.get(), dest.Row32(y), fWidth);
        }
    }
    // Every row is in place; a damaged chunk after the image data (or a missing end chunk)
    // takes nothing away from the picture.
    Quor_PngShim::FinishRead(&fDecoder);
    return QUOR_OK;
}
