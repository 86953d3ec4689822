// The state of one image read between a module's StartImgRead and its FinishImgRead or
// CancelImgRead: the open file and the decoder. Each format derives its own reader; deleting a
// reader cancels the read and closes the file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <new>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_image.h"
#include "toolkit/imaging/formats/Quor_ReadLimits.h"

class Quor_ImageReader {
public:
    virtual ~Quor_ImageReader() = default;

    Quor_ImageReader(const Quor_ImageReader&) = delete;
    Quor_ImageReader& operator=(const Quor_ImageReader&) = delete;

    // Decodes every row into `dest`, a 32-bit image of exactly Width() x Height(): QUOR_OK;
    // QUOR_ERR_DECODE when the data is corrupt or ends early; QUOR_ERR_MEMORY when a work buffer
    // cannot be allocated. After a failure the destination's rows are partly written and must not
    // be shown.
    virtual int Finish(const Quor_image& dest) = 0;

    // The size decoding will produce, and whether the file carries transparency.
    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    bool HasAlpha() const { return fHasAlpha; }

    // The checks a reader makes on its header before anything is allocated for the pixels, in
    // this order; each returns QUOR_OK or refuses, noting in `limits` what it refused.
    //
    // The declared size: QUOR_ERR_READ for a side below 1; QUOR_ERR_MEMORY for a side above
    // 65535, or for an output (the size decoding produces, which a reducing decoder makes
    // smaller) of more pixels than PixelLimit().
    static int CheckSize(Quor_ReadLimits& limits, int64_t width, int64_t height, int64_t outWidth,
        int64_t outHeight);
    static int CheckSize(Quor_ReadLimits& limits, int64_t width, int64_t height)
    {
        return CheckSize(limits, width, height, width, height);
    }
    // The file against the declared size: QUOR_ERR_DECODE when the bytes the pixels may come from
    // (availableBytes) are fewer than the format's best compression needs for that size
    // (minimumBytes), so the header cannot be true. fileBytes is the whole file, for the account.
    static int CheckFile(Quor_ReadLimits& limits, uint64_t minimumBytes, uint64_t availableBytes,
        int64_t fileBytes);
    // The memory the load will hold against limits.memoryBudget: the 32-bit output, the reduced
    // copy a load with maxSize makes of a larger output, and workBytes of the decoder's own
    // whole-image buffers. QUOR_ERR_MEMORY beyond the budget.
    static int CheckBudget(Quor_ReadLimits& limits, int64_t outWidth, int64_t outHeight, int64_t workBytes);
    // The bytes CheckBudget counts.
    static int64_t LoadBytes(int maxSize, int64_t outWidth, int64_t outHeight, int64_t workBytes);

    // The largest image, in pixels, that any reader accepts (at most 2^31, the default). Set
    // once before reading starts, for example by a process that must stay within a memory budget.
    static void SetPixelLimit(int64_t pixels);
    static int64_t PixelLimit();

protected:
    Quor_ImageReader() = default;

    // Makes a reader of type Reader over `file`, which it takes over whatever the outcome, and
    // reads the header with its ReadHeader(limits): QUOR_OK and the reader, or the header's code
    // (QUOR_ERR_MEMORY when the reader cannot be made) and nothing.
    template <class Reader>
    static int Open(FILE* file, Quor_ReadLimits& limits, Quor_ImageReader** reader)
    {
        *reader = nullptr;
        Reader* made = new (std::nothrow) Reader(file);
        if (made == nullptr) {
            fclose(file);
            return QUOR_ERR_MEMORY;
        }
        const int code = made->ReadHeader(limits);
        if (code != QUOR_OK) {
            delete made;
            return code;
        }
        *reader = made;
        return QUOR_OK;
    }

    int fWidth = 0;
    int fHeight = 0;
    bool fHasAlpha = false;
};
