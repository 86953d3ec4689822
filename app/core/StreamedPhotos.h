// The export's photos decoded a few rows at a time: each baseline JPEG photo is decoded top to
// bottom while the panorama's rows are rendered in bands, and holds only the rows that the
// current band and the bands after it still read. Memory then grows with the output's width and
// the photo rows one band reads, not with the number of photos.
//
// A plan made before the first band (Plan) finds, for every band and photo, the exact photo rows
// the band's samples read, with the sampler's own mapping; from it each photo's ring of rows is
// sized once, so a row decoded into its slot never overwrites one that a band still reads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/core/PanomerDoc.h"
#include "app/core/PanoramaSampler.h"

class Quor_JpegReader;

class StreamedPhotos {
public:
    explicit StreamedPhotos(const PanomerDoc& doc);
    ~StreamedPhotos();

    StreamedPhotos(const StreamedPhotos&) = delete;
    StreamedPhotos& operator=(const StreamedPhotos&) = delete;

    // Reads the header of photo `index`: true when it is a JPEG that decodes row by row, which is
    // then streamed; false when it must be loaded whole (another format, a progressive file, a
    // file that does not open: the whole load tells why).
    bool Add(int index);
    bool IsStreamed(int index) const { return fPhotos[index].streamed; }

    // The full size and row tables of the streamed photos, for PanoramaSampler::Setup.
    const PanoramaSampler::PhotoPixels* Pixels() const { return fPixels; }

    // Finds the photo rows every band of `bandRows` output rows reads (in parallel over the
    // bands) and sizes each photo's ring from them. QUOR_OK or QUOR_ERR_MEMORY.
    int Plan(const PanoramaSampler& sampler, int bandRows);
    // The most bytes the streamed photos hold at once, from the plan.
    int64_t PeakBytes() const { return fPeakBytes; }

    // Makes every row that band `band` reads available, decoding the active photos in parallel:
    // QUOR_OK; QUOR_ERR_MEMORY when a ring cannot be allocated; QUOR_ERR_DECODE when a photo does
    // not decode (FailedPhoto names it).
    int Prepare(int band);
    // Lets go of the photos that no band after `band` reads.
    void Release(int band);
    const std::string& FailedPhoto() const { return fFailed; }

    // The bytes held now, and the most held so far.
    int64_t HeldBytes() const { return fHeldBytes; }
    int64_t MostHeldBytes() const { return fMostHeld; }

private:
    struct Photo {
        bool streamed = false;
        int width = 0;
        int height = 0;
        float brightness = 0.0f;
        std::unique_ptr<const uint32_t*[]> rows;
        std::unique_ptr<uint32_t[]> ring;
        int capacity = 0;  // rows in the ring
        int decoded = 0;   // rows decoded so far, from the top
        int firstBand = -1;
        int lastBand = -1;
        std::unique_ptr<Quor_JpegReader> reader;
    };
    struct Span {
        int first;
        int last;
    };

    int Open(int index);
    void Close(int index);
    int Decode(int index, int through);
    int64_t RingBytes(int index) const;
    Span& At(int band, int index) { return fSpans[static_cast<size_t>(band) * kMaxPhotos + index]; }

    const PanomerDoc& fDoc;
    Photo fPhotos[kMaxPhotos];
    PanoramaSampler::PhotoPixels fPixels[kMaxPhotos];
    std::vector<Span> fSpans;
    int fBands = 0;
    int64_t fPeakBytes = 0;
    int64_t fHeldBytes = 0;
    int64_t fMostHeld = 0;
    std::string fFailed;
};
