// Work spread over the machine's cores: a loop whose iterations run on several threads at once,
// each index exactly once, returning when every one has run.
#pragma once

#include <functional>

class Quor_Parallel {
public:
    // The threads a loop may use: the count set with SetThreads, otherwise the machine's cores.
    static int Threads();
    // n >= 1 sets the count (a user who wants fewer threads, a test that compares counts); 0
    // goes back to the machine's cores. Not to be changed while a loop runs.
    static void SetThreads(int n);

    // Calls body(i) for every i in [0, count), on up to min(Threads(), maxThreads) threads with
    // the caller's among them (maxThreads 0: no further limit). Indices are handed out in
    // increasing order as threads become free. A thread the system refuses leaves its share to
    // the others; with one thread, or one index, everything runs on the caller's thread. The
    // body must not throw.
    static void For(int count, const std::function<void(int index)>& body, int maxThreads = 0);
};
