// Shared pieces of the application tests: the imaging set up once, photo files, documents
// arranged from them, ImageMagick's identify as an independent reader, and an owner that records
// how a render ended, can cancel it at an exact checkpoint and can look at the document there.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/core/PanomerDoc.h"
#include "app/core/RenderOwner.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/TestFiles.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"

namespace app_test {

using quor_test::Near;
using quor_test::PixelAt;
using quor_test::ReadFileBytes;
using quor_test::ScratchDir;
using quor_test::WriteFileBytes;

// The process-wide tables and the image modules, set up once for the whole test program (an
// inline variable is made once, however many test files include this).
class ImagingEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        Quor_ImageOps::InitAlphaTables();
        Quor_ImageIo::InitImageLoader();
    }
};

inline ::testing::Environment* const kImaging = ::testing::AddGlobalTestEnvironment(new ImagingEnvironment);

// A photo whose left half is `left` and right half `right` (both opaque), so a mirror shows;
// PNG unless the name ends in another image extension.
inline void MakePhoto(const std::string& path, int width, int height, rgb_color left, rgb_color right)
{
    Quor_BaseImage image;
    quor_test::Make(&image, width, height,
                    [&](int x, int) { return quor_test::Px(x < width / 2 ? left : right) | 255u; });
    const bool jpeg = path.size() > 4 && path.compare(path.size() - 4, 4, ".jpg") == 0;
    ASSERT_EQ(Quor_ImageIo::SaveImage(path.c_str(), &image, jpeg ? Quor_ImageIo::Format_JPEG : Quor_ImageIo::Format_PNG, 90),
              QUOR_OK);
}

// Adds a photo to the document (file, angles, brightness 1) and loads its preview.
inline void AddPhoto(PanomerDoc* doc, const std::string& path, float yaw)
{
    const int i = doc->fNumPhotos++;
    doc->fPhotoPath[i] = path.c_str();
    doc->fYaw[i] = yaw;
    doc->fPitch[i] = doc->fRoll[i] = 0.0f;
    doc->fBrightness[i] = 1.0f;
    doc->UpdatePhoto(i, kPreviewSize);
}

// Three photos larger than the preview size, side by side around yaw 0 (left red, middle green
// and blue halves, right yellow), in a scratch folder, and a document of them set to render
// 320 x 160 to out.jpg.
struct ThreePhotoScene {
    static constexpr rgb_color kRed{230, 20, 20, 255}, kBlue{20, 20, 230, 255}, kGreen{20, 200, 40, 255},
        kYellow{230, 220, 30, 255}, kGrey{220, 220, 220, 255};

    ThreePhotoScene()
    {
        const rgb_color halves[3][2] = {{kRed, kRed}, {kGreen, kBlue}, {kYellow, kYellow}};
        const char* names[3] = {"left.png", "middle.png", "right.png"};
        doc.fPath = dir.File("pano.qpm").c_str();
        for (int i = 0; i < 3; i++) {
            photos[i] = dir.File(names[i]);
            MakePhoto(photos[i], 800, 600, halves[i][0], halves[i][1]);
            AddPhoto(&doc, photos[i], 1.0f - i);
        }
        doc.fRenderWidth = 320;
        doc.fRenderHeight = 160;
        doc.fQuality = 90;
        doc.fRenderPath = dir.File("out.jpg").c_str();
    }

    // Every photo holds its 640-pixel preview again, as the canvas needs after any export.
    void ExpectPreviews() const
    {
        for (int i = 0; i < doc.fNumPhotos; i++) {
            EXPECT_EQ(doc.fPhotoImage[i].Width(), 640) << "photo " << i;
            EXPECT_EQ(doc.fPhotoImage[i].Height(), 480) << "photo " << i;
        }
    }

    ScratchDir dir;
    std::string photos[3];
    PanomerDoc doc{24.0f};
};

// Two valid images of the same size and pixels.
inline bool SamePixels(const Quor_BaseImage& a, const Quor_BaseImage& b)
{
    if (!a.IsValid() || !b.IsValid() || a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); y++)
        if (std::memcmp(a.RowPtr(y), b.RowPtr(y), static_cast<size_t>(a.Width()) * 4) != 0)
            return false;
    return true;
}

// An image file at full size; an invalid image when it cannot be read.
inline void LoadFile(const std::string& path, Quor_BaseImage* image)
{
    if (Quor_ImageIo::LoadImage(path.c_str(), image, 0) != QUOR_OK)
        image->Free();
}

// ImageMagick's identify with `arguments`: its standard output, empty when it fails or is missing.
inline std::string Identify(const std::string& arguments)
{
    FILE* pipe = popen(("identify " + arguments + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr)
        return std::string();
    std::string output;
    char buffer[512];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    return pclose(pipe) == 0 ? output : std::string();
}

inline bool HaveIdentify()
{
    return !Identify("-version").empty();
}

// The temporary files an export or a save left in a folder (none, once it has ended).
inline std::vector<std::string> TemporaryFiles(const std::string& folder)
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().find(".tmp-") != std::string::npos)
            found.push_back(entry.path().filename().string());
    }
    return found;
}

class TestOwner : public RenderOwner {
public:
    explicit TestOwner(PanomerDoc* doc) : RenderOwner(doc) {}
    ~TestOwner() override { CancelRender(); }

    // Renders with no start pause and waits for the end. With `cancelAt`, the worker waits at that
    // checkpoint until the test's Cancel holds the cancel lock, so its check right after fails.
    RenderResult RenderAndWait(RenderKind kind, std::optional<RenderCheckpoint> cancelAt = {},
                               RenderOptions options = RenderOptions())
    {
        options.startPauseMs = 0;
        {
            std::lock_guard<std::mutex> lock(fMutex);
            fCancelAt = cancelAt;
            fEnded = fAtCheckpoint = false;
        }
        if (!StartRender(kind, options)) {
            if (!fMayFailToStart)
                ADD_FAILURE() << "the worker did not start";
            RenderResult notStarted = RenderResult::Failed(RenderFailure::kNone);
            notStarted.cause = "The export could not be started.";
            return notStarted;
        }
        std::unique_lock<std::mutex> lock(fMutex);
        fChanged.wait(lock, [&] { return fEnded || fAtCheckpoint; });
        const bool cancel = !fEnded;
        lock.unlock();
        if (cancel)
            CancelRender();
        else
            JoinRender();
        lock.lock();
        EXPECT_TRUE(fEnded);
        return fResult;
    }

    // How many end reports came, and the last one.
    RenderResult LastResult(int* endCount)
    {
        std::lock_guard<std::mutex> lock(fMutex);
        *endCount = fEndCount;
        return fResult;
    }

    void RenderEnded(const RenderResult& result) override
    {
        std::lock_guard<std::mutex> lock(fMutex);
        fResult = result;
        fEnded = true;
        fEndCount++;
        fChanged.notify_all();
    }

    // A start that fails (no thread) is an outcome the test expects, not a failure of the test.
    bool fMayFailToStart = false;

    // Called on the worker thread at each checkpoint, before any cancel: a place to look at the
    // document exactly there (the worker alone touches the photos while it runs).
    std::function<void(const RenderCheckpoint&)> fOnCheckpoint;

    void ReachedCheckpoint(const RenderCheckpoint& at) override
    {
        if (fOnCheckpoint)
            fOnCheckpoint(at);
        {
            std::lock_guard<std::mutex> lock(fMutex);
            if (!fCancelAt || fAtCheckpoint || at.stage != fCancelAt->stage || at.photo != fCancelAt->photo ||
                at.row != fCancelAt->row)
                return;
            fAtCheckpoint = true;
            fChanged.notify_all();
        }
        while (Quor_LockMutex(CancelLock(), 0)) {
            Quor_UnlockMutex(CancelLock());
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

private:
    std::mutex fMutex;
    std::condition_variable fChanged;
    std::optional<RenderCheckpoint> fCancelAt;
    bool fAtCheckpoint = false, fEnded = false;
    int fEndCount = 0;
    RenderResult fResult;
};

}  // namespace app_test
