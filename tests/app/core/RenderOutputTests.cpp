// Tests of what an export's failures leave behind and say: one status, no partial file under the
// user's name, the photos back at preview size, and each failure's own cause in its message.
#include <cerrno>

#include "tests/app/core/AppTestSupport.h"
#include "app/core/RenderOutput.h"

namespace {

using namespace app_test;
using Scene = ThreePhotoScene;

}  // namespace

// Each failure must end with one clear status, no partial file under the user's name and the
// photos at preview size: an output in a missing folder, a full disk (leaving the device alone),
// an output that is a source photo (by any name) or the project, no output, a size outside the
// limits, photos or a layer too large for the memory limit, and a photo that vanished after it was
// shown (named; a photo missing already while editing is simply left out).
TEST(RenderOutput, FailuresReportOneStatusAndLeaveNothingBehind)
{
    Scene scene;
    TestOwner owner(&scene.doc);
    const std::string sameDir = scene.dir.Path() + "/./../" + std::filesystem::path(scene.dir.Path()).filename().string();
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
        {"missing folder", kJpeg, scene.dir.File("no-such-folder/out.jpg"), F::kCannotCreate, {}, 160},
        {"missing folder, PSD", kPsd, scene.dir.File("no-such-folder/out.psd"), F::kCannotCreate, {}, 160},
        {"full disk", kJpeg, "/dev/full", F::kWriteFailed, {}, 160},
        {"full disk, PSD", kPsd, "/dev/full", F::kWriteFailed, {}, 160},
        {"a source photo", kJpeg, scene.photos[1], F::kOutputIsSource, {}, 160},
        {"a source photo by another name", kPsd, sameDir + "/middle.png", F::kOutputIsSource, {}, 160},
        {"the project", kJpeg, scene.doc.fPath.Buffer(), F::kOutputIsSource, {}, 160},
        {"no output", kJpeg, "", F::kNoOutput, {}, 160},
        {"too tall", kJpeg, scene.dir.File("big.jpg"), F::kBadSize, {}, 70000},
        {"too short", kJpeg, scene.dir.File("big.jpg"), F::kBadSize, {}, 15},
        {"layer beyond the memory limit", kPsd, scene.dir.File("huge.psd"), F::kNoMemory, tight, 160},
        {"photos beyond the memory limit", kJpeg, scene.dir.File("huge.jpg"), F::kNoMemory, photosTooBig, 160},
    };
    WriteFileBytes(scene.doc.fPath.Buffer(), "application/x-vnd.quor_panomerdoc\n");
    const std::string photoBytes = ReadFileBytes(scene.photos[1]);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        scene.doc.fRenderPath = c.output.c_str();
        scene.doc.fRenderHeight = c.height;
        const RenderResult result = owner.RenderAndWait(c.kind, {}, c.options);
        EXPECT_EQ(result.status, RenderStatus::kFailed);
        EXPECT_EQ(result.failure, c.failure);
        if (c.failure == RenderFailure::kWriteFailed) {
            EXPECT_EQ(result.systemError, ENOSPC) << result.Message();
        }
        EXPECT_FALSE(result.Message().empty());
        scene.ExpectPreviews();
        const bool ours = c.output.rfind(scene.dir.File(""), 0) == 0 && c.failure != RenderFailure::kOutputIsSource;
        EXPECT_FALSE(ours && std::filesystem::exists(c.output));
    }
    scene.doc.fRenderHeight = 160;
    EXPECT_FALSE(std::filesystem::exists(scene.dir.File("no-such-folder")));
    EXPECT_EQ(ReadFileBytes(scene.photos[1]), photoBytes);
    EXPECT_EQ(ReadFileBytes(scene.doc.fPath.Buffer()), "application/x-vnd.quor_panomerdoc\n");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));

    for (RenderKind kind : {RenderKind::kJpeg, RenderKind::kPsd}) {
        MakePhoto(scene.photos[1], 800, 600, Scene::kGreen, Scene::kBlue);
        scene.doc.UpdatePhoto(1, kPreviewSize);
        ASSERT_TRUE(scene.doc.fPhotoImage[1].IsValid());
        ASSERT_TRUE(std::filesystem::remove(scene.photos[1]));
        const std::string output = scene.dir.File(kind == RenderKind::kJpeg ? "gone.jpg" : "gone.psd");
        scene.doc.fRenderPath = output.c_str();
        const RenderResult result = owner.RenderAndWait(kind);
        EXPECT_EQ(result.failure, RenderFailure::kPhotosMissing);
        ASSERT_EQ(result.missingPhotos.size(), 1u);
        EXPECT_EQ(result.missingPhotos[0], "middle.png");
        EXPECT_NE(result.Message().find("middle.png"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(output));
        EXPECT_EQ(scene.doc.fPhotoImage[0].Width(), 640);
        EXPECT_EQ(scene.doc.fPhotoImage[2].Width(), 640);
    }
    scene.doc.UpdatePhoto(1, kPreviewSize);
    scene.doc.fRenderPath = scene.dir.File("without.jpg").c_str();
    EXPECT_EQ(owner.RenderAndWait(RenderKind::kJpeg).status, RenderStatus::kDone);
}

// A failure's message must give its own cause, never whatever errno holds by the time it is
// written (a failed stat of the not yet existing output leaves ENOENT behind, so a writer's
// refusal read "No such file or directory"); a file that cannot be created, or a write that
// fails, names its own system error; a panorama too large for the PSD format says so.
TEST(RenderOutput, MessagesCarryEachFailuresOwnCause)
{
    ScratchDir dir;
    RenderOutput output;
    ASSERT_TRUE(output.Create(dir.File("out.jpg").c_str()));
    errno = ENOENT;
    const RenderResult refused = output.FailWrite(0);
    EXPECT_EQ(refused.failure, RenderFailure::kWriteFailed);
    EXPECT_EQ(refused.systemError, 0);
    EXPECT_EQ(refused.Message(), "Could not write the panorama.");
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.jpg")));

    RenderOutput full;
    ASSERT_TRUE(full.Create("/dev/full"));
    errno = ENOENT;
    EXPECT_EQ(full.FailWrite(ENOSPC).Message(), "Could not write the panorama: No space left on device.");

    RenderOutput missing;
    EXPECT_FALSE(missing.Create(dir.File("missing/out.jpg").c_str()));
    EXPECT_EQ(missing.SystemError(), ENOENT);

    RenderResult tooLarge = RenderResult::Failed(RenderFailure::kTooLarge);
    EXPECT_EQ(tooLarge.Message(), "The panorama is too large for the PSD format.");
    RenderResult noMemory = RenderResult::Failed(RenderFailure::kNoMemory);
    noMemory.cause = "a.jpg (100 x 100 pixels) needs 40 KB of memory to load, more than the 0 bytes left.";
    EXPECT_EQ(noMemory.Message(), "Not enough memory for a panorama of this size. " + noMemory.cause);
}
