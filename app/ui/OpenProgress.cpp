#include "app/ui/OpenProgress.h"

#include <new>
#include <utility>

int OpenProgress::gQuietMilliseconds = 500;
std::function<void(OpenProgress* progress, int loaded)> OpenProgress::gCheckpointHook;

OpenResult OpenProgress::Open(const PanomerDoc* current, Quor_Wnd* parent, const char* path)
{
    OpenResult result;
    result.status = OpenStatus::kFailed;
    auto* progress = new (std::nothrow) OpenProgress(current, parent, &result);
    if (progress == nullptr || !progress->StartOpen(path)) {
        delete progress;
        result.doc = current->ReadAnother(path);
        result.status = result.doc ? OpenStatus::kDone : OpenStatus::kFailed;
        return result;
    }
    // Quick (a small project, or previews from the cache): no window flashes.
    progress->Show(gQuietMilliseconds);
    return result;
}

OpenProgress::OpenProgress(const PanomerDoc* current, Quor_Wnd* parent, OpenResult* outcome)
    : WorkerProgress("Opening", parent, "Opening the project..."),
      OpenOwner(current),
      fOutcome(outcome)
{
}

OpenProgress::~OpenProgress()
{
    // The worker reports to this object: it must be gone first.
    Cancel();
}

void OpenProgress::ReachedCheckpoint(int loaded)
{
    if (gCheckpointHook)
        gCheckpointHook(this, loaded);
}

void OpenProgress::HandOver(bool finished)
{
    if (finished) {
        *fOutcome = TakeResult();
    } else {
        // The user asked to stop: an open that happened to end meanwhile is not kept either.
        *fOutcome = OpenResult();
        fOutcome->status = OpenStatus::kCancelled;
    }
}
