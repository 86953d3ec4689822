// Quor_Graphics: anti-aliased lines. A one-pixel line steps along its major axis in 20-bit fixed
// point and gives the three pixels across it a Gaussian coverage of their distance from the line
// centre (filter_table), corrected for the slope (slope_corr_table) and for how far the
// endpoints reach into the first and last pixels. Wider lines are capsules whose edge coverage
// comes from the distance to the segment (sqrt_table).
//
// Index
//   Coverage blending
//   One-pixel lines
//   Capsules (wide lines)

#include "toolkit/imaging/graphics/Quor_Graphics.h"

#include <cmath>
#include <cstdlib>

#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/graphics/Quor_AntialiasTables.h"
#include "toolkit/imaging/graphics/Quor_GraphicsPixels.h"
#include "toolkit/imaging/graphics/Quor_GraphicsRound.h"

namespace {

constexpr int kFixBits = 20;
constexpr int64_t kFixOne = int64_t(1) << kFixBits;     // 1,048,576 per pixel
constexpr int64_t kFixHalf = kFixOne >> 1;

int64_t ToFix(double v)
{
    return static_cast<int64_t>(std::llround(v * static_cast<double>(kFixOne)));
}

// The set-up of one anti-aliased line: stepping along x (xMajor) or y, in the direction of
// increasing major coordinate (direction tells the sense the caller drew it in), from start to
// end on the major axis with the minor coordinate at the start and its change per pixel.
struct aa_setup_line {
    bool xMajor;
    int direction;
    int64_t start;
    int64_t end;
    int64_t minor;
    int64_t slope;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Coverage blending
// ---------------------------------------------------------------------------------------------

void Quor_Graphics::BlendCoverage(int x, int y, uint32_t coverage, bool masked)
{
    uint32_t alpha = coverage > 255 ? 255 : coverage;
    if (color.alpha != 255)
        alpha = Quor_ImageOps::gAlphaMask[color.alpha][alpha];
    if (alpha == 0)
        return;
    if (masked && mask &&
        !MaskAllows(mask[static_cast<int64_t>(y) * target.width + x]))
        return;
    Quor_GraphicsPixels::Blend(target.Row(y) + static_cast<ptrdiff_t>(x) * target.pixelBytes,
                               target.pixelBits, color, alpha);
}

// ---------------------------------------------------------------------------------------------
// One-pixel lines
// ---------------------------------------------------------------------------------------------

void Quor_Graphics::DrawAALine(double x1, double y1, double x2, double y2, bool masked)
{
    if (!CanDraw())
        return;
    // Clipped against the clip rectangle grown by two pixels: where a line leaves the clip its
    // cut end lies outside, so the dimmed end pixel never shows as a seam at the clip edge.
    const Quor_Rect reach(Quor_NarrowToInt(int64_t(clipRect.left) - 2),
                          Quor_NarrowToInt(int64_t(clipRect.top) - 2),
                          Quor_NarrowToInt(int64_t(clipRect.right) + 2),
                          Quor_NarrowToInt(int64_t(clipRect.bottom) + 2));
    // Ends far away are first brought in exactly (in double), so the float clip below keeps
    // its precision.
    const double far = 4096.0;
    auto near = [&](double x, double y) {
        return x >= reach.left - far && x <= reach.right + far && y >= reach.top - far &&
               y <= reach.bottom + far;
    };
    if (!near(x1, y1) || !near(x2, y2)) {
        if (!Quor_GraphicsRound::ClipSegment(x1, y1, x2, y2, reach.left - far, reach.top - far,
                                             reach.right + far, reach.bottom + far))
            return;
    }
    float fx1 = static_cast<float>(x1), fy1 = static_cast<float>(y1);
    float fx2 = static_cast<float>(x2), fy2 = static_cast<float>(y2);
    if (!reach.Clip(fx1, fy1, fx2, fy2))
        return;

    const auto& tables = Quor_AntialiasTables::Get();
    const double dx = static_cast<double>(fx2) - fx1;
    const double dy = static_cast<double>(fy2) - fy1;
    aa_setup_line line;
    line.xMajor = std::fabs(dx) >= std::fabs(dy);
    double s0, s1, m0, major, minorDelta;
    if (line.xMajor) {
        line.direction = dx < 0.0 ? -1 : 1;
        s0 = dx < 0.0 ? fx2 : fx1;
        s1 = dx < 0.0 ? fx1 : fx2;
        m0 = dx < 0.0 ? fy2 : fy1;
        major = std::fabs(dx);
        minorDelta = dx < 0.0 ? -dy : dy;
    } else {
        line.direction = dy < 0.0 ? -1 : 1;
        s0 = dy < 0.0 ? fy2 : fy1;
        s1 = dy < 0.0 ? fy1 : fy2;
        m0 = dy < 0.0 ? fx2 : fx1;
        major = std::fabs(dy);
        minorDelta = dy < 0.0 ? -dx : dx;
    }
    line.start = ToFix(s0);
    line.end = ToFix(s1);
    line.minor = ToFix(m0);
    line.slope = major > 0.0 ? ToFix(minorDelta / major) : 0;

    // The ink of one major step, by the slope in 1/32 (256 at slopes of 1 or more).
    const int64_t slopeIndex = std::llabs(line.slope) >> (kFixBits - 5);
    const int64_t slopeCorrection = slopeIndex >= 32 ? 256 : tables.slope_corr_table[slopeIndex];

    // Pixel i covers major coordinates [i - 0.5, i + 0.5).
    const int64_t first = (line.start + kFixHalf) >> kFixBits;
    const int64_t last = (line.end + kFixHalf) >> kFixBits;
    int64_t minor = line.minor + (((first * kFixOne - line.start) * line.slope) >> kFixBits);
    const Quor_Rect clip = clipRect;

    for (int64_t i = first; i <= last; i++, minor += line.slope) {
        // How much of this pixel's major extent the line covers, 0..256.
        int64_t endCoverage = 256;
        if (first == last)
            endCoverage = (line.end - line.start) >> (kFixBits - 8);
        else if (i == first)
            endCoverage = (first * kFixOne + kFixHalf - line.start) >> (kFixBits - 8);
        else if (i == last)
            endCoverage = (line.end - (last * kFixOne - kFixHalf)) >> (kFixBits - 8);
        if (endCoverage <= 0)
            continue;
        if (endCoverage > 256)
            endCoverage = 256;

        const int64_t centre = (minor + kFixHalf) >> kFixBits;
        for (int64_t k = centre - 1; k <= centre + 1; k++) {
            // Distance of the pixel centre from the line centre, in 1/32 pixel.
            const int64_t d = std::llabs(k * kFixOne - minor) >> (kFixBits - 5);
            if (d >= 48)
                continue;
            const int64_t coverage = (tables.filter_table[d] * slopeCorrection * endCoverage) >> 16;
            if (coverage <= 0)
                continue;
            const int64_t x = line.xMajor ? i : k;
            const int64_t y = line.xMajor ? k : i;
            if (x < clip.left || x > clip.right || y < clip.top || y > clip.bottom)
                continue;
            BlendCoverage(static_cast<int>(x), static_cast<int>(y), static_cast<uint32_t>(coverage),
                          masked);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Capsules
// ---------------------------------------------------------------------------------------------

void Quor_Graphics::DrawAACapsule(double x1, double y1, double x2, double y2, double r1, double r2)
{
    if (!CanDraw() || !std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) ||
        !std::isfinite(y2) || !std::isfinite(r1) || !std::isfinite(r2))
        return;
    r1 = r1 < 0.0 ? 0.0 : r1;
    r2 = r2 < 0.0 ? 0.0 : r2;
    const double radius = std::fmax(r1, r2);
    if (radius <= 0.0)
        return;
    const auto& tables = Quor_AntialiasTables::Get();

    // Rows and columns the capsule can touch, inside the clip.
    const double pad = radius + 1.0;
    int64_t left = Quor_GraphicsRound::Floor(std::fmin(x1, x2) - pad);
    int64_t right = Quor_GraphicsRound::Ceil(std::fmax(x1, x2) + pad);
    int64_t top = Quor_GraphicsRound::Floor(std::fmin(y1, y2) - pad);
    int64_t bottom = Quor_GraphicsRound::Ceil(std::fmax(y1, y2) + pad);
    if (left < clipRect.left) left = clipRect.left;
    if (right > clipRect.right) right = clipRect.right;
    if (top < clipRect.top) top = clipRect.top;
    if (bottom > clipRect.bottom) bottom = clipRect.bottom;
    if (left > right || top > bottom)
        return;

    const double ux = x2 - x1, uy = y2 - y1;
    const double length2 = ux * ux + uy * uy;
    const double length = std::sqrt(length2);
    // The unit normal, for the band of columns each row needs.
    const double nx = length > 1e-9 ? -uy / length : 0.0;
    const double ny = length > 1e-9 ? ux / length : 1.0;

    for (int64_t y = top; y <= bottom; y++) {
        int64_t x0 = left, x1End = right;
        if (std::fabs(nx) > 1e-9) {
            // |n . (p - a)| <= radius + 1 on this row.
            const double c = ny * (static_cast<double>(y) - y1);
            double xa = x1 + (-pad - c) / nx, xb = x1 + (pad - c) / nx;
            if (xa > xb) {
                const double t = xa;
                xa = xb;
                xb = t;
            }
            const int64_t from = Quor_GraphicsRound::Floor(xa), to = Quor_GraphicsRound::Ceil(xb);
            if (from > x0) x0 = from;
            if (to < x1End) x1End = to;
        }
        for (int64_t x = x0; x <= x1End; x++) {
            const double px = static_cast<double>(x) - x1, py = static_cast<double>(y) - y1;
            double t = length2 > 0.0 ? (px * ux + py * uy) / length2 : 0.0;
            t = t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
            const double ex = px - t * ux, ey = py - t * uy;
            const double d2 = ex * ex + ey * ey;
            const double r = r1 + (r2 - r1) * t;
            const double outer = r + 0.5;
            if (d2 >= outer * outer)
                continue;
            uint32_t coverage = 255;
            const double inner = r - 0.5;
            if (inner <= 0.0 || d2 > inner * inner) {
                // Distance in 1/32 pixel from its square in 1/1024 pixel^2.
                const double square = d2 * 1024.0;
                const int64_t index = static_cast<int64_t>(square) >> 6;
                const double distance = index < 512 ? tables.sqrt_table[index] : std::sqrt(square);
                double c = outer * 32.0 - distance;
                c = c < 0.0 ? 0.0 : (c > 32.0 ? 32.0 : c);
                coverage = static_cast<uint32_t>(c * 255.0 / 32.0);
            }
            BlendCoverage(static_cast<int>(x), static_cast<int>(y), coverage, false);
        }
    }
}
