#include "toolkit/framework/Quor_Layer.h"

#include <new>

#include "toolkit/framework/Quor_DC.h"
#include "toolkit/framework/Quor_MenuStrip.h"
#include "toolkit/framework/Quor_View.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/imaging/Quor_ColorOps.h"

Quor_Layer* Quor_Layer::gMenuLayer = nullptr;
Quor_View* Quor_Layer::gMenuBar = nullptr;

namespace {

constexpr int kInitialChildCapacity = 4;

// Whether view is `ancestor` or lies inside it.
bool IsInside(const Quor_View* view, const Quor_View* ancestor)
{
    for (const Quor_View* v = view; v != nullptr; v = v->Parent()) {
        if (v == ancestor)
            return true;
    }
    return false;
}

}  // namespace

Quor_Layer::Quor_Layer(unsigned int followFlags)
    : fAttached(false),
      fWindow(nullptr),
      fFrame(0, 0, 31, 31),
      fFollowFlags(followFlags),
      fChildren(nullptr),
      fChildCount(0),
      fChildCapacity(0),
      fMouseView(nullptr),
      fMouseMovedView(nullptr),
      fFocusView(nullptr),
      fMenuBar(nullptr),
      fMenuStrip(nullptr)
{
    CreateImage();
}

Quor_Layer::~Quor_Layer()
{
    if (fWindow != nullptr)
        fWindow->RemoveLayer(this);
    if (fFocusView != nullptr && Quor_View::gGlobalFocusView == fFocusView)
        Quor_View::gGlobalFocusView = nullptr;
    // Each child takes itself out of the list as it goes.
    while (fChildCount > 0) {
        Quor_View* child = fChildren[fChildCount - 1];
        delete child;
        if (fChildCount > 0 && fChildren[fChildCount - 1] == child)
            --fChildCount;
    }
    delete[] fChildren;
    fChildren = nullptr;
    if (gMenuLayer == this) {
        gMenuLayer = nullptr;
        gMenuBar = nullptr;
    }
    delete fMenuBar;
}

void Quor_Layer::CreateImage()
{
    const Quor_Point size = fFrame.Size();
    fImage.Free();
    if (fImage.Initialize(size.x, size.y, 32) == 0 && fImage.IsValid())
        fImage.Clear(Quor_ColorOps::BackCol);
}

void Quor_Layer::HandleMessage(Quor_Message* message)
{
    if (fWindow != nullptr)
        fWindow->HandleMessage(message);
}

void Quor_Layer::AttachedToWindow()
{
    InitBackground();
    for (int i = 0; i < fChildCount; ++i)
        fChildren[i]->AttachedToWindow();
    fAttached = true;
}

void Quor_Layer::DetachedFromWindow()
{
    for (int i = 0; i < fChildCount; ++i)
        fChildren[i]->DetachedFromWindow();
    fAttached = false;
}

void Quor_Layer::OnResize(Quor_Point oldSize, Quor_Point newSize)
{
    for (int i = 0; i < fChildCount; ++i) {
        Quor_View* child = fChildren[i];
        const Quor_Rect r = Quor_FollowFrame(child->Frame(), child->FollowFlags(), oldSize, newSize);
        child->SetLocation(r.left, r.top);
        child->SetShape(r.Width(), r.Height());
    }
}

void Quor_Layer::DoLayout()
{
    for (int i = 0; i < fChildCount; ++i)
        fChildren[i]->DoLayout();
    auto preferred = [](Quor_View* v) {
        Quor_Point p = v->PreferredSize();
        if (p.x < 1 || p.y < 1)
            p = v->Shape();
        return p;
    };
    if (fChildCount == 1) {
        Quor_View* child = fChildren[0];
        child->SetLocation(0, 0);
        const Quor_Point p = preferred(child);
        child->SetShape(p.x, p.y);
        SetShape(p.x, p.y);
    } else if (fChildCount == 2 && fMenuBar != nullptr &&
               (fChildren[0] == fMenuBar || fChildren[1] == fMenuBar)) {
        Quor_View* other = fChildren[0] == fMenuBar ? fChildren[1] : fChildren[0];
        const int barHeight = fMenuBar->Shape().y;
        other->SetLocation(0, fMenuBar->Frame().bottom + 1);
        const Quor_Point p = preferred(other);
        other->SetShape(p.x, p.y);
        SetShape(p.x, p.y + barHeight);
        fMenuBar->SetLocation(0, 0);
        fMenuBar->SetShape(p.x, barHeight);
    }
}

void Quor_Layer::OnDraw(Quor_Rect r)
{
    Refresh(r);
    if (!fAttached)
        return;
    for (int i = 0; i < fChildCount; ++i)
        fChildren[i]->OnDraw();
}

// --- Input ---------------------------------------------------------------------------------------

bool Quor_Layer::AnyWindowButtonDown() const
{
    return fWindow != nullptr && fWindow->IsMouseDragging(0);
}

void Quor_Layer::OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers,
                             Quor_Message* message)
{
    if (!AnyWindowButtonDown())
        fMouseView = nullptr;
    if (fMouseView == nullptr) {
        for (int i = 0; i < fChildCount; ++i) {
            if (fChildren[i]->Frame().Contains(where)) {
                fMouseView = fChildren[i];
                break;
            }
        }
        if (fMouseView == nullptr)
            return;
    }
    Quor_View* target = fMouseView;
    if (fFocusView != nullptr && fFocusView != target && target->AcceptsFocus())
        fFocusView->Focus(false);
    if (target != fFocusView && target->AcceptsFocus() && target->IsEnabled())
        SetFocus(target);
    target->RouteMouseDown(where - target->Location(), button, modifiers, message);
}

void Quor_Layer::OnMouseDownOutside(Quor_Point, unsigned int, unsigned int, Quor_Message*) {}

void Quor_Layer::OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message)
{
    if (fMouseView != nullptr) {
        fMouseView->RouteMouseMove(where - fMouseView->Location(), modifiers, message);
        return;
    }
    bool any = false;
    for (int i = 0; i < fChildCount; ++i) {
        Quor_View* child = fChildren[i];
        if (!child->Frame().Contains(where))
            continue;
        any = true;
        if (child->Cursor() != nullptr && fWindow != nullptr)
            fWindow->SetCursor(child->Cursor());
        child->RouteMouseMove(where - child->Location(), modifiers, message);
    }
    if (!any)
        SetMouseMovedView(nullptr);
}

void Quor_Layer::OnMouseWheel(float delta, Quor_Point where, unsigned int modifiers,
                              Quor_Message* message)
{
    if (fMouseView != nullptr) {
        fMouseView->RouteMouseWheel(delta, where - fMouseView->Location(), modifiers, message);
        return;
    }
    for (int i = 0; i < fChildCount; ++i) {
        Quor_View* child = fChildren[i];
        if (!child->Frame().Contains(where))
            continue;
        if (child->Cursor() != nullptr && fWindow != nullptr)
            fWindow->SetCursor(child->Cursor());
        child->RouteMouseWheel(delta, where - child->Location(), modifiers, message);
        return;
    }
}

void Quor_Layer::OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers,
                           Quor_Message* message)
{
    Quor_View* target = fMouseView;
    if (target == nullptr)
        return;
    if (!AnyWindowButtonDown())
        fMouseView = nullptr;
    target->RouteMouseUp(where - target->Location(), button, modifiers, message);
}

void Quor_Layer::OnKeyDown(int key, unsigned int modifiers)
{
    if (TabAdvance() && key == QUOR_KEY_TAB) {
        AdvanceTabFocus((modifiers & QUOR_SHIFT) != 0);
        return;
    }
    if (fFocusView != nullptr) {
        if (!fFocusView->IsFocused()) {
            fFocusView = nullptr;
            return;
        }
        fFocusView->OnKeyDown(key, modifiers);
        return;
    }
    for (int i = 0; i < fChildCount; ++i) {
        if (fChildren[i]->IsFocused()) {
            fFocusView = fChildren[i];
            fFocusView->OnKeyDown(key, modifiers);
            return;
        }
    }
}

void Quor_Layer::OnFileDrop(const char* path, Quor_Point where, unsigned int modifiers)
{
    for (int i = 0; i < fChildCount; ++i) {
        Quor_View* child = fChildren[i];
        if (child->Frame().Contains(where)) {
            child->OnFileDrop(path, where - child->Location(), modifiers);
            return;
        }
    }
}

void Quor_Layer::OnMessageDrop(Quor_Message* message, Quor_Point where, unsigned int modifiers)
{
    for (int i = 0; i < fChildCount; ++i) {
        Quor_View* child = fChildren[i];
        if (child->Frame().Contains(where)) {
            child->OnMessageDrop(message, where - child->Location(), modifiers);
            return;
        }
    }
}

void Quor_Layer::InitBackground()
{
    for (int i = 0; i < fChildCount; ++i)
        fChildren[i]->InitBackground();
}

bool Quor_Layer::IsModal()
{
    return true;
}

bool Quor_Layer::HasOwner()
{
    return false;
}

bool Quor_Layer::TabAdvance()
{
    return false;
}

void Quor_Layer::UpdateMenus() {}

// --- Focus ---------------------------------------------------------------------------------------

int Quor_Layer::IndexOfChildContainingFocus() const
{
    for (int i = 0; i < fChildCount; ++i) {
        if (fChildren[i]->ContainsFocus())
            return i;
    }
    return -1;
}

void Quor_Layer::AdvanceTabFocus(bool backward)
{
    if (fChildCount == 0)
        return;
    const int step = backward ? -1 : 1;
    const int first = backward ? fChildCount - 1 : 0;
    int start = first;
    const int holder = IndexOfChildContainingFocus();
    if (holder >= 0)
        start = fChildren[holder]->IsFocused() ? holder + step : holder;
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = start; i >= 0 && i < fChildCount; i += step) {
            if (Quor_View* next = fChildren[i]->AdvanceFocus(backward)) {
                if (fFocusView != nullptr && fFocusView != next)
                    fFocusView->Focus(false);
                SetFocus(next);
                return;
            }
        }
        // Nothing after the focus: clear it and wrap round to the first (last) child.
        SetFocus(nullptr);
        start = first;
    }
}

void Quor_Layer::SetFocus(Quor_View* view)
{
    if (Quor_View::gGlobalFocusView != nullptr && Quor_View::gGlobalFocusView != view) {
        Quor_View* old = Quor_View::gGlobalFocusView;
        Quor_View::gGlobalFocusView = nullptr;
        if (old != fFocusView)
            old->Focus(false);
    }
    if (fFocusView != nullptr && fFocusView != view) {
        Quor_View* old = fFocusView;
        fFocusView = nullptr;
        old->Focus(false);
    }
    if (view != nullptr && view->AcceptsFocus() && view->IsEnabled()) {
        fFocusView = view;
        if (!view->IsFocused())
            view->Focus(true);
    }
    Quor_View::gGlobalFocusView = fFocusView;
}

void Quor_Layer::DropFocusView(const Quor_View* view)
{
    if (fFocusView == view)
        fFocusView = nullptr;
}

// --- Geometry, children, drawing -----------------------------------------------------------------

bool Quor_Layer::Lock(int timeoutMs)
{
    return fWindow != nullptr && fWindow->Lock(timeoutMs);
}

void Quor_Layer::Unlock()
{
    if (fWindow != nullptr)
        fWindow->Unlock();
}

Quor_Rect Quor_Layer::Bounds() const
{
    return Quor_Rect(0, 0, fFrame.Width() - 1, fFrame.Height() - 1);
}

Quor_DC* Quor_Layer::DC()
{
    return fWindow != nullptr ? fWindow->DC(this) : nullptr;
}

void Quor_Layer::ReleaseDC(Quor_DC* dc)
{
    if (fWindow != nullptr)
        fWindow->ReleaseDC(dc);
    else
        delete dc;
}

Quor_Graphics* Quor_Layer::LayerGraphics()
{
    if (!fImage.IsValid() || fGraphics.AttachToImage(&fImage.Image()) != 0)
        return nullptr;
    fGraphics.ResetState();
    fGraphics.SetViewMode(QUOR_VIEW_PIXELS);
    fGraphics.SetViewOffset(0.0f, 0.0f);
    fGraphics.SetViewZoom(1.0f);
    fGraphics.SetViewRotation(0.0f);
    fGraphics.BeginDraw();
    return &fGraphics;
}

void Quor_Layer::AddChild(Quor_View* child)
{
    if (child == nullptr)
        return;
    if (fChildCount == fChildCapacity) {
        const int grown = fChildCapacity < kInitialChildCapacity ? kInitialChildCapacity : fChildCapacity * 2;
        Quor_View** larger = new (std::nothrow) Quor_View*[grown];
        if (larger == nullptr)
            return;
        for (int i = 0; i < fChildCount; ++i)
            larger[i] = fChildren[i];
        delete[] fChildren;
        fChildren = larger;
        fChildCapacity = grown;
    }
    fChildren[fChildCount++] = child;
    child->SetLayer(this);
    if (fAttached)
        child->AttachedToWindow();
}

void Quor_Layer::RemoveChild(Quor_View* child)
{
    if (child == nullptr || child->DirectLayer() != this)
        return;
    if (fMouseView != nullptr && IsInside(fMouseView, child))
        fMouseView = nullptr;
    if (fMouseMovedView != nullptr && IsInside(fMouseMovedView, child))
        fMouseMovedView = nullptr;
    if (fFocusView != nullptr) {
        Quor_View* focus = fFocusView;
        fFocusView = nullptr;
        focus->Focus(false);
    }
    for (int i = 0; i < fChildCount; ++i) {
        if (fChildren[i] == child) {
            for (int k = i + 1; k < fChildCount; ++k)
                fChildren[k - 1] = fChildren[k];
            --fChildCount;
            break;
        }
    }
    child->SetLayer(nullptr);
}

Quor_View* Quor_Layer::GetChild(int index) const
{
    return index >= 0 && index < fChildCount ? fChildren[index] : nullptr;
}

void Quor_Layer::ForgetView(const Quor_View* view)
{
    if (view == nullptr)
        return;
    if (fMouseView != nullptr && IsInside(fMouseView, view))
        fMouseView = nullptr;
    if (fMouseMovedView != nullptr && IsInside(fMouseMovedView, view))
        fMouseMovedView = nullptr;
    if (fFocusView != nullptr && IsInside(fFocusView, view))
        fFocusView = nullptr;
    if (fMenuBar == view) {
        fMenuBar = nullptr;
        fMenuStrip = nullptr;
        if (gMenuBar == view) {
            gMenuBar = nullptr;
            gMenuLayer = nullptr;
        }
    }
    for (int i = 0; i < fChildCount; ++i) {
        if (fChildren[i] == view) {
            for (int k = i + 1; k < fChildCount; ++k)
                fChildren[k - 1] = fChildren[k];
            --fChildCount;
            break;
        }
    }
}

void Quor_Layer::AddMenuBar(Quor_MenuStrip* menuBar)
{
    if (menuBar == nullptr || menuBar == fMenuStrip)
        return;
    Quor_View* bar = menuBar->StripView();
    if (bar == nullptr)
        return;
    Quor_View* old = fMenuBar;
    fMenuStrip = menuBar;
    fMenuBar = bar;
    bar->SetLocation(0, 0);
    const int height = menuBar->StripHeight();
    bar->SetShape(fFrame.Width(), height > 0 ? height : bar->Shape().y);
    gMenuLayer = this;
    gMenuBar = bar;
    if (fWindow != nullptr)
        fWindow->UpdateMenuStrip();
    delete old;
}

void Quor_Layer::LayerToWnd(Quor_Point& p) const
{
    p += fFrame.LeftTop();
}

void Quor_Layer::WndToLayer(Quor_Point& p) const
{
    p -= fFrame.LeftTop();
}

void Quor_Layer::SetMouseMovedView(Quor_View* view)
{
    Quor_View* previous = fMouseMovedView;
    if (previous != nullptr && previous != view && !AnyWindowButtonDown() && fWindow != nullptr) {
        Quor_Point p = fWindow->MousePt();
        previous->WndToView(p);
        Quor_Message empty;
        fMouseMovedView = view;
        previous->OnMouseMove(p, 0, &empty);
    }
    fMouseMovedView = view;
}

void Quor_Layer::SetShape(int width, int height)
{
    if (width == fFrame.Width() && height == fFrame.Height())
        return;
    fFrame.right = fFrame.left + width - 1;
    fFrame.bottom = fFrame.top + height - 1;
    CreateImage();
    if (fWindow != nullptr) {
        AttachedToWindow();
        OnDraw(Bounds());
    }
}

void Quor_Layer::SetLocation(int x, int y)
{
    const Quor_Rect old = fFrame;
    fFrame.OffsetTo(x, y);
    if (fWindow == nullptr)
        return;
    Refresh();
    Quor_Rect both(old);
    both.Accumulate(fFrame);
    fWindow->Redraw(both);
}

void Quor_Layer::Refresh(Quor_Rect r)
{
    if (!fAttached || fWindow == nullptr)
        return;
    Quor_DC* dc = DC();
    if (dc == nullptr)
        return;
    r.OffsetBy(fFrame.left, fFrame.top);
    dc->SetClipRect(r);
    for (int i = 0; i < fChildCount; ++i) {
        if (fChildren[i]->BlitMyself()) {
            Quor_Rect cut = fChildren[i]->Frame();
            cut.OffsetBy(fFrame.left, fFrame.top);
            dc->ExcludeClipRect(cut);
        }
    }
    fImage.Draw(dc, fFrame.left, fFrame.top);
    ReleaseDC(dc);
}

void Quor_Layer::Refresh()
{
    Refresh(Bounds());
}
