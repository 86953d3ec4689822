// Bilinear sampling of a 32-bit image: the one arithmetic behind Quor_ImageOps::SampleImage, the
// photos of the panorama renderer and the textured spans of the rasterizers.
#pragma once

#include <cmath>
#include <cstdint>

#include "toolkit/imaging/Quor_image.h"
#include "toolkit/math/Quor_Round.h"

// Pixel centres lie on whole numbers: position (x, y) mixes the pixels at floor(x) and floor(x)
// + 1 by the fraction of x, and likewise down the rows. Beyond the last row or column the edge
// pixels repeat (kClamp), or the image repeats so that the right neighbour of the last column is
// column 0 (kWrap). Colour and alpha are interpolated independently (straight, not
// premultiplied), in float, and each component is rounded half away from zero and clamped to
// 0..255. Where the interpolated alpha of the top row and the alphas of both bottom pixels are
// 0, the result is 0 (transparent black) whatever the colours.
//
// Built on a usable 32-bit record (Quor_image::IsUsable32); the record's pixels must stay in
// place while the sampler is used. Positions may be anything, NaN and infinities included.
class Quor_BilinearSampler {
public:
    enum class Edge { kClamp, kWrap };

    explicit Quor_BilinearSampler(const Quor_image& image, Edge edge = Edge::kClamp)
        : fBits(image.bits), fRowBytes(image.rowBytes), fWidth(image.width), fHeight(image.height),
          fWrap(edge == Edge::kWrap)
    {
    }

    // The sample at a position in pixels.
    uint32_t At(float x, float y) const
    {
        // Inside, away from the last row and column, all four neighbours exist and nothing needs
        // clamping; most samples of a photo land here.
        if (x >= 0.0f && y >= 0.0f && x < float(fWidth - 1) && y < float(fHeight - 1) && !fWrap) {
            const int32_t x0 = int32_t(x), y0 = int32_t(y);
            return Mix(Row(y0), Row(y0 + 1), x0, x0 + 1, x - float(x0), y - float(y0));
        }
        int32_t x0, x1, y0, y1;
        float fx, fy;
        Axis(x, fWidth, &x0, &x1, &fx);
        Axis(y, fHeight, &y0, &y1, &fy);
        return Mix(Row(y0), Row(y1), x0, x1, fx, fy);
    }

    // The sample at a position in 16.16 fixed point.
    uint32_t AtFixed(int64_t u, int64_t v) const
    {
        constexpr float kStep = 1.0f / 65536.0f;
        return Sample(u >> 16, float(u & 0xFFFF) * kStep, v >> 16, float(v & 0xFFFF) * kStep);
    }

    // The clamped sample at (x, y) of a width x height image whose rows are given one by one, for
    // an image that is not held in one block (rows[y] for every row the sample reads): the same
    // result as At on an image of the same pixels.
    static uint32_t AtRows(const uint32_t* const* rows, int32_t width, int32_t height, float x, float y)
    {
        if (x >= 0.0f && y >= 0.0f && x < float(width - 1) && y < float(height - 1)) {
            const int32_t x0 = int32_t(x), y0 = int32_t(y);
            return Mix(rows[y0], rows[y0 + 1], x0, x0 + 1, x - float(x0), y - float(y0));
        }
        Quor_image size;
        size.width = width;
        size.height = height;
        const Quor_BilinearSampler clamped(size);
        int32_t x0, x1, y0, y1;
        float fx, fy;
        clamped.Axis(x, width, &x0, &x1, &fx);
        clamped.Axis(y, height, &y0, &y1, &fy);
        return Mix(rows[y0], rows[y1], x0, x1, fx, fy);
    }

private:
    const uint32_t* Row(int64_t y) const
    {
        return reinterpret_cast<const uint32_t*>(fBits + y * fRowBytes);
    }

    static int32_t Clamp(int64_t i, int32_t size) { return int32_t(i < 0 ? 0 : (i >= size ? size - 1 : i)); }

    // The two neighbours along one axis of `size` pixels.
    void Neighbours(int64_t whole, int32_t size, int32_t* i0, int32_t* i1) const
    {
        if (fWrap) {
            int64_t w = whole % size;
            if (w < 0)
                w += size;
            *i0 = int32_t(w);
            *i1 = *i0 + 1 == size ? 0 : *i0 + 1;
        } else {
            *i0 = Clamp(whole, size);
            *i1 = Clamp(whole + 1, size);
        }
    }

    // The neighbours along one axis of a position in pixels, and the weight between them. Clamped,
    // the second neighbour is trunc(v) + 1 (trunc(v) below 0), so NaN and positions left of the
    // first pixel read it twice. Where both neighbours are one pixel the weight is 0, so an
    // infinite position cannot turn 0 * inf into NaN.
    void Axis(float v, int32_t size, int32_t* i0, int32_t* i1, float* f) const
    {
        const int64_t lo = Quor_FloorToInt(v);
        if (fWrap) {
            Neighbours(lo, size, i0, i1);
        } else {
            const int64_t whole = Quor_TruncToInt(v);
            *i0 = Clamp(lo, size);
            *i1 = Clamp(v >= 0.0f ? whole + 1 : whole, size);
        }
        const float fraction = v - std::floor(v);
        *f = *i0 != *i1 && fraction >= 0.0f && fraction < 1.0f ? fraction : 0.0f;
    }

    uint32_t Sample(int64_t wholeX, float fx, int64_t wholeY, float fy) const
    {
        int32_t x0, x1, y0, y1;
        Neighbours(wholeX, fWidth, &x0, &x1);
        Neighbours(wholeY, fHeight, &y0, &y1);
        return Mix(Row(y0), Row(y1), x0, x1, fx, fy);
    }

    static uint32_t Component(float v)
    {
        if (!(v > 0.0f))
            return 0;
        if (v >= 255.0f)
            return 255;
        // v + 0.5 is exact in double, so truncating it rounds halves up, away from zero.
        return uint32_t(double(v) + 0.5);
    }

    static uint32_t Mix(const uint32_t* top, const uint32_t* bottom, int32_t x0, int32_t x1, float fx, float fy)
    {
        const uint32_t p00 = top[x0], p10 = top[x1], p01 = bottom[x0], p11 = bottom[x1];
        uint32_t result = 0;
        for (int shift = 0; shift < 32; shift += 8) {  // alpha, red, green, blue
            const float c00 = float((p00 >> shift) & 255), c10 = float((p10 >> shift) & 255);
            const float c01 = float((p01 >> shift) & 255), c11 = float((p11 >> shift) & 255);
            const float upper = c00 + (c10 - c00) * fx;
            const float lower = c01 + (c11 - c01) * fx;
            if (shift == 0 && upper == 0.0f && (p01 & 255) == 0 && (p11 & 255) == 0)
                return 0;
            result |= Component(upper + (lower - upper) * fy) << shift;
        }
        return result;
    }

    const uint8_t* fBits;
    int64_t fRowBytes;
    int32_t fWidth;
    int32_t fHeight;
    bool fWrap;
};
