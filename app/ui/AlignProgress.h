// The progress window of Align All: a bar and Cancel over the alignment worker, which it starts
// once its modal loop runs, cancels on request and joins before it closes. The worker never
// touches the window: its end is handed to the event thread, which joins it and then closes the
// window.
#pragma once

#include <cstdint>

#include "app/core/AlignOwner.h"
#include "toolkit/widgets/Quor_Dialog.h"

class Quor_Button;
class Quor_ProgressBar;

class AlignProgress : public Quor_Dialog, public AlignOwner {
public:
    // outcome receives how the run ended before the window closes: the worker's result when it
    // finished, a Cancel (with nothing to apply) when the user ended the window first.
    AlignProgress(const PanomerDoc* doc, Quor_Wnd* parent, AlignResult* outcome);
    // Cancels and joins a worker still running.
    ~AlignProgress() override;

    // false (the window is about to run): the worker is started from inside the modal loop, so
    // that its end can never arrive before the loop that waits for it.
    void UpdateData(bool save) override;
    // QUOR_MSG_CANCEL (the button or Escape) cancels and joins the worker, QUOR_MSG_OK (the
    // worker's end, handed over to this thread) joins it; either closes the window, and once
    // closing, further ones are ignored.
    void HandleMessage(Quor_Message* message) override;
    // However the window ends (the close box ends it without the messages above), the run ends
    // with it, cancelled unless the worker's end came first.
    void OnEndDialog(int code) override;
    // Worker thread: post the progress, which moves the bar, and the end to the window's thread.
    void ProgressMade() override;
    void AlignEnded() override;

    Quor_ProgressBar* Bar() const { return fBar; }

private:
    void Start();
    // Ends the run for good: joins the worker (cancelling it unless `finished`, the worker's own
    // end) and hands over the outcome. False when it had ended already.
    bool Finish(bool finished);

    AlignResult* fOutcome;
    Quor_ProgressBar* fBar;
    Quor_Button* fCancel;
    // The window the end is posted to, fixed before the worker starts.
    uint32_t fWindowId;
    bool fStarted;
    // The system refused the worker's thread.
    bool fRefused;
    bool fFinished;
};
