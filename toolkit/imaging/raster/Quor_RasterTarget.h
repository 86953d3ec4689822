// What a span fill needs to know about the raster: the destination rows, the colour in every
// pixel form, the texture rows and the valid range of each attribute at a span's ends.
#pragma once

#include <cstdint>

#include "toolkit/imaging/Quor_image.h"
#include "toolkit/imaging/ops/Quor_BilinearSampler.h"
#include "toolkit/imaging/raster/Quor_RasterSpan.h"

struct Quor_RasterTarget {
    // Destination; bits is null when there is none (or its record is unusable).
    uint8_t* bits = nullptr;
    int64_t rowBytes = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t pixelBits = 0;
    const uint8_t* inverse = nullptr;  // the destination palette's inverse cube, or null

    uint32_t color32 = 0xFFFFFFFFu;
    uint16_t color16 = 0xFFFF;
    uint16_t color15 = 0xFFFF;
    uint8_t color8 = 0;

    // Texture; rows is null when there is none.
    Quor_image texture;
    const uint8_t* const* texRows = nullptr;
    int32_t texWidth = 0;
    int32_t texHeight = 0;
    int32_t texBits = 0;
    int32_t texBytes = 0;
    bool repeat = false;

    // Span ends are clamped to these, so a nearest-texel index, a shade or a colour component
    // can never leave its texture or table.
    Quor_AttrRanges ranges = Quor_AttrRanges::Default();

    // The bilinear sampler of a 32-bit texture, repeating it when textures repeat.
    Quor_BilinearSampler Bilinear() const
    {
        return Quor_BilinearSampler(texture, repeat ? Quor_BilinearSampler::Edge::kWrap
                                                    : Quor_BilinearSampler::Edge::kClamp);
    }

    template <class T>
    T* Row(int y) const
    {
        return reinterpret_cast<T*>(bits + static_cast<int64_t>(y) * rowBytes);
    }
};
