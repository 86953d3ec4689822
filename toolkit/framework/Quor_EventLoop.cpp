#include "toolkit/framework/Quor_EventLoop.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "toolkit/core/Quor_Message.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_FrameworkDefs.h"
#include "toolkit/framework/Quor_InputMap.h"
#include "toolkit/framework/Quor_KeyComposer.h"
#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/framework/Quor_MenuStrip.h"
#include "toolkit/framework/Quor_MenuStripLayer.h"
#include "toolkit/framework/Quor_PostQueue.h"
#include "toolkit/framework/Quor_TimerScheduler.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/framework/platform/Quor_Host.h"
#include "toolkit/framework/platform/Quor_HostEvent.h"

namespace {

std::atomic<bool> sQuit{false};
std::atomic<bool> sAborted{false};
// Ids of the windows whose modal loops run, innermost last.
std::vector<uint32_t> sModalStack;
// The desktop asked to quit while a modal loop ran.
bool sQuitHeld = false;
Quor_KeyComposer sKeys;
uintptr_t sShownCursor = 0;
bool sCursorKnown = false;

// Holds a window's lock for one host callback; releases it only while the window still exists
// (a callback may close the window, which destroys the lock with it).
class WindowCall {
public:
    explicit WindowCall(Quor_Wnd* window) : fWindow(window), fId(window->Id()) { fWindow->Lock(-1); }
    ~WindowCall()
    {
        if (Quor_WindowList::Find(fId) == fWindow)
            fWindow->Unlock();
    }
    WindowCall(const WindowCall&) = delete;
    WindowCall& operator=(const WindowCall&) = delete;

    bool Alive() const { return Quor_WindowList::Find(fId) == fWindow; }

private:
    Quor_Wnd* fWindow;
    uint32_t fId;
};

// Client coordinates of the host window to the window's coordinates (the strip lies above 0).
Quor_Point ToWindow(const Quor_Wnd* window, int x, int y)
{
    return Quor_Point(x, y - window->MenuStripHeight());
}

void DeliverMouse(Quor_Wnd* window, const Quor_HostEvent& event)
{
    const Quor_Point where = ToWindow(window, event.x, event.y);
    const unsigned int modifiers = Quor_InputMap::Modifiers(event.modifiers);
    Quor_Message message;
    message.Set("where", where);
    message.Set("modifiers", static_cast<int>(modifiers));
    WindowCall call(window);
    switch (event.kind) {
    case Quor_HostEvent::kMouseDown: {
        const unsigned int button = Quor_InputMap::Button(event.button, Quor_InputMap::ControlFlag(event.modifiers));
        if (!window->HasFocus())
            window->SetFocus();
        window->OnMouseDown(where, button, modifiers, &message);
        break;
    }
    case Quor_HostEvent::kMouseUp: {
        const unsigned int button = Quor_InputMap::Button(event.button, Quor_InputMap::ControlFlag(event.modifiers));
        window->OnMouseUp(where, button, modifiers, &message);
        break;
    }
    case Quor_HostEvent::kMouseMove:
        window->OnMouseMove(where, modifiers, &message);
        if (call.Alive() && window->Cursor() == nullptr && !Quor_App::gDisableCursors)
            Quor_EventLoop::ShowHostCursor(0);
        break;
    case Quor_HostEvent::kWheel: {
        const int delta = Quor_InputMap::WheelDelta(event.wheelY);
        if (delta == 0)
            break;
        message.Set("wheelDistance", static_cast<float>(delta));
        window->OnMouseWheel(static_cast<float>(delta), where, 0, &message);
        break;
    }
    default:
        break;
    }
}

void DeliverKeys(Quor_Wnd* window, const std::vector<Quor_KeyComposer::Key>& keys)
{
    const uint32_t id = window->Id();
    for (const Quor_KeyComposer::Key& key : keys) {
        if (Quor_WindowList::Find(id) != window)
            return;
        WindowCall call(window);
        // The menu strip sees a key before the window does, as a menu bar sees its shortcuts:
        // a Ctrl chord as a shortcut, any other key for opening the menus from the keyboard.
        if (auto* strip = static_cast<Quor_MenuStripLayer*>(window->MenuStripLayer())) {
            Quor_MenuStrip* menus = strip->Strip();
            const bool taken = (key.modifiers & QUOR_COMMAND) != 0 ? menus->StripShortcut(key.code, key.modifiers)
                                                                   : menus->StripKey(key.code, key.modifiers);
            if (taken)
                continue;
            if (!call.Alive())
                return;
        }
        window->OnKeyDown(key.code, key.modifiers);
    }
}

void DeliverDrop(Quor_Wnd* window, const Quor_HostEvent& event)
{
    Quor_Host* host = Quor_Host::Current();
    if (host == nullptr || event.text.empty())
        return;
    // The host gives no drop position; the pointer is where the drop happened.
    int globalX = 0;
    int globalY = 0;
    unsigned int buttons = 0;
    host->GlobalMouse(&globalX, &globalY, &buttons);
    int windowX = 0;
    int windowY = 0;
    host->GetPosition(window->PlatformWindow(), &windowX, &windowY);
    const Quor_Point where = ToWindow(window, globalX - windowX, globalY - windowY);
    WindowCall call(window);
    window->OnFileDrop(event.text.c_str(), where, 0);
}

void DeliverClose(Quor_Wnd* window)
{
    // A window without a close box cannot be asked to close; the host may still offer one.
    if (window->Type() == 6)
        return;
    WindowCall call(window);
    if (!window->CloseOK() || !call.Alive())
        return;
    window->OnClose();
    if (call.Alive())
        delete window;
}

bool LoopEnded(Quor_Wnd* modal, uint32_t modalId, bool* modalGone)
{
    if (sAborted)
        return true;
    if (modal == nullptr)
        return sQuit.load();
    if (Quor_WindowList::Find(modalId) != modal) {
        *modalGone = true;
        return true;
    }
    return !modal->ContinueModal();
}

}  // namespace

bool Quor_EventLoop::Run(Quor_Wnd* modal)
{
    Quor_Host* host = Quor_Host::Current();
    const uint32_t modalId = modal != nullptr ? modal->Id() : 0;
    if (modal != nullptr)
        sModalStack.push_back(modalId);
    bool modalGone = false;
    while (host != nullptr && !LoopEnded(modal, modalId, &modalGone)) {
        Quor_PostQueue::Deliver();
        FireTimers();
        if (LoopEnded(modal, modalId, &modalGone))
            break;
        int timeout = Quor_TimerScheduler::MillisecondsToNext(host->NowMicros());
        if (Quor_PostQueue::Pending())
            timeout = 0;
        Quor_HostEvent event;
        if (host->WaitEvent(&event, timeout))
            Dispatch(event);
        host = Quor_Host::Current();
    }
    if (modal != nullptr) {
        auto it = std::find(sModalStack.rbegin(), sModalStack.rend(), modalId);
        if (it != sModalStack.rend())
            sModalStack.erase(std::next(it).base());
        if (sModalStack.empty() && sQuitHeld && !sAborted) {
            sQuitHeld = false;
            Quori_QuitHandler();
        }
    }
    return !modalGone;
}

void Quor_EventLoop::ProcessPending()
{
    Quor_Host* host = Quor_Host::Current();
    if (host == nullptr)
        return;
    Quor_PostQueue::Deliver();
    FireTimers();
    Quor_HostEvent event;
    while (host->WaitEvent(&event, 0)) {
        Dispatch(event);
        event = Quor_HostEvent();
    }
    Quor_PostQueue::Deliver();
    FireTimers();
}

void Quor_EventLoop::RequestQuit()
{
    sQuit = true;
    Quor_Host::WakeCurrent();
}

bool Quor_EventLoop::QuitRequested()
{
    return sQuit;
}

void Quor_EventLoop::ClearQuit()
{
    sQuit = false;
}

void Quor_EventLoop::Abort()
{
    sAborted = true;
    Quor_Host::WakeCurrent();
}

bool Quor_EventLoop::Aborted()
{
    return sAborted;
}

void Quor_EventLoop::FireTimers()
{
    Quor_Host* host = Quor_Host::Current();
    if (host == nullptr)
        return;
    const std::vector<Quor_TimerScheduler::Due> due = Quor_TimerScheduler::TakeDue(host->NowMicros());
    for (const Quor_TimerScheduler::Due& timer : due) {
        // Re-checked before each one: an earlier timer may have closed the window or killed this.
        Quor_Wnd* window = nullptr;
        for (Quor_Wnd* w : Quor_WindowList::All()) {
            if (w == timer.owner) {
                window = w;
                break;
            }
        }
        if (window == nullptr || !Quor_TimerScheduler::Has(window, timer.id))
            continue;
        WindowCall call(window);
        window->OnTimer(timer.id);
    }
}

void Quor_EventLoop::Dispatch(const Quor_HostEvent& event)
{
    if (event.kind == Quor_HostEvent::kQuit) {
        if (!sModalStack.empty())
            sQuitHeld = true;
        else
            Quori_QuitHandler();
        return;
    }
    Quor_Wnd* window = Quor_WindowList::FindByHost(event.window);
    if (window == nullptr)
        return;
    switch (event.kind) {
    case Quor_HostEvent::kMouseDown:
    case Quor_HostEvent::kMouseUp:
    case Quor_HostEvent::kMouseMove:
    case Quor_HostEvent::kWheel:
        if (AcceptsInput(window))
            DeliverMouse(window, event);
        break;
    case Quor_HostEvent::kKeyDown:
        if (AcceptsInput(window))
            DeliverKeys(window, sKeys.KeyDown(event));
        break;
    case Quor_HostEvent::kText:
        if (AcceptsInput(window))
            DeliverKeys(window, sKeys.Text(event));
        break;
    case Quor_HostEvent::kExpose:
    case Quor_HostEvent::kResized: {
        WindowCall call(window);
        window->HandleHostResize();
        break;
    }
    case Quor_HostEvent::kClose:
        if (AcceptsInput(window))
            DeliverClose(window);
        break;
    case Quor_HostEvent::kDropFile:
        if (AcceptsInput(window))
            DeliverDrop(window, event);
        break;
    case Quor_HostEvent::kEnter:
        if (AcceptsInput(window)) {
            WindowCall call(window);
            window->OnMouseEnter();
        }
        break;
    case Quor_HostEvent::kLeave:
        if (AcceptsInput(window)) {
            WindowCall call(window);
            window->OnMouseExit();
        }
        break;
    default:
        break;
    }
}

Quor_Wnd* Quor_EventLoop::ModalWindow()
{
    for (auto it = sModalStack.rbegin(); it != sModalStack.rend(); ++it) {
        if (Quor_Wnd* window = Quor_WindowList::Find(*it))
            return window;
    }
    return nullptr;
}

int Quor_EventLoop::ModalDepth()
{
    return static_cast<int>(sModalStack.size());
}

bool Quor_EventLoop::AcceptsInput(const Quor_Wnd* window)
{
    const Quor_Wnd* modal = ModalWindow();
    // Windows opened after the modal window (its own dialogs, say) are not blocked.
    return modal == nullptr || window->Id() >= modal->Id();
}

void Quor_EventLoop::ShowHostCursor(uintptr_t cursor)
{
    if (sCursorKnown && sShownCursor == cursor)
        return;
    if (Quor_Host* host = Quor_Host::Current()) {
        host->SetCursor(cursor);
        sShownCursor = cursor;
        sCursorKnown = true;
    }
}

void Quor_EventLoop::ForgetHostCursor(uintptr_t cursor)
{
    if (sCursorKnown && sShownCursor == cursor)
        sCursorKnown = false;
}

void Quor_EventLoop::Reset()
{
    sQuit = false;
    sAborted = false;
    sModalStack.clear();
    sQuitHeld = false;
    sKeys = Quor_KeyComposer();
    sShownCursor = 0;
    sCursorKnown = false;
}
