#include "toolkit/core/Quor_Mutex.h"

#include <atomic>
#include <cassert>
#include <chrono>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

struct Quor_MutexData {
    std::recursive_timed_mutex mutex;
    // The holder and its depth; written only by the holder while it holds the mutex, read by
    // others only to learn that they are not the holder.
    std::atomic<std::thread::id> owner{};
    int depth = 0;
};

namespace {

bool HeldByCaller(const Quor_MutexData* data)
{
    return data->owner.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

void NoteAcquired(Quor_MutexData* data)
{
    data->owner.store(std::this_thread::get_id(), std::memory_order_relaxed);
    ++data->depth;
}

}  // namespace

Quor_MutexHandle Quor_CreateMutex(const char* name)
{
    (void)name;
    return new (std::nothrow) Quor_MutexData;
}

void Quor_DestroyMutex(Quor_MutexHandle handle)
{
    if (handle == nullptr)
        return;
    while (HeldByCaller(handle) && handle->depth > 0)
        Quor_UnlockMutex(handle);
    delete handle;
}

bool Quor_LockMutex(Quor_MutexHandle handle, int timeoutMs)
{
    if (handle == nullptr)
        return false;
    bool locked = false;
    try {
        if (timeoutMs == 0) {
            locked = handle->mutex.try_lock();
        } else if (timeoutMs < 0) {
            handle->mutex.lock();
            locked = true;
        } else {
            locked = handle->mutex.try_lock_for(std::chrono::milliseconds(timeoutMs));
        }
    } catch (const std::system_error&) {
        locked = false;  // for example the recursion limit
    }
    if (locked)
        NoteAcquired(handle);
    return locked;
}

void Quor_UnlockMutex(Quor_MutexHandle handle)
{
    if (handle == nullptr)
        return;
    // Unlocking a mutex the thread does not hold is undefined; refuse it.
    assert(HeldByCaller(handle) && handle->depth > 0 && "unlocking a mutex this thread does not hold");
    if (!HeldByCaller(handle) || handle->depth <= 0)
        return;
    if (--handle->depth == 0)
        handle->owner.store(std::thread::id(), std::memory_order_relaxed);
    handle->mutex.unlock();
}

int Quor_MutexLockCount(Quor_MutexHandle handle)
{
    if (handle == nullptr || !HeldByCaller(handle))
        return 0;
    return handle->depth;
}
