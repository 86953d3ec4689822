// Which mouse buttons are held: the press and release bookkeeping that windows and views keep
// for IsMouseDragging.
#pragma once

class Quor_ButtonState {
public:
    // QUOR_RIGHT_BUTTON and QUOR_MIDDLE_BUTTON are themselves; any other value is the left button.
    void Set(unsigned int button, bool down);
    // For QUOR_LEFT_BUTTON, QUOR_RIGHT_BUTTON or QUOR_MIDDLE_BUTTON whether it is held; for any
    // other value whether any button is.
    bool IsDown(unsigned int button) const;
    bool Any() const { return fLeft || fMiddle || fRight; }

private:
    bool fLeft = false;
    bool fMiddle = false;
    bool fRight = false;
};
