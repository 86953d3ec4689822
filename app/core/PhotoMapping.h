// Where one photo lies on the panorama sphere: the camera model, the photo's three rotations and
// the feathered blend of its pixels over what lies below. Set up once per photo, so that the
// per-pixel work is a few multiplications; the renderers and the canvas share it.
#pragma once

#include <cstdint>

#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/Quor_image.h"
#include "toolkit/imaging/ops/Quor_BilinearSampler.h"
#include "toolkit/math/Quor_Vector3.h"

class PhotoMapping {
public:
    // The angle that the shorter side of a photo spans: 2 atan2(12, F) for a 35 mm equivalent
    // focal length F, since the shorter side stands for the 24 mm height of the frame.
    static float CameraAngle(float focalLength);
    // The distance of a w x h photo from the eye, in its own pixels: (min(w, h) / 2) / tan(a / 2).
    static float CameraDistance(int width, int height, float cameraAngle);
    // The roll a photo is drawn with: the vertical spherical type shows every photo turned by a
    // further quarter turn.
    static float ProjectionRoll(float roll, int projectionType);

    PhotoMapping() = default;

    // image: the photo's pixels (32 bits), which must stay in place while the mapping is used.
    // An image without pixels, or of another depth, covers nothing.
    void Set(const Quor_image& image, float yaw, float pitch, float roll, float cameraAngle,
             int projectionType);

    // Rows of the photo held apart rather than in the image's one block (a photo decoded a few rows
    // at a time): rows[y] is row y for every row a sample reads. Null: the image's own rows.
    void SetRows(const uint32_t* const* rows) { fRows = rows; }

    // The rows a sample at photo row position ty (0 <= ty < height, as Locate gives) reads.
    static void SampledRows(float ty, int height, int* first, int* last)
    {
        *first = static_cast<int>(ty);
        *last = *first + 1 < height ? *first + 1 : height - 1;
    }

    // Marks the photo's pixels as all opaque (alpha 255), as the rows of a JPEG decode are.
    void SetOpaque(bool opaque) { fOpaque = opaque; }
    bool IsOpaque() const { return fOpaque; }
    // True when Blend at (tx, ty) replaces whatever lies below with the sample: the photo is
    // opaque and the point lies inside its feathered edges. Photos below such a point need not
    // be sampled there.
    bool Hides(float tx, float ty, float ramp) const
    {
        return fOpaque && (Inside(tx, ty, ramp) || EdgeWeight(tx, ty, ramp) >= kOpaqueWeight);
    }
    // True when (tx, ty) lies clear of the feathered edges, where EdgeWeight is exactly 1.
    bool Inside(float tx, float ty, float ramp) const
    {
        return !(tx < ramp) && !(tx > fWidth - ramp) && !(ty < ramp) && !(ty > fHeight - ramp);
    }

    // True when the photo can cover anything.
    bool IsUsable() const { return fUsable; }
    const Quor_image& Image() const { return fImage; }
    float Distance() const { return fDistance; }

    // Where the viewing direction d meets the photo: true with the photo position (tx, ty), in
    // pixels from its top-left corner, when 0 <= tx < w and 0 <= ty < h.
    bool Locate(const Quor_Vector3& d, float& tx, float& ty) const
    {
        // Into the photo's frame: turned by -yaw about y, -pitch about x and -roll about z.
        const float x1 = fCosYaw * d.x + fSinYaw * d.z;
        const float z1 = fCosYaw * d.z - fSinYaw * d.x;
        const float y2 = fCosPitch * d.y - fSinPitch * z1;
        const float z2 = fCosPitch * z1 + fSinPitch * d.y;
        // Directions behind the eye, and those parallel to the photo's plane, never meet it.
        if (!(z2 < 0.0f) || !fUsable)
            return false;
        const float x3 = fCosRoll * x1 - fSinRoll * y2;
        const float y3 = fCosRoll * y2 + fSinRoll * x1;
        const float s = -fDistance / z2;
        tx = fHalfWidth + s * x3;
        ty = fHalfHeight - s * y3;
        return tx >= 0.0f && tx < fWidth && ty >= 0.0f && ty < fHeight;
    }

    // Four lanes of floats, for mapping four columns of a row at once.
    typedef float Floats __attribute__((vector_size(16)));
    typedef int32_t Ints __attribute__((vector_size(16)));

    // Locate for four directions (dx, dy, dz) at once, with the same operations in the same
    // order in every lane: all ones in the lanes where Locate would be true.
    Ints Locate(Floats dx, Floats dy, Floats dz, Floats& tx, Floats& ty) const
    {
        const Floats x1 = fCosYaw * dx + fSinYaw * dz;
        const Floats z1 = fCosYaw * dz - fSinYaw * dx;
        const Floats y2 = fCosPitch * dy - fSinPitch * z1;
        const Floats z2 = fCosPitch * z1 + fSinPitch * dy;
        const Floats x3 = fCosRoll * x1 - fSinRoll * y2;
        const Floats y3 = fCosRoll * y2 + fSinRoll * x1;
        const Floats s = -fDistance / z2;
        tx = fHalfWidth + s * x3;
        ty = fHalfHeight - s * y3;
        if (!fUsable)
            return Ints{};
        return (z2 < 0.0f) & (tx >= 0.0f) & (tx < fWidth) & (ty >= 0.0f) & (ty < fHeight);
    }

    // A point of the photo's own frame (x right, y up, the photo at z = -distance) turned into the
    // panorama: by the roll about z, the pitch about x and the yaw about y.
    Quor_Vector3 ToWorld(Quor_Vector3 p) const;

    // The direction the photo's centre faces, and the cosine of the angle between it and the
    // photo's corners (a little wider): no direction further from the axis meets the photo, so a
    // renderer can skip whole stretches of the panorama for this photo.
    const Quor_Vector3& Axis() const { return fAxis; }
    float ConeCos() const { return fConeCos; }

    // The bilinear sample at (tx, ty), as Quor_ImageOps::SampleImage takes it.
    uint32_t Sample(float tx, float ty) const
    {
        // SampleImage's arithmetic, inlined: the render spends much of its time here.
        if (!fSampleable)
            return 0;
        if (fRows != nullptr)
            return Quor_BilinearSampler::AtRows(fRows, fImage.width, fImage.height, tx, ty);
        return Quor_BilinearSampler(fImage).At(tx, ty);
    }

    // The luminance of a packed pixel (blue << 24 | green << 16 | red << 8 | alpha), 0..255: what
    // photos are compared by where they overlap.
    static double Luminance(uint32_t pixel)
    {
        const double red = (pixel >> 8) & 0xFF;
        const double green = (pixel >> 16) & 0xFF;
        const double blue = (pixel >> 24) & 0xFF;
        return 0.299 * red + 0.587 * green + 0.114 * blue;
    }

    // How much of the photo shows at (tx, ty) when it is laid over other photos: 1 inside, easing
    // to 0 within `ramp` pixels of each edge.
    float EdgeWeight(float tx, float ty, float ramp) const;

    // Lays the photo's colour `sample`, taken at (tx, ty), over *pixel. A pixel with alpha 0 holds
    // nothing yet and takes the sample as it is; otherwise the sample fades in near the photo's
    // edges, weighted by its own alpha, through the alpha tables.
    void Blend(uint32_t* pixel, uint32_t sample, float tx, float ty, float ramp) const
    {
        // Nothing below, or an opaque sample clear of the edges (weight exactly 1): the sample
        // as it is.
        if (Quor_PixelConvert::Alpha(*pixel) == 0 || (Quor_PixelConvert::Alpha(sample) == 255 && Inside(tx, ty, ramp)))
            *pixel = sample;
        else
            BlendOver(pixel, sample, tx, ty, ramp);
    }

private:
    // Blend where the weight must be worked out.
    void BlendOver(uint32_t* pixel, uint32_t sample, float tx, float ty, float ramp) const;

    Quor_image fImage;
    // Weights at least this close to 1 copy the sample instead of blending it.
    static constexpr float kOpaqueWeight = 0.999999f;

    const uint32_t* const* fRows = nullptr;
    bool fSampleable = false;  // the image has 32-bit pixels to sample
    bool fOpaque = false;
    bool fUsable = false;
    float fWidth = 0.0f;
    float fHeight = 0.0f;
    float fHalfWidth = 0.0f;
    float fHalfHeight = 0.0f;
    float fDistance = 0.0f;
    // Cosines and sines of -yaw, -pitch and -roll: the turn from the panorama into the photo.
    float fCosYaw = 1.0f, fSinYaw = 0.0f;
    float fCosPitch = 1.0f, fSinPitch = 0.0f;
    float fCosRoll = 1.0f, fSinRoll = 0.0f;
    Quor_Vector3 fAxis{0.0f, 0.0f, -1.0f};
    float fConeCos = -1.0f;
};
