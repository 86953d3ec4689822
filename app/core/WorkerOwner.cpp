#include "app/core/WorkerOwner.h"

#include <chrono>

WorkerOwner::~WorkerOwner()
{
    Cancel();
}

bool WorkerOwner::StartWork(const char* name)
{
    if (HasWorker())
        return false;
    fCancel.store(false, std::memory_order_relaxed);
    fProgress.store(0.0f, std::memory_order_relaxed);
    {
        std::lock_guard<std::mutex> lock(fEndLock);
        fEnded = false;
    }
    fThread = Quor_SpawnThread(ThreadEntry, this, 2, name);
    return static_cast<bool>(fThread);
}

void WorkerOwner::Cancel()
{
    RequestCancel();
    Quor_WaitForThread(fThread);
}

void WorkerOwner::Join()
{
    Quor_WaitForThread(fThread);
}

bool WorkerOwner::WaitForEnd(int ms)
{
    std::unique_lock<std::mutex> lock(fEndLock);
    if (!fThread)
        return fEnded;
    return fEndSignal.wait_for(lock, std::chrono::milliseconds(ms), [this] { return fEnded; });
}

bool WorkerOwner::HasEnded()
{
    std::lock_guard<std::mutex> lock(fEndLock);
    return fEnded;
}

void WorkerOwner::WorkEnded()
{
}

void WorkerOwner::ProgressMade()
{
}

void WorkerOwner::ReachedCheckpoint(int done)
{
    (void)done;
}

bool WorkerOwner::GoOn(int done, float progress)
{
    ReachedCheckpoint(done);
    if (CancelRequested())
        return false;
    SetProgress(progress);
    ProgressMade();
    return true;
}

int WorkerOwner::ThreadEntry(void* owner)
{
    WorkerOwner* self = static_cast<WorkerOwner*>(owner);
    self->Work();
    {
        std::lock_guard<std::mutex> lock(self->fEndLock);
        self->fEnded = true;
    }
    self->fEndSignal.notify_all();
    self->WorkEnded();
    return 0;
}
