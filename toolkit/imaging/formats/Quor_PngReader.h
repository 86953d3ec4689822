// Reads PNG files through libpng: every colour type and depth, interlaced or not, expanded to
// 32-bit pixels with the file's alpha channel or tRNS transparency in alpha.
#pragma once

#include <cstdio>

#include "toolkit/imaging/formats/Quor_ImageReader.h"
#include "toolkit/imaging/formats/Quor_PngShim.h"

class Quor_PngReader : public Quor_ImageReader {
public:
    // Takes ownership of `file` whatever the outcome: QUOR_OK and the reader; QUOR_ERR_READ not a
    // PNG or a damaged header; QUOR_ERR_DECODE a file too short for the size it declares;
    // QUOR_ERR_MEMORY too large, beyond the budget or out of memory.
    static int Start(FILE* file, Quor_ReadLimits& limits, Quor_ImageReader** reader);

    ~Quor_PngReader() override;
    int Finish(const Quor_image& dest) override;

private:
    friend class Quor_ImageReader;

    explicit Quor_PngReader(FILE* file);
    int ReadHeader(Quor_ReadLimits& limits);

    FILE* fFile;
    Quor_PngDecoder fDecoder;
};
