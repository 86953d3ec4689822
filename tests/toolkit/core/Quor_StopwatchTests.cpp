// The stopwatch: running time while started, a frozen reading once stopped.
#include <gtest/gtest.h>

#include "toolkit/core/Quor_Stopwatch.h"
#include "toolkit/core/Quor_Thread.h"

TEST(QuorStopwatch, ReadingFreezesWhenStopped)
{
    // Catches a stopwatch that reads before it starts or keeps running after Stop.
    Quor_Stopwatch watch;
    EXPECT_EQ(watch.ElapsedTime(), 0.0f);
    watch.Start();
    Quor_Snooze(30);
    watch.Stop();
    const float frozen = watch.ElapsedTime();
    EXPECT_GE(frozen, 0.025f);
    EXPECT_LT(frozen, 5.0f);
    Quor_Snooze(20);
    EXPECT_EQ(watch.ElapsedTime(), frozen);
    EXPECT_FALSE(watch.IsRunning());
}
