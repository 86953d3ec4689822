#include "app/core/PsdRenderer.h"

#include <memory>
#include <new>

#include "app/core/CropFit.h"
#include "app/core/FullSizePhotos.h"
#include "app/core/PanomerDoc.h"
#include "app/core/PanoramaSampler.h"
#include "app/core/RenderOutput.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_FileSink.h"
#include "toolkit/imaging/formats/Quor_PsdWriter.h"
#include "toolkit/math/Quor_Round.h"

// The order of work, and what each way out leaves behind:
//   1. pause, so the progress window is up first;
//   2. check the request, then allocate the layer image (a canvas of 30000 x 30000 needs 3.6 GB),
//      all before the output exists, so a refusal leaves nothing behind;
//   3. create the output, write the header and declare one layer per photo;
//   4. per photo: ask for Cancel, load it at full size, render its rows (asking before each),
//      return it to its preview and write the layer. On Cancel the layer image is handed over
//      as it stands for every layer still owed, so the file stays structurally complete;
//   5. end the layers and close, counting every write error; failure: the output is discarded.
// The output takes its name only when it is closed without error: until then a file at that
// path is left as it was.

namespace {

// The writer failed: with data the format cannot hold, or with a write error of its own.
RenderResult WriterFailed(RenderOutput& output, const Quor_PsdWriter& writer, const Quor_FileSink& sink)
{
    if (writer.TooLarge())
        return output.Fail(RenderFailure::kTooLarge);
    return output.FailWrite(sink.SystemError());
}

// The layer image of step 2, then steps 3 to 5; RenderOutput::Run has paused and checked the
// request.
RenderResult Render(RenderOwner* owner, RenderOutput& output)
{
    PanomerDoc* doc = owner->Document();
    RenderResult result;
    const int width = doc->fRenderWidth;
    const int height = doc->fRenderHeight;
    const int count = Quor_Clamp(doc->fNumPhotos, 0, kMaxPhotos);
    result.rowsTotal = int64_t(height) * count;

    const int64_t limit = FullSizePhotos::MemoryLimit(owner->Options().memoryLimit);
    const int64_t layerBytes = PsdRenderer::LayerBytes(width, height);
    if (layerBytes < 0 || layerBytes > limit)
        return RenderResult::Failed(RenderFailure::kNoMemory);
    // Cleared to transparent, so a Cancel before any row was rendered gives empty layers rather
    // than whatever the heap held.
    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[static_cast<size_t>(layerBytes)]());
    if (!pixels)
        return RenderResult::Failed(RenderFailure::kNoMemory);
    Quor_image layer;
    layer.bits = pixels.get();
    layer.width = width;
    layer.height = height;
    layer.pixelBits = 32;
    layer.pixelBytes = 4;
    layer.rowBytes = width * 4;

    if (!output.Create(doc->fRenderPath))
        return RenderResult::Failed(RenderFailure::kCannotCreate, output.SystemError());
    Quor_FileSink sink(output.File());
    Quor_PsdWriter writer;
    if (writer.Open(&sink) != QUOR_OK || writer.WriteHeader(width, height) != QUOR_OK)
        return WriterFailed(output, writer, sink);
    for (int i = 0; i < count; i++) {
        if (writer.WriteLayerInfo(doc->fPhotoPath[i].Name(), "norm", 255) != QUOR_OK)
            return WriterFailed(output, writer, sink);
    }

    ProjectionMap map(doc->fProjectionType, width, height);
    CropFit::Fit(map, doc->fCrop);
    PanoramaSampler sampler;

    // Only one photo is held at full size at a time, beside the layer image: what the layer
    // leaves of the limit, exactly (nothing left is a budget of 0, not the default).
    FullSizePhotos photos(doc, limit - layerBytes, owner->Options().leaveOutUnloadedPhotos);
    const float rows = static_cast<float>(height) * static_cast<float>(count);
    for (int i = 0; i < count && result.status == RenderStatus::kDone; i++) {
        if (owner->CheckCancel(RenderCheckpoint{RenderCheckpoint::kLoadingPhoto, i, 0}, -1.0f)) {
            for (int j = i; j < count; j++) {
                if (writer.WriteLayer(&layer) != QUOR_OK)
                    return WriterFailed(output, writer, sink);
            }
            result.status = RenderStatus::kCancelled;
            break;
        }
        photos.Load(i);
        if (photos.Failed(&result)) {
            output.Discard();
            return result;
        }
        if (sampler.Setup(*doc, map, PanoramaSampler::kRenderRamp) != QUOR_OK)
            return output.Fail(RenderFailure::kNoMemory);
        for (int y = 0; y < height; y++) {
            const float progress = (static_cast<float>(i) * static_cast<float>(height) + static_cast<float>(y)) / rows;
            // On Cancel the rest of this layer keeps what the image held, and the layers still
            // owed repeat it.
            if (owner->CheckCancel(RenderCheckpoint{RenderCheckpoint::kRenderingRow, i, y}, progress)) {
                result.status = RenderStatus::kCancelled;
                break;
            }
            sampler.RenderLayerRow(i, y, layer.Row32(y));
            result.rowsRendered++;
        }
        photos.Restore(i);
        // After a Cancel the layer image stands for this layer and for every one still owed.
        const int last = result.status == RenderStatus::kDone ? i : count - 1;
        for (int j = i; j <= last; j++) {
            if (writer.WriteLayer(&layer) != QUOR_OK)
                return WriterFailed(output, writer, sink);
        }
    }

    if (writer.EndLayers() != QUOR_OK || writer.Close() != QUOR_OK)
        return WriterFailed(output, writer, sink);
    output.Finish(&result);
    return result;
}

}  // namespace

int64_t PsdRenderer::LayerBytes(int width, int height)
{
    if (width <= 0 || height <= 0 || width > CropFit::kMaxSize || height > CropFit::kMaxSize)
        return -1;
    return static_cast<int64_t>(width) * height * 4;
}

RenderResult PsdRenderer::Run(RenderOwner* owner)
{
    return RenderOutput::Run(owner, Render);
}
