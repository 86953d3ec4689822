// The progress window of Align All: "Aligning the photos...", a bar and Cancel over the
// alignment worker.
#pragma once

#include "app/core/AlignOwner.h"
#include "app/ui/WorkerProgress.h"

class AlignProgress : public WorkerProgress, public AlignOwner {
public:
    // Aligns every photo of `doc` beside the window (doc must not change meanwhile) and tells how
    // it ended: the worker's result when it finished; a Cancel, with nothing to apply, when the
    // user ended the window first; kNoMemory when the system refused the worker or its window.
    static AlignResult Align(const PanomerDoc* doc, Quor_Wnd* parent);

    // Cancels and joins a worker still running.
    ~AlignProgress() override;

private:
    AlignProgress(const PanomerDoc* doc, Quor_Wnd* parent, AlignResult* outcome);
    void HandOver(bool finished) override;

    AlignResult* fOutcome;
};
