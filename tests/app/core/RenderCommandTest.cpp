// Tests of panomer-render: its argument checks, the size it derives from the crop, its messages
// and exit statuses, and Ctrl-C as Cancel, by running the real executable.
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

#include "app/cli/ProgressBar.h"
#include "app/cli/RenderCommand.h"
#include "tests/app/core/AppTestSupport.h"

extern char** environ;

namespace {

using namespace app_test;

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class RenderCommandTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitImaging(); }

    void SetUp() override
    {
        MakePhoto(fDir.File("a.png"), 400, 300, rgb_color{200, 30, 30, 255}, rgb_color{30, 30, 200, 255});
        MakePhoto(fDir.File("b.png"), 400, 300, rgb_color{30, 200, 30, 255}, rgb_color{30, 200, 30, 255});
        WriteProject(fDir.File("pano.qpm"), "a.png");
    }

    // A project of two photos with a 3:1 crop of the horizontal spherical type.
    void WriteProject(const std::string& path, const std::string& firstPhoto)
    {
        WriteFileBytes(path, "application/x-vnd.quor_panomerdoc\nversion 1\nprojection_type 1\nfocal_length 24\ncrop 1.5 "
                             "-1.5 0.5 -0.5\nnum_photos 2\n0.2 0 0 1 \"" + firstPhoto + "\"\n-0.4 0 0 1 \"b.png\"\n");
    }

    // Starts panomer-render with `args`; standard error goes to a file in the scratch folder.
    pid_t Start(std::vector<std::string> args)
    {
        args.insert(args.begin(), PANOMER_RENDER);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, fDir.File("stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = -1;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    // The exit status (128 + signal when killed) and standard error of a started run.
    std::pair<int, std::string> Finish(pid_t pid)
    {
        int status = 0, code = -1;
        if (pid > 0 && waitpid(pid, &status, 0) == pid)
            code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return {code, ReadFileBytes(fDir.File("stderr.txt"))};
    }

    ScratchDir fDir;
};

// Bad usage must be refused with status 2 before any work is done (also a width whose height
// falls outside the limits); failures must say what failed and why with status 1 and never harm
// a source photo; a render must take its height from the crop as the export dialog does, its
// format from the extension, and name a photo that cannot be loaded rather than drop it silently.
TEST_F(RenderCommandTest, EveryRunEndsWithTheRightStatusAndMessage)
{
    ASSERT_TRUE(std::filesystem::copy_file(fDir.File("a.png"), fDir.File("a.jpg")));
    const std::string photo = ReadFileBytes(fDir.File("a.jpg"));
    const std::string pano = fDir.File("pano.qpm"), jpg = fDir.File("jpg.qpm"), missing = fDir.File("missing.qpm");
    WriteProject(jpg, "a.jpg");
    WriteProject(missing, "missing.png");
    WriteFileBytes(fDir.File("text.qpm"), "hello\n");
    const std::string nothing = fDir.File("nothing.qpm"), noFolder = fDir.File("missing-folder/out.jpg");
    const struct {
        std::vector<std::string> args;
        int status;
        std::vector<std::string> messages;
    } runs[] = {
        {{}, RenderCommand::kUsage, {"no project given"}},
        {{pano, "--width", "15"}, RenderCommand::kUsage, {"width must be 16 to 30000"}},
        {{pano, "--width=30001"}, RenderCommand::kUsage, {"width must be 16 to 30000"}},
        {{pano, "-w", "12x"}, RenderCommand::kUsage, {"width must be 16 to 30000"}},
        {{pano, "--quality", "9"}, RenderCommand::kUsage, {"quality must be 10 to 100"}},
        {{pano, "-o", fDir.File("out.png")}, RenderCommand::kUsage, {"must end in .jpg, .jpeg or .psd"}},
        {{pano, "-o", fDir.File("out")}, RenderCommand::kUsage, {"must end in .jpg, .jpeg or .psd"}},
        {{pano, "--frobnicate"}, RenderCommand::kUsage, {"unknown option --frobnicate"}},
        {{pano, "-o"}, RenderCommand::kUsage, {"needs a value"}},
        {{pano, pano}, RenderCommand::kUsage, {"more than one project"}},
        {{pano, "-w", "30", "-o", fDir.File("thin.jpg")}, RenderCommand::kUsage, {"gives a height of 10"}},
        {{nothing}, RenderCommand::kFailure, {"cannot open " + nothing + ": No such file or directory"}},
        {{fDir.File("text.qpm")}, RenderCommand::kFailure, {"not a Panomer project"}},
        {{pano, "-o", noFolder}, RenderCommand::kFailure, {"cannot create " + noFolder + ": No such file or directory"}},
        {{jpg, "-o", fDir.File("a.jpg")}, RenderCommand::kFailure, {"one of the project's photos"}},
        {{"--help"}, RenderCommand::kSuccess, {}},
        {{pano, "--width", "300"}, RenderCommand::kSuccess, {}},
        {{pano, "-o", fDir.File("layers.PSD"), "--width=90"}, RenderCommand::kSuccess, {}},
        {{missing, "-w", "120", "-o", fDir.File("partial.jpeg"), "--progress"}, RenderCommand::kSuccess,
         {"warning: cannot load photo " + fDir.File("missing.png"), "wrote " + fDir.File("partial.jpeg") + " (120 x 40)"}},
    };
    for (const auto& run : runs) {
        const auto [status, err] = Finish(Start(run.args));
        const std::string what = run.args.empty() ? "no arguments" : run.args.back();
        EXPECT_EQ(status, run.status) << what << ": " << err;
        for (const std::string& message : run.messages)
            EXPECT_TRUE(Contains(err, message)) << what << ": " << err;
        // Without a terminal and without --progress nothing is reported on success.
        EXPECT_TRUE(status != RenderCommand::kSuccess || !run.messages.empty() || err.empty()) << what << ": " << err;
    }
    for (const char* name : {"out.png", "out", "thin.jpg", "missing-folder"})
        EXPECT_FALSE(std::filesystem::exists(fDir.File(name))) << name;
    EXPECT_EQ(ReadFileBytes(fDir.File("a.jpg")), photo);
    Quor_BaseImage out;
    LoadFile(fDir.File("pano.jpg"), &out);
    EXPECT_EQ(out.Width(), 300);
    EXPECT_EQ(out.Height(), 100);
    if (HaveIdentify()) {
        EXPECT_EQ(Identify("-format '%l|%w %h|' '" + fDir.File("layers.PSD") + "'"), "|90 30|a.png|90 30|b.png|90 30|");
    }
}

// Ctrl-C must cancel like the dialog's Cancel: status 130 and a complete file of the full size,
// not a truncated one and not a process killed mid-write.
TEST_F(RenderCommandTest, InterruptCancelsAndLeavesACompleteFile)
{
    const std::string out = fDir.File("big.jpg");
    const pid_t pid = Start({fDir.File("pano.qpm"), "--width", "12000", "-o", out});
    ASSERT_GT(pid, 0);
    // Wait until rows are being written: the file has grown past the JPEG header.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    std::error_code error;
    while (!(std::filesystem::file_size(out, error) > 0 && !error) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(kill(pid, SIGINT), 0);
    const auto [status, err] = Finish(pid);
    ASSERT_EQ(status, RenderCommand::kInterrupted) << err;
    EXPECT_TRUE(Contains(err, "cancelled")) << err;
    Quor_BaseImage image;
    LoadFile(out, &image);
    EXPECT_EQ(image.Width(), 12000);
    EXPECT_EQ(image.Height(), 4000);
}

// A rate or a time left computed from the wrong quantities (or from the start of photo loading
// rather than the first row) misleads the user about a long render.
TEST(ProgressBarTest, ReportsRateAndTimeLeft)
{
    const std::pair<double, const char*> times[] = {{7.4, "0:07"}, {754, "12:34"}, {3723, "1:02:03"}, {NAN, "0:00"}};
    for (const auto& [seconds, text] : times)
        EXPECT_EQ(ProgressBar::FormatTime(seconds), text) << seconds;
    EXPECT_EQ(ProgressBar::Format(0.5f, 1000, 100.0, false), " 50%  100 rows/s  0:05 left");
    EXPECT_EQ(ProgressBar::Format(0.0f, 1000, 0.0, false), "  0%  loading photos");
    const std::string bar = ProgressBar::Format(0.25f, 4000, 50.0, true);
    EXPECT_EQ(bar.substr(0, 33), "[########----------------------] ");
    EXPECT_TRUE(Contains(bar, "1:00 left")) << bar;

    char* text = nullptr;
    size_t size = 0;
    FILE* memory = open_memstream(&text, &size);
    ASSERT_NE(memory, nullptr);
    ProgressBar lines(memory, 1000, false);
    lines.Update(0.0f, 0.0);
    lines.Update(0.1f, 10.0);
    lines.Update(0.6f, 15.0);
    lines.Finish();
    std::fclose(memory);
    EXPECT_EQ(std::string(text, size), "  0%  loading photos\n 10%\n 60%  100 rows/s  0:04 left\n");
    std::free(text);
}

}  // namespace
