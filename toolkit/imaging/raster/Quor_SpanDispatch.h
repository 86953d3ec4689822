// Picks the fill for one span from the polygon's mode and the destination depth, once per span,
// and runs it with the given depth policy.
#pragma once

#include <cstdint>
#include <type_traits>

#include "toolkit/imaging/raster/Quor_RasterMode.h"
#include "toolkit/imaging/raster/Quor_RasterSpan.h"
#include "toolkit/imaging/raster/Quor_SpanFillColor.h"
#include "toolkit/imaging/raster/Quor_SpanFillTexture.h"

namespace quor_raster_detail {

template <class Coord>
Quor_TexelWalk<Coord> MakeTexelWalk(const Quor_RasterTarget& t, const Quor_RasterSpan& s)
{
    return {t.texRows, Coord(s.a[kVertexU].value, s.a[kVertexU].step, t.texWidth),
            Coord(s.a[kVertexV].value, s.a[kVertexV].step, t.texHeight)};
}

// Calls run(walk) with the nearest-texel walk that suits the texture's repeat setting.
template <class Run>
void WithTexelWalk(const Quor_RasterTarget& t, const Quor_RasterSpan& s, Run run)
{
    if (t.repeat)
        run(MakeTexelWalk<Quor_WrappedCoord>(t, s));
    else
        run(MakeTexelWalk<Quor_ClampedCoord>(t, s));
}

// Texel centres sit half a texel into each texel; the sampler wants them on whole numbers.
inline Quor_BilinearWalk MakeBilinearWalk(const Quor_RasterTarget& t, const Quor_RasterSpan& s)
{
    return {t.Bilinear(),
            s.a[kVertexU].value - 0x8000,
            s.a[kVertexV].value - 0x8000,
            s.a[kVertexU].step,
            s.a[kVertexV].step};
}

template <class F, class Depth>
void FillRow(const Quor_RasterTarget& t, int32_t y, const Quor_RasterSpan& s, int32_t mode, Depth depth)
{
    using T = typename F::Pixel;
    constexpr bool kIs32 = std::is_same_v<T, uint32_t>;
    T* dst = t.Row<T>(y) + s.x0;
    const int32_t n = s.count;
    const F format = F::From(t);
    // Textures of the destination's pixel size; the shaded texture is always 8-bit.
    const bool sameTexture = t.texRows != nullptr && t.texBytes == int32_t(sizeof(T));
    const bool texture32 = kIs32 && sameTexture && t.texBits == 32;

    auto copy = [&](auto walk) { Quor_RunSpan(dst, n, Quor_FillTextureCopy<T, decltype(walk)>{walk}, depth); };
    auto mask = [&](auto walk) { Quor_RunSpan(dst, n, Quor_FillTextureMask<T, decltype(walk)>{walk}, depth); };

    switch (mode) {
    case kRasterFlat:
        Quor_RunSpan(dst, n, Quor_FillFlat<T>{F::Flat(t)}, depth);
        break;
    case kRasterShaded:
        Quor_RunSpan(dst, n, Quor_FillShade<F>{format, t.color8, s.a[kVertexShade].value, s.a[kVertexShade].step},
                     depth);
        break;
    case kRasterGouraud:
    case kRasterGouraudAlpha: {
        const auto& r = s.a[kVertexRed];
        const auto& g = s.a[kVertexGreen];
        const auto& b = s.a[kVertexBlue];
        const auto& a = s.a[kVertexAlpha];
        if (mode == kRasterGouraudAlpha)
            Quor_RunSpan(dst, n,
                         Quor_FillGouraud<F, true>{format, r.value, g.value, b.value, a.value, r.step, g.step,
                                                   b.step, a.step},
                         depth);
        else
            Quor_RunSpan(dst, n,
                         Quor_FillGouraud<F, false>{format, r.value, g.value, b.value, 0, r.step, g.step, b.step, 0},
                         depth);
        break;
    }
    case kRasterTextureShaded:
        if (t.texRows != nullptr && t.texBytes == 1)
            WithTexelWalk(t, s, [&](auto walk) {
                Quor_RunSpan(dst, n,
                             Quor_FillTextureShade<F, decltype(walk)>{format, walk, s.a[kVertexShade].value,
                                                                      s.a[kVertexShade].step},
                             depth);
            });
        break;
    case kRasterTextureCopy:
        if (sameTexture)
            WithTexelWalk(t, s, copy);
        break;
    case kRasterTextureAverage:
        if constexpr (kIs32) {
            if (sameTexture)
                WithTexelWalk(t, s, [&](auto walk) {
                    Quor_RunSpan(dst, n, Quor_FillTextureAverage<decltype(walk)>{walk}, depth);
                });
        } else if (sameTexture) {
            WithTexelWalk(t, s, copy);
        }
        break;
    case kRasterTextureDifference:
        if constexpr (kIs32) {
            if (sameTexture)
                WithTexelWalk(t, s, [&](auto walk) {
                    Quor_RunSpan(dst, n, Quor_FillTextureDifference<decltype(walk)>{walk}, depth);
                });
        } else if (sameTexture) {
            WithTexelWalk(t, s, copy);
        }
        break;
    case kRasterTextureMask:
        if (sameTexture)
            WithTexelWalk(t, s, mask);
        break;
    case kRasterTextureOver:
        if constexpr (kIs32) {
            if (texture32)
                Quor_RunSpan(dst, n, Quor_FillTextureOver{MakeBilinearWalk(t, s)}, depth);
        } else if (sameTexture) {
            WithTexelWalk(t, s, mask);
        }
        break;
    case kRasterTextureCutout:
        if constexpr (kIs32) {
            if (texture32)
                Quor_RunSpan(dst, n, Quor_FillTextureCutout{MakeBilinearWalk(t, s)}, depth);
        } else if (sameTexture) {
            WithTexelWalk(t, s, copy);
        }
        break;
    default:
        break;
    }
}

}  // namespace quor_raster_detail

// Fills row y of the destination over the span for modes 0 to 10. The destination must exist
// and y lie inside it; the span comes from Quor_RasterSpan::Setup with the mode's attributes.
template <class Depth>
void Quor_FillSpan(const Quor_RasterTarget& t, int32_t y, const Quor_RasterSpan& s, int32_t mode, Depth depth)
{
    using namespace quor_raster_detail;
    switch (t.pixelBits) {
    case 8:
        FillRow<Quor_Format8>(t, y, s, mode, depth);
        break;
    case 15:
        FillRow<Quor_Format15>(t, y, s, mode, depth);
        break;
    case 16:
        FillRow<Quor_Format16>(t, y, s, mode, depth);
        break;
    case 32:
        FillRow<Quor_Format32>(t, y, s, mode, depth);
        break;
    default:
        break;
    }
}
