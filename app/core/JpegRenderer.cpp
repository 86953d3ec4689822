#include "app/core/JpegRenderer.h"

#include <cerrno>
#include <memory>
#include <new>

#include "app/core/CropFit.h"
#include "app/core/FullSizePhotos.h"
#include "app/core/PanomerDoc.h"
#include "app/core/PanoramaSampler.h"
#include "app/core/RenderOutput.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/formats/Quor_JpegShim.h"
#include "toolkit/math/Quor_Round.h"

// The order of work, and what each way out leaves behind:
//   1. pause, so the progress window is up first;
//   2. check the request (size, output path, output not a source) before anything is opened;
//   3. create the output; failure: nothing to remove;
//   4. load every photo at full size, asking for Cancel before each; Cancel: the output stays,
//      empty; a photo that was shown but does not load: the output is removed;
//   5. stream the rows, asking for Cancel before each; Cancel: the rows still missing repeat the
//      last row written (black before the first), so the file is a complete JPEG of the size asked;
//   6. finish and close, counting every write error; failure: the output is removed.
// Every photo is back at its preview before Run returns, whichever way it ends.

namespace {

// The encoder stays in this record from start to destroy; the shim catches every library error.
class Encoder {
public:
    ~Encoder()
    {
        if (fState)
            Quor_JpegShim::DestroyEncoder(fState.get());
    }
    bool Start(FILE* file, int width, int height, int quality)
    {
        fState.reset(new (std::nothrow) Quor_JpegEncoder());
        if (!fState)
            return false;
        return Quor_JpegShim::StartCompress(fState.get(), file, width, height, JCS_RGB, 3, quality) == 0;
    }
    bool WriteRow(const uint8_t* row) { return Quor_JpegShim::WriteRow(fState.get(), row) == 0; }
    bool Finish() { return Quor_JpegShim::FinishCompress(fState.get()) == 0; }

private:
    std::unique_ptr<Quor_JpegEncoder> fState;
};

RenderResult Render(RenderOwner* owner, RenderOutput& output)
{
    PanomerDoc* doc = owner->Document();
    Quor_Snooze(owner->Options().startPauseMs);

    RenderResult result;
    if (!RenderOutput::CheckRequest(*doc, &result))
        return result;
    const int width = doc->fRenderWidth;
    const int height = doc->fRenderHeight;
    const int quality = Quor_Clamp(doc->fQuality, CropFit::kMinQuality, CropFit::kMaxQuality);

    // The row buffers are cleared, so a Cancel before the first row gives black rows rather
    // than whatever the heap held.
    std::unique_ptr<uint32_t[]> row(new (std::nothrow) uint32_t[width]());
    std::unique_ptr<uint8_t[]> rgb(new (std::nothrow) uint8_t[static_cast<size_t>(width) * 3]());
    if (!row || !rgb)
        return RenderResult::Failed(RenderFailure::kNoMemory);

    if (!output.Create(doc->fRenderPath))
        return RenderResult::Failed(RenderFailure::kCannotCreate, output.SystemError());

    FullSizePhotos photos(doc, owner->Options().memoryLimit);
    const int count = Quor_Clamp(doc->fNumPhotos, 0, kMaxPhotos);
    for (int i = 0; i < count; i++) {
        if (owner->CheckCancel(RenderCheckpoint{RenderCheckpoint::kLoadingPhoto, i, 0}, -1.0f)) {
            output.Close();
            result.status = RenderStatus::kCancelled;
            return result;
        }
        if (!photos.Load(i))
            break;
    }
    if (photos.Failed(&result)) {
        output.Discard();
        return result;
    }

    ProjectionMap map(doc->fProjectionType, width, height);
    CropFit::Fit(map, doc->fCrop);
    PanoramaSampler sampler;
    if (sampler.Setup(*doc, map, PanoramaSampler::kRenderRamp) != 0)
        return output.Fail(RenderFailure::kNoMemory);

    Encoder encoder;
    if (!encoder.Start(output.File(), width, height, quality)) {
        // The library refused the size or the parameters; no system error is involved.
        return output.Fail(RenderFailure::kWriteFailed);
    }
    const uint32_t background = Quor_PixelConvert::Pack(JpegRenderer::kBackground, JpegRenderer::kBackground,
                                                        JpegRenderer::kBackground, 0);
    bool written = true;
    for (int y = 0; y < height && written; y++) {
        const float progress = static_cast<float>(y) / static_cast<float>(height);
        if (owner->CheckCancel(RenderCheckpoint{RenderCheckpoint::kRenderingRow, -1, y}, progress)) {
            // The file must still be a whole JPEG of the size asked for.
            for (; y < height && written; y++)
                written = encoder.WriteRow(rgb.get());
            result.status = RenderStatus::kCancelled;
            break;
        }
        sampler.RenderBlendedRow(y, row.get(), background);
        Quor_PixelConvert::ToRgb(row.get(), rgb.get(), width);
        written = encoder.WriteRow(rgb.get());
    }
    if (!written || !encoder.Finish())
        return output.FailWrite();
    output.Finish(&result);
    return result;
}

}  // namespace

RenderResult JpegRenderer::Run(RenderOwner* owner)
{
    RenderOutput output;
    try {
        return Render(owner, output);
    } catch (const std::bad_alloc&) {
        // Only the names of missing photos allocate; the photos are back at preview size already.
        return output.Fail(RenderFailure::kNoMemory);
    }
}
