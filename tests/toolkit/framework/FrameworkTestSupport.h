// Shared pieces of the framework and widget tests: a fixture that starts the toolkit on the
// in-memory host, layers and views that write every call they receive into one log, and a
// handler that keeps the messages it hears.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/core/Quor_Message.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_EventLoop.h"
#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/framework/Quor_View.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/framework/platform/Quor_MemoryHost.h"

namespace quor_test {

// The middle of a view, in its window's coordinates.
inline Quor_Point Centre(const Quor_View* view)
{
    const Quor_Rect r = view->LayerFrame();
    const Quor_Point at = view->Layer() != nullptr ? view->Layer()->Location() : Quor_Point(0, 0);
    return Quor_Point(at.x + (r.left + r.right) / 2, at.y + (r.top + r.bottom) / 2);
}

// A plain view that lays out at w x h.
inline Quor_View* SizedView(int w, int h)
{
    Quor_View* v = new Quor_View();
    v->SetShapeForced(w, h);
    return v;
}

// The toolkit running on a fresh in-memory host; a loop that waits for something that never
// comes fails the test instead of hanging.
class MemoryHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Quor_App::InitQuorSystem(&fHost));
        fHost.SetStallMilliseconds(500);
        fHost.SetStallHook([] { ADD_FAILURE() << "an event loop waited for something that never came"; });
    }
    void TearDown() override
    {
        fHost.SetIdleHook(nullptr);
        Quor_App::ShutdownQuorSystem();
    }

    void Pump() { Quor_EventLoop::ProcessPending(); }

    // Runs one step each time a modal loop (or a nested one) has nothing left to do, with the
    // host id of the newest window; a loop that outlasts the steps stalls and fails the test.
    void Script(std::vector<std::function<void(uint32_t window)>> steps)
    {
        auto remaining = std::make_shared<std::vector<std::function<void(uint32_t)>>>(std::move(steps));
        auto next = std::make_shared<size_t>(0);
        fHost.SetIdleHook([this, remaining, next] {
            if (*next < remaining->size())
                (*remaining)[(*next)++](fHost.Windows().back());
        });
    }

    // A click in the middle of a view of the host window.
    void PushClickOn(uint32_t window, const Quor_View* view)
    {
        const Quor_Point at = Centre(view);
        fHost.PushClick(window, at.x, at.y);
    }

    Quor_MemoryHost fHost;
};

// One window on the in-memory host, closed at the end unless the test closed it.
class OneWindowTest : public MemoryHostTest {
protected:
    void TearDown() override
    {
        if (fWindow != nullptr && Quor_WindowList::Find(fId) != nullptr)
            fWindow->CloseWindow();
        MemoryHostTest::TearDown();
    }
    // A window with the frame given; with a layer, shown with it.
    void MakeWindow(Quor_Rect frame, bool resizable, Quor_Layer* layer = nullptr)
    {
        fWindow = new Quor_Wnd("test", frame, resizable, 0, nullptr);
        fHostId = fWindow->PlatformWindow();
        fId = fWindow->Id();
        if (layer != nullptr) {
            fWindow->AddLayer(layer);
            fWindow->Show();
            Pump();
        }
    }

    Quor_Wnd* fWindow = nullptr;
    uint32_t fHostId = 0;
    uint32_t fId = 0;
};

// Host characters of the special keys (see Quor_HostEvent).
enum HostKey : int {
    kHostHome = 1, kHostEnd = 4, kHostBackspace = 8, kHostTab = 9, kHostReturn = 13, kHostEscape = 27,
    kHostLeft = 28, kHostRight = 29, kHostUp = 30, kHostDown = 31, kHostDelete = 127,
};

// Keeps every what-code it receives, in order, and the last message.
class WhatLog : public Quor_Handler {
public:
    void HandleMessage(Quor_Message* message) override
    {
        whats.push_back(message->what);
        last = *message;
    }
    int Count(int what) const
    { return static_cast<int>(std::count(whats.begin(), whats.end(), what)); }
    std::vector<int> whats;
    Quor_Message last;
};

using Log = std::vector<std::string>;

inline std::string At(const char* what, Quor_Point p)
{
    return std::string(what) + " " + std::to_string(p.x) + "," + std::to_string(p.y);
}

// A layer that logs its input under its name; after each input call a test's hook may act
// (close the window, open a dialog) with the call's kind: "down", "outside", "move", "up",
// "wheel" or "key".
class LogLayer : public Quor_Layer {
public:
    LogLayer(const char* name, Log* log, Quor_Rect frame, unsigned int follow = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP)
        : Quor_Layer(follow), fName(name), fLog(log)
    {
        SetShape(frame.Width(), frame.Height());
        SetLocation(frame.left, frame.top);
    }
    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override
    {
        bool doubleClick = false;
        if (message != nullptr)
            message->Get("doubleclick", &doubleClick);
        Add(At("down", where) + " b" + std::to_string(button) + " m" + std::to_string(modifiers) +
            (doubleClick ? " double" : ""));
        Quor_Layer::OnMouseDown(where, button, modifiers, message);
        After("down");
    }
    void OnMouseDownOutside(Quor_Point where, unsigned int, unsigned int, Quor_Message*) override
    {
        Add(At("outside", where));
        After("outside");
    }
    void OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message) override
    {
        Add(At("move", where));
        Quor_Layer::OnMouseMove(where, modifiers, message);
        After("move");
    }
    void OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override
    {
        Add(At("up", where));
        Quor_Layer::OnMouseUp(where, button, modifiers, message);
        After("up");
    }
    void OnMouseWheel(float delta, Quor_Point where, unsigned int modifiers, Quor_Message* message) override
    {
        float distance = 0.0f;
        if (message != nullptr)
            message->Get("wheelDistance", &distance);
        Add(At("wheel", where) + " d" + std::to_string(static_cast<int>(delta)) + " w" +
            std::to_string(static_cast<int>(distance)) + " m" + std::to_string(modifiers));
        Quor_Layer::OnMouseWheel(delta, where, modifiers, message);
        After("wheel");
    }
    void OnKeyDown(int key, unsigned int modifiers) override
    {
        Add("key " + std::to_string(key) + " m" + std::to_string(modifiers));
        Quor_Layer::OnKeyDown(key, modifiers);
        After("key");
    }
    void OnFileDrop(const char* path, Quor_Point where, unsigned int modifiers) override
    {
        Add(At("drop", where) + " " + path);
        Quor_Layer::OnFileDrop(path, where, modifiers);
    }
    void OnMessageDrop(Quor_Message* message, Quor_Point where, unsigned int modifiers) override
    {
        Add(At("drop message", where) + " " + std::to_string(message != nullptr ? message->what : 0));
        Quor_Layer::OnMessageDrop(message, where, modifiers);
    }
    void HandleMessage(Quor_Message* message) override
    {
        Add("message " + std::to_string(message->what));
        Quor_Layer::HandleMessage(message);
    }
    bool IsModal() override { return fModal; }

    bool fModal = true;
    std::function<void(const std::string& kind)> fAfter;

private:
    void Add(const std::string& text) { fLog->push_back(fName + " " + text); }
    // Last in each call: the hook may delete this layer with its window, so it runs from a copy.
    void After(const char* kind)
    {
        if (const std::function<void(const std::string&)> hook = fAfter)
            hook(kind);
    }

    std::string fName;
    Log* fLog;
};

// A view that logs its input under its name, and may take the focus.
class LogView : public Quor_View {
public:
    LogView(const char* name, Log* log, Quor_Rect frame, bool focusable = false,
            unsigned int follow = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP)
        : Quor_View(follow), fName(name), fLog(log), fFocusable(focusable)
    {
        SetLocation(frame.left, frame.top);
        SetShape(frame.Width(), frame.Height());
    }
    void OnMouseDown(Quor_Point where, unsigned int, unsigned int, Quor_Message*) override { Add(At("down", where)); }
    void OnMouseMove(Quor_Point where, unsigned int, Quor_Message*) override { Add(At("move", where)); }
    void OnMouseUp(Quor_Point where, unsigned int, unsigned int, Quor_Message*) override { Add(At("up", where)); }
    void OnKeyDown(int key, unsigned int) override { Add("key " + std::to_string(key)); }
    bool WantsKey(int key, unsigned int) override
    { return std::find(fWantedKeys.begin(), fWantedKeys.end(), key) != fWantedKeys.end(); }
    bool AcceptsFocus() override { return fFocusable; }

    // The keys it says it has a use for while focused.
    std::vector<int> fWantedKeys;

private:
    void Add(const std::string& text) { fLog->push_back(fName + " " + text); }

    std::string fName;
    Log* fLog;
    bool fFocusable;
};

// The entries of the log that start with prefix, in order.
inline Log Only(const Log& log, const std::string& prefix)
{
    Log out;
    std::copy_if(log.begin(), log.end(), std::back_inserter(out),
                 [&](const std::string& entry) { return entry.rfind(prefix, 0) == 0; });
    return out;
}

}  // namespace quor_test
