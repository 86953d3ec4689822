#include "toolkit/framework/Quor_Layer.h"

#include <algorithm>

#include "toolkit/framework/Quor_DC.h"
#include "toolkit/framework/Quor_MenuStrip.h"
#include "toolkit/framework/Quor_View.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/imaging/Quor_ColorOps.h"

Quor_Layer* Quor_Layer::gMenuLayer = nullptr;
Quor_View* Quor_Layer::gMenuBar = nullptr;

namespace {

// Whether view is `ancestor` or lies inside it.
bool IsInside(const Quor_View* view, const Quor_View* ancestor)
{
    for (const Quor_View* v = view; v != nullptr; v = v->Parent()) {
        if (v == ancestor)
            return true;
    }
    return false;
}

// Adds the enabled views Tab stops at inside `view` (itself first), leaving out every view that
// is wholly clipped away by its parents or the layer (a page not shown has no parent then).
void CollectTabStops(Quor_View* view, std::vector<Quor_View*>* stops)
{
    Quor_Rect visible = view->Bounds();
    if (!view->IsEnabled() || !view->ClipToLayer(visible))
        return;
    if (view->TabStop())
        stops->push_back(view);
    for (int i = 0; i < view->CountChildren(); ++i)
        CollectTabStops(view->GetChild(i), stops);
}

// Sorts views into reading order: by their tops, then each row (the views that start within half
// the smaller height of the row's first view) by their left edges.
void SortReadingOrder(std::vector<Quor_View*>* views)
{
    std::vector<std::pair<Quor_Rect, Quor_View*>> framed;
    framed.reserve(views->size());
    for (Quor_View* v : *views)
        framed.emplace_back(v->LayerFrame(), v);
    std::stable_sort(framed.begin(), framed.end(),
                     [](const auto& a, const auto& b) { return a.first.top < b.first.top; });
    size_t rowStart = 0;
    while (rowStart < framed.size()) {
        const Quor_Rect& first = framed[rowStart].first;
        size_t rowEnd = rowStart + 1;
        while (rowEnd < framed.size()) {
            const Quor_Rect& r = framed[rowEnd].first;
            if (r.top - first.top >= std::max(1, std::min(first.Height(), r.Height()) / 2))
                break;
            ++rowEnd;
        }
        std::stable_sort(framed.begin() + static_cast<std::ptrdiff_t>(rowStart),
                         framed.begin() + static_cast<std::ptrdiff_t>(rowEnd),
                         [](const auto& a, const auto& b) { return a.first.left < b.first.left; });
        rowStart = rowEnd;
    }
    for (size_t i = 0; i < framed.size(); ++i)
        (*views)[i] = framed[i].second;
}

}  // namespace

Quor_Layer::Quor_Layer(unsigned int followFlags)
    : fAttached(false),
      fWindow(nullptr),
      fFrame(0, 0, 31, 31),
      fFollowFlags(followFlags),
      fMouseView(nullptr),
      fMouseMovedView(nullptr),
      fFocusView(nullptr),
      fMenuBar(nullptr),
      fMenuStrip(nullptr),
      fFocusRingShown(false)
{
    CreateImage();
}

Quor_Layer::~Quor_Layer()
{
    if (fWindow != nullptr)
        fWindow->RemoveLayer(this);
    if (fFocusView != nullptr && Quor_View::gGlobalFocusView == fFocusView)
        Quor_View::gGlobalFocusView = nullptr;
    fChildren.DeleteAll();
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
    fChildren.CallEach(&Quor_View::AttachedToWindow);
    fAttached = true;
}

void Quor_Layer::DetachedFromWindow()
{
    fChildren.CallEach(&Quor_View::DetachedFromWindow);
    fAttached = false;
}

void Quor_Layer::OnResize(Quor_Point oldSize, Quor_Point newSize)
{
    fChildren.FollowResize(oldSize, newSize);
}

void Quor_Layer::DoLayout()
{
    fChildren.CallEach(&Quor_View::DoLayout);
    Quor_View* first = fChildren.At(0);
    Quor_View* second = fChildren.At(1);
    if (fChildren.Count() == 1) {
        Quor_View* child = first;
        child->SetLocation(0, 0);
        const Quor_Point p = child->LayoutSize();
        child->SetShape(p.x, p.y);
        SetShape(p.x, p.y);
    } else if (fChildren.Count() == 2 && fMenuBar != nullptr && (first == fMenuBar || second == fMenuBar)) {
        Quor_View* other = first == fMenuBar ? second : first;
        const int barHeight = fMenuBar->Shape().y;
        other->SetLocation(0, fMenuBar->Frame().bottom + 1);
        const Quor_Point p = other->LayoutSize();
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
    fChildren.CallEach(&Quor_View::OnDraw);
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
        fMouseView = fChildren.FirstContaining(where);
        if (fMouseView == nullptr)
            return;
    }
    Quor_View* target = fMouseView;
    ShowFocusRing(false);
    FocusOnPress(target);
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
    for (int i = 0; i < fChildren.Count(); ++i) {
        Quor_View* child = fChildren.At(i);
        if (!child->Frame().Contains(where))
            continue;
        any = true;
        child->ClaimWindowCursor();
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
    if (Quor_View* child = fChildren.FirstContaining(where)) {
        child->ClaimWindowCursor();
        child->RouteMouseWheel(delta, where - child->Location(), modifiers, message);
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
    if (fFocusView != nullptr && !fFocusView->IsFocused()) {
        fFocusView = nullptr;
        return;
    }
    for (int i = 0; fFocusView == nullptr && i < fChildren.Count(); ++i) {
        if (fChildren.At(i)->IsFocused())
            fFocusView = fChildren.At(i);
    }
    if (fFocusView == nullptr)
        return;
    for (Quor_View* around = fFocusView->Parent(); around != nullptr; around = around->Parent()) {
        if (around->InterceptKey(key, modifiers))
            return;
    }
    fFocusView->OnKeyDown(key, modifiers);
}

bool Quor_Layer::FocusWantsKey(int key, unsigned int modifiers) const
{
    // The view OnKeyDown would give the key to.
    Quor_View* view = fFocusView;
    for (int i = 0; view == nullptr && i < fChildren.Count(); ++i) {
        if (fChildren.At(i)->IsFocused())
            view = fChildren.At(i);
    }
    return view != nullptr && view->IsFocused() && view->WantsKey(key, modifiers);
}

void Quor_Layer::OnFileDrop(const char* path, Quor_Point where, unsigned int modifiers)
{
    fChildren.DropFile(path, where, modifiers);
}

void Quor_Layer::OnMessageDrop(Quor_Message* message, Quor_Point where, unsigned int modifiers)
{
    fChildren.DropMessage(message, where, modifiers);
}

void Quor_Layer::InitBackground()
{
    fChildren.CallEach(&Quor_View::InitBackground);
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

void Quor_Layer::TabStops(std::vector<Quor_View*>* stops) const
{
    stops->clear();
    for (int i = 0; i < fChildren.Count(); ++i)
        CollectTabStops(fChildren.At(i), stops);
    SortReadingOrder(stops);
}

void Quor_Layer::AdvanceTabFocus(bool backward)
{
    std::vector<Quor_View*> stops;
    TabStops(&stops);
    ShowFocusRing(true);
    if (stops.empty())
        return;
    const int count = static_cast<int>(stops.size());
    const auto at = std::find(stops.begin(), stops.end(), fFocusView);
    int next = backward ? count - 1 : 0;
    if (at != stops.end() && fFocusView->IsFocused()) {
        const int index = static_cast<int>(at - stops.begin());
        next = (index + (backward ? count - 1 : 1)) % count;
    }
    SetFocus(stops[static_cast<size_t>(next)]);
}

void Quor_Layer::ShowFocusRing(bool shown)
{
    if (shown == fFocusRingShown)
        return;
    fFocusRingShown = shown;
    if (fFocusView != nullptr && fFocusView->IsFocused())
        fFocusView->OnFocusRingShown(shown);
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
    if (view != nullptr && (view->AcceptsFocus() || view->TabStop()) && view->IsEnabled()) {
        fFocusView = view;
        if (!view->IsFocused())
            view->Focus(true);
    }
    Quor_View::gGlobalFocusView = fFocusView;
}

void Quor_Layer::FocusOnPress(Quor_View* pressed)
{
    if (pressed == nullptr)
        return;
    if (fFocusView != nullptr && fFocusView != pressed && pressed->AcceptsFocus())
        fFocusView->Focus(false);
    if (pressed != fFocusView && pressed->AcceptsFocus() && pressed->IsEnabled())
        SetFocus(pressed);
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
    if (child == nullptr || !fChildren.Append(child))
        return;
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
    fChildren.Remove(child);
    child->SetLayer(nullptr);
}

Quor_View* Quor_Layer::GetChild(int index) const
{
    return fChildren.At(index);
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
    fChildren.Remove(view);
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
    for (int i = 0; i < fChildren.Count(); ++i) {
        if (fChildren.At(i)->BlitMyself()) {
            Quor_Rect cut = fChildren.At(i)->Frame();
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
