// The event loop shared by every host: waits for host events, fires due timers, delivers work
// posted from other threads, and turns each host event into calls on its window (under the
// window's lock). Modal loops are nested runs of the same loop; while one runs, input to the
// windows opened before its window is dropped and the desktop's quit request is held back until
// the outermost modal loop has ended and control is back in the outer loop. What the loop keeps
// between events is a Quor_EventLoopState that the application object owns.
#pragma once

#include <cstdint>

struct Quor_EventLoopState;
struct Quor_HostEvent;
class Quor_Wnd;

class Quor_EventLoop {
public:
    // Runs until Quit is asked (modal null) or until the modal window's EndModal (or until the
    // window is gone). Returns false when the modal window was deleted while the loop ran.
    static bool Run(Quor_Wnd* modal);
    // Handles what is waiting now (events, posted work, due timers) without waiting; for tests
    // and for long commands that must keep the windows alive. Outside every modal loop it also
    // hands on a quit request held back during one, as the outer loop does.
    static void ProcessPending();
    // Ends the outermost loop.
    static void RequestQuit();
    static bool QuitRequested();
    static void ClearQuit();
    // Makes every running loop return at once (a test backend that found nothing left to do).
    static void Abort();
    static bool Aborted();

    // One host event, as the loop would handle it.
    static void Dispatch(const Quor_HostEvent& event);
    // Fires the timers due now.
    static void FireTimers();

    // The innermost modal window, or null.
    static Quor_Wnd* ModalWindow();
    static int ModalDepth();
    // Whether input may reach the window now (not blocked by a modal loop of another window).
    static bool AcceptsInput(const Quor_Wnd* window);

    // Shows a cursor on the host unless it is already showing (0 is the arrow).
    static void ShowHostCursor(uintptr_t cursor);
    // The host cursor is being freed: it no longer counts as showing.
    static void ForgetHostCursor(uintptr_t cursor);
    // The state of the loop: the application object's, or the toolkit's own while there is none.
    static Quor_EventLoopState& State();
    // A fresh state for the toolkit's own; at toolkit start and end.
    static void RenewToolkitState();
};
