// A rectangle of a window with its own 32-bit image, into which its tree of views draws; the
// window stacks up to 16 layers, routes input to them top first and blits each through a clip
// that leaves the layers above it alone.
#pragma once

#include <vector>

#include "toolkit/core/Quor_Message.h"
#include "toolkit/framework/Quor_FrameworkDefs.h"
#include "toolkit/framework/Quor_Handler.h"
#include "toolkit/framework/Quor_PlatformImage.h"
#include "toolkit/framework/Quor_ViewList.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/math/Quor_Point.h"
#include "toolkit/math/Quor_Rect.h"

class Quor_DC;
class Quor_MenuStrip;
class Quor_View;
class Quor_Wnd;

class Quor_Layer : public Quor_Handler {
public:
    // The layer whose menu bar was registered last, and that bar (as a view).
    static Quor_Layer* gMenuLayer;
    static Quor_View* gMenuBar;

    // A detached layer of (0, 0, 31, 31) whose image is cleared to the theme's BackCol.
    explicit Quor_Layer(unsigned int followFlags = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP);
    // Deletes the children and the registered menu bar; leaves its window first when still in one.
    ~Quor_Layer() override;

    // To the window; dropped without one.
    void HandleMessage(Quor_Message* message) override;
    // InitBackground, then the children's AttachedToWindow, then marks the layer attached.
    virtual void AttachedToWindow();
    virtual void DetachedFromWindow();
    virtual void OnResize(Quor_Point oldSize, Quor_Point newSize);
    virtual void DoLayout();
    // Blits r (layer coordinates), then lets every child draw when attached.
    virtual void OnDraw(Quor_Rect r);
    // Points in layer coordinates.
    virtual void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers,
                             Quor_Message* message);
    // A press outside this layer while it is the window's top layer.
    virtual void OnMouseDownOutside(Quor_Point where, unsigned int button, unsigned int modifiers,
                                    Quor_Message* message);
    virtual void OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message);
    virtual void OnMouseWheel(float delta, Quor_Point where, unsigned int modifiers,
                              Quor_Message* message);
    virtual void OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers,
                           Quor_Message* message);
    virtual void OnKeyDown(int key, unsigned int modifiers);
    virtual void OnFileDrop(const char* path, Quor_Point where, unsigned int modifiers);
    virtual void OnMessageDrop(Quor_Message* message, Quor_Point where, unsigned int modifiers);
    virtual void InitBackground();
    // True: a plain layer on top of others keeps the window from closing.
    virtual bool IsModal();
    // False: the window deletes the layer.
    virtual bool HasOwner();
    // False: Tab is an ordinary key. True: Tab and Shift+Tab move the focus through TabStops(),
    // round from the last to the first, and show the focus ring.
    virtual bool TabAdvance();
    // Called before a menu opens, to set the menus' enabled and checked states.
    virtual void UpdateMenus();

    bool Lock(int timeoutMs);
    void Unlock();
    Quor_Point Location() const { return fFrame.LeftTop(); }
    Quor_Rect Frame() const { return fFrame; }
    Quor_Rect Bounds() const;
    Quor_Point Shape() const { return fFrame.Size(); }
    unsigned int FollowFlags() const { return fFollowFlags; }
    Quor_Wnd* Window() const { return fWindow; }
    bool IsAttached() const { return fAttached; }
    Quor_DC* DC();
    void ReleaseDC(Quor_DC* dc);
    Quor_PlatformImage* LayerImage() { return &fImage; }
    // The graphics context on the layer image, reset, pixel coordinates; null without pixels.
    Quor_Graphics* LayerGraphics();
    // The shared context, for the views' ViewGraphics.
    Quor_Graphics* Graphics() { return &fGraphics; }

    void AddChild(Quor_View* child);
    // Takes the child out without deleting it and without telling it.
    void RemoveChild(Quor_View* child);
    int CountChildren() const { return fChildren.Count(); }
    Quor_View* GetChild(int index) const;
    // Registers the menu bar shown in the window's menu strip while this layer is in a window.
    // The layer owns the bar from then on.
    void AddMenuBar(Quor_MenuStrip* menuBar);
    Quor_MenuStrip* MenuStrip() const { return fMenuStrip; }
    Quor_View* MenuBar() const { return fMenuBar; }
    void SetFocus(Quor_View* view);
    // The focus rule of a press on a view (of this layer, at any depth): a view that takes the
    // focus takes it from the focus view when it is enabled.
    void FocusOnPress(Quor_View* pressed);
    Quor_View* FocusView() const { return fFocusView; }
    // The enabled, showing views of the layer Tab stops at (Quor_View::TabStop), in reading
    // order: row by row from the top, each row from the left, by the views' frames. Views of
    // one row start within half the smaller one's height of each other.
    void TabStops(std::vector<Quor_View*>* stops) const;
    // Whether the focused view draws its ring: from a Tab until the next press of a mouse button.
    bool ShowsFocusRing() const { return fFocusRingShown; }
    void ShowFocusRing(bool shown);
    // Whether the view that would take a key now (the focus view) wants this one
    // (Quor_View::WantsKey); the window asks before a menu shortcut or tool letter takes it.
    bool FocusWantsKey(int key, unsigned int modifiers) const;
    Quor_View* MouseView() const { return fMouseView; }
    Quor_View* MouseMovedView() const { return fMouseMovedView; }
    void LayerToWnd(Quor_Point& p) const;
    void WndToLayer(Quor_Point& p) const;
    void SetMouseMovedView(Quor_View* view);
    void SetShape(int width, int height);
    void SetLocation(int x, int y);
    void Refresh(Quor_Rect r);
    void Refresh();

    // Used by the window.
    void SetWindow(Quor_Wnd* window) { fWindow = window; }
    // Used by views that go away: forgets every pointer to the view or a view inside it (press,
    // hover, focus) and takes the view out of the child list when it is a direct child.
    void ForgetView(const Quor_View* view);
    // Forgets the focus view when it is this one.
    void DropFocusView(const Quor_View* view);
    // Moves the frame without redrawing (the window re-places its layers this way on a resize).
    void MoveFrameTo(int x, int y) { fFrame.OffsetTo(x, y); }

private:
    void CreateImage();
    bool AnyWindowButtonDown() const;
    void AdvanceTabFocus(bool backward);

    bool fAttached;
    Quor_Wnd* fWindow;
    Quor_Rect fFrame;
    unsigned int fFollowFlags;
    Quor_PlatformImage fImage;
    Quor_Graphics fGraphics;
    Quor_ViewList fChildren;
    Quor_View* fMouseView;
    Quor_View* fMouseMovedView;
    Quor_View* fFocusView;
    Quor_View* fMenuBar;
    Quor_MenuStrip* fMenuStrip;
    bool fFocusRingShown;
};
