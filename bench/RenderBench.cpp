// Render benchmark: how fast the panorama renderer maps and blends output pixels, and how much
// memory a full export holds. Two measurements over a synthetic project (photos of random-looking
// texture placed in an overlapping band around the horizon):
//   rows:   the blended rows alone, photos in memory, no file I/O;
//   export: the whole JPEG export as the editor runs it: photos decoded at full size from JPEG
//           files, rows rendered, compressed and written.
// Or, with --project, the export of an existing project.
//
//   render_bench [--photos N] [--photo-size WxH] [--output WxH] [--focal F] [--threads N]
//                [--export-only] [--opaque] [--photo-folder DIR] [--project FILE]
//
// --threads sets the threads of the parallel loops (default: every core); --opaque marks the
// photos of the rows measurement opaque, as the export's decoded rows are, so that photos under
// an opaque one are passed over as in the export; --export-only skips
// the rows measurement, so the peak memory reported (getrusage) is that of the export alone,
// plus one photo while the photo files are written; --photo-folder keeps the photo files in DIR
// and uses those already there, so a run after the first holds no photo of its own.
//
// The defaults make a short run (6 photos of 2 megapixels into a 2000 x 1000 panorama); the full
// measurement is --photos 24 --photo-size 4000x3000 --output 8000x4000.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <time.h>
#include <vector>

#include "app/core/CropFit.h"
#include "app/core/PanomerDoc.h"
#include "app/core/PanoramaSampler.h"
#include "app/core/RenderOwner.h"
#include "toolkit/core/Quor_Parallel.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"
#include "bench/BenchSupport.h"

using BenchSupport::CpuSeconds;
using BenchSupport::ParseSize;
using BenchSupport::PeakMegabytes;


namespace {

struct Settings {
    int photos = 6;
    int photoWidth = 1600;
    int photoHeight = 1200;
    int outputWidth = 2000;
    int outputHeight = 1000;
    float focal = 20.0f;
    int threads = 0;
    bool exportOnly = false;
    bool opaque = false;
    std::string project;
    std::string photoFolder;
};

bool Parse(int argc, char** argv, Settings* s)
{
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        if (arg == "--export-only" || arg == "--opaque") {
            (arg == "--opaque" ? s->opaque : s->exportOnly) = true;
            continue;
        }
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (value == nullptr)
            return false;
        if (arg == "--photos")
            s->photos = std::atoi(value);
        else if (arg == "--photo-size" && ParseSize(value, &s->photoWidth, &s->photoHeight)) {
        } else if (arg == "--output" && ParseSize(value, &s->outputWidth, &s->outputHeight)) {
        } else if (arg == "--focal")
            s->focal = static_cast<float>(std::atof(value));
        else if (arg == "--threads")
            s->threads = std::atoi(value);
        else if (arg == "--project")
            s->project = value;
        else if (arg == "--photo-folder")
            s->photoFolder = value;
        else
            return false;
        i++;
    }
    return s->photos >= 1 && s->photos <= kMaxPhotos && s->threads >= 0;
}

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A texture that does not compress to nothing and differs from photo to photo.
void FillPhoto(Quor_BaseImage* image, int seed)
{
    uint32_t state = 2463534242u + static_cast<uint32_t>(seed) * 7919u;
    for (int y = 0; y < image->Height(); y++) {
        uint32_t* row = image->Image().Row32(y);
        for (int x = 0; x < image->Width(); x++) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const uint32_t grain = state & 31;
            row[x] = Quor_PixelConvert::Pack((x / 8 + grain + seed * 40) & 255, (y / 8 + grain) & 255, (seed * 90 + grain) & 255);
        }
    }
}

// Photos in one or two rows around the horizon, overlapping their neighbours by about a third.
void Arrange(PanomerDoc* doc, const Settings& s)
{
    const int perRow = s.photos > 12 ? (s.photos + 1) / 2 : s.photos;
    for (int i = 0; i < s.photos; i++) {
        const int column = i % perRow, row = i / perRow;
        doc->fYaw[i] = -3.0f + 6.0f * (static_cast<float>(column) + 0.5f) / static_cast<float>(perRow);
        doc->fPitch[i] = s.photos > 12 ? (row == 0 ? 0.35f : -0.35f) : 0.0f;
        doc->fRoll[i] = 0.02f * static_cast<float>(i % 3);
        doc->fBrightness[i] = 1.0f;
    }
    doc->fNumPhotos = s.photos;
}

class BenchOwner : public RenderOwner {
public:
    using RenderOwner::RenderOwner;
    ~BenchOwner() override { CancelRender(); }
    void RenderEnded(const RenderResult& result) override { fResult = result; }
    // Read after the worker has been joined.
    RenderResult fResult;
};

void ReportExport(PanomerDoc* doc, int width, int height, const char* label)
{
    doc->fRenderWidth = width;
    doc->fRenderHeight = height;
    BenchOwner owner(doc);
    RenderOptions options;
    options.startPauseMs = 0;
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    if (!owner.StartRender(RenderKind::kJpeg, options)) {
        std::printf("%s: the worker did not start\n", label);
        return;
    }
    owner.JoinRender();
    const double seconds = Seconds(start);
    const double cpu = CpuSeconds() - cpuStart;
    const RenderResult result = owner.fResult;
    if (result.status != RenderStatus::kDone) {
        std::printf("%s: failed: %s\n", label, result.Message().c_str());
        return;
    }
    const double megapixels = static_cast<double>(width) * height / 1e6;
    std::printf("%s: %d x %d in %.2f s (%.2f s CPU): %.2f output megapixels/s, %.2f per CPU second "
                "(loading, rendering, compressing)\n",
                label, width, height, seconds, cpu, megapixels / seconds, megapixels / cpu);
}

}  // namespace

int main(int argc, char** argv)
{
    Settings s;
    if (!Parse(argc, argv, &s)) {
        std::fprintf(stderr, "usage: render_bench [--photos N] [--photo-size WxH] [--output WxH] [--focal F] [--threads N] [--export-only] [--opaque] [--photo-folder DIR] [--project FILE]\n");
        return 2;
    }
    Quor_ImageOps::InitAlphaTables();
    Quor_ImageIo::InitImageLoader();
    Quor_Parallel::SetThreads(s.threads);

    if (!s.project.empty()) {
        PanomerDoc doc;
        doc.fPath = s.project.c_str();
        if (!doc.Open()) {
            std::fprintf(stderr, "cannot open %s\n", s.project.c_str());
            return 1;
        }
        const std::string output = (std::filesystem::temp_directory_path() / "render_bench_project.jpg").string();
        doc.fRenderPath = output.c_str();
        const int height = CropFit::HeightForWidth(doc, s.outputWidth);
        std::printf("project %s, %d photos\n", s.project.c_str(), doc.fNumPhotos);
        ReportExport(&doc, s.outputWidth, height, "export");
        std::filesystem::remove(output);
        std::printf("peak memory: %.0f MB\n", PeakMegabytes());
        return 0;
    }

    std::printf("%d photos of %d x %d (%.1f megapixels each) into %d x %d, focal length %g mm\n", s.photos, s.photoWidth,
                s.photoHeight, s.photoWidth * static_cast<double>(s.photoHeight) / 1e6, s.outputWidth, s.outputHeight,
                s.focal);

    std::printf("threads: %d\n", Quor_Parallel::Threads());

    // Rows alone, photos in memory.
    if (!s.exportOnly) {
        PanomerDoc doc(s.focal);
        Arrange(&doc, s);
        for (int i = 0; i < s.photos; i++) {
            if (doc.fPhotoImage[i].Initialize(s.photoWidth, s.photoHeight, 32) != 0) {
                std::fprintf(stderr, "out of memory for the photos\n");
                return 1;
            }
            FillPhoto(&doc.fPhotoImage[i], i);
        }
        ProjectionMap map(doc.fProjectionType, s.outputWidth, s.outputHeight);
        CropFit::Fit(map, doc.fCrop);
        PanoramaSampler sampler;
        std::vector<PanoramaSampler::PhotoPixels> pixels(kMaxPhotos);
        for (int i = 0; i < s.photos && s.opaque; i++) {
            pixels[i].image = doc.fPhotoImage[i].Image();
            pixels[i].opaque = true;
        }
        if (sampler.Setup(doc, map, PanoramaSampler::kRenderRamp, pixels.data()) != 0)
            return 1;
        std::vector<uint32_t> row(static_cast<size_t>(s.outputWidth));
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuSeconds();
        uint32_t checksum = 2166136261u;
        for (int y = 0; y < s.outputHeight; y++) {
            sampler.RenderBlendedRow(y, row.data(), Quor_PixelConvert::Pack(220, 220, 220, 0));
            for (const uint32_t pixel : row)
                checksum = (checksum ^ pixel) * 16777619u;  // every pixel counts: a changed one shows
        }
        const double seconds = Seconds(start);
        const double cpu = CpuSeconds() - cpuStart;
        const double megapixels = static_cast<double>(s.outputWidth) * s.outputHeight / 1e6;
        std::printf("rows: %.2f s (%.2f s CPU): %.2f output megapixels/s, %.2f per CPU second (checksum %08x)\n",
                    seconds, cpu, megapixels / seconds, megapixels / cpu, checksum);
    }

    // The whole export from JPEG files, written to a temporary folder or kept in --photo-folder,
    // where a later run finds them again (and then holds no photo of its own while writing them).
    const bool keep = !s.photoFolder.empty();
    const std::filesystem::path folder =
        keep ? std::filesystem::path(s.photoFolder) : std::filesystem::temp_directory_path() / "render_bench_photos";
    std::filesystem::create_directories(folder);
    {
        PanomerDoc doc(s.focal);
        Arrange(&doc, s);
        Quor_BaseImage photo;
        for (int i = 0; i < s.photos; i++) {
            const std::string path = (folder / ("photo" + std::to_string(i) + "_" + std::to_string(s.photoWidth) + "x" +
                                                std::to_string(s.photoHeight) + ".jpg"))
                                         .string();
            if (!keep || !std::filesystem::exists(path)) {
                if (!photo.IsValid() && photo.Initialize(s.photoWidth, s.photoHeight, 32) != 0)
                    return 1;
                FillPhoto(&photo, i);
                if (Quor_ImageIo::SaveImage(path.c_str(), &photo, Quor_ImageIo::Format_JPEG, 90) != 0) {
                    std::fprintf(stderr, "cannot write %s\n", path.c_str());
                    return 1;
                }
            }
            doc.fPhotoPath[i] = path.c_str();
            doc.UpdatePhoto(i, kPreviewSize);
        }
        photo.Free();
        const std::string output = (folder / "panorama.jpg").string();
        doc.fRenderPath = output.c_str();
        ReportExport(&doc, s.outputWidth, s.outputHeight, "export");
        std::filesystem::remove(output);
    }
    if (!keep)
        std::filesystem::remove_all(folder);
    std::printf("peak memory: %.0f MB\n", PeakMegabytes());
    return 0;
}
