// Tests of the layered PSD export worker end to end: the layers it writes, Cancel at every stage,
// one photo at full size at a time, and the memory left for the photos beside the layer image.
#include "tests/app/core/AppTestSupport.h"

#include <random>

#include "app/core/CropFit.h"
#include "app/core/PanoramaSampler.h"
#include "app/core/PsdRenderer.h"
#include "toolkit/core/Quor_Parallel.h"
#include "toolkit/imaging/formats/Quor_MemorySink.h"
#include "toolkit/imaging/formats/Quor_PsdWriter.h"

namespace {

using namespace app_test;
using Scene = ThreePhotoScene;

constexpr RenderCheckpoint::Stage kLoading = RenderCheckpoint::kLoadingPhoto, kRow = RenderCheckpoint::kRenderingRow;

// The document the export must write, made the plain way: each photo at full size in turn, its
// layer rendered row after row on one thread and laid over the merged picture, and every layer
// handed to the writer, which writes one row after another with one thread.
std::string PlainExport(PanomerDoc* doc)
{
    Quor_Parallel::SetThreads(1);
    const int width = doc->fRenderWidth, height = doc->fRenderHeight;
    ProjectionMap map(doc->fProjectionType, width, height);
    CropFit::Fit(map, doc->fCrop);
    Quor_MemorySink sink;
    Quor_PsdWriter writer;
    EXPECT_EQ(writer.Open(&sink), QUOR_OK);
    EXPECT_EQ(writer.WriteHeader(width, height), QUOR_OK);
    for (int i = 0; i < doc->fNumPhotos; i++)
        EXPECT_EQ(writer.WriteLayerInfo(doc->fPhotoPath[i].Name(), "norm", 255), QUOR_OK);
    Quor_BaseImage layer;
    EXPECT_EQ(layer.Initialize(width, height, 32), QUOR_OK);
    Quor_BaseImage merged;
    EXPECT_EQ(merged.Initialize(width, height, 32), QUOR_OK);
    merged.Clear(rgb_color{255, 255, 255, 255});
    for (int i = 0; i < doc->fNumPhotos; i++) {
        EXPECT_EQ(doc->UpdatePhoto(i, 0), QUOR_OK);
        PanoramaSampler sampler;
        EXPECT_EQ(sampler.Setup(*doc, map, PanoramaSampler::kRenderRamp), QUOR_OK);
        for (int y = 0; y < height; y++) {
            sampler.RenderLayerRow(i, y, layer.Image().Row32(y));
            PsdRenderer::CompositeRow(layer.Image().Row32(y), merged.Image().Row32(y), width);
        }
        doc->UpdatePhoto(i, kPreviewSize);
        EXPECT_EQ(writer.WriteLayer(layer), QUOR_OK);
    }
    EXPECT_EQ(writer.EndLayers(&merged.Image()), QUOR_OK);
    EXPECT_EQ(writer.Close(), QUOR_OK);
    Quor_Parallel::SetThreads(0);
    return std::string(sink.Bytes().begin(), sink.Bytes().end());
}

}  // namespace

// Rows rendered out of place or twice, rows compressed out of order, a layer written while the
// next photo changes it, or a thread count that changes the file: the export with 1, 2 and 8
// threads must give exactly the bytes of the plain export, over random arrangements of textured
// photos; and a Cancel, in a row or before a photo, must leave the same file whatever the count.
TEST(PsdRenderer, EveryThreadCountWritesThePlainExportsBytes)
{
    ScratchDir dir;
    PanomerDoc doc(20.0f);
    for (int i = 0; i < 3; i++) {
        const std::string path = dir.File("photo" + std::to_string(i) + ".png");
        Quor_BaseImage image;
        std::mt19937 noise(static_cast<uint32_t>(i));
        quor_test::Make(&image, 700 + 50 * i, 500, [&](int x, int y) {
            return (x / 9 + y / 5) % 3 == 0 ? 0x80402000u | 255u : static_cast<uint32_t>(noise()) | 255u;
        });
        ASSERT_EQ(Quor_ImageIo::SaveImage(path.c_str(), &image, Quor_ImageIo::Format_PNG, 90), QUOR_OK);
        AddPhoto(&doc, path, 0.0f);
    }
    doc.fRenderWidth = 300;
    doc.fRenderHeight = 170;
    doc.fRenderPath = dir.File("out.psd").c_str();
    TestOwner owner(&doc);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> angle(-1.2f, 1.2f);
    for (int arrangement = 0; arrangement < 3; arrangement++) {
        for (int i = 0; i < doc.fNumPhotos; i++) {
            doc.fYaw[i] = 2.0f * angle(random);
            doc.fPitch[i] = angle(random);
            doc.fRoll[i] = 0.3f * angle(random);
        }
        const std::string plain = PlainExport(&doc);
        std::string cancelled[2];
        for (int threads : {1, 2, 8}) {
            SCOPED_TRACE("arrangement " + std::to_string(arrangement) + ", " + std::to_string(threads) + " threads");
            Quor_Parallel::SetThreads(threads);
            ASSERT_EQ(owner.RenderAndWait(RenderKind::kPsd).status, RenderStatus::kDone);
            EXPECT_TRUE(ReadFileBytes(dir.File("out.psd")) == plain);
            const RenderCheckpoint stops[2] = {{kRow, 1, 100}, {kLoading, 2, 0}};
            for (int c = 0; c < 2; c++) {
                ASSERT_EQ(owner.RenderAndWait(RenderKind::kPsd, stops[c]).status, RenderStatus::kCancelled);
                const std::string bytes = ReadFileBytes(dir.File("out.psd"));
                if (threads == 1)
                    cancelled[c] = bytes;
                EXPECT_TRUE(bytes == cancelled[c]) << "cancelled at stop " << c;
            }
        }
        Quor_Parallel::SetThreads(0);
    }
}

// The PSD must declare one layer per photo, named after its file, in document order, each
// transparent where its photo does not reach and opaque where it does, over a merged picture that
// shows the panorama, as an independent reader sees it; a Cancel during the second of three layers, or before any photo, must still give a
// file with all three layers (transparent ones when nothing was rendered).
TEST(PsdRenderer, ExportAndCancelKeepEveryLayer)
{
    if (!HaveIdentify())
        GTEST_SKIP() << "ImageMagick's identify is not installed";
    Scene scene;
    scene.doc.fRenderPath = scene.dir.File("out.psd").c_str();
    const std::string path = "'" + scene.dir.File("out.psd") + "'";
    TestOwner owner(&scene.doc);
    const RenderResult result = owner.RenderAndWait(RenderKind::kPsd);
    ASSERT_EQ(result.status, RenderStatus::kDone) << result.Message();
    scene.ExpectPreviews();
    // The merged image comes first, then the layers.
    EXPECT_EQ(Identify("-format '%w %h\\n' " + path), "320 160\n320 160\n320 160\n320 160\n");
    // The merged picture, which viewers show, is the layers over white: the photo's colour where it
    // reaches, white where none does.
    const std::string merged = "'" + scene.dir.File("out.psd") + "[0]'";
    EXPECT_EQ(Identify("-format '%[fx:int(255*p{150,80}.r)] %[fx:int(255*p{150,80}.g)] "
                       "%[fx:int(255*p{2,2}.r)] %[fx:int(255*p{2,2}.b)]' " + merged),
              "20 200 255 255");
    const std::string names = "|left.png|middle.png|right.png|";
    EXPECT_EQ(Identify("-format '%l|' " + path), names);
    // Layer 2 (the middle photo): opaque green at the centre-left, transparent in the corner and
    // over the yellow photo's place.
    const std::string layer = "'" + scene.dir.File("out.psd") + "[2]'";
    EXPECT_EQ(Identify("-format '%[fx:int(255*p{150,80}.a)] %[fx:int(255*p{150,80}.g)]' " + layer), "255 200");
    EXPECT_EQ(Identify("-format '%[fx:int(255*p{2,2}.a)] %[fx:int(255*p{250,80}.a)]' " + layer), "0 0");

    for (const RenderCheckpoint& at : {RenderCheckpoint{kRow, 1, 80}, RenderCheckpoint{kLoading, 0, 0}}) {
        EXPECT_EQ(owner.RenderAndWait(RenderKind::kPsd, at).status, RenderStatus::kCancelled);
        scene.ExpectPreviews();
        EXPECT_EQ(Identify("-format '%l|' " + path), names) << "cancelled at photo " << at.photo;
    }
    // The last Cancel came before any photo: its layers are wholly transparent.
    EXPECT_EQ(Identify("-format '%[fx:int(255*maxima.a)]' '" + scene.dir.File("out.psd") + "[1]'"), "0");
}

// A photo kept at full size after its layer is written holds memory the next photo needs (the
// export allows one at a time beside the layer image): at every checkpoint at most the photo
// whose layer is being rendered is at full size, and every other one holds its preview.
TEST(PsdRenderer, EachPhotoReturnsToPreviewOnceItsLayerIsWritten)
{
    Scene scene;
    scene.doc.fRenderPath = scene.dir.File("out.psd").c_str();
    TestOwner owner(&scene.doc);
    std::vector<std::string> problems;
    int checkpoints = 0;
    owner.fOnCheckpoint = [&](const RenderCheckpoint& at) {
        checkpoints++;
        for (int i = 0; i < scene.doc.fNumPhotos; i++) {
            const bool rendering = at.stage == kRow && at.photo == i;
            const int width = scene.doc.fPhotoImage[i].Width();
            if (width != (rendering ? 800 : 640) && problems.size() < 5)
                problems.push_back("photo " + std::to_string(i) + " is " + std::to_string(width) +
                                   " wide at the checkpoint of photo " + std::to_string(at.photo) + ", row " +
                                   std::to_string(at.row));
        }
    };
    EXPECT_EQ(owner.RenderAndWait(RenderKind::kPsd).status, RenderStatus::kDone);
    EXPECT_EQ(checkpoints, 3 + 3 * 160);
    EXPECT_TRUE(problems.empty()) << problems.front();
    scene.ExpectPreviews();
}

// A memory limit that the layer image and the merged picture use up leaves nothing for the photos, which must be
// refused (naming the photo and what it needs), never read as "no limit": the arithmetic of what
// is left cannot turn 0 into the default. One byte short of a photo is refused as well.
TEST(PsdRenderer, WhatTheLayerLeavesIsThePhotosBudget)
{
    Scene scene;
    scene.doc.fRenderPath = scene.dir.File("out.psd").c_str();
    TestOwner owner(&scene.doc);
    const int64_t layer = 2 * 320 * 160 * 4;  // the layer image and the merged picture
    const int64_t photo = 800 * 600 * 4 + 800 * 4;  // the decoded image and the PNG reader's row
    const struct {
        int64_t limit;
        RenderStatus status;
    } cases[] = {{layer, RenderStatus::kFailed}, {layer + photo - 1, RenderStatus::kFailed},
                 {layer + photo, RenderStatus::kDone}};
    // With two threads the second photo, decoded ahead, does not fit beside the first: it must
    // then load alone as with one thread, not fail.
    for (int threads : {1, 2}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(c.limit) + ", " + std::to_string(threads) + " threads");
            Quor_Parallel::SetThreads(threads);
            std::filesystem::remove(scene.doc.fRenderPath.Buffer());
            RenderOptions options;
            options.memoryLimit = c.limit;
            const RenderResult result = owner.RenderAndWait(RenderKind::kPsd, {}, options);
            EXPECT_EQ(result.status, c.status);
            if (c.status == RenderStatus::kFailed) {
                EXPECT_EQ(result.failure, RenderFailure::kNoMemory);
                EXPECT_NE(result.cause.find("left.png (800 x 600 pixels) needs"), std::string::npos) << result.cause;
                EXPECT_NE(result.Message().find(result.cause), std::string::npos) << result.Message();
                EXPECT_FALSE(std::filesystem::exists(scene.doc.fRenderPath.Buffer()));
            }
            scene.ExpectPreviews();
        }
    }
    Quor_Parallel::SetThreads(0);
}

// A preview put back from the wrong place, or kept for a photo whose file has gone: after an
// export each photo must hold the very pixels of its preview from before, and after an export
// that failed on a vanished file that photo must hold nothing, as a fresh load of it gives.
TEST(PsdRenderer, PhotosGetTheirOwnPreviewsBack)
{
    Scene scene;
    scene.doc.fRenderPath = scene.dir.File("out.psd").c_str();
    auto pixels = [&](int i) {
        const Quor_BaseImage& image = scene.doc.fPhotoImage[i];
        return image.IsValid() ? std::string(reinterpret_cast<const char*>(image.Bits()),
                                             static_cast<size_t>(image.RowBytes()) * image.Height())
                               : std::string();
    };
    std::string before[3];
    for (int i = 0; i < 3; i++)
        before[i] = pixels(i);
    TestOwner owner(&scene.doc);
    // With one thread each photo loads in its turn; with more the next photos are decoded ahead,
    // the vanished one while the photo before it renders.
    for (int threads : {1, 2}) {
        Quor_Parallel::SetThreads(threads);
        ASSERT_EQ(owner.RenderAndWait(RenderKind::kPsd).status, RenderStatus::kDone);
        for (int i = 0; i < 3; i++)
            EXPECT_TRUE(pixels(i) == before[i]) << "photo " << i << ", " << threads << " threads";
    }
    std::filesystem::remove(scene.photos[1]);
    for (int threads : {1, 2}) {
        Quor_Parallel::SetThreads(threads);
        const RenderResult result = owner.RenderAndWait(RenderKind::kPsd);
        EXPECT_EQ(result.failure, RenderFailure::kPhotosMissing);
        EXPECT_EQ(result.missingPhotos, std::vector<std::string>{"middle.png"});
        EXPECT_TRUE(pixels(0) == before[0]);
        EXPECT_FALSE(scene.doc.fPhotoImage[1].IsValid());
        EXPECT_TRUE(pixels(2) == before[2]);
    }
    Quor_Parallel::SetThreads(0);
}
