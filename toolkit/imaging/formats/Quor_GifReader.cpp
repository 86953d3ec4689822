#include "toolkit/imaging/formats/Quor_GifReader.h"

#include <memory>
#include <new>

#include <gif_lib.h>

#include "toolkit/imaging/Quor_PixelConvert.h"

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

int Quor_GifReader::Start(FILE* file, Quor_ImageReader** reader)
{
    *reader = nullptr;
    Quor_GifReader* gif = new (std::nothrow) Quor_GifReader(file);
    if (gif == nullptr) {
        fclose(file);
        return -1;
    }
    const int code = gif->ReadHeader();
    if (code != 0) {
        delete gif;
        return code;
    }
    *reader = gif;
    return 0;
}

int Quor_GifReader::ReadHeader()
{
    int error = 0;
    fGif = DGifOpen(&fCursor, ReadBytes, &error);
    if (fGif == nullptr)
        return -6;
    // Skip extensions (comments, graphic control, application blocks) up to the first image.
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(fGif, &record) == GIF_ERROR)
            return -6;
        if (record == IMAGE_DESC_RECORD_TYPE)
            break;
        if (record != EXTENSION_RECORD_TYPE)
            return -6;
        int code = 0;
        GifByteType* extension = nullptr;
        if (DGifGetExtension(fGif, &code, &extension) == GIF_ERROR)
            return -6;
        while (extension != nullptr)
            if (DGifGetExtensionNext(fGif, &extension) == GIF_ERROR)
                return -6;
    }
    if (DGifGetImageDesc(fGif) == GIF_ERROR)
        return -6;
    const GifImageDesc& image = fGif->Image;
    const int sizeCode = CheckSize(image.Width, image.Height);
    if (sizeCode != 0)
        return sizeCode;
    // One LZW code of at most 12 bits stands for at most 4096 pixels, so a file too short for
    // the image it announces is refused before its pixels are allocated.
    if (fCursor.Remaining() * 2800 < static_cast<uint64_t>(image.Width) * static_cast<uint64_t>(image.Height))
        return -5;
    const ColorMapObject* map = image.ColorMap != nullptr ? image.ColorMap : fGif->SColorMap;
    if (map == nullptr || map->Colors == nullptr || map->ColorCount < 1 || map->ColorCount > 256)
        return -5;
    fColorCount = map->ColorCount;
    for (int i = 0; i < fColorCount; i++)
        fColors[i] = Quor_PixelConvert::Pack(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
    fInterlaced = image.Interlace;
    fWidth = image.Width;
    fHeight = image.Height;
    return 0;
}

int Quor_GifReader::DecodeRow(uint8_t* indices, uint32_t* out)
{
    // giflib rejects LZW codes outside its table, but a code size wider than the colour map
    // still yields indices beyond the map.
    if (DGifGetLine(fGif, indices, fWidth) == GIF_ERROR)
        return -5;
    for (int x = 0; x < fWidth; x++)
        if (indices[x] >= fColorCount)
            return -5;
    Quor_PixelConvert::FromIndexed(indices, out, fWidth, fColors);
    return 0;
}

int Quor_GifReader::Finish(const Quor_image& dest)
{
    if (dest.bits == nullptr || dest.pixelBytes != 4 || dest.width != fWidth || dest.height != fHeight)
        return -3;
    std::unique_ptr<uint8_t[]> indices(new (std::nothrow) uint8_t[static_cast<size_t>(fWidth)]);
    if (!indices)
        return -1;
    if (!fInterlaced) {
        for (int y = 0; y < fHeight; y++)
            if (DecodeRow(indices.get(), dest.Row32(y)) != 0)
                return -5;
        return 0;
    }
    // Interlaced images arrive in four passes: every 8th row from 0, every 8th from 4, every
    // 4th from 2, every 2nd from 1.
    static const int kStart[4] = {0, 4, 2, 1};
    static const int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; pass++)
        for (int y = kStart[pass]; y < fHeight; y += kStep[pass])
            if (DecodeRow(indices.get(), dest.Row32(y)) != 0)
                return -5;
    return 0;
}
