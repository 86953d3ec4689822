// A format module of the image file registry: the types it reads and writes and the ten
// operations Quor_ImageIo calls. Read and write types have separate local index spaces.
#pragma once

#include "toolkit/imaging/Quor_image.h"
#include "toolkit/imaging/formats/Quor_ImageReader.h"

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

    // Opens path and reads its header. On success returns 0 and hands over a reader that reports
    // the size decoding will produce (maxSize > 0 lets a decoder reduce while decoding, never
    // below maxSize). Otherwise returns -6 (cannot open, or a header that is not this format),
    // -5 (a header that promises data the file does not hold), -1 (too large), and *handle is null.
    virtual int StartImgRead(int i, const char* path, int maxSize, Quor_ImageReader** handle,
        int* width, int* height, bool* hasAlpha) = 0;
    // Decodes into a 32-bit image of the reported size and deletes the handle: 0, -5 or -1.
    virtual int FinishImgRead(int i, Quor_ImageReader* handle, const Quor_image* image) = 0;
    // Deletes the handle without decoding.
    virtual void CancelImgRead(int i, Quor_ImageReader* handle) = 0;

    // Writes a 32-bit image as write type i: 0, or a negative code. Images of other depths are
    // refused before any file is created. A failed write leaves no file behind. `flag` is
    // reserved and ignored; quality applies to lossy types (1 to 100).
    virtual int WriteImgFile(int i, const char* path, const Quor_image* image, bool flag,
        int quality) = 0;
};
