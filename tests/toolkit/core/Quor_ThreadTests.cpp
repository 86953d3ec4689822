// Thread handles: one owner per thread, waited for exactly once, whatever path the handle takes.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <type_traits>
#include <utility>

#include "toolkit/core/Quor_Thread.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Sleeps a little, then says it has finished: a handle that lets its thread go early is caught
// reading "not finished" after the wait.
int SleepThenFinish(void* arg)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    static_cast<std::atomic<bool>*>(arg)->store(true);
    return 0;
}

struct SelfWait {
    Quor_ThreadHandle handle;
    std::atomic<bool> go{false};
    std::atomic<bool> returned{false};
};

int WaitForMyself(void* arg)
{
    SelfWait* s = static_cast<SelfWait*>(arg);
    while (!s->go)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    Quor_WaitForThread(s->handle);
    s->returned = true;
    return 0;
}

}  // namespace

// A handle that can be copied is waited for once per copy: the second wait freed it twice.
static_assert(!std::is_copy_constructible_v<Quor_ThreadHandle> && !std::is_copy_assignable_v<Quor_ThreadHandle>);
static_assert(std::is_nothrow_move_constructible_v<Quor_ThreadHandle> &&
              std::is_nothrow_move_assignable_v<Quor_ThreadHandle>);

TEST(QuorThread, EveryThreadIsWaitedForExactlyOnceWhateverPathItsHandleTakes)
{
    // Catches a second wait that frees the handle again, a moved-from handle that still waits,
    // and handles destroyed or overwritten while their thread runs (a leak, or std::terminate).
    std::atomic<bool> waited{false};
    Quor_ThreadHandle handle = Quor_SpawnThread(SleepThenFinish, &waited, 2, "waited");
    ASSERT_TRUE(handle);
    Quor_WaitForThread(handle);
    EXPECT_TRUE(waited);
    EXPECT_FALSE(handle);
    Quor_WaitForThread(handle);  // a second wait does nothing

    std::atomic<bool> moved{false};
    {
        Quor_ThreadHandle first = Quor_SpawnThread(SleepThenFinish, &moved, 2, "moved");
        Quor_ThreadHandle second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_TRUE(second);
        const Clock::time_point start = Clock::now();
        Quor_WaitForThread(first);  // holds nothing any more: returns at once
        EXPECT_LT(MillisecondsSince(start), 20.0);
    }
    EXPECT_TRUE(moved);  // the destructor of the last holder waited

    std::atomic<bool> overwritten{false}, replacing{false};
    Quor_ThreadHandle target = Quor_SpawnThread(SleepThenFinish, &overwritten, 2, "overwritten");
    target = Quor_SpawnThread(SleepThenFinish, &replacing, 2, "replacing");
    EXPECT_TRUE(overwritten);  // the thread it held was waited for before the new one took its place
    EXPECT_TRUE(target);
    target = Quor_ThreadHandle();
    EXPECT_TRUE(replacing);
    EXPECT_FALSE(target);

    EXPECT_FALSE(Quor_SpawnThread(nullptr, nullptr, 0, "none"));
}

TEST(QuorThread, AThreadWaitingForItselfDoesNotDeadlock)
{
    // Catches a worker that ends its own export (and so waits for its own handle) hanging forever.
    SelfWait s;
    s.handle = Quor_SpawnThread(WaitForMyself, &s, 2, "self");
    ASSERT_TRUE(s.handle);
    s.go = true;
    const Clock::time_point start = Clock::now();
    while (!s.returned && MillisecondsSince(start) < 5000.0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(s.returned);
    EXPECT_FALSE(s.handle);  // let go: nobody is left to wait for it
}

TEST(QuorThread, SnoozeReturnsAtOnceForNonPositiveTimes)
{
    // Catches pauses that never return, or sleep anyway, for times of zero and below.
    const Clock::time_point start = Clock::now();
    Quor_Snooze(0);
    Quor_Snooze(-5);
    EXPECT_LT(MillisecondsSince(start), 20.0);
    Quor_Snooze(30);
    EXPECT_GE(MillisecondsSince(start), 29.0);
}
