#include "toolkit/framework/Quor_CursorImages.h"

#include <array>
#include <cstdint>

namespace {

using Pixels = std::array<uint32_t, 256>;

// '#' opaque black, 'o' opaque white, anything else transparent; 16 rows of 16.
constexpr Pixels FromArt(const char* art)
{
    Pixels pixels{};
    for (int i = 0; i < 256; ++i)
        pixels[i] = art[i] == '#' ? 0x000000FFu : art[i] == 'o' ? 0xFFFFFFFFu : 0u;
    return pixels;
}

constexpr Pixels kWaitPixels = FromArt(
    "################"
    "#oooooooooooooo#"
    "################"
    ".#oooooooooooo#."
    ".#oo########oo#."
    "..#oo######oo#.."
    "...#oo####oo#..."
    "....#oo##oo#...."
    "....#oooooo#...."
    "...#oooooooo#..."
    "..#oooo##oooo#.."
    ".#oooo####oooo#."
    ".#ooo######ooo#."
    "################"
    "#oooooooooooooo#"
    "################");

constexpr Pixels kIBeamPixels = FromArt(
    "....###.###....."
    "....#oo#oo#....."
    "....###o###....."
    "......#o#......."
    "......#o#......."
    "......#o#......."
    "......#o#......."
    "....###o###....."
    "....#ooooo#....."
    "....###o###....."
    "......#o#......."
    "......#o#......."
    "......#o#......."
    "....###o###....."
    "....#oo#oo#....."
    "....###.###.....");

Quor_image Record(const Pixels& pixels)
{
    Quor_image record;
    // The blits and the cursor builder only read built-in records, so the data stays const.
    record.bits = const_cast<uint8_t*>(reinterpret_cast<const uint8_t*>(pixels.data()));
    record.width = 16;
    record.height = 16;
    record.pixelBits = 32;
    record.pixelBytes = 4;
    record.rowBytes = 64;
    return record;
}

const Quor_image kWait = Record(kWaitPixels);
const Quor_image kIBeam = Record(kIBeamPixels);

}  // namespace

const Quor_image* Quor_CursorImages::Wait()
{
    return &kWait;
}

const Quor_image* Quor_CursorImages::IBeam()
{
    return &kIBeam;
}
