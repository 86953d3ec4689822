// The repeating timers of all windows, kept by the event loop on its own clock: each timer has
// a deadline; the loop waits until the next one and fires the due ones on the event thread. A
// timer that falls behind fires once and then keeps its period from now, instead of firing a
// burst to catch up. Timers belong to a window by its id (Quor_Wnd::Id, never reused), so a
// window made where a closed one lay in memory never fires the closed one's timers.
#pragma once

#include <cstdint>
#include <vector>

class Quor_Handler;

class Quor_TimerScheduler {
public:
    struct Due {
        uint32_t window;   // the window's id
        unsigned int id;
    };

    // Shortest and longest periods accepted; a timer asked for a period outside is refused.
    static constexpr double kMinSeconds = 0.001;
    static constexpr double kMaxSeconds = 86400.0;

    // A timer of the window with this id, first due one period after now. False (nothing kept)
    // for a period that is not finite or outside the range above, for id 0, or for an id the
    // window already uses.
    static bool Add(uint32_t window, unsigned int id, double seconds, Quor_Handler* target,
                    int what, uint64_t nowMicros);
    static void Remove(uint32_t window, unsigned int id);
    static void RemoveAll(uint32_t window);
    // Drops every timer whose target is this handler (it is being destroyed).
    static void ForgetTarget(const Quor_Handler* target);

    static int Count(uint32_t window);
    static bool Has(uint32_t window, unsigned int id);
    static unsigned int LargestId(uint32_t window);
    // The target and what-code of a timer; false when there is no such timer.
    static bool Lookup(uint32_t window, unsigned int id, Quor_Handler** target, int* what);

    // Milliseconds until the next deadline (rounded up), 0 when one is due, -1 without timers.
    static int MillisecondsToNext(uint64_t nowMicros);
    // The timers due at now, earliest deadline first, each moved on to its next deadline.
    static std::vector<Due> TakeDue(uint64_t nowMicros);
};
