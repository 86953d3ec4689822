#include "toolkit/framework/Quor_EventLoop.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "toolkit/core/Quor_Message.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_EventLoopState.h"
#include "toolkit/framework/Quor_FrameworkDefs.h"
#include "toolkit/framework/Quor_InputMap.h"
#include "toolkit/framework/Quor_KeyComposer.h"
#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/framework/Quor_MenuStrip.h"
#include "toolkit/framework/Quor_MenuStripLayer.h"
#include "toolkit/framework/Quor_PostQueue.h"
#include "toolkit/framework/Quor_TimerScheduler.h"
#include "toolkit/framework/Quor_WindowCall.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/framework/platform/Quor_Host.h"
#include "toolkit/framework/platform/Quor_HostEvent.h"

namespace {

// The toolkit's own loop state, in use while no application object exists.
std::unique_ptr<Quor_EventLoopState> sToolkitState = std::make_unique<Quor_EventLoopState>();

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
    Quor_WindowCall call(window);
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
        Quor_WindowCall call(window);
        // The menu strip sees a key before the window does, as a menu bar sees its shortcuts:
        // a Ctrl chord as a shortcut, any other key for opening the menus from the keyboard. A
        // key the focused field has a use for (Ctrl+A in a text field) is the field's.
        Quor_Layer* top = window->TopLayer();
        const bool fieldKey = top != nullptr && top->FocusWantsKey(key.code, key.modifiers);
        auto* strip = static_cast<Quor_MenuStripLayer*>(window->MenuStripLayer());
        if (strip != nullptr && !fieldKey) {
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
    Quor_WindowCall call(window);
    window->OnFileDrop(event.text.c_str(), where, 0);
}

void DeliverClose(Quor_Wnd* window)
{
    // A window without a close box cannot be asked to close; the host may still offer one.
    if (window->Type() == 6)
        return;
    Quor_WindowCall call(window);
    if (window->CloseOK() && call.Alive())
        window->CloseWindow();
}

bool LoopEnded(Quor_Wnd* modal, uint32_t modalId, bool* modalGone)
{
    const Quor_EventLoopState& state = Quor_EventLoop::State();
    if (state.aborted)
        return true;
    if (modal == nullptr)
        return state.quit.load();
    if (Quor_WindowList::Find(modalId) != modal) {
        *modalGone = true;
        return true;
    }
    return !modal->ContinueModal();
}

// A quit request held back during a modal loop goes on once no modal loop runs any more, from
// the outer loop: the code that ran the dialog has then acted on its answer and returned.
void DeliverHeldQuit()
{
    Quor_EventLoopState& state = Quor_EventLoop::State();
    if (!state.quitHeld || !state.modalStack.empty() || state.aborted)
        return;
    state.quitHeld = false;
    Quori_QuitHandler();
}

}  // namespace

bool Quor_EventLoop::Run(Quor_Wnd* modal)
{
    Quor_Host* host = Quor_Host::Current();
    const uint32_t modalId = modal != nullptr ? modal->Id() : 0;
    if (modal != nullptr) {
        try {
            State().modalStack.push_back(modalId);
        } catch (const std::bad_alloc&) {
            return true;
        }
    }
    bool modalGone = false;
    while (host != nullptr && !LoopEnded(modal, modalId, &modalGone)) {
        if (modal == nullptr)
            DeliverHeldQuit();
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
        std::vector<uint32_t>& stack = State().modalStack;
        auto it = std::find(stack.rbegin(), stack.rend(), modalId);
        if (it != stack.rend())
            stack.erase(std::next(it).base());
    }
    return !modalGone;
}

void Quor_EventLoop::ProcessPending()
{
    Quor_Host* host = Quor_Host::Current();
    if (host == nullptr)
        return;
    DeliverHeldQuit();
    Quor_PostQueue::Deliver();
    FireTimers();
    Quor_HostEvent event;
    while (host->WaitEvent(&event, 0)) {
        Dispatch(event);
        event = Quor_HostEvent();
    }
    Quor_PostQueue::Deliver();
    FireTimers();
    DeliverHeldQuit();
}

void Quor_EventLoop::RequestQuit()
{
    State().quit = true;
    Quor_Host::WakeCurrent();
}

bool Quor_EventLoop::QuitRequested()
{
    return State().quit;
}

void Quor_EventLoop::ClearQuit()
{
    State().quit = false;
}

void Quor_EventLoop::Abort()
{
    State().aborted = true;
    Quor_Host::WakeCurrent();
}

bool Quor_EventLoop::Aborted()
{
    return State().aborted;
}

void Quor_EventLoop::FireTimers()
{
    Quor_Host* host = Quor_Host::Current();
    if (host == nullptr)
        return;
    const std::vector<Quor_TimerScheduler::Due> due = Quor_TimerScheduler::TakeDue(host->NowMicros());
    for (const Quor_TimerScheduler::Due& timer : due) {
        // Re-checked before each one: an earlier timer may have closed the window or killed this.
        Quor_Wnd* window = Quor_WindowList::Find(timer.window);
        if (window == nullptr || !Quor_TimerScheduler::Has(timer.window, timer.id))
            continue;
        Quor_WindowCall call(window);
        window->OnTimer(timer.id);
    }
}

void Quor_EventLoop::Dispatch(const Quor_HostEvent& event)
{
    if (event.kind == Quor_HostEvent::kQuit) {
        if (!State().modalStack.empty())
            State().quitHeld = true;
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
            DeliverKeys(window, State().keys.KeyDown(event));
        break;
    case Quor_HostEvent::kText:
        if (AcceptsInput(window))
            DeliverKeys(window, State().keys.Text(event));
        break;
    case Quor_HostEvent::kExpose:
    case Quor_HostEvent::kResized: {
        Quor_WindowCall call(window);
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
            Quor_WindowCall call(window);
            window->OnMouseEnter();
        }
        break;
    case Quor_HostEvent::kLeave:
        if (AcceptsInput(window)) {
            Quor_WindowCall call(window);
            window->OnMouseExit();
        }
        break;
    default:
        break;
    }
}

Quor_Wnd* Quor_EventLoop::ModalWindow()
{
    const std::vector<uint32_t>& stack = State().modalStack;
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
        if (Quor_Wnd* window = Quor_WindowList::Find(*it))
            return window;
    }
    return nullptr;
}

int Quor_EventLoop::ModalDepth()
{
    return static_cast<int>(State().modalStack.size());
}

bool Quor_EventLoop::AcceptsInput(const Quor_Wnd* window)
{
    const Quor_Wnd* modal = ModalWindow();
    // Windows opened after the modal window (its own dialogs, say) are not blocked.
    return modal == nullptr || window->Id() >= modal->Id();
}

void Quor_EventLoop::ShowHostCursor(uintptr_t cursor)
{
    Quor_EventLoopState& state = State();
    if (state.cursorKnown && state.shownCursor == cursor)
        return;
    if (Quor_Host* host = Quor_Host::Current()) {
        host->SetCursor(cursor);
        state.shownCursor = cursor;
        state.cursorKnown = true;
    }
}

void Quor_EventLoop::ForgetHostCursor(uintptr_t cursor)
{
    Quor_EventLoopState& state = State();
    if (state.cursorKnown && state.shownCursor == cursor)
        state.cursorKnown = false;
}

Quor_EventLoopState& Quor_EventLoop::State()
{
    if (Quor_App* app = Quor_App::gApp)
        return app->LoopState();
    return *sToolkitState;
}

void Quor_EventLoop::RenewToolkitState()
{
    if (auto* fresh = new (std::nothrow) Quor_EventLoopState())
        sToolkitState.reset(fresh);
}
