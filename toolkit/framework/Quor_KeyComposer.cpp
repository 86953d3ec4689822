#include "toolkit/framework/Quor_KeyComposer.h"

#include "toolkit/framework/Quor_FrameworkDefs.h"
#include "toolkit/framework/Quor_InputMap.h"
#include "toolkit/framework/Quor_Latin1.h"

std::vector<Quor_KeyComposer::Key> Quor_KeyComposer::KeyDown(const Quor_HostEvent& event)
{
    fDropNextText = false;
    // The text a held key types arrives after its press, without a repeat flag of its own.
    fNextTextRepeats = event.repeat;
    std::vector<Key> keys;
    const unsigned int modifiers = Quor_InputMap::Modifiers(event.modifiers) | (event.repeat ? QUOR_KEY_REPEAT : 0u);
    if (Quor_InputMap::IsSpecialKey(event.hostChar)) {
        keys.push_back({Quor_InputMap::KeyCode(event.hostChar, event.functionKeys), modifiers});
        return keys;
    }
    const bool chord = (event.modifiers & (QUOR_HOST_CTRL | QUOR_HOST_ALT | QUOR_HOST_SUPER)) != 0;
    if (chord && event.hostChar >= 0x20 && event.hostChar <= 0x7E) {
        keys.push_back({Quor_InputMap::ShortcutCharacter(event.hostChar, event.modifiers), modifiers});
        fDropNextText = true;
    }
    return keys;
}

std::vector<Quor_KeyComposer::Key> Quor_KeyComposer::Text(const Quor_HostEvent& event)
{
    std::vector<Key> keys;
    if (fDropNextText) {
        fDropNextText = false;
        return keys;
    }
    const unsigned int modifiers = Quor_InputMap::Modifiers(event.modifiers) | (fNextTextRepeats ? QUOR_KEY_REPEAT : 0u);
    fNextTextRepeats = false;
    for (unsigned char c : Quor_Latin1::FromUtf8(event.text, true)) {
        if ((c >= 0x20 && c <= 0x7E) || c >= 0xA0)
            keys.push_back({c, modifiers});
    }
    return keys;
}
