// A top-level window: owns up to 16 layers stacked bottom to top, routes input to them, redraws
// them, keeps per-window timers, remembers its place and size in the user settings, runs modal
// loops, receives dropped files and shows the menu strip of a layer's menu bar.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "toolkit/core/Quor_Message.h"
#include "toolkit/core/Quor_Mutex.h"
#include "toolkit/core/Quor_String.h"
#include "toolkit/framework/Quor_ButtonState.h"
#include "toolkit/framework/Quor_Handler.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/Quor_image.h"
#include "toolkit/math/Quor_Point.h"
#include "toolkit/math/Quor_Rect.h"

class Quor_Cursor;
class Quor_DC;
class Quor_Layer;
class Quor_MenuStripLayer;
class Quor_PlatformImage;

class Quor_Wnd : public Quor_Handler {
public:
    static constexpr int kMaxLayers = 16;
    // Presses this close in time (seconds) and place (pixels on each axis) make a double click.
    static constexpr float kDoubleClickSeconds = 0.5f;
    static constexpr int kDoubleClickPixels = 2;

    // A hidden window whose content area takes `frame` (screen coordinates). Types: 0 document
    // window (1 becomes 0 once the application object exists), 2 movable modal dialog, 3 and 4
    // modal dialogs without title bar, 5 floating utility window, 6 the same without close box.
    Quor_Wnd(const char* title, Quor_Rect frame, bool resizable, unsigned int type,
             Quor_Wnd* parent);
    // Closes its child windows, kills its timers, deletes its unowned layers, stores its place
    // and size when asked to remember them, and closes the host window.
    ~Quor_Wnd() override;

    // To the parent window's HandleMessage; without a parent, to the application's under its lock.
    void HandleMessage(Quor_Message* message) override;
    // Called once, under the window lock, during the first Show.
    virtual void OnCreate();
    // May the window close now? Not while a modal loop runs, nor while a modal layer lies on top.
    virtual bool CloseOK();
    virtual void OnClose();
    // The content's smallest and largest size; only the minimum is given to the host.
    virtual void GetMinMaxSize(Quor_Point* min, Quor_Point* max);
    virtual void OnResize(Quor_Point oldSize, Quor_Point newSize);
    virtual void DoLayout();
    virtual void OnKeyDown(int key, unsigned int modifiers);
    virtual void OnFileDrop(const char* path, Quor_Point where, unsigned int modifiers);

    // --- Identity and posting --------------------------------------------------------------------
    // An id that stays unique for the life of the program: keep it instead of a pointer in code
    // that may outlive the window.
    uint32_t Id() const { return fId; }
    // Any thread: runs task on the event thread under this window's lock, or drops it when the
    // window has closed by then. False when it cannot be queued.
    static bool PostTask(uint32_t windowId, std::function<void(Quor_Wnd*)> task);
    // Any thread: delivers a copy of the message with SendMessage on the event thread.
    static bool PostMessage(uint32_t windowId, const Quor_Message& message);

    // --- Lock, showing, place --------------------------------------------------------------------
    bool Lock(int timeoutMs);
    void Unlock();
    Quor_MutexHandle LockHandle() const { return fLock; }
    void Show();
    void Hide();
    void SetFocus();
    bool HasFocus();
    bool IsVisible() const { return fVisible; }
    // Moves the window's top-left to screen point (x, y).
    void SetLocation(int x, int y);
    Quor_Point Location();
    // Sizes the content area. The layers follow the new size by their follow flags at once;
    // the host's resize event that comes back finds them fitted.
    void SetShape(int width, int height);
    void SetTitle(const char* title);
    // Shows a 32-bit image (straight alpha) as the window's icon where the host can; the host
    // copies the pixels. False for an unusable image, without a host window, or when the host
    // shows no icons.
    bool SetIcon(const Quor_image* icon);
    const Quor_String& Title() const { return fTitle; }
    // The content area, (0, 0, width - 1, height - 1), read from the host.
    Quor_Rect Bounds();
    Quor_Rect OldBounds() const { return fLastBounds; }
    void CenterOnScreen();
    // Centres the window over the window it belongs to, kept wholly on the screen; on the screen
    // when it belongs to none or that one is hidden.
    void CenterOverParent();
    // Key stems under which the place ("<key>_location") and size ("<key>_shape") are
    // remembered in the user settings: read at the first Show, written when the window goes.
    void RestoreLocation(const char* key);
    void RestoreShape(const char* key);
    // Writes the place and size now (once): before the layers go, while the menu strip still
    // stands above the content, so the size kept is the content's. Called when the window goes;
    // a subclass that destroys its layers first calls it before.
    void StoreWindowShape();

    // --- Modal loops -----------------------------------------------------------------------------
    // Shows the window and runs the event loop until EndModal; input to the windows opened
    // before this one is dropped meanwhile, so a press held in another window is ended first
    // (released where the pointer was last seen; a message drag ends without a drop). Gives up
    // the parent's lock while it runs (all of it, and takes it back as often). With the close flag of EndModal (the default) the window
    // closes and deletes itself before DoModal returns, and the parent takes the keyboard
    // focus back. Returns EndModal's result.
    int DoModal();
    // Any thread.
    void EndModal(int result, bool close = true);
    bool IsRunningModal() const { return fRunningModal; }
    bool ContinueModal() const;

    // Closes the child windows (those made with this one as parent), calls OnClose, deletes the
    // layers and the window itself.
    void CloseWindow();

    // --- Layers ----------------------------------------------------------------------------------
    void AddLayer(Quor_Layer* layer);
    void RemoveLayer(Quor_Layer* layer);
    void DestroyLayers();
    int CountLayers() const { return fLayerCount; }
    Quor_Layer* LayerAt(int index) const;
    // The layer's place in the stack (0 at the bottom), or -1 when it is not in this window.
    int IndexOfLayer(const Quor_Layer* layer) const;
    Quor_Layer* TopLayer() const { return LayerAt(fLayerCount - 1); }
    Quor_Layer* MouseLayer() const { return fMouseLayer; }
    // Redraws the part of r (window coordinates) that each layer covers, bottom up.
    void Redraw(Quor_Rect r);
    // Redraws everything, the menu strip included.
    void Invalidate();
    // Redraws the strip and every layer now.
    void RedrawAll();
    // The host reports a new size or lost pixels: the layers follow a new size (OnResize), then
    // everything is redrawn.
    void HandleHostResize();
    Quor_DC* DC(Quor_Layer* layer);
    void ReleaseDC(Quor_DC* dc);

    // --- Menu strip ------------------------------------------------------------------------------
    // Shows the menu bar of the highest layer that registered one above the content area (or
    // none); called when layers come and go.
    void UpdateMenuStrip();
    int MenuStripHeight() const { return fStripHeight; }
    Quor_Layer* MenuStripLayer() const;

    // --- Cursor, timers, input state -------------------------------------------------------------
    void SetCursor(Quor_Cursor* cursor);
    Quor_Cursor* Cursor() const { return fCursor; }
    // Repeats every `seconds` on the event thread: target->SendMessage(what). The timer's id, or
    // 0 when refused (a period that is not positive and finite, or no host).
    unsigned int SetTimer(float seconds, Quor_Handler* target, int what);
    void KillTimer(unsigned int id);
    void OnTimer(unsigned int id);
    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers,
                     Quor_Message* message);
    void OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message);
    void OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers,
                   Quor_Message* message);
    void OnMouseWheel(float delta, Quor_Point where, unsigned int modifiers, Quor_Message* message);
    void OnMouseEnter() { fMouseInside = true; }
    void OnMouseExit() { fMouseInside = false; }
    bool IsMouseInside() const { return fMouseInside; }
    bool IsMouseDragging(unsigned int button) const;
    Quor_Point MousePt() const { return fMousePoint; }
    // Counts the presses the window received; during a press, the number of that press.
    unsigned int PressCount() const { return fPressCount; }
    unsigned int Modifiers() const { return fModifiers; }
    // The caller keeps the message alive until the release that drops it.
    void BeginDrag(Quor_Message* message);

    // --- Clipboard -------------------------------------------------------------------------------
    // Puts the text on the clipboard; stray bytes go as the characters they stand for.
    void CopyToOS(const char* text);
    // The host has no picture clipboard here; nothing happens.
    void CopyToOS(Quor_PlatformImage* image);
    // The clipboard's text (UTF-8, as the host gives it), valid until the next paste; null without
    // text or when it is too large to hold.
    const char* PasteFromOS();

    Quor_Wnd* Parent() const { return fParent; }
    unsigned int Type() const { return fType; }
    bool IsResizable() const { return fResizable; }
    // The host's id of the window; 0 after it closed or when the host refused it.
    uint32_t PlatformWindow() const { return fHostWindow; }
    // The window's pixels as last composed (menu strip on top, then the content area).
    const Quor_BaseImage& ComposedImage() const { return fComposed; }
    // Used by the drawing context: the composed image at the current size, and showing a
    // rectangle of it (window coordinates).
    Quor_BaseImage* Composed();
    void PresentRects(const Quor_Rect* rects, int count);

private:
    void PlatformDestroy();
    void CloseChildWindows();
    // Releases the buttons held in every other window (before a modal loop starts).
    void EndPressesElsewhere();
    void EndPress();
    // Fits the strip and the layers (OnResize) to a new content size; false when they already
    // have it.
    bool FitLayers(Quor_Point size);
    void FollowSize(Quor_Point oldSize, Quor_Point newSize);
    void ApplyMinSize();
    void PullOntoScreen();
    void RemoveMenuStrip();
    void RedrawMenuStrip();
    Quor_Layer* StripLayerContaining(Quor_Point where) const;
    // The highest layer whose frame contains the point, or null.
    Quor_Layer* LayerContaining(Quor_Point where) const;
    // Hands an event to the layers from the top down to the one under the pointer (included);
    // a layer that an earlier one removed is skipped.
    template <class Deliver>
    void DeliverDownTo(Quor_Point where, Deliver deliver);

    std::atomic<bool> fModalDone;
    std::atomic<bool> fCloseAfterModal;
    bool fRunningModal;
    std::atomic<int> fModalResult;
    Quor_Wnd* fParent;
    bool fFirstShow;
    bool fShapeStored = false;
    bool fResizable;
    unsigned int fType;
    uint32_t fHostWindow;
    int fLayerCount;
    Quor_Layer* fLayers[kMaxLayers];
    Quor_Layer* fMouseLayer;
    bool fMouseInside;
    Quor_ButtonState fButtons;
    Quor_Point fMousePoint;
    Quor_Point fLastClickPoint;
    uint64_t fLastClickMicros;
    bool fClickSeen;
    unsigned int fModifiers;
    Quor_Rect fLastBounds;
    Quor_Cursor* fCursor;
    Quor_String fPasteText;
    bool fDragging;
    Quor_Message* fDragMessage;
    Quor_String fLocationKey;
    Quor_String fShapeKey;
    Quor_MutexHandle fLock;

    uint32_t fId;
    // The content size the layers were last fitted to; a host resize is measured against it.
    Quor_Point fLayoutSize;
    Quor_String fTitle;
    bool fVisible;
    Quor_BaseImage fComposed;
    Quor_MenuStripLayer* fStripLayer;
    int fStripHeight;
    // Counts presses, so that a press that a top layer passed on again during its
    // OnMouseDownOutside is not delivered a second time.
    unsigned int fPressCount;
    // Set once the window is being torn down.
    bool fClosing = false;
};
