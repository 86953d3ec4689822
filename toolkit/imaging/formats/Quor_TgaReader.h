// Reads Targa files: colour-mapped, true-colour and grey images (types 1, 2, 3) and their
// run-length-encoded forms (9, 10, 11), at 8, 15, 16, 24 or 32 bits, rows in either order. The
// file is untrusted: runs may not cross the end of the image and every colour-map index is checked.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "toolkit/imaging/formats/Quor_ByteCursor.h"
#include "toolkit/imaging/formats/Quor_ImageReader.h"

class Quor_TgaReader : public Quor_ImageReader {
public:
    // Takes ownership of `file` whatever the outcome: QUOR_OK and the reader; QUOR_ERR_READ for a
    // header that is not an accepted Targa; QUOR_ERR_DECODE for a file too short for its image;
    // QUOR_ERR_MEMORY too large or beyond the budget.
    static int Start(FILE* file, Quor_ReadLimits& limits, Quor_ImageReader** reader);

    ~Quor_TgaReader() override;
    int Finish(const Quor_image& dest) override;

private:
    friend class Quor_ImageReader;

    explicit Quor_TgaReader(FILE* file);
    int ReadHeader(Quor_ReadLimits& limits);
    int ReadColorMap(int entryBits);
    bool ReadPixels(uint8_t* raw);
    bool ConvertRow(const uint8_t* raw, uint32_t* out) const;

    FILE* fFile;
    Quor_ByteCursor fCursor;
    int fType = 0;              // 1, 2 or 3 after the RLE flag is taken off
    bool fRle = false;
    int fPixelBytes = 0;        // bytes per stored pixel (or colour-map index)
    int fPixelBits = 0;
    bool fTopDown = false;
    bool fRightToLeft = false;
    int fMapFirst = 0;          // index of the first colour-map entry
    int fMapLength = 0;
    std::unique_ptr<uint32_t[]> fMap;

    // Run-length state, kept across rows because a packet may span rows.
    int fRunLeft = 0;
    bool fRunRepeats = false;
    uint8_t fRunPixel[4] = {};
    uint64_t fPixelsLeft = 0;   // pixels of the image not yet decoded
};
