#include "toolkit/framework/Quor_InputMap.h"

#include "toolkit/framework/Quor_FrameworkDefs.h"
#include "toolkit/framework/platform/Quor_HostEvent.h"

namespace {

constexpr int kFunctionKeyChar = 16;

struct SpecialKey {
    int hostChar;
    int code;
};

constexpr SpecialKey kSpecialKeys[] = {
    {3, QUOR_KEY_RETURN},    {13, QUOR_KEY_RETURN},  {27, QUOR_KEY_ESCAPE},
    {9, QUOR_KEY_TAB},       {8, QUOR_KEY_BACKSPACE}, {127, QUOR_KEY_DELETE},
    {1, QUOR_KEY_HOME},      {4, QUOR_KEY_END},      {11, QUOR_KEY_PAGEUP},
    {12, QUOR_KEY_PAGEDOWN}, {28, QUOR_KEY_LEFT},    {30, QUOR_KEY_UP},
    {29, QUOR_KEY_RIGHT},    {31, QUOR_KEY_DOWN},
};

}  // namespace

int Quor_InputMap::KeyCode(int hostChar, unsigned int functionKeys)
{
    if (hostChar == kFunctionKeyChar) {
        for (int i = 0; i < 12; ++i) {
            if (functionKeys & (1u << i))
                return QUOR_KEY_F1 - i;
        }
        return kFunctionKeyChar;
    }
    for (const SpecialKey& key : kSpecialKeys) {
        if (key.hostChar == hostChar)
            return key.code;
    }
    return hostChar;
}

bool Quor_InputMap::IsSpecialKey(int hostChar)
{
    if (hostChar == kFunctionKeyChar)
        return true;
    for (const SpecialKey& key : kSpecialKeys) {
        if (key.hostChar == hostChar)
            return true;
    }
    return false;
}

unsigned int Quor_InputMap::Modifiers(unsigned int hostModifiers)
{
    unsigned int bits = 0;
    if (hostModifiers & QUOR_HOST_SHIFT)
        bits |= QUOR_SHIFT;
    if (hostModifiers & QUOR_HOST_CTRL)
        bits |= QUOR_COMMAND;
    if (hostModifiers & QUOR_HOST_ALT)
        bits |= QUOR_OPTION;
    return bits;
}

bool Quor_InputMap::ControlFlag(unsigned int hostModifiers)
{
    return (hostModifiers & QUOR_HOST_SUPER) != 0;
}

unsigned int Quor_InputMap::Button(int hostButton, bool controlFlag)
{
    if (controlFlag)
        return QUOR_RIGHT_BUTTON;
    switch (hostButton) {
    case 2:
        return QUOR_RIGHT_BUTTON;
    case 3:
        return QUOR_MIDDLE_BUTTON;
    default:
        return QUOR_LEFT_BUTTON;
    }
}

int Quor_InputMap::WheelDelta(int wheelY)
{
    return (wheelY > 0) - (wheelY < 0);
}

int Quor_InputMap::ShortcutCharacter(int hostChar, unsigned int hostModifiers)
{
    const bool upper = ((hostModifiers & QUOR_HOST_SHIFT) != 0) != ((hostModifiers & QUOR_HOST_CAPS) != 0);
    if (upper && hostChar >= 'a' && hostChar <= 'z')
        return hostChar - 'a' + 'A';
    return hostChar;
}
