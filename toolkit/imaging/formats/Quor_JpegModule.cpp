#include "toolkit/imaging/formats/Quor_JpegModule.h"

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_BmpReader.h"
#include "toolkit/imaging/formats/Quor_BmpWriter.h"
#include "toolkit/imaging/formats/Quor_FileSink.h"
#include "toolkit/imaging/formats/Quor_GifReader.h"
#include "toolkit/imaging/formats/Quor_JpegReader.h"
#include "toolkit/imaging/formats/Quor_JpegWriter.h"
#include "toolkit/imaging/formats/Quor_TgaReader.h"
#include "toolkit/imaging/formats/Quor_TgaWriter.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"

namespace {

enum ReadIndex { kReadJpeg, kReadBmp, kReadGif, kReadTga, kReadCount };
enum WriteIndex { kWriteJpeg, kWriteBmp, kWriteTga, kWriteCount };

const char* const kReadTypes[kReadCount] = {"image/jpeg", "image/x-bmp", "image/gif", "image/x-targa"};
const char* const kReadExtensions[kReadCount] = {"jpg", "bmp", "gif", "tga"};
const char* const kWriteNames[kWriteCount] = {"JPEG", "BMP", "Targa"};
const char* const kWriteExtensions[kWriteCount] = {"jpg", "bmp", "tga"};

}  // namespace

int Quor_JpegModule::ReadTypeCount() const
{
    return kReadCount;
}

const char* Quor_JpegModule::GetReadType(int i) const
{
    return i >= 0 && i < kReadCount ? kReadTypes[i] : nullptr;
}

const char* Quor_JpegModule::GetReadExtn(int i) const
{
    return i >= 0 && i < kReadCount ? kReadExtensions[i] : nullptr;
}

int Quor_JpegModule::WriteTypeCount() const
{
    return kWriteCount;
}

const char* Quor_JpegModule::GetWriteName(int i) const
{
    return i >= 0 && i < kWriteCount ? kWriteNames[i] : nullptr;
}

const char* Quor_JpegModule::GetWriteExtn(int i) const
{
    return i >= 0 && i < kWriteCount ? kWriteExtensions[i] : nullptr;
}

int Quor_JpegModule::StartImgRead(int i, const char* path, Quor_ReadLimits& limits, Quor_ImageReader** handle,
    int* width, int* height, bool* hasAlpha)
{
    static const StartReader kStarts[kReadCount] = {Quor_JpegReader::Start, Quor_BmpReader::Start,
        Quor_GifReader::Start, Quor_TgaReader::Start};
    *handle = nullptr;
    if (i < 0 || i >= kReadCount)
        return QUOR_ERR_NO_MODULE;
    const int code = StartReading(kStarts[i], path, limits, handle, width, height, hasAlpha);
    // Whatever the file holds, this module delivers opaque pixels.
    *hasAlpha = false;
    return code;
}

int Quor_JpegModule::FinishImgRead(int i, Quor_ImageReader* handle, const Quor_image* image)
{
    const int code = FinishReading(handle, image);
    // The JPEG reader's rows come out opaque already; the others may carry any alpha.
    if (code == QUOR_OK && i != kReadJpeg)
        Quor_ImageOps::SetAlpha(image, 255);
    return code;
}

void Quor_JpegModule::CancelImgRead(int, Quor_ImageReader* handle)
{
    delete handle;
}

int Quor_JpegModule::WriteImgFile(int i, const char* path, const Quor_image* image, bool, int quality)
{
    if (i < 0 || i >= kWriteCount)
        return QUOR_ERR_NO_MODULE;
    return WriteFile(path, image, [&](FILE* file) {
        if (i == kWriteJpeg)
            return Quor_JpegWriter::Write(file, *image, quality);
        Quor_FileSink sink(file);
        return i == kWriteBmp ? Quor_BmpWriter::Write(sink, *image) : Quor_TgaWriter::Write(sink, *image);
    });
}
