#include "app/core/CropFit.h"

#include <cmath>
#include <cstring>

#include "app/core/PanomerDoc.h"
#include "toolkit/math/Quor_Round.h"

namespace {

bool PositiveFinite(float v)
{
    return std::isfinite(v) && v > 0.0f;
}

}  // namespace

bool CropFit::ProjectedExtents(int type, const float crop[4], float* across, float* down)
{
    for (int i = 0; i < 4; i++) {
        if (!std::isfinite(crop[i]))
            return false;
    }
    // Extents do not depend on the canvas: the horizontal spherical type scales both axes by the
    // canvas aspect alike.
    const ProjectionMap map(type, 0, 0);
    float a, d;
    if (map.ProjectionType() == ProjectionMap::kVerticalSpherical) {
        a = map.Project(0, crop[3]).x - map.Project(0, crop[2]).x;
        d = map.Project(crop[1], 0).y - map.Project(crop[0], 0).y;
    } else {
        // Larger yaws lie further left, except in the flat type, which shows the angles as they are.
        a = map.Project(crop[1], 0).x - map.Project(crop[0], 0).x;
        if (map.ProjectionType() == ProjectionMap::kFlat)
            a = -a;
        d = map.Project(0, crop[2]).y - map.Project(0, crop[3]).y;
    }
    if (across)
        *across = a;
    if (down)
        *down = d;
    return PositiveFinite(a) && PositiveFinite(d) && PositiveFinite(a / d);
}

bool CropFit::UsableCrop(int type, const float crop[4], float out[4])
{
    float across, down;
    if (ProjectedExtents(type, crop, &across, &down)) {
        std::memcpy(out, crop, 4 * sizeof(float));
        return true;
    }
    if (!PanomerDoc::DefaultCrop(type, out))
        PanomerDoc::DefaultCrop(PanomerDoc::kHorizontalSpherical, out);
    return false;
}

void CropFit::Fit(ProjectionMap& map, const float crop[4])
{
    float c[4];
    UsableCrop(map.ProjectionType(), crop, c);
    // Positions of the bare projection: the offset and zoom are what is being worked out.
    Quor_Vector2 offset;
    Quor_Vector2 top, bottom;
    if (map.ProjectionType() == ProjectionMap::kVerticalSpherical) {
        offset.x = -(map.Project(0, c[2]).x + map.Project(0, c[3]).x) / 2;
        top = map.Project(c[1], 0);
        bottom = map.Project(c[0], 0);
    } else {
        offset.x = -(map.Project(c[0], 0).x + map.Project(c[1], 0).x) / 2;
        top = map.Project(0, c[2]);
        bottom = map.Project(0, c[3]);
    }
    offset.y = -(top.y + bottom.y) / 2;
    map.SetOffset(offset);
    map.SetZoom(2 / (top.y - bottom.y));
}

float CropFit::Aspect(int type, const float crop[4])
{
    float c[4];
    UsableCrop(type, crop, c);
    float aspect;
    switch (type) {
    case ProjectionMap::kHorizontalSpherical:
    case ProjectionMap::kVerticalSpherical:
    case ProjectionMap::kFlat:
        // Linear in the angles: the projected proportions are those of the angles themselves.
        aspect = (c[0] - c[1]) / (c[2] - c[3]);
        break;
    default: {
        float across = 1.0f, down = 1.0f;
        ProjectedExtents(type, c, &across, &down);
        aspect = across / down;
        break;
    }
    }
    if (PositiveFinite(aspect))
        return aspect;
    // Only crops at the very ends of the float range get here (their angular difference overflows).
    if (!PanomerDoc::DefaultCrop(type, c))
        return 2.0f;
    return type == ProjectionMap::kPerspective || type == ProjectionMap::kFisheye ? 1.0f : (c[0] - c[1]) / (c[2] - c[3]);
}

int CropFit::HeightForWidth(int type, const float crop[4], int width)
{
    const float aspect = Aspect(type, crop);
    const float w = static_cast<float>(width);
    return Quor_RoundToInt(type == ProjectionMap::kVerticalSpherical ? w * aspect : w / aspect);
}

int CropFit::WidthForHeight(int type, const float crop[4], int height)
{
    const float aspect = Aspect(type, crop);
    const float h = static_cast<float>(height);
    return Quor_RoundToInt(type == ProjectionMap::kVerticalSpherical ? h / aspect : h * aspect);
}

bool CropFit::RatioMatches(int type, const float crop[4], int width, int height)
{
    if (width <= 0 || height <= 0)
        return false;
    const float aspect = Aspect(type, crop);
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    const float ratio = type == ProjectionMap::kVerticalSpherical ? h / w : w / h;
    return std::fabs(ratio - aspect) <= 0.1f;
}

float CropFit::Aspect(const PanomerDoc& doc)
{
    return Aspect(doc.fProjectionType, doc.fCrop);
}

int CropFit::HeightForWidth(const PanomerDoc& doc, int width)
{
    return HeightForWidth(doc.fProjectionType, doc.fCrop, width);
}
