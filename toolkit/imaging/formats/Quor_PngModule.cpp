#include "toolkit/imaging/formats/Quor_PngModule.h"

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_PngReader.h"
#include "toolkit/imaging/formats/Quor_PngWriter.h"

int Quor_PngModule::StartImgRead(int i, const char* path, Quor_ReadLimits& limits, Quor_ImageReader** handle,
    int* width, int* height, bool* hasAlpha)
{
    *handle = nullptr;
    if (i != 0)
        return QUOR_ERR_NO_MODULE;
    return StartReading(Quor_PngReader::Start, path, limits, handle, width, height, hasAlpha);
}

int Quor_PngModule::FinishImgRead(int, Quor_ImageReader* handle, const Quor_image* image)
{
    return FinishReading(handle, image);
}

void Quor_PngModule::CancelImgRead(int, Quor_ImageReader* handle)
{
    delete handle;
}

int Quor_PngModule::WriteImgFile(int i, const char* path, const Quor_image* image, bool, int)
{
    if (i != 0)
        return QUOR_ERR_NO_MODULE;
    return WriteFile(path, image, [&](FILE* file) { return Quor_PngWriter::Write(file, *image); });
}
