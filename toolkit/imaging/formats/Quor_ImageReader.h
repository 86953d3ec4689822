// The state of one image read between a module's StartImgRead and its FinishImgRead or
// CancelImgRead: the open file and the decoder. Each format derives its own reader; deleting a
// reader cancels the read and closes the file.
#pragma once

#include <cstdint>

#include "toolkit/imaging/Quor_image.h"

class Quor_ImageReader {
public:
    virtual ~Quor_ImageReader() = default;

    Quor_ImageReader(const Quor_ImageReader&) = delete;
    Quor_ImageReader& operator=(const Quor_ImageReader&) = delete;

    // Decodes every row into `dest`, a 32-bit image of exactly Width() x Height(): 0; -5 when
    // the data is corrupt or ends early; -1 when a work buffer cannot be allocated. After a
    // failure the destination's rows are partly written and must not be shown.
    virtual int Finish(const Quor_image& dest) = 0;

    // The size decoding will produce, and whether the file carries transparency.
    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    bool HasAlpha() const { return fHasAlpha; }

    // Checks a header's image size before anything is allocated: 0; -6 for a side below 1;
    // -1 for a side above 65535 or more pixels than PixelLimit().
    static int CheckSize(int64_t width, int64_t height);

    // The largest image, in pixels, that any reader accepts (at most 2^31, the default). Set
    // once before reading starts, for example by a process that must stay within a memory budget.
    static void SetPixelLimit(int64_t pixels);
    static int64_t PixelLimit();

protected:
    Quor_ImageReader() = default;

    int fWidth = 0;
    int fHeight = 0;
    bool fHasAlpha = false;
};
