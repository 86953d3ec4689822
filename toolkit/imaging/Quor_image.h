// The plain image record: a view of rows of pixels that it never owns.
// Every drawing, file and export routine works on this record; Quor_BaseImage owns the memory.
#pragma once

#include <cstddef>
#include <cstdint>

// 32-bit pixels are one word packed blue << 24 | green << 16 | red << 8 | alpha (straight alpha,
// 255 opaque), so on a little-endian machine the bytes run alpha, red, green, blue.
// 16-bit pixels are 5-6-5, 15-bit pixels 5-5-5, 8-bit pixels index the system palette.
struct Quor_image {
    uint8_t* bits = nullptr;   // first byte of the top row; null means no image
    int32_t width = 0;         // pixels per row
    int32_t height = 0;        // rows, top to bottom
    int32_t pixelBits = 0;     // 8, 15, 16, 24 or 32
    int32_t pixelBytes = 0;    // 1, 2, 2, 3 or 4
    int32_t rowBytes = 0;      // bytes from one row to the next

    // The bytes of one pixel at a depth: 1, 2, 2, 3 or 4 for 8, 15, 16, 24 and 32 bits, 0 for
    // any other depth.
    static constexpr int32_t BytesForDepth(int32_t depth)
    {
        switch (depth) {
        case 8: return 1;
        case 15:
        case 16: return 2;
        case 24: return 3;
        case 32: return 4;
        default: return 0;
        }
    }

    // A record whose pixels can be walked: pixels present, a positive size, a known depth with
    // its own pixel size, and rows at least as long as a row of pixels. The uncorrected built-in
    // mark (rowBytes 0) fails here.
    constexpr bool IsUsable() const
    {
        return bits != nullptr && width > 0 && height > 0 && pixelBytes != 0 &&
               pixelBytes == BytesForDepth(pixelBits) && int64_t(rowBytes) >= int64_t(width) * pixelBytes;
    }
    constexpr bool IsUsable32() const { return IsUsable() && pixelBits == 32; }

    // Row y, computed in pointer-sized arithmetic so tall images cannot overflow.
    uint8_t* Row(int32_t y) const { return bits + static_cast<ptrdiff_t>(y) * rowBytes; }
    uint32_t* Row32(int32_t y) const { return reinterpret_cast<uint32_t*>(Row(y)); }
};
