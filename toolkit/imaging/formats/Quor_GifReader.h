// Reads the first image of a GIF file (87a or 89a, interlaced or not) through giflib, which is
// well kept and fuzzed; this reader adds the size limits and the palette-index checks.
#pragma once

#include <cstdint>
#include <cstdio>

#include "toolkit/imaging/formats/Quor_ByteCursor.h"
#include "toolkit/imaging/formats/Quor_ImageReader.h"

struct GifFileType;

class Quor_GifReader : public Quor_ImageReader {
public:
    // Takes ownership of `file` whatever the outcome. Reads up to the first image descriptor,
    // whose size is the size of the result: QUOR_OK and the reader; QUOR_ERR_READ not a GIF or no
    // image; QUOR_ERR_DECODE no colour map, or a file too short for the size it declares;
    // QUOR_ERR_MEMORY too large or beyond the budget.
    static int Start(FILE* file, Quor_ReadLimits& limits, Quor_ImageReader** reader);

    ~Quor_GifReader() override;
    int Finish(const Quor_image& dest) override;

private:
    friend class Quor_ImageReader;

    explicit Quor_GifReader(FILE* file);
    int ReadHeader(Quor_ReadLimits& limits);
    int DecodeRow(uint8_t* indices, uint32_t* out);
    static int ReadBytes(GifFileType* gif, uint8_t* bytes, int count);

    FILE* fFile;
    Quor_ByteCursor fCursor;
    GifFileType* fGif = nullptr;
    bool fInterlaced = false;
    int fColorCount = 0;
    uint32_t fColors[256] = {};
};
