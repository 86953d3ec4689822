// Tests of panomer-render: its argument checks, the size it derives from the crop, its messages
// and exit statuses, and Ctrl-C as Cancel, by running the real executable.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/cli/ProgressBar.h"
#include "app/cli/RenderCommand.h"
#include "tests/app/core/RenderTestSupport.h"
#include "tests/support/TestFiles.h"
#include "toolkit/imaging/Quor_ImageOps.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"

extern char** environ;

namespace {

using quor_test::ReadFileBytes;
using quor_test::ScratchDir;
using quor_test::WriteFileBytes;

struct Outcome {
    int status = -1;  // exit status, or 128 + signal
    std::string err;
};

// Starts panomer-render with `args`; standard error goes to a file in `dir`.
pid_t Start(const ScratchDir& dir, const std::vector<std::string>& args)
{
    std::vector<std::string> all{PANOMER_RENDER};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string err = dir.File("stderr.txt");
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

Outcome Finish(const ScratchDir& dir, pid_t pid)
{
    Outcome run;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid)
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.err = ReadFileBytes(dir.File("stderr.txt"));
    return run;
}

Outcome Execute(const ScratchDir& dir, const std::vector<std::string>& args)
{
    return Finish(dir, Start(dir, args));
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class RenderCommandTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Quor_ImageOps::InitAlphaTables();
        Quor_ImageIo::InitImageLoader();
    }

    // A project of two photos with a 3:1 crop of the horizontal spherical type.
    void SetUp() override
    {
        render_test::MakePhoto(fDir.File("a.png"), 400, 300, rgb_color{200, 30, 30, 255}, rgb_color{30, 30, 200, 255});
        render_test::MakePhoto(fDir.File("b.png"), 400, 300, rgb_color{30, 200, 30, 255}, rgb_color{30, 200, 30, 255});
        fProject = fDir.File("pano.qpm");
        WriteProject("\"a.png\"");
    }

    void WriteProject(const std::string& firstPhoto)
    {
        WriteFileBytes(fProject, "application/x-vnd.quor_panomerdoc\nversion 1\nprojection_type 1\nfocal_length 24\n"
                                 "crop 1.5 -1.5 0.5 -0.5\nnum_photos 2\n0.2 0 0 1 " +
                                     firstPhoto + "\n-0.4 0 0 1 \"b.png\"\n");
    }

    ScratchDir fDir;
    std::string fProject;
};

// Bad arguments must be refused with a message and status 2 before any work is done, and the
// help must name every option.
TEST_F(RenderCommandTest, BadUsageIsRefusedWithStatusTwo)
{
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{}, "no project given"},
        {{fProject, "--width", "15"}, "width must be 16 to 30000"},
        {{fProject, "--width=30001"}, "width must be 16 to 30000"},
        {{fProject, "-w", "12x"}, "width must be 16 to 30000"},
        {{fProject, "--quality", "9"}, "quality must be 10 to 100"},
        {{fProject, "-o", fDir.File("out.png")}, "must end in .jpg, .jpeg or .psd"},
        {{fProject, "-o", fDir.File("out")}, "must end in .jpg, .jpeg or .psd"},
        {{fProject, "--frobnicate"}, "unknown option --frobnicate"},
        {{fProject, "-o"}, "needs a value"},
        {{fProject, fProject}, "more than one project"},
    };
    for (const Case& c : cases) {
        const Outcome run = Execute(fDir, c.args);
        EXPECT_EQ(run.status, RenderCommand::kUsage) << c.message;
        EXPECT_TRUE(Contains(run.err, c.message)) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(fDir.File("out.png")));
    EXPECT_FALSE(std::filesystem::exists(fDir.File("pano.jpg")));

    EXPECT_EQ(Execute(fDir, {"--help"}).status, RenderCommand::kSuccess);
    const std::string help = RenderCommand::HelpText();
    for (const char* option : {"--output", "--width", "--quality", "--progress", "--help", "130", ".psd"})
        EXPECT_TRUE(Contains(help, option)) << option;
}

// The height must follow the crop as the export dialog computes it, the format the output's
// extension, and a photo that cannot be loaded must be named rather than silently missing.
TEST_F(RenderCommandTest, RendersWithTheSizeTheCropGives)
{
    Outcome run = Execute(fDir, {fProject, "--width", "300"});
    ASSERT_EQ(run.status, RenderCommand::kSuccess) << run.err;
    Quor_BaseImage out;
    render_test::LoadFile(fDir.File("pano.jpg"), &out);
    EXPECT_EQ(out.Width(), 300);
    EXPECT_EQ(out.Height(), 100);

    // Without a terminal and without --progress nothing is reported on success.
    EXPECT_EQ(run.err, "");

    if (render_test::HaveIdentify()) {
        run = Execute(fDir, {fProject, "-o", fDir.File("layers.PSD"), "--width=90"});
        ASSERT_EQ(run.status, RenderCommand::kSuccess) << run.err;
        EXPECT_EQ(render_test::Identify("-format '%l|%w %h|' '" + fDir.File("layers.PSD") + "'"),
                  "|90 30|a.png|90 30|b.png|90 30|");
    }

    WriteProject("\"missing.png\"");
    run = Execute(fDir, {fProject, "-w", "120", "-o", fDir.File("partial.jpeg"), "--progress"});
    EXPECT_EQ(run.status, RenderCommand::kSuccess) << run.err;
    EXPECT_TRUE(Contains(run.err, "warning: cannot load photo " + fDir.File("missing.png"))) << run.err;
    EXPECT_TRUE(Contains(run.err, "wrote " + fDir.File("partial.jpeg") + " (120 x 40)")) << run.err;

    // A width whose height would fall outside the limits is refused before anything is written.
    run = Execute(fDir, {fProject, "-w", "30", "-o", fDir.File("thin.jpg")});
    EXPECT_EQ(run.status, RenderCommand::kUsage);
    EXPECT_TRUE(Contains(run.err, "gives a height of 10")) << run.err;
    EXPECT_FALSE(std::filesystem::exists(fDir.File("thin.jpg")));
}

// Failures must say what failed and why, end with status 1, and never harm a source photo.
TEST_F(RenderCommandTest, FailuresAreExplainedWithStatusOne)
{
    Outcome run = Execute(fDir, {fDir.File("nothing.qpm")});
    EXPECT_EQ(run.status, RenderCommand::kFailure);
    EXPECT_TRUE(Contains(run.err, "cannot open " + fDir.File("nothing.qpm") + ": No such file or directory")) << run.err;

    WriteFileBytes(fDir.File("text.qpm"), "hello\n");
    run = Execute(fDir, {fDir.File("text.qpm")});
    EXPECT_EQ(run.status, RenderCommand::kFailure);
    EXPECT_TRUE(Contains(run.err, "not a Panomer project")) << run.err;

    const std::string out = fDir.File("missing-folder/out.jpg");
    run = Execute(fDir, {fProject, "-o", out});
    EXPECT_EQ(run.status, RenderCommand::kFailure);
    EXPECT_TRUE(Contains(run.err, "cannot create " + out + ": No such file or directory")) << run.err;

    const std::string before = ReadFileBytes(fDir.File("a.png"));
    WriteProject("\"a.jpg\"");
    ASSERT_TRUE(std::filesystem::copy_file(fDir.File("a.png"), fDir.File("a.jpg")));
    const std::string photo = ReadFileBytes(fDir.File("a.jpg"));
    run = Execute(fDir, {fProject, "-o", fDir.File("a.jpg")});
    EXPECT_EQ(run.status, RenderCommand::kFailure);
    EXPECT_TRUE(Contains(run.err, "one of the project's photos")) << run.err;
    EXPECT_EQ(ReadFileBytes(fDir.File("a.jpg")), photo);
    EXPECT_EQ(ReadFileBytes(fDir.File("a.png")), before);
}

// Ctrl-C must cancel like the dialog's Cancel: status 130 and a complete file of the full size,
// not a truncated one and not a process killed mid-write.
TEST_F(RenderCommandTest, InterruptCancelsAndLeavesACompleteFile)
{
    const std::string out = fDir.File("big.jpg");
    const pid_t pid = Start(fDir, {fProject, "--width", "12000", "-o", out});
    ASSERT_GT(pid, 0);
    // Wait until rows are being written: the file has grown past the JPEG header.
    struct stat info;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!(stat(out.c_str(), &info) == 0 && info.st_size > 0) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(kill(pid, SIGINT), 0);
    const Outcome run = Finish(fDir, pid);
    ASSERT_EQ(run.status, RenderCommand::kInterrupted) << run.err;
    EXPECT_TRUE(Contains(run.err, "cancelled")) << run.err;
    Quor_BaseImage image;
    render_test::LoadFile(out, &image);
    EXPECT_EQ(image.Width(), 12000);
    EXPECT_EQ(image.Height(), 4000);
}

// A rate or a time left computed from the wrong quantities misleads the user about a long render.
TEST(ProgressBarTest, ReportsRateAndTimeLeft)
{
    EXPECT_EQ(ProgressBar::FormatTime(7.4), "0:07");
    EXPECT_EQ(ProgressBar::FormatTime(754), "12:34");
    EXPECT_EQ(ProgressBar::FormatTime(3723), "1:02:03");
    EXPECT_EQ(ProgressBar::FormatTime(NAN), "0:00");
    EXPECT_EQ(ProgressBar::Format(0.5f, 1000, 100.0, false), " 50%  100 rows/s  0:05 left");
    EXPECT_EQ(ProgressBar::Format(0.0f, 1000, 0.0, false), "  0%  loading photos");
    const std::string bar = ProgressBar::Format(0.25f, 4000, 50.0, true);
    EXPECT_EQ(bar.substr(0, 33), "[########----------------------] ");
    EXPECT_TRUE(Contains(bar, "1:00 left")) << bar;

    // Lines into a pipe: rate measured from the first row, not from the start of photo loading.
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
    const std::string printed(text, size);
    std::free(text);
    EXPECT_EQ(printed, "  0%  loading photos\n 10%\n 60%  100 rows/s  0:04 left\n");
}

}  // namespace
