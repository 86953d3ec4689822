#include "toolkit/math/Quor_Math.h"

#include <atomic>
#include <cmath>
#include <mutex>

#include "toolkit/math/Quor_AdditiveRandom.h"

namespace {

constexpr int kLatticeSize = 32;

float sLattice[kLatticeSize * kLatticeSize * kLatticeSize];
std::once_flag sLatticeOnce;
std::atomic<bool> sLatticeFilled{false};

// Fills the lattice with the values a generator seeded with 666 gives, so every run produces
// the same noise. The generator is private: reseeding the C library's shared random() here
// would disturb every other user of it.
void FillLattice()
{
    Quor_AdditiveRandom generator(666);
    for (float& value : sLattice)
        value = static_cast<float>(2.0 * (generator.Next() * 4.656613e-10) - 1.0);
    sLatticeFilled.store(true, std::memory_order_release);
}

const float* Lattice()
{
    std::call_once(sLatticeOnce, FillLattice);
    return sLattice;
}

// The cell of one coordinate: the two lattice indices and the fraction between them.
struct Cell {
    int i0;
    int i1;
    float f;
};

Cell CellOf(float v)
{
    // v is finite here. The cell index stays in float and is reduced modulo 32 there, so
    // coordinates beyond the integer range need no conversion.
    float iv = std::trunc(v);
    if (v < 0.0f)
        iv -= 1.0f;
    Cell c;
    c.f = v - iv;
    float wrapped = std::fmod(iv, static_cast<float>(kLatticeSize));
    if (wrapped < 0.0f)
        wrapped += kLatticeSize;
    c.i0 = static_cast<int>(wrapped) % kLatticeSize;
    c.i1 = (c.i0 + 1) % kLatticeSize;
    return c;
}

float Lerp(float a, float b, float f)
{
    return a + (b - a) * f;
}

// Cubic Bernstein blend of four values at s.
float Bezier(float s, float y0, float y1, float y2, float y3)
{
    const float u = 1.0f - s;
    return s * s * s * y3 + 3.0f * s * s * u * y2 + 3.0f * s * u * u * y1 + u * u * u * y0;
}

// (num - from) / span with an empty span giving 0.
float Fraction(float num, float from, float span)
{
    if (span == 0.0f)
        return 0.0f;
    return (num - from) / span;
}

// The Bezier through p1 and p2 whose handles leave along t1 and arrive along t2, each 0.3 of the
// p1-p2 distance long, evaluated at x.
float HandleSpline(float x, const Quor_Vector2& p1, const Quor_Vector2& p2, const Quor_Vector2& t1,
                   const Quor_Vector2& t2)
{
    const float len = (p2 - p1).Mag() * 0.3f;
    const Quor_Vector2 c1 = p1 + t1 * len;
    const Quor_Vector2 c2 = p2 - t2 * len;
    const float s = Fraction(x, p1.x, p2.x - p1.x);
    return Bezier(s, p1.y, c1.y, c2.y, p2.y);
}

Quor_Vector2 Bisector(const Quor_Vector2& a, const Quor_Vector2& b, const Quor_Vector2& c)
{
    return ((b - a).Norm() + (c - b).Norm()).Norm();
}

}  // namespace

float Quor_Math::Slerp(float t, float a, float b)
{
    return a + (3.0f * t * t - 2.0f * t * t * t) * (b - a);
}

bool Quor_Math::RealEqual(float a, float b, float epsilon)
{
    return std::fabs(a - b) < epsilon;
}

float Quor_Math::Noise(Quor_Vector3 p, float amplitude, float scale)
{
    // The negated test also turns away a NaN amplitude.
    if (!(amplitude >= 1e-6f) || !std::isfinite(amplitude))
        return 0.0f;
    p *= scale;
    p.x += 0.001209f;
    p.y += 0.001306f;
    p.z += 0.001413f;
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
        return 0.0f;
    const float* lattice = Lattice();
    const Cell cx = CellOf(p.x);
    const Cell cy = CellOf(p.y);
    const Cell cz = CellOf(p.z);
    auto at = [lattice](int i, int j, int k) { return lattice[(i * kLatticeSize + j) * kLatticeSize + k]; };

    const float x00 = Lerp(at(cx.i0, cy.i0, cz.i0), at(cx.i1, cy.i0, cz.i0), cx.f);
    const float x10 = Lerp(at(cx.i0, cy.i1, cz.i0), at(cx.i1, cy.i1, cz.i0), cx.f);
    const float x01 = Lerp(at(cx.i0, cy.i0, cz.i1), at(cx.i1, cy.i0, cz.i1), cx.f);
    const float x11 = Lerp(at(cx.i0, cy.i1, cz.i1), at(cx.i1, cy.i1, cz.i1), cx.f);
    const float y0 = Lerp(x00, x10, cy.f);
    const float y1 = Lerp(x01, x11, cy.f);
    return Lerp(y0, y1, cz.f) * amplitude;
}

bool Quor_Math::NoiseLatticeFilled()
{
    return sLatticeFilled.load(std::memory_order_acquire);
}

float Quor_Math::Turbulence(const Quor_Vector3& p, float amplitude, float scale)
{
    // An infinite scale would never halve below the limit.
    if (!(amplitude >= 1e-6f) || !std::isfinite(scale))
        return 0.0f;
    float sum = 0.0f;
    while (scale > 0.001f) {
        sum += std::fabs(Noise(p, amplitude, scale));
        scale *= 0.5f;
        amplitude *= 0.5f;
    }
    return sum;
}

Quor_Vector3 Quor_Math::NoiseVector(Quor_Vector3 p, float amplitude, float scale)
{
    return Quor_Vector3(Noise(p, amplitude, scale), Noise(p + Quor_Vector3(16.0f, 0.0f, 0.0f), amplitude, scale),
                        Noise(p + Quor_Vector3(16.0f, 0.0f, 16.0f), amplitude, scale));
}

Quor_Vector3 Quor_Math::TurbulenceVector(Quor_Vector3 p, float amplitude, float scale)
{
    return Quor_Vector3(Turbulence(p, amplitude, scale),
                        Turbulence(p + Quor_Vector3(16.0f, 0.0f, 0.0f), amplitude, scale),
                        Turbulence(p + Quor_Vector3(16.0f, 0.0f, 16.0f), amplitude, scale));
}

Quor_Vector2 Quor_Math::NoiseVector2D(const Quor_Vector2& p, float amplitude, float scale, int seed)
{
    const float z = static_cast<float>(seed) * 1.3f / scale;
    return Quor_Vector2(Noise(Quor_Vector3(p.x, p.y, z), amplitude, scale),
                        Noise(Quor_Vector3(p.x + 16.0f, p.y, z), amplitude, scale));
}

Quor_Vector2 Quor_Math::TurbulenceVector2D(const Quor_Vector2& p, float amplitude, float scale, int seed)
{
    const float z = static_cast<float>(seed) * 1.3f / scale;
    const float half = amplitude / 2.0f;
    return Quor_Vector2(Turbulence(Quor_Vector3(p.x, p.y, z), amplitude, scale) - half,
                        Turbulence(Quor_Vector3(p.x + 16.0f, p.y, z), amplitude, scale) - half);
}

float Quor_Math::SplineInterp(float x, const Quor_Vector2& p0, const Quor_Vector2& p1, const Quor_Vector2& p2,
                              const Quor_Vector2& p3)
{
    const float s = Fraction(x, p0.x, p3.x - p0.x);
    return Bezier(s, p0.y, p1.y, p2.y, p3.y);
}

float Quor_Math::SplineInterp2(float x, const Quor_Vector2& p0, const Quor_Vector2& p1, const Quor_Vector2& p2,
                               const Quor_Vector2& p3)
{
    return HandleSpline(x, p1, p2, (p2 - p0).Norm(), (p3 - p1).Norm());
}

float Quor_Math::SplineInterp3(float x, const Quor_Vector2& p0, const Quor_Vector2& p1, const Quor_Vector2& p2,
                               const Quor_Vector2& p3)
{
    return HandleSpline(x, p1, p2, Bisector(p0, p1, p2), Bisector(p1, p2, p3));
}

float Quor_Math::SplineInterp4(float x, const Quor_Vector2& p0, const Quor_Vector2& p1, const Quor_Vector2& p2,
                               const Quor_Vector2& p3)
{
    // A key that is a local minimum or maximum gets a flat tangent, so the curve does not
    // overshoot it.
    auto tangent = [](const Quor_Vector2& a, const Quor_Vector2& b, const Quor_Vector2& c) {
        if ((b.y - a.y) * (c.y - b.y) <= 0.0f)
            return Quor_Vector2(1.0f, 0.0f);
        return Bisector(a, b, c);
    };
    return HandleSpline(x, p1, p2, tangent(p0, p1, p2), tangent(p1, p2, p3));
}

float Quor_Math::Cerp(float t, float a, float b, const Quor_Vector2& tangentIn, const Quor_Vector2& tangentOut)
{
    const Quor_Vector2 k0(0.0f, a);
    const Quor_Vector2 k1(1.0f, b);
    const Quor_Vector2 chord = k1 - k0;
    const float handle = chord.Mag() * 0.3333f;
    const Quor_Vector2 t0 = tangentIn.Mag() < 1e-6f ? chord.Norm() : tangentIn.Norm();
    const Quor_Vector2 t1 = tangentOut.Mag() < 1e-6f ? chord.Norm() : tangentOut.Norm();
    const Quor_Vector2 c0 = k0 + t0 * handle;
    const Quor_Vector2 c1 = k1 - t1 * handle;

    // Bisect for the curve parameter whose x is t. The iteration count is bounded so that a t
    // outside the curve's x range (or a curve that turns back on itself) still ends.
    float u = 0.5f;
    float step = 0.25f;
    for (int i = 0; i < 40; i++) {
        const float x = Bezier(u, k0.x, c0.x, c1.x, k1.x);
        if (std::fabs(x - t) <= 0.0001f)
            break;
        u += (x < t) ? step : -step;
        step *= 0.5f;
    }
    return Bezier(u, k0.y, c0.y, c1.y, k1.y);
}
