// One event as a host backend reports it, before the framework translates it: positions in the
// host window's client area, the host's button numbering, raw modifier keys and key characters.
#pragma once

#include <cstdint>
#include <string>

// Modifier keys held, as the host sees them. Which toolkit bits they become is decided once, in
// Quor_InputMap.
enum Quor_HostModifier : unsigned int {
    QUOR_HOST_SHIFT = 1,
    QUOR_HOST_CTRL = 2,
    QUOR_HOST_ALT = 4,      // the left Alt key
    QUOR_HOST_SUPER = 8,
    QUOR_HOST_ALTGR = 16,   // the right Alt key as a level shift: composes text, sets no bit
    QUOR_HOST_CAPS = 32,
};

// Buttons of Quor_Host::GlobalMouse, as a bit mask.
enum Quor_HostButtonMask : unsigned int {
    QUOR_HOST_BUTTON_LEFT = 1,
    QUOR_HOST_BUTTON_RIGHT = 2,
    QUOR_HOST_BUTTON_MIDDLE = 4,
};

struct Quor_HostEvent {
    enum Kind : int {
        kNone = 0,
        kMouseDown,   // x, y, button, modifiers
        kMouseUp,     // x, y, button, modifiers
        kMouseMove,   // x, y, modifiers
        kWheel,       // x, y, wheelX, wheelY (positive is away from the user), modifiers
        kKeyDown,     // hostChar, functionKeys, modifiers
        kText,        // text: UTF-8 typed text
        kExpose,      // the window's pixels were lost and must be presented again
        kResized,     // width, height: the client area's new size
        kMoved,       // x, y: the client area's new top-left on the screen
        kClose,       // the user or the window manager asks the window to close
        kDropFile,    // text: the dropped file's path (the position is read at the drop)
        kEnter,       // the pointer entered the window
        kLeave,       // the pointer left the window
        kQuit,        // the desktop asks the program to quit (SIGTERM, session end)
    };

    Kind kind = kNone;
    // The host's id of the window the event belongs to; 0 for events of the whole program.
    uint32_t window = 0;
    int x = 0;
    int y = 0;
    // 1 left, 2 right, 3 middle; any other value counts as left.
    int button = 0;
    int wheelX = 0;
    int wheelY = 0;
    int width = 0;
    int height = 0;
    // Quor_HostModifier bits.
    unsigned int modifiers = 0;
    // For kKeyDown: a special key as its host character (13 Return, 3 Enter, 27 Escape, 9 Tab,
    // 8 Backspace, 127 Delete, 1 Home, 4 End, 11 Page Up, 12 Page Down, 28 Left, 30 Up,
    // 29 Right, 31 Down, 16 a function key), or a printable ASCII key (32 to 126) as its
    // unshifted character; other keys are not reported.
    int hostChar = 0;
    // For kKeyDown: bit i set when function key F(i + 1) is held.
    unsigned int functionKeys = 0;
    // For kKeyDown: the press is the auto-repeat of a key held down.
    bool repeat = false;
    std::string text;
};
