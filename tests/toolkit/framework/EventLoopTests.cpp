// The event loop: nested modal loops, timers inside them, input blocked for other windows, the
// desktop's quit request, and work posted from other threads.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/toolkit/framework/FrameworkTestSupport.h"
#include "toolkit/core/Quor_Mutex.h"
#include "toolkit/framework/Quor_FrameworkDefs.h"
#include "toolkit/framework/Quor_WindowList.h"

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
    // Catches clicks, keys and close requests reaching the window under a modal dialog (the
    // document could change or close under it), timers that stop during a modal loop, a
    // result lost when the dialog closes itself, and a keyboard focus left with the closed
    // dialog (without a window manager the main window would take no keys).
    WhatLog ticks;
    fMain->SetTimer(0.05f, &ticks, QUOR_MSG_TICK);
    Quor_Wnd* dialog = MakeDialog("D");
    const uint32_t dialogHost = dialog->PlatformWindow();
    const uint32_t dialogId = dialog->Id();
    int step = 0;
    fHost.SetIdleHook([&] {
        switch (step++) {
        case 0:
            fHost.PushClick(fMain->PlatformWindow(), 10, 10);
            fHost.PushKey(fMain->PlatformWindow(), 'x');
            fHost.PushClose(fMain->PlatformWindow());
            fHost.PushClick(dialogHost, 5, 6);
            break;
        default:
            if (ticks.whats.size() >= 3)
                Quor_WindowList::Find(dialogId)->EndModal(QUOR_MSG_OK);
            break;
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
    // Catches the desktop's quit request acted on inside a modal loop (the save prompt would
    // open over a half-finished dialog) or lost altogether.
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
