// An axis-aligned float bounding box that grows point by point, for meshes and projected photos.
// A cleared box spans from +1,000,000 down to -1,000,000, which is its working range.
#pragma once

#include "toolkit/math/Quor_Vector2.h"
#include "toolkit/math/Quor_Vector3.h"

struct Quor_BBox {
    float min[3];
    float max[3];
    bool empty;

    Quor_BBox() { Clear(); }

    void Clear()
    {
        for (int i = 0; i < 3; i++) {
            min[i] = 1000000.0f;
            max[i] = -1000000.0f;
        }
        empty = true;
    }

    bool IsEmpty() const { return empty; }

    void AccumulatePoint(const Quor_Vector3& p)
    {
        for (int i = 0; i < 3; i++) {
            if (p[i] < min[i]) min[i] = p[i];
            if (p[i] > max[i]) max[i] = p[i];
        }
        empty = false;
    }

    // Only the x and y ranges grow; z is left as it is.
    void AccumulatePoint(const Quor_Vector2& p)
    {
        if (p.x < min[0]) min[0] = p.x;
        if (p.x > max[0]) max[0] = p.x;
        if (p.y < min[1]) min[1] = p.y;
        if (p.y > max[1]) max[1] = p.y;
        empty = false;
    }
};
