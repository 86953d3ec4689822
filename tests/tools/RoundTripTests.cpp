// The panorama renderer against ground truth: photos cut out of a known equirectangular picture at
// known angles, rendered back over the whole sphere, must give the picture back. A wrong sign, a
// swapped axis or a half-pixel shift on either side (cutter or renderer) shows as a drop in PSNR.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/core/CropFit.h"
#include "app/core/PanomerDoc.h"
#include "app/core/PanoramaSampler.h"
#include "app/core/ProjectionMap.h"
#include "tests/support/TestFiles.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"
#include "tools/examplegen/EquirectSource.h"
#include "tools/examplegen/ExampleLayout.h"
#include "tools/examplegen/ExampleProject.h"
#include "tools/examplegen/PhotoFrame.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// Photos within this many pixels of their edges fade into the photos below them.
constexpr int kFeather = 33;

// Renders the document over its crop at width x height through the renderer's row sampler, the
// way the JPEG export does, and keeps the rows.
bool Render(const PanomerDoc& doc, int width, int height, Quor_BaseImage* out)
{
    ProjectionMap map(doc.fProjectionType, width, height);
    CropFit::Fit(map, doc.fCrop);
    PanoramaSampler sampler;
    if (sampler.Setup(doc, map, PanoramaSampler::kRenderRamp) != 0 || out->Initialize(width, height, 32) != 0)
        return false;
    const uint32_t background = 220u << 24 | 220u << 16 | 220u << 8;  // grey, alpha 0
    for (int y = 0; y < height; y++)
        sampler.RenderBlendedRow(y, out->Image().Row32(y), background);
    return true;
}

// The pixels whose rendered colour must equal one photo's sample, without any blending: those
// only one photo covers, and those deep enough inside the topmost photo that covers them; and only
// within `band` degrees of the equator. Towards the poles the picture packs ever more columns into
// a degree of yaw, more than a photo can hold, so even a right mapping loses detail there.
// Worked out with the cutter's own geometry; also counts the pixels no photo covers, and keeps for
// each pixel the topmost photo (-1 for none).
struct CleanMask {
    std::vector<uint8_t> clean;
    std::vector<int8_t> top;
    int64_t cleanCount = 0;
    int64_t uncovered = 0;
};

CleanMask MakeMask(const std::vector<PhotoFrame>& frames, int width, int height, double band)
{
    CleanMask mask;
    mask.clean.assign(size_t(width) * size_t(height), 0);
    mask.top.assign(size_t(width) * size_t(height), -1);
    for (int y = 0; y < height; y++) {
        const double pitch = (kPi / 2) * (1.0 - 2.0 * y / height);
        const bool inBand = std::fabs(pitch) <= band * kPi / 180.0;
        for (int x = 0; x < width; x++) {
            const SphereVector v = PhotoFrame::FromAngles(kPi * (1.0 - 2.0 * x / width), pitch);
            int count = 0, top = -1;
            double topX = 0.0, topY = 0.0;
            for (size_t i = 0; i < frames.size(); i++) {
                double tx, ty;
                if (frames[i].Covers(v, &tx, &ty)) {
                    count++;
                    top = int(i);
                    topX = tx;
                    topY = ty;
                }
            }
            const size_t at = size_t(y) * size_t(width) + size_t(x);
            mask.top[at] = int8_t(top);
            if (top < 0) {
                mask.uncovered++;
                continue;
            }
            const PhotoFrame& frame = frames[size_t(top)];
            const auto inside = [&](double margin) {
                return topX >= margin && topX <= frame.Width() - 1 - margin && topY >= margin &&
                       topY <= frame.Height() - 1 - margin;
            };
            if (inBand && ((count == 1 && inside(1.0)) || inside(kFeather))) {
                mask.clean[at] = 1;
                mask.cleanCount++;
            }
        }
    }
    return mask;
}

// Peak signal-to-noise ratio of red, green and blue over the masked pixels, in dB.
// With photo >= 0, only over the masked pixels that photo shows on top.
double Psnr(const Quor_image& a, const Quor_image& b, const CleanMask& mask, int photo = -1)
{
    double sum = 0.0;
    int64_t count = 0;
    for (int y = 0; y < a.height; y++) {
        const uint32_t* rowA = a.Row32(y);
        const uint32_t* rowB = b.Row32(y);
        const uint8_t* use = &mask.clean[size_t(y) * size_t(a.width)];
        const int8_t* top = &mask.top[size_t(y) * size_t(a.width)];
        for (int x = 0; x < a.width; x++) {
            if (!use[x] || (photo >= 0 && top[x] != photo))
                continue;
            for (int shift : {8, 16, 24}) {
                const double d = double(rowA[x] >> shift & 255) - double(rowB[x] >> shift & 255);
                sum += d * d;
            }
            count += 3;
        }
    }
    if (count == 0)
        return 0.0;
    const double mse = sum / double(count);
    return mse == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

int64_t CountTransparent(const Quor_image& image)
{
    int64_t n = 0;
    for (int y = 0; y < image.height; y++) {
        const uint32_t* row = image.Row32(y);
        for (int x = 0; x < image.width; x++)
            n += (row[x] & 255) == 0 ? 1 : 0;
    }
    return n;
}

// Writes a failing render where it can be looked at, next to the truth, and says where.
void SaveForLooking(Quor_BaseImage& rendered, const std::string& name)
{
    const std::string path = ::testing::TempDir() + name;
    if (Quor_ImageIo::SaveImage(path.c_str(), &rendered, Quor_ImageIo::Format_PNG, 0) == 0)
        std::printf("the render is in %s\n", path.c_str());
}

std::vector<PhotoFrame> FramesOf(const PanomerDoc& doc)
{
    std::vector<PhotoFrame> frames;
    for (int i = 0; i < doc.fNumPhotos; i++)
        frames.emplace_back(doc.fPhotoImage[i].Width(), doc.fPhotoImage[i].Height(), double(doc.fFocalLength),
                            double(doc.fYaw[i]), double(doc.fPitch[i]), double(doc.fRoll[i]));
    return frames;
}

class RoundTripTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 512;

    // Cuts the test layout's photos (lossless PNG) out of the softened test picture into a scratch
    // folder and opens the project from disk with every photo at full size, as the export would.
    // Shared by the tests of the suite.
    static void SetUpTestSuite()
    {
        Quor_ImageIo::InitImageLoader();
        sTruth = std::make_unique<Quor_BaseImage>();
        sScratch = std::make_unique<quor_test::ScratchDir>();
        sDoc = std::make_unique<PanomerDoc>();
        if (!MakeSoftTruth(sTruth.get()))
            return;
        const ExampleLayout layout = TestLayout();
        ExampleOutput output;
        output.folder = sScratch->Path();
        output.format = PhotoFormat::kPng;
        if (ExampleProject::Write(EquirectSource(sTruth->Image()), layout, output, nullptr) != 0)
            return;
        sDoc->fPath = ExampleProject::ProjectPath(layout, output).c_str();
        if (!sDoc->Open() || sDoc->fNumPhotos != int(layout.shots.size()))
            return;
        for (int i = 0; i < sDoc->fNumPhotos; i++) {
            if (sDoc->UpdatePhoto(i, 0) != 0)
                return;
        }
        sReady = true;
    }

    static void TearDownTestSuite()
    {
        sDoc.reset();
        sTruth.reset();
        sScratch.reset();
    }

    void SetUp() override { ASSERT_TRUE(sReady) << "the round-trip project could not be made"; }

    // The test picture softened: reduced to half its size by the image loader's filter, then
    // enlarged back bilinearly. Its finest detail then spans a couple of pixels, so what a right
    // mapping loses by resampling twice (into a photo and back out of it) stays far below what a
    // misplaced photo costs. Still the Earth map, still asymmetric.
    static bool MakeSoftTruth(Quor_BaseImage* truth)
    {
        Quor_BaseImage half;
        if (Quor_ImageIo::LoadImage(quor_test::DataPath("equirect/earth-1024.jpg").c_str(), &half, kWidth / 2) != 0 ||
            half.Width() != kWidth / 2 || half.Height() != kHeight / 2 || truth->Initialize(kWidth, kHeight, 32) != 0)
            return false;
        const EquirectSource source(half.Image());
        for (int y = 0; y < kHeight; y++) {
            uint32_t* row = truth->Image().Row32(y);
            const double pitch = (kPi / 2) * (1.0 - 2.0 * y / kHeight);
            for (int x = 0; x < kWidth; x++)
                row[x] = source.Sample(kPi * (1.0 - 2.0 * x / kWidth), pitch);
        }
        return true;
    }

    // The bundled example's angles on 768 x 576 photos (enlarging the picture about 2.2 times at
    // their centres), and on top of them photos at awkward places: a half turn across the yaw
    // seam, a quarter turn, and one beside the north pole that reaches over it.
    static ExampleLayout TestLayout()
    {
        ExampleLayout layout = ExampleLayout::Earth();
        layout.name = "roundtrip";
        layout.photoWidth = 768;
        layout.photoHeight = 576;
        layout.shots.push_back({100.0, 30.0, 135.0});
        layout.shots.push_back({-45.0, -20.0, -90.0});
        layout.shots.push_back({170.0, 80.0, 45.0});
        layout.shots.push_back({-178.0, -10.0, 180.0});
        return layout;
    }

    static inline std::unique_ptr<Quor_BaseImage> sTruth;
    static inline std::unique_ptr<quor_test::ScratchDir> sScratch;
    static inline std::unique_ptr<PanomerDoc> sDoc;
    static inline bool sReady = false;
};

TEST_F(RoundTripTest, RenderingCutPhotosGivesThePictureBack)
{
    // Fault: any sign, axis, order or half-pixel mistake in the renderer's mapping (or in the
    // cutter): photos land beside where they belong and no longer match the picture. Measured:
    // about 52 dB when right; half a pixel off in yaw gives 39 dB, a flipped roll 11 dB.
    Quor_BaseImage rendered;
    ASSERT_TRUE(Render(*sDoc, kWidth, kHeight, &rendered));
    const CleanMask mask = MakeMask(FramesOf(*sDoc), kWidth, kHeight, 60.0);
    EXPECT_EQ(mask.uncovered, 0) << "the test layout covers the whole sphere";
    EXPECT_GT(mask.cleanCount, kWidth * kHeight / 2) << "too few pixels to judge";
    const double psnr = Psnr(rendered.Image(), sTruth->Image(), mask);
    std::printf("round trip: %.2f dB over %lld pixels\n", psnr, static_cast<long long>(mask.cleanCount));
    EXPECT_GE(psnr, 45.0);
    if (psnr < 45.0)
        SaveForLooking(rendered, "round-trip.png");

    // Every direction is covered, so the renderer left no pixel as background.
    EXPECT_EQ(CountTransparent(rendered.Image()), 0);
}

TEST_F(RoundTripTest, TheCheckNoticesSmallMistakes)
{
    // Fault: a check too lax to tell a right mapping from a nearly right one. The same photos
    // placed with every roll flipped, or half a picture pixel off in yaw, must fail it.
    const CleanMask mask = MakeMask(FramesOf(*sDoc), kWidth, kHeight, 60.0);
    float yaw[kMaxPhotos], roll[kMaxPhotos];
    std::copy(sDoc->fYaw, sDoc->fYaw + kMaxPhotos, yaw);
    std::copy(sDoc->fRoll, sDoc->fRoll + kMaxPhotos, roll);
    Quor_BaseImage rendered;

    for (int i = 0; i < sDoc->fNumPhotos; i++)
        sDoc->fRoll[i] = -roll[i];
    ASSERT_TRUE(Render(*sDoc, kWidth, kHeight, &rendered));
    const double flipped = Psnr(rendered.Image(), sTruth->Image(), mask);
    std::copy(roll, roll + kMaxPhotos, sDoc->fRoll);

    for (int i = 0; i < sDoc->fNumPhotos; i++)
        sDoc->fYaw[i] = yaw[i] + float(kPi / kWidth);
    ASSERT_TRUE(Render(*sDoc, kWidth, kHeight, &rendered));
    const double shifted = Psnr(rendered.Image(), sTruth->Image(), mask);
    std::copy(yaw, yaw + kMaxPhotos, sDoc->fYaw);

    std::printf("rolls flipped: %.2f dB, yaw half a pixel off: %.2f dB\n", flipped, shifted);
    EXPECT_LT(flipped, 30.0);
    EXPECT_LT(shifted, 45.0);
}

// The committed example project, examples/earth.
class BundledExampleTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 512;
    static void SetUpTestSuite() { Quor_ImageIo::InitImageLoader(); }
};

TEST_F(BundledExampleTest, RendersToTheEarthMap)
{
    // Fault: the bundled example's photos and angles out of step (a stale or hand-edited project,
    // photos swapped), so the example shows broken coastlines. Judged photo by photo, so one
    // misplaced photo shows. The example is cut from the map at twice this size and kept as JPEG,
    // so it matches the half-size picture closely but not exactly: measured 30 to 50 dB per photo,
    // while a photo turned the wrong way or half a degree off falls to 8 to 26 dB (except over
    // featureless ocean).
    PanomerDoc doc;
    doc.fPath = quor_test::SourcePath("examples/earth/earth.qpm").c_str();
    ASSERT_TRUE(doc.Open());
    ASSERT_GE(doc.fNumPhotos, 8);
    for (int i = 0; i < doc.fNumPhotos; i++)
        ASSERT_EQ(doc.UpdatePhoto(i, 0), 0) << "photo " << i;
    Quor_BaseImage map;
    ASSERT_EQ(Quor_ImageIo::LoadImage(quor_test::DataPath("equirect/earth-1024.jpg").c_str(), &map, 0), 0);
    Quor_BaseImage rendered;
    ASSERT_TRUE(Render(doc, kWidth, kHeight, &rendered));
    const CleanMask mask = MakeMask(FramesOf(doc), kWidth, kHeight, 75.0);
    EXPECT_EQ(mask.uncovered, 0);
    EXPECT_EQ(CountTransparent(rendered.Image()), 0);
    bool allMatch = true;
    for (int i = 0; i < doc.fNumPhotos; i++) {
        const double psnr = Psnr(rendered.Image(), map.Image(), mask, i);
        EXPECT_GE(psnr, 27.0) << "photo " << i + 1;
        allMatch = allMatch && psnr >= 27.0;
    }
    if (!allMatch)
        SaveForLooking(rendered, "bundled-example.png");
}

TEST_F(BundledExampleTest, IsWhatTheGeneratorMakes)
{
    // Fault: the generator or its built-in layout changed without the bundled example being made
    // again, so the example no longer shows what the code describes.
    const char* map = "/usr/share/xplanet/images/earth.jpg";
    if (!std::filesystem::exists(map))
        GTEST_SKIP() << map << " (package xplanet-images) is not installed";
    Quor_BaseImage source;
    ASSERT_EQ(Quor_ImageIo::LoadImage(map, &source, 0), 0);
    const ExampleLayout layout = ExampleLayout::Earth();
    quor_test::ScratchDir scratch;
    ExampleOutput output;
    output.folder = scratch.Path();
    ASSERT_EQ(ExampleProject::Write(EquirectSource(source.Image()), layout, output, nullptr), 0);
    const std::string bundled = quor_test::SourcePath("examples/earth");
    EXPECT_EQ(quor_test::ReadFileBytes(scratch.File("earth.qpm")), quor_test::ReadFileBytes(bundled + "/earth.qpm"));
    for (size_t i = 0; i < layout.shots.size(); i++) {
        const std::string name = ExampleProject::PhotoFileName("earth", i, PhotoFormat::kJpeg);
        if (quor_test::ReadFileBytes(scratch.File(name)) == quor_test::ReadFileBytes(bundled + "/" + name))
            continue;
        // Another version of the JPEG library may encode the same pixels a little differently.
        Quor_BaseImage fresh, kept;
        ASSERT_EQ(Quor_ImageIo::LoadImage(scratch.File(name).c_str(), &fresh, 0), 0) << name;
        ASSERT_EQ(Quor_ImageIo::LoadImage((bundled + "/" + name).c_str(), &kept, 0), 0) << name;
        ASSERT_EQ(fresh.Width(), kept.Width()) << name;
        ASSERT_EQ(fresh.Height(), kept.Height()) << name;
        CleanMask all;
        all.clean.assign(size_t(fresh.Width()) * size_t(fresh.Height()), 1);
        all.top.assign(all.clean.size(), 0);
        EXPECT_GE(Psnr(fresh.Image(), kept.Image(), all), 40.0)
            << name << " differs from a fresh run of panomer-examplegen";
    }
}

}  // namespace
