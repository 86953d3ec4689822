#include "app/ui/OpenProgress.h"

#include <new>
#include <utility>

#include "app/ui/ProgressForm.h"
#include "toolkit/core/Quor_Message.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/widgets/Quor_ProgressBar.h"

int OpenProgress::gQuietMilliseconds = 500;
std::function<void(OpenProgress* progress, int loaded)> OpenProgress::gCheckpointHook;

OpenResult OpenProgress::Open(const PanomerDoc* current, Quor_Wnd* parent, const char* path)
{
    OpenResult result;
    result.status = OpenStatus::kFailed;
    auto* progress = new (std::nothrow) OpenProgress(current, parent, &result);
    if (progress == nullptr || !progress->StartOpen(path)) {
        delete progress;
        result.doc = current->ReadAnother(path);
        result.status = result.doc ? OpenStatus::kDone : OpenStatus::kFailed;
        return result;
    }
    if (progress->WaitForEnd(gQuietMilliseconds)) {
        // Quick (a small project, or previews from the cache): no window flashes.
        progress->Finish(true);
        delete progress;
        return result;
    }
    // The window and the dialog go together, however the loop ends; the outcome is handed over
    // before that.
    progress->DoModal();
    return result;
}

OpenProgress::OpenProgress(const PanomerDoc* current, Quor_Wnd* parent, OpenResult* outcome)
    : Quor_Dialog("Opening", parent),
      OpenOwner(current),
      fOutcome(outcome),
      fBar(nullptr),
      fCancel(nullptr),
      fAttached(false),
      fFinished(false)
{
    const ProgressForm form = ProgressForm::Build(this, "Opening the project...");
    fBar = form.bar;
    fCancel = form.cancel;
}

OpenProgress::~OpenProgress()
{
    // The worker reports to this object: it must be gone first.
    CancelOpen();
}

void OpenProgress::UpdateData(bool save)
{
    if (save)
        return;
    // The end is posted to this window, and posted work only runs inside a loop.
    Quor_Wnd* window = Window();
    if (window == nullptr || !Quor_Wnd::PostTask(window->Id(), [this](Quor_Wnd*) { Attach(); }))
        Attach();
}

void OpenProgress::Attach()
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

void OpenProgress::ReachedCheckpoint(int loaded)
{
    if (gCheckpointHook)
        gCheckpointHook(this, loaded);
}

void OpenProgress::ProgressMade()
{
    // One task per photo. Like the end, the task is dropped with a window that has closed
    // meanwhile, and before the window runs there is nowhere to post it.
    const uint32_t window = fWindowId.load();
    if (window == 0)
        return;
    Quor_Wnd::PostTask(window, [this](Quor_Wnd*) {
        if (fBar != nullptr)
            fBar->SetValue(Progress());
    });
}

void OpenProgress::OpenEnded()
{
    // A window closed by a Cancel that crossed the end drops the task, and the Cancel has joined
    // the worker itself. The dialog lives as long as its window, so while the task runs, `this`
    // is there.
    std::lock_guard<std::mutex> lock(fWindowLock);
    const uint32_t window = fWindowId.load();
    if (window != 0)
        Quor_Wnd::PostTask(window, [this](Quor_Wnd*) { SendMessage(QUOR_MSG_OK); });
}

bool OpenProgress::Finish(bool finished)
{
    if (fFinished)
        return false;
    fFinished = true;
    if (finished)
        JoinOpen();
    else
        CancelOpen();
    if (fOutcome != nullptr) {
        if (finished) {
            *fOutcome = TakeResult();
        } else {
            // The user asked to stop: an open that happened to end meanwhile is not kept either.
            *fOutcome = OpenResult();
            fOutcome->status = OpenStatus::kCancelled;
        }
    }
    return true;
}

void OpenProgress::HandleMessage(Quor_Message* message)
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

void OpenProgress::OnEndDialog(int code)
{
    Finish(false);
    Quor_Dialog::OnEndDialog(code);
}
