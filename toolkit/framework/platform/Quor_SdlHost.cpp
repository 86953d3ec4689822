#include "toolkit/framework/platform/Quor_SdlHost.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "toolkit/core/Quor_Stopwatch.h"
#include "toolkit/framework/Quor_Launcher.h"
#include "toolkit/framework/platform/Quor_HostEvent.h"
#include "toolkit/framework/platform/Quor_SdlOwner.h"

namespace {

// The leading fields of Xlib's error event (XErrorEvent), whose layout is part of the X11 ABI;
// declared here so that the backend needs neither Xlib's headers nor a link to it.
struct XErrorRecord {
    int type;
    void* display;
    unsigned long resourceId;
    unsigned long serial;
    unsigned char errorCode;
    unsigned char requestCode;
    unsigned char minorCode;
};

constexpr unsigned char kXBadWindow = 3;
// Error codes already reported, so that a repeating error is reported once.
std::atomic<bool> sXErrorReported[256];

// Xlib's own handler prints the error and ends the process. A window that closes while the
// server still has requests for it queued (a focus change, a sent event) brings BadWindow,
// which is expected and harmless; other errors are reported once and the program goes on.
int OnXError(void*, XErrorRecord* error)
{
    if (error == nullptr || error->errorCode == kXBadWindow)
        return 0;
    if (!sXErrorReported[error->errorCode].exchange(true))
        std::fprintf(stderr, "X11 error %d (request %d.%d, resource 0x%lx) ignored\n", error->errorCode,
                     error->requestCode, error->minorCode, error->resourceId);
    return 0;
}

void InstallXErrorHandler(void* x11)
{
    using Handler = int (*)(void*, XErrorRecord*);
    using SetHandlerFn = Handler (*)(Handler);
    // SDL's handler is replaced, not chained: it hands on to Xlib's, which ends the process.
    if (auto setHandler = reinterpret_cast<SetHandlerFn>(SDL_LoadFunction(x11, "XSetErrorHandler")))
        setHandler(&OnXError);
}

void SetHints()
{
    // Closing the last window is a close request like any other (the window asks about unsaved
    // work); only the desktop's own quit request quits.
    SDL_SetHint("SDL_QUIT_ON_LAST_WINDOW_CLOSE", "0");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // The toolkit draws in software; the window's own framebuffer (shared memory on X11) is the
    // direct way to show it, where a texture framebuffer would start OpenGL for nothing.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
}

SDL_Window* WindowOf(uint32_t id)
{
    return id != 0 ? SDL_GetWindowFromID(id) : nullptr;
}

bool IsHeadlessDriver(const char* name)
{
    return name != nullptr && (std::strcmp(name, "offscreen") == 0 || std::strcmp(name, "dummy") == 0);
}

bool EnvSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

unsigned int HostModifiers(Uint16 mod)
{
    unsigned int bits = 0;
    if (mod & KMOD_SHIFT)
        bits |= QUOR_HOST_SHIFT;
    if (mod & KMOD_CTRL)
        bits |= QUOR_HOST_CTRL;
    if (mod & KMOD_LALT)
        bits |= QUOR_HOST_ALT;
    // The right Alt key is the level shift of most layouts: it composes text and sets no bit.
    if (mod & (KMOD_RALT | KMOD_MODE))
        bits |= QUOR_HOST_ALTGR;
    if (mod & KMOD_GUI)
        bits |= QUOR_HOST_SUPER;
    if (mod & KMOD_CAPS)
        bits |= QUOR_HOST_CAPS;
    return bits;
}

// The host character of a special key, or 0 for keys the framework takes from typed text.
int SpecialHostChar(SDL_Keycode key)
{
    switch (key) {
    case SDLK_RETURN: return 13;
    case SDLK_KP_ENTER: return 3;
    case SDLK_ESCAPE: return 27;
    case SDLK_TAB: return 9;
    case SDLK_BACKSPACE: return 8;
    case SDLK_DELETE: return 127;
    case SDLK_HOME: return 1;
    case SDLK_END: return 4;
    case SDLK_PAGEUP: return 11;
    case SDLK_PAGEDOWN: return 12;
    case SDLK_LEFT: return 28;
    case SDLK_UP: return 30;
    case SDLK_RIGHT: return 29;
    case SDLK_DOWN: return 31;
    default: break;
    }
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return 16;
    return 0;
}

// The function keys held now, plus the one just pressed (the keyboard state may lag behind it).
unsigned int FunctionKeysDown(SDL_Keycode pressed)
{
    static const SDL_Scancode kKeys[12] = {
        SDL_SCANCODE_F1, SDL_SCANCODE_F2, SDL_SCANCODE_F3, SDL_SCANCODE_F4,  SDL_SCANCODE_F5,  SDL_SCANCODE_F6,
        SDL_SCANCODE_F7, SDL_SCANCODE_F8, SDL_SCANCODE_F9, SDL_SCANCODE_F10, SDL_SCANCODE_F11, SDL_SCANCODE_F12};
    const Uint8* state = SDL_GetKeyboardState(nullptr);
    unsigned int bits = 0;
    for (int i = 0; i < 12; ++i) {
        if (state != nullptr && state[kKeys[i]])
            bits |= 1u << i;
    }
    if (pressed >= SDLK_F1 && pressed <= SDLK_F12)
        bits |= 1u << (pressed - SDLK_F1);
    return bits;
}

int HostButton(Uint8 button)
{
    switch (button) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 3;
    default: return 4 + (button - SDL_BUTTON_X1);
    }
}

// The slot of a host button number in the table of releases to drop.
int ButtonSlot(int hostButton)
{
    return std::clamp(hostButton, 0, 7);
}

// Turns an SDL event into a host event; false for events the framework does not use.
bool Translate(const SDL_Event& e, Quor_HostEvent* out)
{
    Quor_HostEvent event;
    switch (e.type) {
    case SDL_QUIT:
        event.kind = Quor_HostEvent::kQuit;
        break;
    case SDL_WINDOWEVENT:
        event.window = e.window.windowID;
        switch (e.window.event) {
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
            event.kind = Quor_HostEvent::kExpose;
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            event.kind = Quor_HostEvent::kResized;
            event.width = e.window.data1;
            event.height = e.window.data2;
            break;
        case SDL_WINDOWEVENT_MOVED:
            event.kind = Quor_HostEvent::kMoved;
            event.x = e.window.data1;
            event.y = e.window.data2;
            break;
        case SDL_WINDOWEVENT_CLOSE:
            event.kind = Quor_HostEvent::kClose;
            break;
        case SDL_WINDOWEVENT_ENTER:
            event.kind = Quor_HostEvent::kEnter;
            break;
        case SDL_WINDOWEVENT_LEAVE:
            event.kind = Quor_HostEvent::kLeave;
            break;
        default:
            return false;
        }
        break;
    case SDL_MOUSEMOTION:
        event.kind = Quor_HostEvent::kMouseMove;
        event.window = e.motion.windowID;
        event.x = e.motion.x;
        event.y = e.motion.y;
        event.modifiers = HostModifiers(SDL_GetModState());
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        event.kind = e.type == SDL_MOUSEBUTTONDOWN ? Quor_HostEvent::kMouseDown : Quor_HostEvent::kMouseUp;
        event.window = e.button.windowID;
        event.x = e.button.x;
        event.y = e.button.y;
        event.button = HostButton(e.button.button);
        event.modifiers = HostModifiers(SDL_GetModState());
        break;
    case SDL_MOUSEWHEEL: {
        const int flip = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
        event.kind = Quor_HostEvent::kWheel;
        event.window = e.wheel.windowID;
        event.x = e.wheel.mouseX;
        event.y = e.wheel.mouseY;
        event.wheelX = e.wheel.x * flip;
        event.wheelY = e.wheel.y * flip;
        event.modifiers = HostModifiers(SDL_GetModState());
        break;
    }
    case SDL_KEYDOWN: {
        const SDL_Keycode key = e.key.keysym.sym;
        int hostChar = SpecialHostChar(key);
        if (hostChar == 0 && key >= 0x20 && key <= 0x7E)
            hostChar = static_cast<int>(key);
        if (hostChar == 0)
            return false;
        event.kind = Quor_HostEvent::kKeyDown;
        event.window = e.key.windowID;
        event.hostChar = hostChar;
        event.functionKeys = hostChar == 16 ? FunctionKeysDown(key) : 0;
        event.modifiers = HostModifiers(e.key.keysym.mod);
        event.repeat = e.key.repeat != 0;
        break;
    }
    case SDL_TEXTINPUT:
        event.kind = Quor_HostEvent::kText;
        event.window = e.text.windowID;
        event.text = e.text.text;
        event.modifiers = HostModifiers(SDL_GetModState());
        break;
    case SDL_DROPFILE:
        if (e.drop.file == nullptr)
            return false;
        event.kind = Quor_HostEvent::kDropFile;
        event.window = e.drop.windowID;
        event.text = e.drop.file;
        break;
    default:
        return false;
    }
    *out = std::move(event);
    return true;
}

// The X keysym of a key the backend reports (0 for others): the X server is asked about it.
unsigned long XKeysymOf(SDL_Keycode key)
{
    switch (key) {
    case SDLK_RETURN: return 0xFF0D;
    case SDLK_KP_ENTER: return 0xFF8D;
    case SDLK_ESCAPE: return 0xFF1B;
    case SDLK_TAB: return 0xFF09;
    case SDLK_BACKSPACE: return 0xFF08;
    case SDLK_DELETE: return 0xFFFF;
    case SDLK_HOME: return 0xFF50;
    case SDLK_LEFT: return 0xFF51;
    case SDLK_UP: return 0xFF52;
    case SDLK_RIGHT: return 0xFF53;
    case SDLK_DOWN: return 0xFF54;
    case SDLK_PAGEUP: return 0xFF55;
    case SDLK_PAGEDOWN: return 0xFF56;
    case SDLK_END: return 0xFF57;
    default: break;
    }
    // Printable ASCII keys are their own keysyms.
    return key >= 0x20 && key <= 0x7E ? static_cast<unsigned long>(key) : 0;
}

}  // namespace

Quor_SdlHost::Quor_SdlHost() = default;

Quor_SdlHost::~Quor_SdlHost()
{
    Shutdown();
}

bool Quor_SdlHost::Init(std::string* error)
{
    if (fStarted)
        return true;
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    const bool askedHeadless = IsHeadlessDriver(asked);
    if (!askedHeadless && !EnvSet("DISPLAY") && !EnvSet("WAYLAND_DISPLAY")) {
        if (error != nullptr)
            *error = "No display is available (neither DISPLAY nor WAYLAND_DISPLAY is set). Start the "
                     "program inside a desktop session, or set SDL_VIDEODRIVER=offscreen to run without "
                     "one.";
        return false;
    }
    // SDL keeps the X error handler it finds when it starts and puts it back when it quits, just
    // before closing its display; errors still queued for windows closed last then reach that
    // handler, so it must already be ours (Xlib's own would end the program at its last moment).
    const bool x11Expected = EnvSet("DISPLAY") && (asked == nullptr || std::strcmp(asked, "x11") == 0);
    if (x11Expected) {
        fX11 = SDL_LoadObject("libX11.so.6");
        if (fX11 != nullptr)
            InstallXErrorHandler(fX11);
    }
    // An X server that is busy (tearing down another client, for one) can refuse a connection for
    // a moment with EAGAIN; SDL then reports X11 unavailable and falls back to a headless driver.
    // A few more tries, a little apart, before concluding that there is no display.
    constexpr int kAttempts = 5;
    for (int attempt = 1;; ++attempt) {
        // SDL_Quit clears the hints, so they are given for every attempt.
        SetHints();
        const bool started = SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0;
        const char* driver = started ? SDL_GetCurrentVideoDriver() : nullptr;
        const bool headless = started && IsHeadlessDriver(driver) && !askedHeadless;
        if (started && !headless) {
            fDriver = driver != nullptr ? driver : "";
            break;
        }
        const std::string why = started ? "" : SDL_GetError();
        if (started)
            SDL_Quit();
        if (x11Expected && attempt < kAttempts) {
            SDL_Delay(static_cast<uint32_t>(100 * attempt));
            continue;
        }
        UnloadX11();
        if (error == nullptr)
            return false;
        // Without a display SDL falls back to a headless driver on its own; a program that shows
        // nothing must say so instead of running invisibly.
        if (headless)
            *error = "No display could be opened; only a headless video driver is available. Set "
                     "SDL_VIDEODRIVER=offscreen to run without a display.";
        else
            *error = "The window system could not be started: " + why;
        return false;
    }
    if (fDriver == "x11") {
        if (void* x11 = X11Library())
            InstallXErrorHandler(x11);
    } else {
        UnloadX11();
    }
    fWakeEvent = SDL_RegisterEvents(1);
    SDL_StartTextInput();
    fStarted = true;
    return true;
}

void Quor_SdlHost::UnloadX11()
{
    if (fX11 != nullptr)
        SDL_UnloadObject(fX11);
    fX11 = nullptr;
}

void* Quor_SdlHost::X11Library()
{
    if (fX11 == nullptr && fDriver == "x11")
        fX11 = SDL_LoadObject("libX11.so.6");
    return fX11;
}

void Quor_SdlHost::Shutdown()
{
    if (!fStarted)
        return;
    using CloseFn = int (*)(void*);
    if (fXDisplay != nullptr && fX11 != nullptr) {
        if (auto close = reinterpret_cast<CloseFn>(SDL_LoadFunction(fX11, "XCloseDisplay")))
            close(fXDisplay);
    }
    UnloadX11();
    fXDisplay = nullptr;
    fXDisplayTried = false;
    fHeldKeys.clear();
    SDL_Quit();
    fStarted = false;
    fDriver.clear();
    fCurrentCursor = 0;
    std::fill(std::begin(fReleasesToDrop), std::end(fReleasesToDrop), 0);
}

// --- Events and time -----------------------------------------------------------------------------

bool Quor_SdlHost::WaitEvent(Quor_HostEvent* event, int timeoutMs)
{
    if (!fStarted)
        return false;
    const uint64_t deadline = NowMicros() + static_cast<uint64_t>(std::max(0, timeoutMs)) * 1000;
    int wait = timeoutMs;
    for (;;) {
        // A key held across a focus change is released without an event: while there is one,
        // the wait is cut into short slices and the X server asked between them.
        ForgetReleasedKeys();
        const bool sliced = !fHeldKeys.empty() && (wait < 0 || wait > kHeldKeyPollMs);
        const int slice = sliced ? kHeldKeyPollMs : wait;
        SDL_Event e;
        const int got = slice < 0 ? SDL_WaitEvent(&e) : SDL_WaitEventTimeout(&e, slice);
        if (got != 0 && e.type == fWakeEvent)
            return false;
        if (got != 0) {
            if (e.type == SDL_KEYUP)
                NoteKeyUp(e.key.keysym.sym);
            bool translated = Translate(e, event);
            if (e.type == SDL_DROPFILE)
                SDL_free(e.drop.file);
            if (translated && event->kind == Quor_HostEvent::kMouseUp) {
                // The release of a press that TakePendingPress took reaches no window either.
                int& toDrop = fReleasesToDrop[ButtonSlot(event->button)];
                if (toDrop > 0) {
                    --toDrop;
                    translated = false;
                }
            }
            if (translated) {
                if (event->kind == Quor_HostEvent::kKeyDown && IsHeldKey(e.key.keysym.sym))
                    event->repeat = true;
                return true;
            }
        } else if (!sliced) {
            return false;
        }
        // Nothing the framework uses yet: keep waiting for what is left of the time.
        if (timeoutMs >= 0) {
            const uint64_t now = NowMicros();
            if (now >= deadline && got == 0)
                return false;
            wait = now >= deadline ? 0 : static_cast<int>((deadline - now + 999) / 1000);
        }
    }
}

void Quor_SdlHost::NoteKeyUp(int32_t key)
{
    // SDL lets go of every key when the keyboard focus moves, even between this program's own
    // windows (a prompt opening over a dialog). A key that the X server still has down is held
    // on, so that its auto-repeat, which SDL then reports as a fresh press, counts as a repeat.
    std::erase(fHeldKeys, key);
    if (XKeyDown(key))
        fHeldKeys.push_back(key);
}

bool Quor_SdlHost::IsHeldKey(int32_t key) const
{
    return std::find(fHeldKeys.begin(), fHeldKeys.end(), key) != fHeldKeys.end();
}

void Quor_SdlHost::ForgetReleasedKeys()
{
    std::erase_if(fHeldKeys, [this](int32_t key) { return !XKeyDown(key); });
}

bool Quor_SdlHost::XKeyDown(int32_t key)
{
    using KeysymToKeycodeFn = unsigned char (*)(void*, unsigned long);
    using QueryKeymapFn = int (*)(void*, char*);
    const unsigned long keysym = XKeysymOf(key);
    void* display = keysym != 0 ? XDisplay() : nullptr;
    if (display == nullptr)
        return false;
    auto toKeycode = reinterpret_cast<KeysymToKeycodeFn>(SDL_LoadFunction(fX11, "XKeysymToKeycode"));
    auto queryKeymap = reinterpret_cast<QueryKeymapFn>(SDL_LoadFunction(fX11, "XQueryKeymap"));
    if (toKeycode == nullptr || queryKeymap == nullptr)
        return false;
    const unsigned int keycode = toKeycode(display, keysym);
    char keys[32] = {};
    if (keycode == 0 || queryKeymap(display, keys) == 0)
        return false;
    return (static_cast<unsigned char>(keys[keycode / 8]) & (1u << (keycode % 8))) != 0;
}

void* Quor_SdlHost::XDisplay()
{
    using OpenFn = void* (*)(const char*);
    if (!fXDisplayTried) {
        fXDisplayTried = true;
        if (void* x11 = X11Library()) {
            if (auto open = reinterpret_cast<OpenFn>(SDL_LoadFunction(x11, "XOpenDisplay")))
                fXDisplay = open(nullptr);
        }
    }
    return fXDisplay;
}

void Quor_SdlHost::Wake()
{
    if (!fStarted)
        return;
    SDL_Event e;
    SDL_zero(e);
    e.type = fWakeEvent;
    SDL_PushEvent(&e);
}

uint64_t Quor_SdlHost::NowMicros()
{
    return Quor_Stopwatch::Microseconds();
}

// --- Windows -------------------------------------------------------------------------------------

uint32_t Quor_SdlHost::CreateWindow(const Quor_HostWindowParams& params)
{
    if (!fStarted)
        return 0;
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (params.resizable)
        flags |= SDL_WINDOW_RESIZABLE;
    switch (params.type) {
    case 3:
    case 4:
        flags |= SDL_WINDOW_BORDERLESS;
        break;
    case 5:
    case 6:
        flags |= SDL_WINDOW_UTILITY | SDL_WINDOW_SKIP_TASKBAR;
        break;
    default:
        break;
    }
    SDL_Window* window = SDL_CreateWindow(params.title != nullptr ? params.title : "", params.x, params.y,
                                          std::max(1, params.width), std::max(1, params.height), flags);
    if (window == nullptr)
        return 0;
    if (SDL_Window* parent = WindowOf(params.parent)) {
        // Modal windows stay above their window and block it; floating ones stay above it.
        if (params.type >= 2 && params.type <= 4)
            SDL_SetWindowModalFor(window, parent);
        else if (params.type >= 5)
            Quor_SetWindowOwner(window, parent);
    }
    return SDL_GetWindowID(window);
}

void Quor_SdlHost::DestroyWindow(uint32_t window)
{
    if (SDL_Window* w = WindowOf(window))
        SDL_DestroyWindow(w);
}

void Quor_SdlHost::ShowWindow(uint32_t window)
{
    if (SDL_Window* w = WindowOf(window)) {
        SDL_ShowWindow(w);
        SDL_RaiseWindow(w);
    }
}

void Quor_SdlHost::HideWindow(uint32_t window)
{
    if (SDL_Window* w = WindowOf(window))
        SDL_HideWindow(w);
}

void Quor_SdlHost::FocusWindow(uint32_t window)
{
    if (SDL_Window* w = WindowOf(window)) {
        SDL_RaiseWindow(w);
        // Raising asks the window manager; without one the keyboard would stay where it was
        // (with a closed dialog: nowhere). Fails harmlessly for a window not mapped yet.
        SDL_SetWindowInputFocus(w);
    }
}

bool Quor_SdlHost::HasFocus(uint32_t window)
{
    SDL_Window* w = WindowOf(window);
    return w != nullptr && (SDL_GetWindowFlags(w) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void Quor_SdlHost::SetTitle(uint32_t window, const char* utf8)
{
    if (SDL_Window* w = WindowOf(window))
        SDL_SetWindowTitle(w, utf8 != nullptr ? utf8 : "");
}

void Quor_SdlHost::SetPosition(uint32_t window, int x, int y)
{
    if (SDL_Window* w = WindowOf(window))
        SDL_SetWindowPosition(w, x, y);
}

void Quor_SdlHost::GetPosition(uint32_t window, int* x, int* y)
{
    if (SDL_Window* w = WindowOf(window))
        SDL_GetWindowPosition(w, x, y);
}

void Quor_SdlHost::SetSize(uint32_t window, int width, int height)
{
    if (SDL_Window* w = WindowOf(window))
        SDL_SetWindowSize(w, std::max(1, width), std::max(1, height));
}

void Quor_SdlHost::GetSize(uint32_t window, int* width, int* height)
{
    if (SDL_Window* w = WindowOf(window))
        SDL_GetWindowSize(w, width, height);
}

void Quor_SdlHost::SetMinSize(uint32_t window, int width, int height)
{
    if (SDL_Window* w = WindowOf(window))
        SDL_SetWindowMinimumSize(w, std::max(1, width), std::max(1, height));
}

bool Quor_SdlHost::SetIcon(uint32_t window, const Quor_image& icon)
{
    SDL_Window* w = WindowOf(window);
    if (w == nullptr || !icon.IsUsable32())
        return false;
    // A surface over the pixels, nothing copied; SDL converts them into the window's icon. The
    // toolkit's word is blue << 24 | green << 16 | red << 8 | alpha.
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(icon.bits, icon.width, icon.height, 32, icon.rowBytes,
                                                              SDL_PIXELFORMAT_BGRA8888);
    if (surface == nullptr)
        return false;
    SDL_SetWindowIcon(w, surface);
    SDL_FreeSurface(surface);
    return true;
}

void Quor_SdlHost::Present(uint32_t window, const Quor_image& composed, const Quor_Rect* rects, int count)
{
    SDL_Window* w = WindowOf(window);
    if (w == nullptr || composed.bits == nullptr || composed.pixelBits != 32 || count <= 0)
        return;
    // A resize makes the previous surface invalid; SDL hands out the current one here.
    SDL_Surface* surface = SDL_GetWindowSurface(w);
    if (surface == nullptr)
        return;
    const Quor_Rect limit(0, 0, std::min(surface->w, composed.width) - 1, std::min(surface->h, composed.height) - 1);
    std::vector<SDL_Rect> shown;
    shown.reserve(static_cast<size_t>(count));
    const bool lock = SDL_MUSTLOCK(surface);
    if (lock && SDL_LockSurface(surface) != 0)
        return;
    for (int i = 0; i < count; ++i) {
        Quor_Rect r(rects[i]);
        if (!limit.Clip(r))
            continue;
        const uint8_t* src = composed.Row(r.top) + static_cast<ptrdiff_t>(r.left) * 4;
        uint8_t* dst = static_cast<uint8_t*>(surface->pixels) + static_cast<ptrdiff_t>(r.top) * surface->pitch +
                       static_cast<ptrdiff_t>(r.left) * surface->format->BytesPerPixel;
        // The toolkit's word is blue << 24 | green << 16 | red << 8 | alpha; alpha is ignored.
        SDL_ConvertPixels(r.Width(), r.Height(), SDL_PIXELFORMAT_BGRA8888, src, composed.rowBytes,
                          surface->format->format, dst, surface->pitch);
        shown.push_back(SDL_Rect{r.left, r.top, r.Width(), r.Height()});
    }
    if (lock)
        SDL_UnlockSurface(surface);
    if (!shown.empty())
        SDL_UpdateWindowSurfaceRects(w, shown.data(), static_cast<int>(shown.size()));
}

// --- Cursors -------------------------------------------------------------------------------------

uintptr_t Quor_SdlHost::CreateMonoCursor(const uint8_t data[32], const uint8_t mask[32], int hotX, int hotY)
{
    if (!fStarted)
        return 0;
    // SDL reads the planes as we store them: rows of two bytes, the leftmost pixel in the high bit.
    SDL_Cursor* cursor = SDL_CreateCursor(data, mask, 16, 16, hotX, hotY);
    return reinterpret_cast<uintptr_t>(cursor);
}

void Quor_SdlHost::SetCursor(uintptr_t cursor)
{
    if (!fStarted)
        return;
    SDL_Cursor* c = cursor != 0 ? reinterpret_cast<SDL_Cursor*>(cursor) : SDL_GetDefaultCursor();
    if (c != nullptr)
        SDL_SetCursor(c);
    fCurrentCursor = cursor;
}

void Quor_SdlHost::FreeCursor(uintptr_t cursor)
{
    if (!fStarted || cursor == 0)
        return;
    if (fCurrentCursor == cursor)
        SetCursor(0);
    SDL_FreeCursor(reinterpret_cast<SDL_Cursor*>(cursor));
}

// --- Screen and input state ----------------------------------------------------------------------

Quor_Rect Quor_SdlHost::ScreenBounds()
{
    SDL_Rect r;
    if (!fStarted || SDL_GetDisplayBounds(0, &r) != 0)
        return Quor_Rect(0, 0, 1023, 767);
    return Quor_Rect(r.x, r.y, r.x + r.w - 1, r.y + r.h - 1);
}

void Quor_SdlHost::GlobalMouse(int* x, int* y, unsigned int* buttons)
{
    if (!fStarted) {
        *x = *y = 0;
        *buttons = 0;
        return;
    }
    // On X11 the global state is refreshed only by pumping; the events it queues are handled
    // later by the loop.
    SDL_PumpEvents();
    const Uint32 state = SDL_GetGlobalMouseState(x, y);
    unsigned int bits = 0;
    if (state & SDL_BUTTON_LMASK)
        bits |= QUOR_HOST_BUTTON_LEFT;
    if (state & SDL_BUTTON_RMASK)
        bits |= QUOR_HOST_BUTTON_RIGHT;
    if (state & SDL_BUTTON_MMASK)
        bits |= QUOR_HOST_BUTTON_MIDDLE;
    *buttons = bits;
}

unsigned int Quor_SdlHost::LiveModifiers()
{
    return fStarted ? HostModifiers(SDL_GetModState()) : 0;
}

bool Quor_SdlHost::TakePendingPress()
{
    if (!fStarted)
        return false;
    // SDL queues only events of its own windows; pumping brings in what the server has sent.
    SDL_PumpEvents();
    bool taken = false;
    SDL_Event presses[16];
    int got;
    while ((got = SDL_PeepEvents(presses, 16, SDL_GETEVENT, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONDOWN)) > 0) {
        for (int i = 0; i < got; ++i)
            ++fReleasesToDrop[ButtonSlot(HostButton(presses[i].button.button))];
        taken = true;
    }
    return taken;
}

// --- Desktop -------------------------------------------------------------------------------------

void Quor_SdlHost::Beep()
{
    if (!fStarted)
        return;
    // XBell through a library loaded at run time, so the program does not depend on libX11;
    // without an X display the beep is silent.
    using BellFn = int (*)(void*, int);
    using FlushFn = int (*)(void*);
    void* display = XDisplay();
    if (display == nullptr)
        return;
    auto bell = reinterpret_cast<BellFn>(SDL_LoadFunction(fX11, "XBell"));
    auto flush = reinterpret_cast<FlushFn>(SDL_LoadFunction(fX11, "XFlush"));
    if (bell != nullptr && flush != nullptr) {
        bell(display, 0);
        flush(display);
    }
}

bool Quor_SdlHost::SetClipboardText(const char* utf8)
{
    return fStarted && SDL_SetClipboardText(utf8 != nullptr ? utf8 : "") == 0;
}

bool Quor_SdlHost::GetClipboardText(std::string* utf8)
{
    if (!fStarted || !SDL_HasClipboardText())
        return false;
    char* text = SDL_GetClipboardText();
    if (text == nullptr)
        return false;
    *utf8 = text;
    SDL_free(text);
    return !utf8->empty();
}

int Quor_SdlHost::LaunchFile(const char* path)
{
    return Quor_Launcher::Spawn("xdg-open", path);
}
