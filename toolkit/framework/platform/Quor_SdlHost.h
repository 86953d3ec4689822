// The desktop backend on SDL2: windows with a software surface, events, cursors, the clipboard
// and the pointer; on X11 also the bell and an error handler under which a request for a window
// that has just closed cannot end the program. Its source is the only file that includes SDL.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/framework/platform/Quor_Host.h"

class Quor_SdlHost : public Quor_Host {
public:
    Quor_SdlHost();
    ~Quor_SdlHost() override;

    const char* Name() const override { return "sdl"; }
    // Refuses to start without a display unless SDL_VIDEODRIVER names a headless driver
    // (offscreen or dummy) explicitly.
    bool Init(std::string* error) override;
    void Shutdown() override;
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

    // The SDL video driver in use ("x11", "wayland", "offscreen", ...), or "" before Init.
    const std::string& DriverName() const { return fDriver; }

private:
    // libX11, loaded at run time when SDL runs on X11 (null elsewhere): the error handler, the
    // bell and the key queries come from it, so the program does not link it.
    void* X11Library();
    void UnloadX11();
    // The backend's own connection to the X display, opened at the first use; null without X.
    void* XDisplay();
    // Whether the X server has this key (an SDL keycode) down now; false where it cannot tell.
    bool XKeyDown(int32_t key);
    // Key presses reported as fresh after a focus change but still held: see NoteKeyUp.
    void NoteKeyUp(int32_t key);
    bool IsHeldKey(int32_t key) const;
    void ForgetReleasedKeys();

    // How often the X server is asked about a key held across a focus change.
    static constexpr int kHeldKeyPollMs = 25;

    // By host button number (1 to 7): releases still to drop, their presses taken by
    // TakePendingPress.
    int fReleasesToDrop[8] = {};
    // Read by Wake, on any thread.
    std::atomic<bool> fStarted{false};
    uint32_t fWakeEvent = 0;
    std::string fDriver;
    uintptr_t fCurrentCursor = 0;
    void* fX11 = nullptr;
    void* fXDisplay = nullptr;
    bool fXDisplayTried = false;
    // Keys SDL let go of while the X server still had them down.
    std::vector<int32_t> fHeldKeys;
};
