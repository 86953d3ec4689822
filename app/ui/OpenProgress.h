// The progress window of opening a project: a bar (photos decoded of all) and Cancel over the
// open's worker. The worker starts before the window: an open that ends within a moment never
// shows it. The worker never touches the window: its end is handed to the event thread, which
// joins it and then closes the window.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "app/core/OpenOwner.h"
#include "toolkit/widgets/Quor_Dialog.h"

class Quor_Button;
class Quor_ProgressBar;

class OpenProgress : public Quor_Dialog, public OpenOwner {
public:
    // How long an open may take before the window shows.
    static int gQuietMilliseconds;
    // Tests: called on the worker's side before each photo's check for Cancel (see
    // ReachedCheckpoint), to slow the open down or hold it until Cancel.
    static std::function<void(OpenProgress* progress, int loaded)> gCheckpointHook;

    // Reads the project at `path` beside the event thread (current: the open document, which
    // must not change meanwhile): waits for the read up to gQuietMilliseconds, and when it takes
    // longer runs the window modally until the read ends or the user cancels it. A system that
    // refuses the thread reads on this thread instead.
    static OpenResult Open(const PanomerDoc* current, Quor_Wnd* parent, const char* path);

    // Cancels and joins a worker still running.
    ~OpenProgress() override;

    // false (the window is about to run): from inside the modal loop, the window takes the
    // worker's reports, and a worker that ended before closes it at once.
    void UpdateData(bool save) override;
    // QUOR_MSG_CANCEL (the button or Escape) cancels and joins the worker, QUOR_MSG_OK (the
    // worker's end, handed over to this thread) joins it; either closes the window, and once
    // closing, further ones are ignored.
    void HandleMessage(Quor_Message* message) override;
    // However the window ends (the close box ends it without the messages above), the run ends
    // with it, cancelled unless the worker's end came first.
    void OnEndDialog(int code) override;
    // Worker threads: post the progress, which moves the bar, and the end to the window's thread.
    void ProgressMade() override;
    void OpenEnded() override;
    void ReachedCheckpoint(int loaded) override;

    Quor_ProgressBar* Bar() const { return fBar; }

private:
    OpenProgress(const PanomerDoc* current, Quor_Wnd* parent, OpenResult* outcome);

    void Attach();
    // Ends the run for good: joins the worker (cancelling it unless `finished`, the worker's own
    // end) and hands over the outcome. False when it had ended already.
    bool Finish(bool finished);

    OpenResult* fOutcome;
    Quor_ProgressBar* fBar;
    Quor_Button* fCancel;
    // The window reports go to; 0 until the modal loop runs. Under fWindowLock, the worker's end
    // and the loop's start agree on who closes the window.
    std::mutex fWindowLock;
    std::atomic<uint32_t> fWindowId{0};
    bool fAttached;
    bool fFinished;
};
