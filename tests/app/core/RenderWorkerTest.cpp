// Tests of the export workers end to end: the files they write, Cancel at every stage, every
// failure and what it leaves behind, the photos' return to preview size, and the race of Cancel
// against completion.
#include <random>

#include "tests/app/core/AppTestSupport.h"

namespace {

using namespace app_test;

constexpr rgb_color kRed{230, 20, 20, 255}, kBlue{20, 20, 230, 255}, kGreen{20, 200, 40, 255},
    kYellow{230, 220, 30, 255}, kGrey{220, 220, 220, 255}, kBlack{0, 0, 0, 255};
constexpr RenderCheckpoint::Stage kLoading = RenderCheckpoint::kLoadingPhoto, kRow = RenderCheckpoint::kRenderingRow;

// Three photos larger than the preview size, side by side around yaw 0, in a scratch folder.
class RenderWorkerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitImaging(); }

    void SetUp() override
    {
        const rgb_color halves[3][2] = {{kRed, kRed}, {kGreen, kBlue}, {kYellow, kYellow}};
        const char* names[3] = {"left.png", "middle.png", "right.png"};
        fDoc.fPath = fDir.File("pano.qpm").c_str();
        for (int i = 0; i < 3; i++) {
            fPhotos[i] = fDir.File(names[i]);
            MakePhoto(fPhotos[i], 800, 600, halves[i][0], halves[i][1]);
            AddPhoto(&fDoc, fPhotos[i], 1.0f - i);
        }
        fDoc.fRenderWidth = 320;
        fDoc.fRenderHeight = 160;
        fDoc.fQuality = 90;
        fDoc.fRenderPath = fDir.File("out.jpg").c_str();
    }

    // Every photo holds its 640-pixel preview again, as the canvas needs after any export.
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
// gives a picture that is not the arrangement (the middle photo's halves on the correct sides,
// grey where no photo reaches). A Cancel must never leave a file a viewer rejects, nor photos
// stuck at full size: while photos load the JPEG is empty; during the rows it is whole, its
// remaining rows repeating the last one; before the first row those rows are black, not heap.
TEST_F(RenderWorkerTest, JpegExportAndCancelLeaveCompleteFiles)
{
    const std::string path = fDoc.fRenderPath.Buffer();
    TestOwner owner(&fDoc);
    const RenderResult result = owner.RenderAndWait(RenderKind::kJpeg);
    ASSERT_EQ(result.status, RenderStatus::kDone) << result.Message();
    EXPECT_GE(owner.Progress(), 0.99f);
    ExpectPreviews();
    Quor_BaseImage out;
    LoadFile(path, &out);
    ASSERT_EQ(out.Width(), 320);
    ASSERT_EQ(out.Height(), 160);
    // Yaw 0 is the middle column; larger yaws lie to the left.
    const struct {
        int x, y;
        rgb_color colour;
        int tolerance;
    } expected[] = {{155, 80, kGreen, 12}, {170, 80, kBlue, 12}, {105, 80, kRed, 12}, {215, 80, kYellow, 12},
                    {5, 5, kGrey, 3}, {160, 155, kGrey, 3}};
    for (const auto& e : expected)
        EXPECT_TRUE(Near(PixelAt(out, e.x, e.y), e.colour, e.tolerance)) << e.x << ", " << e.y;

    for (int photo : {0, 1, 2}) {
        const RenderStatus status = owner.RenderAndWait(RenderKind::kJpeg, RenderCheckpoint{kLoading, photo, 0}).status;
        EXPECT_EQ(status, RenderStatus::kCancelled);
        EXPECT_EQ(std::filesystem::file_size(path), 0u) << "cancelled before loading photo " << photo;
        ExpectPreviews();
    }
    EXPECT_EQ(owner.RenderAndWait(RenderKind::kJpeg, RenderCheckpoint{kRow, -1, 100}).status, RenderStatus::kCancelled);
    ExpectPreviews();
    LoadFile(path, &out);
    ASSERT_EQ(out.Height(), 160);
    EXPECT_TRUE(Near(PixelAt(out, 155, 90), kGreen, 12));
    EXPECT_TRUE(Near(PixelAt(out, 155, 140), PixelAt(out, 155, 99), 12));
    EXPECT_TRUE(Near(PixelAt(out, 215, 150), kYellow, 12));

    EXPECT_EQ(owner.RenderAndWait(RenderKind::kJpeg, RenderCheckpoint{kRow, -1, 0}).status, RenderStatus::kCancelled);
    LoadFile(path, &out);
    ASSERT_EQ(out.Height(), 160);
    EXPECT_TRUE(Near(PixelAt(out, 155, 80), kBlack, 3));
    EXPECT_TRUE(Near(PixelAt(out, 5, 5), kBlack, 3));
}

// The PSD must declare one layer per photo, named after its file, in document order, each
// transparent where its photo does not reach and opaque where it does, as an independent reader
// sees it; a Cancel during the second of three layers, or before any photo, must still give a
// file with all three layers (transparent ones when nothing was rendered).
TEST_F(RenderWorkerTest, PsdExportAndCancelKeepEveryLayer)
{
    if (!HaveIdentify())
        GTEST_SKIP() << "ImageMagick's identify is not installed";
    fDoc.fRenderPath = fDir.File("out.psd").c_str();
    const std::string path = "'" + fDir.File("out.psd") + "'";
    TestOwner owner(&fDoc);
    const RenderResult result = owner.RenderAndWait(RenderKind::kPsd);
    ASSERT_EQ(result.status, RenderStatus::kDone) << result.Message();
    ExpectPreviews();
    // The merged image comes first, then the layers.
    EXPECT_EQ(Identify("-format '%w %h\\n' " + path), "320 160\n320 160\n320 160\n320 160\n");
    EXPECT_EQ(Identify("-format '%l|' " + path), "|left.png|middle.png|right.png|");
    // Layer 2 (the middle photo): opaque green at the centre-left, transparent in the corner and
    // over the yellow photo's place.
    const std::string layer = "'" + fDir.File("out.psd") + "[2]'";
    EXPECT_EQ(Identify("-format '%[fx:int(255*p{150,80}.a)] %[fx:int(255*p{150,80}.g)]' " + layer), "255 200");
    EXPECT_EQ(Identify("-format '%[fx:int(255*p{2,2}.a)] %[fx:int(255*p{250,80}.a)]' " + layer), "0 0");

    EXPECT_EQ(owner.RenderAndWait(RenderKind::kPsd, RenderCheckpoint{kRow, 1, 80}).status, RenderStatus::kCancelled);
    ExpectPreviews();
    EXPECT_EQ(Identify("-format '%l|' " + path), "|left.png|middle.png|right.png|");

    EXPECT_EQ(owner.RenderAndWait(RenderKind::kPsd, RenderCheckpoint{kLoading, 0, 0}).status, RenderStatus::kCancelled);
    ExpectPreviews();
    EXPECT_EQ(Identify("-format '%l|' " + path), "|left.png|middle.png|right.png|");
    EXPECT_EQ(Identify("-format '%[fx:int(255*maxima.a)]' '" + fDir.File("out.psd") + "[1]'"), "0");
}

// Each failure must end with one clear status, no partial file under the user's name and the
// photos at preview size: an output in a missing folder, a full disk (leaving the device alone),
// an output that is a source photo (by any name) or the project, no output, a size outside the
// limits, photos or a layer too large for the memory limit, and a photo that vanished after it was
// shown (named; a photo missing already while editing is simply left out).
TEST_F(RenderWorkerTest, FailuresReportOneStatusAndLeaveNothingBehind)
{
    TestOwner owner(&fDoc);
    const std::string sameDir = fDir.Path() + "/./../" + std::filesystem::path(fDir.Path()).filename().string();
    RenderOptions tight;
    tight.memoryLimit = 320 * 160 * 4 - 1;
    RenderOptions photosTooBig;
    photosTooBig.memoryLimit = 800 * 600 * 4 * 2;
    const RenderKind kJpeg = RenderKind::kJpeg, kPsd = RenderKind::kPsd;
    using F = RenderFailure;
    const struct {
        const char* what;
        RenderKind kind;
        std::string output;
        RenderFailure failure;
        RenderOptions options;
        int height;
    } cases[] = {
        {"missing folder", kJpeg, fDir.File("no-such-folder/out.jpg"), F::kCannotCreate, {}, 160},
        {"missing folder, PSD", kPsd, fDir.File("no-such-folder/out.psd"), F::kCannotCreate, {}, 160},
        {"full disk", kJpeg, "/dev/full", F::kWriteFailed, {}, 160},
        {"full disk, PSD", kPsd, "/dev/full", F::kWriteFailed, {}, 160},
        {"a source photo", kJpeg, fPhotos[1], F::kOutputIsSource, {}, 160},
        {"a source photo by another name", kPsd, sameDir + "/middle.png", F::kOutputIsSource, {}, 160},
        {"the project", kJpeg, fDoc.fPath.Buffer(), F::kOutputIsSource, {}, 160},
        {"no output", kJpeg, "", F::kNoOutput, {}, 160},
        {"too tall", kJpeg, fDir.File("big.jpg"), F::kBadSize, {}, 70000},
        {"too short", kJpeg, fDir.File("big.jpg"), F::kBadSize, {}, 15},
        {"layer beyond the memory limit", kPsd, fDir.File("huge.psd"), F::kNoMemory, tight, 160},
        {"photos beyond the memory limit", kJpeg, fDir.File("huge.jpg"), F::kNoMemory, photosTooBig, 160},
    };
    WriteFileBytes(fDoc.fPath.Buffer(), "application/x-vnd.quor_panomerdoc\n");
    const std::string photoBytes = ReadFileBytes(fPhotos[1]);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fDoc.fRenderPath = c.output.c_str();
        fDoc.fRenderHeight = c.height;
        const RenderResult result = owner.RenderAndWait(c.kind, {}, c.options);
        EXPECT_EQ(result.status, RenderStatus::kFailed);
        EXPECT_EQ(result.failure, c.failure);
        EXPECT_FALSE(result.Message().empty());
        ExpectPreviews();
        const bool ours = c.output.rfind(fDir.File(""), 0) == 0 && c.failure != RenderFailure::kOutputIsSource;
        EXPECT_FALSE(ours && std::filesystem::exists(c.output));
    }
    fDoc.fRenderHeight = 160;
    EXPECT_FALSE(std::filesystem::exists(fDir.File("no-such-folder")));
    EXPECT_EQ(ReadFileBytes(fPhotos[1]), photoBytes);
    EXPECT_EQ(ReadFileBytes(fDoc.fPath.Buffer()), "application/x-vnd.quor_panomerdoc\n");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));

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
    AddPhoto(&doc, small, 0.0f);
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
        int ends = 0;
        const RenderResult result = owner.LastResult(&ends);
        ASSERT_EQ(ends, 1) << "iteration " << i;
        ASSERT_EQ(doc.fPhotoImage[0].Width(), 24);
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
