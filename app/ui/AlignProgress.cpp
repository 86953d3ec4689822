#include "app/ui/AlignProgress.h"

#include <new>

AlignResult AlignProgress::Align(const PanomerDoc* doc, Quor_Wnd* parent)
{
    AlignResult result;
    result.status = AlignStatus::kNoMemory;
    auto* progress = new (std::nothrow) AlignProgress(doc, parent, &result);
    if (progress == nullptr || !progress->StartAlign()) {
        delete progress;
        return result;
    }
    // The window shows at once: a run over a dozen photos takes seconds.
    progress->Show(0);
    return result;
}

AlignProgress::AlignProgress(const PanomerDoc* doc, Quor_Wnd* parent, AlignResult* outcome)
    : WorkerProgress("Align All", parent, "Aligning the photos..."),
      AlignOwner(doc),
      fOutcome(outcome)
{
}

AlignProgress::~AlignProgress()
{
    // The worker reports to this object: it must be gone first.
    Cancel();
}

void AlignProgress::HandOver(bool finished)
{
    if (finished) {
        *fOutcome = Result();
    } else {
        *fOutcome = AlignResult();
        fOutcome->status = AlignStatus::kCancelled;
    }
}
