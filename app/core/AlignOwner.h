// Align All on a worker thread. The worker reads the document (the photos' files and pixels, which
// nothing changes while it runs) and turns its own copy of the placements; the owner applies them
// once the worker is joined, so the document the canvas draws is never written from the worker.
#pragma once

#include "app/core/PhotoAlign.h"
#include "app/core/WorkerOwner.h"

class PanomerDoc;

enum class AlignStatus { kDone, kCancelled, kNoMemory };

// How Align All ended. Only kDone carries placements worth applying.
struct AlignResult {
    AlignStatus status = AlignStatus::kCancelled;
    // The photos that moved.
    int moved = 0;
    // The photos the run took (the document's count when it started).
    int count = 0;
    PhotoAlign::Placements placements;
    // How each photo's last alignment went.
    PhotoAlign::Outcome outcomes[kMaxPhotos] = {};
};

class AlignOwner : public virtual WorkerOwner {
public:
    explicit AlignOwner(const PanomerDoc* doc);

    // Copies the placements and starts the worker. False when one already runs, there is no
    // document or the system refuses the thread; nothing runs then. The progress: reading the
    // files is one step (moving file by file), each alignment another; ReachedCheckpoint gets the
    // alignments done so far (-1 while the files are read). Cancel is checked between files and
    // between photos.
    bool StartAlign();
    // How the run ended; read only once the worker is joined.
    const AlignResult& Result() const { return fResult; }

protected:
    void Work() override;

private:
    // A check with `aligned` photos aligned and `read` of the files read.
    bool GoOnAligning(int aligned, int read);

    const PanomerDoc* fDoc;
    AlignResult fResult;
};
