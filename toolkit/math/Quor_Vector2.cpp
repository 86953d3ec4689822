#include "toolkit/math/Quor_Vector2.h"

#include <algorithm>

Quor_Vector2 Quor_Vector2::Norm() const
{
    const float big = std::max(std::fabs(x), std::fabs(y));
    if (big == 0.0f || std::isnan(x) || std::isnan(y))  // no direction to keep
        return Quor_Vector2(0.0f, 1.0f);
    Quor_Vector2 s;
    if (std::isinf(big)) {
        // Only the infinite components give the direction.
        s.Set(std::isinf(x) ? std::copysign(1.0f, x) : 0.0f, std::isinf(y) ? std::copysign(1.0f, y) : 0.0f);
    } else {
        // Dividing by the larger component first keeps tiny and huge vectors from
        // underflowing or overflowing in the squares.
        s.Set(x / big, y / big);
    }
    return s / s.Mag();
}

void Quor_Vector2::Rotate(float angle)
{
    float c = std::cos(angle);
    float s = std::sin(angle);
    float nx = c * x - s * y;
    float ny = s * x + c * y;
    x = nx;
    y = ny;
}
