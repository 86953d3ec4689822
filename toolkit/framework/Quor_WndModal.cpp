// Quor_Wnd: modal loops and closing.
#include "toolkit/framework/Quor_Wnd.h"

#include "toolkit/framework/Quor_EventLoop.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/platform/Quor_Host.h"

// --- Modal loops and closing ---------------------------------------------------------------------

int Quor_Wnd::DoModal()
{
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

    Show();
    const bool alive = Quor_EventLoop::Run(this);

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
    fClosing = true;
    OnClose();
    DestroyLayers();
    PlatformDestroy();
    delete this;
}
