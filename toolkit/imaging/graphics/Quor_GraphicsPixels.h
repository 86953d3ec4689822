// How the graphics context stores and blends single pixels and runs of one row in every depth it
// draws into (8, 15, 16, 24 and 32 bits). Internal to the graphics library.
#pragma once

#include <cstdint>
#include <cstring>

#include "toolkit/imaging/ops/Quor_Blend.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/core/Quor_RgbColor.h"

class Quor_GraphicsPixels {
public:
    // The value a pixel of the given depth stores for the colour: the system palette index, the
    // 5-5-5 or 5-6-5 word, blue | green << 8 | red << 16 for the three bytes of 24 bits (stored
    // blue first, as Quor_ImageOps::Clear does), or the 32-bit word with alpha.
    static uint32_t Pack(int bits, const rgb_color& c)
    {
        switch (bits) {
        case 8: return Quor_ColorOps::PackColor8(c);
        case 15: return Quor_ColorOps::PackColor15(c);
        case 16: return Quor_ColorOps::PackColor16(c);
        case 24: return uint32_t(c.blue) | uint32_t(c.green) << 8 | uint32_t(c.red) << 16;
        default: return Quor_ColorOps::PackColor32(c);
        }
    }

    static uint32_t Load(const uint8_t* p, int bytes)
    {
        switch (bytes) {
        case 1: return *p;
        case 2: { uint16_t v; std::memcpy(&v, p, 2); return v; }
        case 3: return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
        default: { uint32_t v; std::memcpy(&v, p, 4); return v; }
        }
    }

    static void Store(uint8_t* p, int bytes, uint32_t value)
    {
        switch (bytes) {
        case 1: *p = uint8_t(value); break;
        case 2: { uint16_t v = uint16_t(value); std::memcpy(p, &v, 2); break; }
        case 3: p[0] = uint8_t(value); p[1] = uint8_t(value >> 8); p[2] = uint8_t(value >> 16); break;
        default: std::memcpy(p, &value, 4); break;
        }
    }

    // Pixels [x0, x1) of the row take the packed value.
    static void StoreRun(uint8_t* row, int bytes, int x0, int x1, uint32_t value)
    {
        if (x1 <= x0)
            return;
        switch (bytes) {
        case 1:
            std::memset(row + x0, int(value & 255), size_t(x1 - x0));
            break;
        case 4: {
            uint32_t* p = reinterpret_cast<uint32_t*>(row) + x0;
            for (int x = x0; x < x1; x++)
                *p++ = value;
            break;
        }
        default:
            for (int x = x0; x < x1; x++)
                Store(row + static_cast<ptrdiff_t>(x) * bytes, bytes, value);
            break;
        }
    }

    // Puts the colour with alpha a (0..255) over the pixel. The colour goes through the alpha
    // table like TintPixel; a 32-bit pixel's alpha grows by the over rule
    // (da + a * (255 - da) / 255), so coverage drawn on transparent black leaves alpha equal to
    // the coverage. 15, 16 and 8-bit pixels blend through the TintPixel routines.
    static void Blend(uint8_t* p, int bits, const rgb_color& c, uint32_t a)
    {
        if (a == 0)
            return;
        switch (bits) {
        case 32: {
            uint32_t v;
            std::memcpy(&v, p, 4);
            Quor_Blend::Mix(&v, c.red, c.green, c.blue, a, true);
            std::memcpy(p, &v, 4);
            break;
        }
        case 16:
        case 15: {
            uint16_t v;
            std::memcpy(&v, p, 2);
            const rgb_color tint{c.red, c.green, c.blue, uint8_t(a)};
            if (bits == 16)
                Quor_ImageOps::TintPixel16(&v, tint);
            else
                Quor_ImageOps::TintPixel15(&v, tint);
            std::memcpy(p, &v, 2);
            break;
        }
        case 8:
            Quor_ImageOps::TintPixel8(p, rgb_color{c.red, c.green, c.blue, uint8_t(a)}, nullptr);
            break;
        case 24: {
            const auto& ms = Quor_ImageOps::gAlphaMask[a];
            const auto& md = Quor_ImageOps::gAlphaMask[255 - a];
            p[0] = uint8_t(ms[c.blue] + md[p[0]]);
            p[1] = uint8_t(ms[c.green] + md[p[1]]);
            p[2] = uint8_t(ms[c.red] + md[p[2]]);
            break;
        }
        default:
            break;
        }
    }

    static void BlendRun(uint8_t* row, int bits, int bytes, int x0, int x1, const rgb_color& c,
                         uint32_t a)
    {
        if (a == 0)
            return;
        if (bits == 32) {
            uint32_t* p = reinterpret_cast<uint32_t*>(row) + x0;
            for (int x = x0; x < x1; x++, p++)
                Quor_Blend::Mix(p, c.red, c.green, c.blue, a, true);
            return;
        }
        for (int x = x0; x < x1; x++)
            Blend(row + static_cast<ptrdiff_t>(x) * bytes, bits, c, a);
    }
};
