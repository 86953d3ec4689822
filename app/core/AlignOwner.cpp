#include "app/core/AlignOwner.h"

#include <algorithm>

#include "app/core/PanomerDoc.h"

AlignOwner::AlignOwner(const PanomerDoc* doc)
    : fDoc(doc)
{
}

AlignOwner::~AlignOwner()
{
    CancelAlign();
}

bool AlignOwner::StartAlign()
{
    if (fThread || fDoc == nullptr)
        return false;
    fCancel.store(false, std::memory_order_relaxed);
    fProgress.store(0.0f, std::memory_order_relaxed);
    fResult = AlignResult();
    fResult.count = std::clamp(fDoc->fNumPhotos, 0, kMaxPhotos);
    fResult.placements = PhotoAlign::Placements::Of(*fDoc);
    fThread = Quor_SpawnThread(ThreadEntry, this, 2, "Align All");
    return static_cast<bool>(fThread);
}

void AlignOwner::CancelAlign()
{
    RequestCancel();
    Quor_WaitForThread(fThread);
}

void AlignOwner::JoinAlign()
{
    Quor_WaitForThread(fThread);
}

void AlignOwner::AlignEnded()
{
}

void AlignOwner::ProgressMade()
{
}

void AlignOwner::ReachedCheckpoint(int aligned)
{
    (void)aligned;
}

bool AlignOwner::GoOn(int aligned, int read)
{
    ReachedCheckpoint(aligned);
    if (fCancel.load(std::memory_order_relaxed))
        return false;
    // Reading the files is the first step, each photo's alignment in each round one more.
    const int count = std::max(1, fResult.count);
    const float steps = aligned >= 0 ? static_cast<float>(1 + aligned) : static_cast<float>(read) / static_cast<float>(count);
    fProgress.store(steps / static_cast<float>(1 + 2 * count), std::memory_order_relaxed);
    ProgressMade();
    return true;
}

int AlignOwner::ThreadEntry(void* owner)
{
    static_cast<AlignOwner*>(owner)->Run();
    return 0;
}

void AlignOwner::Run()
{
    const PhotoAlign::Placements before = fResult.placements;
    PhotoAlign align;
    AlignResult& result = fResult;
    int read = 0;
    if (!align.Setup(*fDoc, -1, [&] { return GoOn(-1, read++); })) {
        result.status = fCancel.load(std::memory_order_relaxed) ? AlignStatus::kCancelled : AlignStatus::kNoMemory;
    } else {
        result.moved = align.AlignAll(*fDoc, &result.placements, result.outcomes,
                                      [&](int done) { return GoOn(done, 0); });
        result.status = result.moved >= 0 ? AlignStatus::kDone : AlignStatus::kCancelled;
    }
    if (result.status == AlignStatus::kDone) {
        fProgress.store(1.0f, std::memory_order_relaxed);
    } else {
        // Nothing of a run that did not finish is kept.
        result.moved = 0;
        result.placements = before;
    }
    AlignEnded();
}
