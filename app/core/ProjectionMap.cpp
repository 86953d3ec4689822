#include "app/core/ProjectionMap.h"

#include <cmath>

#include "toolkit/math/Quor_Round.h"

// Directions on the sphere are seen from inside: yaw 0, pitch 0 looks along -z, positive yaw
// turns to the left and positive pitch up, so a direction is
//   D = (-sin(yaw) cos(pitch), sin(pitch), -cos(yaw) cos(pitch)).
// Every type maps D (or the angles) to a projected position; the offset is added and the sum
// scaled by the zoom. Arctangents are taken in double precision and stored as floats; the rest
// is single precision, so that the canvas, the renderers and the stored crops agree to the bit.

namespace {

// Perspective positions are scaled down so that about 140 degrees fit the canvas height.
constexpr float kPerspectiveScale = 2.75f;
// Beyond this radius a fisheye position is taken to be outside the disc.
constexpr float kFisheyeRadius = 0.99f;

float Atan2(float y, float x)
{
    return static_cast<float>(std::atan2(static_cast<double>(y), static_cast<double>(x)));
}

}  // namespace

ProjectionMap::ProjectionMap(int type, int canvasWidth, int canvasHeight)
{
    SetProjectionType(type);
    SetCanvasSize(canvasWidth, canvasHeight);
}

void ProjectionMap::SetProjectionType(int type)
{
    if (type >= kPerspective && type <= kFlat)
        fType = type;
}

void ProjectionMap::SetZoom(float zoom)
{
    if (std::isfinite(zoom) && zoom > 0.0f)
        fZoom = zoom;
}

void ProjectionMap::SetCanvasSize(int width, int height)
{
    fWidth = width > 0 ? width : 0;
    fHeight = height > 0 ? height : 0;
}

float ProjectionMap::Aspect() const
{
    // Without a canvas the horizontal spherical type still needs a finite scale.
    if (fWidth <= 0 || fHeight <= 0)
        return 1.0f;
    return static_cast<float>(fWidth) / static_cast<float>(fHeight);
}

Quor_Vector2 ProjectionMap::Project(float yaw, float pitch) const
{
    switch (fType) {
    case kPerspective: {
        yaw = Quor_Clamp(yaw, -kPerspectiveLimit, kPerspectiveLimit);
        pitch = Quor_Clamp(pitch, -kPerspectiveLimit, kPerspectiveLimit);
        const float cosPitch = std::cos(pitch);
        const float dx = -std::sin(yaw) * cosPitch;
        const float dy = std::sin(pitch);
        const float dz = -std::cos(yaw) * cosPitch;
        // Onto the plane z = -1, then scaled.
        const float scale = -1.0f / dz;
        return Quor_Vector2(dx * scale / kPerspectiveScale, dy * scale / kPerspectiveScale);
    }
    case kHorizontalSpherical: {
        const float a = Aspect();
        return Quor_Vector2(-a * yaw / kPi, a * 0.5f * pitch / (kPi / 2));
    }
    case kVerticalSpherical:
        return Quor_Vector2(-0.5f * pitch / (kPi / 2), -yaw / kPi);
    case kFisheye: {
        // An orthographic view of the front hemisphere: a disc of radius 1.
        yaw = Quor_Clamp(yaw, -kFisheyeLimit, kFisheyeLimit);
        pitch = Quor_Clamp(pitch, -kFisheyeLimit, kFisheyeLimit);
        return Quor_Vector2(-std::sin(yaw) * std::cos(pitch), std::sin(pitch));
    }
    default:
        return Quor_Vector2(yaw, pitch);
    }
}

void ProjectionMap::Unproject(Quor_Vector2 p, float& yaw, float& pitch) const
{
    switch (fType) {
    case kPerspective: {
        const float x = kPerspectiveScale * p.x;
        const float y = kPerspectiveScale * p.y;
        yaw = Atan2(-x, 1.0f);
        pitch = Atan2(y, std::sqrt(x * x + 1.0f));
        break;
    }
    case kHorizontalSpherical: {
        const float a = Aspect();
        yaw = -kPi * p.x / a;
        pitch = (2.0f * p.y) * (kPi / 2) / a;
        break;
    }
    case kVerticalSpherical:
        yaw = -kPi * p.y;
        pitch = -2.0f * p.x * (kPi / 2);
        break;
    case kFisheye: {
        const float r = std::sqrt(p.x * p.x + p.y * p.y);
        if (!(r <= kFisheyeRadius)) {
            yaw = 2.0f * kPi;
            pitch = kPi;
            break;
        }
        const float z = std::sqrt(1.0f - r * r);
        yaw = Atan2(-p.x, z);
        pitch = Atan2(p.y, std::sqrt(p.x * p.x + z * z));
        break;
    }
    default:
        yaw = p.x;
        pitch = p.y;
        break;
    }
}

void ProjectionMap::AnglesToPoint(float yaw, float pitch, Quor_Vector2& out) const
{
    out = (Project(yaw, pitch) + fOffset) * fZoom;
}

void ProjectionMap::AnglesToPoint(float yaw, float pitch, Quor_Point& out) const
{
    Quor_Vector2 v;
    AnglesToPoint(yaw, pitch, v);
    const float w = static_cast<float>(fWidth);
    const float h = static_cast<float>(fHeight);
    out.x = Quor_RoundToInt((h * v.x + w) * 0.5f);
    out.y = Quor_RoundToInt((h - v.y * h) * 0.5f);
}

void ProjectionMap::PointToAngles(Quor_Vector2 p, float& yaw, float& pitch) const
{
    Unproject(p / fZoom - fOffset, yaw, pitch);
}

float ProjectionMap::NormalizedX(int x) const
{
    const float w = static_cast<float>(fWidth);
    const float h = static_cast<float>(fHeight);
    return (2.0f * static_cast<float>(x) / w - 1.0f) * (w / h);
}

float ProjectionMap::NormalizedY(int y) const
{
    return -2.0f * static_cast<float>(y) / static_cast<float>(fHeight) + 1.0f;
}

void ProjectionMap::PointToAngles(Quor_Point p, float& yaw, float& pitch) const
{
    if (fWidth <= 0 || fHeight <= 0) {
        yaw = 2.0f * kPi;
        pitch = kPi;
        return;
    }
    PointToAngles(Quor_Vector2(NormalizedX(p.x), NormalizedY(p.y)), yaw, pitch);
}

float ProjectionMap::KeepYaw(float yaw) const
{
    if (!WrapsYaw() || !std::isfinite(yaw))
        return Quor_Clamp(yaw, -kPi, kPi);
    return Quor_Clamp(std::remainder(yaw, 2.0f * kPi), -kPi, kPi);
}
