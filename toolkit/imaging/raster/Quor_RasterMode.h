// The fill rules a polygon's mode selects, and which vertex attributes each rule interpolates.
#pragma once

#include <cstdint>

#include "toolkit/imaging/raster/Quor_RasterSpan.h"

enum Quor_RasterMode : int32_t {
    kRasterFlat = 0,                  // SetColor's colour
    kRasterShaded = 1,                // SetColor's palette entry, shaded
    kRasterGouraud = 2,               // interpolated colour, opaque
    kRasterGouraudAlpha = 3,          // interpolated colour and alpha
    kRasterTextureShaded = 4,         // 8-bit texture of palette indices, shaded
    kRasterTextureCopy = 5,           // nearest texel
    kRasterTextureAverage = 6,        // nearest texel averaged with what is drawn
    kRasterTextureDifference = 7,     // nearest texel differenced with what is drawn
    kRasterTextureMask = 8,           // nearest texel with binary transparency
    kRasterTextureOver = 9,           // bilinear texel composited over the destination
    kRasterTextureCutout = 10,        // bilinear texel where its alpha exceeds 128, opaque
    kRasterPerspective = 11,          // perspective-correct nearest texel (3-D rasterizer)
    kRasterPerspectiveBilinear = 12,  // perspective-correct bilinear texel (3-D rasterizer)
    kRasterModeCount = 13
};

// Modes 4 to 10 take u and v as fractions of the texture size.
constexpr bool Quor_RasterModeMapsTexture(int mode)
{
    return mode >= kRasterTextureShaded && mode <= kRasterTextureCutout;
}

constexpr bool Quor_RasterModeNeedsTexture(int mode)
{
    return mode >= kRasterTextureShaded && mode <= kRasterPerspectiveBilinear;
}

constexpr uint32_t Quor_RasterModeAttributes(int mode)
{
    constexpr uint32_t shade = Quor_AttributeBit(kVertexShade);
    constexpr uint32_t uv = Quor_AttributeBit(kVertexU) | Quor_AttributeBit(kVertexV);
    constexpr uint32_t rgb = Quor_AttributeBit(kVertexRed) | Quor_AttributeBit(kVertexGreen) |
                             Quor_AttributeBit(kVertexBlue);
    switch (mode) {
    case kRasterShaded:
        return shade;
    case kRasterGouraud:
        return rgb;
    case kRasterGouraudAlpha:
        return rgb | Quor_AttributeBit(kVertexAlpha);
    case kRasterTextureShaded:
        return uv | shade;
    case kRasterTextureCopy:
    case kRasterTextureAverage:
    case kRasterTextureDifference:
    case kRasterTextureMask:
    case kRasterTextureOver:
    case kRasterTextureCutout:
        return uv;
    case kRasterPerspective:
    case kRasterPerspectiveBilinear:
        return uv | Quor_AttributeBit(kVertexW);
    default:
        return 0;
    }
}
