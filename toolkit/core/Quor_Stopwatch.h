// Elapsed time in seconds from the monotonic microsecond clock. Elapsed times are taken from
// the low 32 bits of the counter, so they wrap after 2^32 microseconds (about 71.6 minutes).
#pragma once

#include <cstdint>

class Quor_Stopwatch {
public:
    void Start();
    // While running, the time since Start; after Stop, the time at Stop.
    float ElapsedTime();
    void Stop();
    bool IsRunning() const { return fRunning; }

    // The monotonic clock in microseconds (CLOCK_MONOTONIC).
    static uint64_t Microseconds();

private:
    bool fRunning = false;
    float fElapsed = 0.0f;
    uint64_t fStart = 0;
};
