#include "app/core/OpenOwner.h"

#include <chrono>
#include <new>

OpenOwner::OpenOwner(const PanomerDoc* current)
    : fCurrent(current)
{
}

OpenOwner::~OpenOwner()
{
    CancelOpen();
}

bool OpenOwner::StartOpen(const char* path)
{
    if (fThread || fCurrent == nullptr || path == nullptr)
        return false;
    try {
        fPath = path;
    } catch (const std::bad_alloc&) {
        return false;
    }
    fCancel.store(false, std::memory_order_relaxed);
    fProgress.store(0.0f, std::memory_order_relaxed);
    fResult = OpenResult();
    {
        std::lock_guard<std::mutex> lock(fEndLock);
        fEnded = false;
    }
    fThread = Quor_SpawnThread(ThreadEntry, this, 2, "Open");
    return static_cast<bool>(fThread);
}

bool OpenOwner::WaitForEnd(int ms)
{
    std::unique_lock<std::mutex> lock(fEndLock);
    if (!fThread)
        return fEnded;
    return fEndSignal.wait_for(lock, std::chrono::milliseconds(ms), [this] { return fEnded; });
}

bool OpenOwner::HasEnded()
{
    std::lock_guard<std::mutex> lock(fEndLock);
    return fEnded;
}

void OpenOwner::CancelOpen()
{
    RequestCancel();
    Quor_WaitForThread(fThread);
}

void OpenOwner::JoinOpen()
{
    Quor_WaitForThread(fThread);
}

void OpenOwner::OpenEnded()
{
}

void OpenOwner::ProgressMade()
{
}

void OpenOwner::ReachedCheckpoint(int loaded)
{
    (void)loaded;
}

bool OpenOwner::GoOn(int loaded, int count)
{
    ReachedCheckpoint(loaded);
    if (fCancel.load(std::memory_order_relaxed))
        return false;
    fProgress.store(count > 0 ? static_cast<float>(loaded) / static_cast<float>(count) : 0.0f,
                    std::memory_order_relaxed);
    ProgressMade();
    return true;
}

int OpenOwner::ThreadEntry(void* owner)
{
    static_cast<OpenOwner*>(owner)->Run();
    return 0;
}

void OpenOwner::Run()
{
    bool cancelled = false;
    fResult.doc = fCurrent->ReadAnother(fPath, [this](int loaded, int count) { return GoOn(loaded, count); },
                                        &cancelled);
    if (fResult.doc) {
        fResult.status = OpenStatus::kDone;
        fProgress.store(1.0f, std::memory_order_relaxed);
    } else {
        fResult.status = cancelled ? OpenStatus::kCancelled : OpenStatus::kFailed;
    }
    {
        std::lock_guard<std::mutex> lock(fEndLock);
        fEnded = true;
    }
    fEndSignal.notify_all();
    OpenEnded();
}
