// Reads PNG files through libpng: every colour type and depth, interlaced or not, expanded to
// 32-bit pixels with the file's alpha channel or tRNS transparency in alpha.
#pragma once

#include <cstdio>

#include "toolkit/imaging/formats/Quor_ImageReader.h"
#include "toolkit/imaging/formats/Quor_PngShim.h"

class Quor_PngReader : public Quor_ImageReader {
public:
    // Takes ownership of `file` whatever the outcome: 0 and the reader; -6 not a PNG or a
    // damaged header; -1 too large or out of memory.
    static int Start(FILE* file, Quor_ImageReader** reader);

    ~Quor_PngReader() override;
    int Finish(const Quor_image& dest) override;

private:
    explicit Quor_PngReader(FILE* file);

    FILE* fFile;
    Quor_PngDecoder fDecoder;
};
