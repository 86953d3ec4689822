#include "app/ui/canvas/PhotoMesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "toolkit/imaging/raster/Quor_RasterMode.h"

namespace {

constexpr float kPi = ProjectionMap::kPi;
constexpr float kTwoPi = 2.0f * kPi;
constexpr float kCellSize = 0.05f;
// Rows stop after the one whose lower edge reaches this: accumulated steps of 0.05 land just
// above or below 1.
constexpr float kLastRowEnd = 0.99f;

// One mesh vertex: canvas position (normalized) and texture position; every other component 0.
void SetVertex(float* vertex, const Quor_Vector2& position, float u, float v)
{
    for (int i = 0; i < kVertexComponents; i++)
        vertex[i] = 0.0f;
    vertex[kVertexX] = position.x;
    vertex[kVertexY] = position.y;
    vertex[kVertexU] = u;
    vertex[kVertexV] = v;
}

// The two triangles of one mesh cell from its corners (top left, top right, bottom left, bottom
// right) and its texture span [ua, ub] x [va, vb].
void SetCell(Quor_poly* first, Quor_poly* second, const Quor_Vector2 position[4], float ua, float ub, float va,
             float vb)
{
    SetVertex(first->vertex[0], position[0], ua, va);
    SetVertex(first->vertex[1], position[1], ub, va);
    SetVertex(first->vertex[2], position[2], ua, vb);
    SetVertex(second->vertex[0], position[3], ub, vb);
    SetVertex(second->vertex[1], position[1], ub, va);
    SetVertex(second->vertex[2], position[2], ua, vb);
}

// The turns (0, then -2 pi and/or +2 pi) at which a cell whose corners lie at these unwrapped
// longitudes is drawn: a cell past the seam at one edge comes back in at the other.
// Maps one triangle and keeps it when it covers a row; false when out of memory.
bool Push(std::vector<Quor_MappedTriangle>* out, Quor_Raster* raster, Quor_poly* poly, Quor_MappedTriangle* triangle)
{
    if (!raster->MapTriangle(poly, triangle))
        return true;
    try {
        out->push_back(*triangle);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

int CellTurns(const ProjectionMap& map, const float lon[4], float turns[3])
{
    int count = 0;
    turns[count++] = 0.0f;
    if (!map.WrapsYaw())
        return count;
    const float low = std::min(std::min(lon[0], lon[1]), std::min(lon[2], lon[3]));
    const float high = std::max(std::max(lon[0], lon[1]), std::max(lon[2], lon[3]));
    if (high > kPi)
        turns[count++] = -kTwoPi;
    if (low < -kPi)
        turns[count++] = kTwoPi;
    return count;
}

}  // namespace

void PhotoMesh::CornerAngles(const PhotoMapping& photo, float u, float v, float* lon, float* lat)
{
    const Quor_image& image = photo.Image();
    const Quor_Vector3 local((u - 0.5f) * static_cast<float>(image.width - 1),
                             (0.5f - v) * static_cast<float>(image.height - 1), -photo.Distance());
    const Quor_Vector3 p = photo.ToWorld(local);
    const double x = p.x, y = p.y, z = p.z;
    *lon = static_cast<float>(std::atan2(-x, -z));
    *lat = static_cast<float>(std::atan2(y, std::sqrt(x * x + z * z)));
}

float PhotoMesh::UnwrapAgainst(float lon, float previous)
{
    if (lon >= previous + kPi)
        return lon - kTwoPi;
    if (lon <= previous - kPi)
        return lon + kTwoPi;
    return lon;
}

float PhotoMesh::UnwrapAgainstYaw(float lon, float yaw)
{
    if (yaw > kPi / 2 && lon < 0.0f)
        return lon + kTwoPi;
    if (yaw < -kPi / 2 && lon > 0.0f)
        return lon - kTwoPi;
    return lon;
}

void PhotoMesh::Draw(Quor_Raster* raster, const ProjectionMap& map, const PhotoMapping& photo, float yaw, int mode)
{
    if (raster == nullptr || !photo.IsUsable())
        return;
    raster->SetTexture(&photo.Image());

    Quor_poly first, second;
    first.mode = second.mode = mode;
    first.count = second.count = 3;
    float va = 0.0f;
    for (;;) {
        const float vb = va + kCellSize;
        float ua = 0.0f;
        for (int column = 0; column < kCells; column++) {
            const float ub = ua + kCellSize;
            // The corners in chain order: each is unwrapped against the one before it.
            const float us[4] = {ua, ub, ua, ub};
            const float vs[4] = {va, va, vb, vb};
            float lons[4];
            float lats[4];
            float previous = 0.0f;
            for (int k = 0; k < 4; k++) {
                CornerAngles(photo, us[k], vs[k], &lons[k], &lats[k]);
                lons[k] = k == 0 ? UnwrapAgainstYaw(lons[k], yaw) : UnwrapAgainst(lons[k], previous);
                previous = lons[k];
            }
            float turns[3];
            const int turnCount = CellTurns(map, lons, turns);
            for (int t = 0; t < turnCount; t++) {
                Quor_Vector2 position[4];
                for (int k = 0; k < 4; k++)
                    map.AnglesToPoint(lons[k] + turns[t], lats[k], position[k]);
                // Drawing converts a polygon in place, so both triangles are filled in before
                // either is drawn.
                SetCell(&first, &second, position, ua, ub, va, vb);
                raster->DrawPoly(&first);
                raster->DrawPoly(&second);
            }
            ua = ub;
        }
        if (vb >= kLastRowEnd)
            break;
        va = vb;
    }
}

bool PhotoMesh::Map(Quor_Raster* raster, const ProjectionMap& map, const PhotoMapping& photo, float yaw,
                    std::vector<Quor_MappedTriangle>* out)
{
    out->clear();
    if (raster == nullptr || !photo.IsUsable())
        return true;
    raster->SetTexture(&photo.Image());

    // The texture positions of the corners, accumulated as Draw accumulates them.
    constexpr int kSide = kCells + 1;
    float us[kSide], vs[kSide];
    int rows = 0;
    us[0] = vs[0] = 0.0f;
    for (int i = 0; i < kCells; i++)
        us[i + 1] = us[i] + kCellSize;
    for (;;) {
        vs[rows + 1] = vs[rows] + kCellSize;
        rows++;
        if (vs[rows] >= kLastRowEnd || rows == kCells)
            break;
    }
    // Every corner's direction and its position before unwrapping, once.
    struct Corner {
        float lon, lat;
        Quor_Vector2 position;
    };
    Corner corners[kSide * kSide];
    for (int r = 0; r <= rows; r++)
        for (int c = 0; c < kSide; c++) {
            Corner& corner = corners[r * kSide + c];
            CornerAngles(photo, us[c], vs[r], &corner.lon, &corner.lat);
            map.AnglesToPoint(corner.lon, corner.lat, corner.position);
        }
    try {
        out->reserve(size_t(2 * rows * kCells));
    } catch (const std::bad_alloc&) {
        return false;
    }

    Quor_poly first, second;
    first.mode = second.mode = kRasterTextureCopy;
    first.count = second.count = 3;
    Quor_MappedTriangle triangle;
    for (int r = 0; r < rows; r++) {
        const float va = vs[r], vb = vs[r + 1];
        for (int column = 0; column < kCells; column++) {
            const float ua = us[column], ub = us[column + 1];
            const Corner* chain[4] = {&corners[r * kSide + column], &corners[r * kSide + column + 1],
                                      &corners[(r + 1) * kSide + column], &corners[(r + 1) * kSide + column + 1]};
            float lons[4];
            float previous = 0.0f;
            for (int k = 0; k < 4; k++) {
                const float raw = chain[k]->lon;
                lons[k] = k == 0 ? UnwrapAgainstYaw(raw, yaw) : UnwrapAgainst(raw, previous);
                previous = lons[k];
            }
            float turns[3];
            const int turnCount = CellTurns(map, lons, turns);
            for (int t = 0; t < turnCount; t++) {
                Quor_Vector2 position[4];
                for (int k = 0; k < 4; k++) {
                    const float lon = lons[k] + turns[t];
                    if (std::memcmp(&lon, &chain[k]->lon, sizeof lon) == 0)
                        position[k] = chain[k]->position;
                    else
                        map.AnglesToPoint(lon, chain[k]->lat, position[k]);
                }
                SetCell(&first, &second, position, ua, ub, va, vb);
                // Cells past the seam add at most two copies; growing for them is the rare case.
                if (!Push(out, raster, &first, &triangle) || !Push(out, raster, &second, &triangle))
                    return false;
            }
        }
    }
    return true;
}
