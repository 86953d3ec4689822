#include "app/ui/RenderProgress.h"

#include <unistd.h>

#include "app/core/PanomerDoc.h"
#include "app/ui/ProgressForm.h"
#include "toolkit/core/Quor_Message.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/widgets/Quor_ProgressBar.h"

RenderOptions RenderProgress::gRenderOptions;

RenderProgress::RenderProgress(PanomerDoc* doc, Quor_Wnd* parent, RenderResult* outcome)
    : RenderProgress(doc, parent, RenderKind::kJpeg, outcome)
{
}

RenderProgress::RenderProgress(PanomerDoc* doc, Quor_Wnd* parent, RenderKind kind, RenderResult* outcome)
    : Quor_Dialog("Render Progress", parent),
      RenderOwner(doc),
      fKind(kind),
      fOutcome(outcome),
      fBar(nullptr),
      fCancel(nullptr),
      fWindowId(0),
      fTimer(0),
      fStarted(false),
      fFinished(false)
{
    const ProgressForm form = ProgressForm::Build(this, kind == RenderKind::kPsd ? "Rendering the layers..." : "Rendering the panorama...");
    fBar = form.bar;
    fCancel = form.cancel;
}

RenderProgress::~RenderProgress()
{
    // The worker reports to this object: it must be gone first.
    CancelRender();
}

void RenderProgress::UpdateData(bool save)
{
    if (save)
        return;
    // The completion is posted to this window, and posted work only runs inside a loop; starting
    // from that loop also means its end can never come before the loop is there to see it.
    Quor_Wnd* window = Window();
    if (window == nullptr || !Quor_Wnd::PostTask(window->Id(), [this](Quor_Wnd*) { Start(); }))
        Start();
}

void RenderProgress::Start()
{
    if (fFinished || fStarted)
        return;
    fWindowId = Window() != nullptr ? Window()->Id() : 0;
    fStarted = StartRender(fKind, gRenderOptions);
    if (!fStarted) {
        // No thread: nothing will ever end this window but the user, so it closes now and says so.
        fResult = RenderResult::Failed(RenderFailure::kNone);
        fResult.cause = "The export could not be started.";
        SendMessage(QUOR_MSG_CANCEL);
        return;
    }
    if (Window() != nullptr && fTimer == 0)
        fTimer = Window()->SetTimer(kProgressSeconds, this, QUOR_MSG_TICK);
}

void RenderProgress::RenderEnded(const RenderResult& result)
{
    fResult = result;
    // The window may close before this runs (a Cancel that crossed the end): the task is then
    // dropped with the window, and the Cancel has joined the worker itself. The dialog lives as
    // long as its window, so while the task runs at all, `this` is there.
    Quor_Wnd::PostTask(fWindowId, [this](Quor_Wnd*) { SendMessage(QUOR_MSG_OK); });
}

bool RenderProgress::Finish()
{
    if (fFinished)
        return false;
    fFinished = true;
    // Holding the lock while joining makes any further check of the worker fail, so a worker
    // still rendering stops at its next row; one that has ended is simply joined.
    CancelRender();
    StopTimer();
    if (fOutcome != nullptr) {
        if (fStarted || fResult.status == RenderStatus::kFailed) {
            *fOutcome = fResult;
        } else {
            // The worker never ran, so nothing was written.
            *fOutcome = RenderResult();
            fOutcome->status = RenderStatus::kCancelled;
            fOutcome->left = access(Document()->fRenderPath, F_OK) == 0 ? RenderLeft::kOldFile : RenderLeft::kNothing;
        }
    }
    if (fBar != nullptr && fResult.status == RenderStatus::kDone && fStarted)
        fBar->SetValue(1.0f);
    return true;
}

void RenderProgress::HandleMessage(Quor_Message* message)
{
    switch (message->what) {
    case QUOR_MSG_TICK:
        if (fBar != nullptr)
            fBar->SetValue(Progress());
        return;
    case QUOR_MSG_OK:
    case QUOR_MSG_CANCEL:
        // A late end for a window already closing, or a second Cancel, has nothing left to do.
        if (!Finish())
            return;
        break;
    default:
        break;
    }
    Quor_Dialog::HandleMessage(message);
}

void RenderProgress::OnEndDialog(int code)
{
    Finish();
    Quor_Dialog::OnEndDialog(code);
}

void RenderProgress::StopTimer()
{
    if (fTimer != 0 && Window() != nullptr)
        Window()->KillTimer(fTimer);
    fTimer = 0;
}

void RenderProgress::DetachedFromWindow()
{
    StopTimer();
    Quor_Dialog::DetachedFromWindow();
}
