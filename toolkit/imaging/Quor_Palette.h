// A 256-colour table with an inverse lookup cube for 8-bit images, and the process-wide
// system palette. Quor_palette is the plain record the drawing code reads.
#pragma once

#include <cstdint>

#include "toolkit/core/Quor_Status.h"

struct Quor_palette {
    int32_t count = 0;                // 256 when valid, 0 when empty
    const uint32_t* colors = nullptr; // 256 colours packed like 32-bit pixels
    const uint8_t* inverse = nullptr; // 32 x 32 x 32 cube of nearest indices, or null

    // The cube cell of a colour with components 0..255.
    static constexpr int CubeIndex(int r, int g, int b)
    {
        return (r >> 3) * 1024 + (g >> 3) * 32 + (b >> 3);
    }
};

class Quor_Palette {
public:
    Quor_Palette() = default;
    ~Quor_Palette();
    Quor_Palette(const Quor_Palette&) = delete;
    Quor_Palette& operator=(const Quor_Palette&) = delete;

    // The built-in system table (colour cube, then red, green, blue and grey ramps, then black):
    // QUOR_OK; QUOR_ERR_MEMORY out of memory; QUOR_ERR_NO_PALETTE empty.
    int Initialize(bool buildInverse);
    // The built-in generic table (grey ramp, colour ramps, colour cube).
    int InitializeGeneric(bool buildInverse);
    // Builds the inverse cube when asked: every cell takes the nearest entry to its centre,
    // ties to the lower index. QUOR_OK; QUOR_ERR_MEMORY out of memory; QUOR_ERR_NO_PALETTE
    // empty.
    int FinishInitialize(bool buildInverse);

    // The nearest index through the cube, or 0 when there is none.
    uint8_t IndexFromColor(int r, int g, int b) const;

    bool IsValid() const { return fPalette.count != 0; }
    const Quor_palette& Palette() const { return fPalette; }
    operator const Quor_palette*() const { return &fPalette; }
    // Copies the record: QUOR_OK, or QUOR_ERR_NO_PALETTE when empty.
    int FillPalette(Quor_palette* out) const;
    // The host palette handle; there is none.
    void* PlatformPalette() const { return nullptr; }

    // Built once, thread-safely, on first use (with its cube); lives until exit.
    static const Quor_Palette& SystemPalette();

    // The nearest index of a palette record (0 without a cube). Components outside 0..255
    // are clamped into it.
    static uint8_t IndexFromColor(const Quor_palette& palette, int r, int g, int b)
    {
        if (!palette.inverse)
            return 0;
        auto clamp = [](int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); };
        return palette.inverse[Quor_palette::CubeIndex(clamp(r), clamp(g), clamp(b))];
    }

private:
    int Load(const uint32_t* table, bool buildInverse);
    void Free();

    Quor_palette fPalette;
    uint32_t* fColors = nullptr;
    uint8_t* fInverse = nullptr;
};
