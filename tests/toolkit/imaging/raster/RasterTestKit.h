// Fixtures for the rasterizer tests: destinations with a guarded margin, polygons given in pixel
// positions, coverage counting through mode 9, and an exact oracle for the pixel-centre rule.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "toolkit/imaging/Quor_image.h"
#include "toolkit/imaging/raster/Quor_Raster.h"
#include "toolkit/math/Quor_poly.h"

namespace raster_test {

struct Pt {
    double x;
    double y;
};

// A destination view inside a larger buffer whose margin holds a sentinel, so a write outside
// the view shows even where it stays inside the allocation.
class GuardedImage {
public:
    GuardedImage(int width, int height, int pixelBits = 32, int margin = 6)
        : fBytes(pixelBits == 8 ? 1 : (pixelBits == 32 ? 4 : 2)),
          fRowBytes(((width + 2 * margin) * fBytes + 3) & ~3),
          fStorage(size_t(fRowBytes) * size_t(height + 2 * margin) / 4, 0xA5A5A5A5u),
          fView{Base() + size_t(margin) * (fRowBytes + fBytes), width, height, pixelBits, fBytes, fRowBytes}
    {
        Fill(0);
        fPristine = fStorage;
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

    // True when no byte outside the view changed.
    bool MarginIntact() const
    {
        const uint8_t* now = reinterpret_cast<const uint8_t*>(fStorage.data());
        const uint8_t* before = reinterpret_cast<const uint8_t*>(fPristine.data());
        for (size_t i = 0; i < fStorage.size() * 4; i++) {
            const ptrdiff_t offset = ptrdiff_t(i) - (fView.bits - now);
            const bool inView = offset >= 0 && offset / fRowBytes < fView.height &&
                                offset % fRowBytes < ptrdiff_t(fView.width) * fBytes;
            if (!inView && now[i] != before[i])
                return false;
        }
        return true;
    }

private:
    uint8_t* Base() { return reinterpret_cast<uint8_t*>(fStorage.data()); }

    int fBytes;
    int fRowBytes;
    std::vector<uint32_t> fStorage;
    std::vector<uint32_t> fPristine;
    Quor_image fView;
};

// A polygon whose vertices sit at the given pixel positions of `dest`.
inline Quor_poly PixelPoly(const Quor_image& dest, int mode, const std::vector<Pt>& points)
{
    Quor_poly poly;
    poly.mode = mode;
    const float halfWidth = float(dest.width) * 0.5f, halfHeight = float(dest.height) * 0.5f;
    for (const Pt& p : points) {
        float* v = poly.AddVertex();
        if (v == nullptr)
            break;
        v[kVertexX] = (float(p.x) - halfWidth) / halfHeight;
        v[kVertexY] = (halfHeight - float(p.y)) / halfHeight;
    }
    return poly;
}

inline void SetTexCoords(Quor_poly* poly, const std::vector<Pt>& uv)
{
    for (int i = 0; i < poly->count && i < int(uv.size()); i++) {
        poly->vertex[i][kVertexU] = float(uv[i].x);
        poly->vertex[i][kVertexV] = float(uv[i].y);
    }
}

// Mode 9 with an opaque-white texel of alpha 128 counts coverage in the alpha byte: a pixel
// drawn once has alpha 128, twice or more 255.
class CoverageCounter {
public:
    void Attach(Quor_Raster& raster) const { raster.SetTexture(&fTexture); }
    static int Count(uint32_t pixel) { return (pixel & 255) == 0 ? 0 : ((pixel & 255) == 128 ? 1 : 2); }

private:
    uint32_t fTexel = 0xFFFFFF80u;
    Quor_image fTexture{reinterpret_cast<uint8_t*>(&fTexel), 1, 1, 32, 4, 4};
};

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

inline void PrintSeed(const char* test, unsigned seed)
{
    std::printf("%s: random seed %u\n", test, seed);
}

}  // namespace raster_test
