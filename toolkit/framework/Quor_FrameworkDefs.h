// The framework's shared constants: message codes, input codes (modifier bits, mouse buttons,
// key codes) and the follow flags that tie a layer's or view's frame to its container.
#pragma once

// What-codes the framework sends. The application's own codes are positive.
enum : int {
    QUOR_MSG_PART_CHANGED = -1000,
    QUOR_MSG_PART_TEXT = -1001,
    QUOR_MSG_TICK = -1004,
    QUOR_MSG_TIP_TIMEOUT = -1005,
    QUOR_MSG_OK = -1006,
    QUOR_MSG_CANCEL = -1007,
    QUOR_MSG_QUIT = -1008,
    QUOR_MSG_VSCROLL = -1010,
    QUOR_MSG_HSCROLL = -1011,
    QUOR_MSG_RADIO = -1012,
    // Carries the string field "path".
    QUOR_MSG_OPEN_DOCUMENT = 3111,
};

// Modifier bits of every input event. Ctrl is QUOR_COMMAND, Alt QUOR_OPTION; the Super key sets
// no bit but turns a click into a right click. QUOR_KEY_REPEAT marks a key press that a held key
// repeats (never the first press, and only keys that come as presses: special keys and chords).
enum : unsigned int {
    QUOR_SHIFT = 1,
    QUOR_COMMAND = 2,
    QUOR_OPTION = 4,
    QUOR_KEY_REPEAT = 8,
};

// One mouse button per event.
enum : unsigned int {
    QUOR_LEFT_BUTTON = 1,
    QUOR_RIGHT_BUTTON = 2,
    QUOR_MIDDLE_BUTTON = 4,
};

// Key codes: characters arrive as their code points (above 255 too), special keys as these.
enum : int {
    QUOR_KEY_RETURN = -1,
    QUOR_KEY_ESCAPE = -2,
    QUOR_KEY_TAB = -3,
    QUOR_KEY_BACKSPACE = -4,
    QUOR_KEY_DELETE = -5,
    QUOR_KEY_HOME = -6,
    QUOR_KEY_END = -7,
    QUOR_KEY_PAGEUP = -8,
    QUOR_KEY_PAGEDOWN = -9,
    QUOR_KEY_LEFT = -10,
    QUOR_KEY_UP = -11,
    QUOR_KEY_RIGHT = -12,
    QUOR_KEY_DOWN = -13,
    QUOR_KEY_F1 = -20,
    QUOR_KEY_F2 = -21,
    QUOR_KEY_F3 = -22,
    QUOR_KEY_F4 = -23,
    QUOR_KEY_F5 = -24,
    QUOR_KEY_F6 = -25,
    QUOR_KEY_F7 = -26,
    QUOR_KEY_F8 = -27,
    QUOR_KEY_F9 = -28,
    QUOR_KEY_F10 = -29,
    QUOR_KEY_F11 = -30,
    QUOR_KEY_F12 = -31,
};

// How a frame follows a resize of its container, with d the change of the container's size on
// an axis: the far-edge flag alone moves the frame by d, both edge flags stretch it by d, and
// anything else leaves it. 3 (left and top) keeps the frame where it is.
enum : unsigned int {
    QUOR_FOLLOW_LEFT = 1,
    QUOR_FOLLOW_TOP = 2,
    QUOR_FOLLOW_RIGHT = 4,
    QUOR_FOLLOW_BOTTOM = 8,
};

// Alignment of a view across the stacking direction of a layout view.
enum : unsigned int {
    QUOR_LAYOUT_NONE = 0,
    QUOR_LAYOUT_CENTER = 1,
    QUOR_LAYOUT_FAR = 2,
    QUOR_LAYOUT_FILL = 3,
};
