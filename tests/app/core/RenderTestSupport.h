// Shared pieces of the export tests: small photo files, documents arranged from them, and an
// owner that records how a render ended and can cancel it at an exact checkpoint.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "app/core/PanomerDoc.h"
#include "app/core/RenderOwner.h"
#include "toolkit/imaging/Quor_BaseImage.h"

namespace render_test {

// Writes a PNG photo of width x height whose left half is `left` and right half `right` (both
// opaque), so that a mirrored mapping shows.
void MakePhoto(const std::string& path, int width, int height, rgb_color left, rgb_color right);

// Adds a photo to the document (file, angles, brightness 1) and loads its preview.
void AddPhoto(PanomerDoc* doc, const std::string& path, float yaw, float pitch, float roll = 0.0f);

// Loads an image file at full size; an invalid image when it cannot be read.
void LoadFile(const std::string& path, Quor_BaseImage* image);

// Red, green and blue of pixel (x, y) of a 32-bit image.
rgb_color PixelAt(const Quor_BaseImage& image, int x, int y);

// Runs ImageMagick's identify with the given arguments and returns its standard output; empty
// when identify is not installed or fails.
std::string Identify(const std::string& arguments);
bool HaveIdentify();

class TestOwner : public RenderOwner {
public:
    explicit TestOwner(PanomerDoc* doc) : RenderOwner(doc) {}
    ~TestOwner() override;

    // Renders with no start pause and waits for the end. Cancels at the checkpoint set with
    // CancelAt, if any.
    RenderResult RenderAndWait(RenderKind kind, RenderOptions options = RenderOptions());
    // The next render is cancelled at this checkpoint: the worker waits there until the test
    // holds the cancel lock, so the worker's check right after fails.
    void CancelAt(RenderCheckpoint::Stage stage, int photo, int row);

    void RenderEnded(const RenderResult& result) override;
    void ReachedCheckpoint(const RenderCheckpoint& at) override;

    int EndCount();
    RenderResult LastResult();

private:
    std::mutex fMutex;
    std::condition_variable fChanged;
    bool fCancelArmed = false;
    RenderCheckpoint fCancelPoint;
    bool fAtCheckpoint = false;
    bool fLockTaken = false;
    bool fEnded = false;
    int fEndCount = 0;
    RenderResult fResult;
};

}  // namespace render_test
