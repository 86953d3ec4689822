// Tests of the row renderer: blended rows and PSD layer rows against a literal per-pixel
// reference, and small scenes against pictures that were looked at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "app/core/CropFit.h"
#include "app/core/PanomerDoc.h"
#include "app/core/PanoramaSampler.h"
#include "app/core/PhotoMapping.h"
#include "tests/support/GoldenImage.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/math/Quor_Math.h"
#include "toolkit/math/Quor_Round.h"

namespace {

constexpr float kPi = ProjectionMap::kPi;
const uint32_t kBackground = Quor_PixelConvert::Pack(220, 220, 220, 0);

// Fills photo `index` of the document in memory (no file): a flat colour, or a gradient whose
// every pixel differs, so that a sample taken in the wrong place shows.
void SetPhoto(PanomerDoc* doc, int index, int width, int height, float yaw, float pitch, float roll,
              uint32_t colour, bool gradient = false)
{
    ASSERT_EQ(doc->fPhotoImage[index].Initialize(width, height, 32), QUOR_OK);
    for (int y = 0; y < height; y++) {
        uint32_t* row = doc->fPhotoImage[index].Image().Row32(y);
        for (int x = 0; x < width; x++)
            row[x] = gradient ? Quor_PixelConvert::Pack(x * 255 / width, y * 255 / height, (x + y) % 256) : colour;
    }
    doc->fYaw[index] = yaw;
    doc->fPitch[index] = pitch;
    doc->fRoll[index] = roll;
    doc->fBrightness[index] = 1.0f;
    if (doc->fNumPhotos <= index)
        doc->fNumPhotos = index + 1;
}

// The pixel as the renderer is meant to compute it, written out step by step with the vector
// rotations, trigonometry per photo and all: the blended pixel over the grey background, or with
// `layer` set, that photo's own sample over transparent black.
uint32_t ReferencePixel(const PanomerDoc& doc, const ProjectionMap& map, int x, int y, int layer = -1)
{
    const float ramp = 32.0f;
    uint32_t p = layer < 0 ? kBackground : 0;
    float lon, lat;
    map.PointToAngles(Quor_Point(x, y), lon, lat);
    if (!(lon >= -kPi && lon <= kPi && lat >= -kPi / 2 && lat <= kPi / 2))
        return p;
    Quor_Vector3 d(0, 0, -1);
    d.Rotate(0, lat);
    d.Rotate(1, lon);
    const float a = static_cast<float>(2.0 * std::atan2(12.0, static_cast<double>(doc.fFocalLength)));
    for (int i = layer < 0 ? 0 : layer; i < (layer < 0 ? doc.fNumPhotos : layer + 1); i++) {
        const Quor_BaseImage& photo = doc.fPhotoImage[i];
        const float w = static_cast<float>(photo.Width()), h = static_cast<float>(photo.Height());
        const float dist = (std::min(w, h) * 0.5f) / std::tan(a * 0.5f);
        const float r = doc.fProjectionType == 2 ? doc.fRoll[i] - kPi / 2 : doc.fRoll[i];
        Quor_Vector3 q = d;
        q.Rotate(1, -doc.fYaw[i]);
        q.Rotate(0, -doc.fPitch[i]);
        q.Rotate(2, -r);
        if (q.z >= 0)
            continue;
        const float s = -dist / q.z;
        const float tx = w / 2 + s * q.x, ty = h / 2 - s * q.y;
        if (!(tx >= 0 && tx < w && ty >= 0 && ty < h))
            continue;
        const uint32_t c = Quor_ImageOps::SampleImage(&photo.Image(), tx, ty);
        if ((p & 255) == 0) {
            p = c;
            continue;
        }
        float weight = static_cast<float>(c & 255) / 255.0f;
        if (tx < ramp)
            weight *= Quor_Math::Slerp(tx / ramp, 0, 1);
        if (tx > w - ramp)
            weight *= Quor_Math::Slerp((tx - (w - ramp)) / ramp, 1, 0);
        if (ty < ramp)
            weight *= Quor_Math::Slerp(ty / ramp, 0, 1);
        if (ty > h - ramp)
            weight *= Quor_Math::Slerp((ty - (h - ramp)) / ramp, 1, 0);
        if (weight < 0.999999f) {
            Quor_ImageOps::TintPixel32(&p, rgb_color{static_cast<uint8_t>(Quor_PixelConvert::Red(c)),
                                                     static_cast<uint8_t>(Quor_PixelConvert::Green(c)),
                                                     static_cast<uint8_t>(Quor_PixelConvert::Blue(c)),
                                                     static_cast<uint8_t>(Quor_RoundClamp(weight * 255, 0, 255))});
        } else {
            p = c;
        }
    }
    return p;
}

int ChannelDistance(uint32_t a, uint32_t b)
{
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8)
        worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255)));
    return worst;
}

// The per-row and per-column shortcuts, the precomputed rotations, a wrong roll, pitch or yaw
// sign, a lost feather or background, or a layer that shows other photos would each change
// pixels: every type, with photos placed at random, must give the blended rows and each photo's
// layer rows of the literal per-pixel computation. A small scene of asymmetric photos in types 1
// to 3 must also match pictures that were looked at (a mirror or a wrong quarter turn in the
// vertical spherical type shows at once).
TEST(PanoramaSampler, RowsMatchTheLiteralMappingAndTheReferencePictures)
{
    const unsigned seed = 99;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> angle(-1.0f, 1.0f);
    // Scenes 0 to 4 place photos at random; 5 to 9 also across the seam at yaw +-pi, at the poles
    // and wider than a hemisphere, where a photo's reach along a row is hardest to bound; 10 to 12
    // are the looked-at scenes.
    for (int scene = 0; scene < 13; scene++) {
        const bool golden = scene >= 10, extreme = scene >= 5 && !golden;
        const int type = golden ? scene - 9 : scene % 5;
        PanomerDoc doc(golden ? 20.0f : extreme ? 6.0f : 24.0f);
        doc.fProjectionType = type;
        PanomerDoc::DefaultCrop(type, doc.fCrop);
        if (golden) {
            SetPhoto(&doc, 0, 120, 90, 0.0f, 0.0f, 0.0f, 0, true);
            SetPhoto(&doc, 1, 120, 90, 0.9f, 0.3f, 0.4f, Quor_PixelConvert::Pack(40, 160, 60));
            SetPhoto(&doc, 2, 60, 90, -0.7f, -0.4f, 0.0f, Quor_PixelConvert::Pack(200, 60, 160));
        }
        for (int i = 0; i < 4 && !golden; i++) {
            float yaw = angle(random) * (type == 4 ? 0.5f : 2.0f), pitch = angle(random) * 0.6f;
            if (extreme && i == 0)
                yaw = 3.1f;
            if (extreme && i == 1)
                pitch = 1.45f * (angle(random) > 0 ? 1 : -1);
            if (extreme && i == 2)
                yaw = -3.05f, pitch = -1.3f;
            SetPhoto(&doc, i, 90 + 10 * i, 70, yaw, pitch, angle(random), 0, true);
        }
        const int width = golden ? 192 : 160;
        const int height = CropFit::HeightForWidth(doc, width);
        ProjectionMap map(type, width, height);
        CropFit::Fit(map, doc.fCrop);
        PanoramaSampler sampler;
        ASSERT_EQ(sampler.Setup(doc, map, PanoramaSampler::kRenderRamp), QUOR_OK);
        Quor_BaseImage picture;
        ASSERT_EQ(picture.Initialize(width, height, 32), QUOR_OK);
        std::vector<uint32_t> layerRow(width);
        int covered = 0;
        for (int y = 0; y < height; y++) {
            for (int layer = -1; layer < doc.fNumPhotos; layer++) {
                uint32_t* row = layer < 0 ? picture.Image().Row32(y) : layerRow.data();
                if (layer < 0)
                    sampler.RenderBlendedRow(y, row, kBackground);
                else
                    sampler.RenderLayerRow(layer, y, row);
                for (int x = 0; x < width; x++) {
                    ASSERT_LE(ChannelDistance(row[x], ReferencePixel(doc, map, x, y, layer)), 1)
                        << "scene " << scene << " layer " << layer << " pixel " << x << ", " << y;
                    covered += layer < 0 && row[x] != kBackground;
                }
            }
        }
        EXPECT_GT(covered, width * height / 20) << "scene " << scene;
        if (golden) {
            // The renderer leaves alpha as the photos had it; the reference is about colour.
            Quor_ImageOps::SetAlpha(&picture.Image(), 255);
            EXPECT_GOLDEN(picture.Image(), "tests/app/core/golden/scene_type" + std::to_string(type) + ".png", 0);
        }
    }
}

}  // namespace
