// Quor_Graphics: lines, rectangles framed with lines, and point markers.
//
// Index
//   World lines (transform, near-plane cut)
//   Screen lines (rejection, limits, dispatch)
//   Bresenham lines, thin and with a square pen
//   Markers

#include "toolkit/imaging/graphics/Quor_Graphics.h"

#include <cmath>
#include <cstdlib>

#include "toolkit/imaging/graphics/Quor_GraphicsPixels.h"
#include "toolkit/imaging/graphics/Quor_GraphicsRound.h"

namespace {

// Bresenham's walk from (x0, y0) to (x1, y1) inclusive, in all octants (the error-term form
// that steps x and y independently). plot(x, y, end) is told whether the point is the first or
// the last. Callers pass the ends in a canonical order, so a segment and its reverse touch the
// same pixels.
template <typename Plot>
void WalkLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1, Plot plot)
{
    const int64_t dx = std::llabs(x1 - x0);
    const int64_t dy = -std::llabs(y1 - y0);
    const int64_t sx = x0 < x1 ? 1 : -1;
    const int64_t sy = y0 < y1 ? 1 : -1;
    int64_t err = dx + dy;
    bool first = true;
    for (;;) {
        const bool last = x0 == x1 && y0 == y1;
        plot(x0, y0, first || last);
        if (last)
            break;
        first = false;
        const int64_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void CanonicalOrder(Quor_Point& a, Quor_Point& b)
{
    if (b.x < a.x || (b.x == a.x && b.y < a.y)) {
        const Quor_Point t = a;
        a = b;
        b = t;
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// World lines
// ---------------------------------------------------------------------------------------------

void Quor_Graphics::LineTo(float x, float y)
{
    DrawLine(penPosition.x, penPosition.y, x, y);
    penPosition.Set(x, y);
}

void Quor_Graphics::DrawLine(float x1, float y1, float x2, float y2)
{
    if (!CanDraw())
        return;
    float a[4] = {x1, y1, 0.0f, 1.0f};
    float b[4] = {x2, y2, 0.0f, 1.0f};
    Current().TransformHomo(a);
    Current().TransformHomo(b);

    // Near-plane cut: an end with w - z < 0 lies behind the viewer. A segment with one such end
    // is cut where w - z = 0, interpolating all four components.
    const float da = a[3] - a[2];
    const float db = b[3] - b[2];
    if (std::isnan(da) || std::isnan(db) || (da < 0.0f && db < 0.0f))
        return;
    if (da < 0.0f || db < 0.0f) {
        // The cut lands a hair on the visible side, where w is still positive: with flat
        // points (z = 0) the plane itself is w = 0, a point at infinity, and the line then
        // runs on to the edge of the target in its own direction.
        float* seen = da < 0.0f ? b : a;
        float* behind = da < 0.0f ? a : b;
        const float ds = da < 0.0f ? db : da, dh = da < 0.0f ? da : db;
        const float s = ds / (ds - dh) * (1.0f - 1e-6f);
        for (int i = 0; i < 4; i++)
            behind[i] = seen[i] + s * (behind[i] - seen[i]);
    }
    // An end exactly on the plane of w = 0 has no screen position.
    if (!(a[3] > 0.0f) || !(b[3] > 0.0f))
        return;
    DrawScreenLine(static_cast<double>(a[0]) / a[3], static_cast<double>(a[1]) / a[3],
                   static_cast<double>(b[0]) / b[3], static_cast<double>(b[1]) / b[3]);
}

void Quor_Graphics::FrameRect(Quor_Rect r)
{
    const float l = static_cast<float>(r.left), t = static_cast<float>(r.top);
    const float rt = static_cast<float>(r.right), b = static_cast<float>(r.bottom);
    DrawLine(l, t, rt, t);
    DrawLine(l, b, rt, b);
    DrawLine(l, t, l, b);
    DrawLine(rt, t, rt, b);
}

// ---------------------------------------------------------------------------------------------
// Screen lines
// ---------------------------------------------------------------------------------------------

void Quor_Graphics::DrawScreenLine(double x1, double y1, double x2, double y2)
{
    if (!CanDraw() || std::isnan(x1) || std::isnan(y1) || std::isnan(x2) || std::isnan(y2))
        return;
    auto finite = [](double v) { return v < -1e30 ? -1e30 : (v > 1e30 ? 1e30 : v); };
    x1 = finite(x1);
    y1 = finite(y1);
    x2 = finite(x2);
    y2 = finite(y2);

    // Nothing to draw when both ends lie more than 16 pixels (plus the pen) beyond one side.
    const double margin = 16.0 + penWidth;
    const double cl = clipRect.left - margin, ct = clipRect.top - margin;
    const double cr = clipRect.right + margin, cb = clipRect.bottom + margin;
    if ((x1 < cl && x2 < cl) || (x1 > cr && x2 > cr) || (y1 < ct && y2 < ct) ||
        (y1 > cb && y2 > cb))
        return;

    // Far ends are brought in along the line, to a guard box 2^22 pixels around the clip, so
    // rounding them cannot overflow and no walk is longer than the clip allows. Lines that stay
    // inside the guard box are drawn exactly as given.
    const double guard = 4194304.0;
    const double gl = clipRect.left - guard, gt = clipRect.top - guard;
    const double gr = clipRect.right + guard, gb = clipRect.bottom + guard;
    auto inside = [&](double x, double y) { return x >= gl && x <= gr && y >= gt && y <= gb; };
    if (!inside(x1, y1) || !inside(x2, y2)) {
        if (!Quor_GraphicsRound::ClipSegment(x1, y1, x2, y2, gl, gt, gr, gb))
            return;
    }

    const double reach = penWidth / 2.0 + 1.0;
    GrowBBox(std::fmin(x1, x2) - reach, std::fmin(y1, y2) - reach, std::fmax(x1, x2) + reach,
             std::fmax(y1, y2) + reach);

    if (smoothing) {
        if (penWidth <= 1)
            DrawAALine(x1, y1, x2, y2, false);
        else
            DrawAACapsule(x1, y1, x2, y2, penWidth / 2.0, penWidth / 2.0);
        return;
    }
    const Quor_Point a(Quor_GraphicsRound::Pixel(x1), Quor_GraphicsRound::Pixel(y1));
    const Quor_Point b(Quor_GraphicsRound::Pixel(x2), Quor_GraphicsRound::Pixel(y2));
    if (penWidth <= 1)
        DrawThinLine(a, b);
    else
        DrawThickLine(a, b, penWidth);
}

// ---------------------------------------------------------------------------------------------
// Bresenham lines
// ---------------------------------------------------------------------------------------------

void Quor_Graphics::DrawThinLine(Quor_Point a, Quor_Point b)
{
    if (!clipRect.Clip(a, b))
        return;
    CanonicalOrder(a, b);
    const int bytes = target.pixelBytes;
    const uint32_t value = packedColor;
    const Quor_Rect clip = clipRect;
    // The clipped ends lie inside the clip; the test per pixel only guards against rounding in
    // the clip interpolation.
    WalkLine(a.x, a.y, b.x, b.y, [&](int64_t x, int64_t y, bool) {
        if (x < clip.left || x > clip.right || y < clip.top || y > clip.bottom)
            return;
        Quor_GraphicsPixels::Store(target.Row(static_cast<int32_t>(y)) + x * bytes, bytes, value);
    });
}

void Quor_Graphics::DrawThickLine(Quor_Point a, Quor_Point b, int pen)
{
    // The square pen P wide covers (x - half .. x + rest) around a centre x. Centres from which
    // some of the square reaches the clip are kept; each square is clipped when it is written.
    const int half = pen / 2;
    const int rest = pen - half - 1;
    const Quor_Rect reach(
        Quor_NarrowToInt(int64_t(clipRect.left) - rest),
        Quor_NarrowToInt(int64_t(clipRect.top) - rest),
        Quor_NarrowToInt(int64_t(clipRect.right) + half),
        Quor_NarrowToInt(int64_t(clipRect.bottom) + half));
    if (!reach.Clip(a, b))
        return;
    CanonicalOrder(a, b);
    // Each step writes the outline of the square; the overlapping outlines form the stroke.
    // The end squares are filled, so short strokes of wide pens have no hole in the middle.
    WalkLine(a.x, a.y, b.x, b.y, [&](int64_t x, int64_t y, bool end) {
        if (x < reach.left || x > reach.right || y < reach.top || y > reach.bottom)
            return;
        StoreSquare(x - half, y - half, pen, end);
    });
}

void Quor_Graphics::StoreClippedRun(int64_t y, int64_t x0, int64_t x1)
{
    // Pixels [x0, x1) of row y, clipped.
    if (y < clipRect.top || y > clipRect.bottom)
        return;
    if (x0 < clipRect.left)
        x0 = clipRect.left;
    if (x1 > int64_t(clipRect.right) + 1)
        x1 = int64_t(clipRect.right) + 1;
    if (x1 <= x0)
        return;
    Quor_GraphicsPixels::StoreRun(target.Row(static_cast<int32_t>(y)), target.pixelBytes,
                                  static_cast<int>(x0), static_cast<int>(x1), packedColor);
}

void Quor_Graphics::StoreSquare(int64_t left, int64_t top, int size, bool filled)
{
    const int64_t right = left + size - 1;
    const int64_t bottom = top + size - 1;
    if (right < clipRect.left || left > clipRect.right || bottom < clipRect.top ||
        top > clipRect.bottom)
        return;
    if (filled || size <= 2) {
        const int64_t y0 = top < clipRect.top ? clipRect.top : top;
        const int64_t y1 = bottom > clipRect.bottom ? clipRect.bottom : bottom;
        for (int64_t y = y0; y <= y1; y++)
            StoreClippedRun(y, left, right + 1);
        return;
    }
    StoreClippedRun(top, left, right + 1);
    StoreClippedRun(bottom, left, right + 1);
    const int64_t y0 = top + 1 < clipRect.top ? clipRect.top : top + 1;
    const int64_t y1 = bottom - 1 > clipRect.bottom ? clipRect.bottom : bottom - 1;
    for (int64_t y = y0; y <= y1; y++) {
        StoreClippedRun(y, left, left + 1);
        StoreClippedRun(y, right, right + 1);
    }
}

// ---------------------------------------------------------------------------------------------
// Markers
// ---------------------------------------------------------------------------------------------

void Quor_Graphics::DrawMarker(float x, float y, int size)
{
    DrawSquareMarker(x, y, size, false);
}

void Quor_Graphics::DrawFatMarker(float x, float y, int size)
{
    DrawSquareMarker(x, y, size, true);
}

void Quor_Graphics::DrawSquareMarker(float x, float y, int size, bool filled)
{
    Quor_Point p;
    if (!CanDraw() || !ToPixel(x, y, &p))
        return;
    size = size < 0 ? 0 : (size > Quor_GraphicsRound::kMaxPenWidth ? Quor_GraphicsRound::kMaxPenWidth : size);
    GrowBBox(double(p.x) - size, double(p.y) - size, double(p.x) + size + 1, double(p.y) + size + 1);
    StoreSquare(int64_t(p.x) - size, int64_t(p.y) - size, 2 * size + 1, filled);
}
