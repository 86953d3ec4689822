#include "toolkit/imaging/formats/Quor_ImageIo.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "toolkit/core/Quor_Path.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_ImageModule.h"
#include "toolkit/imaging/formats/Quor_JpegModule.h"
#include "toolkit/imaging/formats/Quor_PngModule.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
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
    return Quor_Path(name != nullptr ? name : "").Extension();
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

// A reader started on a file's header, with the module that reads it on.
struct StartedRead {
    Quor_ImageModule* module = nullptr;
    int local = 0;
    Quor_ImageReader* handle = nullptr;
    int width = 0;
    int height = 0;
    // The size the header declares; width x height is what the decoder delivers, which a JPEG
    // decoder may have scaled down by its DCT.
    int fullWidth = 0;
    int fullHeight = 0;
};

// Steps 1 and 2 of a load: find the module, read and check the header.
int StartRead(const char* path, Quor_ReadLimits& limits, StartedRead* read)
{
    if (!FindReader(Quor_Path(path).Type(), &read->module, &read->local))
        return QUOR_ERR_NO_MODULE;
    bool hasAlpha = false;
    const int code =
        read->module->StartImgRead(read->local, path, limits, &read->handle, &read->width, &read->height, &hasAlpha);
    if (code != QUOR_OK)
        return code < 0 ? code : QUOR_ERR_READ;
    // The reader's size check left the declared size in the limits.
    read->fullWidth = limits.width > read->width ? static_cast<int>(limits.width) : read->width;
    read->fullHeight = limits.height > read->height ? static_cast<int>(limits.height) : read->height;
    limits.width = read->width;
    limits.height = read->height;
    return QUOR_OK;
}

// Steps 1 to 4 of a load: find the module, read and check the header, size `image` and decode
// into it.
int Decode(const char* path, Quor_BaseImage* image, Quor_ReadLimits& limits, int* fullWidth = nullptr,
    int* fullHeight = nullptr)
{
    StartedRead read;
    const int code = StartRead(path, limits, &read);
    if (code != QUOR_OK)
        return code;
    if (fullWidth != nullptr && fullHeight != nullptr) {
        *fullWidth = read.fullWidth;
        *fullHeight = read.fullHeight;
    }
    Quor_ImageModule* module = read.module;
    const int local = read.local;
    Quor_ImageReader* handle = read.handle;
    if (image->Initialize(read.width, read.height, 32) != QUOR_OK || !image->IsValid()) {
        module->CancelImgRead(local, handle);
        return QUOR_ERR_MEMORY;
    }
    const int finished = module->FinishImgRead(local, handle, &image->Image());
    if (finished != QUOR_OK) {
        // Rows not yet decoded hold whatever the allocation held; such an image must not be
        // drawn or exported, so it goes.
        image->Free();
        return finished == QUOR_ERR_MEMORY ? QUOR_ERR_MEMORY : QUOR_ERR_DECODE;
    }
    return QUOR_OK;
}

// "2048 bytes", "12 KB", "1.5 MB", "3.2 GB".
std::string ByteText(int64_t bytes)
{
    if (bytes < 10 * 1024)
        return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    if (bytes < (int64_t(1) << 20))
        return std::to_string((bytes + 512) >> 10) + " KB";
    const int shift = bytes < (int64_t(1) << 30) ? 20 : 30;
    const int64_t tenths = (bytes * 10 + (int64_t(1) << (shift - 1))) >> shift;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + (shift == 20 ? " MB" : " GB");
}

std::string SizeText(int64_t width, int64_t height)
{
    return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

// One sentence for the user about a failed load of `path`.
std::string Describe(const char* path, int code, const Quor_ReadLimits& limits)
{
    using Refusal = Quor_ReadLimits::Refusal;
    const std::string file = path != nullptr ? path : "";
    switch (limits.refusal) {
    case Refusal::kCannotOpen:
        if (limits.systemError == 0)
            return file + " is not a regular file.";
        return file + " cannot be opened: " + std::strerror(limits.systemError) + ".";
    case Refusal::kBadSize:
        return file + " declares an image of " + SizeText(limits.width, limits.height) + ": the file is damaged.";
    case Refusal::kTooLarge:
        return file + " holds " + SizeText(limits.width, limits.height) + ", more than can be loaded.";
    case Refusal::kBeyondFile:
        return file + " declares " + SizeText(limits.width, limits.height) + ", more than its "
            + ByteText(limits.fileBytes) + " can hold: the file is damaged.";
    case Refusal::kBeyondBudget:
        return file + " (" + SizeText(limits.width, limits.height) + ") needs " + ByteText(limits.neededBytes)
            + " of memory to load, more than the " + ByteText(limits.memoryBudget) + " left.";
    case Refusal::kNone:
        break;
    }
    switch (code) {
    case QUOR_ERR_NO_MODULE:
        return file + " is not a kind of image file that can be read.";
    case QUOR_ERR_READ: {
        Quor_String type = Quor_Path(file.c_str()).Extension();
        type.ToUpper();
        return file + " does not read as a " + type.Buffer() + " image.";
    }
    case QUOR_ERR_DECODE:
        return file + " is damaged: its pixels cannot be decoded.";
    case QUOR_ERR_MEMORY:
        // The pixels alone need this much, so the user learns how short the machine fell.
        return "Not enough memory to load " + file + " (" + SizeText(limits.width, limits.height) + ", about "
            + ByteText(std::max(limits.neededBytes, limits.width * limits.height * 4)) + ").";
    default:
        return "No image file was named.";
    }
}

// Puts the sentence for a failed load into *refusal, when asked for. Never fails the load itself.
int Refuse(int code, const char* path, const Quor_ReadLimits& limits, Quor_String* refusal)
{
    if (code != QUOR_OK && refusal != nullptr) {
        try {
            *refusal = Describe(path, code, limits).c_str();
        } catch (const std::bad_alloc&) {
            *refusal = "";
        }
    }
    return code;
}

Quor_ReadLimits LoadLimits(int maxSize, int64_t memoryBudget)
{
    Quor_ReadLimits limits;
    limits.maxSize = maxSize;
    limits.memoryBudget = memoryBudget;
    return limits;
}

bool NeedsReducing(const Quor_BaseImage& image, int maxSize)
{
    return maxSize > 0 && (image.Width() > maxSize || image.Height() > maxSize);
}

// Makes `reduced` the decoded picture fitted into maxSize x maxSize by picking pixels: QUOR_OK,
// or QUOR_ERR_MEMORY.
int ReduceNearest(const Quor_image& decoded, int maxSize, Quor_BaseImage* reduced)
{
    int fitWidth = 0;
    int fitHeight = 0;
    Quor_ImageIo::FitSize(decoded.width, decoded.height, maxSize, &fitWidth, &fitHeight);
    if (reduced->Initialize(fitWidth, fitHeight, 32) != QUOR_OK
        || Quor_ImageOps::StretchBlit(&decoded, &reduced->Image(), 0, 0, fitWidth, fitHeight, false) != QUOR_OK)
        return QUOR_ERR_MEMORY;
    return QUOR_OK;
}

// The factor d (1, 2, 4 or 8) by which a decoder scaled a fullWidth x fullHeight picture down to
// `decoded`, each decoded pixel the mean of a d x d block; 1 when the sizes fit no such factor.
int DecodeScale(const Quor_image& decoded, int fullWidth, int fullHeight)
{
    if (decoded.width >= fullWidth && decoded.height >= fullHeight)
        return 1;
    for (const int d : {8, 4, 2}) {
        if ((int64_t(fullWidth) + d - 1) / d == decoded.width && (int64_t(fullHeight) + d - 1) / d == decoded.height)
            return d;
    }
    return 1;
}

// Makes `reduced` the decoded picture fitted into maxSize x maxSize by area, so that it lies
// where the full picture does: with pixel i at position i and both scaled about their middles,
// reduced pixel (x, y) shows the full picture around (W/2 + S (x - w/2), H/2 + S (y - h/2)),
// S the ratio of their shorter sides. A decoded pixel of a picture scaled by d stands for the
// block of full pixels centred at d i + (d - 1) / 2. QUOR_OK, or QUOR_ERR_MEMORY.
int ReduceInPlace(const Quor_image& decoded, int fullWidth, int fullHeight, int maxSize, Quor_BaseImage* reduced)
{
    const int d = DecodeScale(decoded, fullWidth, fullHeight);
    if (d == 1) {
        fullWidth = decoded.width;
        fullHeight = decoded.height;
    }
    int fitWidth = decoded.width;
    int fitHeight = decoded.height;
    if (decoded.width > maxSize || decoded.height > maxSize)
        Quor_ImageIo::FitSize(decoded.width, decoded.height, maxSize, &fitWidth, &fitHeight);
    const double scale = double(std::min(fullWidth, fullHeight)) / std::min(fitWidth, fitHeight);
    const double centre = (d - 1) / 2.0;
    const double originX = (fullWidth / 2.0 - scale * fitWidth / 2.0 - centre) / d;
    const double originY = (fullHeight / 2.0 - scale * fitHeight / 2.0 - centre) / d;
    if (reduced->Initialize(fitWidth, fitHeight, 32) != QUOR_OK
        || Quor_ImageOps::ReduceArea(&decoded, &reduced->Image(), originX, originY, std::max(1.0, scale / d))
            != QUOR_OK)
        return QUOR_ERR_MEMORY;
    return QUOR_OK;
}

// Copies `pixels` (32-bit) into `image`, which is left as it was when its memory cannot be had.
int Adopt(const Quor_image& pixels, Quor_BaseImage* image)
{
    if (image->IsValid() && image->Width() == pixels.width && image->Height() == pixels.height
        && image->PixelBits() == 32) {
        Quor_ImageOps::Blit(&pixels, &image->Image(), 0, 0);
        return QUOR_OK;
    }
    // Initialize frees the old pixels before it allocates the new ones, so a copy of them is
    // made first: when the allocation is refused, they go back.
    Quor_BaseImage previous;
    if (image->IsValid()) {
        if (previous.Initialize(image->Width(), image->Height(), image->PixelBits()) != QUOR_OK)
            return QUOR_ERR_MEMORY;
        Quor_ImageOps::Blit(&image->Image(), &previous.Image(), 0, 0);
    }
    if (image->Initialize(pixels.width, pixels.height, 32) != QUOR_OK) {
        if (previous.IsValid()
            && image->Initialize(previous.Width(), previous.Height(), previous.PixelBits()) == QUOR_OK)
            Quor_ImageOps::Blit(&previous.Image(), &image->Image(), 0, 0);
        return QUOR_ERR_MEMORY;
    }
    Quor_ImageOps::Blit(&pixels, &image->Image(), 0, 0);
    return QUOR_OK;
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

int Quor_ImageIo::ReadHeader(const char* path, Quor_String* refusal)
{
    int width;
    int height;
    return ReadSize(path, &width, &height, refusal);
}

int Quor_ImageIo::ReadSize(const char* path, int* width, int* height, Quor_String* refusal)
{
    Quor_ReadLimits limits = LoadLimits(0, kNoBudget);
    if (path == nullptr || width == nullptr || height == nullptr)
        return Refuse(QUOR_ERR_ARGUMENT, path, limits, refusal);
    StartedRead read;
    const int code = StartRead(path, limits, &read);
    if (code != QUOR_OK)
        return Refuse(code, path, limits, refusal);
    read.module->CancelImgRead(read.local, read.handle);
    *width = read.width;
    *height = read.height;
    return QUOR_OK;
}

int Quor_ImageIo::LoadImage(const char* path, Quor_BaseImage* image, int maxSize, int64_t memoryBudget,
    Quor_String* refusal)
{
    Quor_ReadLimits limits = LoadLimits(maxSize, memoryBudget);
    if (path == nullptr || image == nullptr)
        return Refuse(QUOR_ERR_ARGUMENT, path, limits, refusal);
    int fullWidth = 0;
    int fullHeight = 0;
    const int code = Decode(path, image, limits, &fullWidth, &fullHeight);
    // A picture the decoder scaled is resampled even when it fits, so that its pixels move to
    // where the full picture's would be.
    if (code != QUOR_OK || maxSize <= 0
        || (!NeedsReducing(*image, maxSize) && DecodeScale(image->Image(), fullWidth, fullHeight) == 1))
        return Refuse(code, path, limits, refusal);
    Quor_BaseImage reduced;
    if (ReduceInPlace(image->Image(), fullWidth, fullHeight, maxSize, &reduced) != QUOR_OK) {
        image->Free();
        return Refuse(QUOR_ERR_MEMORY, path, limits, refusal);
    }
    if (image->Initialize(reduced.Width(), reduced.Height(), 32) != QUOR_OK)
        return Refuse(QUOR_ERR_MEMORY, path, limits, refusal);
    Quor_ImageOps::Blit(reduced, &image->Image(), 0, 0);
    return QUOR_OK;
}

int Quor_ImageIo::LoadThumbnail(const char* path, Quor_BaseImage* image, int maxSize, int64_t memoryBudget,
    Quor_String* refusal)
{
    Quor_ReadLimits limits = LoadLimits(maxSize, memoryBudget);
    if (path == nullptr || image == nullptr)
        return Refuse(QUOR_ERR_ARGUMENT, path, limits, refusal);
    // Everything that can fail happens in images of this call's own; `image` changes last.
    Quor_BaseImage decoded;
    int code = Decode(path, &decoded, limits);
    if (code == QUOR_OK && !NeedsReducing(decoded, maxSize)) {
        code = Adopt(decoded.Image(), image);
    } else if (code == QUOR_OK) {
        Quor_BaseImage reduced;
        code = ReduceNearest(decoded.Image(), maxSize, &reduced);
        decoded.Free();
        if (code == QUOR_OK)
            code = Adopt(reduced.Image(), image);
    }
    return Refuse(code, path, limits, refusal);
}

int Quor_ImageIo::SaveImage(const char* path, Quor_BaseImage* image, int format, int quality)
{
    if (image == nullptr)
        return QUOR_ERR_ARGUMENT;
    return SaveImage(path, &image->Image(), format, quality);
}

int Quor_ImageIo::SaveImage(const char* path, const Quor_image* image, int format, int quality)
{
    int local = 0;
    const ModuleRecord* record = FindWriter(format, &local);
    if (record == nullptr)
        return QUOR_ERR_NO_MODULE;
    if (path == nullptr || image == nullptr)
        return QUOR_ERR_WRITE;
    if (record->module->WriteImgFile(local, path, image, false, quality) != QUOR_OK)
        return QUOR_ERR_WRITE;
    Quor_Path(path).SetType(MimeTypeOfWriteName(record->writeNames[static_cast<size_t>(local)]));
    return QUOR_OK;
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
