#include "toolkit/imaging/formats/Quor_JpegModule.h"

#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/formats/Quor_BmpReader.h"
#include "toolkit/imaging/formats/Quor_BmpWriter.h"
#include "toolkit/imaging/formats/Quor_FileSink.h"
#include "toolkit/imaging/formats/Quor_GifReader.h"
#include "toolkit/imaging/formats/Quor_ImageFile.h"
#include "toolkit/imaging/formats/Quor_JpegReader.h"
#include "toolkit/imaging/formats/Quor_JpegWriter.h"
#include "toolkit/imaging/formats/Quor_TgaReader.h"
#include "toolkit/imaging/formats/Quor_TgaWriter.h"

namespace {

enum ReadIndex { kReadJpeg, kReadBmp, kReadGif, kReadTga, kReadCount };
enum WriteIndex { kWriteJpeg, kWriteBmp, kWriteTga, kWriteCount };

const char* const kReadTypes[kReadCount] = {"image/jpeg", "image/x-bmp", "image/gif", "image/x-targa"};
const char* const kReadExtensions[kReadCount] = {"jpg", "bmp", "gif", "tga"};
const char* const kWriteNames[kWriteCount] = {"JPEG", "BMP", "Targa"};
const char* const kWriteExtensions[kWriteCount] = {"jpg", "bmp", "tga"};

bool IsImage32(const Quor_image* image)
{
    return image != nullptr && image->bits != nullptr && image->pixelBits == 32 && image->pixelBytes == 4
        && image->width > 0 && image->height > 0;
}

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

int Quor_JpegModule::StartImgRead(int i, const char* path, int maxSize, Quor_ImageReader** handle,
    int* width, int* height, bool* hasAlpha)
{
    *handle = nullptr;
    if (i < 0 || i >= kReadCount)
        return -8;
    int code = 0;
    FILE* file = Quor_ImageFile::OpenForReading(path, &code);
    if (file == nullptr)
        return code;
    Quor_ImageReader* reader = nullptr;
    switch (i) {
    case kReadJpeg:
        code = Quor_JpegReader::Start(file, maxSize, &reader);
        break;
    case kReadBmp:
        code = Quor_BmpReader::Start(file, &reader);
        break;
    case kReadGif:
        code = Quor_GifReader::Start(file, &reader);
        break;
    default:
        code = Quor_TgaReader::Start(file, &reader);
        break;
    }
    if (code != 0)
        return code;
    *handle = reader;
    *width = reader->Width();
    *height = reader->Height();
    // Whatever the file holds, this module delivers opaque pixels.
    *hasAlpha = false;
    return 0;
}

int Quor_JpegModule::FinishImgRead(int, Quor_ImageReader* handle, const Quor_image* image)
{
    if (handle == nullptr || image == nullptr) {
        delete handle;
        return -3;
    }
    const int code = handle->Finish(*image);
    delete handle;
    if (code == 0)
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
        return -8;
    if (!IsImage32(image))
        return -3;
    FILE* file = Quor_ImageFile::OpenForWriting(path);
    if (file == nullptr)
        return -5;
    int code = 0;
    if (i == kWriteJpeg) {
        code = Quor_JpegWriter::Write(file, *image, quality);
    } else {
        Quor_FileSink sink(file);
        code = i == kWriteBmp ? Quor_BmpWriter::Write(sink, *image) : Quor_TgaWriter::Write(sink, *image);
    }
    const int closed = Quor_ImageFile::FinishWriting(file, path, code == 0);
    return code != 0 ? code : closed;
}
