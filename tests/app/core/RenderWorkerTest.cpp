// Tests of the export workers end to end: the files they write, Cancel at every stage, every
// failure and what it leaves behind, the photos' return to preview size, and the race of Cancel
// against completion.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <sys/stat.h>
#include <thread>

#include "app/core/JpegRenderer.h"
#include "app/core/PanomerDoc.h"
#include "app/core/RenderOwner.h"
#include "tests/app/core/RenderTestSupport.h"
#include "tests/support/TestFiles.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/Quor_ImageOps.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"

namespace {

using quor_test::ReadFileBytes;
using quor_test::ScratchDir;
using render_test::AddPhoto;
using render_test::LoadFile;
using render_test::MakePhoto;
using render_test::PixelAt;
using render_test::TestOwner;

constexpr rgb_color kRed{230, 20, 20, 255};
constexpr rgb_color kBlue{20, 20, 230, 255};
constexpr rgb_color kGreen{20, 200, 40, 255};
constexpr rgb_color kYellow{230, 220, 30, 255};

bool Near(rgb_color a, rgb_color b, int tolerance)
{
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance;
}

int64_t FileSize(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
}

// Three photos larger than the preview size, side by side around yaw 0, in a scratch folder.
class RenderWorkerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Quor_ImageOps::InitAlphaTables();
        Quor_ImageIo::InitImageLoader();
    }

    void SetUp() override
    {
        fPhotos[0] = fDir.File("left.png");
        fPhotos[1] = fDir.File("middle.png");
        fPhotos[2] = fDir.File("right.png");
        MakePhoto(fPhotos[0], 800, 600, kRed, kRed);
        MakePhoto(fPhotos[1], 800, 600, kGreen, kBlue);
        MakePhoto(fPhotos[2], 800, 600, kYellow, kYellow);
        fDoc.fPath = fDir.File("pano.qpm").c_str();
        AddPhoto(&fDoc, fPhotos[0], 1.0f, 0.0f);
        AddPhoto(&fDoc, fPhotos[1], 0.0f, 0.0f);
        AddPhoto(&fDoc, fPhotos[2], -1.0f, 0.0f);
        fDoc.fRenderWidth = 320;
        fDoc.fRenderHeight = 160;
        fDoc.fQuality = 90;
        fDoc.fRenderPath = fDir.File("out.jpg").c_str();
    }

    // Every photo holds its 640-pixel preview, as the canvas needs after any export.
    void ExpectPreviews()
    {
        for (int i = 0; i < fDoc.fNumPhotos; i++) {
            EXPECT_EQ(fDoc.fPhotoImage[i].Width(), 640) << "photo " << i;
            EXPECT_EQ(fDoc.fPhotoImage[i].Height(), 480) << "photo " << i;
        }
    }

    ScratchDir fDir;
    std::string fPhotos[3];
    PanomerDoc fDoc{24.0f};
};

// A renderer that maps pixels wrongly, blends in the wrong order or writes rows out of place
// produces a picture that is not the arrangement: the JPEG must have the size asked for, the
// middle photo's two halves on the correct sides, and the background where no photo reaches.
TEST_F(RenderWorkerTest, JpegExportWritesTheArrangement)
{
    TestOwner owner(&fDoc);
    const RenderResult result = owner.RenderAndWait(RenderKind::kJpeg);
    ASSERT_EQ(result.status, RenderStatus::kDone) << result.Message();
    EXPECT_EQ(owner.Progress() >= 0.99f, true);
    ExpectPreviews();

    Quor_BaseImage out;
    LoadFile(fDoc.fRenderPath.Buffer(), &out);
    ASSERT_EQ(out.Width(), 320);
    ASSERT_EQ(out.Height(), 160);
    // Yaw 0 is the middle column; larger yaws lie to the left.
    EXPECT_TRUE(Near(PixelAt(out, 155, 80), kGreen, 12));
    EXPECT_TRUE(Near(PixelAt(out, 170, 80), kBlue, 12));
    EXPECT_TRUE(Near(PixelAt(out, 105, 80), kRed, 12));
    EXPECT_TRUE(Near(PixelAt(out, 215, 80), kYellow, 12));
    EXPECT_TRUE(Near(PixelAt(out, 5, 5), rgb_color{220, 220, 220, 255}, 3));
    EXPECT_TRUE(Near(PixelAt(out, 160, 155), rgb_color{220, 220, 220, 255}, 3));
}

// The PSD must declare one layer per photo, named after the photo's file, each transparent where
// its photo does not reach and opaque where it does; a missing or misnamed layer loses work in the
// image editor.
TEST_F(RenderWorkerTest, PsdExportWritesOneTransparentLayerPerPhoto)
{
    if (!render_test::HaveIdentify())
        GTEST_SKIP() << "ImageMagick's identify is not installed";
    fDoc.fRenderPath = fDir.File("out.psd").c_str();
    TestOwner owner(&fDoc);
    const RenderResult result = owner.RenderAndWait(RenderKind::kPsd);
    ASSERT_EQ(result.status, RenderStatus::kDone) << result.Message();
    ExpectPreviews();

    const std::string path = fDoc.fRenderPath.Buffer();
    // The merged image comes first, then the layers in document order.
    EXPECT_EQ(render_test::Identify("-format '%w %h\\n' '" + path + "'"),
              "320 160\n320 160\n320 160\n320 160\n");
    EXPECT_EQ(render_test::Identify("-format '%l|' '" + path + "'"), "|left.png|middle.png|right.png|");
    // Layer 2 (the middle photo): opaque green at the centre-left, transparent in the corner and
    // over the yellow photo's place.
    const std::string layer = "'" + path + "[2]'";
    EXPECT_EQ(render_test::Identify("-format '%[fx:int(255*p{150,80}.a)] %[fx:int(255*p{150,80}.g)]' " + layer),
              "255 200");
    EXPECT_EQ(render_test::Identify("-format '%[fx:int(255*p{2,2}.a)]' " + layer), "0");
    EXPECT_EQ(render_test::Identify("-format '%[fx:int(255*p{250,80}.a)]' " + layer), "0");
}

// A Cancel must never leave a file that an image viewer rejects, nor photos stuck at full size:
// before the first photo loads and while photos load the JPEG is empty; during the rows it is a
// whole JPEG whose remaining rows repeat the last row; before the first row those rows are black,
// not leftover heap memory.
TEST_F(RenderWorkerTest, JpegCancelAtEveryStageLeavesACompleteFile)
{
    const std::string path = fDoc.fRenderPath.Buffer();
    TestOwner owner(&fDoc);
    for (int photo : {0, 1, 2}) {
        owner.CancelAt(RenderCheckpoint::kLoadingPhoto, photo, 0);
        EXPECT_EQ(owner.RenderAndWait(RenderKind::kJpeg).status, RenderStatus::kCancelled);
        EXPECT_EQ(FileSize(path), 0) << "cancelled before loading photo " << photo;
        ExpectPreviews();
    }

    owner.CancelAt(RenderCheckpoint::kRenderingRow, -1, 100);
    EXPECT_EQ(owner.RenderAndWait(RenderKind::kJpeg).status, RenderStatus::kCancelled);
    ExpectPreviews();
    Quor_BaseImage out;
    LoadFile(path, &out);
    ASSERT_EQ(out.Width(), 320);
    ASSERT_EQ(out.Height(), 160);
    EXPECT_TRUE(Near(PixelAt(out, 155, 90), kGreen, 12));
    EXPECT_TRUE(Near(PixelAt(out, 155, 140), PixelAt(out, 155, 99), 12));
    EXPECT_TRUE(Near(PixelAt(out, 215, 150), kYellow, 12));

    owner.CancelAt(RenderCheckpoint::kRenderingRow, -1, 0);
    EXPECT_EQ(owner.RenderAndWait(RenderKind::kJpeg).status, RenderStatus::kCancelled);
    LoadFile(path, &out);
    ASSERT_EQ(out.Height(), 160);
    EXPECT_TRUE(Near(PixelAt(out, 155, 80), rgb_color{0, 0, 0, 255}, 3));
    EXPECT_TRUE(Near(PixelAt(out, 5, 5), rgb_color{0, 0, 0, 255}, 3));
}

// Cancelling the PSD in the middle of the second of three layers must still give a file with all
// three layers, which an image editor can open.
TEST_F(RenderWorkerTest, PsdCancelDuringTheSecondLayerKeepsEveryLayer)
{
    if (!render_test::HaveIdentify())
        GTEST_SKIP() << "ImageMagick's identify is not installed";
    fDoc.fRenderPath = fDir.File("out.psd").c_str();
    const std::string path = fDoc.fRenderPath.Buffer();
    TestOwner owner(&fDoc);
    owner.CancelAt(RenderCheckpoint::kRenderingRow, 1, 80);
    EXPECT_EQ(owner.RenderAndWait(RenderKind::kPsd).status, RenderStatus::kCancelled);
    ExpectPreviews();
    EXPECT_EQ(render_test::Identify("-format '%l|' '" + path + "'"), "|left.png|middle.png|right.png|");

    // Before any photo: three layers, all transparent.
    owner.CancelAt(RenderCheckpoint::kLoadingPhoto, 0, 0);
    EXPECT_EQ(owner.RenderAndWait(RenderKind::kPsd).status, RenderStatus::kCancelled);
    ExpectPreviews();
    EXPECT_EQ(render_test::Identify("-format '%l|' '" + path + "'"), "|left.png|middle.png|right.png|");
    EXPECT_EQ(render_test::Identify("-format '%[fx:int(255*maxima.a)]' '" + path + "[1]'"), "0");
}

// Each failure must end with one clear status and no partial file under the user's name, and must
// leave the photos at preview size: an output in a missing folder, a full disk, a photo that
// vanished after it was shown, an output that is a source photo or the project itself, a size
// outside the limits, and a layer image too large for memory.
TEST_F(RenderWorkerTest, FailuresReportOneStatusAndLeaveNothingBehind)
{
    TestOwner owner(&fDoc);
    struct Case {
        const char* what;
        RenderKind kind;
        std::string output;
        RenderFailure failure;
    };
    const std::string missingFolder = fDir.File("no-such-folder/out.jpg");
    const Case cases[] = {
        {"missing folder", RenderKind::kJpeg, missingFolder, RenderFailure::kCannotCreate},
        {"missing folder, PSD", RenderKind::kPsd, fDir.File("no-such-folder/out.psd"), RenderFailure::kCannotCreate},
        {"full disk", RenderKind::kJpeg, "/dev/full", RenderFailure::kWriteFailed},
        {"full disk, PSD", RenderKind::kPsd, "/dev/full", RenderFailure::kWriteFailed},
        {"a source photo", RenderKind::kJpeg, fPhotos[1], RenderFailure::kOutputIsSource},
        {"a source photo by another name", RenderKind::kPsd, fDir.Path() + "/./../" +
             std::filesystem::path(fDir.Path()).filename().string() + "/middle.png", RenderFailure::kOutputIsSource},
        {"the project", RenderKind::kJpeg, fDoc.fPath.Buffer(), RenderFailure::kOutputIsSource},
        {"no output", RenderKind::kJpeg, "", RenderFailure::kNoOutput},
    };
    quor_test::WriteFileBytes(fDoc.fPath.Buffer(), "application/x-vnd.quor_panomerdoc\n");
    const std::string photoBytes = ReadFileBytes(fPhotos[1]);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fDoc.fRenderPath = c.output.c_str();
        const RenderResult result = owner.RenderAndWait(c.kind);
        EXPECT_EQ(result.status, RenderStatus::kFailed);
        EXPECT_EQ(result.failure, c.failure);
        EXPECT_FALSE(result.Message().empty());
        ExpectPreviews();
    }
    EXPECT_FALSE(std::filesystem::exists(missingFolder));
    EXPECT_EQ(ReadFileBytes(fPhotos[1]), photoBytes);
    EXPECT_EQ(ReadFileBytes(fDoc.fPath.Buffer()), "application/x-vnd.quor_panomerdoc\n");
    // The device is still the device: a failed export removes only regular files.
    struct stat info;
    ASSERT_EQ(stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));

    // A size beyond what the encoder accepts, or below the smallest export, is refused up front.
    fDoc.fRenderPath = fDir.File("big.jpg").c_str();
    fDoc.fRenderHeight = 70000;
    EXPECT_EQ(owner.RenderAndWait(RenderKind::kJpeg).failure, RenderFailure::kBadSize);
    fDoc.fRenderHeight = 15;
    EXPECT_EQ(owner.RenderAndWait(RenderKind::kJpeg).failure, RenderFailure::kBadSize);
    EXPECT_FALSE(std::filesystem::exists(fDir.File("big.jpg")));
    fDoc.fRenderHeight = 160;

    // A layer image beyond the memory the export may use is refused before the file exists.
    fDoc.fRenderPath = fDir.File("huge.psd").c_str();
    RenderOptions tight;
    tight.memoryLimit = 320 * 160 * 4 - 1;
    EXPECT_EQ(owner.RenderAndWait(RenderKind::kPsd, tight).failure, RenderFailure::kNoMemory);
    EXPECT_FALSE(std::filesystem::exists(fDir.File("huge.psd")));
    // Full-size photos beyond it end the JPEG export, and its file goes.
    fDoc.fRenderPath = fDir.File("huge.jpg").c_str();
    tight.memoryLimit = 800 * 600 * 4 * 2;
    EXPECT_EQ(owner.RenderAndWait(RenderKind::kJpeg, tight).failure, RenderFailure::kNoMemory);
    EXPECT_FALSE(std::filesystem::exists(fDir.File("huge.jpg")));
    ExpectPreviews();

    // A photo shown while editing but gone at export time is named, and no panorama without it
    // is left behind looking complete.
    for (RenderKind kind : {RenderKind::kJpeg, RenderKind::kPsd}) {
        MakePhoto(fPhotos[1], 800, 600, kGreen, kBlue);
        fDoc.UpdatePhoto(1, kPreviewSize);
        ASSERT_TRUE(fDoc.fPhotoImage[1].IsValid());
        ASSERT_TRUE(std::filesystem::remove(fPhotos[1]));
        const std::string output = fDir.File(kind == RenderKind::kJpeg ? "gone.jpg" : "gone.psd");
        fDoc.fRenderPath = output.c_str();
        const RenderResult result = owner.RenderAndWait(kind);
        EXPECT_EQ(result.failure, RenderFailure::kPhotosMissing);
        ASSERT_EQ(result.missingPhotos.size(), 1u);
        EXPECT_EQ(result.missingPhotos[0], "middle.png");
        EXPECT_NE(result.Message().find("middle.png"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(output));
        EXPECT_EQ(fDoc.fPhotoImage[0].Width(), 640);
        EXPECT_EQ(fDoc.fPhotoImage[2].Width(), 640);
    }
    // A photo that was missing already while editing is left out without failing the export.
    fDoc.UpdatePhoto(1, kPreviewSize);
    fDoc.fRenderPath = fDir.File("without.jpg").c_str();
    EXPECT_EQ(owner.RenderAndWait(RenderKind::kJpeg).status, RenderStatus::kDone);
}

// The worker's end and the user's Cancel race each other: whichever comes first, the owner must
// be able to join exactly once, get exactly one end report, find the photos at preview size and,
// when the export finished, a valid file. Run under the sanitizers this also checks for data races
// on the shared state and for leaked threads.
TEST_F(RenderWorkerTest, CancelRacingCompletionNeverHangsOrLeaks)
{
    PanomerDoc doc(24.0f);
    const std::string small = fDir.File("small.png");
    MakePhoto(small, 24, 16, kRed, kBlue);
    AddPhoto(&doc, small, 0.0f, 0.0f);
    doc.fRenderWidth = 16;
    doc.fRenderHeight = 16;
    doc.fRenderPath = fDir.File("tiny.jpg").c_str();

    const unsigned seed = 4242;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delay(0, 1500);
    int done = 0, cancelled = 0;
    for (int i = 0; i < 300; i++) {
        TestOwner owner(&doc);
        RenderOptions options;
        options.startPauseMs = 0;
        ASSERT_TRUE(owner.StartRender(i % 4 == 3 ? RenderKind::kPsd : RenderKind::kJpeg, options));
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        owner.CancelRender();
        ASSERT_FALSE(owner.IsRendering());
        ASSERT_EQ(owner.EndCount(), 1) << "iteration " << i;
        ASSERT_TRUE(doc.fPhotoImage[0].IsValid());
        ASSERT_EQ(doc.fPhotoImage[0].Width(), 24);
        const RenderResult result = owner.LastResult();
        ASSERT_NE(result.status, RenderStatus::kFailed) << result.Message();
        done += result.status == RenderStatus::kDone;
        cancelled += result.status == RenderStatus::kCancelled;
        if (result.status == RenderStatus::kDone && i % 4 != 3) {
            Quor_BaseImage out;
            LoadFile(doc.fRenderPath.Buffer(), &out);
            ASSERT_EQ(out.Width(), 16) << "iteration " << i;
        }
    }
    std::printf("%d ended before the cancel, %d cancelled\n", done, cancelled);
    EXPECT_EQ(done + cancelled, 300);
}

}  // namespace
