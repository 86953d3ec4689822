// The registry of image file modules: loads image files into owned 32-bit images (optionally
// reduced to fit a size), saves images in the registered formats, and supplies the file-type
// lists of open and save dialogs. Built once at start-up, read-only afterwards, so loads may run
// on any thread.
#pragma once

#include <cstdint>

#include "toolkit/core/Quor_String.h"
#include "toolkit/imaging/Quor_BaseImage.h"

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

    // Reads the file at path, chosen by the MIME type of its extension, into a 32-bit image.
    // With maxSize > 0 an image larger than maxSize on either side is reduced, with filtering,
    // to fit maxSize x maxSize keeping its proportions. 0 on success; -8 no module for the type;
    // -6 the file cannot be opened (missing, not a regular file) or its header not read; -5 the
    // data is corrupt; -1 out of memory or larger than the readers accept. After a failure the
    // image is as it was, except after -5 and -1 once decoding started: then it is empty, never
    // a picture with undecoded rows.
    static int LoadImage(const char* path, Quor_BaseImage* image, int maxSize);
    // As LoadImage, but decodes into a temporary image and reduces without filtering; on any
    // failure the image is left as it was.
    static int LoadThumbnail(const char* path, Quor_BaseImage* image, int maxSize);

    // Writes a 32-bit image in the format with global write number `format`: 0; -8 for a number
    // no module writes; -7 when writing failed (including an image of another depth, for which
    // no file is created). A failed write leaves no partial file behind.
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
