// Swaps a document's photos between their editing previews and their full size for an export,
// and guarantees the way back: whatever ends the export, every photo it reloaded returns to its
// preview when this object goes away.
#pragma once

#include "app/core/RenderOwner.h"

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/PanomerDoc.h"

class FullSizePhotos {
public:
    // budget: most bytes of full-size pixels (and of the decoders' buffers) held at once; 0 means
    // nothing may be held. Resolve an export's memory option with MemoryLimit first.
    // leaveOutUnloaded: a photo that had no preview either (it could not be loaded before the
    // export) is left out instead of counting as missing.
    FullSizePhotos(PanomerDoc* doc, int64_t budget, bool leaveOutUnloaded);
    // Returns every photo still at full size to its preview.
    ~FullSizePhotos();

    FullSizePhotos(const FullSizePhotos&) = delete;
    FullSizePhotos& operator=(const FullSizePhotos&) = delete;

    // Reloads photo `index` at full size with its brightness, once its header shows that it fits
    // in what is left of the budget (nothing is decoded otherwise). A photo that cannot be
    // loaded is remembered as missing, unless it is left out (see the constructor). Returns
    // false when the photo would not fit in the budget (the photo is then missing too).
    bool Load(int index);
    // Puts photo `index`, loaded at full size elsewhere (PanomerDoc::LoadPhoto, successfully,
    // within what the budget leaves), in its slot as Load would have; `image` is left empty.
    void Install(int index, Quor_BaseImage* image);
    // Returns photo `index` to its preview; with `spare`, its full-size pixels go there instead
    // of being freed, so that the next photo of that size can be decoded into them.
    void Restore(int index, Quor_BaseImage* spare = nullptr);
    // From now on a photo's preview is kept aside while it is at full size (its pixels beside the
    // budget), so Restore puts it back instead of decoding the file again.
    void KeepPreviews() { fKeepPreviews = true; }

    bool OutOfMemory() const { return fOutOfMemory; }
    // The bytes of the photos loaded now.
    int64_t HeldBytes() const { return fHeld; }
    int64_t Budget() const { return fLimit; }
    // File names of the photos that cannot be loaded at full size and were not left out.
    const std::vector<std::string>& Missing() const { return fMissing; }

    // True, with `result` filled, when the export cannot go on: a photo did not fit in memory
    // (the loader's account of it in result->cause), or photos are missing.
    bool Failed(RenderResult* result) const;

    // An export's memory option resolved: `limit` when it is positive, otherwise three quarters
    // of the machine's physical memory.
    static int64_t MemoryLimit(int64_t limit);
    // The account of a job refused for its memory, for the user: "This export needs about 1.4 GB
    // of memory; 1.0 GB is available."
    static std::string NeedsText(int64_t needed, int64_t available);
    // "900 bytes", "12 KB", "840 MB", "1.4 GB": whole units below a gigabyte, tenths above.
    static std::string AboutBytes(int64_t bytes);

private:
    PanomerDoc* fDoc;
    int64_t fLimit;
    bool fLeaveOutUnloaded;
    int64_t fHeld = 0;
    int64_t fHeldBytes[kMaxPhotos] = {};
    bool fLoaded[kMaxPhotos] = {};
    // The preview each loaded photo held, kept aside so it need not be decoded again.
    bool fKeepPreviews = false;
    Quor_BaseImage fPreview[kMaxPhotos];
    int fPreviewResult[kMaxPhotos] = {};
    bool fOutOfMemory = false;
    std::string fCause;
    std::vector<std::string> fMissing;

    void SetPreviewAside(int index);
};
