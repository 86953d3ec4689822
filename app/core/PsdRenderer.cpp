#include "app/core/PsdRenderer.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <new>
#include <thread>

#include "app/core/CropFit.h"
#include "app/core/FullSizePhotos.h"
#include "app/core/PanomerDoc.h"
#include "app/core/PanoramaSampler.h"
#include "app/core/RenderOutput.h"
#include "toolkit/core/Quor_Parallel.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_FileSink.h"
#include "toolkit/imaging/formats/Quor_PsdWriter.h"
#include "toolkit/math/Quor_Round.h"

// The order of work, and what each way out leaves behind:
//   1. pause, so the progress window is up first;
//   2. check the request, then allocate the layer image (a canvas of 30000 x 30000 needs 3.6 GB),
//      all before the output exists, so a refusal leaves nothing behind;
//   3. create the output, write the header and declare one layer per photo;
//   4. per photo: ask for Cancel, load it at full size (while the previous layer is written),
//      render its rows (asking before each), return it to its preview and write the layer. On
//      Cancel the layer image is handed over as it stands for every layer still owed, so the
//      file stays structurally complete;
//   5. end the layers and close, counting every write error; failure: the output is discarded.
// The output takes its name only when it is closed without error: until then a file at that
// path is left as it was.

namespace {

// Rows rendered between two rounds of Cancel checks, and rows a thread takes at a time.
constexpr int kBandRows = 64;
constexpr int kRowsPerTask = 4;

// Writes the layer image as the next layers, either on a thread of its own (Start, then Wait
// before the image changes) or on the caller's (Run). Wait and Run return false once the writer
// failed; the thread is always joined, at the latest by the destructor.
class LayerWrite {
public:
    LayerWrite(Quor_PsdWriter* writer, const Quor_image* layer, bool overlap)
        : fWriter(writer)
        , fLayer(layer)
        , fOverlap(overlap)
    {
    }
    ~LayerWrite() { Wait(); }

    bool Run(int layers)
    {
        fWriter->SetThreads(0);
        for (int j = 0; j < layers && fOk; j++)
            fOk = fWriter->WriteLayer(fLayer) == QUOR_OK;
        return fOk;
    }
    // One layer; on the caller's thread when no thread can be had.
    bool Start()
    {
        if (!fOverlap || !fOk)
            return Run(1);
        // The photo loading meanwhile keeps a core.
        fWriter->SetThreads(std::max(1, Quor_Parallel::Threads() - 1));
        try {
            fThread = std::thread([this] {
                fOk = fWriter->WriteLayer(fLayer) == QUOR_OK;
            });
        } catch (const std::exception&) {
            return Run(1);
        }
        return true;
    }
    bool Wait()
    {
        if (fThread.joinable())
            fThread.join();
        return fOk;
    }

private:
    Quor_PsdWriter* fWriter;
    const Quor_image* fLayer;
    bool fOverlap;
    bool fOk = true;
    std::thread fThread;
};

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
    photos.KeepPreviews();
    // A layer is written while the next photo loads; the layer image is not touched again until
    // that write has ended.
    LayerWrite write(&writer, &layer, Quor_Parallel::Threads() > 1);
    const float rows = static_cast<float>(height) * static_cast<float>(count);
    for (int i = 0; i < count && result.status == RenderStatus::kDone; i++) {
        if (owner->CheckCancel(RenderCheckpoint{RenderCheckpoint::kLoadingPhoto, i, 0}, -1.0f)) {
            if (!write.Wait() || !write.Run(count - i))
                return WriterFailed(output, writer, sink);
            result.status = RenderStatus::kCancelled;
            break;
        }
        photos.Load(i);
        if (!write.Wait())
            return WriterFailed(output, writer, sink);
        if (photos.Failed(&result)) {
            output.Discard();
            return result;
        }
        if (sampler.Setup(*doc, map, PanoramaSampler::kRenderRamp) != QUOR_OK)
            return output.Fail(RenderFailure::kNoMemory);
        // Rows are rendered a band at a time on every core; Cancel is asked before each row,
        // and a Cancel at row y leaves the rows from y on as the image held them.
        for (int top = 0; top < height && result.status == RenderStatus::kDone; top += kBandRows) {
            const int bottom = std::min(height, top + kBandRows);
            int end = top;
            for (; end < bottom; end++) {
                const float progress = (static_cast<float>(i) * static_cast<float>(height) + static_cast<float>(end)) / rows;
                if (owner->CheckCancel(RenderCheckpoint{RenderCheckpoint::kRenderingRow, i, end}, progress)) {
                    result.status = RenderStatus::kCancelled;
                    break;
                }
            }
            Quor_Parallel::For((end - top + kRowsPerTask - 1) / kRowsPerTask, [&](int task) {
                const int last = std::min(end, top + (task + 1) * kRowsPerTask);
                for (int y = top + task * kRowsPerTask; y < last; y++)
                    sampler.RenderLayerRow(i, y, layer.Row32(y));
            });
            result.rowsRendered += end - top;
        }
        photos.Restore(i);
        // After a Cancel the layer image stands for this layer and for every one still owed.
        if (result.status != RenderStatus::kDone) {
            if (!write.Run(count - i))
                return WriterFailed(output, writer, sink);
        } else if (!write.Start()) {
            return WriterFailed(output, writer, sink);
        }
    }
    if (!write.Wait())
        return WriterFailed(output, writer, sink);

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
