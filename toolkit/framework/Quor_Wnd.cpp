#include "toolkit/framework/Quor_Wnd.h"

#include <algorithm>
#include <climits>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/core/Quor_Utf8.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_Cursor.h"
#include "toolkit/framework/Quor_DC.h"
#include "toolkit/framework/Quor_EventLoop.h"
#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/framework/Quor_MenuStripLayer.h"
#include "toolkit/framework/Quor_PostQueue.h"
#include "toolkit/framework/Quor_Screen.h"
#include "toolkit/framework/Quor_TimerScheduler.h"
#include "toolkit/framework/Quor_View.h"
#include "toolkit/framework/Quor_WindowCall.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/platform/Quor_Host.h"
#include "toolkit/imaging/Quor_ColorOps.h"

namespace {

// A remembered size outside what the window accepts is pulled inside it, so a damaged settings
// file cannot make the window vanish or ask for a gigantic image.
int ClampSize(int value, int low, int high)
{
    if (high < low)
        high = low;
    return std::clamp(value, low, high);
}

}  // namespace

Quor_Wnd::Quor_Wnd(const char* title, Quor_Rect frame, bool resizable, unsigned int type,
                   Quor_Wnd* parent)
    : fModalDone(false),
      fCloseAfterModal(false),
      fRunningModal(false),
      fModalResult(0),
      fParent(parent),
      fFirstShow(true),
      fResizable(resizable),
      fType(type == 1 && Quor_App::gApp != nullptr ? 0 : type),
      fHostWindow(0),
      fLayerCount(0),
      fLayers{},
      fMouseLayer(nullptr),
      fMouseInside(true),
      fLastClickMicros(0),
      fClickSeen(false),
      fModifiers(0),
      fLastBounds(0, 0, std::max(1, frame.Width()) - 1, std::max(1, frame.Height()) - 1),
      fCursor(nullptr),
      fDragging(false),
      fDragMessage(nullptr),
      fLock(Quor_CreateMutex("Window Lock")),
      fId(Quor_WindowList::Register(this)),
      fLayoutSize(fLastBounds.Size()),
      fTitle(title != nullptr ? title : ""),
      fVisible(false),
      fStripLayer(nullptr),
      fStripHeight(0),
      fPressCount(0)
{
    if (Quor_Host* host = Quor_Host::Current()) {
        std::string utf8;
        Quor_Utf8::Repaired(fTitle, &utf8);
        Quor_HostWindowParams params;
        params.title = utf8.c_str();
        params.x = frame.left;
        params.y = frame.top;
        params.width = fLastBounds.Width();
        params.height = fLastBounds.Height();
        params.type = static_cast<int>(fType);
        params.resizable = resizable;
        params.parent = parent != nullptr ? parent->PlatformWindow() : 0;
        fHostWindow = host->CreateWindow(params);
    }
}

Quor_Wnd::~Quor_Wnd()
{
    fClosing = true;
    // A child window must never reach a freed parent (CloseWindow has closed them already).
    CloseChildWindows();
    Quor_TimerScheduler::RemoveAll(fId);
    StoreWindowShape();
    DestroyLayers();
    RemoveMenuStrip();
    PlatformDestroy();
    Quor_WindowList::Unregister(this);
    if (gMainWnd == this)
        gMainWnd = nullptr;
    Quor_DestroyMutex(fLock);
}

void Quor_Wnd::StoreWindowShape()
{
    if (fShapeStored || fHostWindow == 0 || Quor_Host::Current() == nullptr || Quor_App::gApp == nullptr)
        return;
    fShapeStored = true;
    Quor_Message* prefs = Quor_App::gApp->Prefs();
    if (!fLocationKey.IsEmpty()) {
        const Quor_Point at = Location();
        if (at.x >= 0 && at.y >= 0)
            prefs->Set(fLocationKey + "_location", at);
    }
    if (!fShapeKey.IsEmpty()) {
        const Quor_Rect b = Bounds();
        if (b.Width() > 0 && b.Height() > 0)
            prefs->Set(fShapeKey + "_shape", b.Size());
    }
}

void Quor_Wnd::PlatformDestroy()
{
    Quor_TimerScheduler::RemoveAll(fId);
    Quor_Host* host = Quor_Host::Current();
    if (fHostWindow == 0 || host == nullptr) {
        fHostWindow = 0;
        return;
    }
    StoreWindowShape();
    host->DestroyWindow(fHostWindow);
    fHostWindow = 0;
    fVisible = false;
}

void Quor_Wnd::HandleMessage(Quor_Message* message)
{
    if (fParent != nullptr) {
        fParent->HandleMessage(message);
        return;
    }
    Quor_App* app = Quor_App::gApp;
    if (app != nullptr && app->Lock(-1)) {
        app->HandleMessage(message);
        app->Unlock();
    }
}

void Quor_Wnd::OnCreate() {}

bool Quor_Wnd::CloseOK()
{
    for (int i = fLayerCount - 1; i >= 1; --i) {
        if (fLayers[i]->IsModal())
            return false;
    }
    return !fRunningModal;
}

void Quor_Wnd::OnClose() {}

void Quor_Wnd::GetMinMaxSize(Quor_Point* min, Quor_Point* max)
{
    if (min != nullptr)
        min->Set(64, 8);
    if (max != nullptr)
        max->Set(8192, 8192);
}

void Quor_Wnd::OnResize(Quor_Point oldSize, Quor_Point newSize)
{
    FollowSize(oldSize, newSize);
    Redraw(Bounds());
}

void Quor_Wnd::FollowSize(Quor_Point oldSize, Quor_Point newSize)
{
    for (int i = 0; i < fLayerCount; ++i) {
        Quor_Layer* layer = fLayers[i];
        const Quor_Rect old = layer->Frame();
        const Quor_Rect r = Quor_FollowFrame(old, layer->FollowFlags(), oldSize, newSize);
        layer->OnResize(old.Size(), r.Size());
        layer->MoveFrameTo(r.left, r.top);
        if (r.Size() != old.Size())
            layer->SetShape(r.Width(), r.Height());
        else
            layer->InitBackground();
    }
}

void Quor_Wnd::DoLayout()
{
    if (fLayerCount == 1) {
        fLayers[0]->DoLayout();
        const Quor_Point size = fLayers[0]->Shape();
        // The layer has just been fitted to this size; the window taking it must not make the
        // layer follow once more.
        fLayoutSize = size;
        SetShape(size.x, size.y);
    }
    ApplyMinSize();
}

// --- Identity and posting ------------------------------------------------------------------------

bool Quor_Wnd::PostTask(uint32_t windowId, std::function<void(Quor_Wnd*)> task)
{
    return Quor_PostQueue::Post(windowId, std::move(task));
}

bool Quor_Wnd::PostMessage(uint32_t windowId, const Quor_Message& message)
{
    try {
        Quor_Message copy(message);
        return Quor_PostQueue::Post(windowId, [copy](Quor_Wnd* window) mutable {
            window->SendMessage(&copy);
        });
    } catch (...) {
        return false;
    }
}

// --- Lock, showing, place ------------------------------------------------------------------------

bool Quor_Wnd::Lock(int timeoutMs)
{
    return Quor_LockMutex(fLock, timeoutMs);
}

void Quor_Wnd::Unlock()
{
    Quor_UnlockMutex(fLock);
}

void Quor_Wnd::Show()
{
    if (fFirstShow) {
        fFirstShow = false;
        if (Quor_App::gApp != nullptr) {
            Quor_Message* prefs = Quor_App::gApp->Prefs();
            Quor_Point at;
            if (!fLocationKey.IsEmpty() && prefs->Get(fLocationKey + "_location", &at))
                SetLocation(at.x, at.y);
            Quor_Point size;
            if (!fShapeKey.IsEmpty() && prefs->Get(fShapeKey + "_shape", &size)) {
                Quor_Point min;
                Quor_Point max;
                GetMinMaxSize(&min, &max);
                SetShape(ClampSize(size.x, std::max(1, min.x), max.x),
                         ClampSize(size.y, std::max(1, min.y), max.y));
            }
        }
        {
            Quor_WindowCall call(this);
            OnCreate();
            // OnCreate may have closed the window again.
            if (!call.Alive())
                return;
        }
        ApplyMinSize();
    }
    PullOntoScreen();
    if (Quor_Host* host = Quor_Host::Current(); host != nullptr && fHostWindow != 0) {
        host->ShowWindow(fHostWindow);
        host->FocusWindow(fHostWindow);
    }
    fVisible = true;
}

void Quor_Wnd::PullOntoScreen()
{
    const Quor_Rect screen = Quor_Screen::Bounds();
    if (screen.Width() <= 0 || screen.Height() <= 0)
        return;
    // A window remembered on a larger screen shrinks to this one, though not below its least
    // size, and comes wholly onto it (its top-left corner at least, when it cannot fit).
    Quor_Point min;
    Quor_Point max;
    GetMinMaxSize(&min, &max);
    const Quor_Rect bounds = Bounds();
    const int width = bounds.Width(), height = bounds.Height();
    const int fitWidth = std::max(min.x, std::min(width, screen.Width()));
    const int fitHeight = std::max(min.y, std::min(height, screen.Height() - fStripHeight));
    if (fitWidth != width || fitHeight != height)
        SetShape(fitWidth, fitHeight);
    const Quor_Point at = Location();
    const int x = std::max(screen.left, std::min(at.x, screen.right + 1 - fitWidth));
    const int y = std::max(screen.top, std::min(at.y, screen.bottom + 1 - fitHeight - fStripHeight));
    if (x != at.x || y != at.y)
        SetLocation(x, y);
}

void Quor_Wnd::ApplyMinSize()
{
    Quor_Host* host = Quor_Host::Current();
    if (host == nullptr || fHostWindow == 0)
        return;
    Quor_Point min(64, 8);
    Quor_Point max(8192, 8192);
    GetMinMaxSize(&min, &max);
    host->SetMinSize(fHostWindow, std::max(1, min.x), std::max(1, min.y) + fStripHeight);
}

void Quor_Wnd::Hide()
{
    if (Quor_Host* host = Quor_Host::Current(); host != nullptr && fHostWindow != 0)
        host->HideWindow(fHostWindow);
    fVisible = false;
}

void Quor_Wnd::SetFocus()
{
    if (Quor_Host* host = Quor_Host::Current(); host != nullptr && fHostWindow != 0)
        host->FocusWindow(fHostWindow);
}

bool Quor_Wnd::HasFocus()
{
    Quor_Host* host = Quor_Host::Current();
    return host != nullptr && fHostWindow != 0 && host->HasFocus(fHostWindow);
}

void Quor_Wnd::SetLocation(int x, int y)
{
    if (Quor_Host* host = Quor_Host::Current(); host != nullptr && fHostWindow != 0)
        host->SetPosition(fHostWindow, x, y);
}

Quor_Point Quor_Wnd::Location()
{
    Quor_Point at;
    if (Quor_Host* host = Quor_Host::Current(); host != nullptr && fHostWindow != 0)
        host->GetPosition(fHostWindow, &at.x, &at.y);
    return at;
}

void Quor_Wnd::SetShape(int width, int height)
{
    width = std::max(1, width);
    height = std::max(1, height);
    if (Quor_Host* host = Quor_Host::Current(); host != nullptr && fHostWindow != 0)
        host->SetSize(fHostWindow, width, height + fStripHeight);
    else
        fLastBounds.Set(0, 0, width - 1, height - 1);
    // To the size the window really took (a minimum size may have won).
    FitLayers(Bounds().Size());
}

bool Quor_Wnd::SetIcon(const Quor_image* icon)
{
    Quor_Host* host = Quor_Host::Current();
    if (icon == nullptr || !icon->IsUsable32() || host == nullptr || fHostWindow == 0)
        return false;
    return host->SetIcon(fHostWindow, *icon);
}

void Quor_Wnd::SetTitle(const char* title)
{
    fTitle = title != nullptr ? title : "";
    std::string utf8;
    if (Quor_Host* host = Quor_Host::Current(); host != nullptr && fHostWindow != 0 && Quor_Utf8::Repaired(fTitle, &utf8))
        host->SetTitle(fHostWindow, utf8.c_str());
}

Quor_Rect Quor_Wnd::Bounds()
{
    Quor_Host* host = Quor_Host::Current();
    if (host != nullptr && fHostWindow != 0) {
        int width = 0;
        int height = 0;
        host->GetSize(fHostWindow, &width, &height);
        height -= fStripHeight;
        if (width > 0 && height > 0)
            fLastBounds.Set(0, 0, width - 1, height - 1);
    }
    return fLastBounds;
}

void Quor_Wnd::CenterOnScreen()
{
    const Quor_Rect screen = Quor_Screen::Bounds();
    const Quor_Rect b = Bounds();
    const int centerX = (screen.left + screen.right) / 2;
    const int centerY = (screen.top + screen.bottom) / 2;
    SetLocation(centerX - b.Width() / 2, centerY - (b.Height() + fStripHeight) / 2);
}

void Quor_Wnd::CenterOverParent()
{
    if (fParent == nullptr || !fParent->IsVisible() || fParent->fHostWindow == 0) {
        CenterOnScreen();
        return;
    }
    const Quor_Point at = fParent->Location();
    const Quor_Rect parent = fParent->Bounds();
    const Quor_Rect b = Bounds();
    // Both frames include their menu strips, which the host counts in the window's height.
    const int64_t centerX = int64_t(at.x) + parent.Width() / 2;
    const int64_t centerY = int64_t(at.y) + (parent.Height() + fParent->fStripHeight) / 2;
    const int64_t x = centerX - b.Width() / 2;
    const int64_t y = centerY - (b.Height() + fStripHeight) / 2;
    SetLocation(static_cast<int>(std::clamp<int64_t>(x, INT_MIN / 2, INT_MAX / 2)),
                static_cast<int>(std::clamp<int64_t>(y, INT_MIN / 2, INT_MAX / 2)));
    PullOntoScreen();
}

void Quor_Wnd::RestoreLocation(const char* key)
{
    fLocationKey = key != nullptr ? key : "";
}

void Quor_Wnd::RestoreShape(const char* key)
{
    fShapeKey = key != nullptr ? key : "";
}


// --- Layers --------------------------------------------------------------------------------------

void Quor_Wnd::AddLayer(Quor_Layer* layer)
{
    if (layer == nullptr || fLayerCount >= kMaxLayers)
        return;
    layer->SetWindow(this);
    fLayers[fLayerCount++] = layer;
    layer->AttachedToWindow();
    layer->OnDraw(layer->Bounds());
    if (layer->MenuStrip() != nullptr)
        UpdateMenuStrip();
}

void Quor_Wnd::RemoveLayer(Quor_Layer* layer)
{
    const int index = IndexOfLayer(layer);
    if (index < 0)
        return;
    if (fMouseLayer == layer)
        fMouseLayer = nullptr;
    for (int i = index + 1; i < fLayerCount; ++i)
        fLayers[i - 1] = fLayers[i];
    fLayers[--fLayerCount] = nullptr;
    layer->DetachedFromWindow();
    layer->SetWindow(nullptr);
    Redraw(layer->Frame());
    if (fStripLayer != nullptr || layer->MenuStrip() != nullptr)
        UpdateMenuStrip();
}

void Quor_Wnd::DestroyLayers()
{
    // The strip holds the menu bar of one of these layers; it goes first, before the bar does.
    RemoveMenuStrip();
    while (fLayerCount > 0) {
        Quor_Layer* layer = fLayers[--fLayerCount];
        fLayers[fLayerCount] = nullptr;
        if (fMouseLayer == layer)
            fMouseLayer = nullptr;
        layer->DetachedFromWindow();
        layer->SetWindow(nullptr);
        if (!layer->HasOwner())
            delete layer;
    }
}

Quor_Layer* Quor_Wnd::LayerAt(int index) const
{
    return index >= 0 && index < fLayerCount ? fLayers[index] : nullptr;
}

int Quor_Wnd::IndexOfLayer(const Quor_Layer* layer) const
{
    for (int i = 0; i < fLayerCount; ++i) {
        if (fLayers[i] == layer)
            return i;
    }
    return -1;
}

void Quor_Wnd::Redraw(Quor_Rect r)
{
    for (int i = 0; i < fLayerCount; ++i) {
        Quor_Layer* layer = fLayers[i];
        Quor_Rect part(r);
        if (!layer->Frame().Clip(part))
            continue;
        part.OffsetBy(-layer->Frame().left, -layer->Frame().top);
        layer->OnDraw(part);
    }
}

void Quor_Wnd::Invalidate()
{
    PostTask(fId, [](Quor_Wnd* window) {
        window->RedrawMenuStrip();
        window->Redraw(window->Bounds());
    });
}

Quor_DC* Quor_Wnd::DC(Quor_Layer* layer)
{
    if (fHostWindow == 0)
        return nullptr;
    return new (std::nothrow) Quor_DC(this, layer);
}

void Quor_Wnd::ReleaseDC(Quor_DC* dc)
{
    delete dc;
}

Quor_BaseImage* Quor_Wnd::Composed()
{
    if (fHostWindow == 0)
        return nullptr;
    const Quor_Rect content = Bounds();
    const int width = content.Width();
    const int height = content.Height() + fStripHeight;
    if (!fComposed.IsValid() || fComposed.Width() != width || fComposed.Height() != height) {
        if (fComposed.Initialize(width, height, 32) != 0)
            return nullptr;
        fComposed.Clear(Quor_ColorOps::BackCol);
    }
    return &fComposed;
}

void Quor_Wnd::PresentRects(const Quor_Rect* rects, int count)
{
    Quor_Host* host = Quor_Host::Current();
    if (host == nullptr || fHostWindow == 0 || !fComposed.IsValid() || count <= 0)
        return;
    std::vector<Quor_Rect> client(rects, rects + count);
    for (Quor_Rect& r : client)
        r.OffsetBy(0, fStripHeight);
    host->Present(fHostWindow, fComposed.Image(), client.data(), count);
}

void Quor_Wnd::RedrawAll()
{
    RedrawMenuStrip();
    Redraw(Bounds());
}

void Quor_Wnd::HandleHostResize()
{
    if (!FitLayers(Bounds().Size()))
        RedrawAll();
}

bool Quor_Wnd::FitLayers(Quor_Point size)
{
    const Quor_Point old = fLayoutSize;
    if (old == size)
        return false;
    fLayoutSize = size;
    if (fStripLayer != nullptr) {
        const Quor_Point oldStrip = fStripLayer->Shape();
        const Quor_Point newStrip(size.x, fStripHeight);
        fStripLayer->OnResize(oldStrip, newStrip);
        fStripLayer->SetShape(newStrip.x, newStrip.y);
    }
    OnResize(old, size);
    RedrawMenuStrip();
    return true;
}

// --- Cursor and timers ---------------------------------------------------------------------------

void Quor_Wnd::SetCursor(Quor_Cursor* cursor)
{
    fCursor = cursor;
    if (!Quor_App::gDisableCursors)
        Quor_EventLoop::ShowHostCursor(cursor != nullptr ? cursor->PlatformCursor() : 0);
}

unsigned int Quor_Wnd::SetTimer(float seconds, Quor_Handler* target, int what)
{
    Quor_Host* host = Quor_Host::Current();
    if (host == nullptr)
        return 0;
    unsigned int id = static_cast<unsigned int>(Quor_TimerScheduler::Count(fId)) + 1;
    if (Quor_TimerScheduler::Has(fId, id))
        id = Quor_TimerScheduler::LargestId(fId) + 1;
    if (!Quor_TimerScheduler::Add(fId, id, seconds, target, what, host->NowMicros()))
        return 0;
    return id;
}

void Quor_Wnd::KillTimer(unsigned int id)
{
    if (id != 0)
        Quor_TimerScheduler::Remove(fId, id);
}

void Quor_Wnd::OnTimer(unsigned int id)
{
    Quor_Handler* target = nullptr;
    int what = 0;
    if (Quor_TimerScheduler::Lookup(fId, id, &target, &what) && target != nullptr)
        target->SendMessage(what);
}
