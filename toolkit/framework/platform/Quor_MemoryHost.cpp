#include "toolkit/framework/platform/Quor_MemoryHost.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

#include "toolkit/framework/Quor_EventLoop.h"
#include "toolkit/imaging/Quor_PixelConvert.h"

namespace {

// An event of this kind for the window; the other fields are left at their defaults.
Quor_HostEvent EventFor(Quor_HostEvent::Kind kind, uint32_t window)
{
    Quor_HostEvent event;
    event.kind = kind;
    event.window = window;
    return event;
}

}  // namespace

Quor_MemoryHost::Quor_MemoryHost() = default;
Quor_MemoryHost::~Quor_MemoryHost() = default;

bool Quor_MemoryHost::Init(std::string* error)
{
    (void)error;
    return true;
}

void Quor_MemoryHost::Shutdown() {}

Quor_MemoryHost::Window* Quor_MemoryHost::Find(uint32_t window)
{
    auto it = fWindows.find(window);
    return it != fWindows.end() ? &it->second : nullptr;
}

const Quor_MemoryHost::Window* Quor_MemoryHost::Find(uint32_t window) const
{
    auto it = fWindows.find(window);
    return it != fWindows.end() ? &it->second : nullptr;
}

// --- Events and time -----------------------------------------------------------------------------

bool Quor_MemoryHost::TakeEvent(Quor_HostEvent* event)
{
    for (;;) {
        if (fQueue.empty())
            return false;
        *event = std::move(fQueue.front());
        fQueue.pop_front();
        if (event->kind != Quor_HostEvent::kMouseUp)
            break;
        auto drop = fReleasesToDrop.find(event->button);
        if (drop == fReleasesToDrop.end())
            break;
        if (--drop->second == 0)
            fReleasesToDrop.erase(drop);
    }
    // A drop happens where the pointer is when it is handled.
    if (event->kind == Quor_HostEvent::kDropFile)
        PointerTo(event->window, event->x, event->y);
    return true;
}

void Quor_MemoryHost::PointerTo(uint32_t window, int x, int y)
{
    if (const Window* w = Find(window)) {
        fMouseX = w->x + x;
        fMouseY = w->y + y;
    }
}

bool Quor_MemoryHost::WaitEvent(Quor_HostEvent* event, int timeoutMs)
{
    const uint64_t call = ++fWaitCalls;
    {
        std::lock_guard<std::mutex> lock(fMutex);
        if (TakeEvent(event))
            return true;
        if (fWoken) {
            fWoken = false;
            return false;
        }
    }
    if (timeoutMs != 0 && fIdle) {
        // The hook may start a nested loop, which calls it again from inside.
        const std::function<void()> hook = fIdle;
        hook();
        std::lock_guard<std::mutex> lock(fMutex);
        if (TakeEvent(event))
            return true;
        // A nested loop ran inside the hook: whatever it changed is for the caller to see.
        if (fWoken || fWaitCalls != call) {
            fWoken = false;
            return false;
        }
    }
    if (timeoutMs >= 0) {
        std::lock_guard<std::mutex> lock(fMutex);
        fNow += static_cast<uint64_t>(timeoutMs) * 1000;
        return false;
    }
    // Nothing queued and no timer: only another thread can still bring something.
    std::unique_lock<std::mutex> lock(fMutex);
    const bool woken = fSignal.wait_for(lock, std::chrono::milliseconds(fStallMs),
                                        [this] { return !fQueue.empty() || fWoken; });
    if (woken) {
        if (TakeEvent(event))
            return true;
        fWoken = false;
        return false;
    }
    fStalled = true;
    lock.unlock();
    if (fStall)
        fStall();
    Quor_EventLoop::Abort();
    return false;
}

void Quor_MemoryHost::Wake()
{
    {
        std::lock_guard<std::mutex> lock(fMutex);
        fWoken = true;
    }
    fSignal.notify_all();
}

uint64_t Quor_MemoryHost::NowMicros()
{
    std::lock_guard<std::mutex> lock(fMutex);
    return fNow;
}

void Quor_MemoryHost::Push(const Quor_HostEvent& event)
{
    {
        std::lock_guard<std::mutex> lock(fMutex);
        fQueue.push_back(event);
    }
    fSignal.notify_all();
}

int Quor_MemoryHost::QueuedEvents()
{
    std::lock_guard<std::mutex> lock(fMutex);
    return static_cast<int>(fQueue.size());
}

void Quor_MemoryHost::PushMouse(uint32_t window, Quor_HostEvent::Kind kind, int x, int y, int button,
                                unsigned int modifiers)
{
    Quor_HostEvent event = EventFor(kind, window);
    event.x = x;
    event.y = y;
    event.button = button;
    event.modifiers = modifiers;
    {
        std::lock_guard<std::mutex> lock(fMutex);
        PointerTo(window, x, y);
        const unsigned int bit = button == 2 ? QUOR_HOST_BUTTON_RIGHT
                                 : button == 3 ? QUOR_HOST_BUTTON_MIDDLE
                                               : QUOR_HOST_BUTTON_LEFT;
        if (kind == Quor_HostEvent::kMouseDown)
            fButtons |= bit;
        else if (kind == Quor_HostEvent::kMouseUp)
            fButtons &= ~bit;
    }
    Push(event);
}

void Quor_MemoryHost::PushClick(uint32_t window, int x, int y, int button, unsigned int modifiers)
{
    PushMouse(window, Quor_HostEvent::kMouseDown, x, y, button, modifiers);
    PushMouse(window, Quor_HostEvent::kMouseUp, x, y, button, modifiers);
}

void Quor_MemoryHost::PushWheel(uint32_t window, int x, int y, int wheelY, int wheelX,
                                unsigned int modifiers)
{
    Quor_HostEvent event = EventFor(Quor_HostEvent::kWheel, window);
    event.x = x;
    event.y = y;
    event.wheelX = wheelX;
    event.wheelY = wheelY;
    event.modifiers = modifiers;
    Push(event);
}

void Quor_MemoryHost::PushKey(uint32_t window, int hostChar, unsigned int modifiers,
                              unsigned int functionKeys)
{
    PushKeyPress(window, hostChar, modifiers, functionKeys, false);
}

void Quor_MemoryHost::PushRepeatedKey(uint32_t window, int hostChar, unsigned int modifiers)
{
    PushKeyPress(window, hostChar, modifiers, 0, true);
}

void Quor_MemoryHost::PushKeyPress(uint32_t window, int hostChar, unsigned int modifiers,
                                   unsigned int functionKeys, bool repeat)
{
    Quor_HostEvent event = EventFor(Quor_HostEvent::kKeyDown, window);
    event.hostChar = hostChar;
    event.modifiers = modifiers;
    event.functionKeys = functionKeys;
    event.repeat = repeat;
    Push(event);
    const bool printable = hostChar >= 0x20 && hostChar <= 0x7E;
    if (printable && (modifiers & QUOR_HOST_CTRL) == 0) {
        char c = static_cast<char>(hostChar);
        const bool upper = ((modifiers & QUOR_HOST_SHIFT) != 0) != ((modifiers & QUOR_HOST_CAPS) != 0);
        if (upper && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        PushText(window, std::string(1, c), modifiers);
    }
}

void Quor_MemoryHost::PushText(uint32_t window, const std::string& utf8, unsigned int modifiers)
{
    Quor_HostEvent event = EventFor(Quor_HostEvent::kText, window);
    event.text = utf8;
    event.modifiers = modifiers;
    Push(event);
}

void Quor_MemoryHost::PushDrop(uint32_t window, const std::string& path, int x, int y)
{
    // The backend reports no position; x and y only place the pointer when the drop is taken.
    Quor_HostEvent event = EventFor(Quor_HostEvent::kDropFile, window);
    event.x = x;
    event.y = y;
    event.text = path;
    Push(event);
}

void Quor_MemoryHost::PushClose(uint32_t window)
{
    Push(EventFor(Quor_HostEvent::kClose, window));
}

void Quor_MemoryHost::PushQuit()
{
    Push(EventFor(Quor_HostEvent::kQuit, 0));
}

void Quor_MemoryHost::PushExpose(uint32_t window)
{
    Push(EventFor(Quor_HostEvent::kExpose, window));
}

void Quor_MemoryHost::PushEnter(uint32_t window)
{
    Push(EventFor(Quor_HostEvent::kEnter, window));
}

void Quor_MemoryHost::PushLeave(uint32_t window)
{
    Push(EventFor(Quor_HostEvent::kLeave, window));
}

void Quor_MemoryHost::UserResize(uint32_t window, int width, int height)
{
    SetSize(window, width, height);
}

void Quor_MemoryHost::UserMove(uint32_t window, int x, int y)
{
    SetPosition(window, x, y);
    Quor_HostEvent event = EventFor(Quor_HostEvent::kMoved, window);
    event.x = x;
    event.y = y;
    Push(event);
}

// --- Windows -------------------------------------------------------------------------------------

uint32_t Quor_MemoryHost::CreateWindow(const Quor_HostWindowParams& params)
{
    std::lock_guard<std::mutex> lock(fMutex);
    Window w;
    w.id = ++fLastWindow;
    w.title = params.title != nullptr ? params.title : "";
    w.x = params.x;
    w.y = params.y;
    w.width = std::max(1, params.width);
    w.height = std::max(1, params.height);
    w.type = params.type;
    w.resizable = params.resizable;
    w.parent = params.parent;
    w.pixels = std::make_unique<Quor_BaseImage>();
    const uint32_t id = w.id;
    fWindows.emplace(id, std::move(w));
    return id;
}

void Quor_MemoryHost::DestroyWindow(uint32_t window)
{
    std::lock_guard<std::mutex> lock(fMutex);
    fWindows.erase(window);
    if (fFocused == window)
        fFocused = 0;
    // Events still queued for the window are left: the framework must ignore them.
}

void Quor_MemoryHost::ShowWindow(uint32_t window)
{
    bool shown = false;
    {
        std::lock_guard<std::mutex> lock(fMutex);
        if (Window* w = Find(window)) {
            shown = !w->visible;
            w->visible = true;
        }
    }
    if (shown)
        PushExpose(window);
}

void Quor_MemoryHost::HideWindow(uint32_t window)
{
    std::lock_guard<std::mutex> lock(fMutex);
    if (Window* w = Find(window))
        w->visible = false;
}

void Quor_MemoryHost::FocusWindow(uint32_t window)
{
    std::lock_guard<std::mutex> lock(fMutex);
    if (Find(window) != nullptr)
        fFocused = window;
}

bool Quor_MemoryHost::HasFocus(uint32_t window)
{
    std::lock_guard<std::mutex> lock(fMutex);
    return window != 0 && fFocused == window;
}

void Quor_MemoryHost::SetTitle(uint32_t window, const char* utf8)
{
    std::lock_guard<std::mutex> lock(fMutex);
    if (Window* w = Find(window))
        w->title = utf8 != nullptr ? utf8 : "";
}

void Quor_MemoryHost::SetPosition(uint32_t window, int x, int y)
{
    std::lock_guard<std::mutex> lock(fMutex);
    if (Window* w = Find(window)) {
        w->x = x;
        w->y = y;
    }
}

void Quor_MemoryHost::GetPosition(uint32_t window, int* x, int* y)
{
    std::lock_guard<std::mutex> lock(fMutex);
    if (const Window* w = Find(window)) {
        *x = w->x;
        *y = w->y;
    }
}

void Quor_MemoryHost::SetSize(uint32_t window, int width, int height)
{
    bool changed = false;
    {
        std::lock_guard<std::mutex> lock(fMutex);
        Window* w = Find(window);
        if (w == nullptr)
            return;
        // As a window manager does, the minimum size wins.
        width = std::max(width, w->minWidth);
        height = std::max(height, w->minHeight);
        changed = width != w->width || height != w->height;
        w->width = width;
        w->height = height;
    }
    if (changed) {
        Quor_HostEvent event = EventFor(Quor_HostEvent::kResized, window);
        event.width = width;
        event.height = height;
        Push(event);
    }
}

void Quor_MemoryHost::GetSize(uint32_t window, int* width, int* height)
{
    std::lock_guard<std::mutex> lock(fMutex);
    if (const Window* w = Find(window)) {
        *width = w->width;
        *height = w->height;
    }
}

void Quor_MemoryHost::SetMinSize(uint32_t window, int width, int height)
{
    {
        std::lock_guard<std::mutex> lock(fMutex);
        Window* w = Find(window);
        if (w == nullptr)
            return;
        w->minWidth = std::max(1, width);
        w->minHeight = std::max(1, height);
        if (w->width >= w->minWidth && w->height >= w->minHeight)
            return;
    }
    int width2 = 0;
    int height2 = 0;
    GetSize(window, &width2, &height2);
    SetSize(window, width2, height2);
}

bool Quor_MemoryHost::SetIcon(uint32_t window, const Quor_image& icon)
{
    if (!icon.IsUsable32())
        return false;
    std::unique_ptr<Quor_BaseImage> copy(new (std::nothrow) Quor_BaseImage);
    if (copy == nullptr || copy->Initialize(icon.width, icon.height, 32) != 0)
        return false;
    for (int y = 0; y < icon.height; ++y)
        std::memcpy(copy->RowPtr(y), icon.Row(y), static_cast<size_t>(icon.width) * 4);
    std::lock_guard<std::mutex> lock(fMutex);
    Window* w = Find(window);
    if (w == nullptr)
        return false;
    w->icon = std::move(copy);
    return true;
}

void Quor_MemoryHost::Present(uint32_t window, const Quor_image& composed, const Quor_Rect* rects,
                              int count)
{
    std::lock_guard<std::mutex> lock(fMutex);
    Window* w = Find(window);
    if (w == nullptr || composed.bits == nullptr || composed.pixelBits != 32)
        return;
    Quor_BaseImage& shown = *w->pixels;
    if (!shown.IsValid() || shown.Width() != w->width || shown.Height() != w->height) {
        if (shown.Initialize(w->width, w->height, 32) != 0)
            return;
        shown.Clear(rgb_color{0, 0, 0, 0});
    }
    const Quor_Rect limit(0, 0, std::min(composed.width, w->width) - 1, std::min(composed.height, w->height) - 1);
    for (int i = 0; i < count; ++i) {
        Quor_Rect r(rects[i]);
        if (!limit.Clip(r))
            continue;
        for (int y = r.top; y <= r.bottom; ++y)
            std::memcpy(shown.PixelPtr(r.left, y), composed.Row(y) + static_cast<ptrdiff_t>(r.left) * 4,
                        static_cast<size_t>(r.Width()) * 4);
    }
    ++w->presents;
}

// --- Cursors, screen, input state ----------------------------------------------------------------

uintptr_t Quor_MemoryHost::CreateMonoCursor(const uint8_t data[32], const uint8_t mask[32], int hotX,
                                            int hotY)
{
    std::lock_guard<std::mutex> lock(fMutex);
    std::vector<uint8_t> planes(data, data + 32);
    planes.insert(planes.end(), mask, mask + 32);
    planes.push_back(static_cast<uint8_t>(hotX));
    planes.push_back(static_cast<uint8_t>(hotY));
    const uintptr_t handle = ++fLastCursor;
    fCursors[handle] = std::move(planes);
    return handle;
}

void Quor_MemoryHost::SetCursor(uintptr_t cursor)
{
    std::lock_guard<std::mutex> lock(fMutex);
    fCursor = fCursors.count(cursor) != 0 ? cursor : 0;
}

void Quor_MemoryHost::FreeCursor(uintptr_t cursor)
{
    std::lock_guard<std::mutex> lock(fMutex);
    fCursors.erase(cursor);
    if (fCursor == cursor)
        fCursor = 0;
}

const uint8_t* Quor_MemoryHost::CursorData(uintptr_t cursor) const
{
    std::lock_guard<std::mutex> lock(fMutex);
    auto it = fCursors.find(cursor);
    return it != fCursors.end() ? it->second.data() : nullptr;
}

Quor_Rect Quor_MemoryHost::ScreenBounds()
{
    std::lock_guard<std::mutex> lock(fMutex);
    return Quor_Rect(0, 0, fScreenWidth - 1, fScreenHeight - 1);
}

void Quor_MemoryHost::GlobalMouse(int* x, int* y, unsigned int* buttons)
{
    std::lock_guard<std::mutex> lock(fMutex);
    *x = fMouseX;
    *y = fMouseY;
    *buttons = fButtons;
}

unsigned int Quor_MemoryHost::LiveModifiers()
{
    std::lock_guard<std::mutex> lock(fMutex);
    return fLiveModifiers;
}

bool Quor_MemoryHost::TakePendingPress()
{
    std::lock_guard<std::mutex> lock(fMutex);
    bool taken = false;
    for (auto it = fQueue.begin(); it != fQueue.end();) {
        if (it->kind != Quor_HostEvent::kMouseDown) {
            ++it;
            continue;
        }
        ++fReleasesToDrop[it->button];
        it = fQueue.erase(it);
        taken = true;
    }
    return taken;
}

void Quor_MemoryHost::AdvanceTime(int ms)
{
    std::lock_guard<std::mutex> lock(fMutex);
    if (ms > 0)
        fNow += static_cast<uint64_t>(ms) * 1000;
}

void Quor_MemoryHost::SetGlobalMouse(int x, int y, unsigned int buttons)
{
    std::lock_guard<std::mutex> lock(fMutex);
    fMouseX = x;
    fMouseY = y;
    fButtons = buttons;
}

void Quor_MemoryHost::SetLiveModifiers(unsigned int modifiers)
{
    std::lock_guard<std::mutex> lock(fMutex);
    fLiveModifiers = modifiers;
}

void Quor_MemoryHost::SetScreen(int width, int height)
{
    std::lock_guard<std::mutex> lock(fMutex);
    fScreenWidth = std::max(1, width);
    fScreenHeight = std::max(1, height);
}

// --- Desktop -------------------------------------------------------------------------------------

void Quor_MemoryHost::Beep()
{
    std::lock_guard<std::mutex> lock(fMutex);
    ++fBeeps;
}

bool Quor_MemoryHost::SetClipboardText(const char* utf8)
{
    std::lock_guard<std::mutex> lock(fMutex);
    fClipboard = utf8 != nullptr ? utf8 : "";
    fHasClipboard = true;
    return true;
}

bool Quor_MemoryHost::GetClipboardText(std::string* utf8)
{
    std::lock_guard<std::mutex> lock(fMutex);
    if (!fHasClipboard)
        return false;
    *utf8 = fClipboard;
    return true;
}

int Quor_MemoryHost::LaunchFile(const char* path)
{
    std::lock_guard<std::mutex> lock(fMutex);
    fLaunched.push_back(path != nullptr ? path : "");
    return 0;
}

// --- Inspection ----------------------------------------------------------------------------------

const Quor_MemoryHost::Window* Quor_MemoryHost::WindowRecord(uint32_t window) const
{
    std::lock_guard<std::mutex> lock(fMutex);
    return Find(window);
}

std::vector<uint32_t> Quor_MemoryHost::Windows() const
{
    std::lock_guard<std::mutex> lock(fMutex);
    std::vector<uint32_t> ids;
    for (const auto& entry : fWindows)
        ids.push_back(entry.first);
    return ids;
}

rgb_color Quor_MemoryHost::PixelAt(uint32_t window, int x, int y) const
{
    std::lock_guard<std::mutex> lock(fMutex);
    const Window* w = Find(window);
    if (w == nullptr || !w->pixels->IsValid() || x < 0 || y < 0 || x >= w->pixels->Width() ||
        y >= w->pixels->Height())
        return rgb_color{0, 0, 0, 0};
    const uint32_t p = w->pixels->Image().Row32(y)[x];
    return rgb_color{static_cast<uint8_t>(Quor_PixelConvert::Red(p)), static_cast<uint8_t>(Quor_PixelConvert::Green(p)),
                     static_cast<uint8_t>(Quor_PixelConvert::Blue(p)), static_cast<uint8_t>(Quor_PixelConvert::Alpha(p))};
}

const Quor_BaseImage* Quor_MemoryHost::Shown(uint32_t window) const
{
    std::lock_guard<std::mutex> lock(fMutex);
    const Window* w = Find(window);
    return w != nullptr ? w->pixels.get() : nullptr;
}

std::string Quor_MemoryHost::Clipboard() const
{
    std::lock_guard<std::mutex> lock(fMutex);
    return fClipboard;
}

void Quor_MemoryHost::SetClipboard(const std::string& utf8, bool hasText)
{
    std::lock_guard<std::mutex> lock(fMutex);
    fClipboard = utf8;
    fHasClipboard = hasText;
}

std::vector<std::string> Quor_MemoryHost::Launched() const
{
    std::lock_guard<std::mutex> lock(fMutex);
    return fLaunched;
}
