#include "toolkit/core/Quor_Beep.h"

#include <atomic>

namespace {

std::atomic<Quor_BeepHook> sBeepHook{nullptr};

}  // namespace

void Quor_Beep(int n)
{
    if (Quor_BeepHook hook = sBeepHook.load(std::memory_order_acquire))
        hook(n);
}

Quor_BeepHook Quor_SetBeepHook(Quor_BeepHook hook)
{
    return sBeepHook.exchange(hook, std::memory_order_acq_rel);
}
