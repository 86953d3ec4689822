#include "toolkit/math/Quor_Vector3.h"

#include <algorithm>

Quor_Vector3 Quor_Vector3::Norm() const
{
    const float big = std::max({std::fabs(x), std::fabs(y), std::fabs(z)});
    if (big == 0.0f || std::isnan(x) || std::isnan(y) || std::isnan(z))  // no direction to keep
        return Quor_Vector3(0.0f, 0.0f, 1.0f);
    Quor_Vector3 s;
    if (std::isinf(big)) {
        // Only the infinite components give the direction.
        for (int i = 0; i < 3; i++)
            s[i] = std::isinf((*this)[i]) ? std::copysign(1.0f, (*this)[i]) : 0.0f;
    } else {
        // Dividing by the largest component first keeps tiny and huge vectors from
        // underflowing or overflowing in the squares.
        s = *this / big;
    }
    return s / s.Mag();
}

void Quor_Vector3::Rotate(int axis, float angle)
{
    if (axis < 0 || axis > 2)
        return;
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float ox = x, oy = y, oz = z;
    switch (axis) {
    case 0:
        y = c * oy - s * oz;
        z = c * oz + s * oy;
        break;
    case 1:
        x = c * ox + s * oz;
        z = c * oz - s * ox;
        break;
    default:
        x = c * ox - s * oy;
        y = c * oy + s * ox;
        break;
    }
}

void Quor_Vector3::GetOrthogonals(Quor_Vector3* a, Quor_Vector3* b) const
{
    Quor_Vector3 first(1.0f, 0.0f, 0.0f);
    Quor_Vector3 second(0.0f, 1.0f, 0.0f);
    const bool finite = std::isfinite(x) && std::isfinite(y) && std::isfinite(z);
    if (finite && (x != 0.0f || y != 0.0f || z != 0.0f)) {
        // Work on the unit vector: the direction is the same, and tiny or huge inputs can
        // neither underflow the cross product nor overflow the quotients.
        const Quor_Vector3 n = Norm();
        const float ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
        // Solving for the largest component keeps the division well away from zero; ties go
        // to x before y before z.
        if (ax >= ay && ax >= az)
            first.Set((n.y + n.z) / n.x, -1.0f, -1.0f);
        else if (ay >= ax && ay >= az)
            first.Set(-1.0f, (n.x + n.z) / n.y, -1.0f);
        else
            first.Set(-1.0f, -1.0f, (n.x + n.y) / n.z);
        first.NormMe();
        second = first.Cross(n).Norm();
    }
    if (a)
        *a = first;
    if (b)
        *b = second;
}
