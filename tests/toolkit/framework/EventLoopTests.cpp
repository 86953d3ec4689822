// The event loop: nested modal loops, timers inside them, input blocked for other windows, the
// desktop's quit request, and work posted from other threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "tests/toolkit/framework/FrameworkTestSupport.h"
#include "toolkit/core/Quor_Mutex.h"
#include "toolkit/framework/Quor_FrameworkDefs.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/platform/Quor_HostEvent.h"

using namespace quor_test;

namespace {

// A window that logs the quit request and the messages that reach it.
class MainWindow : public Quor_Wnd {
public:
    MainWindow(Log* log) : Quor_Wnd("main", Quor_Rect(20, 60, 319, 259), true, 0, nullptr), fLog(log) {}
    void HandleMessage(Quor_Message* message) override
    {
        fLog->push_back("main message " + std::to_string(message->what));
    }
    Log* fLog;
};

}  // namespace

class QuorEventLoop : public MemoryHostTest {
protected:
    void SetUp() override
    {
        MemoryHostTest::SetUp();
        fMain = new MainWindow(&fLog);
        fMainLayer = new LogLayer("M", &fLog, Quor_Rect(0, 0, 299, 199));
        fMain->AddLayer(fMainLayer);
        fMain->Show();
        fMainId = fMain->Id();
        Pump();
    }
    void TearDown() override
    {
        gMainWnd = nullptr;
        if (Quor_WindowList::Find(fMainId) != nullptr)
            fMain->CloseWindow();
        MemoryHostTest::TearDown();
    }
    // A modal dialog window over the main window with one logging layer.
    Quor_Wnd* MakeDialog(const char* name)
    {
        Quor_Wnd* dialog = new Quor_Wnd(name, Quor_Rect(60, 100, 159, 179), false, 2, fMain);
        dialog->AddLayer(new LogLayer(name, &fLog, Quor_Rect(0, 0, 99, 79)));
        return dialog;
    }

    MainWindow* fMain = nullptr;
    LogLayer* fMainLayer = nullptr;
    uint32_t fMainId = 0;
    Log fLog;
};

TEST_F(QuorEventLoop, ModalLoopBlocksOtherWindowsButKeepsTheirTimersRunning)
{
    // Catches clicks, keys, drops and close requests reaching the window under a modal dialog
    // (the document could change or close under it), timers that stop during a modal loop, a
    // result lost when the dialog closes itself, and a keyboard focus left with the closed
    // dialog (without a window manager the main window would take no keys).
    WhatLog ticks;
    fMain->SetTimer(0.05f, &ticks, QUOR_MSG_TICK);
    Quor_Wnd* dialog = MakeDialog("D");
    const uint32_t dialogHost = dialog->PlatformWindow();
    const uint32_t dialogId = dialog->Id();
    int step = 0;
    fHost.SetIdleHook([&] {
        if (step++ == 0) {
            fHost.PushClick(fMain->PlatformWindow(), 10, 10);
            fHost.PushKey(fMain->PlatformWindow(), 'x');
            fHost.PushClose(fMain->PlatformWindow());
            fHost.PushDrop(fMain->PlatformWindow(), "/tmp/photo.jpg", 10, 10);
            fHost.PushClick(dialogHost, 5, 6);
        } else if (ticks.whats.size() >= 3) {
            Quor_WindowList::Find(dialogId)->EndModal(QUOR_MSG_OK);
        }
    });
    EXPECT_EQ(dialog->DoModal(), QUOR_MSG_OK);
    fHost.SetIdleHook(nullptr);
    EXPECT_EQ(Quor_WindowList::Find(dialogId), nullptr);
    EXPECT_EQ(fHost.FocusedWindow(), fMain->PlatformWindow());
    EXPECT_GE(ticks.whats.size(), 3u);
    // Only the press a dialog's click always sends its parent, so that pop-ups there close.
    EXPECT_EQ(Only(fLog, "M "), (Log{"M outside -100,-100", "M up -100,-100"}));
    EXPECT_EQ(Only(fLog, "D down"), (Log{"D down 5,6 b1 m0"}));
    EXPECT_EQ(Quor_WindowList::Find(fMainId), fMain);

    // Once the loop has ended, the main window takes input again.
    fHost.PushClick(fMain->PlatformWindow(), 10, 10);
    Pump();
    EXPECT_EQ(Only(fLog, "M down"), (Log{"M down 10,10 b1 m0"}));
}

TEST_F(QuorEventLoop, QuitRequestWaitsForTheOutermostModalLoop)
{
    // Catches the desktop's quit request acted on inside a modal loop, or as the last modal loop
    // ends but before DoModal has returned (the save prompt would open over a finished dialog
    // whose caller then acts on its answer), or lost altogether.
    gMainWnd = fMain;
    Quor_Wnd* outer = MakeDialog("O");
    const uint32_t outerId = outer->Id();
    uint32_t innerId = 0;
    fHost.SetIdleHook([&] {
        if (innerId == 0) {
            fHost.PushQuit();
            // A second, nested dialog while the quit is pending; this hook runs again inside it.
            Quor_Wnd* inner = new Quor_Wnd("I", Quor_Rect(80, 120, 139, 159), false, 2,
                                           Quor_WindowList::Find(outerId));
            innerId = inner->Id();
            EXPECT_EQ(inner->DoModal(), 1);
            EXPECT_EQ(Only(fLog, "main message"), Log{});
        } else if (Quor_Wnd* inner = Quor_WindowList::Find(innerId)) {
            inner->EndModal(1);
        } else if (Quor_Wnd* o = Quor_WindowList::Find(outerId)) {
            o->EndModal(2);
        }
    });
    EXPECT_EQ(outer->DoModal(), 2);
    fHost.SetIdleHook(nullptr);
    EXPECT_EQ(Only(fLog, "main message"), Log{});
    // Back in the outer loop.
    Pump();
    EXPECT_EQ(Only(fLog, "main message"), (Log{"main message " + std::to_string(QUOR_MSG_QUIT)}));
}

TEST_F(QuorEventLoop, ModalLoopGivesUpTheParentLockAtEveryDepth)
{
    // Catches a modal loop that releases a recursive lock only once: a worker waiting for the
    // parent window would then stall for the whole dialog, and the lock would be left
    // unbalanced afterwards.
    fMain->Lock(-1);
    fMain->Lock(-1);
    Quor_Wnd* dialog = MakeDialog("D");
    const uint32_t dialogId = dialog->Id();
    std::atomic<bool> workerGotLock{false};
    std::thread worker;
    fHost.SetIdleHook([&] {
        if (!worker.joinable()) {
            worker = std::thread([&] {
                if (fMain->Lock(2000)) {
                    workerGotLock = true;
                    fMain->Unlock();
                }
                Quor_Wnd::PostTask(dialogId, [](Quor_Wnd* w) { w->EndModal(5); });
            });
        }
    });
    EXPECT_EQ(dialog->DoModal(), 5);
    fHost.SetIdleHook(nullptr);
    worker.join();
    EXPECT_TRUE(workerGotLock);
    EXPECT_EQ(Quor_MutexLockCount(fMain->LockHandle()), 2);
    fMain->Unlock();
    fMain->Unlock();
    EXPECT_EQ(Quor_MutexLockCount(fMain->LockHandle()), 0);
}

TEST_F(QuorEventLoop, AModalLoopEndsThePressesHeldElsewhere)
{
    // Catches a drag left stuck by a dialog opened during it (Ctrl+O while dragging a photo):
    // afterwards the pressed view would follow the pointer with no button held, and the next
    // release would drop the dragged message.
    Quor_Message dragged(77);
    LogView* view = new LogView("V", &fLog, Quor_Rect(0, 0, 29, 29));
    fMainLayer->AddChild(view);
    fMainLayer->fAfter = [&](const std::string& kind) {
        if (kind == "down")
            fMain->BeginDrag(&dragged);
        if (kind != "key")
            return;
        Quor_Wnd* dialog = MakeDialog("D");
        const uint32_t dialogId = dialog->Id();
        fHost.SetIdleHook([dialogId] { Quor_WindowList::Find(dialogId)->EndModal(1); });
        dialog->DoModal();
        fHost.SetIdleHook(nullptr);
    };
    fHost.PushMouse(fMain->PlatformWindow(), Quor_HostEvent::kMouseDown, 10, 10);
    fHost.PushKey(fMain->PlatformWindow(), 'o', QUOR_HOST_CTRL);
    fHost.PushMouse(fMain->PlatformWindow(), Quor_HostEvent::kMouseMove, 100, 100);
    fHost.PushMouse(fMain->PlatformWindow(), Quor_HostEvent::kMouseUp, 100, 100);
    Pump();
    EXPECT_EQ(Only(fLog, "V "), (Log{"V down 10,10", "V up 10,10"}));
    EXPECT_EQ(Only(fLog, "M drop"), Log{});
    EXPECT_FALSE(fMain->IsMouseDragging(0));
}

TEST_F(QuorEventLoop, PostedWorkRunsOnceAndInOrderThroughANestedLoop)
{
    // Catches work posted before a task that runs a modal loop overtaken by work posted while
    // that loop runs (a worker's "done" handled before its "progress"), and a task run twice.
    Log order;
    auto post = [&](const char* name) {
        Quor_Wnd::PostTask(fMainId, [&order, name](Quor_Wnd*) { order.push_back(name); });
    };
    Quor_Wnd* dialog = MakeDialog("D");
    const uint32_t dialogId = dialog->Id();
    int idle = 0;
    fHost.SetIdleHook([&] {
        if (idle++ == 0)
            post("D");
        else if (order.back() == "D")
            Quor_WindowList::Find(dialogId)->EndModal(1);
    });
    Quor_Wnd::PostTask(fMainId, [&](Quor_Wnd*) {
        order.push_back("A");
        dialog->DoModal();
        order.push_back("A done");
    });
    post("B");
    post("C");
    Pump();
    fHost.SetIdleHook(nullptr);
    EXPECT_EQ(order, (Log{"A", "B", "C", "D", "A done"}));
}

TEST_F(QuorEventLoop, ChildWindowsCloseWithTheirParent)
{
    // Catches a child window (a modeless dialog) that outlives its parent: a message of it then
    // climbs to the freed parent.
    Quor_Wnd* parent = new Quor_Wnd("parent", Quor_Rect(400, 60, 599, 259), false, 0, fMain);
    Quor_Wnd* child = new Quor_Wnd("child", Quor_Rect(420, 80, 499, 159), false, 5, parent);
    Quor_Wnd* grandchild = new Quor_Wnd("grandchild", Quor_Rect(440, 100, 479, 139), false, 5, child);
    const uint32_t childId = child->Id();
    const uint32_t grandchildId = grandchild->Id();
    fHost.PushClose(parent->PlatformWindow());
    Pump();
    EXPECT_EQ(Quor_WindowList::Find(childId), nullptr);
    EXPECT_EQ(Quor_WindowList::Find(grandchildId), nullptr);
    Quor_Wnd::PostMessage(childId, Quor_Message(4242));
    Pump();
    EXPECT_EQ(Only(fLog, "main message"), Log{});
}

TEST_F(QuorEventLoop, AWindowClosedByItsOwnHandlerIsNotTouchedAgain)
{
    // Catches a window that, after a handler closed it, goes on using its own members (freed
    // memory, seen under AddressSanitizer): for a press, a release, a move during a press, the
    // wheel, a key in a floating palette, and the press its parent is sent first.
    struct Case {
        const char* name;
        const char* closesOn;   // the hook's kind that closes the window
        bool parentCloses;      // the parent's layer closes the child
        std::function<void(uint32_t host)> push;
    };
    const Case cases[] = {
        {"press", "down", false, [&](uint32_t w) { fHost.PushMouse(w, Quor_HostEvent::kMouseDown, 5, 5); }},
        {"release", "up", false, [&](uint32_t w) { fHost.PushClick(w, 5, 5); }},
        {"drag", "move", false, [&](uint32_t w) {
             fHost.PushMouse(w, Quor_HostEvent::kMouseDown, 5, 5);
             fHost.PushMouse(w, Quor_HostEvent::kMouseMove, 8, 8);
         }},
        {"wheel", "wheel", false, [&](uint32_t w) { fHost.PushWheel(w, 5, 5, 1); }},
        {"palette key", "key", false, [&](uint32_t w) { fHost.PushKey(w, 'z'); }},
        {"parent's press", "outside", true, [&](uint32_t w) { fHost.PushClick(w, 5, 5); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Quor_Wnd* palette = new Quor_Wnd("palette", Quor_Rect(400, 60, 499, 159), false, 5, fMain);
        LogLayer* layer = new LogLayer("P", &fLog, Quor_Rect(0, 0, 99, 99));
        palette->AddLayer(layer);
        palette->Show();
        const uint32_t id = palette->Id();
        LogLayer* closer = c.parentCloses ? fMainLayer : layer;
        closer->fAfter = [&, id](const std::string& kind) {
            if (kind == c.closesOn && Quor_WindowList::Find(id) != nullptr)
                Quor_WindowList::Find(id)->CloseWindow();
        };
        c.push(palette->PlatformWindow());
        Pump();
        fMainLayer->fAfter = nullptr;
        EXPECT_EQ(Quor_WindowList::Find(id), nullptr);
    }
}

// A host that counts the wakes that reach it once it has begun to shut down.
class ShutdownWatch : public Quor_MemoryHost {
public:
    void Shutdown() override
    {
        fDown = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    void Wake() override
    {
        if (fDown)
            ++fLate;
        Quor_MemoryHost::Wake();
    }
    std::atomic<bool> fDown{false};
    std::atomic<int> fLate{0};
};

TEST(QuorShutdown, NoOtherThreadReachesTheHostWhileItShutsDown)
{
    // Catches the host shut down while it is still installed: a post, EndModal or Quit from a
    // worker then reaches it (on SDL, during SDL_Quit).
    ShutdownWatch host;
    ASSERT_TRUE(Quor_App::InitQuorSystem(&host));
    std::atomic<bool> stop{false};
    std::atomic<int> rounds{0};
    std::thread worker([&] {
        while (!stop) {
            Quor_Host::WakeCurrent();
            Quor_Wnd::PostTask(1, [](Quor_Wnd*) {});
            ++rounds;
        }
    });
    while (rounds < 100)
        std::this_thread::yield();
    Quor_App::ShutdownQuorSystem();
    stop = true;
    worker.join();
    EXPECT_TRUE(host.fDown);
    EXPECT_EQ(host.fLate, 0);
}

TEST_F(QuorEventLoop, WorkPostedFromThreadsRunsOnTheEventThreadOrNotAtAll)
{
    // Catches a worker's completion run on the worker's own thread, or delivered to a window
    // that closed meanwhile (freed memory).
    const std::thread::id eventThread = std::this_thread::get_id();
    std::thread::id ranOn;
    int delivered = 0;
    Quor_Wnd* doomed = MakeDialog("X");
    const uint32_t doomedId = doomed->Id();
    std::thread worker([&] {
        Quor_Wnd::PostTask(fMainId, [&](Quor_Wnd* w) {
            ranOn = std::this_thread::get_id();
            EXPECT_EQ(w, fMain);
            ++delivered;
        });
        Quor_Message done(4242);
        Quor_Wnd::PostMessage(fMainId, done);
    });
    worker.join();
    EXPECT_EQ(delivered, 0);
    Pump();
    EXPECT_EQ(delivered, 1);
    EXPECT_EQ(ranOn, eventThread);
    EXPECT_EQ(Only(fLog, "main message"), (Log{"main message 4242"}));

    doomed->CloseWindow();
    std::thread late([&] {
        Quor_Wnd::PostTask(doomedId, [&](Quor_Wnd*) { ++delivered; });
    });
    late.join();
    Pump();
    EXPECT_EQ(delivered, 1);

    // After the toolkit shut down nothing is accepted.
    Quor_App::ShutdownQuorSystem();
    EXPECT_FALSE(Quor_Wnd::PostTask(fMainId, [&](Quor_Wnd*) { ++delivered; }));
    ASSERT_TRUE(Quor_App::InitQuorSystem(&fHost));
}
