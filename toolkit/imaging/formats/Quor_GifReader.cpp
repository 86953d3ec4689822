#include "toolkit/imaging/formats/Quor_GifReader.h"

#include <memory>
#include <new>

#include <gif_lib.h>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_PixelConvert.h"

namespace {

// A 12-bit LZW code stands for at most 4096 pixels (a string grows by one pixel per table entry,
// and the table has 4096), so the image data holds at most 4096 / 1.5 = 2731 pixels a byte;
// 3000 is the bound, with a safe margin.
constexpr uint64_t kPixelsPerByte = 3000;

}  // namespace

Quor_GifReader::Quor_GifReader(FILE* file)
    : fFile(file), fCursor(file)
{
}

Quor_GifReader::~Quor_GifReader()
{
    if (fGif != nullptr) {
        int error = 0;
        // Opened through a read function, so giflib has no file of its own to close.
        DGifCloseFile(fGif, &error);
    }
    if (fFile != nullptr)
        fclose(fFile);
}

int Quor_GifReader::ReadBytes(GifFileType* gif, uint8_t* bytes, int count)
{
    if (count <= 0)
        return 0;
    Quor_ByteCursor* cursor = static_cast<Quor_ByteCursor*>(gif->UserData);
    return static_cast<int>(cursor->ReadSome(bytes, static_cast<size_t>(count)));
}

int Quor_GifReader::Start(FILE* file, Quor_ReadLimits& limits, Quor_ImageReader** reader)
{
    return Open<Quor_GifReader>(file, limits, reader);
}

int Quor_GifReader::ReadHeader(Quor_ReadLimits& limits)
{
    int error = 0;
    fGif = DGifOpen(&fCursor, ReadBytes, &error);
    if (fGif == nullptr)
        return QUOR_ERR_READ;
    // Skip extensions (comments, graphic control, application blocks) up to the first image.
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(fGif, &record) == GIF_ERROR)
            return QUOR_ERR_READ;
        if (record == IMAGE_DESC_RECORD_TYPE)
            break;
        if (record != EXTENSION_RECORD_TYPE)
            return QUOR_ERR_READ;
        int code = 0;
        GifByteType* extension = nullptr;
        if (DGifGetExtension(fGif, &code, &extension) == GIF_ERROR)
            return QUOR_ERR_READ;
        while (extension != nullptr)
            if (DGifGetExtensionNext(fGif, &extension) == GIF_ERROR)
                return QUOR_ERR_READ;
    }
    if (DGifGetImageDesc(fGif) == GIF_ERROR)
        return QUOR_ERR_READ;
    const GifImageDesc& image = fGif->Image;
    int code = CheckSize(limits, image.Width, image.Height);
    if (code == QUOR_OK) {
        const uint64_t pixels = static_cast<uint64_t>(image.Width) * static_cast<uint64_t>(image.Height);
        code = CheckFile(limits, (pixels + kPixelsPerByte - 1) / kPixelsPerByte, fCursor.Remaining(),
            static_cast<int64_t>(fCursor.FileSize()));
    }
    if (code == QUOR_OK)
        code = CheckBudget(limits, image.Width, image.Height, image.Width);
    if (code != QUOR_OK)
        return code;
    const ColorMapObject* map = image.ColorMap != nullptr ? image.ColorMap : fGif->SColorMap;
    if (map == nullptr || map->Colors == nullptr || map->ColorCount < 1 || map->ColorCount > 256)
        return QUOR_ERR_NO_PALETTE;
    fColorCount = map->ColorCount;
    for (int i = 0; i < fColorCount; i++)
        fColors[i] = Quor_PixelConvert::Pack(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
    fInterlaced = image.Interlace;
    fWidth = image.Width;
    fHeight = image.Height;
    return QUOR_OK;
}

int Quor_GifReader::DecodeRow(uint8_t* indices, uint32_t* out)
{
    // giflib rejects LZW codes outside its table, but a code size wider than the colour map
    // still yields indices beyond the map.
    if (DGifGetLine(fGif, indices, fWidth) == GIF_ERROR)
        return QUOR_ERR_DECODE;
    for (int x = 0; x < fWidth; x++)
        if (indices[x] >= fColorCount)
            return QUOR_ERR_DECODE;
    Quor_PixelConvert::FromIndexed(indices, out, fWidth, fColors);
    return QUOR_OK;
}

int Quor_GifReader::Finish(const Quor_image& dest)
{
    if (!dest.IsUsable32() || dest.width != fWidth || dest.height != fHeight)
        return QUOR_ERR_ARGUMENT;
    std::unique_ptr<uint8_t[]> indices(new (std::nothrow) uint8_t[static_cast<size_t>(fWidth)]);
    if (!indices)
        return QUOR_ERR_MEMORY;
    if (!fInterlaced) {
        for (int y = 0; y < fHeight; y++)
            if (DecodeRow(indices.get(), dest.Row32(y)) != QUOR_OK)
                return QUOR_ERR_DECODE;
        return QUOR_OK;
    }
    // Interlaced images arrive in four passes: every 8th row from 0, every 8th from 4, every
    // 4th from 2, every 2nd from 1.
    static const int kStart[4] = {0, 4, 2, 1};
    static const int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; pass++)
        for (int y = kStart[pass]; y < fHeight; y += kStep[pass])
            if (DecodeRow(indices.get(), dest.Row32(y)) != QUOR_OK)
                return QUOR_ERR_DECODE;
    return QUOR_OK;
}
