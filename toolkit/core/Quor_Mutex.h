// Recursive mutexes for windows, the application object and the export cancel signal: the
// owning thread may lock one again and must unlock it as often.
#pragma once

struct Quor_MutexData;
// An opaque handle to a recursive mutex; null for none.
using Quor_MutexHandle = Quor_MutexData*;

// The name is accepted and not used. Returns null when the mutex cannot be made.
Quor_MutexHandle Quor_CreateMutex(const char* name);
// Frees the mutex, releasing what the calling thread still holds of it; nothing for null.
// No other thread may hold or wait for it.
void Quor_DestroyMutex(Quor_MutexHandle handle);
// timeoutMs 0: one try without waiting; below 0: waits without limit; above 0: waits at most
// that long. True when the calling thread now holds the lock; false for null.
bool Quor_LockMutex(Quor_MutexHandle handle, int timeoutMs);
// Releases one level of the calling thread's hold; nothing for null or for a mutex the calling
// thread does not hold.
void Quor_UnlockMutex(Quor_MutexHandle handle);
// How many times the calling thread holds the mutex (0 when it does not), so that a caller that
// must release it completely (a modal loop) can release and later retake exactly that many.
int Quor_MutexLockCount(Quor_MutexHandle handle);
