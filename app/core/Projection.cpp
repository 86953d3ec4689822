#include "app/core/Projection.h"

#include <cstdint>
#include <utility>

#include "app/core/PanomerDoc.h"
#include "toolkit/imaging/Quor_ColorOps.h"

bool gHorizonGuide = false;

namespace {

constexpr float kPi = ProjectionMap::kPi;
// Crop lines reach this far beyond the crop's corners, so that each can be grabbed on its own.
constexpr float kOvershoot = 16.0f;
// The outline of the perspective type: 70 degrees each way.
constexpr float kPerspectiveBound = 1.2217306f;
const rgb_color kGuideColor{220, 60, 0, 255};

// The rectangle between the pixel positions of the four edge directions, edges in any order.
Quor_Rect EdgesRect(const ProjectionMap& map, float yawLeft, float yawRight, float pitchTop, float pitchBottom)
{
    Quor_Point left, right, top, bottom;
    map.AnglesToPoint(yawLeft, 0, left);
    map.AnglesToPoint(yawRight, 0, right);
    map.AnglesToPoint(0, pitchTop, top);
    map.AnglesToPoint(0, pitchBottom, bottom);
    Quor_Rect r(left.x, top.y, right.x, bottom.y);
    r.Normalize();
    return r;
}

int32_t Middle(int32_t a, int32_t b)
{
    return static_cast<int32_t>((static_cast<int64_t>(a) + b) / 2);
}

}  // namespace

Projection::~Projection() = default;

ProjectionMap Projection::Map() const
{
    ProjectionMap map = fMap;
    map.SetCanvasSize(Width(), Height());
    return map;
}

void Projection::DrawPanomerBounds(const PanomerDoc* doc)
{
    if (Image() == nullptr || doc == nullptr)
        return;
    const ProjectionMap map = Map();
    const int type = map.ProjectionType();

    SetPenWidth(1);
    SetColor(Quor_ColorOps::BoxOutline);
    Quor_Rect outline;
    switch (type) {
    case ProjectionMap::kPerspective:
        outline = EdgesRect(map, kPerspectiveBound, -kPerspectiveBound, kPerspectiveBound, -kPerspectiveBound);
        FrameRect(outline);
        break;
    case ProjectionMap::kFlat:
        outline = EdgesRect(map, 1, -1, 1, -1);
        FrameRect(outline);
        break;
    case ProjectionMap::kFisheye: {
        outline = EdgesRect(map, kPi / 2, -kPi / 2, kPi / 2, -kPi / 2);
        // The disc is the one curve here; it alone is smoothed.
        const bool smoothing = Smoothing();
        const float tolerance = BezierTolerance();
        SetBezierTolerance(3.0f);
        SetSmoothing(true);
        FrameOval(outline);
        SetSmoothing(smoothing);
        SetBezierTolerance(tolerance);
        break;
    }
    default: {
        Quor_Point a, b;
        map.AnglesToPoint(kPi, kPi / 2, a);
        map.AnglesToPoint(-kPi, -kPi / 2, b);
        outline = Quor_Rect(a.x, a.y, b.x, b.y);
        outline.Normalize();
        FrameRect(outline);
        break;
    }
    }

    SetColor(kGuideColor);
    if (gHorizonGuide) {
        if (type == ProjectionMap::kVerticalSpherical) {
            const float x = static_cast<float>(Middle(outline.left, outline.right));
            VLine(static_cast<float>(outline.top), static_cast<float>(outline.bottom), x);
        } else {
            const float y = static_cast<float>(Middle(outline.top, outline.bottom));
            HLine(static_cast<float>(outline.left), static_cast<float>(outline.right), y);
        }
    }

    // The crop lines: yaw limits across and pitch limits down the canvas, the other way round in
    // the vertical spherical type, where yaw runs down.
    const float* crop = doc->fCrop;
    const auto across = [&map](float yaw, float pitch) {
        Quor_Point p;
        map.AnglesToPoint(yaw, pitch, p);
        return static_cast<float>(p.x);
    };
    const auto down = [&map](float yaw, float pitch) {
        Quor_Point p;
        map.AnglesToPoint(yaw, pitch, p);
        return static_cast<float>(p.y);
    };
    const bool vertical = type == ProjectionMap::kVerticalSpherical;
    float left = vertical ? across(0, crop[2]) : across(crop[0], 0);
    float top = vertical ? down(crop[1], 0) : down(0, crop[2]);
    float right = vertical ? across(0, crop[3]) : across(crop[1], 0);
    float bottom = vertical ? down(crop[0], 0) : down(0, crop[3]);
    // The flat type shows larger yaws to the right: order the edges so the overshoot always
    // points outwards.
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    HLine(left - kOvershoot, right + kOvershoot, top);
    HLine(left - kOvershoot, right + kOvershoot, bottom);
    VLine(top - kOvershoot, bottom + kOvershoot, left);
    VLine(top - kOvershoot, bottom + kOvershoot, right);
}
