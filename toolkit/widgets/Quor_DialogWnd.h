// The movable modal window that runs a dialog: its only layer is the dialog, OK validates and
// applies it before the modal loop ends, Cancel (or the window's close box) ends it at once.
#pragma once

#include "toolkit/framework/Quor_Wnd.h"

class Quor_Dialog;

class Quor_DialogWnd : public Quor_Wnd {
public:
    // A window of type 2 that adds the dialog as its only layer; resizable down to `minimum`
    // when that is given, else of a fixed size.
    Quor_DialogWnd(Quor_Dialog* dialog, const char* title, Quor_Rect frame, Quor_Wnd* parent,
                   Quor_Point minimum = Quor_Point(0, 0));

    // QUOR_MSG_OK: a dialog that does not validate beeps and stays; otherwise its values are
    // stored, it hears OnEndDialog(QUOR_MSG_OK) and the loop ends. QUOR_MSG_CANCEL:
    // OnEndDialog(QUOR_MSG_CANCEL) and the loop ends. Everything else goes on up.
    void HandleMessage(Quor_Message* message) override;
    // The close box of a running dialog cancels it (the loop then closes the window).
    bool CloseOK() override;
    void GetMinMaxSize(Quor_Point* min, Quor_Point* max) override;

    Quor_Dialog* Dialog() const { return fDialog; }

private:
    Quor_Dialog* fDialog;
    Quor_Point fMinimum;
};
