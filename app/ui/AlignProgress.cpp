#include "app/ui/AlignProgress.h"

#include "app/ui/ProgressForm.h"
#include "toolkit/core/Quor_Message.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/widgets/Quor_ProgressBar.h"

AlignProgress::AlignProgress(const PanomerDoc* doc, Quor_Wnd* parent, AlignResult* outcome)
    : Quor_Dialog("Align All", parent),
      AlignOwner(doc),
      fOutcome(outcome),
      fBar(nullptr),
      fCancel(nullptr),
      fWindowId(0),
      fStarted(false),
      fRefused(false),
      fFinished(false)
{
    const ProgressForm form = ProgressForm::Build(this, "Aligning the photos...");
    fBar = form.bar;
    fCancel = form.cancel;
}

AlignProgress::~AlignProgress()
{
    // The worker reports to this object: it must be gone first.
    CancelAlign();
}

void AlignProgress::UpdateData(bool save)
{
    if (save)
        return;
    // The end is posted to this window, and posted work only runs inside a loop.
    Quor_Wnd* window = Window();
    if (window == nullptr || !Quor_Wnd::PostTask(window->Id(), [this](Quor_Wnd*) { Start(); }))
        Start();
}

void AlignProgress::Start()
{
    if (fFinished || fStarted)
        return;
    fWindowId = Window() != nullptr ? Window()->Id() : 0;
    fStarted = StartAlign();
    if (!fStarted) {
        fRefused = true;
        // No thread: nothing would ever end this window but the user, so it closes now.
        SendMessage(QUOR_MSG_CANCEL);
    }
}

void AlignProgress::ProgressMade()
{
    // A step takes a good part of a second, so the bar moves once per step rather than by a
    // clock. Like the end, the task is dropped with a window that has closed meanwhile.
    Quor_Wnd::PostTask(fWindowId, [this](Quor_Wnd*) {
        if (fBar != nullptr)
            fBar->SetValue(Progress());
    });
}

void AlignProgress::AlignEnded()
{
    // A window closed by a Cancel that crossed the end drops the task, and the Cancel has joined
    // the worker itself. The dialog lives as long as its window, so while the task runs, `this`
    // is there.
    Quor_Wnd::PostTask(fWindowId, [this](Quor_Wnd*) { SendMessage(QUOR_MSG_OK); });
}

bool AlignProgress::Finish(bool finished)
{
    if (fFinished)
        return false;
    fFinished = true;
    CancelAlign();
    if (fOutcome != nullptr) {
        if (finished) {
            *fOutcome = Result();
        } else {
            // The user asked to stop: a run that happened to end meanwhile is not kept either.
            *fOutcome = AlignResult();
            // A thread the system refused is a shortage like any other.
            fOutcome->status = fRefused ? AlignStatus::kNoMemory : AlignStatus::kCancelled;
        }
    }
    return true;
}

void AlignProgress::HandleMessage(Quor_Message* message)
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

void AlignProgress::OnEndDialog(int code)
{
    Finish(false);
    Quor_Dialog::OnEndDialog(code);
}
