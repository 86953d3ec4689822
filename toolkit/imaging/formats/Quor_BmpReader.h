// Reads uncompressed Windows and OS/2 bitmaps: 8-bit paletted and 24-bit, rows stored bottom-up
// or top-down. The file is untrusted: every size is checked against the file before allocation
// and every palette index against the palette.
#pragma once

#include <cstdint>
#include <cstdio>

#include "toolkit/imaging/formats/Quor_ByteCursor.h"
#include "toolkit/imaging/formats/Quor_ImageReader.h"

class Quor_BmpReader : public Quor_ImageReader {
public:
    // Takes ownership of `file` whatever the outcome: QUOR_OK and the reader; QUOR_ERR_READ for a
    // header that is not an accepted bitmap; QUOR_ERR_DECODE for a file shorter than its header
    // promises; QUOR_ERR_MEMORY too large or beyond the budget.
    static int Start(FILE* file, Quor_ReadLimits& limits, Quor_ImageReader** reader);

    ~Quor_BmpReader() override;
    int Finish(const Quor_image& dest) override;

private:
    friend class Quor_ImageReader;

    explicit Quor_BmpReader(FILE* file);
    int ReadHeader(Quor_ReadLimits& limits);

    FILE* fFile;
    Quor_ByteCursor fCursor;
    int fBitsPerPixel = 0;
    bool fBottomUp = true;
    uint64_t fPixelOffset = 0;
    uint64_t fRowSize = 0;         // bytes per stored row, padded to 4
    int fColorCount = 0;
    uint32_t fColors[256] = {};    // the palette as packed 32-bit pixels
};
