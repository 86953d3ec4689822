// A window system in memory, for tests and headless runs: a test pushes events, moves a virtual
// clock, sets the pointer and its buttons, and reads back each window's shown pixels, its place
// and size, the cursor, beeps, the clipboard and the files handed to the desktop. Keys behave as
// on the desktop backend: a printable key gives a key press and typed text, except with Ctrl.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/framework/platform/Quor_Host.h"
#include "toolkit/framework/platform/Quor_HostEvent.h"
#include "toolkit/imaging/Quor_BaseImage.h"

class Quor_MemoryHost : public Quor_Host {
public:
    struct Window {
        uint32_t id = 0;
        std::string title;   // UTF-8
        int x = 0;
        int y = 0;
        int width = 1;
        int height = 1;
        int minWidth = 1;
        int minHeight = 1;
        int type = 0;
        bool resizable = false;
        uint32_t parent = 0;
        bool visible = false;
        // What the window shows: the presented rectangles of the composed images.
        std::unique_ptr<Quor_BaseImage> pixels;
        int presents = 0;
        // A copy of the icon last set; null for none.
        std::unique_ptr<Quor_BaseImage> icon;
    };

    Quor_MemoryHost();
    ~Quor_MemoryHost() override;

    // --- Quor_Host -------------------------------------------------------------------------------
    const char* Name() const override { return "memory"; }
    bool Init(std::string* error) override;
    void Shutdown() override;
    // Returns a queued event at once. Otherwise calls the idle hook (when set and timeoutMs is
    // not 0); then, with a timeout, moves the virtual clock on by it and returns false; without
    // one, waits (in real time, up to the stall limit) for another thread to push or wake. When
    // nothing comes the stall hook runs and every running loop is aborted, so a test that waits
    // for something that never happens fails instead of hanging.
    bool WaitEvent(Quor_HostEvent* event, int timeoutMs) override;
    void Wake() override;
    uint64_t NowMicros() override;
    uint32_t CreateWindow(const Quor_HostWindowParams& params) override;
    void DestroyWindow(uint32_t window) override;
    void ShowWindow(uint32_t window) override;
    void HideWindow(uint32_t window) override;
    void FocusWindow(uint32_t window) override;
    bool HasFocus(uint32_t window) override;
    void SetTitle(uint32_t window, const char* utf8) override;
    void SetPosition(uint32_t window, int x, int y) override;
    void GetPosition(uint32_t window, int* x, int* y) override;
    void SetSize(uint32_t window, int width, int height) override;
    void GetSize(uint32_t window, int* width, int* height) override;
    void SetMinSize(uint32_t window, int width, int height) override;
    bool SetIcon(uint32_t window, const Quor_image& icon) override;
    void Present(uint32_t window, const Quor_image& composed, const Quor_Rect* rects, int count) override;
    uintptr_t CreateMonoCursor(const uint8_t data[32], const uint8_t mask[32], int hotX, int hotY) override;
    void SetCursor(uintptr_t cursor) override;
    void FreeCursor(uintptr_t cursor) override;
    Quor_Rect ScreenBounds() override;
    void GlobalMouse(int* x, int* y, unsigned int* buttons) override;
    unsigned int LiveModifiers() override;
    bool TakePendingPress() override;
    void Beep() override;
    bool SetClipboardText(const char* utf8) override;
    bool GetClipboardText(std::string* utf8) override;
    int LaunchFile(const char* path) override;

    // --- Events ----------------------------------------------------------------------------------
    void Push(const Quor_HostEvent& event);
    // Client coordinates of the window; the pointer moves there too.
    void PushMouse(uint32_t window, Quor_HostEvent::Kind kind, int x, int y, int button = 1,
                   unsigned int modifiers = 0);
    // A press and a release at the same place.
    void PushClick(uint32_t window, int x, int y, int button = 1, unsigned int modifiers = 0);
    void PushWheel(uint32_t window, int x, int y, int wheelY, int wheelX = 0, unsigned int modifiers = 0);
    // A key as the desktop sends it: special host characters give a key press only; printable
    // ASCII gives a key press and, unless Ctrl is held, the typed character as text (upper case
    // when exactly one of Shift and Caps Lock is on).
    void PushKey(uint32_t window, int hostChar, unsigned int modifiers = 0, unsigned int functionKeys = 0);
    // The same as the desktop's auto-repeat sends it while the key is held.
    void PushRepeatedKey(uint32_t window, int hostChar, unsigned int modifiers = 0);
    void PushText(uint32_t window, const std::string& utf8, unsigned int modifiers = 0);
    // Moves the pointer to the window's point (x, y) and drops the file there.
    void PushDrop(uint32_t window, const std::string& path, int x, int y);
    void PushClose(uint32_t window);
    void PushQuit();
    void PushExpose(uint32_t window);
    void PushEnter(uint32_t window);
    void PushLeave(uint32_t window);
    // The user resizes or moves the window (as a window manager would).
    void UserResize(uint32_t window, int width, int height);
    void UserMove(uint32_t window, int x, int y);
    int QueuedEvents();

    // --- Clock, pointer, screen -------------------------------------------------------------------
    void AdvanceTime(int ms);
    void SetGlobalMouse(int x, int y, unsigned int buttons);
    void SetLiveModifiers(unsigned int modifiers);
    void SetScreen(int width, int height);

    // --- Inspection ------------------------------------------------------------------------------
    const Window* WindowRecord(uint32_t window) const;
    // Host ids of the open windows, oldest first.
    std::vector<uint32_t> Windows() const;
    // What the window shows at its client point (x, y); transparent black outside.
    rgb_color PixelAt(uint32_t window, int x, int y) const;
    const Quor_BaseImage* Shown(uint32_t window) const;
    uint32_t FocusedWindow() const { return fFocused; }
    uintptr_t CurrentCursor() const { return fCursor; }
    // The planes a cursor was made from (null for an unknown handle).
    const uint8_t* CursorData(uintptr_t cursor) const;
    int LiveCursorCount() const { return static_cast<int>(fCursors.size()); }
    int BeepCount() const { return fBeeps; }
    std::string Clipboard() const;
    void SetClipboard(const std::string& utf8, bool hasText = true);
    std::vector<std::string> Launched() const;

    // --- Hooks -----------------------------------------------------------------------------------
    // Runs when the queue is empty and the loop would wait, so a test can act inside a running
    // modal loop (press OK, end the loop, push events). It may start a nested modal loop, in
    // which it is called again; it may also replace itself.
    void SetIdleHook(std::function<void()> hook) { fIdle = std::move(hook); }
    // Runs when a loop waits for something that never comes; every loop is then aborted.
    void SetStallHook(std::function<void()> hook) { fStall = std::move(hook); }
    void SetStallMilliseconds(int ms) { fStallMs = ms; }
    bool Stalled() const { return fStalled; }

private:
    // Pops the next event (the mutex held); false when none is queued. Releases whose presses
    // TakePendingPress took are dropped on the way.
    bool TakeEvent(Quor_HostEvent* event);
    // A key press (and its typed text, as PushKey describes).
    void PushKeyPress(uint32_t window, int hostChar, unsigned int modifiers, unsigned int functionKeys,
                      bool repeat);
    // Puts the pointer at the window's client point (the mutex held).
    void PointerTo(uint32_t window, int x, int y);
    Window* Find(uint32_t window);
    const Window* Find(uint32_t window) const;

    mutable std::mutex fMutex;
    std::condition_variable fSignal;
    std::deque<Quor_HostEvent> fQueue;
    bool fWoken = false;
    uint64_t fWaitCalls = 0;
    uint64_t fNow = 1000000;
    std::map<uint32_t, Window> fWindows;
    uint32_t fLastWindow = 0;
    uint32_t fFocused = 0;
    int fScreenWidth = 1024;
    int fScreenHeight = 768;
    int fMouseX = 0;
    int fMouseY = 0;
    unsigned int fButtons = 0;
    unsigned int fLiveModifiers = 0;
    // By host button number: releases still to drop, their presses taken by TakePendingPress.
    std::map<int, int> fReleasesToDrop;
    std::map<uintptr_t, std::vector<uint8_t>> fCursors;
    uintptr_t fLastCursor = 0;
    uintptr_t fCursor = 0;
    int fBeeps = 0;
    std::string fClipboard;
    bool fHasClipboard = false;
    std::vector<std::string> fLaunched;
    std::function<void()> fIdle;
    std::function<void()> fStall;
    int fStallMs = 2000;
    bool fStalled = false;
};
