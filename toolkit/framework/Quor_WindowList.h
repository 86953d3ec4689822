// The windows that exist, by the framework's window id (never reused) and by the host's id.
// Code that may outlive a window (posted work, timers, the event dispatch after a close) keeps
// the id and looks the window up again instead of keeping a pointer.
#pragma once

#include <cstdint>
#include <vector>

class Quor_Wnd;

class Quor_WindowList {
public:
    // A new id (never 0, never given before) for the window.
    static uint32_t Register(Quor_Wnd* window);
    static void Unregister(Quor_Wnd* window);
    // Null when no living window has the id.
    static Quor_Wnd* Find(uint32_t id);
    static Quor_Wnd* FindByHost(uint32_t hostWindow);
    // The living windows, oldest first.
    static std::vector<Quor_Wnd*> All();
    static int Count();
};
