// Align All on a worker thread, and the owner's side of it: start, cancel, join. The worker reads
// the document (the photos' files and pixels, which nothing changes while it runs) and turns its
// own copy of the placements; the owner applies them once the worker is joined, so the document
// the canvas draws is never written from the worker.
#pragma once

#include <atomic>

#include "app/core/PhotoAlign.h"
#include "toolkit/core/Quor_Thread.h"

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

class AlignOwner {
public:
    explicit AlignOwner(const PanomerDoc* doc);
    // A derived owner must end the run (CancelAlign or JoinAlign) in its own destructor: the
    // worker reports to it. This one cancels and joins only as a last resort.
    virtual ~AlignOwner();

    AlignOwner(const AlignOwner&) = delete;
    AlignOwner& operator=(const AlignOwner&) = delete;

    // --- The owner's side, on the thread that owns the owner ---

    // Copies the placements and starts the worker. False when one already runs, there is no
    // document or the system refuses the thread; nothing runs then.
    bool StartAlign();
    // Asks the worker to stop at its next check (between files and between photos); any thread.
    void RequestCancel() { fCancel.store(true, std::memory_order_relaxed); }
    // The user's Cancel: asks the worker to stop and waits for it. Safe at any moment, also after
    // the worker has reported its end or when none was started.
    void CancelAlign();
    // Waits for a worker that has reported its end (or is about to) and forgets it.
    void JoinAlign();
    bool IsAligning() const { return static_cast<bool>(fThread); }
    // The share of the run done, 0 to 1: reading the files is one step (moving file by file),
    // each alignment another.
    float Progress() const { return fProgress.load(std::memory_order_relaxed); }
    // How the run ended; read only once the worker is joined.
    const AlignResult& Result() const { return fResult; }

    // --- The worker's side ---

    // The worker's last call, on its own thread, once Result() is complete. It must not touch the
    // user interface: an owner with windows hands the end to its event thread, which joins.
    virtual void AlignEnded();
    // Worker thread: Progress() has been brought up to date, before every file read and every
    // alignment. An owner with windows hands it to its event thread.
    virtual void ProgressMade();
    // Called on the worker thread just before each check for Cancel, with the alignments done so
    // far (-1 while the files are read); a place for tests that cancel at an exact moment.
    virtual void ReachedCheckpoint(int aligned);

private:
    static int ThreadEntry(void* owner);
    void Run();
    // A check with `aligned` photos aligned and `read` of the files read: false when the run must
    // stop, else the progress is stored and reported.
    bool GoOn(int aligned, int read);

    const PanomerDoc* fDoc;
    Quor_ThreadHandle fThread;
    std::atomic<bool> fCancel{false};
    std::atomic<float> fProgress{0.0f};
    AlignResult fResult;
};
