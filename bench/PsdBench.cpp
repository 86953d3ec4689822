// PSD export benchmark: the whole layered export as the editor runs it (photos loaded at full size
// from JPEG files, one layer rendered per photo, compressed and written), timed on the wall clock,
// with the process's peak memory.
//
//   psd_bench [--photos-dir DIR] [--photo-size WxH] [--output WxH] [--focal F] [--threads N] [--keep FILE]
//
// The scene: 18 photos in three full turns at pitches 0 and +-50 degrees, overlapping their
// neighbours, into a horizontal spherical panorama of the whole sphere. The photos are written as
// JPEG (quality 95) into DIR when they are not there yet, so repeated runs time only the export.
// --keep leaves the document at FILE, for comparing the bytes of two builds.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <time.h>

#include "app/core/PanomerDoc.h"
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

constexpr int kPerTurn = 6;
constexpr int kPhotos = 3 * kPerTurn;
constexpr float kPi = 3.14159265f;

struct Settings {
    std::string folder;
    int photoWidth = 4000;
    int photoHeight = 3000;
    int outputWidth = 4000;
    int outputHeight = 2000;
    float focal = 20.0f;
    int threads = 0;
    std::string keep;
};

bool Parse(int argc, char** argv, Settings* s)
{
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (value == nullptr)
            return false;
        if (arg == "--photos-dir")
            s->folder = value;
        else if (arg == "--photo-size" && ParseSize(value, &s->photoWidth, &s->photoHeight)) {
        } else if (arg == "--output" && ParseSize(value, &s->outputWidth, &s->outputHeight)) {
        } else if (arg == "--focal")
            s->focal = static_cast<float>(std::atof(value));
        else if (arg == "--threads")
            s->threads = std::atoi(value);
        else if (arg == "--keep")
            s->keep = value;
        else
            return false;
        i++;
    }
    return s->threads >= 0;
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

class BenchOwner : public RenderOwner {
public:
    using RenderOwner::RenderOwner;
    ~BenchOwner() override { CancelRender(); }
    void RenderEnded(const RenderResult& result) override { fResult = result; }
    // Read after the worker has been joined.
    RenderResult fResult;
};

}  // namespace

int main(int argc, char** argv)
{
    Settings s;
    if (!Parse(argc, argv, &s)) {
        std::fprintf(stderr, "usage: psd_bench [--photos-dir DIR] [--photo-size WxH] [--output WxH] [--focal F] [--threads N] "
                             "[--keep FILE]\n");
        return 2;
    }
    Quor_ImageOps::InitAlphaTables();
    Quor_ImageIo::InitImageLoader();
    if (s.threads > 0)
        Quor_Parallel::SetThreads(s.threads);
    const bool keep = !s.folder.empty();
    const std::filesystem::path folder =
        keep ? std::filesystem::path(s.folder) : std::filesystem::temp_directory_path() / "psd_bench_photos";
    std::filesystem::create_directories(folder);

    PanomerDoc doc(s.focal);
    Quor_BaseImage photo;
    bool havePhoto = false;
    for (int i = 0; i < kPhotos; i++) {
        const int turn = i / kPerTurn, column = i % kPerTurn;
        doc.fYaw[i] = -kPi + 2.0f * kPi * (static_cast<float>(column) + 0.5f) / kPerTurn;
        doc.fPitch[i] = (static_cast<float>(turn) - 1.0f) * 50.0f * kPi / 180.0f;
        doc.fRoll[i] = 0.0f;
        doc.fBrightness[i] = 1.0f;
        const std::string path = (folder / ("photo" + std::to_string(i) + ".jpg")).string();
        if (!std::filesystem::exists(path)) {
            if (!havePhoto && photo.Initialize(s.photoWidth, s.photoHeight, 32) != 0)
                return 1;
            havePhoto = true;
            FillPhoto(&photo, i);
            if (Quor_ImageIo::SaveImage(path.c_str(), &photo, Quor_ImageIo::Format_JPEG, 95) != 0) {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                return 1;
            }
        }
        doc.fPhotoPath[i] = path.c_str();
        doc.UpdatePhoto(i, kPreviewSize);
    }
    photo.Free();
    doc.fNumPhotos = kPhotos;
    const std::string output = !s.keep.empty() ? s.keep : (folder / "panorama.psd").string();
    doc.fRenderPath = output.c_str();
    doc.fRenderWidth = s.outputWidth;
    doc.fRenderHeight = s.outputHeight;

    BenchOwner owner(&doc);
    RenderOptions options;
    options.startPauseMs = 0;
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    if (!owner.StartRender(RenderKind::kPsd, options)) {
        std::printf("the worker did not start\n");
        return 1;
    }
    owner.JoinRender();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = CpuSeconds() - cpuStart;
    if (owner.fResult.status != RenderStatus::kDone) {
        std::printf("failed: %s\n", owner.fResult.Message().c_str());
        return 1;
    }
    std::printf("%d photos of %d x %d into %d x %d layers: %.2f s (%.2f s CPU), %lld bytes, peak memory %.0f MB\n",
                kPhotos, s.photoWidth, s.photoHeight, s.outputWidth, s.outputHeight, seconds, cpu,
                static_cast<long long>(std::filesystem::file_size(output)), PeakMegabytes());
    if (s.keep.empty())
        std::filesystem::remove(output);
    if (!keep)
        std::filesystem::remove_all(folder);
    return 0;
}
