// Quor_Graphics: Bezier curves and the shapes built from them (ovals, circles, rounded
// rectangles and the rounded gradient fill).
//
// Index
//   Flattening
//   Bezier outlines and shape segments
//   Ovals and circles
//   Rounded rectangles and the gradient fill

#include "toolkit/imaging/graphics/Quor_Graphics.h"

#include <algorithm>
#include <cmath>

#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/Quor_ColorVector.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/graphics/Quor_GraphicsRound.h"
#include "toolkit/math/Quor_Math.h"

namespace {

// Calls emit(point, t) for the n + 1 points of the cubic at t = i / n, i = 0 .. n.
template <typename Emit>
void Flatten(const Quor_Vector2* p, int n, Emit emit)
{
    emit(p[0], 0.0);
    for (int i = 1; i <= n; i++) {
        const double t = static_cast<double>(i) / n;
        const double u = 1.0 - t;
        const double b0 = u * u * u, b1 = 3.0 * u * u * t, b2 = 3.0 * u * t * t, b3 = t * t * t;
        const Quor_Vector2 point(
            static_cast<float>(b0 * p[0].x + b1 * p[1].x + b2 * p[2].x + b3 * p[3].x),
            static_cast<float>(b0 * p[0].y + b1 * p[1].y + b2 * p[2].y + b3 * p[3].y));
        emit(point, t);
    }
}

// A curve stays inside the box of its control points. True when that box, widened by `margin`,
// misses the clip rectangle; with `rowsOnly` only the rows count.
bool MissesClip(const Quor_Vector2* p, const Quor_Rect& clip, double margin, bool rowsOnly)
{
    double minX = p[0].x, maxX = p[0].x, minY = p[0].y, maxY = p[0].y;
    for (int i = 1; i < 4; i++) {
        minX = std::fmin(minX, p[i].x);
        maxX = std::fmax(maxX, p[i].x);
        minY = std::fmin(minY, p[i].y);
        maxY = std::fmax(maxY, p[i].y);
    }
    if (maxY < clip.top - margin || minY > clip.bottom + margin)
        return true;
    return !rowsOnly && (maxX < clip.left - margin || minX > clip.right + margin);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Flattening
// ---------------------------------------------------------------------------------------------

int Quor_Graphics::BezierSegments(const Quor_Vector2* p, float tolerance, int maxSubdivision)
{
    if (maxSubdivision < 2)
        maxSubdivision = 2;
    const double mx = (static_cast<double>(p[1].x) + p[2].x) * 0.5;
    const double my = (static_cast<double>(p[1].y) + p[2].y) * 0.5;
    const double length = std::hypot(p[0].x - mx, p[0].y - my) + std::hypot(p[3].x - mx, p[3].y - my);
    int64_t n;
    if (std::isnan(length))
        n = 2;
    else if (!(tolerance > 0.0f) || !(length / tolerance < maxSubdivision))
        n = maxSubdivision;
    else
        n = static_cast<int64_t>(length / tolerance);
    if (n & 1)
        n++;
    if (n < 2)
        n = 2;
    if (n > maxSubdivision)
        n = maxSubdivision;
    return static_cast<int>(n);
}

Quor_Vector2 Quor_Graphics::NoisePoint(const Quor_Vector2& p) const
{
    if (!noise)
        return p;
    const Quor_Vector2 d = Quor_Math::TurbulenceVector2D(
        p, static_cast<float>(noiseAmplitude), 1.0f / static_cast<float>(noiseScale), noiseSeed);
    return Quor_Vector2(p.x + d.x, p.y + d.y);
}

void Quor_Graphics::BezierToScreen(const Quor_Vector2* world, Quor_Vector2* px) const
{
    for (int i = 0; i < 4; i++)
        px[i] = ToScreen(world[i].x, world[i].y);
}

// ---------------------------------------------------------------------------------------------
// Bezier outlines and shape segments
// ---------------------------------------------------------------------------------------------

void Quor_Graphics::DrawBezier(const Quor_Vector2* p)
{
    if (!CanDraw() || !p)
        return;
    Quor_Vector2 px[4];
    BezierToScreen(p, px);
    DrawScreenBezier(px);
}

void Quor_Graphics::DrawBezierThick(const Quor_Vector2* p, float w1, float w2)
{
    if (!CanDraw() || !p)
        return;
    Quor_Vector2 px[4];
    BezierToScreen(p, px);
    DrawScreenBezierThick(px, w1, w2);
}

void Quor_Graphics::AddBezier(const Quor_Vector2* p)
{
    if (!CanDraw() || !p)
        return;
    Quor_Vector2 px[4];
    BezierToScreen(p, px);
    AddScreenBezier(px);
}

template <class Piece>
void Quor_Graphics::WalkScreenBezier(const Quor_Vector2* px, double reach, bool rowsOnly, Piece piece)
{
    // The box is widened by what noise can add.
    const double margin = reach + (noise ? std::fabs(static_cast<double>(noiseAmplitude)) : 0.0);
    if (MissesClip(px, clipRect, margin, rowsOnly))
        return;
    const int n = BezierSegments(px, bezierTolerance, bezierMaxSubdivision);
    Quor_Vector2 previous;
    double previousT = 0.0;
    Flatten(px, n, [&](const Quor_Vector2& point, double t) {
        const Quor_Vector2 q = NoisePoint(point);
        if (t > 0.0)
            piece(previous, q, previousT, t);
        previous = q;
        previousT = t;
    });
}

void Quor_Graphics::DrawScreenBezier(const Quor_Vector2* px)
{
    if (penWidth > 1) {
        DrawScreenBezierThick(px, static_cast<float>(penWidth), static_cast<float>(penWidth));
        return;
    }
    WalkScreenBezier(px, 1.0, false, [this](const Quor_Vector2& a, const Quor_Vector2& b, double, double) {
        DrawScreenLine(a.x, a.y, b.x, b.y);
    });
}

void Quor_Graphics::DrawScreenBezierThick(const Quor_Vector2* px, float w1, float w2)
{
    const double limit = Quor_GraphicsRound::kMaxPenWidth;
    auto width = [&](float w) { return std::isfinite(w) ? std::fmin(std::fmax(double(w), 0.0), limit) : 0.0; };
    const double from = width(w1), to = width(w2);
    const int savedPen = penWidth;
    WalkScreenBezier(px, std::fmax(from, to) / 2.0 + 2.0, false,
                     [&](const Quor_Vector2& a, const Quor_Vector2& b, double ta, double tb) {
                         const double wa = from + (to - from) * ta;
                         const double wb = from + (to - from) * tb;
                         if (smoothing) {
                             DrawAACapsule(a.x, a.y, b.x, b.y, wa / 2.0, wb / 2.0);
                             return;
                         }
                         // Without smoothing each piece is a square-pen line of its middle width.
                         const int pen = Quor_GraphicsRound::Pixel((wa + wb) / 2.0);
                         penWidth = pen < 1 ? 1 : pen;
                         DrawScreenLine(a.x, a.y, b.x, b.y);
                         penWidth = savedPen;
                     });
}

void Quor_Graphics::AddScreenBezier(const Quor_Vector2* px)
{
    // Only curves wholly above or below the clip rows are left out: a curve beside the clip
    // still decides where the spans of the visible rows begin and end.
    WalkScreenBezier(px, 1.0, true, [this](const Quor_Vector2& a, const Quor_Vector2& b, double, double) {
        AddScreenSegment(a.x, a.y, b.x, b.y);
    });
}

// ---------------------------------------------------------------------------------------------
// Ovals and circles
// ---------------------------------------------------------------------------------------------

void Quor_Graphics::BuildOval(double left, double top, double right, double bottom, double cx,
                              double cy, double hx, double hy, bool fill)
{
    auto v = [](double x, double y) { return Quor_Vector2(static_cast<float>(x), static_cast<float>(y)); };
    const Quor_Vector2 quarters[4][4] = {
        {v(left, cy), v(left, cy - hy), v(cx - hx, top), v(cx, top)},
        {v(cx, top), v(cx + hx, top), v(right, cy - hy), v(right, cy)},
        {v(left, cy), v(left, cy + hy), v(cx - hx, bottom), v(cx, bottom)},
        {v(cx, bottom), v(cx + hx, bottom), v(right, cy + hy), v(right, cy)},
    };
    // Ovals are never roughened.
    const bool savedNoise = noise;
    noise = false;
    if (fill) {
        BeginShape();
        for (const auto& q : quarters)
            AddBezier(q);
        EndShape();
    } else {
        for (const auto& q : quarters)
            DrawBezier(q);
    }
    noise = savedNoise;
}

namespace {

// The centre and handle lengths of the oval in r, in integer arithmetic.
void OvalFrame(const Quor_Rect& r, double* cx, double* cy, double* hx, double* hy)
{
    const int64_t w = int64_t(r.right) - r.left, h = int64_t(r.bottom) - r.top;
    *cx = static_cast<double>(r.left + w / 2);
    *cy = static_cast<double>(r.top + h / 2);
    *hx = static_cast<double>(w * 9 / 32);
    *hy = static_cast<double>(h * 9 / 32);
}

}  // namespace

void Quor_Graphics::FillOval(Quor_Rect r)
{
    if (!CanDraw())
        return;
    double cx, cy, hx, hy;
    OvalFrame(r, &cx, &cy, &hx, &hy);
    BuildOval(r.left, r.top, r.right, r.bottom, cx, cy, hx, hy, true);
}

void Quor_Graphics::FrameOval(Quor_Rect r)
{
    if (!CanDraw())
        return;
    double cx, cy, hx, hy;
    OvalFrame(r, &cx, &cy, &hx, &hy);
    BuildOval(r.left, r.top, r.right, r.bottom, cx, cy, hx, hy, false);
}

void Quor_Graphics::FillCircle(const Quor_Vector2& centre, float radius)
{
    if (!CanDraw() || !std::isfinite(radius) || !(radius > 0.0f))
        return;
    const double r = radius, handle = 2.0 * r * 9.0 / 32.0;
    BuildOval(centre.x - r, centre.y - r, centre.x + r, centre.y + r, centre.x, centre.y, handle,
              handle, true);
}

void Quor_Graphics::FrameCircle(const Quor_Vector2& centre, float radius)
{
    if (!CanDraw() || !std::isfinite(radius) || !(radius > 0.0f))
        return;
    const double r = radius, handle = 2.0 * r * 9.0 / 32.0;
    BuildOval(centre.x - r, centre.y - r, centre.x + r, centre.y + r, centre.x, centre.y, handle,
              handle, false);
}

// ---------------------------------------------------------------------------------------------
// Rounded rectangles and the gradient fill
// ---------------------------------------------------------------------------------------------

void Quor_Graphics::BuildRoundedRect(Quor_Rect r, int radius, bool fill)
{
    // A radius beyond half the smaller side would fold the edges back over each other.
    const int64_t w = int64_t(r.right) - r.left, h = int64_t(r.bottom) - r.top;
    const int64_t limit = std::min(w < 0 ? -w : w, h < 0 ? -h : h) / 2;
    int64_t R = radius < 0 ? 0 : radius;
    if (R > limit)
        R = limit;
    const int64_t k = R * 9 / 16;
    const double L = r.left, T = r.top, Rt = r.right, B = r.bottom;
    const double rr = static_cast<double>(R), kk = static_cast<double>(k);
    auto v = [](double x, double y) { return Quor_Vector2(static_cast<float>(x), static_cast<float>(y)); };
    const Quor_Vector2 corners[4][4] = {
        {v(L, T + rr), v(L, T + rr - kk), v(L + rr - kk, T), v(L + rr, T)},
        {v(Rt, T + rr), v(Rt, T + rr - kk), v(Rt - rr + kk, T), v(Rt - rr, T)},
        {v(L, B - rr), v(L, B - rr + kk), v(L + rr - kk, B), v(L + rr, B)},
        {v(Rt, B - rr), v(Rt, B - rr + kk), v(Rt - rr + kk, B), v(Rt - rr, B)},
    };
    const Quor_Vector2 sides[4][2] = {
        {v(L + rr, T), v(Rt - rr, T)},
        {v(L + rr, B), v(Rt - rr, B)},
        {v(L, T + rr), v(L, B - rr)},
        {v(Rt, T + rr), v(Rt, B - rr)},
    };
    const bool savedNoise = noise;
    noise = false;
    if (fill) {
        BeginShape();
        for (const auto& c : corners)
            AddBezier(c);
        for (const auto& s : sides)
            AddLine(s[0], s[1]);
        EndShape();
    } else {
        for (const auto& c : corners)
            DrawBezier(c);
        // The straight edges lie on pixel rows and columns: drawn without smoothing.
        const bool savedSmoothing = smoothing;
        smoothing = false;
        for (const auto& s : sides)
            DrawLine(s[0].x, s[0].y, s[1].x, s[1].y);
        smoothing = savedSmoothing;
    }
    noise = savedNoise;
}

void Quor_Graphics::FillRoundedRect(Quor_Rect r, int radius)
{
    if (CanDraw())
        BuildRoundedRect(r, radius, true);
}

void Quor_Graphics::FrameRoundedRect(Quor_Rect r, int radius)
{
    if (CanDraw())
        BuildRoundedRect(r, radius, false);
}

void Quor_Graphics::RoundedGradientFill(Quor_Rect r, int radius, bool vertical, rgb_color c1,
                                        rgb_color c2)
{
    if (!CanDraw())
        return;
    // The shape is filled with opaque black first; then every exactly opaque black pixel of the
    // rectangle takes the gradient colour of its row (or column).
    const rgb_color savedColor = color;
    const bool savedSmoothing = smoothing;
    smoothing = false;
    SetColor(Quor_ColorOps::Black);
    if (radius != 0)
        FillRoundedRect(r, radius);
    else
        FillRect(r);
    SetColor(savedColor);
    smoothing = savedSmoothing;
    if (target.pixelBits != 32)
        return;

    const Quor_Vector2 a = ToScreen(static_cast<float>(r.left), static_cast<float>(r.top));
    const Quor_Vector2 b = ToScreen(static_cast<float>(r.right), static_cast<float>(r.bottom));
    Quor_Rect whole(Quor_GraphicsRound::Pixel(a.x), Quor_GraphicsRound::Pixel(a.y),
                    Quor_GraphicsRound::Pixel(b.x), Quor_GraphicsRound::Pixel(b.y));
    whole.Normalize();
    // The gradient spans the whole rectangle; only its part inside the clip is touched, so
    // black pixels outside the clip (which the fill did not paint) keep their colour.
    Quor_Rect area = whole;
    if (!clipRect.Clip(area))
        return;
    const Quor_ColorVector from(c1), to(c2);
    const uint32_t black = Quor_PixelConvert::Pack(0, 0, 0, 255);
    auto colourAt = [&](int64_t i, int64_t count) {
        // A single row or column takes the first colour (t = 0/0 counts as 0).
        const float t = static_cast<float>(Quor_Ratio(static_cast<double>(i), static_cast<double>(count - 1)));
        Quor_ColorVector c = from * (1.0f - t) + to * t;
        c.a = 1.0f;
        return c.As32bitColor();
    };
    if (vertical) {
        const int64_t rows = int64_t(whole.bottom) - whole.top + 1;
        for (int y = area.top; y <= area.bottom; y++) {
            const uint32_t value = colourAt(int64_t(y) - whole.top, rows);
            uint32_t* row = target.Row32(y);
            for (int x = area.left; x <= area.right; x++)
                if (row[x] == black)
                    row[x] = value;
        }
    } else {
        const int64_t columns = int64_t(whole.right) - whole.left + 1;
        for (int x = area.left; x <= area.right; x++) {
            const uint32_t value = colourAt(int64_t(x) - whole.left, columns);
            for (int y = area.top; y <= area.bottom; y++) {
                uint32_t* p = target.Row32(y) + x;
                if (*p == black)
                    *p = value;
            }
        }
    }
}
