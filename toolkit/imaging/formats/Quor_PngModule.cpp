#include "toolkit/imaging/formats/Quor_PngModule.h"

#include "toolkit/imaging/formats/Quor_ImageFile.h"
#include "toolkit/imaging/formats/Quor_PngReader.h"
#include "toolkit/imaging/formats/Quor_PngWriter.h"

int Quor_PngModule::StartImgRead(int i, const char* path, int, Quor_ImageReader** handle, int* width,
    int* height, bool* hasAlpha)
{
    *handle = nullptr;
    if (i != 0)
        return -8;
    int code = 0;
    FILE* file = Quor_ImageFile::OpenForReading(path, &code);
    if (file == nullptr)
        return code;
    Quor_ImageReader* reader = nullptr;
    code = Quor_PngReader::Start(file, &reader);
    if (code != 0)
        return code;
    *handle = reader;
    *width = reader->Width();
    *height = reader->Height();
    *hasAlpha = reader->HasAlpha();
    return 0;
}

int Quor_PngModule::FinishImgRead(int, Quor_ImageReader* handle, const Quor_image* image)
{
    if (handle == nullptr || image == nullptr) {
        delete handle;
        return -3;
    }
    const int code = handle->Finish(*image);
    delete handle;
    return code;
}

void Quor_PngModule::CancelImgRead(int, Quor_ImageReader* handle)
{
    delete handle;
}

int Quor_PngModule::WriteImgFile(int i, const char* path, const Quor_image* image, bool, int)
{
    if (i != 0)
        return -8;
    if (image == nullptr || image->bits == nullptr || image->pixelBits != 32 || image->pixelBytes != 4
        || image->width < 1 || image->height < 1)
        return -3;
    FILE* file = Quor_ImageFile::OpenForWriting(path);
    if (file == nullptr)
        return -5;
    const int code = Quor_PngWriter::Write(file, *image);
    const int closed = Quor_ImageFile::FinishWriting(file, path, code == 0);
    return code != 0 ? code : closed;
}
