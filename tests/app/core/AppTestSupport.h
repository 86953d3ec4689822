// Shared pieces of the application tests: scratch files, photo files, documents arranged from
// them, ImageMagick's identify as an independent reader, and an owner that records how a render
// ended and can cancel it at an exact checkpoint.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "app/core/PanomerDoc.h"
#include "app/core/RenderOwner.h"
#include "tests/support/TestFiles.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"

namespace app_test {

using quor_test::ReadFileBytes;
using quor_test::ScratchDir;
using quor_test::WriteFileBytes;

inline void InitImaging()
{
    Quor_ImageOps::InitAlphaTables();
    Quor_ImageIo::InitImageLoader();
}

// A PNG photo whose left half is `left` and right half `right` (both opaque), so a mirror shows.
inline void MakePhoto(const std::string& path, int width, int height, rgb_color left, rgb_color right)
{
    Quor_BaseImage image;
    ASSERT_EQ(image.Initialize(width, height, 32), 0);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            const rgb_color c = x < width / 2 ? left : right;
            image.Image().Row32(y)[x] = Quor_PixelConvert::Pack(c.red, c.green, c.blue, 255);
        }
    ASSERT_EQ(Quor_ImageIo::SaveImage(path.c_str(), &image, Quor_ImageIo::Format_PNG, 0), 0);
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

// An image file at full size; an invalid image when it cannot be read.
inline void LoadFile(const std::string& path, Quor_BaseImage* image)
{
    if (Quor_ImageIo::LoadImage(path.c_str(), image, 0) != 0)
        image->Free();
}

inline rgb_color PixelAt(const Quor_BaseImage& image, int x, int y)
{
    const uint32_t p = image.Image().Row32(y)[x];
    return rgb_color{uint8_t(Quor_PixelConvert::Red(p)), uint8_t(Quor_PixelConvert::Green(p)),
                     uint8_t(Quor_PixelConvert::Blue(p)), uint8_t(Quor_PixelConvert::Alpha(p))};
}

inline bool Near(rgb_color a, rgb_color b, int tolerance)
{
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance;
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
            ADD_FAILURE() << "the worker did not start";
            return RenderResult();
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

    void ReachedCheckpoint(const RenderCheckpoint& at) override
    {
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
