// Depth-tested row fills of the 3-D rasterizer, including the perspective-correct texture modes.
#include <cmath>

#include "toolkit/imaging/raster/Quor_Raster3D.h"
#include "toolkit/imaging/raster/Quor_SpanDispatch.h"

namespace {

constexpr double kIndexLimit = 1073741824.0;  // 2^30

// The texel under a texture position (in texels). NaN and infinities land on an edge.
template <bool kRepeat>
int32_t PerspectiveIndex(double texel, int32_t size)
{
    if constexpr (kRepeat) {
        texel = texel > -kIndexLimit ? (texel < kIndexLimit ? texel : kIndexLimit) : -kIndexLimit;
        int64_t i = static_cast<int64_t>(std::floor(texel)) % size;
        return static_cast<int32_t>(i < 0 ? i + size : i);
    } else {
        texel = texel > 0.0 ? texel : 0.0;
        texel = texel < double(size - 1) ? texel : double(size - 1);
        return static_cast<int32_t>(texel);
    }
}

// u/w, v/w and 1/w stepped linearly (they are affine on the screen), divided back per pixel.
struct PerspectiveWalk {
    int64_t u, v, w, du, dv, dw;
    double U() const { return double(u) / double(w); }
    double V() const { return double(v) / double(w); }
    void Step()
    {
        u += du;
        v += dv;
        w += dw;
    }
};

// Mode 11: the nearest texel.
template <class T, bool kRepeat>
struct FillPerspective {
    const uint8_t* const* rows;
    int32_t width, height;
    PerspectiveWalk walk;
    bool Put(T& p) const
    {
        const int32_t column = PerspectiveIndex<kRepeat>(walk.U(), width);
        const int32_t row = PerspectiveIndex<kRepeat>(walk.V(), height);
        p = reinterpret_cast<const T*>(rows[row])[column];
        return true;
    }
    void Step() { walk.Step(); }
};

// Mode 12: the bilinear texel, written opaque.
struct FillPerspectiveBilinear {
    Quor_BilinearSampler sampler;
    PerspectiveWalk walk;
    static int64_t Fixed(double texel)
    {
        // Texel centres onto whole numbers, as the sampler wants them.
        return Quor_RasterEdge::ToFixed(texel - 0.5, Quor_RasterEdge::kAttributeLimit);
    }
    bool Put(uint32_t& p) const
    {
        p = sampler.AtFixed(Fixed(walk.U()), Fixed(walk.V())) | 255u;
        return true;
    }
    void Step() { walk.Step(); }
};

template <class T>
void FillPerspectiveRow(const Quor_RasterTarget& t, T* dst, const Quor_RasterSpan& s, int mode, Quor_IntDepth depth)
{
    const PerspectiveWalk walk{s.a[kVertexU].value, s.a[kVertexV].value, s.a[kVertexW].value,
                               s.a[kVertexU].step,  s.a[kVertexV].step,  s.a[kVertexW].step};
    if constexpr (sizeof(T) == 4) {
        if (mode == kRasterPerspectiveBilinear) {
            Quor_RunSpan(dst, s.count, FillPerspectiveBilinear{t.Bilinear(), walk},
                         depth);
            return;
        }
    }
    if (t.repeat)
        Quor_RunSpan(dst, s.count, FillPerspective<T, true>{t.texRows, t.texWidth, t.texHeight, walk}, depth);
    else
        Quor_RunSpan(dst, s.count, FillPerspective<T, false>{t.texRows, t.texWidth, t.texHeight, walk}, depth);
}

}  // namespace

void Quor_Raster3D::Scanline(int y, const Quor_RasterEdge& left, const Quor_RasterEdge& right, int mode)
{
    int32_t* depthRow = GetZRow(y);
    if (depthRow == nullptr || !DepthMatchesDest() || mode < kRasterFlat || mode >= kRasterModeCount)
        return;
    const bool perspective = mode == kRasterPerspective || mode == kRasterPerspectiveBilinear;
    if (perspective && target.texRows == nullptr)
        return;
    // u and v of the perspective modes are not texel positions, so they keep the wide ranges.
    static const Quor_AttrRanges kWideRanges = Quor_AttrRanges::Default();
    Quor_RasterSpan span;
    const uint32_t attributes = Quor_RasterModeAttributes(mode) | Quor_AttributeBit(kVertexZ);
    if (!span.Setup(left, right, target.width, attributes, perspective ? kWideRanges : target.ranges))
        return;
    const Quor_IntDepth depth{depthRow + span.x0, span.a[kVertexZ].value, span.a[kVertexZ].step};
    if (!perspective) {
        Quor_FillSpan(target, y, span, mode, depth);
        return;
    }
    if (target.texBytes != (target.pixelBits + 7) / 8)
        return;
    switch (target.pixelBits) {
    case 8:
        FillPerspectiveRow(target, target.Row<uint8_t>(y) + span.x0, span, mode, depth);
        break;
    case 15:
    case 16:
        FillPerspectiveRow(target, target.Row<uint16_t>(y) + span.x0, span, mode, depth);
        break;
    case 32:
        FillPerspectiveRow(target, target.Row<uint32_t>(y) + span.x0, span, mode, depth);
        break;
    default:
        break;
    }
}

void Quor_Raster3D::Scanline_f(int y, const Quor_RasterEdgeF& left, const Quor_RasterEdgeF& right, int mode)
{
    float* depthRow = GetZRow_f(y);
    if (depthRow == nullptr || !DepthMatchesDest() || mode < kRasterFlat || mode > kRasterTextureShaded)
        return;
    Quor_RasterSpanF span;
    if (!span.Setup(left, right, target.width, Quor_AttributeBit(kVertexZ)))
        return;
    const Quor_FloatDepth depth{depthRow + span.x0, span.a[kVertexZ].value, span.a[kVertexZ].step};
    switch (target.pixelBits) {
    case 8:
        Quor_RunSpan(target.Row<uint8_t>(y) + span.x0, span.count, Quor_FillFlat<uint8_t>{target.color8}, depth);
        break;
    case 15:
        Quor_RunSpan(target.Row<uint16_t>(y) + span.x0, span.count, Quor_FillFlat<uint16_t>{target.color15}, depth);
        break;
    case 16:
        Quor_RunSpan(target.Row<uint16_t>(y) + span.x0, span.count, Quor_FillFlat<uint16_t>{target.color16}, depth);
        break;
    case 32:
        Quor_RunSpan(target.Row<uint32_t>(y) + span.x0, span.count, Quor_FillFlat<uint32_t>{target.color32}, depth);
        break;
    default:
        break;
    }
}
