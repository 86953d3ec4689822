// A format module of the image file registry: the types it reads and writes and the ten
// operations Quor_ImageIo calls. Read and write types have separate local index spaces.
#pragma once

#include <cstdio>

#include "toolkit/imaging/Quor_image.h"
#include "toolkit/imaging/formats/Quor_ImageReader.h"
#include "toolkit/imaging/formats/Quor_OutputFile.h"
#include "toolkit/imaging/formats/Quor_ReadLimits.h"

class Quor_ImageModule {
public:
    virtual ~Quor_ImageModule() = default;

    virtual int ReadTypeCount() const = 0;
    // MIME type and extension of read type i, or null for an index out of range.
    virtual const char* GetReadType(int i) const = 0;
    virtual const char* GetReadExtn(int i) const = 0;

    virtual int WriteTypeCount() const = 0;
    // Display name and extension of write type i, or null for an index out of range.
    virtual const char* GetWriteName(int i) const = 0;
    virtual const char* GetWriteExtn(int i) const = 0;

    // Opens path and reads its header, checking it against `limits` (see Quor_ImageReader). On
    // success returns QUOR_OK and hands over a reader that reports the size decoding will produce
    // (limits.maxSize > 0 lets a decoder reduce while decoding, never below maxSize). Otherwise
    // returns QUOR_ERR_READ (cannot open, or a header that is not this format), QUOR_ERR_DECODE (a
    // header that promises data the file does not hold), QUOR_ERR_MEMORY (too large, or beyond the
    // budget), with the refusal noted in `limits`, and *handle is null.
    virtual int StartImgRead(int i, const char* path, Quor_ReadLimits& limits, Quor_ImageReader** handle,
        int* width, int* height, bool* hasAlpha) = 0;
    // Decodes into a 32-bit image of the reported size and deletes the handle: QUOR_OK,
    // QUOR_ERR_DECODE or QUOR_ERR_MEMORY.
    virtual int FinishImgRead(int i, Quor_ImageReader* handle, const Quor_image* image) = 0;
    // Deletes the handle without decoding.
    virtual void CancelImgRead(int i, Quor_ImageReader* handle) = 0;

    // Writes a 32-bit image as write type i: QUOR_OK, or a failure code. Images of other depths
    // are refused before any file is created. The file is written beside the target and replaces
    // it only when complete, so a failed write leaves the target as it was and nothing else
    // behind. `flag` is reserved and ignored; quality applies to lossy types (1 to 100).
    virtual int WriteImgFile(int i, const char* path, const Quor_image* image, bool flag,
        int quality) = 0;

protected:
    // A reader's Start: takes over the file, reads the header against the limits.
    using StartReader = int (*)(FILE* file, Quor_ReadLimits& limits, Quor_ImageReader** reader);

    // StartImgRead through one reader: opens path (regular files only), starts the reader on it
    // and hands it over with the size it will decode and whether the file has transparency.
    static int StartReading(StartReader start, const char* path, Quor_ReadLimits& limits,
        Quor_ImageReader** handle, int* width, int* height, bool* hasAlpha);
    // FinishImgRead: decodes with the reader into the image and deletes the reader.
    static int FinishReading(Quor_ImageReader* handle, const Quor_image* image);

    // WriteImgFile through one writer: refuses an image that is not 32-bit before anything is
    // created, then calls write(FILE*), which returns a result code, on a file that replaces path
    // only once it is complete.
    template <class Write>
    static int WriteFile(const char* path, const Quor_image* image, Write write)
    {
        if (image == nullptr || !image->IsUsable32())
            return QUOR_ERR_ARGUMENT;
        Quor_OutputFile output;
        const int opened = output.Open(path);
        if (opened != QUOR_OK)
            return opened;
        const int code = write(output.File());
        const int finished = output.Finish(code == QUOR_OK);
        return code != QUOR_OK ? code : finished;
    }
};
