// One call into a window under its lock: the lock is taken for the call's duration and given
// back only while the window still exists, since the call may close the window, and its lock
// goes with it. Code that calls into a window keeps one of these instead of the window's pointer.
#pragma once

#include <cstdint>

class Quor_Wnd;

class Quor_WindowCall {
public:
    // Locks the window, waiting without limit.
    explicit Quor_WindowCall(Quor_Wnd* window);
    ~Quor_WindowCall();
    Quor_WindowCall(const Quor_WindowCall&) = delete;
    Quor_WindowCall& operator=(const Quor_WindowCall&) = delete;

    // Whether the window still exists (it may have closed during the call).
    bool Alive() const;

private:
    Quor_Wnd* fWindow;
    uint32_t fId;
};
