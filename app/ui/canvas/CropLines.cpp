#include "app/ui/canvas/CropLines.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "toolkit/math/Quor_Round.h"

namespace {

constexpr float kPi = ProjectionMap::kPi;

bool Within(int32_t a, int32_t b)
{
    return std::llabs(static_cast<long long>(a) - b) <= CropLines::kReach;
}

}  // namespace

int CropLines::CropIndex(int line)
{
    static const int kIndex[4] = {0, 2, 1, 3};
    return line >= 0 && line < 4 ? kIndex[line] : -1;
}

int CropLines::Pick(const ProjectionMap& map, const float crop[4], Quor_Point where)
{
    Quor_Point at[4];
    map.AnglesToPoint(crop[0], 0.0f, at[0]);
    map.AnglesToPoint(0.0f, crop[2], at[1]);
    map.AnglesToPoint(crop[1], 0.0f, at[2]);
    map.AnglesToPoint(0.0f, crop[3], at[3]);
    // Longitude lines (0 and 2) stand across x and latitude lines (1 and 3) across y, in that
    // order. Vertical spherical turns the canvas: longitude runs down it, and line 1 comes first.
    const bool vertical = map.ProjectionType() == ProjectionMap::kVerticalSpherical;
    for (int i = 0; i < 4; ++i) {
        const int line = vertical ? (i + 1) % 4 : i;
        const bool acrossX = (line % 2 == 0) != vertical;
        if (acrossX ? Within(at[line].x, where.x) : Within(at[line].y, where.y))
            return line;
    }
    return kNone;
}

void CropLines::Move(float crop[4], int line, float value, int projectionType)
{
    switch (line) {
    case 0:
        crop[0] = std::max(value, crop[1] + kGap);
        break;
    case 1:
        crop[2] = std::max(value, crop[3] + kGap);
        break;
    case 2:
        crop[1] = std::min(value, crop[0] - kGap);
        break;
    case 3:
        crop[3] = std::min(value, crop[2] - kGap);
        break;
    default:
        return;
    }
    float lon, lat;
    if (!Range(projectionType, &lon, &lat))
        return;
    crop[0] = Quor_Clamp(crop[0], -lon, lon);
    crop[1] = Quor_Clamp(crop[1], -lon, lon);
    crop[2] = Quor_Clamp(crop[2], -lat, lat);
    crop[3] = Quor_Clamp(crop[3], -lat, lat);
}

bool CropLines::Range(int projectionType, float* lon, float* lat)
{
    switch (projectionType) {
    case ProjectionMap::kPerspective:
        // 70 degrees each way.
        *lon = *lat = 1.2217306f;
        return true;
    case ProjectionMap::kHorizontalSpherical:
    case ProjectionMap::kVerticalSpherical:
        *lon = kPi;
        *lat = kPi / 2;
        return true;
    case ProjectionMap::kFisheye:
        *lon = *lat = kPi / 2;
        return true;
    case ProjectionMap::kFlat:
        *lon = *lat = 1.0f;
        return true;
    default:
        return false;
    }
}

CanvasCursor CropLines::Cursor(int line, int projectionType)
{
    if (line < 0 || line > 3)
        return CanvasCursor::kArrow;
    const bool longitude = line == 0 || line == 2;
    const bool vertical = projectionType == ProjectionMap::kVerticalSpherical;
    return longitude != vertical ? CanvasCursor::kLeftRight : CanvasCursor::kUpDown;
}
