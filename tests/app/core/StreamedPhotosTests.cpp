// Tests of the photos decoded a few rows at a time for the JPEG export: the rows they give the
// sampler against photos loaded whole, and the memory they hold against their plan.
#include <random>

#include "app/core/CropFit.h"
#include "app/core/PhotoSphereXmp.h"
#include "app/core/StreamedPhotos.h"
#include "tests/app/core/AppTestSupport.h"
#include "toolkit/core/Quor_Parallel.h"
#include "toolkit/imaging/formats/Quor_JpegWriter.h"

namespace {

using namespace app_test;

constexpr uint32_t kBackground = 0xDCDCDC00u;
constexpr int kBandRows = 8;

// A scratch folder of textured baseline JPEG photos of a few shapes.
struct PhotoFiles {
    PhotoFiles()
    {
        const int sizes[][2] = {{120, 90}, {90, 120}, {150, 60}, {101, 77}};
        for (int i = 0; i < 4; i++) {
            paths[i] = dir.File("photo" + std::to_string(i) + ".jpg");
            Quor_BaseImage image;
            quor_test::Make(&image, sizes[i][0], sizes[i][1], [i](int x, int y) {
                return quor_test::Px((x * 7 + y * 3 + i * 50) & 255, (x * y + i * 90) & 255, (y * 5) & 255);
            });
            EXPECT_EQ(Quor_ImageIo::SaveImage(paths[i].c_str(), &image, Quor_ImageIo::Format_JPEG, 90), QUOR_OK);
        }
    }
    ScratchDir dir;
    std::string paths[4];
};

// The panorama's rows through the streamed photos, band by band, in one block.
std::vector<uint32_t> StreamedRows(const PanomerDoc& doc, const ProjectionMap& map, StreamedPhotos* streamed)
{
    const int width = map.CanvasWidth(), height = map.CanvasHeight();
    std::vector<uint32_t> rows(static_cast<size_t>(width) * height);
    for (int i = 0; i < doc.fNumPhotos; i++)
        EXPECT_TRUE(streamed->Add(i)) << "photo " << i;
    PanoramaSampler sampler;
    EXPECT_EQ(sampler.Setup(doc, map, PanoramaSampler::kRenderRamp, streamed->Pixels()), QUOR_OK);
    EXPECT_EQ(streamed->Plan(sampler, kBandRows), QUOR_OK);
    for (int band = 0; band * kBandRows < height; band++) {
        EXPECT_EQ(streamed->Prepare(band), QUOR_OK);
        const int top = band * kBandRows, count = std::min(kBandRows, height - top);
        Quor_Parallel::For(count, [&](int i) {
            sampler.RenderBlendedRow(top + i, rows.data() + static_cast<size_t>(top + i) * width, kBackground);
        });
        streamed->Release(band);
    }
    return rows;
}

// The same rows the straightforward way: every photo loaded whole, one row after another.
std::vector<uint32_t> WholeRows(PanomerDoc* doc, const ProjectionMap& map)
{
    for (int i = 0; i < doc->fNumPhotos; i++)
        EXPECT_EQ(doc->UpdatePhoto(i, 0), QUOR_OK);
    PanoramaSampler sampler;
    EXPECT_EQ(sampler.Setup(*doc, map, PanoramaSampler::kRenderRamp), QUOR_OK);
    const int width = map.CanvasWidth();
    std::vector<uint32_t> rows(static_cast<size_t>(width) * map.CanvasHeight());
    for (int y = 0; y < map.CanvasHeight(); y++)
        sampler.RenderBlendedRow(y, rows.data() + static_cast<size_t>(y) * width, kBackground);
    return rows;
}

}  // namespace

// A plan that misses a row some sample reads (the last row of a photo, a rolled or upside-down
// photo whose rows come out of order), a ring slot reused while a band still reads it, rows
// brightened differently from the whole load, or decoding that depends on the thread count all
// change pixels against the photos loaded whole. The streamed rows held must also stay within
// what the plan says the job needs at its peak.
TEST(StreamedPhotos, RowsMatchWholePhotosInAnyArrangementAndStayWithinThePlan)
{
    PhotoFiles files;
    const unsigned seed = 2026;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    const float brightness[] = {1.0f, 0.0f, 0.7f, 1.3f, -1.2f};
    for (int scene = 0; scene < 20; scene++) {
        SCOPED_TRACE(testing::Message() << "scene " << scene);
        const int type = scene % 5;
        PanomerDoc doc(scene % 3 == 0 ? 12.0f : 24.0f);
        doc.fProjectionType = type;
        PanomerDoc::DefaultCrop(type, doc.fCrop);
        if (scene >= 10) {
            // A crop narrower than the default, off centre.
            doc.fCrop[0] *= 0.6f, doc.fCrop[1] *= 0.8f, doc.fCrop[2] *= 0.7f, doc.fCrop[3] *= 0.5f;
        }
        const int count = 2 + scene % 3;
        for (int i = 0; i < count; i++) {
            doc.fPhotoPath[i] = files.paths[(scene + i) % 4].c_str();
            doc.fYaw[i] = unit(random) * (type == 4 ? 0.4f : 1.2f);
            doc.fPitch[i] = unit(random) * 0.6f;
            // Rolled anywhere, upside down included.
            doc.fRoll[i] = unit(random) * 3.2f;
            doc.fBrightness[i] = brightness[(scene + i) % 5];
        }
        doc.fNumPhotos = count;
        const int width = 96;
        const int height = std::max(CropFit::kMinSize, std::min(200, CropFit::HeightForWidth(doc, width)));
        ProjectionMap map(type, width, height);
        CropFit::Fit(map, doc.fCrop);
        const std::vector<uint32_t> whole = WholeRows(&doc, map);
        for (int threads : {1, 2, 8}) {
            Quor_Parallel::SetThreads(threads);
            StreamedPhotos streamed(doc);
            const std::vector<uint32_t> rows = StreamedRows(doc, map, &streamed);
            EXPECT_TRUE(rows == whole) << threads << " threads";
            EXPECT_LE(streamed.MostHeldBytes(), streamed.PeakBytes());
            EXPECT_EQ(streamed.HeldBytes(), 0);
        }
    }
    Quor_Parallel::SetThreads(0);
}

// A plan that keeps every photo open from start to end, or rings the size of whole photos, would
// hold memory that grows with the number of photos rather than with what one band reads.
TEST(StreamedPhotos, AStripOfPhotosHoldsFarLessThanTheWholePhotos)
{
    PhotoFiles files;
    PanomerDoc doc(50.0f);
    doc.fProjectionType = ProjectionMap::kHorizontalSpherical;
    PanomerDoc::DefaultCrop(doc.fProjectionType, doc.fCrop);
    int64_t wholeBytes = 0;
    for (int i = 0; i < 12; i++) {
        doc.fPhotoPath[i] = files.paths[0].c_str();
        doc.fYaw[i] = 0.0f;
        doc.fPitch[i] = -1.2f + 0.22f * static_cast<float>(i);
        wholeBytes += 120 * 90 * 4;
    }
    doc.fNumPhotos = 12;
    ProjectionMap map(doc.fProjectionType, 400, 600);
    CropFit::Fit(map, doc.fCrop);
    StreamedPhotos streamed(doc);
    const std::vector<uint32_t> rows = StreamedRows(doc, map, &streamed);
    EXPECT_LE(streamed.MostHeldBytes(), streamed.PeakBytes());
    EXPECT_LT(streamed.PeakBytes(), wholeBytes / 3);
    EXPECT_TRUE(rows == WholeRows(&doc, map));
}

// The export's wiring of the bands (each band's rows decoded before they are rendered, photos
// let go only after their last band, rows written in order, and after a Cancel inside a band the
// rows left repeating the last one written, not the previous band's) shows as a file that
// differs from the straightforward render's, on any number of threads.
TEST(StreamedPhotos, TheExportIsTheStraightforwardRenderByteForByte)
{
    PhotoFiles files;
    PanomerDoc doc(20.0f);
    for (int i = 0; i < 4; i++) {
        doc.fPhotoPath[i] = files.paths[i].c_str();
        doc.fYaw[i] = 0.5f - 0.35f * static_cast<float>(i);
        doc.fPitch[i] = 0.1f * static_cast<float>(i % 2);
        doc.fRoll[i] = i == 3 ? 3.0f : 0.1f;
        doc.fBrightness[i] = i == 1 ? 1.2f : 1.0f;
    }
    doc.fNumPhotos = 4;
    doc.fRenderWidth = 240;
    doc.fRenderHeight = 100;
    doc.fQuality = 90;
    const std::string path = files.dir.File("out.jpg"), expectedPath = files.dir.File("expected.jpg");
    doc.fRenderPath = path.c_str();
    ProjectionMap map(doc.fProjectionType, doc.fRenderWidth, doc.fRenderHeight);
    CropFit::Fit(map, doc.fCrop);
    const std::vector<uint32_t> rows = WholeRows(&doc, map);
    // The export starts, as in the editor, from the previews.
    for (int i = 0; i < doc.fNumPhotos; i++)
        doc.UpdatePhoto(i, kPreviewSize);
    // The file of the rows up to `rendered`, the last of them repeated to the end.
    auto expectedFile = [&](int rendered) {
        FILE* file = std::fopen(expectedPath.c_str(), "wb");
        EXPECT_NE(file, nullptr);
        Quor_JpegWriter writer;
        EXPECT_EQ(writer.Start(file, doc.fRenderWidth, doc.fRenderHeight, doc.fQuality), QUOR_OK);
        const std::string sphere = PhotoSphereXmp::Segment(map);
        if (!sphere.empty()) {
            EXPECT_EQ(writer.WriteMarker(0xE1, sphere.data(), sphere.size()), QUOR_OK);
        }
        for (int y = 0; y < doc.fRenderHeight; y++)
            writer.WriteRow(rows.data() + static_cast<size_t>(std::min(y, rendered - 1)) * doc.fRenderWidth);
        EXPECT_EQ(writer.Finish(), QUOR_OK);
        std::fclose(file);
        return ReadFileBytes(expectedPath);
    };
    const std::string expected = expectedFile(doc.fRenderHeight), cancelled = expectedFile(37);

    TestOwner owner(&doc);
    for (int threads : {1, 2, 8}) {
        Quor_Parallel::SetThreads(threads);
        const RenderResult result = owner.RenderAndWait(RenderKind::kJpeg);
        ASSERT_EQ(result.status, RenderStatus::kDone) << result.Message();
        EXPECT_TRUE(ReadFileBytes(path) == expected) << threads << " threads";
        const RenderResult atRow = owner.RenderAndWait(RenderKind::kJpeg, RenderCheckpoint{RenderCheckpoint::kRenderingRow, -1, 37});
        EXPECT_EQ(atRow.status, RenderStatus::kCancelled);
        EXPECT_TRUE(ReadFileBytes(path) == cancelled) << threads << " threads, cancelled";
    }
    Quor_Parallel::SetThreads(0);
}
