// Static math helpers: the smoothstep ease used for blending ramps, lattice value noise and
// turbulence for roughened strokes, and cubic curve interpolators.
#pragma once

#include "toolkit/math/Quor_Vector2.h"
#include "toolkit/math/Quor_Vector3.h"

class Quor_Math {
public:
    // Pi to double precision; float arithmetic takes float(kPi), the float nearest to pi.
    static constexpr double kPi = 3.14159265358979323846;

    // a + (3t^2 - 2t^3)(b - a); a smoothstep ease, not a spherical interpolation. t is not clamped.
    static float Slerp(float t, float a, float b);
    static bool RealEqual(float a, float b, float epsilon);

    // Lattice value noise in [-amplitude, amplitude] with period 32 (after the scale) in each
    // coordinate. The process-wide lattice is filled once, thread-safely, on the first call with
    // amplitude >= 1e-6, from a private generator: the C library's random() is never touched.
    // Non-finite input, amplitude or scale gives 0.
    static float Noise(Quor_Vector3 p, float amplitude, float scale);
    // True once the noise lattice has been filled.
    static bool NoiseLatticeFilled();
    // Sum of |Noise| over octaves, halving scale and amplitude while scale > 0.001.
    static float Turbulence(const Quor_Vector3& p, float amplitude, float scale);
    static Quor_Vector3 NoiseVector(Quor_Vector3 p, float amplitude, float scale);
    static Quor_Vector3 TurbulenceVector(Quor_Vector3 p, float amplitude, float scale);
    static Quor_Vector2 NoiseVector2D(const Quor_Vector2& p, float amplitude, float scale, int seed);
    // Turbulence centred on zero (minus amplitude / 2); used to displace stroke points.
    static Quor_Vector2 TurbulenceVector2D(const Quor_Vector2& p, float amplitude, float scale, int seed);

    // Cubic Bernstein blend of the y values at s = (x - p0.x) / (p3.x - p0.x) (s = 0 when
    // p3.x == p0.x).
    static float SplineInterp(float x, const Quor_Vector2& p0, const Quor_Vector2& p1, const Quor_Vector2& p2,
                              const Quor_Vector2& p3);
    // Curves through p1 and p2 with Bezier handles 0.3 of the p1-p2 distance long, evaluated at
    // s = (x - p1.x) / (p2.x - p1.x). The tangents at p1 and p2 run along: p2 - p0 and p3 - p1
    // (SplineInterp2); the bisector of the neighbouring chords (SplineInterp3); the same, but
    // flat at a local minimum or maximum (SplineInterp4).
    static float SplineInterp2(float x, const Quor_Vector2& p0, const Quor_Vector2& p1, const Quor_Vector2& p2,
                               const Quor_Vector2& p3);
    static float SplineInterp3(float x, const Quor_Vector2& p0, const Quor_Vector2& p1, const Quor_Vector2& p2,
                               const Quor_Vector2& p3);
    static float SplineInterp4(float x, const Quor_Vector2& p0, const Quor_Vector2& p1, const Quor_Vector2& p2,
                               const Quor_Vector2& p3);
    // The y of a cubic Bezier from (0, a) to (1, b) at the curve point whose x is t, with handles
    // along tangentIn (leaving the first key) and tangentOut (arriving at the second), each a
    // third of the chord long; a tangent shorter than 1e-6 runs along the chord.
    static float Cerp(float t, float a, float b, const Quor_Vector2& tangentIn, const Quor_Vector2& tangentOut);
};
