// The seven tool cursors of the editing view, 16 x 16: white shapes in a black outline, every
// pixel opaque black, opaque white or clear, because a host cursor has nothing in between.
#pragma once

#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/math/Quor_Point.h"

class CursorArt {
public:
    enum class Kind { kMove, kRotate, kBrighten, kUpDown, kLeftRight, kPan, kZoom };
    static constexpr int kSize = 16;

    // 0, or the result code of the image allocation.
    static int Draw(Kind kind, Quor_BaseImage* out);
    // Where the pointer acts: the tip of the arrow for the photo tools, which carry their sign
    // beside an arrow, and the middle for the others.
    static Quor_Point HotSpot(Kind kind);
};
