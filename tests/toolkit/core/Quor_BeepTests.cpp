// The beep: a hook the platform installs, and silence until it does.
#include <gtest/gtest.h>

#include <atomic>

#include "toolkit/core/Quor_Beep.h"

namespace {

std::atomic<int> sBeeps{0};

void CountBeep(int)
{
    ++sBeeps;
}

}  // namespace

TEST(QuorBeep, BeepGoesThroughTheInstalledHook)
{
    // Catches a beep that ignores the platform's hook or crashes before one is installed.
    Quor_Beep(1);
    const Quor_BeepHook previous = Quor_SetBeepHook(CountBeep);
    Quor_Beep(3);
    EXPECT_EQ(Quor_SetBeepHook(previous), CountBeep);
    Quor_Beep(1);
    EXPECT_EQ(sBeeps, 1);
}
