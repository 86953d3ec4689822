// Reads JPEG files through libjpeg: grey, RGB and CMYK (Adobe-inverted or plain) into 32-bit
// images, optionally reduced by 1/2, 1/4 or 1/8 while decoding.
#pragma once

#include <cstdio>

#include "toolkit/imaging/formats/Quor_ImageReader.h"
#include "toolkit/imaging/formats/Quor_JpegShim.h"

class Quor_JpegReader : public Quor_ImageReader {
public:
    // Takes ownership of `file` whatever the outcome. Reads the header; when limits.maxSize > 0
    // and the image exceeds it on either side, decodes at the smallest of 1/8, 1/4, 1/2 whose
    // result keeps the larger side at least maxSize. Returns QUOR_OK and the reader;
    // QUOR_ERR_READ (not a JPEG, or a library error while starting); QUOR_ERR_DECODE (a header
    // declaring more pixels than the file could encode); QUOR_ERR_MEMORY (too large, beyond the
    // budget, or out of memory).
    static int Start(FILE* file, Quor_ReadLimits& limits, Quor_ImageReader** reader);


    // The denominator (1, 2, 4 or 8) chosen for an image whose larger side is `largerSide`.
    static int ScaleDenominator(int64_t largerSide, int maxSize);

    // Whether Finish decodes the files Quor_JpegDcDecoder handles at 1/8 with it (the default)
    // or always with libjpeg; the pixels are the same either way. For tests that compare them.
    static void SetDcDecoder(bool on);

    ~Quor_JpegReader() override;
    int Finish(const Quor_image& dest) override;

    // Decodes the next row, top to bottom, into `row` (Width() opaque pixels): a caller that
    // needs a few rows at a time decodes them as it goes instead of the whole image with Finish.
    // QUOR_OK; QUOR_ERR_DECODE for corrupt data or a read past the last row.
    int ReadRow(uint32_t* row);
    // True when the file decodes row by row with no buffer of the whole image (one baseline scan),
    // so ReadRow holds only a few rows.
    bool DecodesByRows() const { return CoefficientBytes() == 0; }

private:
    friend class Quor_ImageReader;

    explicit Quor_JpegReader(FILE* file);
    int ReadHeader(Quor_ReadLimits& limits);
    int64_t CoefficientBytes() const;
    void ConvertCmykRow(uint32_t* dst) const;
    // Starts libjpeg over from the beginning of the file, as ReadHeader left it.
    int RestartLibrary();

    FILE* fFile;
    Quor_JpegDecoder fDecoder;
    bool fCmyk = false;
    bool fInverted = false;       // CMYK samples stored inverted (files with an Adobe marker)
    bool fDcDecoder = false;      // Finish tries Quor_JpegDcDecoder first
    uint8_t* fCmykRow = nullptr;  // one decoded CMYK scanline
};
