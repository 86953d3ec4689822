// A recursive mutex as an object: made by the constructor, freed by the destructor. The font
// engine and other shared services serialise their callers with one.
#pragma once

#include "toolkit/core/Quor_Mutex.h"

class Quor_Locker {
public:
    explicit Quor_Locker(const char* name = nullptr);
    virtual ~Quor_Locker();
    Quor_Locker(const Quor_Locker&) = delete;
    Quor_Locker& operator=(const Quor_Locker&) = delete;

    // As Quor_LockMutex: 0 tries once, below 0 waits without limit, above 0 waits that long.
    bool Lock(int timeoutMs = -1) { return Quor_LockMutex(fMutex, timeoutMs); }
    void Unlock() { Quor_UnlockMutex(fMutex); }
    // False when the mutex could not be made; Lock then always fails.
    bool InitCheck() const { return fMutex != nullptr; }

private:
    Quor_MutexHandle fMutex;
};
