#include "app/core/PsdRenderer.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
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
//   4. per photo: ask for Cancel, take it at full size (decoded ahead on a thread of its own
//      while the layers before it were rendered and written), render its rows (asking before
//      each), return it to its preview and write the layer while the next photo is taken. On
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

// Decodes the photos ahead of the one being rendered, in order, on a thread of its own: at most
// kAhead photos decoded and not yet taken, each within what the budget leaves beside the photos
// in the document's slots and those decoded before it. The thread only reads the document (its
// paths and brightness) and decodes into images of its own; the slots change on the caller's
// thread, so the sampler's view of the document never changes under it. A photo that fails here
// (missing, damaged, or short of memory with others held) is taken as failed: the caller stops
// the thread and loads it itself as before, so failures and their messages stay the same.
class PhotosAhead {
public:
    static constexpr int kAhead = 2;

    PhotosAhead(const PanomerDoc* doc, int count, int64_t budget)
        : fDoc(doc)
        , fCount(count)
        , fBudget(budget)
    {
    }
    ~PhotosAhead() { Stop(); }

    // Starts decoding from photo `first`, beside `held` bytes of photos in the slots. False
    // (nothing started) when no thread can be had.
    bool Start(int first, int64_t held)
    {
        Stop();
        fNext = fTaken = first;
        fFree = fBudget - held;
        fStop = false;
        try {
            fThread = std::thread([this] { Decode(); });
        } catch (const std::exception&) {
            return false;
        }
        return true;
    }
    // Waits for photo `index` (the one after the last taken) and moves it into *image; false
    // when it was not decoded here, which leaves the thread running.
    bool Take(int index, Quor_BaseImage* image)
    {
        std::unique_lock<std::mutex> lock(fMutex);
        if (!fThread.joinable() || index != fTaken || index >= fCount)
            return false;
        fChanged.wait(lock, [&] { return fNext > index; });
        Entry& entry = fEntry[index % kAhead];
        fTaken++;
        fChanged.notify_all();
        if (entry.result != QUOR_OK)
            return false;
        image->Free();
        image->Swap(entry.image);
        return true;
    }
    // A photo of `bytes` left its slot; its pixels, in *spare, are decoded into next.
    void Returned(int64_t bytes, Quor_BaseImage* spare)
    {
        std::lock_guard<std::mutex> lock(fMutex);
        fFree += bytes;
        fSpare.Free();
        fSpare.Swap(*spare);
        fChanged.notify_all();
    }
    // Ends the thread once its decode in hand is done and frees what it decoded.
    void Stop()
    {
        if (fThread.joinable()) {
            {
                std::lock_guard<std::mutex> lock(fMutex);
                fStop = true;
            }
            fChanged.notify_all();
            fThread.join();
        }
        for (Entry& entry : fEntry)
            entry.image.Free();
        fSpare.Free();
    }

private:
    struct Entry {
        Quor_BaseImage image;
        int result = QUOR_OK;
    };

    void Decode()
    {
        std::unique_lock<std::mutex> lock(fMutex);
        for (;;) {
            fChanged.wait(lock, [&] { return fStop || (fNext < fCount && fNext - fTaken < kAhead); });
            if (fStop)
                return;
            const int index = fNext;
            const int64_t budget = fFree > 0 ? fFree : 0;
            Quor_BaseImage image;
            image.Swap(fSpare);
            lock.unlock();
            const int result = fDoc->LoadPhoto(index, 0, budget, nullptr, &image);
            lock.lock();
            Entry& entry = fEntry[index % kAhead];
            entry.result = result;
            entry.image.Free();
            entry.image.Swap(image);
            if (result == QUOR_OK)
                fFree -= static_cast<int64_t>(entry.image.RowBytes()) * entry.image.Height();
            fNext++;
            fChanged.notify_all();
        }
    }

    const PanomerDoc* fDoc;
    const int fCount;
    const int64_t fBudget;
    std::mutex fMutex;
    std::condition_variable fChanged;
    // Guarded by fMutex: photos from fTaken to fNext are decoded and not yet taken; fFree is the
    // budget they and the photos in the slots leave.
    int fNext = 0;
    int fTaken = 0;
    int64_t fFree = 0;
    bool fStop = false;
    Entry fEntry[kAhead];
    Quor_BaseImage fSpare;
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
    // A layer is written while the next photo is taken; the layer image is not touched again
    // until that write has ended. The photos are decoded ahead within the same budget.
    const bool overlap = Quor_Parallel::Threads() > 1;
    LayerWrite write(&writer, &layer, overlap);
    PhotosAhead ahead(doc, count, photos.Budget());
    bool decodingAhead = overlap && ahead.Start(0, 0);
    Quor_BaseImage taken;
    const float rows = static_cast<float>(height) * static_cast<float>(count);
    for (int i = 0; i < count && result.status == RenderStatus::kDone; i++) {
        if (owner->CheckCancel(RenderCheckpoint{RenderCheckpoint::kLoadingPhoto, i, 0}, -1.0f)) {
            if (!write.Wait() || !write.Run(count - i))
                return WriterFailed(output, writer, sink);
            result.status = RenderStatus::kCancelled;
            break;
        }
        bool failed = false;
        if (decodingAhead && ahead.Take(i, &taken)) {
            photos.Install(i, &taken);
        } else {
            // Loaded as when nothing is decoded ahead: alone beside the layer.
            ahead.Stop();
            photos.Load(i);
            failed = photos.Failed(&result);
            decodingAhead = overlap && !failed && ahead.Start(i + 1, photos.HeldBytes());
        }
        if (!write.Wait())
            return WriterFailed(output, writer, sink);
        if (failed) {
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
        if (decodingAhead && i + 1 < count) {
            const int64_t held = photos.HeldBytes();
            photos.Restore(i, &taken);
            ahead.Returned(held - photos.HeldBytes(), &taken);
        } else {
            photos.Restore(i);
        }
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
