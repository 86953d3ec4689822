// Tests of the row renderer: the pixel mapping against a literal per-pixel reference, the
// background, the feathered cover of later photos over earlier ones, and the layers of the PSD.
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
#include "toolkit/imaging/Quor_ImageOps.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
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
    ASSERT_EQ(doc->fPhotoImage[index].Initialize(width, height, 32), 0);
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
// rotations, trigonometry per photo and all.
uint32_t ReferencePixel(const PanomerDoc& doc, const ProjectionMap& map, int x, int y, float ramp)
{
    uint32_t p = kBackground;
    float lon, lat;
    map.PointToAngles(Quor_Point(x, y), lon, lat);
    if (!(lon >= -kPi && lon <= kPi && lat >= -kPi / 2 && lat <= kPi / 2))
        return p;
    Quor_Vector3 d(0, 0, -1);
    d.Rotate(0, lat);
    d.Rotate(1, lon);
    const float a = static_cast<float>(2.0 * std::atan2(12.0, static_cast<double>(doc.fFocalLength)));
    for (int i = 0; i < doc.fNumPhotos; i++) {
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

// The per-row and per-column shortcuts, the precomputed rotations or a wrong roll, pitch or yaw
// sign would each move samples: every type, with photos placed at random, must give the pixels
// of the literal per-pixel computation.
TEST(PanoramaSamplerTest, RowsMatchTheLiteralPerPixelMapping)
{
    const unsigned seed = 99;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> angle(-1.0f, 1.0f);
    // Ordinary placements; then photos across the seam at yaw +-pi, at the poles, and wider
    // than a hemisphere, where a photo's reach along a row is hardest to bound.
    for (int scene = 0; scene < 10; scene++) {
        const int type = scene % 5;
        const bool extreme = scene >= 5;
        PanomerDoc doc(extreme ? 6.0f : 24.0f);
        doc.fProjectionType = type;
        PanomerDoc::DefaultCrop(type, doc.fCrop);
        for (int i = 0; i < 4; i++) {
            float yaw = angle(random) * (type == 4 ? 0.5f : 2.0f), pitch = angle(random) * 0.6f;
            if (extreme && i == 0)
                yaw = 3.1f;
            if (extreme && i == 1)
                pitch = 1.45f * (angle(random) > 0 ? 1 : -1);
            if (extreme && i == 2)
                yaw = -3.05f, pitch = -1.3f;
            SetPhoto(&doc, i, 90 + 10 * i, 70, yaw, pitch, angle(random), 0, true);
        }
        const int width = 160;
        const int height = CropFit::HeightForWidth(doc, width);
        ProjectionMap map(type, width, height);
        CropFit::Fit(map, doc.fCrop);
        PanoramaSampler sampler;
        ASSERT_EQ(sampler.Setup(doc, map, PanoramaSampler::kRenderRamp), 0);
        std::vector<uint32_t> row(width);
        int covered = 0;
        for (int y = 0; y < height; y++) {
            sampler.RenderBlendedRow(y, row.data(), kBackground);
            for (int x = 0; x < width; x++) {
                const uint32_t expected = ReferencePixel(doc, map, x, y, PanoramaSampler::kRenderRamp);
                ASSERT_LE(ChannelDistance(row[x], expected), 1) << "type " << type << " pixel " << x << ", " << y;
                covered += row[x] != kBackground;
            }
        }
        EXPECT_GT(covered, width * height / 20) << "type " << type;
    }
}

// A later photo must hide an earlier one completely except near its own edges, and never show
// the background colour where any photo reaches; nothing but the background may show where none
// does. Flat colours make each case exact.
TEST(PanoramaSamplerTest, LaterPhotosCoverEarlierOnesExceptNearTheirEdges)
{
    PanomerDoc doc(35.0f);
    const uint32_t red = Quor_PixelConvert::Pack(255, 0, 0), blue = Quor_PixelConvert::Pack(0, 0, 255);
    SetPhoto(&doc, 0, 400, 300, 0.0f, 0.0f, 0.0f, red);
    SetPhoto(&doc, 1, 300, 200, 0.15f, 0.05f, 0.2f, blue);
    ProjectionMap map(ProjectionMap::kHorizontalSpherical, 1024, 512);
    CropFit::Fit(map, doc.fCrop);
    PanoramaSampler sampler;
    ASSERT_EQ(sampler.Setup(doc, map, PanoramaSampler::kRenderRamp), 0);

    std::vector<uint32_t> row(1024), layer(1024);
    int inside = 0, ramp = 0, outside = 0;
    for (int y = 0; y < 512; y++) {
        sampler.RenderBlendedRow(y, row.data(), kBackground);
        sampler.RenderLayerRow(1, y, layer.data());
        for (int x = 0; x < 1024; x++) {
            float lon, lat, tx0 = 0, ty0 = 0, tx1 = 0, ty1 = 0;
            map.PointToAngles(Quor_Point(x, y), lon, lat);
            Quor_Vector3 d(0, 0, -1);
            d.Rotate(0, lat);
            d.Rotate(1, lon);
            const bool under = sampler.Photo(0).Locate(d, tx0, ty0);
            const bool over = sampler.Photo(1).Locate(d, tx1, ty1);
            // The layer of photo 1 holds its own pixels and nothing else.
            ASSERT_EQ(layer[x], over ? blue : 0u) << x << ", " << y;
            if (!under && !over) {
                ASSERT_EQ(row[x], kBackground) << x << ", " << y;
                outside++;
            } else if (over && tx1 >= 32 && tx1 <= 268 && ty1 >= 32 && ty1 <= 168) {
                ASSERT_EQ(row[x], blue) << x << ", " << y;
                inside++;
            } else if (over && under && sampler.Photo(1).EdgeWeight(tx1, ty1, 32) > 0.05f &&
                       sampler.Photo(1).EdgeWeight(tx1, ty1, 32) < 0.95f) {
                // Within the ramp both colours show.
                ASSERT_GT(Quor_PixelConvert::Red(row[x]), 0u) << x << ", " << y;
                ASSERT_GT(Quor_PixelConvert::Blue(row[x]), 0u) << x << ", " << y;
                ramp++;
            } else if (under && !over) {
                ASSERT_EQ(row[x], red) << x << ", " << y;
            }
        }
    }
    EXPECT_GT(inside, 1000);
    EXPECT_GT(ramp, 200);
    EXPECT_GT(outside, 100000);
}

// A mirrored axis, a wrong quarter turn in the vertical spherical type or a lost feather shows at
// once in a picture: a small scene of asymmetric photos in each type, checked against references
// that were looked at.
TEST(PanoramaSamplerTest, SceneMatchesTheReferencePictures)
{
    for (int type : {1, 2, 3}) {
        PanomerDoc doc(20.0f);
        doc.fProjectionType = type;
        PanomerDoc::DefaultCrop(type, doc.fCrop);
        SetPhoto(&doc, 0, 120, 90, 0.0f, 0.0f, 0.0f, 0, true);
        SetPhoto(&doc, 1, 120, 90, 0.9f, 0.3f, 0.4f, Quor_PixelConvert::Pack(40, 160, 60));
        SetPhoto(&doc, 2, 60, 90, -0.7f, -0.4f, 0.0f, Quor_PixelConvert::Pack(200, 60, 160));
        const int width = 192;
        const int height = CropFit::HeightForWidth(doc, width);
        ProjectionMap map(type, width, height);
        CropFit::Fit(map, doc.fCrop);
        PanoramaSampler sampler;
        ASSERT_EQ(sampler.Setup(doc, map, PanoramaSampler::kRenderRamp), 0);
        Quor_BaseImage picture;
        ASSERT_EQ(picture.Initialize(width, height, 32), 0);
        for (int y = 0; y < height; y++)
            sampler.RenderBlendedRow(y, picture.Image().Row32(y), kBackground);
        // The renderer leaves alpha as the photos had it; the reference is about colour.
        Quor_ImageOps::SetAlpha(&picture.Image(), 255);
        const std::string golden = "tests/app/core/golden/scene_type" + std::to_string(type) + ".png";
        EXPECT_GOLDEN(picture.Image(), golden, 0);
    }
}

// A crop without extent from a file makes the fit's zoom infinite (0/0 on the way): the output
// came out one flat colour, through undefined conversions. The default crop stands in instead.
TEST(PanoramaSamplerTest, DegenerateCropsStillShowThePhotos)
{
    for (int type = 0; type <= 4; type++) {
        PanomerDoc doc(24.0f);
        doc.fProjectionType = type;
        SetPhoto(&doc, 0, 80, 60, 0.1f, 0.0f, 0.0f, 0, true);
        const float crop[4] = {0.3f, 0.3f, 0.2f, 0.2f};
        for (int i = 0; i < 4; i++)
            doc.fCrop[i] = crop[i];
        const int width = 64;
        const int height = CropFit::HeightForWidth(doc, width);
        ASSERT_TRUE(CropFit::IsValidSize(width, height)) << "type " << type;
        ProjectionMap map(type, width, height);
        CropFit::Fit(map, doc.fCrop);
        PanoramaSampler sampler;
        ASSERT_EQ(sampler.Setup(doc, map, PanoramaSampler::kRenderRamp), 0);
        std::vector<uint32_t> row(width);
        std::vector<uint32_t> seen;
        for (int y = 0; y < height; y++) {
            sampler.RenderBlendedRow(y, row.data(), kBackground);
            for (uint32_t p : row) {
                if (std::find(seen.begin(), seen.end(), p) == seen.end())
                    seen.push_back(p);
            }
        }
        EXPECT_GT(seen.size(), 20u) << "type " << type;
    }
}

}  // namespace
