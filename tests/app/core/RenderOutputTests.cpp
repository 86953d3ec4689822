// Tests of what an export's failures leave behind and say: one status, the file it was to replace
// as it was and no temporary file, the photos back at preview size, and each failure's own cause
// in its message.
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/app/core/AppTestSupport.h"
#include "app/core/RenderOutput.h"

namespace {

using namespace app_test;
using Scene = ThreePhotoScene;

constexpr char kOld[] = "last week's panorama";

// How an export ended, in a few words that a child process can hand back.
std::string Outcome(RenderFailure failure, int systemError)
{
    return "failure " + std::to_string(static_cast<int>(failure)) + ": " + std::strerror(systemError);
}

// Runs `body` in a child process and returns what it returned, or how the child was killed.
std::string InChild(const std::function<std::string()>& body)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return "no pipe";
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeEnds[0]);
        const std::string said = body();
        const ssize_t written = write(pipeEnds[1], said.data(), said.size());
        _exit(written == static_cast<ssize_t>(said.size()) ? 0 : 1);
    }
    close(pipeEnds[1]);
    std::string said;
    char buffer[256];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<size_t>(n));
    close(pipeEnds[0]);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return "no child";
    return WIFSIGNALED(status) ? said + "killed by " + strsignal(WTERMSIG(status)) : said;
}

}  // namespace

// Each failure must end with one clear status, the file it was to replace as it was, no
// temporary file and the photos at preview size: an output in a missing folder, a full disk
// (leaving the device alone), an output that is a source photo (by any name) or the project, no
// output, a size outside the limits, photos or a layer too large for the memory limit, and a
// photo that cannot be loaded (named), whether it vanished after it was shown or never loaded:
// only the command line, which has named such a photo already, may leave it out.
TEST(RenderOutput, FailuresReportOneStatusAndLeaveTheOldFileAsItWas)
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
        const bool ours = c.output.rfind(scene.dir.File(""), 0) == 0 && c.failure != RenderFailure::kOutputIsSource;
        if (ours)
            WriteFileBytes(c.output, kOld);
        scene.doc.fRenderPath = c.output.c_str();
        scene.doc.fRenderHeight = c.height;
        const RenderResult result = owner.RenderAndWait(c.kind, {}, c.options);
        EXPECT_EQ(result.status, RenderStatus::kFailed);
        EXPECT_EQ(result.failure, c.failure);
        if (c.failure == RenderFailure::kWriteFailed) {
            EXPECT_EQ(result.systemError, ENOSPC) << result.Message();
        }
        // A refusal for memory says how much the export needs.
        if (c.failure == RenderFailure::kNoMemory) {
            EXPECT_NE(result.Message().find(" needs "), std::string::npos) << result.Message();
        }
        EXPECT_FALSE(result.Message().empty());
        scene.ExpectPreviews();
        if (ours && c.failure != RenderFailure::kCannotCreate) {
            EXPECT_EQ(ReadFileBytes(c.output), kOld);
            std::filesystem::remove(c.output);
        }
        EXPECT_TRUE(TemporaryFiles(scene.dir.Path()).empty());
    }
    scene.doc.fRenderHeight = 160;
    EXPECT_FALSE(std::filesystem::exists(scene.dir.File("no-such-folder")));
    EXPECT_EQ(ReadFileBytes(scene.photos[1]), photoBytes);
    EXPECT_EQ(ReadFileBytes(scene.doc.fPath.Buffer()), "application/x-vnd.quor_panomerdoc\n");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));

    const struct {
        bool shown;    // it had a preview before its file went
        bool leaveOut;  // the command line's option
        RenderStatus status;
    } missing[] = {{true, false, RenderStatus::kFailed}, {true, true, RenderStatus::kFailed},
                   {false, false, RenderStatus::kFailed}, {false, true, RenderStatus::kDone}};
    const std::string photoBytes1 = ReadFileBytes(scene.photos[1]);
    for (RenderKind kind : {RenderKind::kJpeg, RenderKind::kPsd}) {
        for (const auto& m : missing) {
            SCOPED_TRACE(testing::Message() << (kind == RenderKind::kJpeg ? "JPEG" : "PSD") << " shown " << m.shown
                                            << " left out " << m.leaveOut);
            ASSERT_TRUE(WriteFileBytes(scene.photos[1], photoBytes1));
            scene.doc.UpdatePhoto(1, kPreviewSize);
            ASSERT_TRUE(std::filesystem::remove(scene.photos[1]));
            if (!m.shown)
                scene.doc.UpdatePhoto(1, kPreviewSize);
            ASSERT_EQ(scene.doc.fPhotoImage[1].IsValid(), m.shown);
            const std::string output = scene.dir.File(kind == RenderKind::kJpeg ? "gone.jpg" : "gone.psd");
            WriteFileBytes(output, kOld);
            scene.doc.fRenderPath = output.c_str();
            RenderOptions options;
            options.leaveOutUnloadedPhotos = m.leaveOut;
            const RenderResult result = owner.RenderAndWait(kind, {}, options);
            EXPECT_EQ(result.status, m.status);
            if (m.status == RenderStatus::kFailed) {
                EXPECT_EQ(result.failure, RenderFailure::kPhotosMissing);
                ASSERT_EQ(result.missingPhotos.size(), 1u);
                EXPECT_EQ(result.missingPhotos[0], "middle.png");
                EXPECT_NE(result.Message().find("middle.png"), std::string::npos);
                EXPECT_EQ(ReadFileBytes(output), kOld);
            } else {
                EXPECT_NE(ReadFileBytes(output), kOld);
            }
            EXPECT_TRUE(TemporaryFiles(scene.dir.Path()).empty());
            EXPECT_EQ(scene.doc.fPhotoImage[0].Width(), 640);
            EXPECT_EQ(scene.doc.fPhotoImage[2].Width(), 640);
        }
    }
    ASSERT_TRUE(WriteFileBytes(scene.photos[1], photoBytes1));
    scene.doc.UpdatePhoto(1, kPreviewSize);
    scene.doc.fRenderPath = scene.dir.File("without.jpg").c_str();
    EXPECT_EQ(owner.RenderAndWait(RenderKind::kJpeg).status, RenderStatus::kDone);
}

// A folder where no new file can be made beside the output (although the output itself could be
// written in place) must fail the export with its reason and leave the file there as it was. As
// root, whom a closed folder does not stop, the export runs in a child process as another user.
TEST(RenderOutput, AFolderClosedToNewFilesLeavesTheOldFileAsItWas)
{
    Scene scene;
    for (RenderKind kind : {RenderKind::kJpeg, RenderKind::kPsd}) {
        SCOPED_TRACE(kind == RenderKind::kJpeg ? "JPEG" : "PSD");
        const std::string old = scene.dir.File(kind == RenderKind::kJpeg ? "old.jpg" : "old.psd");
        ASSERT_TRUE(WriteFileBytes(old, kOld));
        ASSERT_EQ(chmod(old.c_str(), 0666), 0);
        scene.doc.fRenderPath = old.c_str();
        ASSERT_EQ(chmod(scene.dir.Path().c_str(), 0555), 0);
        const std::string outcome = InChild([&] {
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
                return std::string("cannot become another user");
            TestOwner owner(&scene.doc);
            const RenderResult result = owner.RenderAndWait(kind);
            return Outcome(result.failure, result.systemError);
        });
        ASSERT_EQ(chmod(scene.dir.Path().c_str(), 0700), 0);
        EXPECT_EQ(outcome, Outcome(RenderFailure::kCannotCreate, EACCES));
        EXPECT_EQ(ReadFileBytes(old), kOld);
    }
    EXPECT_TRUE(TemporaryFiles(scene.dir.Path()).empty());
}

// A failure's message must give its own cause, never whatever errno holds by the time it is
// written (a failed stat of the not yet existing output leaves ENOENT behind, so a writer's
// refusal read "No such file or directory"); a file that cannot be created, or a write that
// fails, names its own system error.
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
    EXPECT_TRUE(TemporaryFiles(dir.Path()).empty());

    RenderOutput full;
    ASSERT_TRUE(full.Create("/dev/full"));
    EXPECT_FALSE(full.ReplacesAFile());
    errno = ENOENT;
    EXPECT_EQ(full.FailWrite(ENOSPC).Message(), "Could not write the panorama: No space left on device.");

    RenderOutput missing;
    EXPECT_FALSE(missing.Create(dir.File("missing/out.jpg").c_str()));
    EXPECT_EQ(missing.SystemError(), ENOENT);

    // A cause follows the sentence.
    RenderResult noMemory = RenderResult::Failed(RenderFailure::kNoMemory);
    noMemory.cause = "a.jpg (100 x 100 pixels) needs 40 KB of memory to load, more than the 0 bytes left.";
    EXPECT_EQ(noMemory.Message(), "Not enough memory for a panorama of this size. " + noMemory.cause);
}
