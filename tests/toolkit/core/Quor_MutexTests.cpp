// Recursive and timed locks, tried and held across threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

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
    std::atomic<bool> holding{false}, release{false}, recursiveOk{false};
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
    EXPECT_TRUE(Quor_LockMutex(holder.mutex, 5000) && Quor_LockMutex(holder.mutex, 0));
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

TEST(QuorMutex, HoldersExcludeEachOtherWhateverTheirWaitMode)
{
    // Catches a lock that lets two threads in at once (a try or a timed wait that takes a lock
    // another thread holds, a recursive take by a thread that is not the holder) or that loses
    // a release, so that later waiters hang or give up.
    Quor_MutexHandle mutex = Quor_CreateMutex("shared");
    ASSERT_NE(mutex, nullptr);
    const int kWaits[] = {-1, 0, 20, 1};  // without limit, one try, timed, timed and short
    const int kRounds = 2000;
    int inside = 0, total = 0;
    std::atomic<int> taken{0}, overlaps{0};
    std::vector<std::thread> threads;
    for (int wait : kWaits) {
        threads.emplace_back([&, wait] {
            for (int round = 0; round < kRounds; ++round) {
                if (!Quor_LockMutex(mutex, wait))
                    continue;
                if (!Quor_LockMutex(mutex, wait) || Quor_MutexLockCount(mutex) != 2)
                    overlaps.fetch_add(1);
                if (++inside != 1)
                    overlaps.fetch_add(1);
                ++total;
                std::this_thread::yield();
                --inside;
                Quor_UnlockMutex(mutex);
                Quor_UnlockMutex(mutex);
                taken.fetch_add(1);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_EQ(total, taken.load());
    EXPECT_GE(taken.load(), kRounds);  // the waiter without limit never gives up
    EXPECT_TRUE(Quor_LockMutex(mutex, 0));
    Quor_DestroyMutex(mutex);  // still held twice is allowed: freed whole
}

TEST(QuorMutex, AWaiterGetsTheLockOnlyAfterTheHoldersLastUnlock)
{
    // Catches a release at the first of several unlocks, and a timed waiter that is not woken
    // by the release (it would take the lock only at the end of its wait).
    Quor_MutexHandle mutex = Quor_CreateMutex("nested");
    ASSERT_NE(mutex, nullptr);
    ASSERT_TRUE(Quor_LockMutex(mutex, -1));
    ASSERT_TRUE(Quor_LockMutex(mutex, 100));
    std::atomic<int> got{-1};
    std::thread waiter([&] {
        const bool locked = Quor_LockMutex(mutex, 60000);
        got = locked ? Quor_MutexLockCount(mutex) : 0;
        if (locked)
            Quor_UnlockMutex(mutex);
    });
    Quor_UnlockMutex(mutex);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(got.load(), -1);  // still held once
    EXPECT_EQ(Quor_MutexLockCount(mutex), 1);
    const Clock::time_point start = Clock::now();
    Quor_UnlockMutex(mutex);
    waiter.join();
    EXPECT_LT(MillisecondsSince(start), 30000.0);
    EXPECT_TRUE(got.load() == 1 && Quor_MutexLockCount(mutex) == 0) << got.load();
    Quor_DestroyMutex(mutex);
}
