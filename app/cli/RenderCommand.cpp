#include "app/cli/RenderCommand.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <getopt.h>
#include <mutex>
#include <pthread.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "app/cli/ProgressBar.h"
#include "app/core/BrightnessMatch.h"
#include "app/core/CropFit.h"
#include "app/core/JpegRenderer.h"
#include "app/core/PanomerDoc.h"
#include "app/core/PhotoRelink.h"
#include "app/core/PtoWriter.h"
#include "app/core/RenderOutput.h"
#include "app/core/RenderOwner.h"
#include "toolkit/core/Quor_Parallel.h"
#include "toolkit/core/Quor_Path.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"

namespace {

constexpr const char* kName = "panomer-render";

// The signals that cancel a render as the dialog's Cancel would.
constexpr int kCancelSignals[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t CancelSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kCancelSignals)
        sigaddset(&set, signal);
    return set;
}

// What one run renders.
struct Job {
    std::string output;
    RenderKind kind = RenderKind::kJpeg;
    // A PTO file for the panorama tools instead of a rendered panorama.
    bool pto = false;
    int width = 0;
    int height = 0;
};

// The command line's owner of the export: it waits for the worker's report on the main thread.
class CommandOwner : public RenderOwner {
public:
    explicit CommandOwner(PanomerDoc* doc) : RenderOwner(doc) {}
    ~CommandOwner() override { CancelRender(); }

    void RenderEnded(const RenderResult& result) override
    {
        std::lock_guard<std::mutex> lock(fMutex);
        fResult = result;
        fEnded = true;
        fChanged.notify_all();
    }

    // Waits up to `ms` for the end; true once the worker has reported it.
    bool WaitForEnd(int ms)
    {
        std::unique_lock<std::mutex> lock(fMutex);
        return fChanged.wait_for(lock, std::chrono::milliseconds(ms), [&] { return fEnded; });
    }

    RenderResult Result()
    {
        std::lock_guard<std::mutex> lock(fMutex);
        return fResult;
    }

private:
    std::mutex fMutex;
    std::condition_variable fChanged;
    bool fEnded = false;
    RenderResult fResult;
};

// The last error, for the one-line report of each project of a batch, which tells it instead.
std::string sLastError;
bool sInBatch = false;

void Error(const std::string& text)
{
    sLastError = text;
    if (!sInBatch)
        std::fprintf(stderr, "%s: %s\n", kName, text.c_str());
}

int UsageError(const std::string& text)
{
    Error(text);
    if (!sInBatch)
        std::fprintf(stderr, "Try '%s --help' for more information.\n", kName);
    return RenderCommand::kUsage;
}

bool ParseInt(const std::string& text, int* out)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, *out);
    return ec == std::errc() && ptr == end && !text.empty();
}

// The format an output name asks for by its extension; false for a name that names none.
bool OutputKind(const std::string& path, RenderKind* kind, bool* pto)
{
    const Quor_String extension = Quor_Path(path.c_str()).Extension();
    *pto = false;
    if (extension == "jpg" || extension == "jpeg")
        *kind = RenderKind::kJpeg;
    else if (extension == "psd")
        *kind = RenderKind::kPsd;
    else if (extension == "pto")
        *pto = true;
    else
        return false;
    return true;
}

int OutputNameError(const std::string& output)
{
    return UsageError(output + ": the output must end in .jpg, .jpeg, .psd or .pto");
}

// Opens the project and reads its photos' headers (the render decodes them at full size; no
// preview is ever shown). Photos that cannot be loaded are named in a warning with the reason
// and left out; with none left there is nothing to render.
int OpenProject(const std::string& project, const std::string& photosDir, PanomerDoc* doc)
{
    // Process-wide tables and the image modules, before any worker runs.
    Quor_ImageOps::InitAlphaTables();
    Quor_ImageIo::InitImageLoader();

    doc->fPath = project.c_str();
    if (access(project.c_str(), R_OK) != 0) {
        Error("cannot open " + project + ": " + std::strerror(errno));
        return RenderCommand::kFailure;
    }
    doc->fHeadersOnly = true;
    if (!doc->Open()) {
        Error("cannot open " + project + ": not a Panomer project, or from a newer version");
        return RenderCommand::kFailure;
    }
    if (!photosDir.empty()) {
        // Only for this render: the project file keeps the paths it has.
        std::vector<int> found;
        if (!PhotoRelink::Relink(doc, photosDir.c_str(), &found)) {
            Error("cannot read the photos folder " + photosDir + ": " + std::strerror(errno));
            return RenderCommand::kFailure;
        }
        for (int i : found) {
            doc->fLoadResult[i] = QUOR_ERR_READ;
            std::fprintf(stderr, "%s: %s found as %s\n", kName, doc->fPhotoPath[i].Name().Buffer(),
                         doc->fPhotoPath[i].Buffer());
        }
    }
    int loaded = 0;
    for (int i = 0; i < doc->fNumPhotos; i++) {
        if (doc->fLoadResult[i] == QUOR_OK) {
            loaded++;
            continue;
        }
        // Loaded once more for the reason alone: it fails again, quickly.
        Quor_String refusal;
        if (doc->UpdatePhoto(i, kPreviewSize, Quor_ImageIo::kNoBudget, &refusal) == QUOR_OK) {
            loaded++;
            continue;
        }
        std::fprintf(stderr, "%s: warning: %s The photo is left out.\n", kName, refusal.Buffer());
    }
    if (loaded == 0) {
        Error(project + (doc->fNumPhotos == 0 ? " holds no photos" : " holds no photo that can be loaded") +
              "; there is nothing to render");
        return RenderCommand::kFailure;
    }
    return RenderCommand::kSuccess;
}

// Sets the photos' brightness from their previews, which are read for this and let go again: the
// render reads the photos at full size with the new values.
void MatchBrightness(PanomerDoc* doc)
{
    const int count = std::min(doc->fNumPhotos, kMaxPhotos);
    doc->fHeadersOnly = false;
    for (int i = 0; i < count; i++) {
        if (doc->fLoadResult[i] == QUOR_OK)
            doc->UpdatePhoto(i, kPreviewSize);
    }
    float matched[kMaxPhotos];
    if (BrightnessMatch::Solve(*doc, BrightnessMatch::kLowest, BrightnessMatch::kHighest, matched)) {
        for (int i = 0; i < count; i++)
            doc->fBrightness[i] = matched[i];
    }
    for (int i = 0; i < count; i++)
        doc->fPhotoImage[i].Free();
    doc->fHeadersOnly = true;
}

// The output file, its format and its size, from the arguments and the project; the document
// takes them as an export dialog would store them.
int PlanOutput(const RenderCommand::Arguments& arguments, PanomerDoc* doc, Job* job)
{
    job->width = arguments.width > 0 ? arguments.width : doc->fRenderWidth;
    if (job->width < CropFit::kMinSize || job->width > CropFit::kMaxSize)
        return UsageError("width must be 16 to 30000");
    job->output = arguments.output;
    if (job->output.empty())
        job->output = doc->fRenderPath.IsEmpty() ? RenderOutput::BesideProject(doc->fPath.Buffer(), ".jpg")
                                                 : doc->fRenderPath.Buffer();
    if (!OutputKind(job->output, &job->kind, &job->pto))
        return OutputNameError(job->output);
    // The height follows the width and the crop's proportions, as the export dialogs keep it.
    job->height = CropFit::HeightForWidth(*doc, job->width);
    if (!CropFit::IsValidSize(job->width, job->height)) {
        Error("with this project's crop a width of " + std::to_string(job->width) + " gives a height of " +
              std::to_string(job->height) + "; the height must be 16 to 30000, so choose another width");
        return arguments.width > 0 ? RenderCommand::kUsage : RenderCommand::kFailure;
    }
    doc->fRenderWidth = job->width;
    doc->fRenderHeight = job->height;
    doc->fQuality = arguments.quality > 0 ? arguments.quality : doc->fQuality;
    doc->fRenderPath = job->output.c_str();
    return RenderCommand::kSuccess;
}

// Reports are shown on a terminal, and elsewhere when asked for.
bool Reporting(bool progress)
{
    return progress || isatty(fileno(stderr)) != 0;
}

// Blocks the cancelling signals for the whole process (the worker inherits the mask), so the
// main loop takes them with sigtimedwait at once, however long a photo takes to load.
class HeldSignals {
public:
    HeldSignals() : fSet(CancelSignals()) { pthread_sigmask(SIG_BLOCK, &fSet, &fPrevious); }
    // A signal that came as the render ended on its own has nothing left to cancel: it is taken
    // before the mask is restored, so it does not end the program before its report.
    ~HeldSignals()
    {
        while (Wait(0) != 0) {
        }
        pthread_sigmask(SIG_SETMASK, &fPrevious, nullptr);
    }

    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

    // Waits up to `ms` for a cancelling signal: its number, or 0.
    int Wait(int ms) const
    {
        const timespec timeout{ms / 1000, (ms % 1000) * 1000000L};
        const int signal = sigtimedwait(&fSet, nullptr, &timeout);
        return signal > 0 ? signal : 0;
    }

    // After the first signal, a second one ends the program at once, as it would by default.
    void LetTheNextOneThrough() const
    {
        for (int signal : kCancelSignals)
            std::signal(signal, SIG_DFL);
        pthread_sigmask(SIG_UNBLOCK, &fSet, nullptr);
    }

private:
    sigset_t fSet;
    sigset_t fPrevious;
};

// Renders, reporting progress, until the worker ends or a signal cancels it. *signal is the
// cancelling signal, or 0.
bool RunWithProgress(PanomerDoc* doc, const Job& job, bool progress, RenderResult* result, int* signal)
{
    HeldSignals signals;
    CommandOwner owner(doc);
    RenderOptions options;
    options.startPauseMs = 0;
    // OpenProject has named the photos that cannot be loaded; the panorama is made without them.
    options.leaveOutUnloadedPhotos = true;
    if (!owner.StartRender(job.kind, options)) {
        Error("cannot start the render thread");
        return false;
    }
    const bool terminal = isatty(fileno(stderr)) != 0;
    const bool report = Reporting(progress);
    const int64_t layers = job.kind == RenderKind::kPsd && doc->fNumPhotos > 0 ? doc->fNumPhotos : 1;
    ProgressBar bar(stderr, int64_t(job.height) * layers, terminal);
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    *signal = 0;
    while (!owner.WaitForEnd(0)) {
        *signal = signals.Wait(100);
        if (*signal != 0) {
            signals.LetTheNextOneThrough();
            owner.CancelRender();
            break;
        }
        if (report)
            bar.Update(owner.Progress(), elapsed());
    }
    owner.JoinRender();
    if (report && *signal == 0)
        bar.Update(owner.Progress(), elapsed(), true);
    bar.Finish();
    *result = owner.Result();
    return true;
}

// What a cancelled render left in its output, in words.
std::string WhatWasLeft(const RenderResult& result, const Job& job)
{
    return "cancelled " + result.WhenCancelled() + "; " + job.output + " " + result.WhatIsLeft(job.kind);
}

// One line about a failed render.
std::string Describe(const RenderResult& result, const Job& job)
{
    const std::string reason = result.systemError != 0 ? std::strerror(result.systemError) : std::string();
    const std::string cause = result.cause.empty() ? std::string() : " (" + result.cause + ")";
    switch (result.failure) {
    case RenderFailure::kCannotCreate:
        return "cannot create " + job.output + ": " + (reason.empty() ? "unknown error" : reason);
    case RenderFailure::kWriteFailed:
        return "cannot write " + job.output + ": " + (reason.empty() ? "the encoder failed" : reason);
    case RenderFailure::kTooLarge:
        return "cannot write " + job.output + ": the panorama is too large for the PSD format";
    case RenderFailure::kNoMemory:
        return "not enough memory for a panorama of " + std::to_string(job.width) + " x " +
               std::to_string(job.height) + " pixels" + cause;
    case RenderFailure::kOutputIsSource:
        return "will not write " + job.output + ": it is one of the project's photos or the project itself";
    case RenderFailure::kPhotosMissing: {
        std::string text = "cannot load at full size:";
        for (size_t i = 0; i < result.missingPhotos.size(); i++)
            text += (i == 0 ? " " : ", ") + result.missingPhotos[i];
        return text;
    }
    case RenderFailure::kBadSize:
        return "width and height must be 16 to 30000";
    case RenderFailure::kNoOutput:
        return "no output file";
    case RenderFailure::kNone:
        break;
    }
    return result.Message();
}

// Says how the render ended and returns the exit status.
int Report(const RenderResult& result, const Job& job, int signal, bool progress)
{
    switch (result.status) {
    case RenderStatus::kDone:
        if (Reporting(progress))
            std::fprintf(stderr, "%s: wrote %s (%d x %d)\n", kName, job.output.c_str(), job.width, job.height);
        return RenderCommand::kSuccess;
    case RenderStatus::kCancelled:
        Error(WhatWasLeft(result, job));
        return 128 + (signal != 0 ? signal : SIGINT);
    case RenderStatus::kFailed:
        break;
    }
    Error(Describe(result, job));
    return RenderCommand::kFailure;
}

// Opens one project, plans its output and renders it (or writes its PTO file), telling what
// happens on standard error; returns the exit status. *written is the output file, and *signal the
// signal that cancelled the render, or 0.
int RunProject(const RenderCommand::Arguments& arguments, const std::string& project, const std::string& output,
               std::string* written, int* signal)
{
    RenderCommand::Arguments one = arguments;
    one.output = output;
    PanomerDoc doc;
    int status = OpenProject(project, arguments.photosDir, &doc);
    if (status != RenderCommand::kSuccess)
        return status;

    if (arguments.matchBrightness)
        MatchBrightness(&doc);

    // The output: file, format and size.
    Job job;
    status = PlanOutput(one, &doc, &job);
    if (status != RenderCommand::kSuccess)
        return status;
    if (written != nullptr)
        *written = job.output;

    if (job.pto) {
        // The photos OpenProject has named in a warning are left out here too.
        std::string error;
        if (!PtoWriter::Write(doc, job.output, job.width, job.height, true, &error)) {
            Error(error);
            return RenderCommand::kFailure;
        }
        if (Reporting(arguments.progress))
            std::fprintf(stderr, "%s: wrote %s (%d x %d)\n", kName, job.output.c_str(), job.width, job.height);
        return RenderCommand::kSuccess;
    }

    // The render, with progress, until it ends or a signal cancels it.
    RenderResult result;
    if (!RunWithProgress(&doc, job, arguments.progress, &result, signal))
        return RenderCommand::kFailure;

    // How it ended.
    return Report(result, job, *signal, arguments.progress);
}

// Where a project of a batch goes: its default output, in `folder` when one is given.
std::string BatchOutput(const std::string& project, const std::string& folder)
{
    const std::string beside = RenderOutput::BesideProject(project, ".jpg");
    if (folder.empty())
        return beside;
    const size_t slash = beside.rfind('/');
    const std::string name = slash == std::string::npos ? beside : beside.substr(slash + 1);
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Several projects, one after the other: a failed one is reported and the next one goes ahead;
// a cancelling signal ends the batch.
int RunBatch(const RenderCommand::Arguments& arguments)
{
    struct stat info;
    const std::string& folder = arguments.output;
    if (!folder.empty() && (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)))
        return UsageError("with several projects, -o must name an existing folder, not " + folder);
    const size_t count = arguments.projects.size();
    size_t failed = 0;
    std::set<std::string> outputs;
    for (size_t i = 0; i < count; i++) {
        const std::string& project = arguments.projects[i];
        const std::string output = BatchOutput(project, folder);
        const std::string counter = "[" + std::to_string(i + 1) + "/" + std::to_string(count) + "] " + project;
        sLastError.clear();
        int status;
        int signal = 0;
        std::string written;
        // Two projects of the same name would put their outputs in one file: the later one fails.
        if (!outputs.insert(output).second) {
            sLastError = "its output " + output + " is the output of an earlier project";
            status = RenderCommand::kFailure;
        } else {
            sInBatch = true;
            status = RunProject(arguments, project, output, &written, &signal);
            sInBatch = false;
        }
        if (signal != 0 && status != RenderCommand::kSuccess) {
            std::fprintf(stderr, "%s: %s: %s\n", kName, counter.c_str(), sLastError.c_str());
            return status;
        }
        if (status == RenderCommand::kSuccess) {
            std::fprintf(stderr, "%s: %s: done, wrote %s\n", kName, counter.c_str(), written.c_str());
        } else {
            failed++;
            std::fprintf(stderr, "%s: %s: failed: %s\n", kName, counter.c_str(), sLastError.c_str());
        }
    }
    if (failed > 0) {
        std::fprintf(stderr, "%s: %zu of %zu projects failed\n", kName, failed, count);
        return RenderCommand::kFailure;
    }
    return RenderCommand::kSuccess;
}

}  // namespace

const char* RenderCommand::HelpText()
{
    return "Usage: panomer-render PROJECT.qpm [-o OUT.jpg|OUT.psd|OUT.pto] [--width N] [--quality Q]\n"
           "                     [--threads N] [--photos-dir DIR] [--match-brightness] [--progress]\n"
           "       panomer-render PROJECT.qpm PROJECT.qpm... [-o DIR] [options]\n"
           "\n"
           "Renders a Panomer project at full size, as the editor's \"Export JPEG...\" and\n"
           "\"Export PSD...\" commands do: every photo is decoded at full size and mapped through the\n"
           "project's projection and crop. A JPEG blends overlapping photos with feathered edges;\n"
           "a PSD holds one transparent layer per photo, named after the photo's file. A PTO file\n"
           "(\"Export PTO...\") hands the project to the open-source panorama tools instead: the\n"
           "photos, their placement, brightness and the crop, for the horizontal spherical\n"
           "projection only; \"nona -o prefix OUT.pto\" then remaps the photos and a blender such as\n"
           "enblend joins them (or \"hugin_executor --stitching OUT.pto\" does both).\n"
           "\n"
           "Several projects are rendered one after the other, each to its default output (or into\n"
           "the folder -o names, under the same name); a project that fails does not stop the\n"
           "others, every project is reported on a line of its own, and the exit status is 1 when\n"
           "any failed. Ctrl-C cancels the render under way and ends the batch.\n"
           "\n"
           "Options:\n"
           "  -o, --output FILE  the file to write; its extension chooses the format: .jpg or .jpeg\n"
           "                     for JPEG, .psd for a layered PSD, .pto for a PTO file. Default: the\n"
           "                     project's name with the extension .jpg, beside the project. With\n"
           "                     several projects: an existing folder for all the outputs.\n"
           "  -w, --width N      the width in pixels, 16 to 30000 (default 1024). The height follows\n"
           "                     from the crop's proportions, as in the export dialogs, and must\n"
           "                     also come out at 16 to 30000.\n"
           "  -q, --quality Q    JPEG quality, 10 to 100 (default 95); ignored for a PSD.\n"
           "      --threads N    render on N threads, 1 to 64 (default: every core, or the\n"
           "                     PANOMER_THREADS environment variable).\n"
           "      --photos-dir DIR  look for photos that are not where the project says in DIR\n"
           "                     and its subfolders one level down, by file name; the project\n"
           "                     file is not changed.\n"
           "      --match-brightness  set the photos' brightness so that overlapping photos agree,\n"
           "                     as the editor's Match Brightness does, for this render only.\n"
           "      --progress     report progress even when standard error is not a terminal (one\n"
           "                     line every few seconds). On a terminal a progress bar with rows per\n"
           "                     second and the time left is always shown.\n"
           "  -h, --help         show this text.\n"
           "      --version      show the version.\n"
           "\n"
           "Short options take their value attached or apart (-w4000, -w 4000), long ones after '='\n"
           "or apart (--width=4000, --width 4000), and a long option may be shortened to any unique\n"
           "beginning (--qual). Everything after \"--\" is a project, even when it begins with '-'.\n"
           "\n"
           "Photos that cannot be loaded when the project is opened are named in a warning, with the\n"
           "reason, and left out; a project with no photo that can be loaded is not rendered. The\n"
           "output may not be one of the project's photos or the project itself.\n"
           "\n"
           "Ctrl-C (or SIGTERM or SIGHUP) cancels, and the message says what was left: a file that\n"
           "is complete but unfinished (a JPEG whose remaining rows repeat the last one rendered, or\n"
           "a PSD with every layer present); when the photos were still loading, a file that was\n"
           "already there is left as it was, and otherwise the JPEG is left empty. A second signal\n"
           "ends the program at once. When the export fails, a file that was already there is left\n"
           "as it was and nothing else is left behind.\n"
           "\n"
           "A PTO file names the photos inside its own folder (or below it) relative to it, so that\n"
           "the folder can be moved as a whole, and others by their full path.\n"
           "\n"
           "Exit status: 0 success, 1 failure, 2 bad usage, 128 + the signal's number when\n"
           "cancelled (130 for Ctrl-C, 143 for SIGTERM, 129 for SIGHUP).\n";
}

bool RenderCommand::Parse(const std::vector<std::string>& args, Arguments* out, std::string* error)
{
    *out = Arguments();
    enum { kThreads = 256, kProgress, kVersion, kPhotosDir, kMatchBrightness };
    static const option kOptions[] = {
        {"output", required_argument, nullptr, 'o'}, {"width", required_argument, nullptr, 'w'},
        {"quality", required_argument, nullptr, 'q'}, {"threads", required_argument, nullptr, kThreads},
        {"progress", no_argument, nullptr, kProgress}, {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, kVersion},  {"photos-dir", required_argument, nullptr, kPhotosDir},
        {"match-brightness", no_argument, nullptr, kMatchBrightness}, {nullptr, 0, nullptr, 0}};
    // getopt_long wants mutable C strings and keeps its place in globals; a fresh scan each call.
    std::vector<std::string> words;
    words.reserve(args.size() + 1);
    words.push_back(kName);
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(words.size());
    optind = 0;  // GNU: start over, also after an earlier scan stopped part-way
    opterr = 0;
    auto number = [&](int* into, int low, int high, const char* range) {
        if (ParseInt(optarg, into) && *into >= low && *into <= high)
            return true;
        *error = range;
        return false;
    };
    // A leading ':' reports a missing value apart from an unknown option.
    for (int c; (c = getopt_long(argc, argv.data(), ":ho:w:q:", kOptions, nullptr)) != -1;) {
        bool fine = true;
        switch (c) {
        case 'h': out->help = true; break;
        case kVersion: out->version = true; break;
        case kProgress: out->progress = true; break;
        case kMatchBrightness: out->matchBrightness = true; break;
        case 'o':
            out->output = optarg;
            if (out->output.empty()) {
                *error = "the output file name is empty";
                fine = false;
            }
            break;
        case 'w': fine = number(&out->width, CropFit::kMinSize, CropFit::kMaxSize, "width must be 16 to 30000"); break;
        case 'q': fine = number(&out->quality, CropFit::kMinQuality, CropFit::kMaxQuality, "quality must be 10 to 100"); break;
        case kThreads: fine = number(&out->threads, 1, JpegRenderer::kMaxThreads, "threads must be 1 to 64"); break;
        case kPhotosDir:
            out->photosDir = optarg;
            if (out->photosDir.empty()) {
                *error = "the photos folder name is empty";
                fine = false;
            }
            break;
        case ':': {
            // A value can only be missing after the last word; a long option is named as typed.
            const std::string last = argv[argc - 1];
            *error = "option " + (last.rfind("--", 0) == 0 ? last : std::string("-") + static_cast<char>(optopt))
                + " needs a value";
            fine = false;
            break;
        }
        default:
            // optopt holds an unknown short option's letter, 0 for an unknown long option, or the
            // code of a long option given a value it does not take ("--progress=1"); getopt_long
            // has stepped past the word of a long option.
            if (optopt > 0 && optopt < 256 && std::strchr("howq", optopt) == nullptr)
                *error = std::string("unknown option -") + static_cast<char>(optopt);
            else if (optopt == 0)
                *error = std::string("unknown option ") + argv[optind - 1];
            else {
                const std::string word = argv[optind - 1];
                *error = "option " + word.substr(0, word.find('=')) + " takes no value";
            }
            fine = false;
            break;
        }
        if (!fine)
            return false;
    }
    // getopt_long has moved every word that is not an option (and all after "--") to the end.
    for (int i = optind; i < argc; i++)
        out->projects.push_back(argv[i]);
    if (out->projects.empty() && !out->help && !out->version) {
        *error = "no project given";
        return false;
    }
    return true;
}

int RenderCommand::Main(int argc, char** argv)
{
    // 1. Arguments; a wrong output name is a usage error, found before any photo is loaded.
    Arguments arguments;
    std::string error;
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
    if (!Parse(args, &arguments, &error))
        return UsageError(error);
    if (arguments.help) {
        std::fputs(HelpText(), stdout);
        return kSuccess;
    }
    if (arguments.version) {
        std::printf("%s %s\n", kName, PANOMER_VERSION);
        return kSuccess;
    }
    if (arguments.threads > 0)
        Quor_Parallel::SetThreads(arguments.threads);
    if (arguments.projects.size() == 1) {
        RenderKind kind;
        bool pto;
        if (!arguments.output.empty() && !OutputKind(arguments.output, &kind, &pto))
            return OutputNameError(arguments.output);
        int signal = 0;
        return RunProject(arguments, arguments.projects[0], arguments.output, nullptr, &signal);
    }
    return RunBatch(arguments);
}
