// An integer rectangle whose four edges all belong to it: left == right is one pixel wide.
// Frames, clip regions and dirty areas of every view and image operation use it.
#pragma once

#include <cstdint>

#include "toolkit/math/Quor_Point.h"

struct Quor_Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    // The default rectangle is the single pixel at the origin.
    constexpr Quor_Rect() = default;
    constexpr Quor_Rect(int32_t l, int32_t t, int32_t r, int32_t b) : left(l), top(t), right(r), bottom(b) {}

    constexpr void Set(int32_t l, int32_t t, int32_t r, int32_t b) { left = l; top = t; right = r; bottom = b; }

    // Swaps reversed edges so that left <= right and top <= bottom.
    constexpr void Normalize()
    {
        if (left > right) { int32_t t = left; left = right; right = t; }
        if (top > bottom) { int32_t t = top; top = bottom; bottom = t; }
    }

    // Inclusive sizes (right - left + 1); negative for reversed rectangles, saturated to the
    // 32-bit range for rectangles that span more than it.
    constexpr int32_t Width() const { return Span(left, right); }
    constexpr int32_t Height() const { return Span(top, bottom); }

    constexpr Quor_Point LeftTop() const { return Quor_Point(left, top); }
    constexpr Quor_Point RightTop() const { return Quor_Point(right, top); }
    constexpr Quor_Point LeftBottom() const { return Quor_Point(left, bottom); }
    constexpr Quor_Point RightBottom() const { return Quor_Point(right, bottom); }
    constexpr Quor_Point Size() const { return Quor_Point(Width(), Height()); }

    constexpr bool Contains(const Quor_Point& p) const
    {
        return left <= p.x && p.x <= right && top <= p.y && p.y <= bottom;
    }

    // Moves the edges inwards by (dx, dy); negative values grow the rectangle.
    // Like Quor_Point, edge arithmetic wraps around at the ends of the 32-bit range.
    constexpr void InsetBy(int32_t dx, int32_t dy)
    {
        left = Quor_Point::Wrap(left, dx);
        top = Quor_Point::Wrap(top, dy);
        right = Quor_Point::Wrap(right, -static_cast<int64_t>(dx));
        bottom = Quor_Point::Wrap(bottom, -static_cast<int64_t>(dy));
    }

    constexpr void OffsetBy(int32_t dx, int32_t dy)
    {
        left = Quor_Point::Wrap(left, dx);
        right = Quor_Point::Wrap(right, dx);
        top = Quor_Point::Wrap(top, dy);
        bottom = Quor_Point::Wrap(bottom, dy);
    }

    // Moves the rectangle so that its left-top corner is (x, y), keeping its extent.
    constexpr void OffsetTo(int32_t x, int32_t y)
    {
        OffsetBy(static_cast<int32_t>(static_cast<uint32_t>(x) - static_cast<uint32_t>(left)),
                 static_cast<int32_t>(static_cast<uint32_t>(y) - static_cast<uint32_t>(top)));
    }

    // Grows to the union with r (fields taken as they stand).
    constexpr void Accumulate(const Quor_Rect& r)
    {
        if (r.left < left) left = r.left;
        if (r.top < top) top = r.top;
        if (r.right > right) right = r.right;
        if (r.bottom > bottom) bottom = r.bottom;
    }

    // Grows so that p lies inside.
    constexpr void Accumulate(const Quor_Point& p)
    {
        if (p.x < left) left = p.x;
        if (p.y < top) top = p.y;
        if (p.x > right) right = p.x;
        if (p.y > bottom) bottom = p.y;
    }

    constexpr bool operator==(const Quor_Rect& r) const
    {
        return left == r.left && top == r.top && right == r.right && bottom == r.bottom;
    }
    constexpr bool operator!=(const Quor_Rect& r) const { return !(*this == r); }

    // Normalises r, then clips it to this rectangle. Returns false, leaving r normalised but
    // otherwise unchanged, when r does not overlap this rectangle.
    bool Clip(Quor_Rect& r) const;

    // True when r overlaps this rectangle; r itself is left alone.
    bool Intersects(const Quor_Rect& r) const
    {
        Quor_Rect copy(r);
        return Clip(copy);
    }

    // Clips the segment a-b against the edges (left, right, top, bottom in that order), moving
    // endpoints onto them with the other coordinate interpolated and rounded half away from
    // zero. Returns false when the segment lies wholly outside.
    bool Clip(Quor_Point& a, Quor_Point& b) const;

    // The same on float coordinates without rounding; the edges are the integer ones, so the
    // right edge is at x = right. A segment with a NaN coordinate is reported as outside.
    bool Clip(float& x1, float& y1, float& x2, float& y2) const;

private:
    static constexpr int32_t Span(int32_t lo, int32_t hi)
    {
        int64_t s = static_cast<int64_t>(hi) - lo + 1;
        if (s > INT32_MAX) return INT32_MAX;
        if (s < INT32_MIN) return INT32_MIN;
        return static_cast<int32_t>(s);
    }
};
