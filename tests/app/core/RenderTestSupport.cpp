#include "tests/app/core/RenderTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"

namespace render_test {

void MakePhoto(const std::string& path, int width, int height, rgb_color left, rgb_color right)
{
    Quor_BaseImage image;
    ASSERT_EQ(image.Initialize(width, height, 32), 0);
    const uint32_t l = Quor_PixelConvert::Pack(left.red, left.green, left.blue, 255);
    const uint32_t r = Quor_PixelConvert::Pack(right.red, right.green, right.blue, 255);
    for (int y = 0; y < height; y++) {
        uint32_t* row = image.Image().Row32(y);
        for (int x = 0; x < width; x++)
            row[x] = x < width / 2 ? l : r;
    }
    ASSERT_EQ(Quor_ImageIo::SaveImage(path.c_str(), &image, Quor_ImageIo::Format_PNG, 0), 0);
}

void AddPhoto(PanomerDoc* doc, const std::string& path, float yaw, float pitch, float roll)
{
    const int i = doc->fNumPhotos++;
    doc->fPhotoPath[i] = path.c_str();
    doc->fYaw[i] = yaw;
    doc->fPitch[i] = pitch;
    doc->fRoll[i] = roll;
    doc->fBrightness[i] = 1.0f;
    doc->UpdatePhoto(i, kPreviewSize);
}

void LoadFile(const std::string& path, Quor_BaseImage* image)
{
    if (Quor_ImageIo::LoadImage(path.c_str(), image, 0) != 0)
        image->Free();
}

rgb_color PixelAt(const Quor_BaseImage& image, int x, int y)
{
    const uint32_t p = image.Image().Row32(y)[x];
    return rgb_color{static_cast<uint8_t>(Quor_PixelConvert::Red(p)), static_cast<uint8_t>(Quor_PixelConvert::Green(p)),
                     static_cast<uint8_t>(Quor_PixelConvert::Blue(p)), static_cast<uint8_t>(Quor_PixelConvert::Alpha(p))};
}

bool HaveIdentify()
{
    return std::system("identify -version >/dev/null 2>&1") == 0;
}

std::string Identify(const std::string& arguments)
{
    const std::string command = "identify " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return std::string();
    std::string output;
    char buffer[512];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    return pclose(pipe) == 0 ? output : std::string();
}

TestOwner::~TestOwner()
{
    CancelRender();
}

void TestOwner::CancelAt(RenderCheckpoint::Stage stage, int photo, int row)
{
    std::lock_guard<std::mutex> lock(fMutex);
    fCancelArmed = true;
    fCancelPoint.stage = stage;
    fCancelPoint.photo = photo;
    fCancelPoint.row = row;
}

RenderResult TestOwner::RenderAndWait(RenderKind kind, RenderOptions options)
{
    options.startPauseMs = 0;
    {
        std::lock_guard<std::mutex> lock(fMutex);
        fEnded = false;
        fAtCheckpoint = false;
        fLockTaken = false;
    }
    if (!StartRender(kind, options)) {
        ADD_FAILURE() << "the worker did not start";
        return RenderResult();
    }
    std::unique_lock<std::mutex> lock(fMutex);
    fChanged.wait(lock, [&] { return fEnded || fAtCheckpoint; });
    if (fAtCheckpoint && !fEnded) {
        // The worker waits at the checkpoint with the cancel lock released: take it as the
        // user's Cancel does, let the worker go on, and wait for it holding the lock.
        lock.unlock();
        Quor_LockMutex(CancelLock(), -1);
        lock.lock();
        fLockTaken = true;
        fChanged.notify_all();
        lock.unlock();
        CancelRender();
        Quor_UnlockMutex(CancelLock());
        lock.lock();
    } else {
        lock.unlock();
        JoinRender();
        lock.lock();
    }
    EXPECT_TRUE(fEnded);
    fCancelArmed = false;
    return fResult;
}

int TestOwner::EndCount()
{
    std::lock_guard<std::mutex> lock(fMutex);
    return fEndCount;
}

RenderResult TestOwner::LastResult()
{
    std::lock_guard<std::mutex> lock(fMutex);
    return fResult;
}

void TestOwner::RenderEnded(const RenderResult& result)
{
    std::lock_guard<std::mutex> lock(fMutex);
    fResult = result;
    fEnded = true;
    fEndCount++;
    fChanged.notify_all();
}

void TestOwner::ReachedCheckpoint(const RenderCheckpoint& at)
{
    std::unique_lock<std::mutex> lock(fMutex);
    if (!fCancelArmed || fAtCheckpoint || at.stage != fCancelPoint.stage || at.photo != fCancelPoint.photo ||
        at.row != fCancelPoint.row)
        return;
    fAtCheckpoint = true;
    fChanged.notify_all();
    fChanged.wait(lock, [&] { return fLockTaken; });
}

}  // namespace render_test
