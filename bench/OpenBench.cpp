// Open benchmark: how long opening a project takes when every photo is a large JPEG whose
// preview must be decoded. It writes the photos (textured, JPEG) and a project of them into a
// folder, then opens the project with one thread and with every core, and again through the
// editor's preview cache (a fresh one in the folder: the first open stores, the next ones read),
// and prints two lines.
//
//   open_bench [--photos N] [--photo-size WxH] [--quality Q] [--folder DIR] [--runs R]
//
// The defaults are the measurement: 64 photos of 6000 x 4000 (24 megapixels) at quality 90.
// With --folder the photos are kept there and reused by the next run (written only when
// missing); otherwise they go to a temporary folder that is removed at the end.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <time.h>

#include "app/core/PanomerDoc.h"
#include "app/core/PreviewCache.h"
#include "toolkit/core/Quor_Parallel.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "bench/BenchSupport.h"

using BenchSupport::CpuSeconds;
using BenchSupport::ParseSize;


namespace {

constexpr double kGoalSeconds = 2.0;

struct Settings {
    int photos = 64;
    int photoWidth = 6000;
    int photoHeight = 4000;
    int quality = 90;
    int runs = 3;
    std::string folder;
};

bool Parse(int argc, char** argv, Settings* s)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        const char* value = argv[i + 1];
        if (arg == "--photos")
            s->photos = std::atoi(value);
        else if (arg == "--photo-size") {
            if (!ParseSize(value, &s->photoWidth, &s->photoHeight))
                return false;
        } else if (arg == "--quality")
            s->quality = std::atoi(value);
        else if (arg == "--runs")
            s->runs = std::atoi(value);
        else if (arg == "--folder")
            s->folder = value;
        else
            return false;
    }
    return argc % 2 == 1 && s->photos >= 1 && s->photos <= kMaxPhotos && s->photoWidth > 0 && s->photoHeight > 0
        && s->quality >= 1 && s->quality <= 100 && s->runs >= 1;
}

// Smooth shading with fine grain and hard edges, so the files are about the size a camera's are
// at this quality (a few bits a pixel), and each photo differs from the others.
void FillPhoto(Quor_BaseImage* image, int seed)
{
    uint32_t state = 2463534242u + static_cast<uint32_t>(seed) * 7919u;
    const int width = image->Width(), height = image->Height();
    for (int y = 0; y < height; y++) {
        uint32_t* row = image->Image().Row32(y);
        for (int x = 0; x < width; x++) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int grain = static_cast<int>(state & 15);
            const int band = ((x / 97 + y / 61 + seed) % 5) * 24;
            const int red = (x * 200 / width + band + grain) & 255;
            const int green = (y * 200 / height + grain + seed * 3) & 255;
            const int blue = (band * 2 + grain + (x ^ y) / 64) & 255;
            row[x] = Quor_PixelConvert::Pack(red, green, blue);
        }
    }
}

bool WriteProject(const Settings& s, const std::filesystem::path& folder, const std::string& project)
{
    PanomerDoc doc(20.0f);
    doc.fNumPhotos = s.photos;
    std::atomic<bool> ok = true;
    Quor_Parallel::For(s.photos, [&](int i) {
        const std::string path = (folder / ("photo" + std::to_string(i) + ".jpg")).string();
        doc.fPhotoPath[i] = path.c_str();
        doc.fYaw[i] = -3.0f + 6.0f * (static_cast<float>(i % 16) + 0.5f) / 16.0f;
        doc.fPitch[i] = -0.9f + 0.6f * static_cast<float>(i / 16);
        doc.fBrightness[i] = 1.0f;
        std::error_code error;
        if (std::filesystem::exists(path, error))
            return;
        Quor_BaseImage photo;
        if (photo.Initialize(s.photoWidth, s.photoHeight, 32) != QUOR_OK) {
            ok = false;
            return;
        }
        FillPhoto(&photo, i);
        if (Quor_ImageIo::SaveImage(path.c_str(), &photo, Quor_ImageIo::Format_JPEG, s.quality) != QUOR_OK)
            ok = false;
    });
    doc.fPath = project.c_str();
    return ok && doc.Save();
}

// One open on `threads` threads: wall seconds (negative when the project does not open), and the
// process's CPU seconds in *cpu.
double TimeOpen(const std::string& project, int threads, double* cpu, int* loaded)
{
    Quor_Parallel::SetThreads(threads);
    PanomerDoc doc;
    doc.fPath = project.c_str();
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    const bool opened = doc.Open();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    *cpu = CpuSeconds() - cpuStart;
    Quor_Parallel::SetThreads(0);
    *loaded = 0;
    for (int i = 0; i < doc.fNumPhotos; i++)
        *loaded += doc.fLoadResult[i] == QUOR_OK && doc.fPhotoImage[i].IsValid() ? 1 : 0;
    return opened ? seconds : -1.0;
}

}  // namespace

int main(int argc, char** argv)
{
    Settings s;
    if (!Parse(argc, argv, &s)) {
        std::fprintf(stderr,
            "usage: open_bench [--photos N] [--photo-size WxH] [--quality Q] [--folder DIR] [--runs R]\n");
        return 2;
    }
    Quor_ImageOps::InitAlphaTables();
    Quor_ImageIo::InitImageLoader();

    const bool temporary = s.folder.empty();
    const std::filesystem::path folder = temporary
        ? std::filesystem::temp_directory_path() / ("open_bench_" + std::to_string(s.photoWidth) + "x"
              + std::to_string(s.photoHeight) + "_q" + std::to_string(s.quality))
        : std::filesystem::path(s.folder);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::string project = (folder / "open_bench.qpm").string();
    if (!WriteProject(s, folder, project)) {
        std::fprintf(stderr, "cannot write the photos or the project in %s\n", folder.string().c_str());
        return 1;
    }

    int loadedOne = 0, loadedAll = 0;
    // Alternated so that a change in the machine's load touches both figures alike.
    // The fastest run of each, wall and CPU.
    double one = -1.0, all = -1.0, oneCpu = 0.0, allCpu = 0.0;
    for (int run = 0; run < s.runs; run++) {
        double aCpu = 0.0, bCpu = 0.0;
        const double a = TimeOpen(project, 1, &aCpu, &loadedOne);
        const double b = TimeOpen(project, 0, &bCpu, &loadedAll);
        if (a < 0.0 || b < 0.0) {
            std::fprintf(stderr, "cannot open %s\n", project.c_str());
            return 1;
        }
        one = run == 0 ? a : std::min(one, a);
        all = run == 0 ? b : std::min(all, b);
        oneCpu = run == 0 ? aCpu : std::min(oneCpu, aCpu);
        allCpu = run == 0 ? bCpu : std::min(allCpu, bCpu);
    }
    std::printf("open %d photos of %d x %d (JPEG q%d, %d loaded): %.3f s on %d threads (%.3f s CPU; goal %.1f s), "
                "%.3f s on one thread (%.3f s CPU), ratio one/all %.2f\n",
        s.photos, s.photoWidth, s.photoHeight, s.quality, loadedAll, all, Quor_Parallel::Threads(), allCpu,
        kGoalSeconds, one, oneCpu, one / all);
    // Through the preview cache, on every core: the first open decodes and stores, the next read.
    const std::filesystem::path cacheFolder = folder / "preview-cache";
    std::filesystem::remove_all(cacheFolder, error);
    PreviewCache cache(cacheFolder.string(), int64_t(1) << 30);
    PanomerDoc::SetPreviewCache(&cache);
    double storing = -1.0, cached = -1.0, storingCpu = 0.0, cachedCpu = 0.0;
    int loadedCached = 0;
    storing = TimeOpen(project, 0, &storingCpu, &loadedCached);
    for (int run = 0; run < s.runs; run++) {
        double cpu = 0.0;
        const double seconds = TimeOpen(project, 0, &cpu, &loadedCached);
        cached = run == 0 ? seconds : std::min(cached, seconds);
        cachedCpu = run == 0 ? cpu : std::min(cachedCpu, cpu);
    }
    PanomerDoc::SetPreviewCache(nullptr);
    std::printf("open again through the preview cache (%d read, %d decoded): %.3f s (%.3f s CPU; goal %.1f s), "
                "first open storing %.3f s (%.3f s CPU), ratio decode/cache %.1f\n",
        cache.Hits(), cache.Misses(), cached, cachedCpu, kGoalSeconds, storing, storingCpu, all / cached);
    std::filesystem::remove_all(cacheFolder, error);
    if (temporary)
        std::filesystem::remove_all(folder, error);
    return loadedOne == s.photos && loadedAll == s.photos && loadedCached == s.photos ? 0 : 1;
}
