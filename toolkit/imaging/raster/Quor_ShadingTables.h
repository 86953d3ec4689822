// The process-wide shading tables of the polygon rasterizer: for each of 256 palette colours,
// 256 shades running from black (0) through the colour itself (128) to white (255).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

struct Quor_palette;

class Quor_ShadingTables {
public:
    template <class T>
    using Table = std::array<std::array<T, 256>, 256>;  // [palette index][shade]

    // The shade as a palette index (through the palette's inverse cube), as a 5-5-5 word and as
    // a 32-bit pixel with alpha 255.
    static Table<uint8_t> gShadingTable8;
    static Table<uint16_t> gShadingTable15;
    static Table<uint32_t> gShadingTable32;
    // Set once the tables hold their final contents.
    static std::atomic<bool> gTablesInit;

    // Fills the tables from `palette` the first time any thread calls it; every later call, with
    // whatever palette, returns at once. Safe to call from several threads at the same time:
    // the others wait until the first has finished.
    static void Build(const Quor_palette& palette);

    // One colour component c at shade k: k below 128 darkens towards black, 128 keeps the
    // component, above 128 brightens towards white.
    static constexpr int ShadeComponent(int c, int k)
    {
        if (k < 128)
            return c * k / 128;
        if (k == 128)
            return c;
        int v = c + (255 - c) * (k - 128) / 127;
        return v > 255 ? 255 : v;
    }
};
