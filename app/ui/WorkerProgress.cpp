#include "app/ui/WorkerProgress.h"

#include "app/ui/ProgressForm.h"
#include "toolkit/core/Quor_Message.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/widgets/Quor_ProgressBar.h"

WorkerProgress::WorkerProgress(const char* title, Quor_Wnd* parent, const char* caption)
    : Quor_Dialog(title, parent)
{
    fBar = ProgressForm::Build(this, caption).bar;
}

void WorkerProgress::Show(int quietMs)
{
    if (WaitForEnd(quietMs)) {
        // Quick: no window flashes.
        Finish(true);
        delete this;
        return;
    }
    // The window and the dialog go together, however the loop ends; the outcome is handed over
    // before that.
    DoModal();
}

void WorkerProgress::UpdateData(bool save)
{
    if (save)
        return;
    // The end is posted to this window, and posted work only runs inside a loop.
    Quor_Wnd* window = Window();
    if (window == nullptr || !Quor_Wnd::PostTask(window->Id(), [this](Quor_Wnd*) { Attach(); }))
        Attach();
}

void WorkerProgress::Attach()
{
    if (fFinished || fAttached)
        return;
    fAttached = true;
    bool ended = false;
    {
        std::lock_guard<std::mutex> lock(fWindowLock);
        fWindowId.store(Window() != nullptr ? Window()->Id() : 0);
        ended = HasEnded();
    }
    if (fBar != nullptr)
        fBar->SetValue(Progress());
    // An end that came before the window could take it is not posted: it is taken here.
    if (ended)
        SendMessage(QUOR_MSG_OK);
}

void WorkerProgress::ProgressMade()
{
    // Once per step (a photo decoded or aligned) rather than by a clock. Like the end, the task is
    // dropped with a window that has closed meanwhile, and before the window runs there is nowhere
    // to post it: the window then takes the progress as it attaches.
    const uint32_t window = fWindowId.load();
    if (window == 0)
        return;
    Quor_Wnd::PostTask(window, [this](Quor_Wnd*) {
        if (fBar != nullptr)
            fBar->SetValue(Progress());
    });
}

void WorkerProgress::WorkEnded()
{
    // A window closed by a Cancel that crossed the end drops the task, and the Cancel has joined
    // the worker itself. The dialog lives as long as its window, so while the task runs, `this`
    // is there.
    std::lock_guard<std::mutex> lock(fWindowLock);
    const uint32_t window = fWindowId.load();
    if (window != 0)
        Quor_Wnd::PostTask(window, [this](Quor_Wnd*) { SendMessage(QUOR_MSG_OK); });
}

bool WorkerProgress::Finish(bool finished)
{
    if (fFinished)
        return false;
    fFinished = true;
    if (finished)
        Join();
    else
        Cancel();
    HandOver(finished);
    return true;
}

void WorkerProgress::HandleMessage(Quor_Message* message)
{
    switch (message->what) {
    case QUOR_MSG_OK:
    case QUOR_MSG_CANCEL:
        if (!Finish(message->what == QUOR_MSG_OK))
            return;
        break;
    default:
        break;
    }
    Quor_Dialog::HandleMessage(message);
}

void WorkerProgress::OnEndDialog(int code)
{
    Finish(false);
    Quor_Dialog::OnEndDialog(code);
}
