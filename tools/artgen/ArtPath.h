// Outlines for the generated artwork, in picture pixels with y downwards: circles, rounded
// rectangles, arcs, strokes with round ends and arrow heads, and moving them.
#pragma once

#include <vector>

#include "tools/artgen/ArtCanvas.h"

class ArtPath {
public:
    // Angles are radians, counted counter-clockwise as seen on the screen from the positive x
    // axis: angle pi/2 points up.
    static Quor_Vector2 Polar(Quor_Vector2 centre, float radius, float angle);

    static ArtContour Rect(float left, float top, float right, float bottom);
    static ArtContour RoundedRect(float left, float top, float right, float bottom, float radius);
    static ArtContour Ellipse(Quor_Vector2 centre, float rx, float ry);
    static ArtContour Circle(Quor_Vector2 centre, float radius) { return Ellipse(centre, radius, radius); }
    // The points of an arc from angle a0 to a1 (either direction), ends included.
    static ArtContour Arc(Quor_Vector2 centre, float radius, float a0, float a1);
    // The closed outline of a band along an arc, `width` wide, with square ends.
    static ArtContour ArcBand(Quor_Vector2 centre, float radius, float width, float a0, float a1);
    // The outline of a straight stroke from a to b with round ends.
    static ArtContour Capsule(Quor_Vector2 a, Quor_Vector2 b, float width);
    // A triangle with its tip at `tip`, pointing along `direction` (any length), `length` long
    // and `width` wide at its base.
    static ArtContour ArrowHead(Quor_Vector2 tip, Quor_Vector2 direction, float length, float width);
    // Points of the cubic Bezier curve from p0 to p3, p0 excluded.
    static void AppendBezier(ArtContour* line, Quor_Vector2 p0, Quor_Vector2 p1, Quor_Vector2 p2, Quor_Vector2 p3);

    static ArtContour Moved(ArtContour c, float dx, float dy);
    static std::vector<ArtContour> Moved(std::vector<ArtContour> c, float dx, float dy);
};
