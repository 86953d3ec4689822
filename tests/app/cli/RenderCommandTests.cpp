// Tests of panomer-render: its argument checks, the size it derives from the crop, its messages
// and exit statuses, the cancelling signals, and what a render stopped part-way leaves, by running
// the real executable.
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "app/cli/RenderCommand.h"
#include "tests/app/core/AppTestSupport.h"

namespace {

using namespace app_test;

constexpr char kOld[] = "last week's panorama";

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// A scratch folder with two photos and a project of them, and runs of the executable in it.
class Runs {
public:
    Runs()
    {
        MakePhoto(dir.File("a.png"), 400, 300, rgb_color{200, 30, 30, 255}, rgb_color{30, 30, 200, 255});
        MakePhoto(dir.File("b.png"), 400, 300, rgb_color{30, 200, 30, 255}, rgb_color{30, 200, 30, 255});
        WriteProject(dir.File("pano.qpm"), {"a.png", "b.png"});
    }

    // A project of the photos with a 3:1 crop of the horizontal spherical type.
    void WriteProject(const std::string& path, const std::vector<std::string>& photos)
    {
        std::string text = "application/x-vnd.quor_panomerdoc\nversion 1\nprojection_type 1\nfocal_length 24\n"
                           "crop 1.5 -1.5 0.5 -0.5\nnum_photos " + std::to_string(photos.size()) + "\n";
        for (size_t i = 0; i < photos.size(); i++)
            text += std::to_string(0.2f - 0.6f * static_cast<float>(i)) + " 0 0 1 \"" + photos[i] + "\"\n";
        WriteFileBytes(path, text);
    }

    // Starts panomer-render with `args`, its files no larger than `fileSizeLimit` bytes (as
    // "ulimit -f" sets it); standard error goes to a file in the scratch folder.
    pid_t Start(std::vector<std::string> args, rlim_t fileSizeLimit = RLIM_INFINITY)
    {
        args.insert(args.begin(), PANOMER_RENDER);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const std::string errors = dir.File("stderr.txt");
        const pid_t pid = fork();
        if (pid == 0) {
            const int out = open("/dev/null", O_WRONLY);
            const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
                _exit(126);
            // As a shell leaves it: the program itself must keep the limit from killing it.
            std::signal(SIGXFSZ, SIG_DFL);
            const rlimit limit{fileSizeLimit, RLIM_INFINITY};
            setrlimit(RLIMIT_FSIZE, &limit);
            execv(argv[0], argv.data());
            _exit(127);
        }
        return pid;
    }

    // The exit status (128 + signal when killed) and standard error of a started run.
    std::pair<int, std::string> Finish(pid_t pid)
    {
        int status = 0, code = -1;
        if (pid > 0 && waitpid(pid, &status, 0) == pid)
            code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return {code, ReadFileBytes(dir.File("stderr.txt"))};
    }

    // Waits until a started run has made its temporary file and, when `written`, put bytes in it
    // (polling every millisecond, two minutes at most).
    bool WaitForTemporaryFile(bool written)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        for (;;) {
            const std::vector<std::string> temp = TemporaryFiles(dir.Path());
            std::error_code error;
            const auto size = temp.empty() ? 0 : std::filesystem::file_size(dir.File(temp[0]), error);
            if (!temp.empty() && !error && (!written || size > 0))
                return true;
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    ScratchDir dir;
};

}  // namespace

// Bad usage must be refused with status 2 before any work is done (also a width whose height
// falls outside the limits); failures must say what failed and why with status 1 and never harm
// a source photo; a render must take its height from the crop as the export dialog does, its
// format from the extension, and name a photo that cannot be loaded, with the reason, rather than
// drop it silently; a project with no photo that can be loaded is not rendered as a grey image;
// photos looked for in another folder are found there and one level down (not deeper), named as
// found, and the project file is left as it was.
TEST(RenderCommand, EveryRunEndsWithTheRightStatusAndMessage)
{
    Runs runs;
    ScratchDir& dir = runs.dir;
    ASSERT_TRUE(std::filesystem::copy_file(dir.File("a.png"), dir.File("a.jpg")));
    const std::string photo = ReadFileBytes(dir.File("a.jpg"));
    const std::string pano = dir.File("pano.qpm"), jpg = dir.File("jpg.qpm"), missing = dir.File("missing.qpm");
    runs.WriteProject(jpg, {"a.jpg", "b.png"});
    runs.WriteProject(missing, {"missing.png", "b.png"});
    runs.WriteProject(dir.File("none.qpm"), {});
    runs.WriteProject(dir.File("lost.qpm"), {"gone-1.png", "gone-2.png"});
    WriteFileBytes(dir.File("text.qpm"), "hello\n");
    const std::string nothing = dir.File("nothing.qpm"), noFolder = dir.File("missing-folder/out.jpg");
    // Photos moved into a folder and one of its subfolders, and one moved two levels down.
    std::filesystem::create_directories(dir.File("found/sub/deeper"));
    ASSERT_TRUE(std::filesystem::copy_file(dir.File("a.png"), dir.File("found/gone-1.png")));
    ASSERT_TRUE(std::filesystem::copy_file(dir.File("b.png"), dir.File("found/sub/gone-2.png")));
    ASSERT_TRUE(std::filesystem::copy_file(dir.File("b.png"), dir.File("found/sub/deeper/gone-3.png")));
    runs.WriteProject(dir.File("deep.qpm"), {"gone-3.png"});
    const std::string lost = ReadFileBytes(dir.File("lost.qpm"));
    std::string flat = ReadFileBytes(pano);
    flat.replace(flat.find("projection_type 1"), 17, "projection_type 0");
    WriteFileBytes(dir.File("flat.qpm"), flat);
    const struct {
        std::vector<std::string> args;
        int status;
        std::vector<std::string> messages;
    } cases[] = {
        {{}, RenderCommand::kUsage, {"no project given"}},
        {{pano, "--width", "15"}, RenderCommand::kUsage, {"width must be 16 to 30000"}},
        {{pano, "--width=30001"}, RenderCommand::kUsage, {"width must be 16 to 30000"}},
        {{pano, "-w", "12x"}, RenderCommand::kUsage, {"width must be 16 to 30000"}},
        {{pano, "--quality", "9"}, RenderCommand::kUsage, {"quality must be 10 to 100"}},
        {{pano, "--threads", "65"}, RenderCommand::kUsage, {"threads must be 1 to 64"}},
        {{pano, "-o", dir.File("out.png")}, RenderCommand::kUsage, {"must end in .jpg, .jpeg, .psd or .pto"}},
        {{pano, "-o", dir.File("out")}, RenderCommand::kUsage, {"must end in .jpg, .jpeg, .psd or .pto"}},
        {{pano, "--frobnicate"}, RenderCommand::kUsage, {"unknown option --frobnicate"}},
        {{pano, "-x"}, RenderCommand::kUsage, {"unknown option -x"}},
        {{pano, "--progress=yes"}, RenderCommand::kUsage, {"option --progress takes no value"}},
        {{pano, "--output"}, RenderCommand::kUsage, {"option --output needs a value"}},
        {{pano, "-o"}, RenderCommand::kUsage, {"needs a value"}},
        {{pano, "-o", dir.File("pano.pto"), "-w", "60", "--progress"}, RenderCommand::kSuccess,
         {"wrote " + dir.File("pano.pto") + " (60 x 20)"}},
        {{dir.File("flat.qpm"), "-o", dir.File("flat.pto")}, RenderCommand::kFailure,
         {"a PTO file can only be written for the horizontal spherical projection"}},
        {{pano, "-w", "30", "-o", dir.File("thin.jpg")}, RenderCommand::kUsage, {"gives a height of 10"}},
        {{nothing}, RenderCommand::kFailure, {"cannot open " + nothing + ": No such file or directory"}},
        {{dir.File("text.qpm")}, RenderCommand::kFailure, {"not a Panomer project"}},
        {{dir.File("none.qpm"), "-o", dir.File("none.jpg")}, RenderCommand::kFailure,
         {"none.qpm holds no photos; there is nothing to render"}},
        {{dir.File("lost.qpm"), "-o", dir.File("lost.jpg")}, RenderCommand::kFailure,
         {"warning: " + dir.File("gone-1.png") + " cannot be opened: No such file or directory. The photo is left out.",
          "lost.qpm holds no photo that can be loaded; there is nothing to render"}},
        {{pano, "-o", noFolder}, RenderCommand::kFailure, {"cannot create " + noFolder + ": No such file or directory"}},
        {{jpg, "-o", dir.File("a.jpg")}, RenderCommand::kFailure, {"one of the project's photos"}},
        {{"--help"}, RenderCommand::kSuccess, {}},
        {{"--version"}, RenderCommand::kSuccess, {}},
        // Everything after "--" is a project; values attached to short options; long ones shortened.
        {{"--", "-x.qpm"}, RenderCommand::kFailure, {"cannot open -x.qpm"}},
        {{"-w64", "--prog", pano, "-o" + dir.File("attached.jpg")}, RenderCommand::kSuccess,
         {"wrote " + dir.File("attached.jpg") + " (64 x 21)"}},
        {{pano, "--width", "300"}, RenderCommand::kSuccess, {}},
        {{dir.File("lost.qpm"), "--photos-dir", dir.File("found/"), "-w", "60", "-o", dir.File("found.jpg")},
         RenderCommand::kSuccess,
         {"gone-1.png found as " + dir.File("found/gone-1.png"), "gone-2.png found as " + dir.File("found/sub/gone-2.png")}},
        {{dir.File("deep.qpm"), "--photos-dir=" + dir.File("found"), "-o", dir.File("deep.jpg")}, RenderCommand::kFailure,
         {"holds no photo that can be loaded"}},
        {{pano, "--match-brightness", "-w", "60", "-o", dir.File("matched.jpg")}, RenderCommand::kSuccess, {}},
        {{pano, "--match-brightness=yes"}, RenderCommand::kUsage, {"option --match-brightness takes no value"}},
        {{pano, "--photos-dir", dir.File("nowhere")}, RenderCommand::kFailure,
         {"cannot read the photos folder " + dir.File("nowhere") + ": No such file or directory"}},
        {{pano, "-o", dir.File("layers.PSD"), "--width=90"}, RenderCommand::kSuccess, {}},
        {{missing, "-w", "120", "-o", dir.File("partial.jpeg"), "--progress"}, RenderCommand::kSuccess,
         {"warning: " + dir.File("missing.png") + " cannot be opened", "wrote " + dir.File("partial.jpeg") + " (120 x 40)"}},
    };
    for (const auto& c : cases) {
        const auto [status, err] = runs.Finish(runs.Start(c.args));
        const std::string what = c.args.empty() ? "no arguments" : c.args.back();
        EXPECT_EQ(status, c.status) << what << ": " << err;
        for (const std::string& message : c.messages)
            EXPECT_TRUE(Contains(err, message)) << what << ": " << err;
        // Without a terminal and without --progress nothing is reported on success.
        EXPECT_TRUE(status != RenderCommand::kSuccess || !c.messages.empty() || err.empty()) << what << ": " << err;
    }
    for (const char* name : {"out.png", "out", "thin.jpg", "missing-folder", "none.jpg", "lost.jpg", "deep.jpg", "flat.pto"})
        EXPECT_FALSE(std::filesystem::exists(dir.File(name))) << name;
    // Photos found elsewhere are used for the render only.
    EXPECT_EQ(ReadFileBytes(dir.File("lost.qpm")), lost);
    EXPECT_TRUE(std::filesystem::exists(dir.File("found.jpg")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("matched.jpg")));
    EXPECT_EQ(ReadFileBytes(dir.File("a.jpg")), photo);
    Quor_BaseImage out;
    LoadFile(dir.File("pano.jpg"), &out);
    EXPECT_EQ(out.Width(), 300);
    EXPECT_EQ(out.Height(), 100);
    EXPECT_TRUE(Contains(ReadFileBytes(dir.File("pano.pto")), "\np f2 w60 h21 "));
    if (HaveIdentify()) {
        EXPECT_EQ(Identify("-format '%l|%w %h|' '" + dir.File("layers.PSD") + "'"), "|90 30|a.png|90 30|b.png|90 30|");
    }
}

// A batch must not stop at a bad project, must report every project on a line of its own and end
// with status 1 when any failed; -o names a folder for every output, and a file name there, which
// would take every output in turn, is refused before anything is rendered.
TEST(RenderCommand, ABatchRendersEveryProjectItCanAndReportsEach)
{
    Runs runs;
    ScratchDir& dir = runs.dir;
    runs.WriteProject(dir.File("second.qpm"), {"b.png", "a.png"});
    WriteFileBytes(dir.File("bad.qpm"), "hello\n");
    std::filesystem::create_directory(dir.File("out"));
    const std::string pano = dir.File("pano.qpm"), bad = dir.File("bad.qpm"), second = dir.File("second.qpm");
    const struct {
        std::vector<std::string> args;
        int status;
        std::vector<std::string> messages;
        std::vector<std::string> written;
    } cases[] = {
        {{pano, bad, second, "-w", "60"}, RenderCommand::kFailure,
         {"[1/3] " + pano + ": done, wrote " + dir.File("pano.jpg"),
          "[2/3] " + bad + ": failed: cannot open " + bad + ": not a Panomer project",
          "[3/3] " + second + ": done, wrote " + dir.File("second.jpg"), "1 of 3 projects failed"},
         {"pano.jpg", "second.jpg"}},
        {{"-w", "60", pano, second, "-o", dir.File("out")}, RenderCommand::kSuccess,
         {"[2/2] " + second + ": done, wrote " + dir.File("out/second.jpg")}, {"out/pano.jpg", "out/second.jpg"}},
        {{pano, second, "-o", dir.File("one.jpg")}, RenderCommand::kUsage,
         {"with several projects, -o must name an existing folder, not " + dir.File("one.jpg")}, {}},
    };
    for (const auto& c : cases) {
        for (const char* name : {"pano.jpg", "second.jpg", "out/pano.jpg", "out/second.jpg"})
            std::filesystem::remove(dir.File(name));
        const auto [status, err] = runs.Finish(runs.Start(c.args));
        EXPECT_EQ(status, c.status) << err;
        for (const std::string& message : c.messages)
            EXPECT_TRUE(Contains(err, message)) << message << " not in: " << err;
        for (const std::string& name : c.written)
            EXPECT_TRUE(std::filesystem::exists(dir.File(name))) << name;
        if (c.written.empty()) {
            EXPECT_FALSE(std::filesystem::exists(dir.File("pano.jpg")) || std::filesystem::exists(dir.File("one.jpg")));
        }
    }
}

// Ctrl-C, SIGTERM and SIGHUP must all cancel like the dialog's Cancel, with 128 + the signal's
// number, and say truly what was left: during the rows a complete file of the full size under
// the output's name (not a truncated one, not a process killed mid-write); while the photos load,
// the file that was there as it was (an empty one would destroy it), or else an empty file, which
// must not be called complete. No temporary file may be left behind.
TEST(RenderCommand, SignalsCancelAndSayWhatWasLeft)
{
    Runs runs;
    ScratchDir& dir = runs.dir;
    // Large photos take long enough to load for a signal to arrive meanwhile; PNG, because JPEG
    // photos are only opened at that stage and decoded later, band by band.
    std::vector<std::string> large;
    for (int i = 0; i < 4; i++) {
        large.push_back("large-" + std::to_string(i) + ".png");
        MakePhoto(dir.File(large.back()), 4000, 3000, rgb_color{200, 30, 30, 255}, rgb_color{30, 30, 200, 255});
    }
    runs.WriteProject(dir.File("large.qpm"), large);
    const std::string out = dir.File("big.jpg");
    const struct {
        int signal;
        bool duringRows;
        bool fileThere;
        std::string words;
    } cases[] = {
        {SIGINT, true, true, "is a complete image whose remaining rows repeat the last one rendered"},
        {SIGTERM, true, false, "is a complete image whose remaining rows repeat the last one rendered"},
        {SIGHUP, true, false, "is a complete image whose remaining rows repeat the last one rendered"},
        {SIGTERM, false, false, "cancelled while the photos were loading; " + out + " is left empty"},
        {SIGINT, false, true, "cancelled while the photos were loading; " + out + " is left as it was"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(strsignal(c.signal)) + (c.duringRows ? " during the rows" : " while loading"));
        std::filesystem::remove(out);
        if (c.fileThere)
            WriteFileBytes(out, kOld);
        const pid_t pid = c.duringRows ? runs.Start({dir.File("pano.qpm"), "--width", "12000", "-o", out})
                                       : runs.Start({dir.File("large.qpm"), "--width", "64", "-o", out});
        ASSERT_GT(pid, 0);
        // Rows are being written once the new file has grown past the JPEG header; photos are
        // being loaded once the (still empty) new file exists.
        ASSERT_TRUE(runs.WaitForTemporaryFile(c.duringRows));
        ASSERT_EQ(kill(pid, c.signal), 0);
        const auto [status, err] = runs.Finish(pid);
        EXPECT_EQ(status, 128 + c.signal) << err;
        EXPECT_TRUE(Contains(err, c.words)) << err;
        EXPECT_TRUE(TemporaryFiles(dir.Path()).empty());
        if (c.duringRows) {
            Quor_BaseImage image;
            LoadFile(out, &image);
            EXPECT_EQ(image.Width(), 12000);
            EXPECT_EQ(image.Height(), 4000);
        } else {
            EXPECT_EQ(ReadFileBytes(out), c.fileThere ? kOld : "");
        }
    }
}

// A render killed part-way (SIGKILL), or stopped by the file size limit (ulimit -f, which must
// fail the writes with their reason and status 1 rather than kill the program), must leave the
// file it was to replace byte for byte as it was, and no temporary file once it has ended.
TEST(RenderCommand, ARenderStoppedPartWayLeavesTheOldFileAsItWas)
{
    Runs runs;
    ScratchDir& dir = runs.dir;
    const std::string pano = dir.File("pano.qpm");
    for (const std::string& output : {dir.File("out.jpg"), dir.File("out.psd")}) {
        ASSERT_TRUE(WriteFileBytes(output, kOld));
        const auto [status, err] = runs.Finish(runs.Start({pano, "--width", "3000", "-o", output}, 4096));
        EXPECT_EQ(status, RenderCommand::kFailure) << err;
        EXPECT_TRUE(Contains(err, "cannot write " + output + ": File too large")) << err;
        EXPECT_EQ(ReadFileBytes(output), kOld) << output;
    }
    EXPECT_TRUE(TemporaryFiles(dir.Path()).empty());

    const std::string out = dir.File("out.jpg");
    const pid_t pid = runs.Start({pano, "--width", "12000", "-o", out});
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(runs.WaitForTemporaryFile(true));
    ASSERT_EQ(kill(pid, SIGKILL), 0);
    EXPECT_EQ(runs.Finish(pid).first, 128 + SIGKILL);
    EXPECT_EQ(ReadFileBytes(out), kOld);
}
