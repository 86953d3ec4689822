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
// Threads decoding photos ahead of the layer being rendered.
constexpr int kDecoders = 2;

// A 32-bit image of width x height over the caller's buffer, rows packed.
Quor_image Canvas32(uint8_t* bits, int width, int height)
{
    Quor_image image;
    image.bits = bits;
    image.width = width;
    image.height = height;
    image.pixelBits = 32;
    image.pixelBytes = 4;
    image.rowBytes = width * 4;
    return image;
}

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

// Decodes the photos ahead of the one being rendered, in order of index, on threads of their own:
// at most kAhead photos decoding or decoded and not yet taken, on up to kAhead threads. A decode
// may hold what the budget leaves beside the photos in the document's slots and those decoded
// before it, shared with the decodes that may start beside it, so that together they never
// hold more. The threads only read the document (its paths and brightness) and decode into
// images of their own; the slots change on the caller's thread, so the sampler's view of the
// document never changes under it. A photo that fails here (missing, damaged, or short of
// memory with others held) is taken as failed: the caller stops the threads and loads it itself
// as before, so failures and their messages stay the same.
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

    // Starts decoding from photo `first` on `threads` threads (1 to kAhead), beside `held` bytes
    // of photos in the slots. False when no thread can be had.
    bool Start(int first, int64_t held, int threads)
    {
        Stop();
        fNext = fTaken = first;
        fFree = fBudget - held;
        fStop = false;
        // The threads wait for the lock until they are all counted.
        std::lock_guard<std::mutex> lock(fMutex);
        for (fIdle = 0; fIdle < std::clamp(threads, 1, kAhead); fIdle++) {
            try {
                fThreads[fIdle] = std::thread([this] { Decode(); });
            } catch (const std::exception&) {
                break;
            }
        }
        return fIdle > 0;
    }
    // Waits for photo `index` (the one after the last taken) and moves it into *image; false
    // when it was not decoded here, which leaves the threads running.
    bool Take(int index, Quor_BaseImage* image)
    {
        std::unique_lock<std::mutex> lock(fMutex);
        if (!fThreads[0].joinable() || index != fTaken || index >= fCount)
            return false;
        Entry& entry = fEntry[index % kAhead];
        fChanged.wait(lock, [&] { return entry.done; });
        entry.done = false;
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
        Quor_BaseImage& kept = fSpare[fSpare[0].IsValid() ? 1 : 0];
        kept.Free();
        kept.Swap(*spare);
        fChanged.notify_all();
    }
    // Ends the threads once their decodes in hand are done and frees what they decoded.
    void Stop()
    {
        {
            std::lock_guard<std::mutex> lock(fMutex);
            fStop = true;
        }
        fChanged.notify_all();
        for (std::thread& thread : fThreads) {
            if (thread.joinable())
                thread.join();
        }
        for (Entry& entry : fEntry) {
            entry.image.Free();
            entry.done = false;
        }
        for (Quor_BaseImage& spare : fSpare)
            spare.Free();
    }

private:
    struct Entry {
        Quor_BaseImage image;
        int result = QUOR_OK;
        bool done = false;
    };

    void Decode()
    {
        std::unique_lock<std::mutex> lock(fMutex);
        for (;;) {
            fChanged.wait(lock, [&] { return fStop || (fNext < fCount && fNext - fTaken < kAhead); });
            if (fStop)
                return;
            const int index = fNext++;
            // What is free is shared with the threads still idle, this one among them.
            const int64_t budget = fFree > 0 ? fFree / std::max(1, fIdle) : 0;
            fFree -= budget;
            fIdle--;
            Quor_BaseImage image;
            image.Swap(fSpare[fSpare[1].IsValid() ? 1 : 0]);
            lock.unlock();
            int result = QUOR_ERR_MEMORY;
            // Out of memory here is a photo the caller loads itself, as everything else that fails.
            try {
                result = fDoc->LoadPhoto(index, 0, budget, nullptr, &image);
            } catch (const std::bad_alloc&) {
                image.Free();
            }
            lock.lock();
            fIdle++;
            fFree += budget;
            Entry& entry = fEntry[index % kAhead];
            entry.result = result;
            entry.image.Free();
            entry.image.Swap(image);
            if (result == QUOR_OK)
                fFree -= static_cast<int64_t>(entry.image.RowBytes()) * entry.image.Height();
            entry.done = true;
            fChanged.notify_all();
        }
    }

    const PanomerDoc* fDoc;
    const int fCount;
    const int64_t fBudget;
    std::mutex fMutex;
    std::condition_variable fChanged;
    // Guarded by fMutex: photos from fTaken up to fNext are decoding or decoded (entry.done) and
    // not yet taken; fFree is the budget they and the photos in the slots leave, fIdle the
    // threads not decoding.
    int fNext = 0;
    int fTaken = 0;
    int64_t fFree = 0;
    int fIdle = 0;
    bool fStop = false;
    Entry fEntry[kAhead];
    Quor_BaseImage fSpare[kAhead];
    std::thread fThreads[kAhead];
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
    // The layer image and the merged picture. Refused up front, saying how much memory they need:
    // never left to the kernel.
    const int64_t fixedBytes = 2 * layerBytes;
    if (layerBytes < 0 || fixedBytes > limit) {
        result = RenderResult::Failed(RenderFailure::kNoMemory);
        if (layerBytes > 0)
            result.cause = FullSizePhotos::NeedsText(fixedBytes, limit);
        return result;
    }
    // Cleared to transparent, so a Cancel before any row was rendered gives empty layers rather
    // than whatever the heap held; the merged picture starts white.
    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[static_cast<size_t>(layerBytes)]());
    std::unique_ptr<uint32_t[]> merged(new (std::nothrow) uint32_t[static_cast<size_t>(layerBytes / 4)]);
    if (!pixels || !merged) {
        result = RenderResult::Failed(RenderFailure::kNoMemory);
        result.cause = "Its layer and merged picture need about " + FullSizePhotos::AboutBytes(fixedBytes) +
                       " of memory, which the system did not give.";
        return result;
    }
    std::fill(merged.get(), merged.get() + layerBytes / 4, 0xFFFFFFFFu);
    const Quor_image mergedImage = Canvas32(reinterpret_cast<uint8_t*>(merged.get()), width, height);
    const Quor_image layer = Canvas32(pixels.get(), width, height);

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

    // Only one photo is held at full size at a time, beside the layer image and the merged
    // picture: what they leave of the limit, exactly (nothing left is a budget of 0, not the
    // default).
    FullSizePhotos photos(doc, limit - fixedBytes, owner->Options().leaveOutUnloadedPhotos);
    photos.KeepPreviews();
    // A layer is written while the next photo is taken; the layer image is not touched again
    // until that write has ended. The photos are decoded ahead within the same budget.
    const bool overlap = Quor_Parallel::Threads() > 1;
    LayerWrite write(&writer, &layer, overlap);
    PhotosAhead ahead(doc, count, photos.Budget());
    bool decodingAhead = overlap && ahead.Start(0, 0, kDecoders);
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
            decodingAhead = overlap && !failed && ahead.Start(i + 1, photos.HeldBytes(), kDecoders);
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
                for (int y = top + task * kRowsPerTask; y < last; y++) {
                    sampler.RenderLayerRow(i, y, layer.Row32(y));
                    PsdRenderer::CompositeRow(layer.Row32(y), mergedImage.Row32(y), width);
                }
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

    // After a Cancel the merged picture shows the rows that were rendered.
    if (writer.EndLayers(&mergedImage) != QUOR_OK || writer.Close() != QUOR_OK)
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

void PsdRenderer::CompositeRow(const uint32_t* layer, uint32_t* merged, int width)
{
    for (int x = 0; x < width; x++) {
        const uint32_t top = layer[x];
        const uint32_t alpha = top & 0xFFu;
        if (alpha == 0)
            continue;
        if (alpha == 0xFFu) {
            merged[x] = top;
            continue;
        }
        // Red, green and blue sit above the alpha byte.
        const uint32_t under = merged[x];
        uint32_t out = 0xFFu;
        for (int shift = 8; shift < 32; shift += 8) {
            const uint32_t colour = (top >> shift) & 0xFFu;
            const uint32_t below = (under >> shift) & 0xFFu;
            out |= ((colour * alpha + below * (255 - alpha) + 127) / 255) << shift;
        }
        merged[x] = out;
    }
}

RenderResult PsdRenderer::Run(RenderOwner* owner)
{
    return RenderOutput::Run(owner, Render);
}
