// Shared pieces of the framework tests: a fixture that starts the toolkit on the in-memory host,
// and layers and views that write every call they receive into one log.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/core/Quor_Message.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_EventLoop.h"
#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/framework/Quor_View.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/framework/platform/Quor_MemoryHost.h"

namespace quor_test {

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
    void TearDown() override { Quor_App::ShutdownQuorSystem(); }

    void Pump() { Quor_EventLoop::ProcessPending(); }

    Quor_MemoryHost fHost;
};

using Log = std::vector<std::string>;

inline std::string At(const char* what, Quor_Point p)
{
    return std::string(what) + " " + std::to_string(p.x) + "," + std::to_string(p.y);
}

// A layer that logs its input under its name.
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
    }
    void OnMouseDownOutside(Quor_Point where, unsigned int, unsigned int, Quor_Message*) override
    {
        Add(At("outside", where));
    }
    void OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message) override
    {
        Add(At("move", where));
        Quor_Layer::OnMouseMove(where, modifiers, message);
    }
    void OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override
    {
        Add(At("up", where));
        Quor_Layer::OnMouseUp(where, button, modifiers, message);
    }
    void OnMouseWheel(float delta, Quor_Point where, unsigned int modifiers, Quor_Message* message) override
    {
        float distance = 0.0f;
        if (message != nullptr)
            message->Get("wheelDistance", &distance);
        Add(At("wheel", where) + " d" + std::to_string(static_cast<int>(delta)) + " w" +
            std::to_string(static_cast<int>(distance)) + " m" + std::to_string(modifiers));
        Quor_Layer::OnMouseWheel(delta, where, modifiers, message);
    }
    void OnKeyDown(int key, unsigned int modifiers) override
    {
        Add("key " + std::to_string(key) + " m" + std::to_string(modifiers));
        Quor_Layer::OnKeyDown(key, modifiers);
    }
    void OnFileDrop(const char* path, Quor_Point where, unsigned int modifiers) override
    {
        Add(At("drop", where) + " " + path);
        Quor_Layer::OnFileDrop(path, where, modifiers);
    }
    void HandleMessage(Quor_Message* message) override
    {
        Add("message " + std::to_string(message->what));
        Quor_Layer::HandleMessage(message);
    }
    bool IsModal() override { return fModal; }

    bool fModal = true;

private:
    void Add(const std::string& text) { fLog->push_back(fName + " " + text); }

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
    void OnMouseWheel(float delta, Quor_Point where, unsigned int, Quor_Message*) override
    {
        Add(At("wheel", where) + " d" + std::to_string(static_cast<int>(delta)));
    }
    void OnKeyDown(int key, unsigned int) override { Add("key " + std::to_string(key)); }
    void OnFileDrop(const char* path, Quor_Point where, unsigned int) override { Add(At("drop", where) + " " + path); }
    bool AcceptsFocus() override { return fFocusable; }

    const std::string& Name() const { return fName; }

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
    for (const std::string& entry : log) {
        if (entry.rfind(prefix, 0) == 0)
            out.push_back(entry);
    }
    return out;
}

}  // namespace quor_test
