// Recursive and timed locks, tried and held across threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "toolkit/core/Quor_Locker.h"
#include "toolkit/core/Quor_Mutex.h"
#include "toolkit/core/Quor_Thread.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Holder {
    Quor_MutexHandle mutex = nullptr;
    std::atomic<bool> holding{false};
    std::atomic<bool> release{false};
    std::atomic<bool> recursiveOk{false};
};

int HoldLock(void* arg)
{
    Holder* h = static_cast<Holder*>(arg);
    Quor_LockMutex(h->mutex, -1);
    // The owner may take it again at once, and must release it as often.
    h->recursiveOk = Quor_LockMutex(h->mutex, 0) && Quor_MutexLockCount(h->mutex) == 2;
    Quor_UnlockMutex(h->mutex);
    h->holding = true;
    while (!h->release)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    Quor_UnlockMutex(h->mutex);
    return 0;
}

}  // namespace

TEST(QuorMutex, TriesAndTimedWaitsFailWhileAnotherThreadHoldsIt)
{
    // Catches a try that waits, a timed lock that gives up early or never, a lost recursion count,
    // and a worker that is never joined.
    Holder holder;
    holder.mutex = Quor_CreateMutex("Kill Render");
    ASSERT_NE(holder.mutex, nullptr);
    Quor_ThreadHandle thread = Quor_SpawnThread(HoldLock, &holder, 2, "holder");
    ASSERT_TRUE(thread);
    while (!holder.holding)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(holder.recursiveOk);

    Clock::time_point start = Clock::now();
    EXPECT_FALSE(Quor_LockMutex(holder.mutex, 0));
    EXPECT_LT(MillisecondsSince(start), 50.0);
    start = Clock::now();
    EXPECT_FALSE(Quor_LockMutex(holder.mutex, 100));
    EXPECT_GE(MillisecondsSince(start), 90.0);
    EXPECT_EQ(Quor_MutexLockCount(holder.mutex), 0);

    holder.release = true;
    EXPECT_TRUE(Quor_LockMutex(holder.mutex, 5000));
    EXPECT_TRUE(Quor_LockMutex(holder.mutex, 0));
    EXPECT_EQ(Quor_MutexLockCount(holder.mutex), 2);
    Quor_UnlockMutex(holder.mutex);
    Quor_UnlockMutex(holder.mutex);
    Quor_WaitForThread(thread);
    EXPECT_FALSE(Quor_LockMutex(nullptr, -1));
    Quor_UnlockMutex(nullptr);
    Quor_DestroyMutex(holder.mutex);
    Quor_DestroyMutex(nullptr);

    Quor_Locker locker("font");  // recursive too
    EXPECT_TRUE(locker.InitCheck() && locker.Lock() && locker.Lock(0));
    locker.Unlock();
    locker.Unlock();
}
