#include "toolkit/widgets/Quor_DialogWnd.h"

#include "toolkit/core/Quor_Beep.h"
#include "toolkit/widgets/Quor_Dialog.h"

Quor_DialogWnd::Quor_DialogWnd(Quor_Dialog* dialog, const char* title, Quor_Rect frame,
                               Quor_Wnd* parent, Quor_Point minimum)
    : Quor_Wnd(title, frame, minimum.x > 0 && minimum.y > 0, 2, parent), fDialog(dialog), fMinimum(minimum)
{
    AddLayer(dialog);
}

void Quor_DialogWnd::HandleMessage(Quor_Message* message)
{
    switch (message->what) {
    case QUOR_MSG_CANCEL:
        fDialog->OnEndDialog(QUOR_MSG_CANCEL);
        EndModal(QUOR_MSG_CANCEL, true);
        break;
    case QUOR_MSG_OK:
        if (!fDialog->ValidateData()) {
            Quor_Beep(1);
            break;
        }
        fDialog->UpdateData(true);
        fDialog->OnEndDialog(QUOR_MSG_OK);
        EndModal(QUOR_MSG_OK, true);
        break;
    default:
        Quor_Wnd::HandleMessage(message);
        break;
    }
}

bool Quor_DialogWnd::CloseOK()
{
    if (IsRunningModal()) {
        if (ContinueModal())
            SendMessage(QUOR_MSG_CANCEL);
        return false;
    }
    return Quor_Wnd::CloseOK();
}

void Quor_DialogWnd::GetMinMaxSize(Quor_Point* min, Quor_Point* max)
{
    Quor_Wnd::GetMinMaxSize(min, max);
    if (min != nullptr && IsResizable())
        *min = fMinimum;
}
