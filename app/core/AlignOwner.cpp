#include "app/core/AlignOwner.h"

#include <algorithm>

#include "app/core/PanomerDoc.h"

AlignOwner::AlignOwner(const PanomerDoc* doc)
    : fDoc(doc)
{
}

bool AlignOwner::StartAlign()
{
    if (HasWorker() || fDoc == nullptr)
        return false;
    fResult = AlignResult();
    fResult.count = std::clamp(fDoc->fNumPhotos, 0, kMaxPhotos);
    fResult.placements = PhotoAlign::Placements::Of(*fDoc);
    return StartWork("Align All");
}

bool AlignOwner::GoOnAligning(int aligned, int read)
{
    // Reading the files is the first step, each photo's alignment in each round one more.
    const int count = std::max(1, fResult.count);
    const float steps = aligned >= 0 ? static_cast<float>(1 + aligned) : static_cast<float>(read) / static_cast<float>(count);
    return GoOn(aligned, steps / static_cast<float>(1 + 2 * count));
}

void AlignOwner::Work()
{
    const PhotoAlign::Placements before = fResult.placements;
    PhotoAlign align;
    AlignResult& result = fResult;
    int read = 0;
    if (!align.Setup(*fDoc, -1, [&] { return GoOnAligning(-1, read++); })) {
        result.status = CancelRequested() ? AlignStatus::kCancelled : AlignStatus::kNoMemory;
    } else {
        result.moved = align.AlignAll(*fDoc, &result.placements, result.outcomes,
                                      [&](int done) { return GoOnAligning(done, 0); });
        result.status = result.moved >= 0 ? AlignStatus::kDone : AlignStatus::kCancelled;
    }
    if (result.status == AlignStatus::kDone) {
        SetProgress(1.0f);
    } else {
        // Nothing of a run that did not finish is kept.
        result.moved = 0;
        result.placements = before;
    }
}
