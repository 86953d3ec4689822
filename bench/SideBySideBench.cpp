// Side-by-side export benchmark: panomer-render against nona (Debian's hugin-tools), both
// rendering the same photos at the same angles into the same horizontal spherical panorama as a
// JPEG. Each program runs as a child process, the two in turn; wall time, CPU time and peak
// memory come from wait4. Without nona on the PATH (or with --nona none) only panomer-render is
// timed.
//
//   sidebyside_bench [--job standard|large] [--runs N] [--folder DIR] [--render PATH] [--nona PATH]
//
// standard: 18 photos of 4000 x 3000 (JPEG q95), rows of 6 at pitches -50, 0 and 50 degrees,
//           90 degrees across each (focal length 16 mm), into 8000 x 4000 at quality 95.
// large:    64 photos of 6000 x 4000 (JPEG q90), rows of 16 at pitches -60, -20, 20 and 60,
//           into 12000 x 6000 at quality 95.
// The photos are views of one made-up world (coloured sectors, a grid every 10 degrees and a
// fine texture), drawn through the same camera model the editor uses, so a right stitch shows
// the world seamlessly; the benchmark prints how far the two panoramas differ (mean over a
// reduced copy of each) and writes both reduced copies as PNG for a look. With --folder the
// photos are kept there and reused; otherwise a temporary folder is removed at the end.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "app/core/PanomerDoc.h"
#include "app/core/PhotoMapping.h"
#include "toolkit/core/Quor_Parallel.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/math/Quor_Math.h"

namespace fs = std::filesystem;

namespace {

constexpr double kPi = Quor_Math::kPi;

struct Job {
    const char* name;
    int photoWidth, photoHeight, photoQuality;
    std::vector<float> rowPitches;  // degrees
    int perRow;
    float focalLength;              // 35 mm equivalent; the shorter side stands for 24 mm
    int outputWidth, outputHeight, outputQuality;
};

const Job kStandard{"standard", 4000, 3000, 95, {-50.0f, 0.0f, 50.0f}, 6, 16.0f, 8000, 4000, 95};
const Job kLarge{"large", 6000, 4000, 90, {-60.0f, -20.0f, 20.0f, 60.0f}, 16, 28.0f, 12000, 6000, 95};

struct Settings {
    const Job* job = &kStandard;
    int runs = 2;
    std::string folder;
    std::string render;
    std::string nona = "nona";
};

struct Placement {
    float yaw, pitch;  // radians, the editor's convention: positive yaw to the left, pitch up
};

std::vector<Placement> Placements(const Job& job)
{
    std::vector<Placement> out;
    for (size_t row = 0; row < job.rowPitches.size(); row++)
        for (int i = 0; i < job.perRow; i++) {
            // Alternate rows are offset by half a step, as a photographer would shoot them.
            const double step = 360.0 / job.perRow;
            double yaw = -180.0 + step * (i + 0.5 * static_cast<double>(row % 2)) + step / 2;
            if (yaw > 180.0)
                yaw -= 360.0;
            out.push_back({static_cast<float>(yaw * kPi / 180.0), static_cast<float>(job.rowPitches[row] * kPi / 180.0)});
        }
    return out;
}

uint32_t Hash(uint32_t a, uint32_t b)
{
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 13;
    return h;
}

// The made-up world's colour in the direction (yaw, pitch), radians.
uint32_t World(double yaw, double pitch)
{
    const double yawDeg = yaw * 180.0 / kPi + 180.0;    // 0..360
    const double pitchDeg = pitch * 180.0 / kPi + 90.0;  // 0..180
    const int sector = static_cast<int>(yawDeg / 30.0) % 12;
    const int band = static_cast<int>(pitchDeg / 20.0);
    static const int kHues[12][3] = {{200, 60, 50}, {220, 140, 40}, {210, 200, 60}, {120, 190, 60},
        {50, 160, 90}, {40, 170, 170}, {50, 110, 200}, {90, 70, 190}, {150, 60, 180}, {200, 70, 130},
        {150, 110, 80}, {110, 130, 110}};
    int r = kHues[sector][0], g = kHues[sector][1], b = kHues[sector][2];
    // Alternate bands lighter and darker, and the whole world lighter towards the top, so a
    // panorama upside down or mirrored shows.
    const int shade = (band % 2) * 40 - 20 + static_cast<int>((pitchDeg - 90.0) / 4.0);
    // A grid line every 10 degrees, and a fine texture of cells a tenth of a degree across.
    const double gx = std::fmod(yawDeg, 10.0), gy = std::fmod(pitchDeg, 10.0);
    const bool line = gx < 0.15 || gy < 0.15;
    const uint32_t cell = Hash(static_cast<uint32_t>(yawDeg * 10.0), static_cast<uint32_t>(pitchDeg * 10.0));
    const int grain = static_cast<int>(cell & 31) - 16;
    const auto clamp = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
    if (line)
        return Quor_PixelConvert::Pack(20, 20, 20);
    return Quor_PixelConvert::Pack(clamp(r + shade + grain), clamp(g + shade + grain), clamp(b + shade + grain));
}

// Draws the photo the editor's camera would see at `place`.
void DrawPhoto(const Job& job, Placement place, Quor_BaseImage* photo)
{
    PhotoMapping mapping;
    mapping.Set(photo->Image(), place.yaw, place.pitch, 0.0f, PhotoMapping::CameraAngle(job.focalLength),
        PanomerDoc::kHorizontalSpherical);
    const float distance = mapping.Distance();
    const int w = photo->Width(), h = photo->Height();
    for (int y = 0; y < h; y++) {
        uint32_t* row = photo->Image().Row32(y);
        for (int x = 0; x < w; x++) {
            const Quor_Vector3 d = mapping.ToWorld(Quor_Vector3(x + 0.5f - w / 2.0f, h / 2.0f - (y + 0.5f), -distance));
            // D = (-sin(yaw) cos(pitch), sin(pitch), -cos(yaw) cos(pitch)).
            const double yaw = std::atan2(-static_cast<double>(d.x), -static_cast<double>(d.z));
            const double pitch = std::atan2(static_cast<double>(d.y), std::hypot(static_cast<double>(d.x), static_cast<double>(d.z)));
            row[x] = World(yaw, pitch);
        }
    }
}

std::string PhotoName(int i)
{
    return "photo" + std::to_string(i) + ".jpg";
}

bool WriteJob(const Job& job, const fs::path& folder)
{
    const std::vector<Placement> places = Placements(job);
    std::atomic<bool> ok = true;
    // One photo at a time on each thread: they are large.
    Quor_Parallel::For(static_cast<int>(places.size()), [&](int i) {
        const fs::path path = folder / PhotoName(i);
        std::error_code error;
        if (fs::exists(path, error))
            return;
        Quor_BaseImage photo;
        if (photo.Initialize(job.photoWidth, job.photoHeight, 32) != QUOR_OK) {
            ok = false;
            return;
        }
        DrawPhoto(job, places[static_cast<size_t>(i)], &photo);
        const fs::path partial = folder / ("partial-" + PhotoName(i));
        if (Quor_ImageIo::SaveImage(partial.string().c_str(), &photo, Quor_ImageIo::Format_JPEG, job.photoQuality) != QUOR_OK)
            ok = false;
        else
            fs::rename(partial, path, error);
    });
    if (!ok)
        return false;

    PanomerDoc doc(job.focalLength);
    doc.fProjectionType = PanomerDoc::kHorizontalSpherical;
    PanomerDoc::DefaultCrop(doc.fProjectionType, doc.fCrop);
    doc.fNumPhotos = static_cast<int>(places.size());
    for (size_t i = 0; i < places.size(); i++) {
        doc.fPhotoPath[i] = (folder / PhotoName(static_cast<int>(i))).string().c_str();
        doc.fYaw[i] = places[i].yaw;
        doc.fPitch[i] = places[i].pitch;
        doc.fBrightness[i] = 1.0f;
    }
    doc.fPath = (folder / "sidebyside.qpm").string().c_str();
    if (!doc.Save())
        return false;

    // The same job for nona. Its yaw turns to the right, the editor's to the left; pitch is up
    // in both. The horizontal field of view follows from the editor's camera: the shorter side
    // spans 2 atan(12 / f), so the longer one 2 atan(12 / f * longer / shorter).
    const double shorter = std::min(job.photoWidth, job.photoHeight);
    const double longer = std::max(job.photoWidth, job.photoHeight);
    const double across = job.photoWidth >= job.photoHeight ? longer : shorter;
    const double hfov = 2.0 * std::atan(12.0 / job.focalLength * across / shorter) * 180.0 / kPi;
    std::ofstream pto(folder / "sidebyside.pto");
    char line[512];
    std::snprintf(line, sizeof line, "p f2 w%d h%d v360 E0 R0 n\"JPEG q%d\"\nm i0\n", job.outputWidth,
        job.outputHeight, job.outputQuality);
    pto << line;
    for (size_t i = 0; i < places.size(); i++) {
        std::snprintf(line, sizeof line,
            "i w%d h%d f0 v%.6f y%.6f p%.6f r0 a0 b0 c0 d0 e0 g0 t0 Eev0 Er1 Eb1 Va1 Vb0 Vc0 Vd0 Vx0 Vy0 n\"%s\"\n",
            job.photoWidth, job.photoHeight, hfov, -places[i].yaw * 180.0 / kPi, places[i].pitch * 180.0 / kPi,
            (folder / PhotoName(static_cast<int>(i))).string().c_str());
        pto << line;
    }
    pto.close();
    return !pto.fail();
}

struct RunFigures {
    bool ok = false;
    double wall = 0.0, cpu = 0.0, peakMb = 0.0;
};

// Runs the command with its output thrown away; the figures of the child alone, from wait4.
RunFigures Run(const std::vector<std::string>& command)
{
    RunFigures figures;
    std::vector<char*> argv;
    for (const std::string& arg : command)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0)
        return figures;
    if (child == 0) {
        std::FILE* null = std::fopen("/dev/null", "w");
        if (null != nullptr) {
            dup2(fileno(null), STDOUT_FILENO);
            dup2(fileno(null), STDERR_FILENO);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (wait4(child, &status, 0, &usage) != child)
        return figures;
    figures.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    figures.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    figures.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    figures.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return figures;
}

bool OnPath(const std::string& program)
{
    if (program.find('/') != std::string::npos)
        return access(program.c_str(), X_OK) == 0;
    const char* path = std::getenv("PATH");
    std::string paths = path != nullptr ? path : "";
    size_t begin = 0;
    while (begin <= paths.size()) {
        const size_t end = std::min(paths.find(':', begin), paths.size());
        if (end > begin && access((paths.substr(begin, end - begin) + "/" + program).c_str(), X_OK) == 0)
            return true;
        begin = end + 1;
    }
    return false;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0.0 : (n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0);
}

struct Series {
    std::vector<double> wall, cpu, peak;
    void Add(const RunFigures& f)
    {
        wall.push_back(f.wall);
        cpu.push_back(f.cpu);
        peak.push_back(f.peakMb);
    }
};

// The mean absolute difference of two panoramas reduced to the same small size, per channel
// (0..255), between pitches -60 and 60 degrees, which the photos cover whole; -1 when either
// cannot be read. The reduced copies are written beside them as PNG.
double Difference(const std::string& a, const std::string& b, const fs::path& folder)
{
    Quor_BaseImage first, second;
    if (Quor_ImageIo::LoadImage(a.c_str(), &first, 1000) != QUOR_OK
        || Quor_ImageIo::LoadImage(b.c_str(), &second, 1000) != QUOR_OK || first.Width() != second.Width()
        || first.Height() != second.Height())
        return -1.0;
    Quor_ImageIo::SaveImage((folder / "ours-reduced.png").string().c_str(), &first, Quor_ImageIo::Format_PNG, 0);
    Quor_ImageIo::SaveImage((folder / "nona-reduced.png").string().c_str(), &second, Quor_ImageIo::Format_PNG, 0);
    double sum = 0.0;
    int64_t count = 0;
    for (int y = first.Height() / 6; y < first.Height() * 5 / 6; y++) {
        const uint8_t* p = reinterpret_cast<const uint8_t*>(first.Image().Row32(y));
        const uint8_t* q = reinterpret_cast<const uint8_t*>(second.Image().Row32(y));
        // Alpha is 255 in both, so summing over all four bytes counts the colour alone.
        for (int i = 0; i < first.Width() * 4; i++)
            sum += std::abs(int(p[i]) - int(q[i]));
        count += int64_t(first.Width()) * 3;
    }
    return count > 0 ? sum / static_cast<double>(count) : -1.0;
}

bool Parse(int argc, char** argv, Settings* s)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i], value = argv[i + 1];
        if (arg == "--job" && (value == "standard" || value == "large"))
            s->job = value == "large" ? &kLarge : &kStandard;
        else if (arg == "--runs")
            s->runs = std::atoi(value.c_str());
        else if (arg == "--folder")
            s->folder = value;
        else if (arg == "--render")
            s->render = value;
        else if (arg == "--nona")
            s->nona = value;
        else
            return false;
    }
    return argc % 2 == 1 && s->runs >= 1;
}

}  // namespace

int main(int argc, char** argv)
{
    Settings s;
    if (!Parse(argc, argv, &s)) {
        std::fprintf(stderr, "usage: sidebyside_bench [--job standard|large] [--runs N] [--folder DIR] "
                             "[--render PATH] [--nona PATH]\n");
        return 2;
    }
    if (s.render.empty()) {
        std::error_code error;
        const fs::path self = fs::read_symlink("/proc/self/exe", error);
        s.render = (self.parent_path().parent_path() / "app" / "cli" / "panomer-render").string();
    }
    if (access(s.render.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "no panomer-render at %s (give --render PATH)\n", s.render.c_str());
        return 1;
    }
    Quor_ImageOps::InitAlphaTables();
    Quor_ImageIo::InitImageLoader();

    const Job& job = *s.job;
    const bool temporary = s.folder.empty();
    const fs::path folder = temporary ? fs::temp_directory_path() / ("sidebyside_" + std::string(job.name)) : fs::path(s.folder);
    std::error_code error;
    fs::create_directories(folder, error);
    std::printf("job %s: %zu photos of %d x %d into %d x %d, JPEG q%d; photos in %s\n", job.name,
        Placements(job).size(), job.photoWidth, job.photoHeight, job.outputWidth, job.outputHeight, job.outputQuality,
        folder.string().c_str());
    std::fflush(stdout);
    if (!WriteJob(job, folder)) {
        std::fprintf(stderr, "cannot write the photos or the projects in %s\n", folder.string().c_str());
        return 1;
    }

    const bool skipNona = s.nona == "none";
    const bool haveNona = !skipNona && OnPath(s.nona);
    if (skipNona)
        std::printf("nona left out: timing panomer-render alone\n");
    else if (!haveNona)
        std::printf("nona is not installed (Debian: hugin-tools): timing panomer-render alone\n");
    const std::string ours = (folder / "ours.jpg").string();
    const std::string theirs = (folder / "nona.jpg").string();
    const std::vector<std::string> ourCommand = {s.render, (folder / "sidebyside.qpm").string(), "-o", ours, "--width",
        std::to_string(job.outputWidth), "--quality", std::to_string(job.outputQuality)};
    const std::vector<std::string> nonaCommand = {s.nona, "-m", "JPEG", "-z", std::to_string(job.outputQuality), "-o",
        (folder / "nona").string(), (folder / "sidebyside.pto").string()};

    Series our, their;
    for (int run = 0; run < s.runs; run++) {
        const RunFigures a = Run(ourCommand);
        if (!a.ok) {
            std::fprintf(stderr, "panomer-render failed\n");
            return 1;
        }
        our.Add(a);
        std::printf("run %d: panomer-render %.2f s wall, %.2f s CPU, %.0f MB", run + 1, a.wall, a.cpu, a.peakMb);
        if (haveNona) {
            const RunFigures b = Run(nonaCommand);
            if (!b.ok) {
                std::fprintf(stderr, "\nnona failed\n");
                return 1;
            }
            their.Add(b);
            std::printf("; nona %.2f s wall, %.2f s CPU, %.0f MB", b.wall, b.cpu, b.peakMb);
        }
        std::printf("\n");
        std::fflush(stdout);
    }

    const double ourWall = Median(our.wall), ourCpu = Median(our.cpu), ourPeak = Median(our.peak);
    if (haveNona) {
        const double theirWall = Median(their.wall), theirCpu = Median(their.cpu), theirPeak = Median(their.peak);
        const double difference = Difference(ours, theirs, folder);
        std::printf("side by side (%s, median of %d): panomer-render %.2f s wall (%.2f s CPU), nona %.2f s wall "
                    "(%.2f s CPU), ratio ours/nona %.2f wall %.2f CPU; peak memory %.0f MB ours, %.0f MB nona; "
                    "mean difference of the panoramas %.1f of 255\n",
            job.name, s.runs, ourWall, ourCpu, theirWall, theirCpu, ourWall / theirWall, ourCpu / theirCpu, ourPeak,
            theirPeak, difference);
    } else {
        std::printf("panomer-render alone (%s, median of %d): %.2f s wall (%.2f s CPU), peak memory %.0f MB\n", job.name,
            s.runs, ourWall, ourCpu, ourPeak);
    }
    if (temporary)
        fs::remove_all(folder, error);
    return 0;
}
