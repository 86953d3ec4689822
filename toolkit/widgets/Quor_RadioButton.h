// A radio button: one of a group of round marks that share a parent, of which at most one is
// set. Releasing the pointer over it sets it, clears the others of the group and sends its
// what-code.
#pragma once

#include "toolkit/widgets/Quor_CheckBox.h"

class Quor_RadioButton : public Quor_CheckBox {
public:
    Quor_RadioButton(const char* label, int what, unsigned int followFlags);

    // Setting it also clears the other radio buttons of its parent; nothing is sent.
    void SetValue(bool value) override;
    // QUOR_MSG_RADIO (another button of the group was set) clears it; the rest goes on up.
    void HandleMessage(Quor_Message* message) override;
    // The arrows move the focus to the previous or next enabled button of the group (in reading
    // order, round from the last to the first) and set that one, as a click on it would; Space
    // sets the focused one.
    void OnKeyDown(int key, unsigned int modifiers) override;
    bool WantsKey(int key, unsigned int modifiers) override;

protected:
    void Activate() override;
    void DrawMark(Quor_Graphics* g, const Quor_Rect& square, bool pushed) override;

private:
    // Tells the other radio buttons among this one's siblings that it was set.
    void ClearSiblings();
};
