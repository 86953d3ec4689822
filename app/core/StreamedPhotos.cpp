#include "app/core/StreamedPhotos.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>

#include "toolkit/core/Quor_Parallel.h"
#include "toolkit/core/Quor_Path.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_ImageFile.h"
#include "toolkit/imaging/formats/Quor_JpegReader.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"

namespace {

// What an open decoder holds besides the ring, counted as rows of the photo: the library's
// buffers of one row of sampling units, with room to spare.
constexpr int kDecoderRows = 16;

}  // namespace

StreamedPhotos::StreamedPhotos(const PanomerDoc& doc)
    : fDoc(doc)
{
}

StreamedPhotos::~StreamedPhotos()
{
    for (int i = 0; i < kMaxPhotos; i++)
        Close(i);
}

bool StreamedPhotos::Add(int index)
{
    if (index < 0 || index >= kMaxPhotos)
        return false;
    const char* path = fDoc.fPhotoPath[index].Buffer();
    if (path == nullptr || std::strcmp(Quor_Path(path).Type(), "image/jpeg") != 0)
        return false;
    Quor_ReadLimits limits;
    int code = QUOR_OK;
    FILE* file = Quor_ImageFile::OpenForReading(path, limits, &code);
    if (file == nullptr)
        return false;
    Quor_ImageReader* started = nullptr;
    if (Quor_JpegReader::Start(file, limits, &started) != QUOR_OK)
        return false;
    std::unique_ptr<Quor_JpegReader> reader(static_cast<Quor_JpegReader*>(started));
    if (!reader->DecodesByRows())
        return false;
    Photo& photo = fPhotos[index];
    photo.width = reader->Width();
    photo.height = reader->Height();
    photo.rows.reset(new (std::nothrow) const uint32_t*[static_cast<size_t>(photo.height)]());
    if (!photo.rows)
        return false;
    photo.streamed = true;
    photo.brightness = fDoc.fBrightness[index];
    // The sampler reads the rows through the table; the image gives it the size. Its bits are
    // never read, but an image without them would count as no image.
    Quor_image& image = fPixels[index].image;
    image.bits = reinterpret_cast<uint8_t*>(photo.rows.get());
    image.width = photo.width;
    image.height = photo.height;
    image.pixelBits = 32;
    image.pixelBytes = 4;
    image.rowBytes = photo.width * 4;
    fPixels[index].rows = photo.rows.get();
    // The reader's rows are opaque, and brightening leaves alpha alone.
    fPixels[index].opaque = true;
    return true;
}

int64_t StreamedPhotos::RingBytes(int index) const
{
    const Photo& photo = fPhotos[index];
    return static_cast<int64_t>(photo.capacity + kDecoderRows) * photo.width * 4;
}

int StreamedPhotos::Plan(const PanoramaSampler& sampler, int bandRows)
{
    const int height = sampler.Height();
    fBands = (height + bandRows - 1) / bandRows;
    try {
        fSpans.assign(static_cast<size_t>(fBands) * kMaxPhotos, Span{INT_MAX, -1});
    } catch (const std::bad_alloc&) {
        return QUOR_ERR_MEMORY;
    }
    Quor_Parallel::For(fBands, [&](int band) {
        int first[kMaxPhotos], last[kMaxPhotos];
        std::fill(first, first + kMaxPhotos, INT_MAX);
        std::fill(last, last + kMaxPhotos, -1);
        const int end = std::min(height, (band + 1) * bandRows);
        for (int y = band * bandRows; y < end; y++)
            sampler.AddSampledRows(y, first, last);
        for (int i = 0; i < kMaxPhotos; i++)
            At(band, i) = Span{first[i], last[i]};
    });

    // A photo holds, at band b, the rows from the lowest that band b or a later one reads to the
    // highest decoded so far; its ring is the largest such window.
    for (int i = 0; i < kMaxPhotos; i++) {
        Photo& photo = fPhotos[i];
        if (!photo.streamed)
            continue;
        photo.firstBand = photo.lastBand = -1;
        for (int b = 0; b < fBands; b++) {
            if (At(b, i).last < 0)
                continue;
            if (photo.firstBand < 0)
                photo.firstBand = b;
            photo.lastBand = b;
        }
        photo.capacity = 0;
        if (photo.firstBand < 0)
            continue;
        std::vector<int> keepFrom(static_cast<size_t>(fBands) + 1, INT_MAX);
        for (int b = photo.lastBand; b >= photo.firstBand; b--)
            keepFrom[b] = std::min(keepFrom[b + 1], At(b, i).first);
        int decodedTo = -1;
        for (int b = photo.firstBand; b <= photo.lastBand; b++) {
            decodedTo = std::max(decodedTo, At(b, i).last);
            photo.capacity = std::max(photo.capacity, decodedTo - keepFrom[b] + 1);
        }
    }
    fPeakBytes = 0;
    for (int b = 0; b < fBands; b++) {
        int64_t bytes = 0;
        for (int i = 0; i < kMaxPhotos; i++) {
            const Photo& photo = fPhotos[i];
            if (photo.streamed && photo.firstBand >= 0 && photo.firstBand <= b && b <= photo.lastBand)
                bytes += RingBytes(i);
        }
        fPeakBytes = std::max(fPeakBytes, bytes);
    }
    return QUOR_OK;
}

int StreamedPhotos::Open(int index)
{
    Photo& photo = fPhotos[index];
    Quor_ReadLimits limits;
    int code = QUOR_OK;
    FILE* file = Quor_ImageFile::OpenForReading(fDoc.fPhotoPath[index].Buffer(), limits, &code);
    Quor_ImageReader* started = nullptr;
    if (file == nullptr || Quor_JpegReader::Start(file, limits, &started) != QUOR_OK)
        return QUOR_ERR_DECODE;
    photo.reader.reset(static_cast<Quor_JpegReader*>(started));
    // The file may have changed since its header was read.
    if (photo.reader->Width() != photo.width || photo.reader->Height() != photo.height ||
        !photo.reader->DecodesByRows())
        return QUOR_ERR_DECODE;
    photo.ring.reset(new (std::nothrow) uint32_t[static_cast<size_t>(photo.capacity) * photo.width]);
    if (!photo.ring)
        return QUOR_ERR_MEMORY;
    // Row y lives in slot y mod capacity; the plan makes sure that a row is overwritten only
    // once no band reads it any more.
    for (int y = 0; y < photo.height; y++)
        photo.rows[y] = photo.ring.get() + static_cast<size_t>(y % photo.capacity) * photo.width;
    photo.decoded = 0;
    fHeldBytes += RingBytes(index);
    fMostHeld = std::max(fMostHeld, fHeldBytes);
    return QUOR_OK;
}

void StreamedPhotos::Close(int index)
{
    Photo& photo = fPhotos[index];
    if (photo.ring)
        fHeldBytes -= RingBytes(index);
    photo.reader.reset();
    photo.ring.reset();
}

int StreamedPhotos::Decode(int index, int through)
{
    Photo& photo = fPhotos[index];
    // The brightness as the whole load applies it (PanomerDoc::UpdatePhoto), over each run of
    // rows that lie one after another in the ring.
    const bool brighten = std::fabs(photo.brightness) > 0.000001f;
    while (photo.decoded <= through) {
        const int first = photo.decoded;
        const int slot = first % photo.capacity;
        const int run = std::min(through - first + 1, photo.capacity - slot);
        for (int i = 0; i < run; i++, photo.decoded++) {
            if (photo.reader->ReadRow(const_cast<uint32_t*>(photo.rows[photo.decoded])) != QUOR_OK)
                return QUOR_ERR_DECODE;
        }
        if (brighten) {
            const Quor_image rows{reinterpret_cast<uint8_t*>(const_cast<uint32_t*>(photo.rows[first])), photo.width, run,
                                  32, 4, photo.width * 4};
            Quor_ImageOps::Brighten(&rows, photo.brightness);
        }
    }
    return QUOR_OK;
}

int StreamedPhotos::Prepare(int band)
{
    int active[kMaxPhotos];
    int count = 0;
    for (int i = 0; i < kMaxPhotos; i++) {
        Photo& photo = fPhotos[i];
        if (!photo.streamed || photo.firstBand < 0 || band < photo.firstBand || band > photo.lastBand)
            continue;
        if (band == photo.firstBand) {
            const int code = Open(i);
            if (code != QUOR_OK) {
                fFailed = fDoc.fPhotoPath[i].Name().Buffer();
                return code;
            }
        }
        if (At(band, i).last >= photo.decoded)
            active[count++] = i;
    }
    int codes[kMaxPhotos] = {};
    Quor_Parallel::For(count, [&](int k) { codes[k] = Decode(active[k], At(band, active[k]).last); });
    for (int k = 0; k < count; k++) {
        if (codes[k] != QUOR_OK) {
            fFailed = fDoc.fPhotoPath[active[k]].Name().Buffer();
            return codes[k];
        }
    }
    return QUOR_OK;
}

void StreamedPhotos::Release(int band)
{
    for (int i = 0; i < kMaxPhotos; i++) {
        if (fPhotos[i].streamed && fPhotos[i].lastBand == band)
            Close(i);
    }
}
