#include "app/core/JpegRenderer.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <thread>

#include "app/core/CropFit.h"
#include "app/core/PhotoSphereXmp.h"
#include "app/core/FullSizePhotos.h"
#include "app/core/PanomerDoc.h"
#include "app/core/PanoramaSampler.h"
#include "app/core/RenderOutput.h"
#include "app/core/StreamedPhotos.h"
#include "toolkit/core/Quor_Parallel.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/formats/Quor_JpegWriter.h"
#include "toolkit/math/Quor_Round.h"

// The order of work, and what each way out leaves behind:
//   1. pause, so the progress window is up first;
//   2. check the request (size, output path, output not a source) before anything is opened;
//   3. create the output; failure: nothing to remove;
//   4. read every photo's header, loading at full size those that cannot be decoded a few rows
//      at a time, asking for Cancel before each photo; Cancel: a file that was at the output's
//      path stays as it was (an empty file would destroy it), and otherwise the output is left
//      empty; a photo that does not load: the output is discarded. Then plan which photo rows
//      each band reads; a job whose peak memory is beyond the limit: the output is discarded;
//   5. render the rows in bands on every core, decoding the photo rows each band reads first,
//      and stream them in order, asking for Cancel before each row is written; Cancel: the rows
//      still missing repeat the last row written (black before the first), so the file is a
//      complete JPEG of the size asked; a photo that stops decoding: the output is discarded;
//   6. finish and close, counting every write error; failure: the output is discarded.
// The output takes its name only when it is closed without error: until then a file at that
// path is left as it was.
// Every photo is back at its preview before Run returns, whichever way it ends.

namespace {

// Output rows rendered at once between two looks at Cancel.
constexpr int kBandRows = 32;

// Steps 3 to 6; RenderOutput::Run has taken the first two.
RenderResult Render(RenderOwner* owner, RenderOutput& output)
{
    PanomerDoc* doc = owner->Document();
    RenderResult result;
    const int width = doc->fRenderWidth;
    const int height = doc->fRenderHeight;
    const int quality = Quor_Clamp(doc->fQuality, CropFit::kMinQuality, CropFit::kMaxQuality);
    result.rowsTotal = height;

    // The row is cleared, so a Cancel before the first row gives black rows rather than
    // whatever the heap held.
    std::unique_ptr<uint32_t[]> row(new (std::nothrow) uint32_t[width]());
    if (!row)
        return RenderResult::Failed(RenderFailure::kNoMemory);

    if (!output.Create(doc->fRenderPath))
        return RenderResult::Failed(RenderFailure::kCannotCreate, output.SystemError());

    // Baseline JPEG photos are decoded a few rows at a time as the bands need them; any other
    // photo is loaded whole first.
    const int64_t limit = FullSizePhotos::MemoryLimit(owner->Options().memoryLimit);
    FullSizePhotos photos(doc, limit, owner->Options().leaveOutUnloadedPhotos);
    StreamedPhotos streamed(*doc);
    const int count = Quor_Clamp(doc->fNumPhotos, 0, kMaxPhotos);
    for (int i = 0; i < count; i++) {
        if (owner->CheckCancel(RenderCheckpoint{RenderCheckpoint::kLoadingPhoto, i, 0}, -1.0f)) {
            result.status = RenderStatus::kCancelled;
            if (output.ReplacesAFile()) {
                output.Discard();
                result.left = RenderLeft::kOldFile;
            } else {
                result.left = RenderLeft::kEmptyFile;
                output.Finish(&result);
            }
            return result;
        }
        if (!streamed.Add(i) && !photos.Load(i))
            break;
    }
    if (photos.Failed(&result)) {
        output.Discard();
        return result;
    }

    ProjectionMap map(doc->fProjectionType, width, height);
    CropFit::Fit(map, doc->fCrop);
    PanoramaSampler sampler;
    if (sampler.Setup(*doc, map, PanoramaSampler::kRenderRamp, streamed.Pixels()) != QUOR_OK)
        return output.Fail(RenderFailure::kNoMemory);
    const int bandRows = std::min(height, kBandRows);
    if (streamed.Plan(sampler, bandRows) != QUOR_OK)
        return output.Fail(RenderFailure::kNoMemory);
    // The photos loaded whole, the streamed photos at their peak, two bands and the last row.
    const int64_t needed = photos.HeldBytes() + streamed.PeakBytes() + int64_t(width) * (2 * bandRows + 1) * 4;
    if (needed > limit) {
        result = RenderResult::Failed(RenderFailure::kNoMemory);
        result.cause = FullSizePhotos::NeedsText(needed, limit);
        output.Discard();
        return result;
    }

    // The packed rows go to the encoder as they are; its alpha byte (0 in the background) is
    // ignored.
    Quor_JpegWriter encoder;
    if (encoder.Start(output.File(), width, height, quality) != QUOR_OK)
        return output.FailWrite(encoder.SystemError());
    // A horizontal spherical panorama says where it lies on the sphere, so viewers show it as one.
    const std::string sphere = PhotoSphereXmp::Segment(map);
    if (!sphere.empty() && encoder.WriteMarker(0xE1, sphere.data(), sphere.size()) != QUOR_OK)
        return output.FailWrite(encoder.SystemError());
    const uint32_t background = Quor_PixelConvert::Pack(JpegRenderer::kBackground, JpegRenderer::kBackground,
                                                        JpegRenderer::kBackground, 0);
    // Rows are rendered in bands, each band's rows on every core at once, and go to the encoder
    // strictly in order; each row depends on its y alone, so the file is the same whatever the
    // number of threads. With more than one thread a band is compressed while the next one is
    // decoded and rendered, into the other of two band buffers.
    const int bandCount = (height + bandRows - 1) / bandRows;
    const size_t bandPixels = static_cast<size_t>(width) * bandRows;
    std::unique_ptr<uint32_t[]> bands(new (std::nothrow) uint32_t[bandPixels * 2]);
    if (!bands)
        return output.Fail(RenderFailure::kNoMemory);
    auto renderBand = [&](int b) -> int {
        const int code = streamed.Prepare(b);
        if (code != QUOR_OK)
            return code;
        uint32_t* pixels = bands.get() + bandPixels * (b % 2);
        const int top = b * bandRows;
        Quor_Parallel::For(std::min(bandRows, height - top), [&](int i) {
            sampler.RenderBlendedRow(top + i, pixels + static_cast<size_t>(i) * width, background);
        });
        streamed.Release(b);
        return QUOR_OK;
    };
    // Writes band b, asking for Cancel before each row. The last row written is kept apart, so
    // the rows a Cancel leaves repeat it even after its band buffer is rendered over.
    bool written = true;
    auto writeBand = [&](int b) {
        const uint32_t* pixels = bands.get() + bandPixels * (b % 2);
        const int top = b * bandRows;
        const int rows = std::min(bandRows, height - top);
        const uint32_t* last = row.get();
        for (int i = 0; i < rows && written; i++) {
            const int y = top + i;
            const float progress = static_cast<float>(y) / static_cast<float>(height);
            if (owner->CheckCancel(RenderCheckpoint{RenderCheckpoint::kRenderingRow, -1, y}, progress)) {
                // The file must still be a whole JPEG of the size asked for.
                result.rowsRendered = y;
                for (int rest = y; rest < height && written; rest++)
                    written = encoder.WriteRow(last) == QUOR_OK;
                result.status = RenderStatus::kCancelled;
                return;
            }
            last = pixels + static_cast<size_t>(i) * width;
            written = encoder.WriteRow(last) == QUOR_OK;
        }
        std::copy(pixels + static_cast<size_t>(rows - 1) * width, pixels + static_cast<size_t>(rows) * width, row.get());
    };
    const bool overlap = Quor_Parallel::Threads() > 1;
    int code = renderBand(0);
    for (int b = 0; b < bandCount && code == QUOR_OK && written && result.status == RenderStatus::kDone; b++) {
        const bool next = b + 1 < bandCount;
        std::thread writer;
        if (overlap && next) {
            try {
                writer = std::thread(writeBand, b);
            } catch (const std::exception&) {
                // No thread to spare: the band is written first, then the next one rendered.
            }
        }
        if (writer.joinable()) {
            // The writer owns `written` and `result` until it is joined; a band rendered after a
            // Cancel is thrown away.
            code = renderBand(b + 1);
            writer.join();
        } else {
            writeBand(b);
            if (next && written && result.status == RenderStatus::kDone)
                code = renderBand(b + 1);
        }
    }
    if (code != QUOR_OK) {
        output.Discard();
        if (code == QUOR_ERR_MEMORY)
            return RenderResult::Failed(RenderFailure::kNoMemory);
        result = RenderResult::Failed(RenderFailure::kPhotosMissing);
        result.missingPhotos.push_back(streamed.FailedPhoto());
        return result;
    }
    if (!written || encoder.Finish() != QUOR_OK)
        return output.FailWrite(encoder.SystemError());
    if (result.status == RenderStatus::kDone)
        result.rowsRendered = height;
    output.Finish(&result);
    return result;
}

}  // namespace

int JpegRenderer::ThreadCount(const char* text)
{
    if (text == nullptr)
        return 0;
    int n = 0;
    const char* end = text + std::strlen(text);
    const auto [ptr, ec] = std::from_chars(text, end, n);
    return ec == std::errc() && ptr == end && n >= 1 && n <= kMaxThreads ? n : 0;
}

void JpegRenderer::ThreadsFromEnvironment()
{
    Quor_Parallel::SetThreads(ThreadCount(std::getenv("PANOMER_THREADS")));
}

RenderResult JpegRenderer::Run(RenderOwner* owner)
{
    return RenderOutput::Run(owner, Render);
}
