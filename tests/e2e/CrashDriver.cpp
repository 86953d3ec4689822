// Kills the editor's writers with SIGKILL at random moments and checks what they leave: the
// project the editor saves, the settings it keeps when it quits, and the JPEG and PSD exports of
// the editor and of panomer-render. Every file must be the old or the new complete file after every kill,
// the next successful write must leave no temporary file behind, and the programs must start
// cleanly afterwards.
//
//   panomer-crash-driver run KIND KILLS SEED WORK PROJECT_FOLDER PANOMER_RENDER
//
// KIND is project, settings, jpeg, psd (panomer-render), editor-jpeg or editor-psd (the editor's
// progress window over the export worker); WORK is an empty scratch folder; PROJECT_FOLDER holds
// earth.qpm and its photos. The child modes ("save", "settings", "editor-export", "start-...")
// are this program run again by "run"; the writers write one version ("a" or "b") or alternate
// them until killed ("loop").
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <poll.h>
#include <random>
#include <set>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "app/core/PanomerDoc.h"
#include "app/ui/PanomerApp.h"
#include "app/ui/PanomerCodes.h"
#include "app/ui/PanomerPrefs.h"
#include "app/ui/PanomerWnd.h"
#include "app/ui/PSDProgress.h"
#include "app/ui/RenderProgress.h"
#include "toolkit/core/Quor_Message.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_EventLoop.h"
#include "toolkit/framework/platform/Quor_MemoryHost.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"

namespace fs = std::filesystem;

namespace {

// The two versions every writer alternates between: the focal length saved in the project and
// kept in the settings, and the export's width.
constexpr float kFocal[2] = {20.0f, 45.0f};
constexpr int kJpegWidth[2] = {4000, 3000};
constexpr int kPsdWidth[2] = {2000, 1500};
// The child tells the parent it is ready to write through this descriptor.
constexpr int kReadyFd = 3;
// Where the editor keeps them, under HOME (XDG_CONFIG_HOME is unset for every child).
constexpr const char kSettingsFolder[] = "/.config/panomer";
constexpr const char kSettingsName[] = "user.settings";

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return in ? out.str() : std::string("\x01missing");
}

int VersionIndex(const char* text)
{
    return std::strcmp(text, "b") == 0 ? 1 : 0;
}

void SignalReady()
{
    const char byte = 'r';
    if (write(kReadyFd, &byte, 1) != 1) {
        // Run by hand, without a parent waiting.
    }
}

bool InitEditor(Quor_MemoryHost* host)
{
    Quor_ImageOps::InitAlphaTables();
    Quor_ImageIo::InitImageLoader();
    if (!Quor_App::InitQuorSystem(host))
        return false;
    host->SetStallMilliseconds(20);
    return true;
}

// --- Children ----------------------------------------------------------------------------------

// The editor with the example project open: its main window, or null when it did not open with
// all twelve photos.
PanomerWnd* OpenExample(const char* project, std::unique_ptr<PanomerApp>* app)
{
    *app = std::make_unique<PanomerApp>();
    (*app)->ReadyToRun(project);
    Quor_EventLoop::ProcessPending();
    PanomerWnd* window = (*app)->MainWindow();
    return window != nullptr && window->Document()->fNumPhotos == 12 ? window : nullptr;
}

// The editor with the project open; its Save command writes version a, b, or both in turn.
int ChildSave(const char* project, const char* version)
{
    Quor_MemoryHost host;
    if (!InitEditor(&host))
        return 10;
    std::unique_ptr<PanomerApp> app;
    PanomerWnd* window = OpenExample(project, &app);
    if (window == nullptr)
        return 11;
    PanomerDoc* doc = window->Document();
    const bool loop = std::strcmp(version, "loop") == 0;
    for (int i = loop ? 1 : VersionIndex(version);; ++i) {
        doc->fFocalLength = kFocal[i % 2];
        doc->fModified = true;
        Quor_Message save(kCmdSave);
        window->HandleMessage(&save);
        if (doc->fModified)
            return 12;  // the save failed
        if (!loop)
            break;
        if (i == 1)
            SignalReady();
    }
    doc->fModified = false;
    app.reset();
    Quor_App::ShutdownQuorSystem();
    return 0;
}

// The editor's export as its menu command runs it once the size and the file are chosen: the
// progress window over the worker, into `output` beside the project.
int ChildEditorExport(const char* project, const char* output, const char* version)
{
    Quor_MemoryHost host;
    if (!InitEditor(&host))
        return 10;
    RenderProgress::gRenderOptions.startPauseMs = 0;
    std::unique_ptr<PanomerApp> app;
    PanomerWnd* window = OpenExample(project, &app);
    if (window == nullptr)
        return 11;
    PanomerDoc* doc = window->Document();
    const bool psd = std::strlen(output) > 4 && std::strcmp(output + std::strlen(output) - 4, ".psd") == 0;
    const bool loop = std::strcmp(version, "loop") == 0;
    for (int i = loop ? 1 : VersionIndex(version);; ++i) {
        doc->fRenderPath = output;
        doc->fRenderWidth = psd ? kPsdWidth[i % 2] : kJpegWidth[i % 2];
        doc->fRenderHeight = doc->fRenderWidth / 2;  // the whole sphere
        RenderResult result;
        RenderProgress* progress = psd ? new (std::nothrow) PSDProgress(doc, window, &result)
                                       : new (std::nothrow) RenderProgress(doc, window, &result);
        if (progress == nullptr)
            return 12;
        progress->DoModal();
        if (result.status != RenderStatus::kDone)
            return 13;
        if (!loop)
            break;
        if (i == 1)
            SignalReady();
    }
    app.reset();
    Quor_App::ShutdownQuorSystem();
    return 0;
}

// The editor started without a document and quit at once with a focal length set: it keeps its
// preferences on the way out as it does when a user quits.
class QuittingApp : public PanomerApp {
public:
    explicit QuittingApp(float focal) : fFocal(focal) {}
    void ReadyToRun(const char* path) override
    {
        PanomerApp::ReadyToRun(path);
        gFocalLength = fFocal;
        Quit();
    }

private:
    float fFocal;
};

int ChildSettings(const char* version)
{
    Quor_MemoryHost host;
    if (!InitEditor(&host))
        return 10;
    const bool loop = std::strcmp(version, "loop") == 0;
    for (int i = loop ? 1 : VersionIndex(version);; ++i) {
        {
            QuittingApp app(kFocal[i % 2]);
            app.Run();
        }
        Quor_EventLoop::ProcessPending();
        if (!loop)
            break;
        if (i == 1)
            SignalReady();
    }
    Quor_App::ShutdownQuorSystem();
    return 0;
}

// The editor starting on the project after the kills: the settings are read and the document
// opens with every photo; what was killed (the project's save or the settings) holds one of the
// versions written.
int ChildStart(const char* project, bool savedProject)
{
    Quor_MemoryHost host;
    if (!InitEditor(&host))
        return 10;
    int status = 0;
    {
        PanomerApp app;
        app.Prefs()->Load(app.UserSettingsPath());
        float kept = 0.0f;
        const bool keptOne = app.Prefs()->Get("FocalLength", &kept) && (kept == kFocal[0] || kept == kFocal[1]);
        app.ReadyToRun(project);
        Quor_EventLoop::ProcessPending();
        PanomerWnd* window = app.MainWindow();
        if (window == nullptr || window->Document()->fNumPhotos != 12)
            status = 11;
        else if (savedProject && window->Document()->fFocalLength != kFocal[0] &&
                 window->Document()->fFocalLength != kFocal[1])
            status = 12;
        else if (!savedProject && !keptOne)
            status = 13;
        if (window != nullptr)
            window->Document()->fModified = false;
    }
    Quor_EventLoop::ProcessPending();
    Quor_App::ShutdownQuorSystem();
    return status;
}

// --- The parent --------------------------------------------------------------------------------

struct Kind {
    std::string name;
    bool loops;        // the child writes until killed and says when it is ready
    std::string dir;   // the folder of the target
    std::string target;
};

struct Counts {
    int kills = 0;
    int midWrite = 0;   // a new temporary file was there at the kill
    int finished = 0;   // the child had already ended
    int outside = 0;    // the kill came before or between writes
    int damaged = 0;
};

std::string gSelf;
std::string gRender;
std::string gProject;
std::string gHome;
std::string gSettingsDir;

std::vector<std::string> ChildArgs(const Kind& kind, const std::string& version)
{
    if (kind.name == "project")
        return {gSelf, "save", gProject, version};
    if (kind.name == "settings")
        return {gSelf, "settings", version};
    if (kind.name.compare(0, 7, "editor-") == 0)
        return {gSelf, "editor-export", gProject, kind.target, version};
    const bool b = version == "b";
    const int width = kind.name == "jpeg" ? kJpegWidth[b] : kPsdWidth[b];
    return {gRender, gProject, "-o", kind.target, "--width", std::to_string(width)};
}

// Starts the child with its ready pipe on kReadyFd; returns its pid, or -1.
pid_t Spawn(const std::vector<std::string>& args, int* readyRead)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], kReadyFd);  // dup2 clears close-on-exec on the copy
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    *readyRead = fds[0];
    return pid;
}

int RunToEnd(const std::vector<std::string>& args)
{
    int ready = -1;
    const pid_t pid = Spawn(args, &ready);
    if (pid < 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    close(ready);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::set<std::string> Temps(const Kind& kind)
{
    std::set<std::string> temps;
    const std::string prefix = fs::path(kind.target).filename().string() + ".tmp-";
    for (const auto& entry : fs::directory_iterator(kind.dir)) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) == 0)
            temps.insert(name);
    }
    return temps;
}

// A JPEG decodes to its last row; a PSD (which we only write) is checked by its bytes alone,
// against the two complete versions.
bool DecodesFully(const std::string& path)
{
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".psd") == 0)
        return ReadBytes(path).compare(0, 4, "8BPS") == 0;
    Quor_BaseImage image;
    return Quor_ImageIo::LoadImage(path.c_str(), &image, 0) == 0 && image.IsValid();
}

int Run(const Kind& kind, int kills, uint64_t seed)
{
    std::printf("%s: %d kills, seed %llu\n", kind.name.c_str(), kills, static_cast<unsigned long long>(seed));
    std::mt19937_64 random(seed);

    // The two complete versions, each written once without a kill; the second run times it.
    std::string ref[2];
    double longestSeconds = 0.0;
    for (int v : {1, 0}) {
        const auto start = std::chrono::steady_clock::now();
        const int status = RunToEnd(ChildArgs(kind, v ? "b" : "a"));
        longestSeconds = std::max(longestSeconds, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (status != 0) {
            std::printf("FAIL: writing version %c ended with %d\n", v ? 'b' : 'a', status);
            return 1;
        }
        ref[v] = ReadBytes(kind.target);
        if (kind.dir != gSettingsDir && kind.target != gProject && !DecodesFully(kind.target)) {
            std::printf("FAIL: version %c of the export does not decode\n", v ? 'b' : 'a');
            return 1;
        }
    }
    if (ref[0] == ref[1] || ref[0].empty()) {
        std::printf("FAIL: the two versions are not two different files\n");
        return 1;
    }

    Counts counts;
    std::uniform_real_distribution<double> logDelay(std::log(10e-6), std::log(0.3));
    std::uniform_real_distribution<double> spanDelay(0.0, longestSeconds * 1.2);
    for (int k = 0; k < kills; ++k) {
        const std::set<std::string> before = Temps(kind);
        int ready = -1;
        const pid_t pid = Spawn(ChildArgs(kind, kind.loops ? "loop" : (k % 2 ? "a" : "b")), &ready);
        if (pid < 0) {
            std::printf("FAIL: cannot start the child\n");
            return 1;
        }
        // Every other kill comes within a few hundred microseconds or milliseconds; the others
        // spread over the time one whole run takes.
        const double delay = k % 2 == 0 ? std::exp(logDelay(random)) : spanDelay(random);
        if (kind.loops) {
            pollfd wait = {ready, POLLIN, 0};
            char byte = 0;
            if (poll(&wait, 1, 60000) != 1 || read(ready, &byte, 1) != 1) {
                kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
                std::printf("FAIL: the writer never became ready\n");
                return 1;
            }
        }
        usleep(static_cast<useconds_t>(delay * 1e6));
        int status = 0;
        const bool ended = waitpid(pid, &status, WNOHANG) == pid;
        if (!ended) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
        close(ready);
        ++counts.kills;
        if (ended && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
            std::printf("FAIL: kill %d: the writer failed by itself (status %d)\n", k, status);
            return 1;
        }
        const std::set<std::string> after = Temps(kind);
        const bool fresh = std::any_of(after.begin(), after.end(), [&](const std::string& t) { return before.count(t) == 0; });
        if (fresh)
            ++counts.midWrite;
        else if (ended)
            ++counts.finished;
        else
            ++counts.outside;
        const std::string now = ReadBytes(kind.target);
        if (now != ref[0] && now != ref[1]) {
            ++counts.damaged;
            const std::string keep = kind.dir + "/../damaged-" + kind.name + "-" + std::to_string(k);
            std::error_code ignored;
            fs::copy_file(kind.target, keep, ignored);
            std::printf("DAMAGED after kill %d (delay %.6f s): %zu bytes, kept as %s\n", k, delay, now.size(), keep.c_str());
        }
    }
    const size_t piled = Temps(kind).size();

    // The temporary files the kills left are made a few minutes old, as if the next save came
    // later; that save must remove them, and the programs must start on what is there.
    for (const std::string& name : Temps(kind)) {
        const struct timespec old[2] = {{time(nullptr) - 300, 0}, {time(nullptr) - 300, 0}};
        utimensat(AT_FDCWD, (kind.dir + "/" + name).c_str(), old, AT_SYMLINK_NOFOLLOW);
    }
    bool ok = counts.damaged == 0;
    if (RunToEnd(ChildArgs(kind, "a")) != 0 || ReadBytes(kind.target) != ref[0]) {
        std::printf("FAIL: the write after the kills did not complete\n");
        ok = false;
    }
    const size_t left = Temps(kind).size();
    if (left != 0) {
        std::printf("FAIL: %zu temporary files left after a successful write\n", left);
        ok = false;
    }
    if (kind.target != gProject && kind.dir != gSettingsDir) {
        if (!DecodesFully(kind.target)) {
            std::printf("FAIL: the export does not decode after the kills\n");
            ok = false;
        }
    } else {
        const int status = RunToEnd({gSelf, kind.name == "project" ? "start-project" : "start-settings", gProject});
        if (status != 0) {
            std::printf("FAIL: the editor did not start cleanly on the project (%d)\n", status);
            ok = false;
        }
    }
    std::printf("%s: kills %d, mid-write %d, before/between writes %d, after the end %d, damaged %d, "
                "temporary files piled up %zu, left after the next write %zu\n",
                kind.name.c_str(), counts.kills, counts.midWrite, counts.outside, counts.finished, counts.damaged,
                piled, left);
    return ok ? 0 : 1;
}

int Parent(int argc, char** argv)
{
    if (argc != 8) {
        std::fprintf(stderr, "usage: %s run KIND KILLS SEED WORK PROJECT_FOLDER PANOMER_RENDER\n", argv[0]);
        return 2;
    }
    const std::string kindName = argv[2];
    const int kills = std::atoi(argv[3]);
    const uint64_t seed = std::strtoull(argv[4], nullptr, 10);
    const std::string work = fs::absolute(argv[5]).string();
    gRender = fs::absolute(argv[7]).string();
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return 2;
    gSelf.assign(self, static_cast<size_t>(n));

    Kind kind;
    kind.name = kindName;
    kind.loops = kindName != "jpeg" && kindName != "psd";
    const std::string folder = work + "/" + kindName;
    std::error_code error;
    fs::remove_all(folder, error);
    fs::create_directories(folder + "/home", error);
    fs::copy(argv[6], folder + "/project", fs::copy_options::recursive, error);
    if (error) {
        std::fprintf(stderr, "cannot copy the project: %s\n", error.message().c_str());
        return 2;
    }
    gHome = folder + "/home";
    setenv("HOME", gHome.c_str(), 1);  // for every child
    unsetenv("XDG_CONFIG_HOME");
    gSettingsDir = gHome + kSettingsFolder;
    gProject = folder + "/project/earth.qpm";
    if (kindName == "project") {
        kind.dir = folder + "/project";
        kind.target = gProject;
    } else if (kindName == "settings") {
        kind.dir = gSettingsDir;
        kind.target = gSettingsDir + "/" + kSettingsName;
    } else if (kindName == "jpeg" || kindName == "psd" || kindName == "editor-jpeg" || kindName == "editor-psd") {
        kind.dir = folder + "/project";
        kind.target = kind.dir + "/out." + kindName.substr(kindName.find('-') + 1);
    } else {
        std::fprintf(stderr, "unknown kind %s\n", kindName.c_str());
        return 2;
    }
    Quor_ImageOps::InitAlphaTables();
    Quor_ImageIo::InitImageLoader();
    return Run(kind, kills, seed);
}

}  // namespace

int main(int argc, char** argv)
{
    signal(SIGPIPE, SIG_IGN);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "save" && argc == 4)
        return ChildSave(argv[2], argv[3]);
    if (mode == "editor-export" && argc == 5)
        return ChildEditorExport(argv[2], argv[3], argv[4]);
    if (mode == "settings" && argc == 3)
        return ChildSettings(argv[2]);
    if ((mode == "start-project" || mode == "start-settings") && argc == 3)
        return ChildStart(argv[2], mode == "start-project");
    if (mode == "run")
        return Parent(argc, argv);
    std::fprintf(stderr, "usage: %s run KIND KILLS SEED WORK PROJECT_FOLDER PANOMER_RENDER\n", argv[0]);
    return 2;
}
