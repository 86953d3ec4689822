// The only code that calls libjpeg. Each call runs inside a small C-style function that catches
// the library's fatal errors with setjmp, so an error never ends the process and never skips a destructor.
#pragma once

#include <csetjmp>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

// libjpeg's error manager extended with the place its error exit jumps back to, and the errno of
// a failed write to the file (0 when the error was the library's own).
struct Quor_JpegErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    int systemError;
};

// One decoder: the library state and everything it points into. Plain data: callers allocate it,
// the shim functions fill it, DestroyDecoder releases what the library allocated.
struct Quor_JpegDecoder {
    jpeg_decompress_struct cinfo;
    Quor_JpegErrorManager error;
    jpeg_progress_mgr progress;
    bool created;
};

// One compressor, the writing counterpart of Quor_JpegDecoder.
struct Quor_JpegEncoder {
    jpeg_compress_struct cinfo;
    Quor_JpegErrorManager error;
    bool created;
};

// Every function returns QUOR_OK on success and QUOR_ERR_DECODE (reading) or QUOR_ERR_WRITE
// (writing) when the library reported a fatal error. After a
// failure only DestroyDecoder or DestroyEncoder may be called on that record; the caller still
// owns and closes the file.
struct Quor_JpegShim {
    // Creates the decompressor on `file` and reads the header. `memoryLimit` caps the library's
    // working memory (the whole-image coefficient buffer of progressive files lives there).
    static int ReadHeader(Quor_JpegDecoder* decoder, FILE* file, long memoryLimit);
    // Chooses the output scale 1/scaleDenominator (1, 2, 4 or 8) and colour space and computes the
    // output size into cinfo.output_width and output_height without decoding anything.
    static int CalcOutput(Quor_JpegDecoder* decoder, int scaleDenominator, J_COLOR_SPACE outSpace);
    static int StartDecompress(Quor_JpegDecoder* decoder);
    // Reads the next scanline into `row` (output_width * output_components bytes).
    static int ReadRow(Quor_JpegDecoder* decoder, uint8_t* row);
    static int FinishDecompress(Quor_JpegDecoder* decoder);
    static void DestroyDecoder(Quor_JpegDecoder* decoder);

    // Creates a baseline compressor writing to `file`; rows are `components` bytes per pixel in `inSpace`.
    static int StartCompress(Quor_JpegEncoder* encoder, FILE* file, int width, int height,
        J_COLOR_SPACE inSpace, int components, int quality);
    static int WriteRow(Quor_JpegEncoder* encoder, const uint8_t* row);
    // Writes a marker segment (an APPn code and up to 65533 bytes) after the start, before any row.
    static int WriteMarker(Quor_JpegEncoder* encoder, int code, const uint8_t* data, unsigned int length);
    // Writes the end of the stream and flushes the library's buffer into the file.
    static int FinishCompress(Quor_JpegEncoder* encoder);
    static void DestroyEncoder(Quor_JpegEncoder* encoder);
};
