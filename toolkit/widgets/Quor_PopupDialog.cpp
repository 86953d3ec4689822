#include "toolkit/widgets/Quor_PopupDialog.h"

#include <algorithm>

#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/widgets/Quor_Dialog.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

Quor_PopupDialog::Quor_PopupDialog(const char* label, bool stayOpen, int what, int minWidth,
                                   unsigned int followFlags)
    : Quor_BaseWidget(true, followFlags),
      fLabel(label != nullptr ? label : ""),
      fStayOpen(stayOpen),
      fWhat(what),
      fOpen(false),
      fDialog(nullptr)
{
    const int height = BaseWidgetHeight();
    const int labelWidth = fFont != nullptr ? fFont->StringWidth(fLabel) : 0;
    int width = labelWidth + height + (height * 3) / 4;
    if (minWidth > 0)
        width = std::max(width, minWidth);
    SetShape(width, height);
}

Quor_PopupDialog::~Quor_PopupDialog()
{
    if (fDialog != nullptr) {
        fDialog->SetOwner(nullptr, nullptr);
        delete fDialog;
    }
}

void Quor_PopupDialog::SetDialog(Quor_Dialog* dialog)
{
    if (dialog == fDialog)
        return;
    if (fDialog != nullptr) {
        fDialog->SetOwner(nullptr, nullptr);
        delete fDialog;
    }
    fDialog = dialog;
    fOpen = false;
    if (fDialog != nullptr)
        fDialog->SetOwner(this, this);
}

Quor_Dialog* Quor_PopupDialog::DetachDialog()
{
    Quor_Dialog* dialog = fDialog;
    fDialog = nullptr;
    if (dialog != nullptr)
        dialog->SetOwner(nullptr, nullptr);
    fOpen = false;
    return dialog;
}

void Quor_PopupDialog::Stop()
{
    fOpen = false;
    Redraw(true);
    SendMessage(fWhat);
}

void Quor_PopupDialog::SwallowPressAt(Quor_Point windowPoint)
{
    fSwallowed.Set(windowPoint);
}

void Quor_PopupDialog::OnMouseDown(Quor_Point where, unsigned int, unsigned int, Quor_Message*)
{
    if (fSwallowed.Take(this, where))
        return;
    if (IsEnabled() && !fOpen && fDialog != nullptr && Window() != nullptr) {
        SendMessage(fWhat);
        fOpen = true;
        Redraw(true);
        // Just below the button.
        Quor_Point at(0, Bounds().bottom + 1);
        ViewToWnd(at);
        fDialog->DoPopup(Window(), at, fStayOpen);
        return;
    }
    fOpen = false;
    Redraw(true);
}

void Quor_PopupDialog::RedrawMe(Quor_Graphics* g)
{
    Quor_WidgetLook::DrawPopupButton(g, Bounds(), TinyCornerRadius(), fOpen, IsEnabled(), fLabel);
}
