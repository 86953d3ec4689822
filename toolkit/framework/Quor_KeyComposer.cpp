#include "toolkit/framework/Quor_KeyComposer.h"

#include "toolkit/core/Quor_Utf8.h"
#include "toolkit/framework/Quor_FrameworkDefs.h"
#include "toolkit/framework/Quor_InputMap.h"

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
        // Alt and Super chords also come as typed text; Ctrl chords do not, and the text that
        // follows one is typing (the host passes on no key press for a key beyond ASCII).
        fDropNextText = (event.modifiers & QUOR_HOST_CTRL) == 0;
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
    const std::string& text = event.text;
    size_t at = 0;
    while (at < text.size()) {
        size_t bytes = 0;
        const uint32_t c = Quor_Utf8::Decode(text.data(), text.size(), at, &bytes);
        at += bytes;
        // Control characters (C0, DEL and C1) are no typing.
        if ((c >= 0x20 && c <= 0x7E) || c >= 0xA0)
            keys.push_back({static_cast<int>(c), modifiers});
    }
    return keys;
}
