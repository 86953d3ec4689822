// Threads, recursive and timed locks, pauses, the stopwatch and the beep hook.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "toolkit/core/Quor_Beep.h"
#include "toolkit/core/Quor_Locker.h"
#include "toolkit/core/Quor_Mutex.h"
#include "toolkit/core/Quor_Stopwatch.h"
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

std::atomic<int> sBeeps{0};

void CountBeep(int)
{
    ++sBeeps;
}

}  // namespace

TEST(CoreMutex, TriesAndTimedWaitsFailWhileAnotherThreadHoldsIt)
{
    // Catches a try that waits, a timed lock that gives up early or never, a lost recursion count,
    // and a worker that is never joined.
    Holder holder;
    holder.mutex = Quor_CreateMutex("Kill Render");
    ASSERT_NE(holder.mutex, nullptr);
    Quor_ThreadHandle thread = Quor_SpawnThread(HoldLock, &holder, 2, "holder");
    ASSERT_NE(thread, nullptr);
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
    Quor_WaitForThread(thread);   // joined: a thread left running would terminate the program
    Quor_WaitForThread(nullptr);
    EXPECT_EQ(Quor_SpawnThread(nullptr, nullptr, 0, "none"), nullptr);
    EXPECT_FALSE(Quor_LockMutex(nullptr, -1));
    Quor_UnlockMutex(nullptr);
    Quor_DestroyMutex(holder.mutex);
    Quor_DestroyMutex(nullptr);

    Quor_Locker locker("font");  // recursive too
    EXPECT_TRUE(locker.InitCheck() && locker.Lock() && locker.Lock(0));
    locker.Unlock();
    locker.Unlock();
}

TEST(CoreTiming, SnoozeAndStopwatch)
{
    // Catches pauses that never return for non-positive times and a stopwatch that keeps running after Stop.
    Clock::time_point start = Clock::now();
    Quor_Snooze(0);
    Quor_Snooze(-5);
    EXPECT_LT(MillisecondsSince(start), 20.0);

    Quor_Stopwatch watch;
    EXPECT_EQ(watch.ElapsedTime(), 0.0f);
    watch.Start();
    start = Clock::now();
    Quor_Snooze(30);
    EXPECT_GE(MillisecondsSince(start), 29.0);
    watch.Stop();
    const float frozen = watch.ElapsedTime();
    EXPECT_GE(frozen, 0.025f);
    EXPECT_LT(frozen, 5.0f);
    Quor_Snooze(20);
    EXPECT_EQ(watch.ElapsedTime(), frozen);
    EXPECT_FALSE(watch.IsRunning());
}

TEST(CoreTiming, BeepGoesThroughTheInstalledHook)
{
    // Catches a beep that ignores the platform's hook or crashes before one is installed.
    Quor_Beep(1);
    const Quor_BeepHook previous = Quor_SetBeepHook(CountBeep);
    Quor_Beep(3);
    EXPECT_EQ(Quor_SetBeepHook(previous), CountBeep);
    Quor_Beep(1);
    EXPECT_EQ(sBeeps, 1);
}
