#include "toolkit/framework/Quor_View.h"

#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"

Quor_View* Quor_View::gGlobalFocusView = nullptr;

Quor_Rect Quor_FollowFrame(const Quor_Rect& frame, unsigned int followFlags, Quor_Point oldSize,
                           Quor_Point newSize)
{
    Quor_Rect r(frame);
    const int dx = newSize.x - oldSize.x;
    const int dy = newSize.y - oldSize.y;
    const bool left = followFlags & QUOR_FOLLOW_LEFT;
    const bool right = followFlags & QUOR_FOLLOW_RIGHT;
    const bool top = followFlags & QUOR_FOLLOW_TOP;
    const bool bottom = followFlags & QUOR_FOLLOW_BOTTOM;
    if (right && !left) {
        r.left += dx;
        r.right += dx;
    } else if (right && left) {
        r.right += dx;
    }
    if (bottom && !top) {
        r.top += dy;
        r.bottom += dy;
    } else if (bottom && top) {
        r.bottom += dy;
    }
    return r;
}

Quor_View::Quor_View(unsigned int followFlags)
    : fFrame(0, 0, 31, 31),
      fPreferredSize(-1, -1),
      fFollowFlags(followFlags),
      fAlignment(QUOR_LAYOUT_CENTER),
      fIndent(0),
      fLayer(nullptr),
      fParent(nullptr),
      fFocused(false),
      fEnabled(true),
      fMouseChild(nullptr),
      fCursor(nullptr)
{
}

Quor_View::~Quor_View()
{
    fChildren.DeleteAll();

    if (gGlobalFocusView == this)
        gGlobalFocusView = nullptr;
    if (Quor_Layer* layer = Layer())
        layer->ForgetView(this);
    if (fParent != nullptr) {
        fParent->ForgetView(this);
        fParent->fChildren.Remove(this);
    }
}

void Quor_View::HandleMessage(Quor_Message* message)
{
    if (fParent != nullptr)
        fParent->HandleMessage(message);
    else if (fLayer != nullptr)
        fLayer->HandleMessage(message);
}

// --- Shape ---------------------------------------------------------------------------------------

void Quor_View::SetShape(int width, int height)
{
    const Quor_Point oldSize = Shape();
    SetShapeEventless(width, height);
    OnResize(oldSize, Shape());
}

void Quor_View::SetShapeEventless(int width, int height)
{
    fFrame.right = fFrame.left + width - 1;
    fFrame.bottom = fFrame.top + height - 1;
    if (fPreferredSize.x < 0)
        fPreferredSize.x = width;
    if (fPreferredSize.y < 0)
        fPreferredSize.y = height;
}

void Quor_View::SetShapeForced(int width, int height)
{
    fPreferredSize.Set(-1, -1);
    SetShape(width, height);
}

void Quor_View::Refresh()
{
    if (Quor_Layer* layer = Layer())
        layer->Refresh(LayerFrame());
}

void Quor_View::AddChild(Quor_View* child)
{
    if (child == nullptr || child == this)
        return;
    if (!fChildren.Append(child))
        return;
    child->fParent = this;
    child->fLayer = nullptr;
    if (IsInWindow())
        child->AttachedToWindow();
}

void Quor_View::AttachedToWindow()
{
    fChildren.CallEach(&Quor_View::AttachedToWindow);
}

void Quor_View::DetachedFromWindow()
{
    fChildren.CallEach(&Quor_View::DetachedFromWindow);
}

Quor_Point Quor_View::MinSize()
{
    return Quor_Point(1, 1);
}

Quor_Point Quor_View::PreferredSize()
{
    return fPreferredSize;
}

Quor_Point Quor_View::LayoutSize()
{
    Quor_Point p = PreferredSize();
    const Quor_Point shape = Shape();
    if (p.x < 1)
        p.x = shape.x;
    if (p.y < 1)
        p.y = shape.y;
    return p;
}

Quor_Point Quor_View::MaxSize()
{
    return Quor_Point(64000, 64000);
}

void Quor_View::OnResize(Quor_Point oldSize, Quor_Point newSize)
{
    fChildren.FollowResize(oldSize, newSize);
}

void Quor_View::DoLayout()
{
    fChildren.CallEach(&Quor_View::DoLayout);
    if (fChildren.Count() == 0) {
        const Quor_Point p = PreferredSize();
        if (p.x > 0 && p.y > 0)
            SetShapeEventless(p.x, p.y);
    } else if (fChildren.Count() == 1) {
        Quor_View* child = fChildren.At(0);
        child->SetLocation(0, 0);
        const Quor_Point p = child->LayoutSize();
        child->SetShapeEventless(p.x, p.y);
        SetShapeEventless(p.x, p.y);
    }
}

void Quor_View::DoReLayout()
{
    fChildren.CallEach(&Quor_View::DoReLayout);
}

void Quor_View::OnDraw()
{
    fChildren.CallEach(&Quor_View::OnDraw);
}

// --- Input hooks ---------------------------------------------------------------------------------

void Quor_View::OnMouseDown(Quor_Point, unsigned int, unsigned int, Quor_Message*) {}
void Quor_View::OnMouseMove(Quor_Point, unsigned int, Quor_Message*) {}
void Quor_View::OnMouseWheel(float, Quor_Point, unsigned int, Quor_Message*) {}
void Quor_View::OnMouseUp(Quor_Point, unsigned int, unsigned int, Quor_Message*) {}
void Quor_View::OnKeyDown(int, unsigned int) {}

bool Quor_View::WantsKey(int, unsigned int)
{
    return false;
}

bool Quor_View::IsMoveKey(int key, unsigned int modifiers, bool sideways)
{
    if ((modifiers & (QUOR_COMMAND | QUOR_OPTION)) != 0)
        return false;
    switch (key) {
    case QUOR_KEY_LEFT:
    case QUOR_KEY_RIGHT:
        return sideways;
    case QUOR_KEY_UP:
    case QUOR_KEY_DOWN:
    case QUOR_KEY_PAGEUP:
    case QUOR_KEY_PAGEDOWN:
    case QUOR_KEY_HOME:
    case QUOR_KEY_END:
        return true;
    default:
        return false;
    }
}

void Quor_View::OnFileDrop(const char* path, Quor_Point where, unsigned int modifiers)
{
    fChildren.DropFile(path, where, modifiers);
}

void Quor_View::OnMessageDrop(Quor_Message* message, Quor_Point where, unsigned int modifiers)
{
    fChildren.DropMessage(message, where, modifiers);
}

void Quor_View::InitBackground()
{
    fChildren.CallEach(&Quor_View::InitBackground);
}

bool Quor_View::AcceptsFocus()
{
    return false;
}

bool Quor_View::TabStop()
{
    return AcceptsFocus();
}

bool Quor_View::InterceptKey(int, unsigned int)
{
    return false;
}

void Quor_View::OnFocus(bool) {}
void Quor_View::OnFocusRingShown(bool) {}
void Quor_View::OnEnable(bool) {}

bool Quor_View::BlitMyself()
{
    return false;
}

// --- Geometry and tree ---------------------------------------------------------------------------

void Quor_View::SetLocation(int x, int y)
{
    fFrame.OffsetTo(x, y);
}

Quor_Rect Quor_View::Bounds() const
{
    return Quor_Rect(0, 0, fFrame.Width() - 1, fFrame.Height() - 1);
}

Quor_Rect Quor_View::LayerFrame() const
{
    Quor_Rect r(fFrame);
    for (const Quor_View* p = fParent; p != nullptr; p = p->fParent)
        r.OffsetBy(p->fFrame.left, p->fFrame.top);
    return r;
}

Quor_View* Quor_View::GetChild(int index) const
{
    return fChildren.At(index);
}

void Quor_View::RemoveChild(Quor_View* child)
{
    if (child == nullptr || child->fParent != this)
        return;
    Quor_Layer* layer = Layer();
    if (layer != nullptr) {
        layer->SetMouseMovedView(nullptr);
        // The removed subtree may hold the press or the focus; nothing may keep pointing into it.
        layer->ForgetView(child);
    }
    if (IsInWindow())
        child->DetachedFromWindow();
    if (fMouseChild == child)
        fMouseChild = nullptr;
    // A view taken out keeps no keyboard focus anywhere inside it (a tab page that goes away
    // must not leave a field of it thinking it has the keyboard).
    for (Quor_View* v = child; v != nullptr && v->ContainsFocus();) {
        if (v->IsFocused()) {
            v->Focus(false);
            break;
        }
        v = v->fChildren.At(v->fChildren.IndexContainingFocus());
    }
    child->fParent = nullptr;
    child->fLayer = nullptr;
    fChildren.Remove(child);
}

Quor_Layer* Quor_View::Layer() const
{
    for (const Quor_View* v = this; v != nullptr; v = v->fParent) {
        if (v->fLayer != nullptr)
            return v->fLayer;
    }
    return nullptr;
}

Quor_Wnd* Quor_View::Window() const
{
    Quor_Layer* layer = Layer();
    return layer != nullptr ? layer->Window() : nullptr;
}

bool Quor_View::Lock(int timeoutMs)
{
    Quor_Wnd* window = Window();
    return window != nullptr && window->Lock(timeoutMs);
}

void Quor_View::Unlock()
{
    if (Quor_Wnd* window = Window())
        window->Unlock();
}

bool Quor_View::IsInWindow() const
{
    Quor_Layer* layer = Layer();
    return layer != nullptr && layer->IsAttached();
}

void Quor_View::ForgetView(const Quor_View* view)
{
    if (fMouseChild == view)
        fMouseChild = nullptr;
}

// --- State ---------------------------------------------------------------------------------------

bool Quor_View::IsMouseDragging(unsigned int button) const
{
    return fButtons.IsDown(button);
}

void Quor_View::Focus(bool on)
{
    // A view that has the focus can always lose it, also one that no longer takes it (a tool bar
    // whose buttons were all disabled meanwhile).
    if (!AcceptsFocus() && !TabStop() && (on || !fFocused))
        return;
    fFocused = on;
    Quor_Layer* layer = Layer();
    if (on) {
        if (layer != nullptr)
            layer->SetFocus(this);
    } else {
        if (layer != nullptr)
            layer->DropFocusView(this);
        if (gGlobalFocusView == this)
            gGlobalFocusView = nullptr;
    }
    OnFocus(on);
}

void Quor_View::Enable(bool on)
{
    for (int i = 0; i < fChildren.Count(); ++i)
        fChildren.At(i)->Enable(on);
    fEnabled = on;
    if (!on && fFocused)
        Focus(false);
    OnEnable(on);
}

bool Quor_View::ContainsFocus() const
{
    return fFocused || fChildren.IndexContainingFocus() >= 0;
}

bool Quor_View::ShowsFocusRing() const
{
    const Quor_Layer* layer = Layer();
    return fFocused && layer != nullptr && layer->ShowsFocusRing();
}

void Quor_View::ClaimWindowCursor()
{
    if (fCursor == nullptr)
        return;
    if (Quor_Wnd* window = Window())
        window->SetCursor(fCursor);
}

void Quor_View::SetCursor(Quor_Cursor* cursor)
{
    fCursor = cursor;
    Quor_Layer* layer = Layer();
    Quor_Wnd* window = Window();
    if (layer == nullptr || window == nullptr)
        return;
    Quor_Point p = window->MousePt();
    layer->WndToLayer(p);
    if (LayerFrame().Contains(p))
        window->SetCursor(cursor);
}

// --- Drawing -------------------------------------------------------------------------------------

const Quor_image* Quor_View::ViewImage()
{
    Quor_Rect visible;
    return VisibleImage(&visible);
}

const Quor_image* Quor_View::VisibleImage(Quor_Rect* visible)
{
    Quor_Layer* layer = Layer();
    if (layer == nullptr)
        return nullptr;
    *visible = Bounds();
    if (!ClipToLayer(*visible))
        return nullptr;
    if (layer->LayerImage()->FillImage(&fViewImage, *visible) != 0)
        return nullptr;
    return &fViewImage;
}

Quor_Graphics* Quor_View::ViewGraphics()
{
    Quor_Rect clipped;
    const Quor_image* image = VisibleImage(&clipped);
    if (image == nullptr)
        return nullptr;
    Quor_Graphics* g = Layer()->Graphics();
    if (g->AttachToImage(image) != 0)
        return nullptr;
    const Quor_Point origin = LayerFrame().LeftTop();
    g->SetViewMode(QUOR_VIEW_PIXELS);
    g->SetViewOffset(static_cast<float>(origin.x - clipped.left), static_cast<float>(origin.y - clipped.top));
    g->SetViewZoom(1.0f);
    g->SetViewRotation(0.0f);
    g->BeginDraw();
    return g;
}

bool Quor_View::ClipToLayer(Quor_Rect& r) const
{
    const Quor_View* v = this;
    Quor_Layer* layer = nullptr;
    while (v != nullptr) {
        const Quor_Rect bounds = v->Bounds();
        if (bounds.right < bounds.left || bounds.bottom < bounds.top || !bounds.Clip(r))
            return false;
        r.OffsetBy(v->fFrame.left, v->fFrame.top);
        if (v->fParent == nullptr) {
            layer = v->fLayer;
            break;
        }
        v = v->fParent;
    }
    if (layer == nullptr)
        return false;
    return layer->Bounds().Clip(r);
}

void Quor_View::ViewToLayer(Quor_Point& p) const
{
    p += LayerFrame().LeftTop();
}

void Quor_View::LayerToView(Quor_Point& p) const
{
    p -= LayerFrame().LeftTop();
}

void Quor_View::ViewToWnd(Quor_Point& p) const
{
    ViewToLayer(p);
    if (Quor_Layer* layer = Layer())
        layer->LayerToWnd(p);
}

void Quor_View::WndToView(Quor_Point& p) const
{
    if (Quor_Layer* layer = Layer())
        layer->WndToLayer(p);
    LayerToView(p);
}

// --- Routing -------------------------------------------------------------------------------------

void Quor_View::RouteMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers,
                               Quor_Message* message)
{
    if (!fButtons.Any())
        fMouseChild = nullptr;
    fButtons.Set(button, true);
    if (fMouseChild == nullptr) {
        fMouseChild = fChildren.FirstContaining(where);
        if (fMouseChild == nullptr)
            fMouseChild = this;
    }
    Quor_View* target = fMouseChild;
    if (Quor_Layer* layer = Layer())
        layer->FocusOnPress(target);
    if (target == this)
        OnMouseDown(where, button, modifiers, message);
    else
        target->RouteMouseDown(where - target->Location(), button, modifiers, message);
}

void Quor_View::RouteMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message)
{
    Quor_Layer* layer = Layer();
    if (fMouseChild != nullptr && fMouseChild != this) {
        fMouseChild->RouteMouseMove(where - fMouseChild->Location(), modifiers, message);
        return;
    }
    if (fMouseChild == nullptr) {
        if (Quor_View* child = fChildren.FirstContaining(where)) {
            child->ClaimWindowCursor();
            child->RouteMouseMove(where - child->Location(), modifiers, message);
            return;
        }
    }
    if (layer != nullptr)
        layer->SetMouseMovedView(this);
    OnMouseMove(where, modifiers, message);
}

void Quor_View::RouteMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers,
                             Quor_Message* message)
{
    fButtons.Set(button, false);
    Quor_View* target = fMouseChild;
    // Forgotten once every button is up, also when the view held the press itself, so that the
    // next move goes to whatever lies under the pointer.
    if (!fButtons.Any())
        fMouseChild = nullptr;
    if (target == nullptr || target == this)
        OnMouseUp(where, button, modifiers, message);
    else
        target->RouteMouseUp(where - target->Location(), button, modifiers, message);
}

void Quor_View::RouteMouseWheel(float delta, Quor_Point where, unsigned int modifiers,
                                Quor_Message* message)
{
    if (fMouseChild != nullptr && fMouseChild != this) {
        fMouseChild->RouteMouseWheel(delta, where - fMouseChild->Location(), modifiers, message);
        return;
    }
    if (fMouseChild == nullptr) {
        for (int i = 0; i < fChildren.Count(); ++i) {
            Quor_View* child = fChildren.At(i);
            if (!child->Frame().Contains(where))
                continue;
            child->ClaimWindowCursor();
            child->RouteMouseWheel(delta, where - child->Location(), modifiers, message);
        }
    }
    OnMouseWheel(delta, where, modifiers, message);
}
