// Every allocation of opening a project and of the JPEG and PSD exports fails in turn (photo
// previews and full-size photos, decoder rows, the panorama's rows, the PSD layer, the writers'
// buffers, and the names and paths around them): each time the program must go on, say so when
// the work is incomplete, and keep the document and any file already at the export's path. This program replaces the global
// allocator, so it is a test executable of its own.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "app/core/RenderOwner.h"
#include "tests/app/core/AppTestSupport.h"
#include "toolkit/core/Quor_Parallel.h"

// This file is the allocator: what it hands out comes from malloc and goes back to free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

// Allocations of at least this many bytes count (1: all of them; kPixelBuffers: the buffers
// that hold pixels and rows of pixels).
constexpr size_t kPixelBuffers = 4096;
std::atomic<size_t> gThreshold{1};
// The counted allocation that fails next: 0 the next one, -1 none.
std::atomic<int64_t> gCountdown{-1};
std::atomic<int> gInjected{0};

void* Allocate(size_t size)
{
    if (size >= gThreshold.load(std::memory_order_relaxed) && gCountdown.load(std::memory_order_relaxed) >= 0 &&
        gCountdown.fetch_sub(1, std::memory_order_relaxed) == 0) {
        gInjected++;
        return nullptr;
    }
    return std::malloc(size != 0 ? size : 1);
}

}  // namespace

void* operator new(size_t size)
{
    if (void* p = Allocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size)
{
    return operator new(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept
{
    std::free(p);
}

namespace {

using app_test::ScratchDir;
using app_test::TestOwner;

// Runs `attempt` with the 1st, 2nd, 3rd... large allocation of `work` failing, until a run
// meets no failure (the work allocated fewer); `attempt(n, work)` runs the work through `work`,
// whose allocations alone may fail, and checks what came of it. The number of runs.
template <class F>
int EveryAllocationFails(F attempt)
{
    int64_t n = 0;
    bool struck = true;
    for (; struck && n < 2000; n++) {
        struck = false;
        attempt(n, [&](auto&& work) {
            gInjected = 0;
            gCountdown = n;
            work();
            gCountdown = -1;
            struck = gInjected > 0;
        });
    }
    return static_cast<int>(n);
}

// Two JPEG photos (decoded in bands while the panorama's rows need them) and a PNG (loaded whole).
struct Scene {
    Scene()
    {
        const rgb_color colours[3][2] = {{{230, 20, 20, 255}, {20, 200, 40, 255}},
                                         {{20, 20, 230, 255}, {230, 220, 30, 255}},
                                         {{200, 200, 200, 255}, {40, 40, 40, 255}}};
        const char* names[3] = {"left.jpg", "middle.jpg", "right.png"};
        for (int i = 0; i < 3; i++) {
            const std::string path = dir.File(names[i]);
            app_test::MakePhoto(path, 800, 600, colours[i][0], colours[i][1]);
            app_test::AddPhoto(&doc, path, 0.9f - 0.9f * i);
        }
        doc.fPath = dir.File("pano.qpm").c_str();
        doc.fRenderWidth = 480;
        doc.fRenderHeight = 240;
        doc.fQuality = 90;
        EXPECT_TRUE(doc.Save());
    }
    ScratchDir dir;
    PanomerDoc doc{24.0f};
};

// A photo whose pixels found no memory says so; any shortage at all (a name, a path) never
// takes the program down, and the photos it loaded are whole.
TEST(AllocationFaults, OpeningAProjectLoadsWhatItCanAndSaysWhatItCouldNot)
{
    Scene scene;
    Quor_Parallel::SetThreads(1);
    for (const size_t threshold : {kPixelBuffers, size_t(1)}) {
        gThreshold = threshold;
        const int runs = EveryAllocationFails([&](int64_t n, auto run) {
            std::unique_ptr<PanomerDoc> opened;
            run([&] { opened = scene.doc.ReadAnother(scene.doc.fPath); });
            if (!opened)
                return;  // no memory for the document: the caller keeps the one it has
            EXPECT_EQ(opened->fNumPhotos, 3) << "run " << n;
            for (int i = 0; i < opened->fNumPhotos; i++) {
                const bool loaded = opened->fPhotoImage[i].IsValid();
                EXPECT_EQ(loaded, opened->fLoadResult[i] == QUOR_OK) << "run " << n << " photo " << i;
                if (!loaded && threshold == kPixelBuffers) {
                    EXPECT_EQ(opened->fLoadResult[i], QUOR_ERR_MEMORY) << "run " << n << " photo " << i;
                }
                EXPECT_EQ(opened->fYaw[i], scene.doc.fYaw[i]);
            }
        });
        std::printf("open, allocations from %zu bytes: %d runs\n", threshold, runs);
        EXPECT_GT(runs, 3);
    }
    gThreshold = 1;
    Quor_Parallel::SetThreads(0);
}

// Whichever allocation fails, a failed export leaves the file that was at its path, and one
// reported finished is the very panorama an export without failures writes, or says which
// photos it lacks.
TEST(AllocationFaults, ExportsFailWithAMessageAndKeepTheFileThatWasThere)
{
    for (const RenderKind kind : {RenderKind::kJpeg, RenderKind::kPsd}) {
        Scene scene;
        const std::string output = scene.dir.File(kind == RenderKind::kJpeg ? "out.jpg" : "out.psd");
        scene.doc.fRenderPath = output.c_str();
        Quor_Parallel::SetThreads(1);
        TestOwner owner(&scene.doc);
        ASSERT_EQ(owner.RenderAndWait(kind).status, RenderStatus::kDone);
        owner.fMayFailToStart = true;
        const std::string reference = app_test::ReadFileBytes(output);
        ASSERT_FALSE(reference.empty());
        const std::string old = "the file that was here";
        int failed = 0;
        const int runs = EveryAllocationFails([&](int64_t n, auto run) {
            ASSERT_TRUE(app_test::WriteFileBytes(output, old));
            RenderResult result;
            run([&] { result = owner.RenderAndWait(kind); });
            const std::string now = app_test::ReadFileBytes(output);
            if (result.status == RenderStatus::kFailed) {
                failed++;
                EXPECT_FALSE(result.Message().empty()) << "run " << n;
                EXPECT_TRUE(now == old) << "run " << n << ": the file that was there is lost; " << result.Message()
                                        << " now " << now.size() << " bytes, reference " << reference.size();
            } else {
                EXPECT_EQ(result.status, RenderStatus::kDone) << "run " << n;
                if (result.missingPhotos.empty()) {
                    EXPECT_TRUE(now == reference) << "run " << n << ": a finished export is not the panorama";
                } else {
                    EXPECT_TRUE(now != old) << "run " << n;
                }
            }
            EXPECT_TRUE(app_test::TemporaryFiles(scene.dir.Path()).empty()) << "run " << n;
            // The editor goes on with every photo's preview, or knows which it lacks.
            for (int i = 0; i < scene.doc.fNumPhotos; i++)
                EXPECT_EQ(scene.doc.fPhotoImage[i].IsValid(), scene.doc.fLoadResult[i] == QUOR_OK) << "run " << n;
        });
        Quor_Parallel::SetThreads(0);
        std::printf("%s: %d runs, %d failed with a message\n", kind == RenderKind::kJpeg ? "JPEG" : "PSD", runs, failed);
        EXPECT_GT(failed, 3);
    }
}

}  // namespace
