// The progress window of the JPEG export: a bar and Cancel over the export worker, which it
// starts once its modal loop runs, cancels on request and joins before it closes. The worker
// never touches the window: its end is handed to the event thread, which joins it and then
// closes the window.
#pragma once

#include <cstdint>

#include "app/core/RenderOwner.h"
#include "toolkit/widgets/Quor_Dialog.h"

class PanomerDoc;
class Quor_Button;
class Quor_ProgressBar;

class RenderProgress : public Quor_Dialog, public RenderOwner {
public:
    // The worker's options for every export that follows (tests shorten the start pause).
    static RenderOptions gRenderOptions;
    // How often the bar is brought up to the worker's progress, in seconds.
    static constexpr float kProgressSeconds = 0.1f;

    // outcome, when given, receives how the export ended before the window closes: the worker's
    // own result, or a Cancel when it never ran.
    RenderProgress(PanomerDoc* doc, Quor_Wnd* parent, RenderResult* outcome = nullptr);
    // Cancels and joins a worker still running.
    ~RenderProgress() override;

    // false (the window is about to run): the worker is started from inside the modal loop, so
    // that its end can never arrive before the loop that waits for it.
    void UpdateData(bool save) override;
    // QUOR_MSG_CANCEL (the button or Escape) and QUOR_MSG_OK (the worker's end,
    // handed over to this thread) take the cancel lock, join the worker, release the lock and
    // close the window; once closing, further ones are ignored. QUOR_MSG_TICK moves the bar.
    void HandleMessage(Quor_Message* message) override;
    // However the window ends (the close box ends it without the messages above), the export
    // ends with it and its outcome is kept.
    void OnEndDialog(int code) override;
    void DetachedFromWindow() override;
    // Worker thread: keeps the result and posts the end to the window's thread.
    void RenderEnded(const RenderResult& result) override;

    Quor_ProgressBar* Bar() const { return fBar; }
    Quor_Button* CancelButtonView() const { return fCancel; }
    // The worker has been started (it may have ended since).
    bool Started() const { return fStarted; }

protected:
    RenderProgress(PanomerDoc* doc, Quor_Wnd* parent, RenderKind kind, RenderResult* outcome);

private:
    void Start();
    // Stops the timer that moves the bar.
    void StopTimer();
    // Ends the export for good: joins the worker (cancelling it when it still runs) and keeps
    // the outcome. False when it had ended already.
    bool Finish();

    RenderKind fKind;
    RenderResult* fOutcome;
    // Written by the worker before its end is posted; read on the event thread after the join.
    RenderResult fResult;
    Quor_ProgressBar* fBar;
    Quor_Button* fCancel;
    // The window the end is posted to, fixed before the worker starts.
    uint32_t fWindowId;
    unsigned int fTimer;
    bool fStarted;
    bool fFinished;
};
