// Tests of aligning a photo with the photos it overlaps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "app/core/PanomerDoc.h"
#include "app/core/PhotoAlign.h"
#include "app/core/ProjectionMap.h"
#include "tests/app/core/AppTestSupport.h"
#include "tests/support/TestFiles.h"

namespace {

constexpr double kDegree = 3.14159265358979 / 180.0;

double DegreesApart(double a, double b)
{
    return std::fabs(std::remainder(a - b, 2.0 * 3.14159265358979)) / kDegree;
}

// A 160 x 120 grey texture of soft blobs, different for every seed: the value of a coarse random
// grid, interpolated.
void PlaceTexture(PanomerDoc* doc, int i, uint32_t seed, float yaw)
{
    auto grid = [seed](int gx, int gy) {
        uint32_t h = seed * 2654435761u ^ uint32_t(gx) * 2246822519u ^ uint32_t(gy) * 3266489917u;
        h ^= h >> 15;
        h *= 2246822519u;
        h ^= h >> 13;
        return double(h % 200u) + 28.0;
    };
    quor_test::Make(&doc->fPhotoImage[i], 160, 120, [&](int x, int y) {
        const int gx = x / 8;
        const int gy = y / 8;
        const double fx = (x % 8) / 8.0;
        const double fy = (y % 8) / 8.0;
        const double top = grid(gx, gy) + fx * (grid(gx + 1, gy) - grid(gx, gy));
        const double bottom = grid(gx, gy + 1) + fx * (grid(gx + 1, gy + 1) - grid(gx, gy + 1));
        const uint32_t v = static_cast<uint32_t>(top + fy * (bottom - top));
        return v << 24 | v << 16 | v << 8 | 0xFFu;
    });
    doc->fYaw[i] = yaw;
    doc->fPitch[i] = 0.0f;
    doc->fRoll[i] = 0.0f;
    doc->fBrightness[i] = 1.0f;
    doc->fNumPhotos = std::max(doc->fNumPhotos, i + 1);
}

}  // namespace

// An aligner that compares the wrong pixels (a mapping other than the render's, levels or a
// reduction whose positions disagree with it by a pixel), climbs the wrong way, stops short, or
// loses the yaw across the seam at 180 degrees leaves a displaced photo a tenth of a degree or
// more away: photos of the Earth example on the equator, on the seam and over both poles,
// displaced by up to 3 degrees in yaw and pitch and 5 in roll, come back to within 0.05 degree of
// where they were cut in every angle (about 0.03 at worst, see the alignment benchmark).
TEST(PhotoAlign, DisplacedPhotosComeBackToWhereTheyWereCut)
{
    PanomerDoc doc;
    doc.fPath = quor_test::SourcePath("examples/earth/earth.qpm").c_str();
    ASSERT_TRUE(doc.Open());
    ASSERT_EQ(doc.fNumPhotos, 12);
    PhotoAlign align;
    ASSERT_TRUE(align.Setup(doc));
    const struct {
        int photo;
        double yaw, pitch, roll;  // degrees
    } cases[] = {
        {1, 2.5, -2.0, 4.0},
        {3, -3.0, 2.5, -5.0},
        {6, 2.0, 3.0, -4.0},
        {10, -2.5, -2.0, 5.0},
    };
    for (const auto& c : cases) {
        const int i = c.photo;
        const float yaw = doc.fYaw[i];
        const float pitch = doc.fPitch[i];
        const float roll = doc.fRoll[i];
        doc.fYaw[i] = static_cast<float>(yaw + c.yaw * kDegree);
        doc.fPitch[i] = static_cast<float>(pitch + c.pitch * kDegree);
        doc.fRoll[i] = static_cast<float>(roll + c.roll * kDegree);
        const PhotoAlign::Result result = align.Align(doc, i);
        doc.fYaw[i] = yaw;
        doc.fPitch[i] = pitch;
        doc.fRoll[i] = roll;
        ASSERT_EQ(result.outcome, PhotoAlign::Outcome::kAligned) << "photo " << i;
        EXPECT_GT(result.score, PhotoAlign::kMinScore) << "photo " << i;
        EXPECT_LT(DegreesApart(result.yaw, yaw), 0.05) << "photo " << i;
        EXPECT_LT(DegreesApart(result.pitch, pitch), 0.05) << "photo " << i;
        EXPECT_LT(DegreesApart(result.roll, roll), 0.05) << "photo " << i;
        EXPECT_LE(std::fabs(result.yaw), ProjectionMap::kPi) << "photo " << i;
    }
}

// A photo moved onto a chance fit of unrelated texture, or "aligned" against nothing, is worse
// than one left where the user put it: a photo that overlaps no other, and one whose overlap shows
// another scene, stay put and say why.
TEST(PhotoAlign, PhotosWithoutAMatchStayPut)
{
    const struct {
        const char* name;
        float secondYaw;
        uint32_t secondSeed;
        PhotoAlign::Outcome outcome;
    } cases[] = {
        {"far apart", 3.0f, 1, PhotoAlign::Outcome::kNoOverlap},
        {"another scene", 0.3f, 2, PhotoAlign::Outcome::kNoMatch},
    };
    for (const auto& c : cases) {
        PanomerDoc doc(35.0f);
        PlaceTexture(&doc, 0, 1, 0.0f);
        PlaceTexture(&doc, 1, c.secondSeed, c.secondYaw);
        doc.fRoll[1] = 0.05f;
        PhotoAlign align;
        ASSERT_TRUE(align.Setup(doc)) << c.name;
        const PhotoAlign::Result result = align.Align(doc, 1);
        EXPECT_EQ(result.outcome, c.outcome) << c.name;
        EXPECT_EQ(result.yaw, doc.fYaw[1]) << c.name;
        EXPECT_EQ(result.pitch, doc.fPitch[1]) << c.name;
        EXPECT_EQ(result.roll, doc.fRoll[1]) << c.name;
        PhotoAlign::Outcome outcomes[kMaxPhotos];
        PhotoAlign::Placements placements = PhotoAlign::Placements::Of(doc);
        EXPECT_EQ(align.AlignAll(doc, &placements, outcomes), 0) << c.name;
        EXPECT_EQ(outcomes[1], c.outcome) << c.name;
        EXPECT_EQ(placements.roll[1], 0.05f) << c.name;
    }
}
