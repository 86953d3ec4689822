// The registry of image file modules: loads image files into owned 32-bit images (optionally
// reduced to fit a size), saves images in the registered formats, and supplies the file-type
// lists of open and save dialogs. Built once at start-up, read-only afterwards, so loads may run
// on any thread.
#pragma once

#include <cstdint>

#include "toolkit/core/Quor_String.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/formats/Quor_ReadLimits.h"

class Quor_ImageIo {
public:
    // Global write-format numbers: write types numbered across the modules in registry order
    // (-1 until InitImageLoader finds them). Format_PSD selects the layered writer, outside
    // the registry.
    static int Format_JPEG;
    static int Format_BMP;
    static int Format_TGA;
    static int Format_PNG;
    static int Format_PSD;

    // Every read extension as "*.ext", joined by ";", then ";*.jpeg".
    static Quor_String ReadFormatList;

    // Rebuilds the registry with the JPEG-library module and the libpng module. Call on the main
    // thread before any load.
    static void InitImageLoader();
    // Empties the registry.
    static void ExitImageLoader();

    // The memory budget of a load that sets none: only the readers' pixel limit applies.
    static constexpr int64_t kNoBudget = Quor_ReadLimits::kNoBudget;

    // Reads the file at path, chosen by the MIME type of its extension, into a 32-bit image.
    // With maxSize > 0 an image larger than maxSize on either side is reduced to fit maxSize x
    // maxSize keeping its proportions, each pixel the mean of the area it covers. The reduced
    // image lies where the full one does: sampled with pixel i at position i and scaled about
    // its middle by the ratio of the shorter sides, it shows the same place of the picture at
    // each point (the longer side may gain or lose part of a pixel at its ends to the rounding
    // of the size).
    //
    // Before any pixel is decoded the header is checked: a size the format could not encode in
    // the file's bytes is a corrupt file, and the bytes the load will hold at once (the decoded
    // image, its reduced copy and the decoder's whole-image buffers) must fit memoryBudget
    // (kNoBudget: no budget; 0: nothing is left).
    //
    // QUOR_OK on success; QUOR_ERR_NO_MODULE no module for the type; QUOR_ERR_READ the file cannot
    // be opened (missing, not a regular file) or its header not read; QUOR_ERR_DECODE the data is
    // corrupt, or the header declares more than the file holds; QUOR_ERR_MEMORY out of memory,
    // larger than the readers accept, or beyond the budget. After a failure the image is as it
    // was, except after QUOR_ERR_DECODE and QUOR_ERR_MEMORY once decoding started: then it is
    // empty, never a picture with undecoded rows. When `refusal` is given, a failure puts one
    // sentence for the user there, naming the file and, for a refused size, the size.
    static int LoadImage(const char* path, Quor_BaseImage* image, int maxSize, int64_t memoryBudget = kNoBudget,
        Quor_String* refusal = nullptr);
    // Reads and checks the header of the file at path as LoadImage would at full size, decoding
    // no pixels (a progressive JPEG may be read through): QUOR_OK when a load may go ahead, or
    // LoadImage's code and sentence for the failure.
    static int ReadHeader(const char* path, Quor_String* refusal = nullptr);
    // As ReadHeader, with the full size the header declares in *width and *height on success.
    static int ReadSize(const char* path, int* width, int* height, Quor_String* refusal = nullptr);
    // As LoadImage, but decodes into a temporary image and reduces without filtering; on any
    // failure the image is left as it was.
    static int LoadThumbnail(const char* path, Quor_BaseImage* image, int maxSize, int64_t memoryBudget = kNoBudget,
        Quor_String* refusal = nullptr);

    // Writes a 32-bit image in the format with global write number `format`: QUOR_OK;
    // QUOR_ERR_NO_MODULE for a number no module writes; QUOR_ERR_WRITE when writing failed
    // (including an image of another depth, for which no file is created). The new file replaces
    // an existing one only once it is completely written, so a failed save leaves the old file
    // as it was and no partial file behind.
    static int SaveImage(const char* path, Quor_BaseImage* image, int format, int quality);
    static int SaveImage(const char* path, const Quor_image* image, int format, int quality);

    // Whether the text after the last "." of name (any case) is a read or write extension.
    static bool CanReadImage(const char* name);
    static bool CanWriteImage(const char* name);

    // "Image Files|*.jpg;...|All Files (*.*)|*.*||" and "JPG|*.jpg|BMP|*.bmp|...||".
    static void GetReadFilter(Quor_String* out);
    static void GetWriteFilter(Quor_String* out);

    static int CountWriteFormats();
    // By global write number; "" for a number out of range.
    static const char* GetWriteFormatName(int n);
    static const char* GetWriteFormatExtension(int n);

    // The size an image of width x height is reduced to so that it fits maxSize x maxSize:
    // the longer side becomes maxSize, the other keeps the proportion, rounded, at least 1.
    static void FitSize(int width, int height, int maxSize, int* fitWidth, int* fitHeight);

    // The largest image, in pixels, that the readers accept (2^31 by default). A process with a
    // tighter memory budget (a fuzzing harness, a thumbnailer) lowers it before loading.
    static void SetPixelLimit(int64_t pixels);
};
