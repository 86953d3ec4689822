// A check box: a small square with a tick and a label beside it. Releasing the pointer over it
// toggles the value and sends its what-code; SetValue changes it quietly.
#pragma once

#include "toolkit/core/Quor_String.h"
#include "toolkit/widgets/Quor_BaseWidget.h"

class Quor_CheckBox : public Quor_BaseWidget {
public:
    // Regular font; mark size + label width + 8 wide, BaseWidgetHeight() high.
    Quor_CheckBox(const char* label, int what, unsigned int followFlags);

    // The side of the mark square: half the widget height plus a sixth (12 pixels for 18).
    static int MarkSize();

    // Redraws without sending.
    virtual void SetValue(bool value);
    bool Value() const { return fValue; }
    const Quor_String& Label() const { return fLabel; }
    int What() const { return fWhat; }
    // Drawn pushed: pressed with a mouse button held and the pointer over it.
    bool IsPressed() const { return fPressed && IsMouseDragging(0); }

    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    // Space toggles the focused check box (sets a radio button) and sends, as a click would.
    void OnKeyDown(int key, unsigned int modifiers) override;
    bool WantsKey(int key, unsigned int modifiers) override;
    bool TabStop() override { return true; }
    void RedrawMe(Quor_Graphics* g) override;

protected:
    // A release over the control: the check box toggles and sends its code.
    virtual void Activate();
    // The mark in its square (view coordinates).
    virtual void DrawMark(Quor_Graphics* g, const Quor_Rect& square, bool pushed);
    // The mark's square: at the left edge, centred vertically.
    Quor_Rect MarkSquare() const;

    Quor_String fLabel;
    int fWhat;
    bool fValue;
    bool fPressed;
};
