// Reads the focal length a photo was taken at, as its 35 mm film equivalent, from the EXIF block
// of a JPEG file, so that a new document can start with its first photo's lens.
#pragma once

#include <cstddef>
#include <cstdint>

class Quor_ExifFocal {
public:
    // The focal lengths a caller accepts; a value outside them counts as none.
    struct Range {
        float min;
        float max;
    };

    // The 35 mm frame's diagonal in millimetres.
    static constexpr double kFilmDiagonal = 43.27;
    // Most bytes FromFile reads from a file's start looking for the EXIF block and the frame size.
    static constexpr size_t kMaxHeadBytes = 1 << 20;

    // From an EXIF block (an APP1 segment's payload, starting "Exif\0\0"): FocalLengthIn35mmFilm
    // when set, else FocalLength scaled from the sensor's diagonal, which the focal plane
    // resolution and the pixel size give (jpegWidth x jpegHeight stand in when the block names no
    // pixel size; 0 for unknown). QUOR_OK and *focal35; QUOR_ERR_DECODE when the block holds no
    // usable value (none, zero, or outside `range`); QUOR_ERR_MEMORY.
    static int FromExif(const uint8_t* data, size_t size, int jpegWidth, int jpegHeight, Range range,
        float* focal35);
    // The same from a whole JPEG file in memory: its first EXIF block and its frame's size, found
    // among the segments before the compressed data. QUOR_ERR_READ when the bytes are no JPEG.
    static int FromJpeg(const uint8_t* data, size_t size, Range range, float* focal35);
    // The same from the first kMaxHeadBytes of a file; QUOR_ERR_READ when it cannot be read.
    static int FromFile(const char* path, Range range, float* focal35);
};
