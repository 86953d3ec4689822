// Fixtures for the rasterizer tests: images and textures of any depth with a guarded margin,
// polygons given in pixel positions, coverage counting through mode 9, and an exact oracle for
// the pixel-centre rule.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include "toolkit/imaging/Quor_image.h"
#include "toolkit/imaging/raster/Quor_Raster.h"
#include "toolkit/imaging/raster/Quor_Raster3D.h"
#include "toolkit/math/Quor_poly.h"

namespace raster_test {

struct Pt { double x, y; };

// An image view inside a larger buffer whose margin holds a sentinel, so a write outside the
// view shows even where it stays inside the allocation; checked when the image goes away. Also
// serves as a texture.
class GuardedImage {
public:
    GuardedImage(int width, int height, int pixelBits = 32)
        : fBytes(pixelBits == 8 ? 1 : (pixelBits == 32 ? 4 : 2)),
          fRowBytes(((width + 2 * kMargin) * fBytes + 3) & ~3),
          fStorage(size_t(fRowBytes) * size_t(height + 2 * kMargin), kSentinel),
          fView{fStorage.data() + size_t(kMargin) * size_t(fRowBytes + fBytes), width, height, pixelBits, fBytes, fRowBytes}
    {
        Fill(0);
    }
    // A texture holding `texels` row by row.
    GuardedImage(int width, int height, int pixelBits, const std::vector<uint32_t>& texels)
        : GuardedImage(width, height, pixelBits)
    {
        for (size_t i = 0; i < texels.size(); i++)
            Set(int(i) % width, int(i) / width, texels[i]);
    }
    GuardedImage(const GuardedImage&) = delete;
    ~GuardedImage()
    {
        std::vector<uint8_t> outside = fStorage;  // all but the view must still hold the sentinel
        for (int y = 0; y < fView.height; y++)
            std::memset(outside.data() + (fView.Row(y) - fStorage.data()), kSentinel, size_t(fView.width) * fBytes);
        EXPECT_EQ(std::count(outside.begin(), outside.end(), kSentinel), ptrdiff_t(outside.size()))
            << "a write outside the " << fView.width << " x " << fView.height << " image";
    }

    const Quor_image& View() const { return fView; }
    void Fill(uint32_t value)
    {
        for (int y = 0; y < fView.height; y++)
            for (int x = 0; x < fView.width; x++)
                Set(x, y, value);
    }
    uint32_t Get(int x, int y) const
    {
        uint32_t v = 0;
        std::memcpy(&v, fView.Row(y) + size_t(x) * fBytes, size_t(fBytes));
        return v;
    }
    void Set(int x, int y, uint32_t value) { std::memcpy(fView.Row(y) + size_t(x) * fBytes, &value, size_t(fBytes)); }
private:
    static constexpr int kMargin = 6;
    static constexpr uint8_t kSentinel = 0xA5;
    int fBytes;
    int fRowBytes;
    std::vector<uint8_t> fStorage;
    Quor_image fView;
};

// A polygon whose vertices sit at the given pixel positions of `dest`, with texture coordinates.
inline Quor_poly PixelPoly(const Quor_image& dest, int mode, const std::vector<Pt>& points, const std::vector<Pt>& uv = {})
{
    Quor_poly poly;
    poly.mode = mode;
    const float halfWidth = float(dest.width) * 0.5f, halfHeight = float(dest.height) * 0.5f;
    for (size_t i = 0; i < points.size() && poly.count < QUOR_POLY_MAX_VERTICES; i++) {
        float* v = poly.AddVertex();
        v[kVertexX] = (float(points[i].x) - halfWidth) / halfHeight;
        v[kVertexY] = (halfHeight - float(points[i].y)) / halfHeight;
        v[kVertexU] = i < uv.size() ? float(uv[i].x) : 0.0f;
        v[kVertexV] = i < uv.size() ? float(uv[i].y) : 0.0f;
    }
    return poly;
}

// The quad from (x0, y0) to (x1, y1) in pixels, with texture corners (u0, v0) to (u1, v1).
inline Quor_poly Quad(const Quor_image& dest, int mode, double x0, double y0, double x1, double y1, double u0 = 0,
                      double v0 = 0, double u1 = 1, double v1 = 1)
{
    return PixelPoly(dest, mode, {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}});
}

// A guarded destination and a raster drawing into it (with integer depth for the 3-D one).
template <class Raster = Quor_Raster>
struct Rig {
    GuardedImage image;
    Raster raster;
    explicit Rig(int width, int height, int pixelBits = 32, bool integerZ = true) : image(width, height, pixelBits)
    {
        if constexpr (std::is_same_v<Raster, Quor_Raster3D>)
            raster.SetDest(&image.View(), integerZ, nullptr);
        else
            raster.SetDest(&image.View());
    }
    uint32_t Get(int x, int y) const { return image.Get(x, y); }
    void Draw(Quor_poly poly) { raster.DrawPoly(&poly); }
};

// A fresh raster drawing into `dest` with an optional texture, through DrawPoly or DrawPoly_f.
inline void Draw(GuardedImage& dest, Quor_poly poly, const GuardedImage* texture = nullptr, bool repeat = false,
                 bool floatPath = false)
{
    Quor_Raster raster;
    raster.SetDest(&dest.View());
    raster.SetTexture(texture ? &texture->View() : nullptr);
    raster.AllowRepeatingTextures(repeat);
    floatPath ? raster.DrawPoly_f(&poly) : raster.DrawPoly(&poly);
}


// The rasterizer's rule, computed independently: row centre cy is covered when it lies strictly
// below the top and not below the bottom, pixel centre cx when strictly right of the left crossing
// and not right of the right one. Signs come from edge functions, exact for coordinates that are
// small multiples of a power of two. `clearance` gets the centre's distance to the nearest
// deciding boundary, so tests on arbitrary coordinates can skip undecidable pixels.
inline bool OracleCovers(const std::vector<Pt>& p, double cx, double cy, double* clearance = nullptr)
{
    struct Crossing {
        Pt upper, lower;
        double x;
    };
    std::vector<Crossing> crossings;
    double top = p[0].y, bottom = p[0].y;
    for (size_t i = 0; i < p.size(); i++) {
        top = std::min(top, p[i].y);
        bottom = std::max(bottom, p[i].y);
        Pt a = p[i], b = p[(i + 1) % p.size()];
        if (a.y > b.y)
            std::swap(a, b);
        if (a.y < cy && cy <= b.y)
            crossings.push_back({a, b, a.x + (cy - a.y) * (b.x - a.x) / (b.y - a.y)});
    }
    double near = std::min(std::fabs(cy - top), std::fabs(cy - bottom));
    bool covered = false;
    if (crossings.size() == 2) {
        if (crossings[1].x < crossings[0].x)
            std::swap(crossings[0], crossings[1]);
        auto rightOf = [&](const Crossing& c) {  // sign of (cx - edge x) at cy
            const double e = (c.lower.x - c.upper.x) * (cy - c.upper.y) - (cx - c.upper.x) * (c.lower.y - c.upper.y);
            return e < 0.0 ? 1 : (e > 0.0 ? -1 : 0);
        };
        covered = rightOf(crossings[0]) > 0 && rightOf(crossings[1]) <= 0;
        near = std::min({near, std::fabs(cx - crossings[0].x), std::fabs(cx - crossings[1].x)});
    }
    if (clearance)
        *clearance = near;
    return covered;
}

inline std::mt19937 SeededRng(const char* test, unsigned seed)
{
    std::printf("%s: random seed %u\n", test, seed);
    return std::mt19937(seed);
}

}  // namespace raster_test
