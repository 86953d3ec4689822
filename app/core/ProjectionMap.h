// The mapping between panorama angles and canvas positions for the five projection types, with a
// zoom and an offset on top. A small value with no drawing: the canvas, the renderers and the
// tests use it directly; Projection hands out one for its attached image.
#pragma once

#include "toolkit/math/Quor_Math.h"
#include "toolkit/math/Quor_Point.h"
#include "toolkit/math/Quor_Vector2.h"

class ProjectionMap {
public:
    // The projection types, as the document stores them.
    enum { kPerspective = 0, kHorizontalSpherical = 1, kVerticalSpherical = 2, kFisheye = 3, kFlat = 4 };

    // Pi in the float arithmetic of the mapping.
    static constexpr float kPi = float(Quor_Math::kPi);
    // Perspective shows at most this far from the view axis (pi/2 - 0.1), fisheye at most a hemisphere.
    static constexpr float kPerspectiveLimit = 1.4707963f;
    static constexpr float kFisheyeLimit = 1.5707954f;

    ProjectionMap() = default;
    ProjectionMap(int type, int canvasWidth, int canvasHeight);

    // A type outside 0..4 is ignored, so the mapping is always one of the five.
    void SetProjectionType(int type);
    int ProjectionType() const { return fType; }
    // A zoom that is not a finite positive number is ignored: every later inverse divides by it.
    void SetZoom(float zoom);
    float Zoom() const { return fZoom; }
    void SetOffset(Quor_Vector2 offset) { fOffset = offset; }
    Quor_Vector2 Offset() const { return fOffset; }
    // The canvas in pixels. The horizontal spherical type scales with its aspect, and the pixel
    // forms convert with it.
    void SetCanvasSize(int width, int height);
    int CanvasWidth() const { return fWidth; }
    int CanvasHeight() const { return fHeight; }

    // Normalized canvas position of a direction: origin at the canvas centre, one unit is half the
    // canvas height, y up.
    void AnglesToPoint(float yaw, float pitch, Quor_Vector2& out) const;
    // The same in pixels, rounded half away from zero (saturating for points far off the canvas).
    void AnglesToPoint(float yaw, float pitch, Quor_Point& out) const;
    // The inverse. A position that shows no direction (outside the fisheye disc, or without a
    // canvas) gives yaw 2 pi, pitch pi, which no caller takes for a direction.
    void PointToAngles(Quor_Vector2 p, float& yaw, float& pitch) const;
    // From a pixel, without a half-pixel centre offset.
    void PointToAngles(Quor_Point p, float& yaw, float& pitch) const;

    // Pixel x to normalized x and pixel y to normalized y, as PointToAngles(Quor_Point) converts.
    float NormalizedX(int x) const;
    float NormalizedY(int y) const;

    // True when the pair is a direction on the sphere: yaw in [-pi, pi], pitch in [-pi/2, pi/2],
    // neither of them NaN.
    static bool IsDirection(float yaw, float pitch)
    {
        return yaw >= -kPi && yaw <= kPi && pitch >= -kPi / 2 && pitch <= kPi / 2;
    }

    // True when yaw depends only on one canvas axis and pitch only on the other, so that a
    // renderer may work the angles out once per row and once per column.
    bool IsSeparable() const { return fType == kHorizontalSpherical || fType == kVerticalSpherical || fType == kFlat; }
    // True when longitude runs straight along one canvas axis, so that +-pi are the two edges of
    // one seam: what leaves the panorama at one edge comes back at the other.
    bool WrapsYaw() const { return IsSeparable(); }
    // Where longitude wraps, a yaw carried past the seam comes back in at the other edge, kept
    // within -pi..pi; elsewhere it stops at the seam.
    float KeepYaw(float yaw) const;

    // The projected position before the offset and the zoom.
    Quor_Vector2 Project(float yaw, float pitch) const;
    // The inverse of Project, for a position with the offset and the zoom already taken off.
    void Unproject(Quor_Vector2 p, float& yaw, float& pitch) const;

private:
    float Aspect() const;

    int fType = kHorizontalSpherical;
    float fZoom = 1.0f;
    Quor_Vector2 fOffset;
    int fWidth = 0;
    int fHeight = 0;
};
