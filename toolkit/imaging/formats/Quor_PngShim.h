// The only code that calls libpng. Each call runs inside a small C-style function that catches
// the library's errors with setjmp, so an error never ends the process and never skips a destructor.
#pragma once

#include <cstdint>
#include <cstdio>

#include <png.h>

// One PNG reader. Plain data: callers allocate it, DestroyDecoder releases the library's state.
struct Quor_PngDecoder {
    png_structp png;
    png_infop info;
    uint32_t width;
    uint32_t height;
    int passes;         // 7 for an interlaced file, else 1
    bool hasAlpha;      // an alpha channel or a tRNS chunk
};

// One PNG writer.
struct Quor_PngEncoder {
    png_structp png;
    png_infop info;
};

// Every function returns QUOR_OK on success, QUOR_ERR_MEMORY when the library's state cannot be
// made, and QUOR_ERR_DECODE (reading) or QUOR_ERR_WRITE (writing) when the library reported an
// error; after a failure only DestroyDecoder or DestroyEncoder may be called. The caller owns and
// closes the file.
struct Quor_PngShim {
    // Reads the header and sets up every expansion that turns the file into 8-bit rows of blue,
    // green, red, alpha bytes: palette to RGB, grey to RGB, sub-byte samples unpacked, 16-bit
    // samples stripped, tRNS to alpha, and a filler of 255 where the file has no alpha.
    static int ReadInfo(Quor_PngDecoder* decoder, FILE* file);
    // Reads the next row of the current pass into `row` (width * 4 bytes). For interlaced files
    // the caller walks every row `passes` times with the same row buffers.
    static int ReadRow(Quor_PngDecoder* decoder, uint8_t* row);
    static int FinishRead(Quor_PngDecoder* decoder);
    static void DestroyDecoder(Quor_PngDecoder* decoder);

    // Writes the header of an 8-bit RGBA, non-interlaced image.
    static int StartWrite(Quor_PngEncoder* encoder, FILE* file, uint32_t width, uint32_t height);
    // Writes one row of red, green, blue, alpha bytes.
    static int WriteRow(Quor_PngEncoder* encoder, const uint8_t* row);
    static int FinishWrite(Quor_PngEncoder* encoder);
    static void DestroyEncoder(Quor_PngEncoder* encoder);
};
