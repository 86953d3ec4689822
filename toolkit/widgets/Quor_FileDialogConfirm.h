// The question a save dialog asks before it lets an existing file be replaced: two lines of
// text and the buttons Cancel and Replace, run modally above the save dialog.
#pragma once

#include "toolkit/widgets/Quor_Dialog.h"

class Quor_Button;

class Quor_FileDialogConfirm : public Quor_Dialog {
public:
    Quor_FileDialogConfirm(const char* question, const char* detail, const char* confirmLabel,
                           Quor_Wnd* parent);

    Quor_Button* ConfirmButton() const { return fConfirm; }
    Quor_Button* CancelButtonView() const { return fCancel; }

    // True when the user confirmed; the dialog is gone either way.
    static bool Ask(const char* question, const char* detail, const char* confirmLabel,
                    Quor_Wnd* parent);

private:
    Quor_Button* fConfirm;
    Quor_Button* fCancel;
};
