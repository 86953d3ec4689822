#include "tools/examplegen/EquirectSource.h"

#include <cmath>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/math/Quor_Round.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Channel k (0 alpha, 1 red, 2 green, 3 blue) of a packed pixel.
inline double Channel(uint32_t pixel, int k)
{
    return double((pixel >> (8 * k)) & 255u);
}

}  // namespace

EquirectSource::EquirectSource(const Quor_image& image)
    : fImage(image),
      fUsable(image.bits != nullptr && image.pixelBits == 32 && image.width > 0 && image.height > 0)
{
}

void EquirectSource::Position(double yaw, double pitch, double* column, double* row) const
{
    *column = fImage.width * 0.5 * (1.0 - yaw / kPi);
    *row = fImage.height * 0.5 * (1.0 - pitch / (kPi * 0.5));
}

uint32_t EquirectSource::Sample(double yaw, double pitch) const
{
    if (!fUsable)
        return 0;
    double column, row;
    Position(yaw, pitch, &column, &row);
    const int64_t width = fImage.width, height = fImage.height;

    // Longitude wraps: column W is column 0 again.
    const double columnFloor = std::floor(column);
    const double fx = std::isfinite(column) ? column - columnFloor : 0.0;
    int64_t x0 = Quor_FloorToInt(column) % width;
    if (x0 < 0)
        x0 += width;
    const int64_t x1 = x0 + 1 == width ? 0 : x0 + 1;

    // Latitude stops at the poles: rows outside the image repeat the edge rows.
    const double rowFloor = std::floor(row);
    const double fy = std::isfinite(row) ? row - rowFloor : 0.0;
    int64_t y0 = Quor_FloorToInt(row);
    int64_t y1 = y0 + 1;
    y0 = y0 < 0 ? 0 : (y0 >= height ? height - 1 : y0);
    y1 = y1 < 0 ? 0 : (y1 >= height ? height - 1 : y1);

    const uint32_t* top = fImage.Row32(int32_t(y0));
    const uint32_t* bottom = fImage.Row32(int32_t(y1));
    const uint32_t p00 = top[x0], p10 = top[x1], p01 = bottom[x0], p11 = bottom[x1];
    uint32_t out = 0;
    for (int k = 0; k < 4; k++) {
        const double upper = Channel(p00, k) + (Channel(p10, k) - Channel(p00, k)) * fx;
        const double lower = Channel(p01, k) + (Channel(p11, k) - Channel(p01, k)) * fx;
        const double value = upper + (lower - upper) * fy;
        out |= uint32_t(Quor_RoundClamp(value, 0, 255)) << (8 * k);
    }
    return out;
}

int EquirectSource::Cut(const PhotoFrame& frame, Quor_BaseImage* photo) const
{
    if (!fUsable)
        return QUOR_ERR_NO_IMAGE;
    if (photo == nullptr)
        return QUOR_ERR_ARGUMENT;
    const int result = photo->Initialize(frame.Width(), frame.Height(), 32);
    if (result != QUOR_OK)
        return result;
    const Quor_image& out = photo->Image();
    for (int32_t ty = 0; ty < out.height; ty++) {
        uint32_t* row = out.Row32(ty);
        for (int32_t tx = 0; tx < out.width; tx++) {
            double yaw, pitch;
            PhotoFrame::ToAngles(frame.Direction(tx, ty), &yaw, &pitch);
            row[tx] = Sample(yaw, pitch);
        }
    }
    return QUOR_OK;
}
