#include "app/core/PhotoMapping.h"

#include <algorithm>
#include <cmath>

#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/math/Quor_Math.h"
#include "toolkit/math/Quor_Round.h"

namespace {

constexpr float kPi = 3.14159265358979f;
// Weights at least this close to 1 copy the sample instead of blending it.
constexpr float kOpaqueWeight = 0.999999f;

}  // namespace

float PhotoMapping::CameraAngle(float focalLength)
{
    return static_cast<float>(2.0 * std::atan2(12.0, static_cast<double>(focalLength)));
}

float PhotoMapping::CameraDistance(int width, int height, float cameraAngle)
{
    const float shorter = static_cast<float>(std::min(width, height));
    return (shorter * 0.5f) / std::tan(cameraAngle * 0.5f);
}

float PhotoMapping::ProjectionRoll(float roll, int projectionType)
{
    return projectionType == 2 ? roll - kPi / 2 : roll;
}

void PhotoMapping::Set(const Quor_image& image, float yaw, float pitch, float roll, float cameraAngle,
                       int projectionType)
{
    fImage = image;
    fUsable = image.bits != nullptr && image.pixelBits == 32 && image.width > 0 && image.height > 0 &&
              image.rowBytes >= image.width * 4;
    const int w = fUsable ? image.width : 0;
    const int h = fUsable ? image.height : 0;
    fWidth = static_cast<float>(w);
    fHeight = static_cast<float>(h);
    fHalfWidth = fWidth / 2;
    fHalfHeight = fHeight / 2;
    fDistance = fUsable ? CameraDistance(w, h, cameraAngle) : 0.0f;
    const float r = ProjectionRoll(roll, projectionType);
    fCosYaw = std::cos(-yaw);
    fSinYaw = std::sin(-yaw);
    fCosPitch = std::cos(-pitch);
    fSinPitch = std::sin(-pitch);
    fCosRoll = std::cos(-r);
    fSinRoll = std::sin(-r);
    // A photo whose placement is not a number could only cover pixels by accident.
    if (!std::isfinite(fDistance) || !std::isfinite(fCosYaw) || !std::isfinite(fCosPitch) ||
        !std::isfinite(fCosRoll))
        fUsable = false;

    fAxis = ToWorld(Quor_Vector3(0.0f, 0.0f, -1.0f));
    // The corners lie furthest from the axis. A negative distance (a negative focal length) shows
    // the photo mirrored, within the same cone. The margin covers rounding in the callers' tests.
    const double halfDiagonal = std::sqrt(static_cast<double>(fWidth) * fWidth + static_cast<double>(fHeight) * fHeight) / 2;
    const double cone = std::atan2(halfDiagonal, std::fabs(static_cast<double>(fDistance))) + 1e-3;
    fConeCos = fUsable ? static_cast<float>(std::cos(std::min(cone, 3.14159265358979))) : 2.0f;
}

Quor_Vector3 PhotoMapping::ToWorld(Quor_Vector3 p) const
{
    // The stored values are of the negated angles: cos is even, sin odd.
    const float x1 = fCosRoll * p.x + fSinRoll * p.y;
    const float y1 = fCosRoll * p.y - fSinRoll * p.x;
    const float y2 = fCosPitch * y1 + fSinPitch * p.z;
    const float z2 = fCosPitch * p.z - fSinPitch * y1;
    const float x3 = fCosYaw * x1 - fSinYaw * z2;
    const float z3 = fCosYaw * z2 + fSinYaw * x1;
    return Quor_Vector3(x3, y2, z3);
}

uint32_t PhotoMapping::Sample(float tx, float ty) const
{
    // Away from the last row and column the four neighbours all exist: the same arithmetic as
    // Quor_ImageOps::SampleImage, without its clamping, which the render spends most of its time
    // in. Everything else (edges, positions outside) goes to SampleImage itself.
    if (!(tx >= 0.0f && ty >= 0.0f && tx < fWidth - 1.0f && ty < fHeight - 1.0f))
        return Quor_ImageOps::SampleImage(&fImage, tx, ty);
    const int x0 = static_cast<int>(tx), y0 = static_cast<int>(ty);
    const float fx = tx - static_cast<float>(x0), fy = ty - static_cast<float>(y0);
    const uint32_t* top = fImage.Row32(y0) + x0;
    const uint32_t* bottom = fImage.Row32(y0 + 1) + x0;
    const uint32_t p00 = top[0], p10 = top[1], p01 = bottom[0], p11 = bottom[1];
    uint32_t result = 0;
    for (int k = 0; k < 4; ++k) {
        const int shift = 8 * k;
        const float c00 = float((p00 >> shift) & 255), c10 = float((p10 >> shift) & 255);
        const float c01 = float((p01 >> shift) & 255), c11 = float((p11 >> shift) & 255);
        const float upper = c00 + (c10 - c00) * fx;
        const float lower = c01 + (c11 - c01) * fx;
        if (k == 0 && upper == 0.0f && (p01 & 255) == 0 && (p11 & 255) == 0)
            return 0;
        const float c = upper + (lower - upper) * fy;
        // c lies in [0, 255]; in double c + 0.5 is exact, so this rounds halves up like
        // SampleImage's rounding does for positive values.
        result |= static_cast<uint32_t>(static_cast<double>(c) + 0.5) << shift;
    }
    return result;
}

float PhotoMapping::EdgeWeight(float tx, float ty, float ramp) const
{
    float weight = 1.0f;
    if (tx < ramp)
        weight *= Quor_Math::Slerp(tx / ramp, 0.0f, 1.0f);
    if (tx > fWidth - ramp)
        weight *= Quor_Math::Slerp((tx - (fWidth - ramp)) / ramp, 1.0f, 0.0f);
    if (ty < ramp)
        weight *= Quor_Math::Slerp(ty / ramp, 0.0f, 1.0f);
    if (ty > fHeight - ramp)
        weight *= Quor_Math::Slerp((ty - (fHeight - ramp)) / ramp, 1.0f, 0.0f);
    return weight;
}

void PhotoMapping::Blend(uint32_t* pixel, uint32_t sample, float tx, float ty, float ramp) const
{
    if (Quor_PixelConvert::Alpha(*pixel) == 0) {
        *pixel = sample;
        return;
    }
    const float weight = static_cast<float>(Quor_PixelConvert::Alpha(sample)) / 255.0f * EdgeWeight(tx, ty, ramp);
    if (weight < kOpaqueWeight) {
        const rgb_color tint{static_cast<uint8_t>(Quor_PixelConvert::Red(sample)),
                             static_cast<uint8_t>(Quor_PixelConvert::Green(sample)),
                             static_cast<uint8_t>(Quor_PixelConvert::Blue(sample)),
                             static_cast<uint8_t>(Quor_RoundClamp(weight * 255.0f, 0, 255))};
        Quor_ImageOps::TintPixel32(pixel, tint);
    } else {
        *pixel = sample;
    }
}
