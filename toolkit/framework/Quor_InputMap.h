// Translation of host input into the toolkit's input codes, kept in one place so that every
// backend maps keys, modifiers, buttons and the wheel the same way. Pure functions.
#pragma once

class Quor_InputMap {
public:
    // The key code of a host character: the special characters of Quor_HostEvent::hostChar give
    // the negative QUOR_KEY codes, character 16 gives the first function key held (F1 first, by
    // the bits of functionKeys) or stays 16 when none is; every other character is its own code.
    static int KeyCode(int hostChar, unsigned int functionKeys);
    // Whether hostChar names one of the special keys of that table (16 included).
    static bool IsSpecialKey(int hostChar);

    // Toolkit modifier bits: Shift gives QUOR_SHIFT, Ctrl QUOR_COMMAND, the left Alt QUOR_OPTION.
    static unsigned int Modifiers(unsigned int hostModifiers);
    // The Super key, which turns a click into a right click and sets no bit.
    static bool ControlFlag(unsigned int hostModifiers);
    // Host button 1 is left, 2 right, 3 middle, anything else left; the control flag makes it right.
    static unsigned int Button(int hostButton, bool controlFlag);
    // The wheel reduced to its sign: -1, 0 or +1.
    static int WheelDelta(int wheelY);
    // The character a printable key gives while Ctrl, Alt or Super is held: letters upper-case
    // when exactly one of Shift and Caps Lock is on.
    static int ShortcutCharacter(int hostChar, unsigned int hostModifiers);
};
