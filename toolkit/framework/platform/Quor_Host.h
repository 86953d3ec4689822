// The narrow interface between the framework and a window system: events and time, windows,
// presenting pixels, cursors, screen and pointer queries, beep, clipboard and launching files.
// Everything else (the event loop, timers, composition, input translation) lives above it, so
// that both backends run the same code. One host is installed at a time.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/imaging/Quor_image.h"
#include "toolkit/math/Quor_Rect.h"

struct Quor_HostEvent;

// How a host window is made.
struct Quor_HostWindowParams {
    const char* title = "";     // UTF-8
    int x = 0;                  // client area's top-left on the screen
    int y = 0;
    int width = 1;              // client area's size
    int height = 1;
    // 0, 1 document window; 2 movable modal dialog; 3, 4 modal dialog without title bar;
    // 5 floating utility window; 6 floating utility window without close box.
    int type = 0;
    bool resizable = false;
    uint32_t parent = 0;        // the owner's host id, or 0
};

class Quor_Host {
public:
    virtual ~Quor_Host() = default;

    // The installed host, or null. The caller keeps ownership of what it installs and must
    // uninstall it (Install(nullptr)) before deleting it. Install waits for a WakeCurrent that
    // runs on another thread, so a host is never woken after it was uninstalled.
    static Quor_Host* Current();
    static void Install(Quor_Host* host);
    // Wakes the installed host's event loop, if any. Any thread.
    static void WakeCurrent();

    virtual const char* Name() const = 0;
    // Starts the connection to the window system. On failure returns false with a sentence for
    // the user in *error.
    virtual bool Init(std::string* error) = 0;
    virtual void Shutdown() = 0;

    // --- Events and time (event thread, except Wake) -------------------------------------------
    // Waits up to timeoutMs (below 0: without limit) for an event. False when none came.
    virtual bool WaitEvent(Quor_HostEvent* event, int timeoutMs) = 0;
    // Ends a running WaitEvent early. Any thread.
    virtual void Wake() = 0;
    // A monotonic clock in microseconds; timers and double clicks go by it.
    virtual uint64_t NowMicros() = 0;

    // --- Windows ---------------------------------------------------------------------------------
    // A hidden window; its id (never 0), or 0 when the host refuses.
    virtual uint32_t CreateWindow(const Quor_HostWindowParams& params) = 0;
    virtual void DestroyWindow(uint32_t window) = 0;
    virtual void ShowWindow(uint32_t window) = 0;
    virtual void HideWindow(uint32_t window) = 0;
    virtual void FocusWindow(uint32_t window) = 0;
    virtual bool HasFocus(uint32_t window) = 0;
    virtual void SetTitle(uint32_t window, const char* utf8) = 0;
    virtual void SetPosition(uint32_t window, int x, int y) = 0;
    virtual void GetPosition(uint32_t window, int* x, int* y) = 0;
    virtual void SetSize(uint32_t window, int width, int height) = 0;
    virtual void GetSize(uint32_t window, int* width, int* height) = 0;
    virtual void SetMinSize(uint32_t window, int width, int height) = 0;
    // Shows a usable 32-bit image (the toolkit's pixel packing, straight alpha) as the window's
    // icon; the host copies the pixels. False where the host shows no icons, as by default.
    virtual bool SetIcon(uint32_t window, const Quor_image& icon);
    // Shows the given rectangles (client coordinates, already clipped to the image) of the
    // window's composed 32-bit image (the toolkit's pixel packing; alpha is ignored).
    virtual void Present(uint32_t window, const Quor_image& composed, const Quor_Rect* rects,
                         int count) = 0;

    // --- Cursors ---------------------------------------------------------------------------------
    // A 16 x 16 cursor from two bit planes (rows of two bytes, high bit leftmost): mask 1 with
    // data 1 is black, mask 1 with data 0 white, mask 0 transparent. 0 when the host has none.
    virtual uintptr_t CreateMonoCursor(const uint8_t data[32], const uint8_t mask[32], int hotX,
                                       int hotY) = 0;
    // 0 shows the standard arrow.
    virtual void SetCursor(uintptr_t cursor) = 0;
    virtual void FreeCursor(uintptr_t cursor) = 0;

    // --- Screen and live input state ---------------------------------------------------------------
    // The main screen's whole area.
    virtual Quor_Rect ScreenBounds() = 0;
    // The pointer on the screen and the buttons held (Quor_HostButtonMask), read now.
    virtual void GlobalMouse(int* x, int* y, unsigned int* buttons) = 0;
    // The modifier keys held now (Quor_HostModifier bits).
    virtual unsigned int LiveModifiers() = 0;
    // Takes every mouse press on the program's windows that waits in the queue, and the release
    // of each when it comes, so that neither reaches a window: a long task on the event thread
    // (the canvas preview) stops on a click made in the program and nowhere else. True when a
    // press was taken. False where the host cannot look ahead, as by default.
    virtual bool TakePendingPress();

    // --- Desktop -------------------------------------------------------------------------------
    virtual void Beep() = 0;
    virtual bool SetClipboardText(const char* utf8) = 0;
    // False when the clipboard holds no text.
    virtual bool GetClipboardText(std::string* utf8) = 0;
    // Asks the desktop to open the file with its default application: 0, or an errno value.
    virtual int LaunchFile(const char* path) = 0;
};
