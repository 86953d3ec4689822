// The progress window over a long job on a worker thread (Align All, a slow open): a caption, a
// bar and Cancel. The worker starts before the window, so a job that ends within a moment never
// shows it. The worker never touches the window: its progress and its end are handed to the event
// thread, which joins the worker and then closes the window.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "app/core/WorkerOwner.h"
#include "toolkit/widgets/Quor_Dialog.h"

class Quor_ProgressBar;

class WorkerProgress : public Quor_Dialog, public virtual WorkerOwner {
public:
    // false (the window is about to run): from inside the modal loop, the window takes the
    // worker's reports, and a worker that ended before closes it at once.
    void UpdateData(bool save) override;
    // QUOR_MSG_CANCEL (the button or Escape) cancels and joins the worker, QUOR_MSG_OK (the
    // worker's end, handed over to this thread) joins it; either closes the window, and once
    // closing, further ones are ignored.
    void HandleMessage(Quor_Message* message) override;
    // However the window ends (the close box ends it without the messages above), the job ends
    // with it, cancelled unless the worker's end came first.
    void OnEndDialog(int code) override;
    // Worker threads: post the progress, which moves the bar, and the end to the window's thread.
    void ProgressMade() override;
    void WorkEnded() override;

    Quor_ProgressBar* Bar() const { return fBar; }

protected:
    WorkerProgress(const char* title, Quor_Wnd* parent, const char* caption);

    // With the worker started: waits up to `quietMs` milliseconds for its end, and when it takes
    // longer runs the window modally until the worker ends or the user cancels. Either way the
    // outcome is handed over and this object is gone when it returns.
    void Show(int quietMs);
    // Hands over how the job ended: the worker's result when `finished` (its own end, the worker
    // joined), else a Cancel with nothing to keep, even when the job happened to end meanwhile.
    virtual void HandOver(bool finished) = 0;

private:
    void Attach();
    // Ends the job for good: joins the worker (cancelling it unless `finished`) and hands over the
    // outcome. False when it had ended already.
    bool Finish(bool finished);

    Quor_ProgressBar* fBar = nullptr;
    // The window reports go to; 0 until the modal loop runs. Under fWindowLock, the worker's end
    // and the loop's start agree on who closes the window.
    std::mutex fWindowLock;
    std::atomic<uint32_t> fWindowId{0};
    bool fAttached = false;
    bool fFinished = false;
};
