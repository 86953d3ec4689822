// A rectangle of a layer that draws itself and takes input: views form a tree inside a layer,
// draw into their part of the layer image and route presses, moves, the wheel, drops and keys
// down to the deepest view under the pointer or with the focus.
#pragma once

#include "toolkit/core/Quor_Message.h"
#include "toolkit/framework/Quor_ButtonState.h"
#include "toolkit/framework/Quor_FrameworkDefs.h"
#include "toolkit/framework/Quor_Handler.h"
#include "toolkit/framework/Quor_ViewList.h"
#include "toolkit/imaging/Quor_image.h"
#include "toolkit/math/Quor_Point.h"
#include "toolkit/math/Quor_Rect.h"

class Quor_Cursor;
class Quor_Graphics;
class Quor_Layer;
class Quor_Wnd;

class Quor_View : public Quor_Handler {
public:
    // The one view, in any layer, that has the keyboard focus.
    static Quor_View* gGlobalFocusView;

    // A view of (0, 0, 31, 31) with these follow flags, enabled, alignment 1.
    explicit Quor_View(unsigned int followFlags = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP);
    // Deletes the children, then clears every pointer the layer, the parent and the focus keep
    // to this view, so that nothing is left dangling.
    ~Quor_View() override;

    // Parent view, else layer, else dropped.
    void HandleMessage(Quor_Message* message) override;

    // --- Shape -----------------------------------------------------------------------------------
    // Sets the size keeping the top-left; fills an unset preferred size; then OnResize.
    virtual void SetShape(int width, int height);
    virtual void SetShapeEventless(int width, int height);
    // Forgets the preferred size first.
    virtual void SetShapeForced(int width, int height);
    // Blits the view's rectangle of the layer image to the window.
    virtual void Refresh();
    // Appends a child (owned from now on) and attaches it when this view is in a window.
    virtual void AddChild(Quor_View* child);
    virtual void AttachedToWindow();
    virtual void DetachedFromWindow();
    virtual Quor_Point MinSize();
    virtual Quor_Point PreferredSize();
    // The size a layout gives the view: its preferred size, with each side that has none (below
    // 1) taken from its present shape.
    Quor_Point LayoutSize();
    virtual Quor_Point MaxSize();
    // Moves and reshapes the children by their follow flags.
    virtual void OnResize(Quor_Point oldSize, Quor_Point newSize);
    virtual void DoLayout();
    virtual void DoReLayout();
    virtual void OnDraw();

    // --- Input (points in this view's coordinates) ------------------------------------------------
    virtual void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers,
                             Quor_Message* message);
    virtual void OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message);
    virtual void OnMouseWheel(float delta, Quor_Point where, unsigned int modifiers,
                              Quor_Message* message);
    virtual void OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers,
                           Quor_Message* message);
    virtual void OnKeyDown(int key, unsigned int modifiers);
    // Whether the view, while it has the keyboard focus, has a use for the key: a text field
    // wants typing, its editing keys and chords such as Ctrl+A or Ctrl+V. Such a key reaches the
    // view before any menu shortcut or tool letter would take it. False in the base.
    virtual bool WantsKey(int key, unsigned int modifiers);
    // An arrow, Page Up, Page Down, Home or End key without Ctrl or Alt: what lists and sliders
    // move by. Left and Right count only when `sideways`.
    static bool IsMoveKey(int key, unsigned int modifiers, bool sideways);
    // To the first child whose frame contains the point, in its coordinates.
    virtual void OnFileDrop(const char* path, Quor_Point where, unsigned int modifiers);
    virtual void OnMessageDrop(Quor_Message* message, Quor_Point where, unsigned int modifiers);
    virtual void InitBackground();
    // Whether a press on the view gives it the keyboard focus (text fields, lists, the canvas).
    virtual bool AcceptsFocus();
    // Whether Tab stops at the view: every control does, also those a press leaves the focus
    // alone on (a button pressed with the mouse does not take the keyboard from a text field).
    // AcceptsFocus() in the base.
    virtual bool TabStop();
    // A key on its way to the focused view inside this one, offered first to the views around
    // it, nearest first: true takes it (a tab view's Ctrl+Page Up/Down). False in the base.
    virtual bool InterceptKey(int key, unsigned int modifiers);
    virtual void OnFocus(bool focused);
    // The layer began or stopped showing the focus ring while this view has the focus.
    virtual void OnFocusRingShown(bool shown);
    virtual void OnEnable(bool enabled);
    // True for a view that draws straight into the window: its rectangle is cut out of its
    // layer's blits.
    virtual bool BlitMyself();

    // --- Geometry --------------------------------------------------------------------------------
    void SetLocation(int x, int y);
    Quor_Point Location() const { return fFrame.LeftTop(); }
    Quor_Point Shape() const { return fFrame.Size(); }
    Quor_Rect Frame() const { return fFrame; }
    Quor_Rect Bounds() const;
    // The frame in layer coordinates.
    Quor_Rect LayerFrame() const;
    void SetPreferredSize(int width, int height) { fPreferredSize.Set(width, height); }
    void SetAlignment(unsigned int alignment) { fAlignment = alignment; }
    unsigned int Alignment() const { return fAlignment; }
    void SetIndent(int indent) { fIndent = indent; }
    int Indent() const { return fIndent; }
    unsigned int FollowFlags() const { return fFollowFlags; }

    // --- Tree ------------------------------------------------------------------------------------
    Quor_View* Parent() const { return fParent; }
    int CountChildren() const { return fChildren.Count(); }
    // Null outside 0..CountChildren()-1.
    Quor_View* GetChild(int index) const;
    // Takes the child out without deleting it; ownership goes back to the caller.
    void RemoveChild(Quor_View* child);
    // The nearest layer up the parent chain, and its window.
    Quor_Layer* Layer() const;
    Quor_Wnd* Window() const;
    // The window's lock; false without a window.
    bool Lock(int timeoutMs);
    void Unlock();

    // --- State -----------------------------------------------------------------------------------
    // For 1, 2 or 4 whether that button was pressed on this view and is still held; for any
    // other value whether any is.
    bool IsMouseDragging(unsigned int button) const;
    bool IsFocused() const { return fFocused; }
    bool IsEnabled() const { return fEnabled; }
    void Focus(bool on);
    void Enable(bool on);
    bool ContainsFocus() const;
    // Whether the view should draw its focus ring now: it has the focus and its layer shows the
    // ring (the keyboard has moved the focus since the last press of a mouse button).
    bool ShowsFocusRing() const;
    Quor_Cursor* Cursor() const { return fCursor; }
    void SetCursor(Quor_Cursor* cursor);
    // Shows this view's cursor, when it has one, in its window (the pointer is over the view).
    void ClaimWindowCursor();

    // --- Drawing ---------------------------------------------------------------------------------
    // A record onto the visible part of the view in the layer image (no pixels copied); null
    // when the view is wholly clipped or has no layer.
    const Quor_image* ViewImage();
    // The layer's graphics context on the view image, in view coordinates even when the view is
    // partly hidden, with a frame begun; null when there is nothing to draw on.
    Quor_Graphics* ViewGraphics();
    // Clips r (view coordinates) through every parent to the layer; r ends in layer
    // coordinates. False when nothing is left.
    bool ClipToLayer(Quor_Rect& r) const;
    void ViewToLayer(Quor_Point& p) const;
    void LayerToView(Quor_Point& p) const;
    void ViewToWnd(Quor_Point& p) const;
    void WndToView(Quor_Point& p) const;

    // --- Routing entry points: the layer sends presses, moves, releases and the wheel down the
    // tree through these (points in this view's coordinates) ----------------------------------
    void RouteMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers,
                        Quor_Message* message);
    void RouteMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message);
    void RouteMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers,
                      Quor_Message* message);
    void RouteMouseWheel(float delta, Quor_Point where, unsigned int modifiers,
                         Quor_Message* message);

    // Used by the layer: the view is a direct child of this layer (null otherwise).
    void SetLayer(Quor_Layer* layer) { fLayer = layer; }
    Quor_Layer* DirectLayer() const { return fLayer; }
    // Forgets the pointers it keeps to a view that is going away (mouse child).
    void ForgetView(const Quor_View* view);

private:
    bool IsInWindow() const;
    // ViewImage, with the visible part of the view in layer coordinates.
    const Quor_image* VisibleImage(Quor_Rect* visible);

    Quor_Rect fFrame;
    Quor_Point fPreferredSize;
    unsigned int fFollowFlags;
    unsigned int fAlignment;
    int fIndent;
    Quor_Layer* fLayer;
    Quor_View* fParent;
    Quor_ButtonState fButtons;
    bool fFocused;
    bool fEnabled;
    Quor_ViewList fChildren;
    Quor_View* fMouseChild;
    Quor_Cursor* fCursor;
    Quor_image fViewImage;
};

// Where a frame goes when its container changes from oldSize to newSize (the follow rule).
Quor_Rect Quor_FollowFrame(const Quor_Rect& frame, unsigned int followFlags, Quor_Point oldSize,
                           Quor_Point newSize);
