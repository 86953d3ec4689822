// Decodes the common JPEG files at 1/8 of their size faster than libjpeg does: one sequential
// Huffman scan of grey or YCbCr 4:4:4, 4:2:2 or 4:2:0. At 1/8 a luma block is only its DC
// coefficient, so the decoder walks past the other 63 a table lookup at a time, several codes and
// their extra bits at once; the 4:2:0 chroma blocks are decoded whole for their 2x2 transform, and
// the 4:2:2 ones, like luma, are their DC alone.
//
// The pixels equal libjpeg's own 1/8 decode (accurate integer transform, fancy upsampling, its
// YCbCr tables) byte for byte. Whatever the decoder does not expect (a code not in a table, a
// marker or a restart out of place, data ending early, a coefficient out of the block or beyond
// the range where libjpeg's arithmetic is exact) makes it give up, and the caller lets libjpeg
// decode the file from the start.
#pragma once

#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

#include "toolkit/imaging/Quor_image.h"

class Quor_JpegDcDecoder {
public:
    // True when `info`, a header libjpeg has read, is one this decoder reads: one sequential
    // Huffman scan of all components, 8-bit samples, grey or YCbCr sampled 4:4:4, 4:2:2 or 4:2:0, every
    // table present.
    static bool Handles(const jpeg_decompress_struct& info);

    // Decodes the scan at 1/8 into `dest` (ceil(width / 8) x ceil(height / 8), 32-bit). The
    // entropy-coded data are the `bufferedBytes` at `buffered` followed by the rest of `file`.
    // QUOR_OK; QUOR_ERR_DECODE at anything unexpected; QUOR_ERR_MEMORY when its buffers cannot
    // be had. After a failure `dest` is partly written and the file position is anywhere.
    static int Decode(const jpeg_decompress_struct& info, const uint8_t* buffered, size_t bufferedBytes,
        FILE* file, const Quor_image& dest);
};
