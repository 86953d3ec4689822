// A layer that holds a form of controls and runs it modally in a dialog window, modelessly in a
// floating window, or as a pop-up layer inside a window, with the OK/Cancel protocol
// (ValidateData, UpdateData, OnEndDialog) that concrete dialogs override.
#pragma once

#include "toolkit/core/Quor_String.h"
#include "toolkit/framework/Quor_Layer.h"

class Quor_Button;
class Quor_LayoutView;
class Quor_PopupDialog;
class Quor_TextControl;
class Quor_View;
class Quor_Wnd;

class Quor_Dialog : public Quor_Layer {
public:
    // How long a button pressed by Return or Escape is shown pushed in, in milliseconds.
    static int gPressMilliseconds;

    Quor_Dialog(const char* title, Quor_Wnd* parent,
                unsigned int followFlags = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP);
    // Leaves its window when it is still in one.
    ~Quor_Dialog() override;

    // In pop-up mode the OK code accepts the dialog (validated, applied, removed unless it stays
    // open) and the Cancel code removes it; neither goes further, so a pop-up inside a dialog
    // window never ends that window's modal loop. Everything else goes to the window.
    void HandleMessage(Quor_Message* message) override;
    // In pop-up mode the dialog is first pulled back inside the window; then the initial focus
    // view takes the focus.
    void AttachedToWindow() override;
    // In pop-up mode a press elsewhere applies the values (when they validate) and removes the
    // dialog unless it stays open. A press on the dialog's own pop-up button closes it in any
    // case (the button does not open it again).
    void OnMouseDownOutside(Quor_Point where, unsigned int button, unsigned int modifiers,
                            Quor_Message* message) override;
    // After the focused field: Return presses the OK button, Escape the Cancel button; their
    // auto-repeat presses nothing.
    void OnKeyDown(int key, unsigned int modifiers) override;
    void InitBackground() override;
    bool IsModal() override { return !fPopupMode; }
    bool HasOwner() override { return fPopupMode; }
    bool TabAdvance() override { return true; }

    // Runs the dialog in its own movable modal window, centred on the screen; the window and the
    // dialog are deleted when it ends. Returns QUOR_MSG_OK or QUOR_MSG_CANCEL.
    virtual int DoModal();
    // Shows the dialog in a floating window, which owns it from then on, and returns at once.
    virtual void DoModeless();
    // Shows the dialog as the top layer of wnd at `where` (window coordinates); ignored while it
    // is already in a window. With stayOpen, accepting applies the values and leaves it showing.
    virtual void DoPopup(Quor_Wnd* wnd, Quor_Point where, bool stayOpen);
    // save false: fill the controls from the dialog's data; true: store the controls' values.
    virtual void UpdateData(bool save);
    // False refuses closing with OK (and usually repairs a field first).
    virtual bool ValidateData();
    // Called before the dialog is laid out for showing.
    virtual void OnPreModal();
    // Called with QUOR_MSG_OK or QUOR_MSG_CANCEL when the dialog window closes.
    virtual void OnEndDialog(int code);

    // Takes the dialog out of its window and tells its pop-up button.
    void RemoveMe();
    // The buttons Return and Escape press (null for none).
    void SetKeyButtons(Quor_View* ok, Quor_View* cancel);
    // The view that takes the focus when the dialog is shown.
    void SetFocusView(Quor_View* view) { fInitialFocus = view; }
    // True when the field's value lies in [min, max]; otherwise the field shows the nearer bound
    // and the answer is false.
    bool ValidateInt(Quor_TextControl* field, int min, int max);
    bool ValidateFloat(Quor_TextControl* field, float min, float max);

    // Used by Quor_PopupDialog: the button that owns the dialog (null to forget it).
    void SetOwner(Quor_View* owner, Quor_PopupDialog* button);
    Quor_View* Owner() const { return fOwner; }
    bool IsPopupMode() const { return fPopupMode; }
    bool StaysOpen() const { return fStayOpen; }
    const Quor_String& Title() const { return fTitle; }
    Quor_Wnd* ParentWindow() const { return fParentWindow; }
    Quor_View* OKButton() const { return fOKButton; }
    Quor_View* CancelButton() const { return fCancelButton; }

    // Pushes a button in and lets it go, as a click at its point (1, 1) would, so that it is
    // seen to go down and sends its code. Nothing for a null or disabled button.
    static void PressButton(Quor_View* button);

protected:
    // Adds a row to `form` (aligned and spaced as given) holding `first` and `second` side by
    // side, each centred across it; a null view is left out.
    static void AddSideBySide(Quor_LayoutView* form, unsigned int alignment, int spacing, Quor_View* first,
                              Quor_View* second);
    // Ends `form` with a row at its far side of Cancel and a default button labelled
    // `confirmLabel` (each at least 80 pixels wide), which Escape and Return press. A button that
    // could not be made comes back null.
    void AddCancelConfirmRow(Quor_LayoutView* form, const char* confirmLabel, Quor_Button** cancel,
                             Quor_Button** confirm);
    // DoModal's window may then be resized down to `minimum` (the dialog follows by its flags).
    void SetResizable(Quor_Point minimum) { fMinimum = minimum; }

private:
    // Validates, applies and, unless the dialog stays open, removes it; false when refused.
    bool Accept();
    void OnPopupKey(int key);

    Quor_View* fOwner;
    Quor_PopupDialog* fPopupButton;
    bool fPopupMode;
    bool fStayOpen;
    Quor_String fTitle;
    Quor_Wnd* fParentWindow;
    Quor_View* fOKButton;
    Quor_View* fCancelButton;
    Quor_View* fInitialFocus;
    // Counts accepted OKs, so that Return does not accept twice when the OK button did already.
    unsigned int fAcceptCount;
    Quor_Point fMinimum;
};
