#include "toolkit/widgets/Quor_ModelessDialogWnd.h"

#include "toolkit/core/Quor_Beep.h"
#include "toolkit/widgets/Quor_Dialog.h"

Quor_ModelessDialogWnd::Quor_ModelessDialogWnd(Quor_Dialog* dialog, const char* title,
                                               Quor_Rect frame, Quor_Wnd* parent)
    : Quor_Wnd(title, frame, false, 5, parent), fDialog(dialog), fCancelled(false)
{
    AddLayer(dialog);
}

void Quor_ModelessDialogWnd::HandleMessage(Quor_Message* message)
{
    if (message->what != QUOR_MSG_OK && message->what != QUOR_MSG_CANCEL) {
        Quor_Wnd::HandleMessage(message);
        return;
    }
    // The button that sent the code is still on the stack: the window closes afterwards.
    const bool cancel = message->what == QUOR_MSG_CANCEL;
    PostTask(Id(), [cancel](Quor_Wnd* window) {
        auto* self = static_cast<Quor_ModelessDialogWnd*>(window);
        if (!cancel && !self->CloseOK())
            return;
        self->fCancelled = cancel;
        self->CloseWindow();
    });
}

bool Quor_ModelessDialogWnd::CloseOK()
{
    if (!Quor_Wnd::CloseOK())
        return false;
    if (fDialog->ValidateData())
        return true;
    Quor_Beep(1);
    return false;
}

void Quor_ModelessDialogWnd::OnClose()
{
    if (fCancelled) {
        fDialog->OnEndDialog(QUOR_MSG_CANCEL);
        return;
    }
    fDialog->UpdateData(true);
    fDialog->OnEndDialog(QUOR_MSG_OK);
}
