// Thread handles: one owner per thread, waited for exactly once, whatever path the handle takes;
// loops spread over several threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "toolkit/core/Quor_Parallel.h"
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
    std::atomic<bool> go{false}, returned{false};
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
    EXPECT_TRUE(waited && !handle);
    Quor_WaitForThread(handle);  // a second wait does nothing

    std::atomic<bool> moved{false};
    {
        Quor_ThreadHandle first = Quor_SpawnThread(SleepThenFinish, &moved, 2, "moved");
        Quor_ThreadHandle second(std::move(first));
        EXPECT_TRUE(!first && second);
        const Clock::time_point start = Clock::now();
        Quor_WaitForThread(first);  // holds nothing any more: returns at once
        EXPECT_LT(MillisecondsSince(start), 20.0);
    }
    EXPECT_TRUE(moved);  // the destructor of the last holder waited

    std::atomic<bool> overwritten{false}, replacing{false};
    Quor_ThreadHandle target = Quor_SpawnThread(SleepThenFinish, &overwritten, 2, "overwritten");
    target = Quor_SpawnThread(SleepThenFinish, &replacing, 2, "replacing");
    EXPECT_TRUE(overwritten && target);  // the thread it held was waited for before the new one took its place
    target = Quor_ThreadHandle();
    EXPECT_TRUE(replacing && !target);

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

TEST(QuorParallel, EveryIndexRunsExactlyOnceOnAsManyThreadsAsAllowed)
{
    // Catches an index run twice or skipped (a racy counter), work left on a thread that was
    // never joined (the loop returning early), more threads than the count set or the limit
    // given, and a count of threads that ignores SetThreads.
    const struct {
        int setThreads, count, maxThreads, threadsAtMost;
    } cases[] = {{1, 1000, 0, 1}, {2, 1000, 0, 2}, {8, 1000, 0, 8}, {8, 3, 0, 3}, {8, 1000, 2, 2}, {4, 0, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE("threads " + std::to_string(c.setThreads) + ", count " + std::to_string(c.count));
        Quor_Parallel::SetThreads(c.setThreads);
        EXPECT_EQ(Quor_Parallel::Threads(), c.setThreads);
        std::vector<std::atomic<int>> runs(static_cast<size_t>(c.count));
        std::mutex lock;
        std::set<std::thread::id> seen;
        Quor_Parallel::For(
            c.count,
            [&](int i) {
                runs[static_cast<size_t>(i)].fetch_add(1);
                std::this_thread::sleep_for(std::chrono::microseconds(50));
                std::lock_guard<std::mutex> hold(lock);
                seen.insert(std::this_thread::get_id());
            },
            c.maxThreads);
        for (int i = 0; i < c.count; ++i)
            ASSERT_EQ(runs[static_cast<size_t>(i)].load(), 1) << "index " << i;
        EXPECT_LE(static_cast<int>(seen.size()), c.threadsAtMost);
        if (c.threadsAtMost == 1) {
            EXPECT_EQ(seen.count(std::this_thread::get_id()), 1u) << "one thread is the caller's";
        }
    }
    Quor_Parallel::SetThreads(0);
    EXPECT_GE(Quor_Parallel::Threads(), 1);
}
