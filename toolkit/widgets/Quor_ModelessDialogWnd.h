// The floating window that shows a modeless dialog: closing it keeps the dialog's values when
// they validate, and refuses to close otherwise. The dialog's OK button closes it the same way;
// its Cancel button closes it without storing the values.
#pragma once

#include "toolkit/framework/Quor_Wnd.h"

class Quor_Dialog;

class Quor_ModelessDialogWnd : public Quor_Wnd {
public:
    // A floating window (type 5), not resizable, that adds the dialog as its only layer and
    // owns it from then on.
    Quor_ModelessDialogWnd(Quor_Dialog* dialog, const char* title, Quor_Rect frame,
                           Quor_Wnd* parent);

    // OK and Cancel close the window (after the button's handler has returned); they never
    // reach the parent window, whose own dialog they would end. Everything else goes on up.
    void HandleMessage(Quor_Message* message) override;
    // The dialog's ValidateData (a refused close beeps); never during a modal loop of its own.
    bool CloseOK() override;
    // Stores the values and tells the dialog OK, or, after Cancel, only tells it Cancel.
    void OnClose() override;

    Quor_Dialog* Dialog() const { return fDialog; }

private:
    Quor_Dialog* fDialog;
    bool fCancelled;
};
