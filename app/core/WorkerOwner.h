// A long job on a worker thread, and the owner's side of it: start, wait a moment, cancel, join.
// The worker reports its progress and its end through the virtual calls below, on its own thread;
// an owner with windows hands them to its event thread. What the job makes is kept by the derived
// owner and read only once the worker is joined.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "toolkit/core/Quor_Thread.h"

class WorkerOwner {
public:
    WorkerOwner() = default;
    // A derived owner must end the run (Cancel or Join) in its own destructor: the worker reports
    // to it. This one cancels and joins only as a last resort.
    virtual ~WorkerOwner();

    WorkerOwner(const WorkerOwner&) = delete;
    WorkerOwner& operator=(const WorkerOwner&) = delete;

    // --- The owner's side, on the thread that owns the owner ---

    // Asks the worker to stop at its next check; any thread.
    void RequestCancel() { fCancel.store(true, std::memory_order_relaxed); }
    bool CancelRequested() const { return fCancel.load(std::memory_order_relaxed); }
    // The user's Cancel: asks the worker to stop and waits for it. Safe at any moment, also after
    // the worker has reported its end or when none was started.
    void Cancel();
    // Waits for a worker that has reported its end (or is about to) and forgets it.
    void Join();
    // Waits up to `ms` milliseconds for the worker to report its end; true when it has.
    bool WaitForEnd(int ms);
    // True once the worker has reported its end (and until the next start).
    bool HasEnded();
    // The share of the job done, 0 to 1.
    float Progress() const { return fProgress.load(std::memory_order_relaxed); }

    // --- The worker's side ---

    // The worker's last call, on its own thread, once the job's result is complete. It must not
    // touch the user interface: an owner with windows hands the end to its event thread, which
    // joins.
    virtual void WorkEnded();
    // Progress() has been brought up to date; on whichever thread the job made the step on,
    // perhaps several at once.
    virtual void ProgressMade();
    // Called just before each check for Cancel, with the job's own count of what it has done; a
    // place for tests that cancel at an exact moment or slow the job down.
    virtual void ReachedCheckpoint(int done);

protected:
    // Clears the Cancel, the progress and the end, then runs Work() on a new thread named `name`.
    // False when a worker already runs or the system refuses the thread; nothing runs then.
    bool StartWork(const char* name);
    // The job, on the worker thread.
    virtual void Work() = 0;
    // A check between two steps of the job, with `done` for ReachedCheckpoint: false when the job
    // must stop, else `progress` is stored and reported.
    bool GoOn(int done, float progress);
    void SetProgress(float progress) { fProgress.store(progress, std::memory_order_relaxed); }
    // True from a start until the join: the job's data belongs to the worker meanwhile.
    bool HasWorker() const { return static_cast<bool>(fThread); }

private:
    static int ThreadEntry(void* owner);

    Quor_ThreadHandle fThread;
    std::atomic<bool> fCancel{false};
    std::atomic<float> fProgress{0.0f};
    std::mutex fEndLock;
    std::condition_variable fEndSignal;
    bool fEnded = false;
};
