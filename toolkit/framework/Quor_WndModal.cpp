// Quor_Wnd: modal loops and closing.
#include "toolkit/framework/Quor_Wnd.h"

#include <vector>

#include "toolkit/framework/Quor_EventLoop.h"
#include "toolkit/framework/Quor_FrameworkDefs.h"
#include "toolkit/framework/Quor_WindowCall.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/platform/Quor_Host.h"

namespace {

// Children that keep reopening children while their parent closes are left after this many
// rounds, cut loose from the parent.
constexpr int kMaxChildRounds = 256;

}  // namespace

// --- Modal loops and closing ---------------------------------------------------------------------

int Quor_Wnd::DoModal()
{
    const uint32_t id = fId;
    fRunningModal = true;
    fModalDone = false;
    fCloseAfterModal = true;
    fModalResult = 0;

    // The caller's thread may hold the parent's recursive lock several times; give it all up so
    // that threads waiting on the parent can proceed, and take it back as often afterwards.
    Quor_Wnd* parent = fParent;
    const uint32_t parentId = parent != nullptr ? parent->Id() : 0;
    const Quor_MutexHandle parentLock = parent != nullptr ? parent->LockHandle() : nullptr;
    const int depth = parentLock != nullptr ? Quor_MutexLockCount(parentLock) : 0;
    for (int i = 0; i < depth; ++i)
        Quor_UnlockMutex(parentLock);

    // A press held in another window ends now: its release would be kept from that window by
    // this loop, and the view that took the press would drag on after the dialog.
    EndPressesElsewhere();
    bool alive = Quor_WindowList::Find(id) == this;
    if (alive) {
        Show();
        alive = Quor_WindowList::Find(id) == this && Quor_EventLoop::Run(this);
    }

    if (parentId != 0 && Quor_WindowList::Find(parentId) == parent) {
        for (int i = 0; i < depth; ++i)
            Quor_LockMutex(parentLock, -1);
    }
    if (!alive)
        return 0;
    fRunningModal = false;
    const int result = fModalResult;
    if (fCloseAfterModal) {
        CloseWindow();
        // The window below takes the keyboard back, as a window manager would hand it on;
        // without one it would stay with the closed window, that is nowhere.
        if (parentId != 0 && Quor_WindowList::Find(parentId) == parent)
            parent->SetFocus();
    }
    return result;
}

void Quor_Wnd::EndModal(int result, bool close)
{
    fModalResult = result;
    fCloseAfterModal = close;
    fModalDone = true;
    Quor_Host::WakeCurrent();
}

bool Quor_Wnd::ContinueModal() const
{
    return !fModalDone;
}

void Quor_Wnd::CloseWindow()
{
    const uint32_t id = fId;
    fClosing = true;
    // Child windows (a modeless dialog) close first, while this window can still hear them.
    CloseChildWindows();
    if (Quor_WindowList::Find(id) == this)
        OnClose();
    // OnClose, or a child's, may have closed this window already.
    if (Quor_WindowList::Find(id) != this)
        return;
    StoreWindowShape();
    DestroyLayers();
    PlatformDestroy();
    delete this;
}

void Quor_Wnd::CloseChildWindows()
{
    const uint32_t id = fId;
    // A child's OnClose may open or close windows: the list is read again after each one.
    for (int round = 0; round < kMaxChildRounds; ++round) {
        Quor_Wnd* child = nullptr;
        for (Quor_Wnd* window : Quor_WindowList::All()) {
            if (window->fParent == this) {
                child = window;
                break;
            }
        }
        if (child == nullptr)
            return;
        child->CloseWindow();
        if (Quor_WindowList::Find(id) != this)
            return;
    }
    for (Quor_Wnd* window : Quor_WindowList::All()) {
        if (window->fParent == this)
            window->fParent = nullptr;
    }
}

void Quor_Wnd::EndPressesElsewhere()
{
    std::vector<uint32_t> ids;
    for (Quor_Wnd* window : Quor_WindowList::All()) {
        if (window != this && (window->fButtons.Any() || window->fDragging))
            ids.push_back(window->Id());
    }
    // A release may close windows: each is looked up again by its id.
    for (uint32_t other : ids) {
        if (Quor_Wnd* window = Quor_WindowList::Find(other)) {
            Quor_WindowCall call(window);
            window->EndPress();
        }
    }
}

void Quor_Wnd::EndPress()
{
    // A message drag ends without a drop.
    fDragging = false;
    fDragMessage = nullptr;
    const uint32_t id = fId;
    for (unsigned int button : {QUOR_LEFT_BUTTON, QUOR_RIGHT_BUTTON, QUOR_MIDDLE_BUTTON}) {
        if (!fButtons.IsDown(button))
            continue;
        const Quor_Point where = fMousePoint;
        const unsigned int modifiers = fModifiers;
        Quor_Message message;
        message.Set("where", where);
        message.Set("modifiers", static_cast<int>(modifiers));
        OnMouseUp(where, button, modifiers, &message);
        if (Quor_WindowList::Find(id) != this)
            return;
    }
}
