// The small question a save dialog asks for the name of a new folder: a line of text, a field
// and the buttons Cancel and Create, run modally above the dialog.
#pragma once

#include "toolkit/core/Quor_String.h"
#include "toolkit/widgets/Quor_Dialog.h"

class Quor_Button;
class Quor_TextControl;

class Quor_FileDialogPrompt : public Quor_Dialog {
public:
    Quor_FileDialogPrompt(const char* question, const char* confirmLabel, Quor_Wnd* parent, Quor_String* answer);

    Quor_TextControl* Field() const { return fField; }
    void OnEndDialog(int code) override;

    // True with the typed text in *answer when the user confirmed; the dialog is gone either way.
    static bool Ask(const char* question, const char* confirmLabel, Quor_Wnd* parent, Quor_String* answer);

private:
    Quor_TextControl* fField;
    Quor_String* fAnswer;
};
