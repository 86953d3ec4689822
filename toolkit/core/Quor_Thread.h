// Worker threads and pauses. A thread lives in a Quor_ThreadHandle, which owns it and can only be
// moved, never copied: whoever holds the handle is the one who waits for the thread, exactly once.
#pragma once

#include <thread>

// A thread's entry point; its result is ignored.
using Quor_ThreadEntry = int (*)(void* arg);

class Quor_ThreadHandle {
public:
    Quor_ThreadHandle() = default;
    Quor_ThreadHandle(Quor_ThreadHandle&& other) noexcept;
    // Waits for the thread this handle held, then takes over the other's.
    Quor_ThreadHandle& operator=(Quor_ThreadHandle&& other) noexcept;
    Quor_ThreadHandle(const Quor_ThreadHandle&) = delete;
    Quor_ThreadHandle& operator=(const Quor_ThreadHandle&) = delete;
    // Waits for a thread still held, so a handle never leaks its thread or ends the process.
    ~Quor_ThreadHandle();

    // True while the handle holds a thread that has not been waited for.
    explicit operator bool() const { return fThread.joinable(); }

private:
    friend Quor_ThreadHandle Quor_SpawnThread(Quor_ThreadEntry, void*, int, const char*);
    friend void Quor_WaitForThread(Quor_ThreadHandle& handle);

    // Joins the thread and empties the handle. A thread waiting for itself cannot join; it is
    // let go to finish on its own rather than deadlock.
    void Wait() noexcept;

    std::thread fThread;
};

// Starts a thread that calls entry(arg). The priority and name are accepted and not used.
// The handle is empty when entry is null or the system refuses the thread (nothing runs then).
Quor_ThreadHandle Quor_SpawnThread(Quor_ThreadEntry entry, void* arg, int priority, const char* name);
// Waits for the thread to end and empties the handle; nothing for an empty handle, so waiting
// twice is harmless.
void Quor_WaitForThread(Quor_ThreadHandle& handle);
// Sleeps for ms milliseconds; returns at once for ms < 1.
void Quor_Snooze(int ms);
