// A 4 by 4 float transform for the graphics context and the 3-D rasterizer. Points are row
// vectors multiplied on the left, element (row r, column c) is m[4*r + c], the translation is
// m[12..14]. Every building operation multiplies on the left, so the one called last acts first.
#pragma once

#include "toolkit/math/Quor_Vector2.h"
#include "toolkit/math/Quor_Vector3.h"
#include "toolkit/math/Quor_axis.h"

struct Quor_Matrix {
    float m[16];

    Quor_Matrix() { Identity(); }

    void Identity()
    {
        for (int i = 0; i < 16; i++)
            m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
    }
    void Set(const Quor_Matrix& b)
    {
        for (int i = 0; i < 16; i++)
            m[i] = b.m[i];
    }

    // this = b x this: points are transformed by b first, then by the old matrix.
    void Multiply(const Quor_Matrix& b);
    Quor_Matrix& operator*=(const Quor_Matrix& b) { Multiply(b); return *this; }

    void Translate(float tx, float ty, float tz);
    void Scale(float sx, float sy, float sz);
    // Right-handed rotation about axis 0, 1 or 2, moving points exactly as
    // Quor_Vector3::Rotate does; any other axis changes nothing.
    void Rotate(int axis, float angle);
    // Axis 0: y gains a*x, z gains b*x; axis 1: x gains a*y, z gains b*y; axis 2: x gains a*z,
    // y gains b*z.
    void Shear(Quor_axis axis, float a, float b);
    void Transpose();

    static float Det2x2(float a, float b, float c, float d) { return a * d - b * c; }
    static float Det3x3(float a1, float a2, float a3, float b1, float b2, float b3, float c1, float c2, float c3)
    {
        return a1 * (b2 * c3 - b3 * c2) - b1 * (a2 * c3 - a3 * c2) + c1 * (a2 * b3 - a3 * b2);
    }
    float Determinant() const;
    // Replaces the matrix by its classical adjoint (transposed cofactors).
    void Adjoint();
    // Replaces the matrix by its inverse. When the determinant lies within (-1e-6, 1e-6) the
    // matrix is left as its adjoint and false is returned.
    bool Invert();

    // Affine part only (w taken as 1, no division). The float form reads and writes three floats;
    // a null pointer is ignored.
    void Transform(Quor_Vector3& v) const;
    void Transform(float* v) const;
    // Writes x', y', z', w' into v[0..3] from v[0..2] (the input w is taken as 1).
    void TransformHomo(float* v) const;
    // Divides by w'; when |w'| < 1e-6 the result is scaled by 10 instead and false is returned.
    bool TransformHomo(Quor_Vector3& v) const;
    // The graphics context's 2-D form: (x, y, 0, 1) divided by w' when w' >= 1e-6, otherwise
    // multiplied by 1,000,000; each result is then clamped to [-1e30, 1e30], NaN becoming 0,
    // so it can always be rounded to pixels.
    void Transform(Quor_Vector2& v) const;

    // Multiplies by a perspective projection (fov in radians). A degenerate request (zero or
    // non-finite tan(fov/2) or aspect, far == near) changes nothing and returns false.
    bool Perspective(float fov, float nearPlane, float farPlane, float aspect);
    // Moves points by -eye, turns them by the yaw and then by minus the pitch of target - eye.
    void Lookat(const Quor_Vector3& eye, const Quor_Vector3& target);
    // Multiplies by the rotation that turns the unit vector from onto the unit vector to.
    void RotateVecToVec(const Quor_Vector3& from, const Quor_Vector3& to);
};
