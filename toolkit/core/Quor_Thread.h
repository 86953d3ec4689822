// Worker threads and pauses: a thread started with Quor_SpawnThread is always joined by
// Quor_WaitForThread, which also frees its handle.
#pragma once

struct Quor_ThreadData;
// An opaque handle to a running or finished thread; null for none.
using Quor_ThreadHandle = Quor_ThreadData*;
// A thread's entry point; its result is ignored.
using Quor_ThreadEntry = int (*)(void* arg);

// Starts a thread that calls entry(arg). The priority and name are accepted and not used.
// Returns null when entry is null or the system refuses the thread (nothing is started then).
Quor_ThreadHandle Quor_SpawnThread(Quor_ThreadEntry entry, void* arg, int priority, const char* name);
// Waits for the thread to end and frees the handle; nothing for null.
void Quor_WaitForThread(Quor_ThreadHandle handle);
// Sleeps for ms milliseconds; returns at once for ms < 1.
void Quor_Snooze(int ms);
