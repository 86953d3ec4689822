#include "toolkit/math/Quor_Matrix.h"

#include <cmath>

#include "toolkit/math/Quor_Math.h"

void Quor_Matrix::Multiply(const Quor_Matrix& b)
{
    float r[16];
    for (int row = 0; row < 4; row++) {
        for (int col = 0; col < 4; col++) {
            float sum = 0.0f;
            for (int k = 0; k < 4; k++)
                sum += b.m[4 * row + k] * m[4 * k + col];
            r[4 * row + col] = sum;
        }
    }
    for (int i = 0; i < 16; i++)
        m[i] = r[i];
}

void Quor_Matrix::Translate(float tx, float ty, float tz)
{
    Quor_Matrix t;
    t.m[12] = tx;
    t.m[13] = ty;
    t.m[14] = tz;
    Multiply(t);
}

void Quor_Matrix::Scale(float sx, float sy, float sz)
{
    Quor_Matrix s;
    s.m[0] = sx;
    s.m[5] = sy;
    s.m[10] = sz;
    Multiply(s);
}

void Quor_Matrix::Rotate(int axis, float angle)
{
    Quor_Matrix r;
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    switch (axis) {
    case 0:
        r.m[5] = c; r.m[6] = s; r.m[9] = -s; r.m[10] = c;
        break;
    case 1:
        r.m[0] = c; r.m[2] = -s; r.m[8] = s; r.m[10] = c;
        break;
    case 2:
        r.m[0] = c; r.m[1] = s; r.m[4] = -s; r.m[5] = c;
        break;
    default:
        break;
    }
    Multiply(r);
}

void Quor_Matrix::Shear(Quor_axis axis, float a, float b)
{
    Quor_Matrix s;
    switch (axis) {
    case QUOR_AXIS_X:
        s.m[1] = a; s.m[2] = b;
        break;
    case QUOR_AXIS_Y:
        s.m[4] = a; s.m[6] = b;
        break;
    case QUOR_AXIS_Z:
        s.m[8] = a; s.m[9] = b;
        break;
    default:
        break;
    }
    Multiply(s);
}

void Quor_Matrix::Transpose()
{
    for (int row = 0; row < 4; row++) {
        for (int col = row + 1; col < 4; col++) {
            float t = m[4 * row + col];
            m[4 * row + col] = m[4 * col + row];
            m[4 * col + row] = t;
        }
    }
}

namespace {

// The 3 by 3 minor of m without the given row and column, as a determinant.
float Minor(const float* m, int skipRow, int skipCol)
{
    float e[9];
    int n = 0;
    for (int row = 0; row < 4; row++) {
        if (row == skipRow)
            continue;
        for (int col = 0; col < 4; col++) {
            if (col != skipCol)
                e[n++] = m[4 * row + col];
        }
    }
    // Det3x3 takes its arguments column by column.
    return Quor_Matrix::Det3x3(e[0], e[3], e[6], e[1], e[4], e[7], e[2], e[5], e[8]);
}

}  // namespace

float Quor_Matrix::Determinant() const
{
    float det = 0.0f;
    for (int col = 0; col < 4; col++) {
        float term = m[col] * Minor(m, 0, col);
        det += (col % 2 == 0) ? term : -term;
    }
    return det;
}

void Quor_Matrix::Adjoint()
{
    float adj[16];
    for (int row = 0; row < 4; row++) {
        for (int col = 0; col < 4; col++) {
            float cofactor = Minor(m, row, col);
            if ((row + col) % 2 != 0)
                cofactor = -cofactor;
            adj[4 * col + row] = cofactor;
        }
    }
    for (int i = 0; i < 16; i++)
        m[i] = adj[i];
}

bool Quor_Matrix::Invert()
{
    const float det = Determinant();
    Adjoint();
    // The negated test also stops on a NaN determinant.
    if (!(std::fabs(det) >= 1e-6f))
        return false;
    const float inv = 1.0f / det;
    for (int i = 0; i < 16; i++)
        m[i] *= inv;
    return true;
}

void Quor_Matrix::Transform(Quor_Vector3& v) const
{
    const float x = v.x, y = v.y, z = v.z;
    v.x = x * m[0] + y * m[4] + z * m[8] + m[12];
    v.y = x * m[1] + y * m[5] + z * m[9] + m[13];
    v.z = x * m[2] + y * m[6] + z * m[10] + m[14];
}

void Quor_Matrix::Transform(float* v) const
{
    if (!v)
        return;
    Quor_Vector3 p(v[0], v[1], v[2]);
    Transform(p);
    v[0] = p.x;
    v[1] = p.y;
    v[2] = p.z;
}

void Quor_Matrix::TransformHomo(float* v) const
{
    if (!v)
        return;
    const float x = v[0], y = v[1], z = v[2];
    v[0] = x * m[0] + y * m[4] + z * m[8] + m[12];
    v[1] = x * m[1] + y * m[5] + z * m[9] + m[13];
    v[2] = x * m[2] + y * m[6] + z * m[10] + m[14];
    v[3] = x * m[3] + y * m[7] + z * m[11] + m[15];
}

bool Quor_Matrix::TransformHomo(Quor_Vector3& v) const
{
    float h[4] = {v.x, v.y, v.z, 1.0f};
    TransformHomo(h);
    const bool usable = std::fabs(h[3]) >= 1e-6f;
    const float f = usable ? 1.0f / h[3] : 10.0f;
    v.Set(h[0] * f, h[1] * f, h[2] * f);
    return usable;
}

void Quor_Matrix::Transform(Quor_Vector2& v) const
{
    const float x = v.x, y = v.y;
    float tx = x * m[0] + y * m[4] + m[12];
    float ty = x * m[1] + y * m[5] + m[13];
    const float w = x * m[3] + y * m[7] + m[15];
    if (w >= 1e-6f) {
        tx /= w;
        ty /= w;
    } else {
        tx *= 1000000.0f;
        ty *= 1000000.0f;
    }
    auto clamp = [](float c) {
        if (std::isnan(c))
            return 0.0f;
        return c < -1e30f ? -1e30f : (c > 1e30f ? 1e30f : c);
    };
    v.Set(clamp(tx), clamp(ty));
}

bool Quor_Matrix::Perspective(float fov, float nearPlane, float farPlane, float aspect)
{
    const float t = std::tan(fov / 2.0f);
    const float depth = farPlane - nearPlane;
    const float ta = t * aspect;
    if (!std::isfinite(ta) || ta == 0.0f || t == 0.0f || !std::isfinite(depth) || depth == 0.0f)
        return false;
    Quor_Matrix p;
    p.m[0] = 1.0f / ta;
    p.m[5] = 1.0f / t;
    p.m[10] = (farPlane + nearPlane) / depth;
    p.m[11] = -1.0f;
    p.m[14] = 2.0f * nearPlane * farPlane / depth;
    p.m[15] = 0.0f;
    Multiply(p);
    return true;
}

void Quor_Matrix::Lookat(const Quor_Vector3& eye, const Quor_Vector3& target)
{
    Quor_Vector3 d = target - eye;
    d.z = -d.z;
    const float yaw = std::atan2(d.x, d.z);
    const float pitch = std::atan2(d.y, std::sqrt(d.x * d.x + d.z * d.z));
    Quor_Matrix l;
    l.Rotate(0, -pitch);
    l.Rotate(1, yaw);
    l.Translate(-eye.x, -eye.y, -eye.z);
    Multiply(l);
}

void Quor_Matrix::RotateVecToVec(const Quor_Vector3& from, const Quor_Vector3& to)
{
    Quor_Vector3 axis = from.Cross(to);
    // Rounding can push the cosine of (nearly) parallel unit vectors just beyond 1.
    float cosine = from.Dot(to);
    cosine = cosine > 1.0f ? 1.0f : (cosine < -1.0f ? -1.0f : cosine);
    float angle = std::acos(cosine);
    if (axis.Mag() < 1e-6f) {
        // Parallel vectors need no turn; opposite ones a half turn about any perpendicular.
        if (!(cosine < 0.0f))
            return;
        from.GetOrthogonals(&axis, nullptr);
        angle = float(Quor_Math::kPi);
    }
    const float yaw = std::atan2(axis.x, axis.z);
    const float pitch = std::atan2(axis.y, std::sqrt(axis.x * axis.x + axis.z * axis.z));
    Quor_Matrix r;
    r.Rotate(1, yaw);
    r.Rotate(0, -pitch);
    r.Rotate(2, angle);
    r.Rotate(0, pitch);
    r.Rotate(1, -yaw);
    Multiply(r);
}
