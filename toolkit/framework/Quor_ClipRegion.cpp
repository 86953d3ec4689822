#include "toolkit/framework/Quor_ClipRegion.h"

void Quor_ClipRegion::Set(const Quor_Rect& r)
{
    fRects.clear();
    if (r.right >= r.left && r.bottom >= r.top)
        fRects.push_back(r);
}

void Quor_ClipRegion::Exclude(const Quor_Rect& cut)
{
    const Quor_Rect& c = cut;
    if (c.right < c.left || c.bottom < c.top)
        return;
    std::vector<Quor_Rect> kept;
    kept.reserve(fRects.size() + 4);
    for (const Quor_Rect& r : fRects) {
        Quor_Rect overlap(c);
        if (!r.Clip(overlap)) {
            kept.push_back(r);
            continue;
        }
        // The bands above and below span the piece's full width; those left and right of the
        // cut only the rows of the overlap.
        if (overlap.top > r.top)
            kept.push_back(Quor_Rect(r.left, r.top, r.right, overlap.top - 1));
        if (overlap.bottom < r.bottom)
            kept.push_back(Quor_Rect(r.left, overlap.bottom + 1, r.right, r.bottom));
        if (overlap.left > r.left)
            kept.push_back(Quor_Rect(r.left, overlap.top, overlap.left - 1, overlap.bottom));
        if (overlap.right < r.right)
            kept.push_back(Quor_Rect(overlap.right + 1, overlap.top, r.right, overlap.bottom));
    }
    fRects.swap(kept);
}

void Quor_ClipRegion::Intersect(const Quor_Rect& r)
{
    if (r.right < r.left || r.bottom < r.top) {
        fRects.clear();
        return;
    }
    std::vector<Quor_Rect> kept;
    kept.reserve(fRects.size());
    for (const Quor_Rect& piece : fRects) {
        Quor_Rect p(piece);
        if (r.Clip(p))
            kept.push_back(p);
    }
    fRects.swap(kept);
}

bool Quor_ClipRegion::Contains(const Quor_Point& p) const
{
    for (const Quor_Rect& r : fRects) {
        if (r.Contains(p))
            return true;
    }
    return false;
}
