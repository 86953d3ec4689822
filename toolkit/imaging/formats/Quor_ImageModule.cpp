#include "toolkit/imaging/formats/Quor_ImageModule.h"

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_ImageFile.h"

int Quor_ImageModule::StartReading(StartReader start, const char* path, Quor_ReadLimits& limits,
    Quor_ImageReader** handle, int* width, int* height, bool* hasAlpha)
{
    *handle = nullptr;
    int code = QUOR_OK;
    FILE* file = Quor_ImageFile::OpenForReading(path, limits, &code);
    if (file == nullptr)
        return code;
    Quor_ImageReader* reader = nullptr;
    code = start(file, limits, &reader);
    if (code != QUOR_OK)
        return code;
    *handle = reader;
    *width = reader->Width();
    *height = reader->Height();
    *hasAlpha = reader->HasAlpha();
    return QUOR_OK;
}

int Quor_ImageModule::FinishReading(Quor_ImageReader* handle, const Quor_image* image)
{
    if (handle == nullptr || image == nullptr) {
        delete handle;
        return QUOR_ERR_ARGUMENT;
    }
    const int code = handle->Finish(*image);
    delete handle;
    return code;
}
