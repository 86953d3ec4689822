// The row fills of the polygon rasterizer: the 16.16 path through the shared span fills, and the
// floating-point path that DrawPoly_f uses.
#include <cmath>

#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/raster/Quor_Raster.h"
#include "toolkit/imaging/raster/Quor_SpanDispatch.h"

void Quor_Raster::Scanline(int y, const Quor_RasterEdge& left, const Quor_RasterEdge& right, int mode)
{
    if (!HasDest() || y < 0 || y >= target.height || mode < kRasterFlat || mode > kRasterTextureCutout)
        return;
    Quor_RasterSpan span;
    if (!span.Setup(left, right, target.width, Quor_RasterModeAttributes(mode), target.ranges))
        return;
    Quor_FillSpan(target, y, span, mode, Quor_NoDepth{});
}

// --- Floating-point path -----------------------------------------------------------------------

namespace {

// A colour component or shade as a table index.
uint32_t Channel(double v)
{
    return static_cast<uint32_t>(v < 0.0 ? 0.0 : (v > 255.0 ? 255.0 : v));
}

// The texel under a position: the fraction dropped, then wrapped or clamped into the texture.
int32_t TexelIndex(double position, int32_t size, bool repeat)
{
    constexpr double kLimit = 1073741824.0;
    position = position < -kLimit ? -kLimit : (position > kLimit ? kLimit : position);
    int64_t i = static_cast<int64_t>(std::floor(position));
    if (repeat) {
        i %= size;
        return static_cast<int32_t>(i < 0 ? i + size : i);
    }
    return static_cast<int32_t>(i < 0 ? 0 : (i >= size ? size - 1 : i));
}

template <class T>
T Texel(const Quor_RasterTarget& t, double u, double v)
{
    const int32_t column = TexelIndex(u, t.texWidth, t.repeat);
    const int32_t row = TexelIndex(v, t.texHeight, t.repeat);
    return reinterpret_cast<const T*>(t.texRows[row])[column];
}

template <class F>
void FloatRow(const Quor_RasterTarget& t, int y, const Quor_RasterSpanF& s, int mode)
{
    using T = typename F::Pixel;
    T* dst = t.Row<T>(y) + s.x0;
    const int32_t n = s.count;
    const F format = F::From(t);
    double u = s.a[kVertexU].value, v = s.a[kVertexV].value;
    const double du = s.a[kVertexU].step, dv = s.a[kVertexV].step;

    switch (mode) {
    case kRasterFlat:
        for (int32_t i = 0; i < n; i++)
            dst[i] = F::Flat(t);
        break;
    case kRasterShaded: {
        double shade = s.a[kVertexShade].value;
        for (int32_t i = 0; i < n; i++, shade += s.a[kVertexShade].step)
            dst[i] = format.Shade(t.color8, Channel(shade));
        break;
    }
    case kRasterGouraud:
    case kRasterGouraudAlpha: {
        double r = s.a[kVertexRed].value, g = s.a[kVertexGreen].value, b = s.a[kVertexBlue].value;
        double a = mode == kRasterGouraudAlpha ? s.a[kVertexAlpha].value : 255.0;
        const double da = mode == kRasterGouraudAlpha ? s.a[kVertexAlpha].step : 0.0;
        for (int32_t i = 0; i < n; i++) {
            dst[i] = format.Rgba(Channel(r), Channel(g), Channel(b), Channel(a));
            r += s.a[kVertexRed].step;
            g += s.a[kVertexGreen].step;
            b += s.a[kVertexBlue].step;
            a += da;
        }
        break;
    }
    case kRasterTextureShaded: {
        if (t.texRows == nullptr || t.texBytes != 1)
            break;
        double shade = s.a[kVertexShade].value;
        for (int32_t i = 0; i < n; i++, u += du, v += dv, shade += s.a[kVertexShade].step)
            dst[i] = format.Shade(Texel<uint8_t>(t, u, v), Channel(shade));
        break;
    }
    default: {
        // Every other textured mode: 32-bit texels are sampled bilinearly and tinted onto the
        // destination as mode 9 composites them; other depths copy the nearest texel.
        if (t.texRows == nullptr)
            break;
        if constexpr (sizeof(T) == 4) {
            if (t.texBits == 32) {
                Quor_FillTextureOver fill{{t.Bilinear(), 0, 0, 0, 0}};
                for (int32_t i = 0; i < n; i++, u += du, v += dv) {
                    fill.walk.u = Quor_RasterEdge::ToFixed(u - 0.5, Quor_RasterEdge::kAttributeLimit);
                    fill.walk.v = Quor_RasterEdge::ToFixed(v - 0.5, Quor_RasterEdge::kAttributeLimit);
                    fill.Put(dst[i]);
                }
                break;
            }
        }
        if (t.texBytes != int32_t(sizeof(T)))
            break;
        for (int32_t i = 0; i < n; i++, u += du, v += dv)
            dst[i] = Texel<T>(t, u, v);
        break;
    }
    }
}

}  // namespace

void Quor_Raster::Scanline_f(int y, const Quor_RasterEdgeF& left, const Quor_RasterEdgeF& right, int mode)
{
    if (!HasDest() || y < 0 || y >= target.height || mode < kRasterFlat || mode > kRasterTextureCutout)
        return;
    Quor_RasterSpanF span;
    if (!span.Setup(left, right, target.width, Quor_RasterModeAttributes(mode)))
        return;
    switch (target.pixelBits) {
    case 8:
        FloatRow<Quor_Format8>(target, y, span, mode);
        break;
    case 15:
        FloatRow<Quor_Format15>(target, y, span, mode);
        break;
    case 16:
        FloatRow<Quor_Format16>(target, y, span, mode);
        break;
    case 32:
        FloatRow<Quor_Format32>(target, y, span, mode);
        break;
    default:
        break;
    }
}
