// What the event loop keeps from one event to the next: whether the program is to quit, the
// windows whose modal loops run, a quit request held back until they have ended, the keyboard's
// composition state and the cursor last shown. The application object owns one, so each
// application starts with a fresh loop; without an application (a tool, a test) the toolkit
// keeps one from its start to its end.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "toolkit/framework/Quor_KeyComposer.h"

struct Quor_EventLoopState {
    // Any thread: the outermost loop is to end; every loop is to end (a test backend found
    // nothing left to do).
    std::atomic<bool> quit{false};
    std::atomic<bool> aborted{false};
    // Event thread only from here on.
    // Ids of the windows whose modal loops run, innermost last.
    std::vector<uint32_t> modalStack;
    // The desktop asked to quit while a modal loop ran; the outer loop hands the request on.
    bool quitHeld = false;
    Quor_KeyComposer keys;
    uintptr_t shownCursor = 0;
    bool cursorKnown = false;
};
