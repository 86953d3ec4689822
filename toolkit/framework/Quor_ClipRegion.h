// A clip region as a list of disjoint rectangles, as the drawing context needs it: set to one
// rectangle, then narrowed by cutting rectangles out (each cut splits a piece into at most four
// bands) or by intersecting with one. A rectangle whose right edge lies left of its left edge (or
// bottom above top) is empty here, never turned round.
#pragma once

#include <vector>

#include "toolkit/math/Quor_Rect.h"

class Quor_ClipRegion {
public:
    void Set(const Quor_Rect& r);
    void MakeEmpty() { fRects.clear(); }
    // Removes r from the region.
    void Exclude(const Quor_Rect& r);
    // Keeps only the part inside r.
    void Intersect(const Quor_Rect& r);

    bool IsEmpty() const { return fRects.empty(); }
    const std::vector<Quor_Rect>& Rects() const { return fRects; }
    bool Contains(const Quor_Point& p) const;

private:
    std::vector<Quor_Rect> fRects;
};
