// The progress window of opening a project: "Opening the project...", a bar (photos decoded of
// all) and Cancel over the open's worker, shown only when the open takes longer than a moment.
#pragma once

#include <functional>

#include "app/core/OpenOwner.h"
#include "app/ui/WorkerProgress.h"

class OpenProgress : public WorkerProgress, public OpenOwner {
public:
    // How long an open may take before the window shows.
    static int gQuietMilliseconds;
    // Tests: called on the worker's side before each photo's check for Cancel (see
    // ReachedCheckpoint), to slow the open down or hold it until Cancel.
    static std::function<void(OpenProgress* progress, int loaded)> gCheckpointHook;

    // Reads the project at `path` beside the event thread (current: the open document, which
    // must not change meanwhile): waits for the read up to gQuietMilliseconds, and when it takes
    // longer runs the window modally until the read ends or the user cancels it. A system that
    // refuses the thread reads on this thread instead.
    static OpenResult Open(const PanomerDoc* current, Quor_Wnd* parent, const char* path);

    // Cancels and joins a worker still running.
    ~OpenProgress() override;

    void ReachedCheckpoint(int loaded) override;

private:
    OpenProgress(const PanomerDoc* current, Quor_Wnd* parent, OpenResult* outcome);
    void HandOver(bool finished) override;

    OpenResult* fOutcome;
};
