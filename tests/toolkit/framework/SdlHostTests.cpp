// The SDL2 backend on its headless driver: it starts, shows and blits a window, runs timers on
// the real clock, wakes from another thread and shuts down; without a display it refuses. On an
// X display (the end-to-end script runs these under Xvfb), X errors do not end the program.
#include <SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <utility>

#include "toolkit/core/Quor_Stopwatch.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_EventLoop.h"
#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/framework/platform/Quor_HostEvent.h"
#include "toolkit/framework/platform/Quor_SdlHost.h"
#include "toolkit/imaging/Quor_ColorOps.h"

namespace {

// Ends its window's modal loop after a number of ticks.
class Ticker : public Quor_Handler {
public:
    explicit Ticker(Quor_Wnd* window) : fWindow(window) {}
    void HandleMessage(Quor_Message*) override
    {
        if (++fTicks == 3)
            fWindow->EndModal(fTicks);
    }
    Quor_Wnd* fWindow;
    int fTicks = 0;
};

// Sets (or with nullptr removes) an environment variable, and restores it when the test ends.
class EnvGuard {
public:
    EnvGuard(const char* name, const char* value) : fName(name), fHad(std::getenv(name) != nullptr)
    {
        if (fHad)
            fValue = std::getenv(name);
        value != nullptr ? setenv(name, value, 1) : unsetenv(name);
    }
    ~EnvGuard() { fHad ? setenv(fName, fValue.c_str(), 1) : unsetenv(fName); }

private:
    const char* fName;
    bool fHad;
    std::string fValue;
};

int CountOf(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

}  // namespace

TEST(QuorSdlHost, RefusesToStartWithoutADisplayUnlessAHeadlessDriverIsAsked)
{
    // Catches a program that silently runs on SDL's invisible fallback driver when no display
    // is there (the user sees nothing and gets no message).
    EnvGuard driver("SDL_VIDEODRIVER", nullptr), display("DISPLAY", nullptr), wayland("WAYLAND_DISPLAY", nullptr);
    Quor_SdlHost host;
    std::string error;
    EXPECT_FALSE(host.Init(&error));
    EXPECT_NE(error.find("display"), std::string::npos) << error;
    Quor_String message;
    EXPECT_FALSE(Quor_App::InitQuorSystem(&host, &message));
    EXPECT_FALSE(message.IsEmpty());
}

TEST(QuorSdlHost, StartsBlitsRunsTimersAndShutsDownOnTheOffscreenDriver)
{
    // Catches a backend that cannot start, show or blit without X, timers that never fire on
    // the real clock, a wake from another thread that does not end a wait, and a shutdown that
    // leaves SDL running (a second start then fails).
    EnvGuard driver("SDL_VIDEODRIVER", "offscreen");
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        Quor_SdlHost host;
        Quor_String error;
        ASSERT_TRUE(Quor_App::InitQuorSystem(&host, &error)) << error.Buffer();
        EXPECT_EQ(host.DriverName(), "offscreen");
        const Quor_Rect screen = host.ScreenBounds();
        EXPECT_GT(screen.Width(), 0);

        Quor_Wnd* window = new Quor_Wnd("smoke", Quor_Rect(40, 80, 199, 179), true, 0, nullptr);
        ASSERT_NE(window->PlatformWindow(), 0u);
        Quor_Layer* layer = new Quor_Layer();
        layer->SetShape(160, 100);
        layer->LayerImage()->Clear(Quor_ColorOps::Red);
        window->AddLayer(layer);
        window->Show();
        Quor_EventLoop::ProcessPending();
        EXPECT_EQ(window->Bounds(), Quor_Rect(0, 0, 159, 99));
        EXPECT_EQ(window->ComposedImage().Width(), 160);

        window->SetShape(200, 120);
        Quor_EventLoop::ProcessPending();
        EXPECT_EQ(window->Bounds(), Quor_Rect(0, 0, 199, 119));

        // The clipboard takes UTF-8 only: the stray Latin-1 byte goes as its character.
        window->CopyToOS("Caf\xE9 \xD0\xA4");
        const char* pasted = window->PasteFromOS();
        ASSERT_NE(pasted, nullptr);
        EXPECT_STREQ(pasted, "Caf\xC3\xA9 \xD0\xA4");

        // Three ticks of 20 ms end the loop on the real clock.
        Ticker ticker(window);
        Quor_Stopwatch clock;
        clock.Start();
        window->SetTimer(0.02f, &ticker, 1);
        const uint32_t id = window->Id();
        EXPECT_EQ(window->DoModal(), 3);
        EXPECT_EQ(Quor_WindowList::Find(id), nullptr);
        EXPECT_GE(clock.ElapsedTime(), 0.05f);
        EXPECT_LT(clock.ElapsedTime(), 5.0f);

        // A wake from another thread ends a wait without limit.
        std::thread waker([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            Quor_Host::WakeCurrent();
        });
        Quor_HostEvent event;
        clock.Start();
        while (host.WaitEvent(&event, -1)) {
        }
        waker.join();
        EXPECT_LT(clock.ElapsedTime(), 5.0f);

        // An event the framework does not use is passed over, not handed on as an empty one
        // (after what is still queued, such as the wakes of the loops above).
        for (int i = 0; i < 16; i++)
            host.WaitEvent(&event, 0);
        SDL_Event unused{};
        unused.type = SDL_RENDER_TARGETS_RESET;
        ASSERT_EQ(SDL_PushEvent(&unused), 1);
        EXPECT_FALSE(host.WaitEvent(&event, 0));

        Quor_App::ShutdownQuorSystem();
    }
}

TEST(QuorSdlHost, XErrorsOfClosedWindowsDoNotEndTheProgram)
{
    // Catches Xlib's default error handler left in place (SDL's own hands on to it): a request
    // for a window that has just closed brings BadWindow and the whole program ends. Other
    // errors are reported once each rather than for every request. SDL puts back the handler
    // it found at start when it quits, so errors that arrive while it closes must still be ours.
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        GTEST_SKIP() << "needs an X display; the end-to-end script runs this under Xvfb";
    void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (x11 == nullptr)
        GTEST_SKIP() << "libX11 is not installed";
    using OpenFn = void* (*)(const char*);
    using ResourceFn = int (*)(void*, unsigned long);
    using SyncFn = int (*)(void*, int);
    using CloseFn = int (*)(void*);
    const auto open = reinterpret_cast<OpenFn>(dlsym(x11, "XOpenDisplay"));
    const auto mapWindow = reinterpret_cast<ResourceFn>(dlsym(x11, "XMapWindow"));
    const auto freePixmap = reinterpret_cast<ResourceFn>(dlsym(x11, "XFreePixmap"));
    const auto sync = reinterpret_cast<SyncFn>(dlsym(x11, "XSync"));
    const auto close = reinterpret_cast<CloseFn>(dlsym(x11, "XCloseDisplay"));
    ASSERT_TRUE(open != nullptr && mapWindow != nullptr && freePixmap != nullptr && sync != nullptr &&
                close != nullptr);

    EnvGuard driver("SDL_VIDEODRIVER", "x11");
    Quor_SdlHost host;
    std::string error;
    ASSERT_TRUE(host.Init(&error)) << error;
    ASSERT_EQ(host.DriverName(), "x11");

    // The handler serves every connection of the process; this one makes errors on purpose.
    void* connection = open(nullptr);
    ASSERT_NE(connection, nullptr);
    constexpr unsigned long kNoSuchResource = 0x3ffffff0;
    testing::internal::CaptureStderr();
    mapWindow(connection, kNoSuchResource);
    freePixmap(connection, kNoSuchResource);
    freePixmap(connection, kNoSuchResource);
    sync(connection, 0);
    const std::string reported = testing::internal::GetCapturedStderr();
    EXPECT_EQ(CountOf(reported, "X11 error"), 1) << reported;
    EXPECT_EQ(CountOf(reported, "X11 error 3 "), 0) << "BadWindow is expected, not reported: " << reported;
    host.Shutdown();
    mapWindow(connection, kNoSuchResource);
    sync(connection, 0);
    close(connection);
    dlclose(x11);
}

TEST(QuorSdlHost, XKeyHeldIntoAnotherWindowStaysARepeat)
{
    // Catches the first auto-repeat of a key held while the keyboard moves to another of the
    // program's windows (the prompt that key opened) reported as a fresh press, which answers
    // the prompt at once: SDL lets go of every key when the focus moves. Pressed again after
    // its release, the key is fresh.
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0' || std::system("command -v xdotool >/dev/null") != 0)
        GTEST_SKIP() << "needs an X display and xdotool; the end-to-end script runs this under Xvfb";
    EnvGuard driver("SDL_VIDEODRIVER", "x11");
    Quor_SdlHost host;
    std::string error;
    ASSERT_TRUE(host.Init(&error)) << error;
    Quor_HostWindowParams params;
    params.width = 100;
    params.height = 100;
    const uint32_t first = host.CreateWindow(params);
    params.x = 200;
    const uint32_t second = host.CreateWindow(params);
    // The next Return press within a few seconds: its window (0 if none came) and whether it is
    // a repeat.
    auto nextReturn = [&] {
        Quor_Stopwatch clock;
        clock.Start();
        Quor_HostEvent event;
        while (clock.ElapsedTime() < 3.0f) {
            if (host.WaitEvent(&event, 50) && event.kind == Quor_HostEvent::kKeyDown && event.hostChar == 13)
                return std::pair<uint32_t, bool>(event.window, event.repeat);
        }
        return std::pair<uint32_t, bool>(0, false);
    };
    auto settle = [&](int ms) {
        Quor_Stopwatch clock;
        clock.Start();
        Quor_HostEvent event;
        while (clock.ElapsedTime() * 1000 < ms)
            host.WaitEvent(&event, 20);
    };
    host.ShowWindow(first);
    host.FocusWindow(first);
    settle(200);
    ASSERT_EQ(std::system("xdotool keydown Return"), 0);
    EXPECT_EQ(nextReturn(), std::make_pair(first, false));
    host.ShowWindow(second);
    host.FocusWindow(second);
    EXPECT_EQ(nextReturn(), std::make_pair(second, true));
    ASSERT_EQ(std::system("xdotool keyup Return"), 0);
    settle(200);
    ASSERT_EQ(std::system("xdotool key Return"), 0);
    const auto fresh = nextReturn();
    EXPECT_NE(fresh.first, 0u);
    EXPECT_FALSE(fresh.second);
    host.Shutdown();
}
