// Work handed to the event thread from any thread: each item names a window by its id and runs
// on the event thread under that window's lock, or is dropped when the window has closed in the
// meantime. Export workers report their end this way instead of touching the interface.
#pragma once

#include <cstdint>
#include <functional>

class Quor_Wnd;

class Quor_PostQueue {
public:
    // Queues the task and wakes the event loop. False when it cannot be queued (out of memory,
    // or the toolkit is shut down); the task is then dropped on the calling thread.
    static bool Post(uint32_t windowId, std::function<void(Quor_Wnd*)> task);
    // Event thread: runs the tasks queued so far, in order; a task whose window is gone is
    // destroyed without running. Returns how many ran.
    static int Deliver();
    // Whether tasks are waiting.
    static bool Pending();
    // Accepting posts (after the toolkit starts) or refusing them and dropping the queued ones
    // (when it shuts down).
    static void SetOpen(bool open);
};
