#include "toolkit/framework/Quor_ButtonState.h"

#include "toolkit/framework/Quor_FrameworkDefs.h"

void Quor_ButtonState::Set(unsigned int button, bool down)
{
    switch (button) {
    case QUOR_RIGHT_BUTTON:
        fRight = down;
        break;
    case QUOR_MIDDLE_BUTTON:
        fMiddle = down;
        break;
    default:
        fLeft = down;
        break;
    }
}

bool Quor_ButtonState::IsDown(unsigned int button) const
{
    switch (button) {
    case QUOR_LEFT_BUTTON:
        return fLeft;
    case QUOR_RIGHT_BUTTON:
        return fRight;
    case QUOR_MIDDLE_BUTTON:
        return fMiddle;
    default:
        return Any();
    }
}
