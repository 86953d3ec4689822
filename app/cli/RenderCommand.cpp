#include "app/cli/RenderCommand.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <pthread.h>
#include <unistd.h>

#include "app/cli/ProgressBar.h"
#include "app/core/CropFit.h"
#include "app/core/PanomerDoc.h"
#include "app/core/RenderOwner.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"

namespace {

constexpr const char* kName = "panomer-render";

volatile sig_atomic_t sInterrupted = 0;

void OnInterrupt(int)
{
    sInterrupted = 1;
}

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

void Error(const std::string& text)
{
    std::fprintf(stderr, "%s: %s\n", kName, text.c_str());
}

int UsageError(const std::string& text)
{
    Error(text);
    std::fprintf(stderr, "Try '%s --help' for more information.\n", kName);
    return RenderCommand::kUsage;
}

bool ParseInt(const std::string& text, int* out)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, *out);
    return ec == std::errc() && ptr == end && !text.empty();
}

// The lower-cased extension of the file name (after the last "/"), without the dot.
std::string Extension(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return std::string();
    std::string ext = name.substr(dot + 1);
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return ext;
}

// The format an output name asks for; false for a name that names neither.
bool OutputKind(const std::string& path, RenderKind* kind)
{
    const std::string extension = Extension(path);
    RenderKind k;
    if (extension == "jpg" || extension == "jpeg")
        k = RenderKind::kJpeg;
    else if (extension == "psd")
        k = RenderKind::kPsd;
    else
        return false;
    if (kind)
        *kind = k;
    return true;
}

std::string DefaultOutput(const std::string& project)
{
    const size_t slash = project.rfind('/');
    const size_t dot = project.rfind('.');
    const std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? project.substr(0, dot) : project;
    return stem + ".jpg";
}

std::string Describe(const RenderResult& result, const std::string& output, int width, int height)
{
    const std::string reason = result.systemError != 0 ? std::strerror(result.systemError) : std::string();
    switch (result.failure) {
    case RenderFailure::kCannotCreate:
        return "cannot create " + output + ": " + (reason.empty() ? "unknown error" : reason);
    case RenderFailure::kWriteFailed:
        return "cannot write " + output + ": " + (reason.empty() ? "the encoder failed" : reason);
    case RenderFailure::kNoMemory:
        return "not enough memory for a panorama of " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
    case RenderFailure::kOutputIsSource:
        return "will not write " + output + ": it is one of the project's photos or the project itself";
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

}  // namespace

const char* RenderCommand::HelpText()
{
    return "Usage: panomer-render PROJECT.qpm [-o OUT.jpg|OUT.psd] [--width N] [--quality Q] [--progress]\n"
           "\n"
           "Renders a Panomer project at full size, as the editor's \"Export JPEG...\" and\n"
           "\"Export PSD...\" commands do: every photo is loaded at full size and mapped through the\n"
           "project's projection and crop. A JPEG blends overlapping photos with feathered edges;\n"
           "a PSD holds one transparent layer per photo, named after the photo's file.\n"
           "\n"
           "Options:\n"
           "  -o, --output FILE  the file to write; its extension chooses the format: .jpg or .jpeg\n"
           "                     for JPEG, .psd for a layered PSD. Default: the project's name with\n"
           "                     the extension .jpg, beside the project.\n"
           "  -w, --width N      the width in pixels, 16 to 30000 (default 1024). The height follows\n"
           "                     from the crop's proportions, as in the export dialogs, and must\n"
           "                     also come out at 16 to 30000.\n"
           "  -q, --quality Q    JPEG quality, 10 to 100 (default 95); ignored for a PSD.\n"
           "      --progress     report progress even when standard error is not a terminal (one\n"
           "                     line every few seconds). On a terminal a progress bar with rows per\n"
           "                     second and the time left is always shown.\n"
           "  -h, --help         show this text.\n"
           "\n"
           "Photos that cannot be loaded when the project is opened are named in a warning and left\n"
           "out. The output may not be one of the project's photos or the project itself.\n"
           "\n"
           "Ctrl-C cancels: the file written so far is left complete (a JPEG whose remaining rows\n"
           "repeat the last one rendered, or a PSD with every layer present), or empty when the\n"
           "photos were still loading. Nothing is left behind when the export fails.\n"
           "\n"
           "Exit status: 0 success, 1 failure, 2 bad usage, 130 cancelled with Ctrl-C.\n";
}

bool RenderCommand::Parse(const std::vector<std::string>& args, Arguments* out, std::string* error)
{
    *out = Arguments();
    for (size_t i = 0; i < args.size(); i++) {
        std::string arg = args[i];
        std::string value;
        bool hasValue = false;
        // --name=value is the same as --name value.
        const size_t equals = arg.find('=');
        if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
            hasValue = true;
        }
        auto takeValue = [&](std::string* into) {
            if (hasValue) {
                *into = value;
                return true;
            }
            if (i + 1 >= args.size()) {
                *error = "option " + arg + " needs a value";
                return false;
            }
            *into = args[++i];
            return true;
        };
        if (arg == "-h" || arg == "--help") {
            out->help = true;
        } else if (arg == "--progress") {
            out->progress = true;
        } else if (arg == "-o" || arg == "--output") {
            if (!takeValue(&out->output))
                return false;
            if (out->output.empty()) {
                *error = "the output file name is empty";
                return false;
            }
        } else if (arg == "-w" || arg == "--width") {
            std::string text;
            if (!takeValue(&text))
                return false;
            if (!ParseInt(text, &out->width) || out->width < CropFit::kMinSize || out->width > CropFit::kMaxSize) {
                *error = "width must be 16 to 30000";
                return false;
            }
        } else if (arg == "-q" || arg == "--quality") {
            std::string text;
            if (!takeValue(&text))
                return false;
            if (!ParseInt(text, &out->quality) || out->quality < CropFit::kMinQuality || out->quality > CropFit::kMaxQuality) {
                *error = "quality must be 10 to 100";
                return false;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            *error = "unknown option " + arg;
            return false;
        } else if (out->project.empty()) {
            out->project = arg;
        } else {
            *error = "more than one project given: " + out->project + " and " + arg;
            return false;
        }
    }
    if (out->project.empty() && !out->help) {
        *error = "no project given";
        return false;
    }
    return true;
}

int RenderCommand::Main(int argc, char** argv)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; i++)
        args.emplace_back(argv[i]);
    Arguments arguments;
    std::string error;
    if (!Parse(args, &arguments, &error))
        return UsageError(error);
    if (arguments.help) {
        std::fputs(HelpText(), stdout);
        return kSuccess;
    }

    // A wrong output name is a usage error, found before the project's photos are loaded.
    if (!arguments.output.empty() && !OutputKind(arguments.output, nullptr))
        return UsageError(arguments.output + ": the output must end in .jpg, .jpeg or .psd");

    // Process-wide tables and the image modules, before any worker runs.
    Quor_ImageOps::InitAlphaTables();
    Quor_ImageIo::InitImageLoader();

    PanomerDoc doc;
    doc.fPath = arguments.project.c_str();
    if (access(arguments.project.c_str(), R_OK) != 0) {
        Error("cannot open " + arguments.project + ": " + std::strerror(errno));
        return kFailure;
    }
    if (!doc.Open()) {
        Error("cannot open " + arguments.project + ": not a Panomer project, or from a newer version");
        return kFailure;
    }
    for (int i = 0; i < doc.fNumPhotos; i++) {
        if (!doc.fPhotoImage[i].IsValid())
            std::fprintf(stderr, "%s: warning: cannot load photo %s; it is left out\n", kName, doc.fPhotoPath[i].Buffer());
    }

    const int width = arguments.width > 0 ? arguments.width : doc.fRenderWidth;
    const int quality = arguments.quality > 0 ? arguments.quality : doc.fQuality;
    if (width < CropFit::kMinSize || width > CropFit::kMaxSize)
        return UsageError("width must be 16 to 30000");
    std::string output = arguments.output;
    if (output.empty())
        output = doc.fRenderPath.IsEmpty() ? DefaultOutput(doc.fPath.Buffer()) : std::string(doc.fRenderPath.Buffer());
    RenderKind kind;
    if (!OutputKind(output, &kind))
        return UsageError(output + ": the output must end in .jpg, .jpeg or .psd");

    // The height follows the width and the crop's proportions, as the export dialogs keep it.
    const int height = CropFit::HeightForWidth(doc, width);
    if (!CropFit::IsValidSize(width, height)) {
        Error("with this project's crop a width of " + std::to_string(width) + " gives a height of " +
              std::to_string(height) + "; the height must be 16 to 30000, so choose another width");
        return arguments.width > 0 ? kUsage : kFailure;
    }
    doc.fRenderWidth = width;
    doc.fRenderHeight = height;
    doc.fQuality = quality;
    doc.fRenderPath = output.c_str();

    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // A second Ctrl-C while the cancel is under way ends the process at once.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);

    CommandOwner owner(&doc);
    RenderOptions options;
    options.startPauseMs = 0;
    // The worker starts with Ctrl-C blocked, so the signal always reaches this thread.
    sigset_t interrupt, previous;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    pthread_sigmask(SIG_BLOCK, &interrupt, &previous);
    const bool started = owner.StartRender(kind, options);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (!started) {
        Error("cannot start the render thread");
        return kFailure;
    }

    const bool terminal = isatty(fileno(stderr)) != 0;
    const bool report = terminal || arguments.progress;
    const int64_t rows = static_cast<int64_t>(height) * (kind == RenderKind::kPsd && doc.fNumPhotos > 0 ? doc.fNumPhotos : 1);
    ProgressBar bar(stderr, rows, terminal);
    const auto start = std::chrono::steady_clock::now();
    bool cancelled = false;
    while (!owner.WaitForEnd(100)) {
        if (sInterrupted) {
            owner.CancelRender();
            cancelled = true;
            break;
        }
        if (report) {
            const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
            bar.Update(owner.Progress(), elapsed.count());
        }
    }
    owner.JoinRender();
    if (report && !cancelled) {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        bar.Update(owner.Progress(), elapsed.count(), true);
    }
    bar.Finish();

    const RenderResult result = owner.Result();
    switch (result.status) {
    case RenderStatus::kDone:
        if (report)
            std::fprintf(stderr, "%s: wrote %s (%d x %d)\n", kName, output.c_str(), width, height);
        return kSuccess;
    case RenderStatus::kCancelled:
        Error("cancelled; " + output + " is complete but unfinished");
        return kInterrupted;
    case RenderStatus::kFailed:
        break;
    }
    Error(Describe(result, output, width, height));
    return kFailure;
}
