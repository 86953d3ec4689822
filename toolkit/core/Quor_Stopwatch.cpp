#include "toolkit/core/Quor_Stopwatch.h"

#include <time.h>

uint64_t Quor_Stopwatch::Microseconds()
{
    struct timespec now;
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0)
        return 0;
    return static_cast<uint64_t>(now.tv_sec) * 1000000u + static_cast<uint64_t>(now.tv_nsec) / 1000u;
}

void Quor_Stopwatch::Start()
{
    fStart = Microseconds();
    fElapsed = 0.0f;
    fRunning = true;
}

float Quor_Stopwatch::ElapsedTime()
{
    if (fRunning) {
        const uint32_t difference = static_cast<uint32_t>(Microseconds()) - static_cast<uint32_t>(fStart);
        fElapsed = static_cast<float>(difference) / 1000000.0f;
    }
    return fElapsed;
}

void Quor_Stopwatch::Stop()
{
    fElapsed = ElapsedTime();
    fRunning = false;
}
