// ArtPath: outlines flattened finely enough to stay smooth at any size the artwork uses.

#include "tools/artgen/ArtPath.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;

// Segments for a curve of the given length: about one per half picture pixel, at least 8.
int Segments(float length)
{
    return std::clamp(int(std::ceil(length * 2.0f)), 8, 512);
}

}  // namespace

Quor_Vector2 ArtPath::Polar(Quor_Vector2 centre, float radius, float angle)
{
    return Quor_Vector2(centre.x + radius * std::cos(angle), centre.y - radius * std::sin(angle));
}

ArtContour ArtPath::Rect(float left, float top, float right, float bottom)
{
    return {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
}

ArtContour ArtPath::RoundedRect(float left, float top, float right, float bottom, float radius)
{
    radius = std::min({radius, (right - left) / 2.0f, (bottom - top) / 2.0f});
    if (radius <= 0.0f)
        return Rect(left, top, right, bottom);
    ArtContour out;
    const Quor_Vector2 corners[4] = {{right - radius, top + radius}, {left + radius, top + radius},
                                     {left + radius, bottom - radius}, {right - radius, bottom - radius}};
    const int n = Segments(radius * kPi / 2.0f);
    for (int k = 0; k < 4; k++)
        for (int i = 0; i <= n; i++)
            out.push_back(Polar(corners[k], radius, (float(k) + float(i) / float(n)) * kPi / 2.0f));
    return out;
}

ArtContour ArtPath::Ellipse(Quor_Vector2 centre, float rx, float ry)
{
    ArtContour out;
    const int n = Segments(kPi * (rx + ry));
    for (int i = 0; i < n; i++) {
        const float a = 2.0f * kPi * float(i) / float(n);
        out.emplace_back(centre.x + rx * std::cos(a), centre.y - ry * std::sin(a));
    }
    return out;
}

ArtContour ArtPath::Arc(Quor_Vector2 centre, float radius, float a0, float a1)
{
    ArtContour out;
    const int n = Segments(std::fabs(a1 - a0) * radius);
    for (int i = 0; i <= n; i++)
        out.push_back(Polar(centre, radius, a0 + (a1 - a0) * float(i) / float(n)));
    return out;
}

ArtContour ArtPath::ArcBand(Quor_Vector2 centre, float radius, float width, float a0, float a1)
{
    ArtContour out = Arc(centre, radius + width / 2.0f, a0, a1);
    const ArtContour inner = Arc(centre, radius - width / 2.0f, a1, a0);
    out.insert(out.end(), inner.begin(), inner.end());
    return out;
}

ArtContour ArtPath::Capsule(Quor_Vector2 a, Quor_Vector2 b, float width)
{
    const float r = width / 2.0f;
    const Quor_Vector2 d = b - a;
    // The direction of the stroke on the screen, as an angle with y up.
    const float angle = d.SquaredMag() > 0.0f ? std::atan2(-d.y, d.x) : 0.0f;
    ArtContour out = Arc(b, r, angle - kPi / 2.0f, angle + kPi / 2.0f);
    const ArtContour back = Arc(a, r, angle + kPi / 2.0f, angle + 3.0f * kPi / 2.0f);
    out.insert(out.end(), back.begin(), back.end());
    return out;
}

ArtContour ArtPath::ArrowHead(Quor_Vector2 tip, Quor_Vector2 direction, float length, float width)
{
    const Quor_Vector2 u = direction.Norm();
    const Quor_Vector2 n(-u.y, u.x);
    const Quor_Vector2 base = tip - u * length;
    return {tip, base + n * (width / 2.0f), base - n * (width / 2.0f)};
}

void ArtPath::AppendBezier(ArtContour* line, Quor_Vector2 p0, Quor_Vector2 p1, Quor_Vector2 p2, Quor_Vector2 p3)
{
    const float length = (p1 - p0).Mag() + (p2 - p1).Mag() + (p3 - p2).Mag();
    const int n = Segments(length);
    for (int i = 1; i <= n; i++) {
        const float t = float(i) / float(n), s = 1.0f - t;
        line->push_back(p0 * (s * s * s) + p1 * (3.0f * s * s * t) + p2 * (3.0f * s * t * t) + p3 * (t * t * t));
    }
}

ArtContour ArtPath::Moved(ArtContour c, float dx, float dy)
{
    for (Quor_Vector2& p : c)
        p += Quor_Vector2(dx, dy);
    return c;
}

std::vector<ArtContour> ArtPath::Moved(std::vector<ArtContour> c, float dx, float dy)
{
    for (ArtContour& contour : c)
        contour = Moved(std::move(contour), dx, dy);
    return c;
}
