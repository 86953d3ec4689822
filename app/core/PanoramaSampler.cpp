#include "app/core/PanoramaSampler.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "toolkit/core/Quor_Status.h"

// Two ways through a row, with the same pixels as the result:
//  - Perspective and fisheye: per pixel, the direction is worked out once and every photo is
//    tried in index order.
//  - The spherical and flat types, whose yaw and pitch each depend on one axis only: the angle of
//    each column is worked out once per canvas and the row's angle once per row; the row starts
//    as background and each photo in index order is laid over just the columns its cone can
//    reach. A pixel still sees the photos in index order, so the blend is the same.

namespace {

constexpr float kPi = ProjectionMap::kPi;
constexpr double kTwoPi = 6.283185307179586;

bool YawInRange(float yaw)
{
    return yaw >= -kPi && yaw <= kPi;
}

bool PitchInRange(float pitch)
{
    return pitch >= -kPi / 2 && pitch <= kPi / 2;
}

// The viewing direction for yaw and pitch: (0, 0, -1) turned by the pitch about x, then by the
// yaw about y, written out.
Quor_Vector3 Direction(float sinYaw, float cosYaw, float sinPitch, float cosPitch)
{
    return Quor_Vector3(-(sinYaw * cosPitch), sinPitch, -(cosYaw * cosPitch));
}

}  // namespace

int PanoramaSampler::Setup(const PanomerDoc& doc, const ProjectionMap& map, float featherRamp)
{
    return Setup(doc, map, featherRamp, nullptr);
}

int PanoramaSampler::Setup(const PanomerDoc& doc, const ProjectionMap& map, float featherRamp, const PhotoPixels* pixels)
{
    fMap = map;
    fRamp = featherRamp > 0.0f ? featherRamp : kRenderRamp;
    const int width = map.CanvasWidth();
    if (width <= 0 || map.CanvasHeight() <= 0)
        return QUOR_ERR_ARGUMENT;

    const float cameraAngle = PhotoMapping::CameraAngle(doc.fFocalLength);
    fPhotoCount = doc.fNumPhotos < 0 ? 0 : (doc.fNumPhotos > kMaxPhotos ? kMaxPhotos : doc.fNumPhotos);
    fUsableCount = 0;
    fAnyOpaque = false;
    for (int i = 0; i < fPhotoCount; i++) {
        PhotoMapping& photo = fPhotos[i];
        const bool apart = pixels != nullptr && pixels[i].image.IsUsable32();
        photo.Set(apart ? pixels[i].image : doc.fPhotoImage[i].Image(), doc.fYaw[i], doc.fPitch[i], doc.fRoll[i],
                  cameraAngle, map.ProjectionType());
        if (apart) {
            photo.SetRows(pixels[i].rows);
            photo.SetOpaque(pixels[i].opaque);
        }
        if (!photo.IsUsable())
            continue;
        fUsable[fUsableCount++] = i;
        fAnyOpaque = fAnyOpaque || photo.IsOpaque();
        const Quor_Vector3& axis = photo.Axis();
        Cone& cone = fCones[i];
        cone.yaw = static_cast<float>(std::atan2(-static_cast<double>(axis.x), -static_cast<double>(axis.z)));
        const double pitch = std::atan2(static_cast<double>(axis.y), std::hypot(static_cast<double>(axis.x), static_cast<double>(axis.z)));
        cone.cosPitch = static_cast<float>(std::cos(pitch));
        cone.sinPitch = static_cast<float>(std::sin(pitch));
        cone.cos = photo.ConeCos();
    }

    fColumnAngle.reset();
    fColumnSin.reset();
    fColumnCos.reset();
    fColumnValid.reset();
    fColumnsMonotonic = false;
    if (!map.IsSeparable())
        return QUOR_OK;
    fColumnAngle.reset(new (std::nothrow) float[width]);
    fColumnSin.reset(new (std::nothrow) float[width]);
    fColumnCos.reset(new (std::nothrow) float[width]);
    fColumnValid.reset(new (std::nothrow) bool[width]);
    if (!fColumnAngle || !fColumnSin || !fColumnCos || !fColumnValid) {
        fColumnAngle.reset();
        return QUOR_ERR_MEMORY;
    }
    // The angle that depends on x is the same in every row: work it out once per column, exactly
    // as the per-pixel inverse would.
    const bool vertical = map.ProjectionType() == ProjectionMap::kVerticalSpherical;
    bool increasing = true, decreasing = true, finite = true;
    for (int x = 0; x < width; x++) {
        float yaw, pitch;
        fMap.PointToAngles(Quor_Point(x, 0), yaw, pitch);
        const float angle = vertical ? pitch : yaw;
        fColumnAngle[x] = angle;
        fColumnSin[x] = std::sin(angle);
        fColumnCos[x] = std::cos(angle);
        fColumnValid[x] = vertical ? PitchInRange(pitch) : YawInRange(yaw);
        finite = finite && std::isfinite(angle);
        if (x > 0) {
            increasing = increasing && angle >= fColumnAngle[x - 1];
            decreasing = decreasing && angle <= fColumnAngle[x - 1];
        }
    }
    fColumnsMonotonic = finite && (increasing || decreasing);
    fColumnsDecreasing = !increasing;
    return QUOR_OK;
}

bool PanoramaSampler::RowAngle(int y, float* angle, float* sin, float* cos) const
{
    float yaw, pitch;
    fMap.PointToAngles(Quor_Point(0, y), yaw, pitch);
    const bool vertical = fMap.ProjectionType() == ProjectionMap::kVerticalSpherical;
    *angle = vertical ? yaw : pitch;
    if (!(vertical ? YawInRange(yaw) : PitchInRange(pitch)))
        return false;
    *sin = std::sin(*angle);
    *cos = std::cos(*angle);
    return true;
}

template <typename Visit, typename Outside>
void PanoramaSampler::ForEachDirection(int y, Visit visit, Outside outside) const
{
    const int width = fMap.CanvasWidth();
    for (int x = 0; x < width; x++) {
        float yaw, pitch;
        fMap.PointToAngles(Quor_Point(x, y), yaw, pitch);
        if (!ProjectionMap::IsDirection(yaw, pitch)) {
            outside(x);
            continue;
        }
        visit(x, Direction(std::sin(yaw), std::cos(yaw), std::sin(pitch), std::cos(pitch)));
    }
}

bool PanoramaSampler::ColumnsBetween(double low, double high, int* first, int* last) const
{
    const int width = fMap.CanvasWidth();
    const float* begin = fColumnAngle.get();
    const float* end = begin + width;
    const float lo = static_cast<float>(low), hi = static_cast<float>(high);
    int a, b;
    if (fColumnsDecreasing) {
        a = static_cast<int>(std::lower_bound(begin, end, hi, [](float v, float key) { return v > key; }) - begin);
        b = static_cast<int>(std::upper_bound(begin, end, lo, [](float key, float v) { return key > v; }) - begin) - 1;
    } else {
        a = static_cast<int>(std::lower_bound(begin, end, lo) - begin);
        b = static_cast<int>(std::upper_bound(begin, end, hi) - begin) - 1;
    }
    if (a > b + 1)
        return false;
    *first = std::max(0, a - 1);
    *last = std::min(width - 1, b + 1);
    return *first <= *last;
}

int PanoramaSampler::ColumnSpans(int index, float rowAngle, int spans[][2]) const
{
    const Cone& cone = fCones[index];
    const int width = fMap.CanvasWidth();
    const bool vertical = fMap.ProjectionType() == ProjectionMap::kVerticalSpherical;
    auto wholeRow = [&] {
        spans[0][0] = 0;
        spans[0][1] = width - 1;
        return 1;
    };
    // The photo shows only in directions D with D . axis >= cone.cos. Along the row the column
    // angle a varies and D . axis = A cos(a) + B sin(a) + C for constants of the row.
    double centre, reach, low, high;
    if (vertical) {
        // The row fixes the yaw; the columns run along its meridian in pitch.
        const double a = static_cast<double>(cone.cosPitch) * std::cos(static_cast<double>(rowAngle) - cone.yaw);
        const double b = cone.sinPitch;
        const double r = std::hypot(a, b);
        if (r < 1e-6)
            return cone.cos <= 1e-5f ? wholeRow() : 0;
        const double t = cone.cos / r;
        if (t > 1.0)
            return 0;
        centre = std::atan2(b, a);
        reach = t <= -1.0 ? kTwoPi : std::acos(t);
        low = -kPi / 2;
        high = kPi / 2;
    } else {
        // The row fixes the pitch; the columns run around its circle of latitude in yaw.
        const double a = std::cos(static_cast<double>(rowAngle)) * cone.cosPitch;
        const double b = std::sin(static_cast<double>(rowAngle)) * cone.sinPitch;
        if (a < 1e-6)
            return b >= cone.cos - 1e-6 ? wholeRow() : 0;
        const double t = (cone.cos - b) / a;
        if (t > 1.0)
            return 0;
        centre = cone.yaw;
        reach = t <= -1.0 ? kTwoPi : std::acos(t);
        low = -kPi;
        high = kPi;
    }
    if (reach >= kPi)
        return wholeRow();
    // The interval may run past the end of the angle range and continue from the other end.
    int count = 0;
    for (double shift : {-kTwoPi, 0.0, kTwoPi}) {
        const double from = std::max(centre - reach + shift, low);
        const double to = std::min(centre + reach + shift, high);
        if (from <= to && count < 2 && ColumnsBetween(from, to, &spans[count][0], &spans[count][1]))
            count++;
    }
    return count;
}

template <typename Skip, typename Blend>
void PanoramaSampler::ForEachCoveredColumn(int index, float rowAngle, float rowSin, float rowCos, Skip skip,
                                           Blend blend) const
{
    const PhotoMapping& photo = fPhotos[index];
    int spans[2][2];
    int count = 1;
    spans[0][0] = 0;
    spans[0][1] = fMap.CanvasWidth() - 1;
    if (fColumnsMonotonic)
        count = ColumnSpans(index, rowAngle, spans);
    const bool vertical = fMap.ProjectionType() == ProjectionMap::kVerticalSpherical;
    for (int k = 0; k < count; k++) {
        for (int x = spans[k][0]; x <= spans[k][1]; x++) {
            if (!fColumnValid[x] || skip(x))
                continue;
            const Quor_Vector3 direction = vertical ? Direction(rowSin, rowCos, fColumnSin[x], fColumnCos[x])
                                                    : Direction(fColumnSin[x], fColumnCos[x], rowSin, rowCos);
            float tx, ty;
            if (photo.Locate(direction, tx, ty))
                blend(x, photo, tx, ty);
        }
    }
}

template <typename Visit>
void PanoramaSampler::ForEachBlendedSample(int y, uint32_t* row, uint32_t background, Visit visit) const
{
    const int width = fMap.CanvasWidth();
    if (row != nullptr)
        std::fill(row, row + width, background);
    if (!fColumnAngle) {
        ForEachDirection(
            y,
            [&](int x, const Quor_Vector3& direction) {
                if (!fAnyOpaque) {
                    for (int k = 0; k < fUsableCount; k++) {
                        const PhotoMapping& photo = fPhotos[fUsable[k]];
                        float tx, ty;
                        if (photo.Locate(direction, tx, ty))
                            visit(x, fUsable[k], photo, tx, ty);
                    }
                    return;
                }
                // From the top photo down to the first that hides the point; then the samples
                // go in photo order from there.
                bool hit[kMaxPhotos];
                float txs[kMaxPhotos], tys[kMaxPhotos];
                int from = 0;
                for (int k = fUsableCount - 1; k >= 0; k--) {
                    const PhotoMapping& photo = fPhotos[fUsable[k]];
                    hit[k] = photo.Locate(direction, txs[k], tys[k]);
                    if (hit[k] && photo.Hides(txs[k], tys[k], fRamp)) {
                        from = k;
                        break;
                    }
                }
                for (int k = from; k < fUsableCount; k++) {
                    if (hit[k])
                        visit(x, fUsable[k], fPhotos[fUsable[k]], txs[k], tys[k]);
                }
            },
            [](int) {});
        return;
    }
    float angle, sin, cos;
    if (!RowAngle(y, &angle, &sin, &cos))
        return;
    // For each column, the last photo that hides it (0: none but perhaps the first), found from
    // the top photo down, skipping the columns already hidden.
    constexpr int kMaxHiddenWidth = 32768;
    uint8_t from[kMaxHiddenWidth];
    const bool hiding = fAnyOpaque && width <= kMaxHiddenWidth;
    if (hiding) {
        std::fill(from, from + width, uint8_t(0));
        for (int k = fUsableCount - 1; k >= 1; k--) {
            if (!fPhotos[fUsable[k]].IsOpaque())
                continue;
            const uint8_t mark = static_cast<uint8_t>(k);
            ForEachCoveredColumn(
                fUsable[k], angle, sin, cos, [&](int x) { return from[x] != 0; },
                [&](int x, const PhotoMapping& photo, float tx, float ty) {
                    if (photo.Hides(tx, ty, fRamp))
                        from[x] = mark;
                });
        }
    }
    for (int k = 0; k < fUsableCount; k++) {
        const int index = fUsable[k];
        const auto visitPhoto = [&](int x, const PhotoMapping& photo, float tx, float ty) { visit(x, index, photo, tx, ty); };
        if (hiding)
            ForEachCoveredColumn(index, angle, sin, cos, [&](int x) { return k < from[x]; }, visitPhoto);
        else
            ForEachCoveredColumn(index, angle, sin, cos, [](int) { return false; }, visitPhoto);
    }
}

void PanoramaSampler::RenderBlendedRow(int y, uint32_t* row, uint32_t background) const
{
    ForEachBlendedSample(y, row, background, [&](int x, int, const PhotoMapping& photo, float tx, float ty) {
        photo.Blend(&row[x], photo.Sample(tx, ty), tx, ty, fRamp);
    });
}

void PanoramaSampler::AddSampledRows(int y, int* first, int* last) const
{
    ForEachBlendedSample(y, nullptr, 0, [&](int, int index, const PhotoMapping& photo, float, float ty) {
        int top, bottom;
        PhotoMapping::SampledRows(ty, photo.Image().height, &top, &bottom);
        first[index] = std::min(first[index], top);
        last[index] = std::max(last[index], bottom);
    });
}

void PanoramaSampler::RenderLayerRow(int photo, int y, uint32_t* row) const
{
    const int width = fMap.CanvasWidth();
    std::fill(row, row + width, 0u);
    if (photo < 0 || photo >= fPhotoCount || !fPhotos[photo].IsUsable())
        return;
    const PhotoMapping& mapping = fPhotos[photo];
    if (!fColumnAngle) {
        ForEachDirection(
            y,
            [&](int x, const Quor_Vector3& direction) {
                float tx, ty;
                if (mapping.Locate(direction, tx, ty))
                    row[x] = mapping.Sample(tx, ty);
            },
            [](int) {});
        return;
    }
    float angle, sin, cos;
    if (!RowAngle(y, &angle, &sin, &cos))
        return;
    ForEachCoveredColumn(photo, angle, sin, cos, [](int) { return false; },
                         [&](int x, const PhotoMapping& p, float tx, float ty) { row[x] = p.Sample(tx, ty); });
}
