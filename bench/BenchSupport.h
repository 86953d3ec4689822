// What the benchmark programs share: reading a WxH option and the process's CPU time and peak
// memory, so that every benchmark reports them the same way.
#pragma once

#include <sys/resource.h>

#include <cstdio>
#include <ctime>

namespace BenchSupport {

// "4000x3000" into its two positive numbers.
inline bool ParseSize(const char* text, int* width, int* height)
{
    return std::sscanf(text, "%dx%d", width, height) == 2 && *width > 0 && *height > 0;
}

// CPU time of the whole process, over all its threads: on a machine shared with other work it
// measures more steadily than the wall clock does.
inline double CpuSeconds()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The process's largest resident size so far, in MB (2^20 bytes).
inline double PeakMegabytes()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in kilobytes
}

}  // namespace BenchSupport
