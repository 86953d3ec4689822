// Writes baseline JPEG files through libjpeg, row by row: a whole image at once, or rows as they
// are made (the panorama export streams a picture that never exists in memory as a whole). Packed
// 32-bit rows go to the library as they are: it reads their bytes in its extended RGB layouts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "toolkit/imaging/Quor_image.h"

struct Quor_JpegEncoder;

class Quor_JpegWriter {
public:
    Quor_JpegWriter();
    // Releases the compressor; the caller closes the file.
    ~Quor_JpegWriter();

    Quor_JpegWriter(const Quor_JpegWriter&) = delete;
    Quor_JpegWriter& operator=(const Quor_JpegWriter&) = delete;

    // Starts a compressor writing to `file` at the given quality (1 to 100; the library clamps):
    // QUOR_OK; QUOR_ERR_ARGUMENT without a file or for a side below 1; QUOR_ERR_MEMORY;
    // QUOR_ERR_WRITE when the library refuses (a side beyond 65500, a write error). Once a call
    // has failed, every later one returns its code.
    int Start(FILE* file, int width, int height, int quality);
    // Adds an application segment (code 0xE0..0xEF, for example 0xE1 for XMP) of at most
    // kMaxMarkerBytes after Start and before the first row: QUOR_OK; QUOR_ERR_ARGUMENT for another
    // code, a size beyond the limit or a call after a row; QUOR_ERR_WRITE when the library fails.
    static constexpr size_t kMaxMarkerBytes = 65533;
    int WriteMarker(int code, const void* data, size_t size);
    // Compresses the next row, top first: `width` packed pixels, alpha ignored. QUOR_ERR_ARGUMENT
    // for a row beyond the height.
    int WriteRow(const uint32_t* row);
    // Writes the end of the stream and flushes the library's buffer into the file: QUOR_OK, or
    // QUOR_ERR_WRITE (also when rows are missing).
    int Finish();
    // The errno of the write to the file that failed, or 0 when no write failed (for example the
    // library refused the size).
    int SystemError() const;

    // Compresses every row of a 32-bit image: QUOR_OK; QUOR_ERR_ARGUMENT for an image that is
    // not 32-bit; QUOR_ERR_MEMORY; QUOR_ERR_WRITE when the library fails. The caller opens and
    // finishes the file.
    static int Write(FILE* file, const Quor_image& image, int quality);

private:
    int Fail(int code);

    std::unique_ptr<Quor_JpegEncoder> fEncoder;
    int fStatus = 0;
    int fRowsLeft = 0;
    int fHeight = 0;
};
