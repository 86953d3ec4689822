// Opening a project on a worker thread. The worker reads the file into a document of its own
// (ReadAnother), which the owner takes once the worker is joined, so the document the canvas draws
// is never written from the worker.
#pragma once

#include <memory>

#include "app/core/PanomerDoc.h"
#include "toolkit/core/Quor_Path.h"
#include "app/core/WorkerOwner.h"

enum class OpenStatus { kDone, kFailed, kCancelled };

// How an open ended. Only kDone carries a document; kFailed is a file that does not read as a
// project, or memory that ran short.
struct OpenResult {
    OpenStatus status = OpenStatus::kCancelled;
    std::unique_ptr<PanomerDoc> doc;
};

class OpenOwner : public virtual WorkerOwner {
public:
    // current: the open document, whose settings a file that leaves them out keeps; the worker
    // only reads it, and nothing may change it while the worker runs.
    explicit OpenOwner(const PanomerDoc* current);

    // Starts the worker on the project at `path`. False when one already runs, there is no
    // document, or the system refuses the thread; nothing runs then. The progress is the share of
    // the photos decoded, reported before each photo on any of the threads that decode them;
    // ReachedCheckpoint gets the photos decoded so far. Cancel is checked before each photo.
    bool StartOpen(const char* path);
    // How the run ended, handed over once: read only once the worker is joined.
    OpenResult TakeResult() { return std::move(fResult); }

protected:
    void Work() override;

private:
    const PanomerDoc* fCurrent;
    Quor_Path fPath;
    OpenResult fResult;
};
