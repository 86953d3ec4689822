#include "app/core/FullSizePhotos.h"

#include <unistd.h>

#include "app/core/PanomerDoc.h"
#include "toolkit/core/Quor_Status.h"

FullSizePhotos::FullSizePhotos(PanomerDoc* doc, int64_t budget, bool leaveOutUnloaded)
    : fDoc(doc)
    , fLimit(budget > 0 ? budget : 0)
    , fLeaveOutUnloaded(leaveOutUnloaded)
{
}

FullSizePhotos::~FullSizePhotos()
{
    for (int i = 0; i < kMaxPhotos; i++) {
        if (fLoaded[i])
            Restore(i);
    }
}

int64_t FullSizePhotos::MemoryLimit(int64_t limit)
{
    if (limit > 0)
        return limit;
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return INT64_MAX;
    const int64_t physical = static_cast<int64_t>(pages) * pageSize;
    return physical / 4 * 3;
}

bool FullSizePhotos::Load(int index)
{
    if (index < 0 || index >= kMaxPhotos)
        return true;
    // A document that reads headers only has no previews: a photo whose header read counts.
    const bool hadPreview = fDoc->fPhotoImage[index].IsValid() ||
                            (fDoc->fHeadersOnly && fDoc->fLoadResult[index] == QUOR_OK);
    SetPreviewAside(index);
    fLoaded[index] = true;
    // Held at full size beyond the budget, the photos would push the machine into swapping or
    // the kernel's out-of-memory killer, which would take the unsaved project with it; the
    // loader refuses such a photo from its header, before decoding any of it.
    Quor_String refusal;
    const int result = fDoc->UpdatePhoto(index, 0, fHeld < fLimit ? fLimit - fHeld : 0, &refusal);
    const Quor_BaseImage& image = fDoc->fPhotoImage[index];
    if (result == QUOR_OK && image.IsValid()) {
        fHeldBytes[index] = static_cast<int64_t>(image.RowBytes()) * image.Height();
        fHeld += fHeldBytes[index];
        return true;
    }
    // A photo that did not load is tried again on the way back, as before, rather than shown
    // from a preview of a file that may be gone.
    fPreview[index].Free();
    if (result == QUOR_ERR_MEMORY) {
        fOutOfMemory = true;
        if (fCause.empty())
            fCause = refusal.Buffer();
    }
    if (hadPreview || fOutOfMemory || !fLeaveOutUnloaded)
        fMissing.push_back(static_cast<const char*>(fDoc->fPhotoPath[index].Name()));
    return !fOutOfMemory;
}

void FullSizePhotos::SetPreviewAside(int index)
{
    if (fKeepPreviews && !fLoaded[index] && fDoc->fPhotoImage[index].IsValid()) {
        fPreview[index].Swap(fDoc->fPhotoImage[index]);
        fPreviewResult[index] = fDoc->fLoadResult[index];
    }
}

void FullSizePhotos::Install(int index, Quor_BaseImage* image)
{
    if (index < 0 || index >= kMaxPhotos || fLoaded[index] || image == nullptr || !image->IsValid())
        return;
    SetPreviewAside(index);
    fLoaded[index] = true;
    Quor_BaseImage& slot = fDoc->fPhotoImage[index];
    slot.Free();
    slot.Swap(*image);
    fDoc->fLoadResult[index] = QUOR_OK;
    fHeldBytes[index] = static_cast<int64_t>(slot.RowBytes()) * slot.Height();
    fHeld += fHeldBytes[index];
}

void FullSizePhotos::Restore(int index, Quor_BaseImage* spare)
{
    if (index < 0 || index >= kMaxPhotos || !fLoaded[index])
        return;
    fHeld -= fHeldBytes[index];
    fHeldBytes[index] = 0;
    fLoaded[index] = false;
    if (spare != nullptr) {
        spare->Free();
        spare->Swap(fDoc->fPhotoImage[index]);
    }
    if (fPreview[index].IsValid()) {
        fDoc->fPhotoImage[index].Free();
        fDoc->fPhotoImage[index].Swap(fPreview[index]);
        fDoc->fLoadResult[index] = fPreviewResult[index];
        return;
    }
    fDoc->UpdatePhoto(index, kPreviewSize);
}

bool FullSizePhotos::Failed(RenderResult* result) const
{
    if (fOutOfMemory) {
        *result = RenderResult::Failed(RenderFailure::kNoMemory);
        result->cause = fCause;
        return true;
    }
    if (!fMissing.empty()) {
        *result = RenderResult::Failed(RenderFailure::kPhotosMissing);
        result->missingPhotos = fMissing;
        return true;
    }
    return false;
}

std::string FullSizePhotos::AboutBytes(int64_t bytes)
{
    constexpr int64_t kKB = 1024, kMB = int64_t(1) << 20, kGB = int64_t(1) << 30;
    if (bytes < kKB)
        return std::to_string(bytes) + " bytes";
    if (bytes < kMB)
        return std::to_string((bytes + kKB / 2) / kKB) + " KB";
    if (bytes < kGB)
        return std::to_string((bytes + kMB / 2) / kMB) + " MB";
    const int64_t tenths = (bytes * 10 + kGB / 2) / kGB;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " GB";
}

std::string FullSizePhotos::NeedsText(int64_t needed, int64_t available)
{
    return "This export needs about " + AboutBytes(needed) + " of memory; " + AboutBytes(available) +
           " is available.";
}
