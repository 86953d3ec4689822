#include "app/core/OpenOwner.h"

#include <new>

OpenOwner::OpenOwner(const PanomerDoc* current)
    : fCurrent(current)
{
}

bool OpenOwner::StartOpen(const char* path)
{
    if (HasWorker() || fCurrent == nullptr || path == nullptr)
        return false;
    try {
        fPath = path;
    } catch (const std::bad_alloc&) {
        return false;
    }
    fResult = OpenResult();
    return StartWork("Open");
}

void OpenOwner::Work()
{
    bool cancelled = false;
    fResult.doc = fCurrent->ReadAnother(
        fPath,
        [this](int loaded, int count) {
            return GoOn(loaded, count > 0 ? static_cast<float>(loaded) / static_cast<float>(count) : 0.0f);
        },
        &cancelled);
    if (fResult.doc) {
        fResult.status = OpenStatus::kDone;
        SetProgress(1.0f);
    } else {
        fResult.status = cancelled ? OpenStatus::kCancelled : OpenStatus::kFailed;
    }
}
