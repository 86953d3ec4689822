#include "app/core/PhotoMapping.h"

#include <algorithm>
#include <cmath>

#include "toolkit/imaging/ops/Quor_BilinearSampler.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/math/Quor_Math.h"
#include "toolkit/math/Quor_Round.h"

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
    return projectionType == 2 ? roll - float(Quor_Math::kPi) / 2 : roll;
}

void PhotoMapping::Set(const Quor_image& image, float yaw, float pitch, float roll, float cameraAngle,
                       int projectionType)
{
    fImage = image;
    fRows = nullptr;
    fOpaque = false;
    fUsable = image.IsUsable32();
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
    fConeCos = fUsable ? static_cast<float>(std::cos(std::min(cone, Quor_Math::kPi))) : 2.0f;
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
    // SampleImage's arithmetic, inlined: the render spends most of its time here.
    if (!fImage.IsUsable32())
        return 0;
    if (fRows != nullptr)
        return Quor_BilinearSampler::AtRows(fRows, fImage.width, fImage.height, tx, ty);
    return Quor_BilinearSampler(fImage).At(tx, ty);
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
