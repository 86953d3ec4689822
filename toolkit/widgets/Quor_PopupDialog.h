// A button that shows a dialog as a pop-up layer below itself. Its target hears its what-code
// once when the dialog opens and once when it closes; the button owns the dialog.
#pragma once

#include "toolkit/core/Quor_String.h"
#include "toolkit/widgets/Quor_BaseWidget.h"
#include "toolkit/widgets/Quor_SwallowedPress.h"

class Quor_Dialog;

class Quor_PopupDialog : public Quor_BaseWidget {
public:
    // BaseWidgetHeight() high; label width + height + 3/4 height wide, at least minWidth when
    // that is positive.
    Quor_PopupDialog(const char* label, bool stayOpen, int what, int minWidth,
                     unsigned int followFlags = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP);
    // Deletes the dialog (taking it out of its window first).
    ~Quor_PopupDialog() override;

    // Takes ownership of the dialog (deleting any earlier one) and becomes its owner.
    void SetDialog(Quor_Dialog* dialog);
    Quor_Dialog* Dialog() const { return fDialog; }
    // Gives the dialog up without deleting it; the caller owns it from then on.
    Quor_Dialog* DetachDialog();
    // The dialog went away: the button shows closed and sends its what-code again.
    void Stop();
    // The press at this window point closed the dialog from outside and lands on this button
    // next; it must not open the dialog again.
    void SwallowPressAt(Quor_Point windowPoint);
    bool IsOpen() const { return fOpen; }
    const Quor_String& Label() const { return fLabel; }

    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers,
                     Quor_Message* message) override;
    void RedrawMe(Quor_Graphics* g) override;

private:
    Quor_String fLabel;
    bool fStayOpen;
    int fWhat;
    bool fOpen;
    Quor_Dialog* fDialog;
    Quor_SwallowedPress fSwallowed;
};
