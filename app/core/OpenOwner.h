// Opening a project on a worker thread, and the owner's side of it: start, wait a moment, cancel,
// join. The worker reads the file into a document of its own (ReadAnother), which the owner takes
// once the worker is joined, so the document the canvas draws is never written from the worker.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "app/core/PanomerDoc.h"
#include "toolkit/core/Quor_Path.h"
#include "toolkit/core/Quor_Thread.h"

enum class OpenStatus { kDone, kFailed, kCancelled };

// How an open ended. Only kDone carries a document; kFailed is a file that does not read as a
// project, or memory that ran short.
struct OpenResult {
    OpenStatus status = OpenStatus::kCancelled;
    std::unique_ptr<PanomerDoc> doc;
};

class OpenOwner {
public:
    // current: the open document, whose settings a file that leaves them out keeps; the worker
    // only reads it, and nothing may change it while the worker runs.
    explicit OpenOwner(const PanomerDoc* current);
    // A derived owner must end the run (CancelOpen or JoinOpen) in its own destructor: the worker
    // reports to it. This one cancels and joins only as a last resort.
    virtual ~OpenOwner();

    OpenOwner(const OpenOwner&) = delete;
    OpenOwner& operator=(const OpenOwner&) = delete;

    // --- The owner's side, on the thread that owns the owner ---

    // Starts the worker on the project at `path`. False when one already runs, there is no
    // document, or the system refuses the thread; nothing runs then.
    bool StartOpen(const char* path);
    // Waits up to `ms` milliseconds for the worker to report its end; true when it has.
    bool WaitForEnd(int ms);
    // Asks the worker to stop at its next photo; any thread.
    void RequestCancel() { fCancel.store(true, std::memory_order_relaxed); }
    bool CancelRequested() const { return fCancel.load(std::memory_order_relaxed); }
    // The user's Cancel: asks the worker to stop and waits for it. Safe at any moment, also after
    // the worker has reported its end or when none was started.
    void CancelOpen();
    // Waits for a worker that has reported its end (or is about to) and forgets it.
    void JoinOpen();
    // True once the worker has reported its end (and until the next start).
    bool HasEnded();
    // The share of the photos decoded, 0 to 1.
    float Progress() const { return fProgress.load(std::memory_order_relaxed); }
    // How the run ended, handed over once: read only once the worker is joined.
    OpenResult TakeResult() { return std::move(fResult); }

    // --- The worker's side ---

    // The worker's last call, on its own thread, once the result is complete. It must not touch
    // the user interface: an owner with windows hands the end to its event thread, which joins.
    virtual void OpenEnded();
    // Progress() has been brought up to date, before each photo is decoded; on any of the threads
    // that decode them, several at once. An owner with windows hands it to its event thread.
    virtual void ProgressMade();
    // Called before each check for Cancel, with the photos decoded so far, on the thread that
    // asks (several at once); a place for tests that cancel at an exact moment or slow the read.
    virtual void ReachedCheckpoint(int loaded);

private:
    static int ThreadEntry(void* owner);
    void Run();
    bool GoOn(int loaded, int count);

    const PanomerDoc* fCurrent;
    Quor_Path fPath;
    Quor_ThreadHandle fThread;
    std::atomic<bool> fCancel{false};
    std::atomic<float> fProgress{0.0f};
    std::mutex fEndLock;
    std::condition_variable fEndSignal;
    bool fEnded = false;
    OpenResult fResult;
};
