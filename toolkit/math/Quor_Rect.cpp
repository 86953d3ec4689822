#include "toolkit/math/Quor_Rect.h"

#include <cmath>

#include "toolkit/math/Quor_Round.h"

bool Quor_Rect::Clip(Quor_Rect& r) const
{
    r.Normalize();
    if (r.left > right || r.top > bottom || r.right < left || r.bottom < top)
        return false;
    if (r.left < left) r.left = left;
    if (r.top < top) r.top = top;
    else if (r.top > bottom) r.top = bottom;
    if (r.right < left) r.right = left;
    else if (r.right > right) r.right = right;
    if (r.bottom < top) r.bottom = top;
    else if (r.bottom > bottom) r.bottom = bottom;
    return true;
}

namespace {

// The coordinate at which the segment from (u0, v0) to (u1, v1) crosses u = edge, where u0 and
// u1 lie on different sides. Differences are taken exactly in 64 bits (they can exceed the
// 32-bit range) before the interpolation runs in float.
int32_t CrossAt(int32_t u0, int32_t v0, int32_t u1, int32_t v1, int32_t edge)
{
    float dv = static_cast<float>(static_cast<int64_t>(v0) - v1);
    float du = static_cast<float>(static_cast<int64_t>(u0) - u1);
    float along = static_cast<float>(static_cast<int64_t>(edge) - u1);
    float v = static_cast<float>(v1) + dv / du * along;
    return Quor_RoundToInt(v);
}

}  // namespace

bool Quor_Rect::Clip(Quor_Point& a, Quor_Point& b) const
{
    // Left edge.
    if (a.x >= left && b.x < left) {
        b.y = CrossAt(a.x, a.y, b.x, b.y, left);
        b.x = left;
    } else if (a.x < left && b.x >= left) {
        a.y = CrossAt(b.x, b.y, a.x, a.y, left);
        a.x = left;
    }
    // Right edge.
    if (a.x > right && b.x <= right) {
        a.y = CrossAt(b.x, b.y, a.x, a.y, right);
        a.x = right;
    } else if (a.x <= right && b.x > right) {
        b.y = CrossAt(a.x, a.y, b.x, b.y, right);
        b.x = right;
    }
    // Top edge.
    if (a.y >= top && b.y < top) {
        b.x = CrossAt(a.y, a.x, b.y, b.x, top);
        b.y = top;
    } else if (a.y < top && b.y >= top) {
        a.x = CrossAt(b.y, b.x, a.y, a.x, top);
        a.y = top;
    }
    // Bottom edge.
    if (a.y <= bottom && b.y > bottom) {
        b.x = CrossAt(a.y, a.x, b.y, b.x, bottom);
        b.y = bottom;
    } else if (a.y > bottom && b.y <= bottom) {
        a.x = CrossAt(b.y, b.x, a.y, a.x, bottom);
        a.y = bottom;
    }
    if ((a.x < left && b.x < left) || (a.y < top && b.y < top) || (a.x > right && b.x > right) ||
        (a.y > bottom && b.y > bottom))
        return false;
    return true;
}

bool Quor_Rect::Clip(float& x1, float& y1, float& x2, float& y2) const
{
    if (std::isnan(x1) || std::isnan(y1) || std::isnan(x2) || std::isnan(y2))
        return false;
    const float l = static_cast<float>(left);
    const float t = static_cast<float>(top);
    const float r = static_cast<float>(right);
    const float b = static_cast<float>(bottom);

    // Moves (u1, v1), which lies beyond u = edge while (u0, v0) does not, onto the edge.
    auto cross = [](float u0, float v0, float& u1, float& v1, float edge) {
        v1 = v1 + (v0 - v1) / (u0 - u1) * (edge - u1);
        u1 = edge;
    };
    if (x1 >= l && x2 < l) cross(x1, y1, x2, y2, l);
    else if (x1 < l && x2 >= l) cross(x2, y2, x1, y1, l);
    if (x1 > r && x2 <= r) cross(x2, y2, x1, y1, r);
    else if (x1 <= r && x2 > r) cross(x1, y1, x2, y2, r);
    if (y1 >= t && y2 < t) cross(y1, x1, y2, x2, t);
    else if (y1 < t && y2 >= t) cross(y2, x2, y1, x1, t);
    if (y1 <= b && y2 > b) cross(y1, x1, y2, x2, b);
    else if (y1 > b && y2 <= b) cross(y2, x2, y1, x1, b);

    // Infinite endpoints can leave NaN behind; such a segment cannot be drawn.
    if (std::isnan(x1) || std::isnan(y1) || std::isnan(x2) || std::isnan(y2))
        return false;
    if ((x1 < l && x2 < l) || (y1 < t && y2 < t) || (x1 > r && x2 > r) || (y1 > b && y2 > b))
        return false;
    return true;
}
