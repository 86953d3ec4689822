#include "app/core/FullSizePhotos.h"

#include <unistd.h>

#include "app/core/PanomerDoc.h"

FullSizePhotos::FullSizePhotos(PanomerDoc* doc, int64_t memoryLimit)
    : fDoc(doc)
    , fLimit(MemoryLimit(memoryLimit))
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
    const bool hadPreview = fDoc->fPhotoImage[index].IsValid();
    fLoaded[index] = true;
    const int result = fDoc->UpdatePhoto(index, 0);
    const Quor_BaseImage& image = fDoc->fPhotoImage[index];
    if (result == 0 && image.IsValid()) {
        fHeldBytes[index] = static_cast<int64_t>(image.RowBytes()) * image.Height();
        fHeld += fHeldBytes[index];
        if (fHeld <= fLimit)
            return true;
        // Held at full size, the photos would push the machine into swapping or the kernel's
        // out-of-memory killer, which would take the unsaved project with it.
        Restore(index);
        fOutOfMemory = true;
    } else if (result == -1) {
        fOutOfMemory = true;
    }
    if (hadPreview || fOutOfMemory)
        fMissing.push_back(static_cast<const char*>(fDoc->fPhotoPath[index].Name()));
    return !fOutOfMemory;
}

void FullSizePhotos::Restore(int index)
{
    if (index < 0 || index >= kMaxPhotos || !fLoaded[index])
        return;
    fHeld -= fHeldBytes[index];
    fHeldBytes[index] = 0;
    fLoaded[index] = false;
    fDoc->UpdatePhoto(index, kPreviewSize);
}

bool FullSizePhotos::Failed(RenderResult* result) const
{
    if (fOutOfMemory) {
        *result = RenderResult::Failed(RenderFailure::kNoMemory);
        return true;
    }
    if (!fMissing.empty()) {
        *result = RenderResult::Failed(RenderFailure::kPhotosMissing);
        result->missingPhotos = fMissing;
        return true;
    }
    return false;
}
