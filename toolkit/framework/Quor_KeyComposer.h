// Turns the host's two streams of keyboard events (key presses and typed text) into one stream of
// toolkit key codes. Special keys come from the key press; printable characters come from the
// typed text, except while Ctrl, Alt or Super is held, when the key press gives the character
// and the text that hosts still send for Alt and Super chords is dropped, so that no key arrives
// twice.
#pragma once

#include <string>
#include <vector>

#include "toolkit/framework/platform/Quor_HostEvent.h"

class Quor_KeyComposer {
public:
    struct Key {
        int code;
        unsigned int modifiers;   // toolkit bits
    };

    // The keys a key press yields (none or one); an auto-repeated press carries QUOR_KEY_REPEAT.
    std::vector<Key> KeyDown(const Quor_HostEvent& event);
    // The keys typed text yields: each character as its code point (a key code above 255 is a
    // character too); control characters are dropped.
    std::vector<Key> Text(const Quor_HostEvent& event);

private:
    bool fDropNextText = false;
    // The last key press was an auto-repeat: so is the text it types.
    bool fNextTextRepeats = false;
};
