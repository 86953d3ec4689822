#include "toolkit/imaging/formats/Quor_ImageIo.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "toolkit/core/Quor_Path.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/formats/Quor_ImageModule.h"
#include "toolkit/imaging/formats/Quor_JpegModule.h"
#include "toolkit/imaging/formats/Quor_PngModule.h"
#include "toolkit/math/Quor_Round.h"

int Quor_ImageIo::Format_JPEG = -1;
int Quor_ImageIo::Format_BMP = -1;
int Quor_ImageIo::Format_TGA = -1;
int Quor_ImageIo::Format_PNG = -1;
int Quor_ImageIo::Format_PSD = 4096;
Quor_String Quor_ImageIo::ReadFormatList;

namespace {

// One registered module and the string tables filled from its operations.
struct ModuleRecord {
    std::unique_ptr<Quor_ImageModule> module;
    std::vector<std::string> readTypes;
    std::vector<std::string> readExtensions;
    std::vector<std::string> writeNames;
    std::vector<std::string> writeExtensions;
};

std::vector<ModuleRecord> sModules;

void Register(Quor_ImageModule* module)
{
    if (module == nullptr)
        return;
    ModuleRecord record;
    record.module.reset(module);
    for (int i = 0; i < module->ReadTypeCount(); i++) {
        const char* type = module->GetReadType(i);
        const char* extension = module->GetReadExtn(i);
        record.readTypes.emplace_back(type != nullptr ? type : "");
        record.readExtensions.emplace_back(extension != nullptr ? extension : "");
    }
    for (int i = 0; i < module->WriteTypeCount(); i++) {
        const char* name = module->GetWriteName(i);
        const char* extension = module->GetWriteExtn(i);
        record.writeNames.emplace_back(name != nullptr ? name : "");
        record.writeExtensions.emplace_back(extension != nullptr ? extension : "");
    }
    sModules.push_back(std::move(record));
}

// The module and local read index for a MIME type, in registry order.
bool FindReader(const char* type, Quor_ImageModule** module, int* local)
{
    for (ModuleRecord& record : sModules)
        for (size_t i = 0; i < record.readTypes.size(); i++)
            if (record.readTypes[i] == type) {
                *module = record.module.get();
                *local = static_cast<int>(i);
                return true;
            }
    return false;
}

// The record and local write index of a global write number.
const ModuleRecord* FindWriter(int format, int* local)
{
    if (format < 0)
        return nullptr;
    for (const ModuleRecord& record : sModules) {
        const int count = static_cast<int>(record.writeNames.size());
        if (format < count) {
            *local = format;
            return &record;
        }
        format -= count;
    }
    return nullptr;
}

int FormatWithExtension(const char* extension)
{
    int number = 0;
    for (const ModuleRecord& record : sModules)
        for (const std::string& candidate : record.writeExtensions) {
            if (candidate == extension)
                return number;
            number++;
        }
    return -1;
}

Quor_String LowerExtension(const char* name)
{
    Quor_String extension = Quor_String(name != nullptr ? name : "").RightAfter('.');
    extension.ToLower();
    return extension;
}

const char* MimeTypeOfWriteName(const std::string& name)
{
    if (name == "JPEG")
        return "image/jpeg";
    if (name == "BMP")
        return "image/x-bmp";
    if (name == "Targa")
        return "image/x-targa";
    if (name == "PNG")
        return "image/png";
    if (name == "GIF")
        return "image/gif";
    return "application/octet-stream";
}

// Steps 1 to 4 of a load: find the module, read the header, size `image` and decode into it.
int Decode(const char* path, Quor_BaseImage* image, int maxSize)
{
    Quor_ImageModule* module = nullptr;
    int local = 0;
    if (!FindReader(Quor_Path(path).Type(), &module, &local))
        return -8;
    Quor_ImageReader* handle = nullptr;
    int width = 0;
    int height = 0;
    bool hasAlpha = false;
    const int code = module->StartImgRead(local, path, maxSize, &handle, &width, &height, &hasAlpha);
    if (code != 0)
        return code < 0 ? code : -6;
    if (image->Initialize(width, height, 32) != 0 || !image->IsValid()) {
        module->CancelImgRead(local, handle);
        return -1;
    }
    const int finished = module->FinishImgRead(local, handle, &image->Image());
    if (finished != 0) {
        // Rows not yet decoded hold whatever the allocation held; such an image must not be
        // drawn or exported, so it goes.
        image->Free();
        return finished == -1 ? -1 : -5;
    }
    return 0;
}

}  // namespace

void Quor_ImageIo::InitImageLoader()
{
    ExitImageLoader();
    try {
        Register(new (std::nothrow) Quor_JpegModule);
        Register(new (std::nothrow) Quor_PngModule);
        Format_JPEG = FormatWithExtension("jpg");
        Format_BMP = FormatWithExtension("bmp");
        Format_TGA = FormatWithExtension("tga");
        Format_PNG = FormatWithExtension("png");
        Format_PSD = 4096;
        Quor_String list;
        for (const ModuleRecord& record : sModules)
            for (const std::string& extension : record.readExtensions) {
                if (!list.IsEmpty())
                    list += ";";
                list += "*.";
                list += extension.c_str();
            }
        list += ";*.jpeg";
        ReadFormatList = list;
    } catch (const std::bad_alloc&) {
        ExitImageLoader();
    }
}

void Quor_ImageIo::ExitImageLoader()
{
    sModules.clear();
    Format_JPEG = Format_BMP = Format_TGA = Format_PNG = -1;
    ReadFormatList = "";
}

void Quor_ImageIo::FitSize(int width, int height, int maxSize, int* fitWidth, int* fitHeight)
{
    if (width <= height) {
        *fitHeight = maxSize;
        *fitWidth = Quor_RoundClamp(static_cast<double>(width) / height * maxSize, 1, maxSize);
    } else {
        *fitWidth = maxSize;
        *fitHeight = Quor_RoundClamp(static_cast<double>(height) / width * maxSize, 1, maxSize);
    }
}

int Quor_ImageIo::LoadImage(const char* path, Quor_BaseImage* image, int maxSize)
{
    if (path == nullptr || image == nullptr)
        return -3;
    const int code = Decode(path, image, maxSize);
    if (code != 0)
        return code;
    const int width = image->Width();
    const int height = image->Height();
    if (maxSize <= 0 || (width <= maxSize && height <= maxSize))
        return 0;
    int fitWidth = 0;
    int fitHeight = 0;
    FitSize(width, height, maxSize, &fitWidth, &fitHeight);
    Quor_BaseImage reduced;
    if (reduced.Initialize(fitWidth, fitHeight, 32) != 0
        || Quor_ImageOps::StretchBlit(&image->Image(), reduced, 0, 0, fitWidth, fitHeight, true) != 0) {
        image->Free();
        return -1;
    }
    if (image->Initialize(fitWidth, fitHeight, 32) != 0)
        return -1;
    Quor_ImageOps::Blit(reduced, &image->Image(), 0, 0);
    return 0;
}

int Quor_ImageIo::LoadThumbnail(const char* path, Quor_BaseImage* image, int maxSize)
{
    if (path == nullptr || image == nullptr)
        return -3;
    Quor_BaseImage decoded;
    const int code = Decode(path, &decoded, maxSize);
    if (code != 0)
        return code;
    const int width = decoded.Width();
    const int height = decoded.Height();
    const bool reduce = maxSize > 0 && (width > maxSize || height > maxSize);
    int fitWidth = width;
    int fitHeight = height;
    if (reduce)
        FitSize(width, height, maxSize, &fitWidth, &fitHeight);
    if (image->Initialize(fitWidth, fitHeight, 32) != 0)
        return -1;
    if (!reduce) {
        Quor_ImageOps::Blit(decoded, &image->Image(), 0, 0);
        return 0;
    }
    if (Quor_ImageOps::StretchBlit(decoded, &image->Image(), 0, 0, fitWidth, fitHeight, false) != 0) {
        image->Free();
        return -1;
    }
    return 0;
}

int Quor_ImageIo::SaveImage(const char* path, Quor_BaseImage* image, int format, int quality)
{
    if (image == nullptr)
        return -3;
    return SaveImage(path, &image->Image(), format, quality);
}

int Quor_ImageIo::SaveImage(const char* path, const Quor_image* image, int format, int quality)
{
    int local = 0;
    const ModuleRecord* record = FindWriter(format, &local);
    if (record == nullptr)
        return -8;
    if (path == nullptr || image == nullptr)
        return -7;
    if (record->module->WriteImgFile(local, path, image, false, quality) != 0)
        return -7;
    Quor_Path(path).SetType(MimeTypeOfWriteName(record->writeNames[static_cast<size_t>(local)]));
    return 0;
}

bool Quor_ImageIo::CanReadImage(const char* name)
{
    const Quor_String extension = LowerExtension(name);
    if (extension.IsEmpty())
        return false;
    // The loader takes ".jpeg" files (by their MIME type) and the read list offers them, so the
    // check accepts them too.
    if (extension == "jpeg")
        return !sModules.empty() && FormatWithExtension("jpg") >= 0;
    for (const ModuleRecord& record : sModules)
        for (const std::string& candidate : record.readExtensions)
            if (extension == candidate.c_str())
                return true;
    return false;
}

bool Quor_ImageIo::CanWriteImage(const char* name)
{
    const Quor_String extension = LowerExtension(name);
    return !extension.IsEmpty() && FormatWithExtension(extension) >= 0;
}

void Quor_ImageIo::GetReadFilter(Quor_String* out)
{
    if (out == nullptr)
        return;
    Quor_String filter = "Image Files|";
    bool first = true;
    for (const ModuleRecord& record : sModules)
        for (const std::string& extension : record.readExtensions) {
            if (!first)
                filter += ";";
            first = false;
            filter += "*.";
            filter += extension.c_str();
        }
    filter += "|All Files (*.*)|*.*||";
    *out = filter;
}

void Quor_ImageIo::GetWriteFilter(Quor_String* out)
{
    if (out == nullptr)
        return;
    Quor_String filter;
    for (const ModuleRecord& record : sModules)
        for (const std::string& extension : record.writeExtensions) {
            Quor_String upper = extension.c_str();
            upper.ToUpper();
            filter += upper;
            filter += "|*.";
            filter += extension.c_str();
            filter += "|";
        }
    filter += "|";
    *out = filter;
}

int Quor_ImageIo::CountWriteFormats()
{
    int count = 0;
    for (const ModuleRecord& record : sModules)
        count += static_cast<int>(record.writeNames.size());
    return count;
}

const char* Quor_ImageIo::GetWriteFormatName(int n)
{
    int local = 0;
    const ModuleRecord* record = FindWriter(n, &local);
    return record != nullptr ? record->writeNames[static_cast<size_t>(local)].c_str() : "";
}

const char* Quor_ImageIo::GetWriteFormatExtension(int n)
{
    int local = 0;
    const ModuleRecord* record = FindWriter(n, &local);
    return record != nullptr ? record->writeExtensions[static_cast<size_t>(local)].c_str() : "";
}

void Quor_ImageIo::SetPixelLimit(int64_t pixels)
{
    Quor_ImageReader::SetPixelLimit(pixels);
}
