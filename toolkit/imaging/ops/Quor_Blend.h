// The one place where a 32-bit pixel is composited over another: the over rule and the frame
// shared by the blend modes, all multiplying through the alpha table (products truncate).
#pragma once

#include <cstdint>

#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/Quor_PixelConvert.h"

class Quor_Blend {
public:
    // Alpha after a source of alpha sa (1..255) lands on alpha da, when alpha is updated.
    static uint32_t UpdatedAlpha(uint32_t sa, uint32_t da)
    {
        if (sa == 255)
            return 255;
        uint32_t result = da + Quor_ImageOps::gAlphaMask[sa][255 - da];
        return result > 255 ? 255 : result;
    }

    // Puts the colour (r, g, b) with coverage sa over *d. sa 0 leaves *d alone; 255 replaces the
    // colour; between, d' = mask[sa][s] + mask[255 - sa][d]. The destination alpha stays unless
    // updateAlpha.
    static void Mix(uint32_t* d, uint32_t r, uint32_t g, uint32_t b, uint32_t sa,
                    bool updateAlpha)
    {
        if (sa == 0)
            return;
        const uint32_t dp = *d;
        uint32_t da = Quor_PixelConvert::Alpha(dp);
        if (sa < 255) {
            const auto& ms = Quor_ImageOps::gAlphaMask[sa];
            const auto& md = Quor_ImageOps::gAlphaMask[255 - sa];
            r = ms[r] + md[Quor_PixelConvert::Red(dp)];
            g = ms[g] + md[Quor_PixelConvert::Green(dp)];
            b = ms[b] + md[Quor_PixelConvert::Blue(dp)];
        }
        if (updateAlpha)
            da = UpdatedAlpha(sa, da);
        *d = Quor_PixelConvert::Pack(r, g, b, da);
    }

    // BlitAlpha's rule for one pixel.
    static void Over(uint32_t* d, uint32_t s, bool updateAlpha)
    {
        Mix(d, Quor_PixelConvert::Red(s), Quor_PixelConvert::Green(s), Quor_PixelConvert::Blue(s),
            Quor_PixelConvert::Alpha(s), updateAlpha);
    }
};
