// Tests of aligning a photo with the photos it overlaps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/core/AlignOwner.h"
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

// Stops the run at its `cancelAt`-th checkpoint (counted from 0; never when negative) and counts
// the checkpoints the worker reaches.
class CancellingOwner : public AlignOwner {
public:
    CancellingOwner(const PanomerDoc* doc, int cancelAt) : AlignOwner(doc), fCancelAt(cancelAt) {}
    ~CancellingOwner() override { Cancel(); }
    void ReachedCheckpoint(int aligned) override
    {
        fAligned.push_back(aligned);
        if (static_cast<int>(fAligned.size()) == fCancelAt + 1)
            RequestCancel();
    }

    const int fCancelAt;
    // Written by the worker, read after the join.
    std::vector<int> fAligned;
};

bool SamePlacements(const PhotoAlign::Placements& a, const PhotoAlign::Placements& b, int count)
{
    const size_t bytes = sizeof(float) * static_cast<size_t>(count);
    return std::memcmp(a.yaw, b.yaw, bytes) == 0 && std::memcmp(a.pitch, b.pitch, bytes) == 0 &&
           std::memcmp(a.roll, b.roll, bytes) == 0;
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

// Catches an Align All worker that writes the document (ThreadSanitizer sees the reads of this
// thread, as the canvas paints, race its writes), that aligns otherwise than the run on the event
// thread did, that keeps half a run after Cancel, or that goes on for more than the step it was
// at: three copies of one texture, the outer two displaced, are aligned on the worker, untouched
// and then cancelled while the files are read, before the first alignment and in the second round.
TEST(PhotoAlign, AlignAllOnAWorkerFinishesAsOnTheEventThreadOrLeavesEverythingOnCancel)
{
    PanomerDoc doc(35.0f);
    PlaceTexture(&doc, 0, 7, 0.02f);
    PlaceTexture(&doc, 1, 7, 0.0f);
    PlaceTexture(&doc, 2, 7, -0.015f);
    doc.fRoll[2] = 0.03f;
    const PhotoAlign::Placements before = PhotoAlign::Placements::Of(doc);
    PhotoAlign align;
    ASSERT_TRUE(align.Setup(doc));
    PhotoAlign::Placements expected = before;
    PhotoAlign::Outcome outcomes[kMaxPhotos];
    const int moved = align.AlignAll(doc, &expected, outcomes);
    ASSERT_GT(moved, 0);

    // Reading the 3 files, then 2 rounds of 3 alignments: the checkpoints, and their count.
    const std::vector<int> checkpoints = {-1, -1, -1, 0, 1, 2, 3, 4, 5};
    for (const int cancelAt : {-1, 1, 3, 7}) {
        SCOPED_TRACE(testing::Message() << "cancel at checkpoint " << cancelAt);
        CancellingOwner owner(&doc, cancelAt);
        ASSERT_TRUE(owner.StartAlign());
        float seen = 0.0f;
        for (int k = 0; k < 3000; k++)
            seen += doc.fYaw[k % 3] + doc.fPitch[k % 3] + doc.fRoll[k % 3];
        owner.Join();
        EXPECT_TRUE(std::isfinite(seen));
        const AlignResult& result = owner.Result();
        EXPECT_TRUE(SamePlacements(PhotoAlign::Placements::Of(doc), before, 3));
        if (cancelAt < 0) {
            EXPECT_EQ(result.status, AlignStatus::kDone);
            EXPECT_EQ(result.moved, moved);
            EXPECT_TRUE(SamePlacements(result.placements, expected, 3));
            EXPECT_TRUE(std::equal(outcomes, outcomes + 3, result.outcomes));
            EXPECT_EQ(owner.fAligned, checkpoints);
            continue;
        }
        EXPECT_EQ(result.status, AlignStatus::kCancelled);
        EXPECT_EQ(result.moved, 0);
        EXPECT_TRUE(SamePlacements(result.placements, before, 3));
        EXPECT_EQ(owner.fAligned, std::vector<int>(checkpoints.begin(), checkpoints.begin() + cancelAt + 1));
    }
}
