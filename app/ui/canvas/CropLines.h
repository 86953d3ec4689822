// The document's four crop lines on the canvas: which line lies under a point, where a dragged
// line may go (short of its opposite line, within what the projection can show), and which
// cursor shows the way a line moves.
#pragma once

#include "app/core/ProjectionMap.h"
#include "app/ui/canvas/CanvasResponse.h"
#include "toolkit/math/Quor_Point.h"

class CropLines {
public:
    // Lines: 0 maximum longitude, 1 maximum latitude, 2 minimum longitude, 3 minimum latitude;
    // -1 none. The crop is stored as maximum yaw, minimum yaw, maximum pitch, minimum pitch.
    static constexpr int kNone = -1;
    // Opposite lines keep at least this many radians between them.
    static constexpr float kGap = 0.1f;
    // A line is under the pointer within this many pixels across it.
    static constexpr int kReach = 7;

    // The line under a view point; lines count as unbounded, and the first one found wins.
    static int Pick(const ProjectionMap& map, const float crop[4], Quor_Point where);
    // The slot of crop[] that a line sets.
    static int CropIndex(int line);
    // Sets the line's value, no closer than kGap to its opposite line, then brings all four
    // values into the range of the projection type.
    static void Move(float crop[4], int line, float value, int projectionType);
    // The longitude and latitude limits of a type's crop; false for a type without one.
    static bool Range(int projectionType, float* lon, float* lat);
    // Left-right over a line of longitude, up-down over one of latitude (swapped in the vertical
    // spherical type, where longitude runs down the canvas); the arrow over none.
    static CanvasCursor Cursor(int line, int projectionType);
};
