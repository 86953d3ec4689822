#include "toolkit/core/Quor_Mutex.h"

#include <cassert>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

// The recursive lock is a plain mutex that guards who holds it and how often, and a condition
// that waiters sleep on until the holder lets go. Timed waits are waits on the condition up to a
// deadline, so every step is an ordinary lock, unlock or wait that thread checkers understand.
struct Quor_MutexData {
    std::mutex guard;
    std::condition_variable released;
    std::thread::id owner;  // guarded by guard; no thread while depth is 0
    int depth = 0;          // guarded by guard
};

Quor_MutexHandle Quor_CreateMutex(const char* name)
{
    (void)name;
    return new (std::nothrow) Quor_MutexData;
}

void Quor_DestroyMutex(Quor_MutexHandle handle)
{
    if (handle == nullptr)
        return;
    // No other thread may hold or wait for it, so what the caller holds is all there is.
    delete handle;
}

bool Quor_LockMutex(Quor_MutexHandle handle, int timeoutMs)
{
    if (handle == nullptr)
        return false;
    const std::thread::id self = std::this_thread::get_id();
    try {
        std::unique_lock<std::mutex> lock(handle->guard);
        if (handle->owner == self && handle->depth > 0) {
            if (handle->depth == INT_MAX)
                return false;
            ++handle->depth;
            return true;
        }
        auto isFree = [handle] { return handle->depth == 0; };
        if (timeoutMs == 0) {
            if (!isFree())
                return false;
        } else if (timeoutMs < 0) {
            handle->released.wait(lock, isFree);
        } else {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
            if (!handle->released.wait_until(lock, deadline, isFree))
                return false;
        }
        handle->owner = self;
        handle->depth = 1;
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

void Quor_UnlockMutex(Quor_MutexHandle handle)
{
    if (handle == nullptr)
        return;
    try {
        std::lock_guard<std::mutex> lock(handle->guard);
        const bool held = handle->owner == std::this_thread::get_id() && handle->depth > 0;
        // Unlocking a mutex the thread does not hold is a caller's mistake; refuse it.
        assert(held && "unlocking a mutex this thread does not hold");
        if (!held)
            return;
        if (--handle->depth == 0) {
            handle->owner = std::thread::id();
            // Woken while the guard is held, so a waiter cannot take the lock and free the
            // mutex before this thread is done with it.
            handle->released.notify_one();
        }
    } catch (const std::system_error&) {
    }
}

int Quor_MutexLockCount(Quor_MutexHandle handle)
{
    if (handle == nullptr)
        return 0;
    try {
        std::lock_guard<std::mutex> lock(handle->guard);
        return handle->owner == std::this_thread::get_id() ? handle->depth : 0;
    } catch (const std::system_error&) {
        return 0;
    }
}
