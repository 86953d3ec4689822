// Windows: input routing through the layer stack, double clicks, timers, places and sizes,
// layouts, drops, closing and the icon.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <new>
#include <string>
#include <utility>

#include "tests/support/ImageFixtures.h"
#include "tests/toolkit/framework/FrameworkTestSupport.h"
#include "toolkit/framework/Quor_FrameworkDefs.h"
#include "toolkit/framework/Quor_Screen.h"
#include "toolkit/framework/Quor_WindowList.h"

using namespace quor_test;

class QuorWnd : public OneWindowTest {
protected:
    void SetUp() override
    {
        OneWindowTest::SetUp();
        MakeWindow(Quor_Rect(100, 100, 399, 299), true);
    }
    // Three layers: A at the bottom covering everything, B in the middle, C on top at the right.
    void AddThreeLayers()
    {
        fA = new LogLayer("A", &fLog, Quor_Rect(0, 0, 299, 199));
        fB = new LogLayer("B", &fLog, Quor_Rect(50, 50, 149, 149));
        fC = new LogLayer("C", &fLog, Quor_Rect(200, 0, 299, 99));
        fWindow->AddLayer(fA);
        fWindow->AddLayer(fB);
        fWindow->AddLayer(fC);
        fWindow->Show();
        Pump();
        fLog.clear();
    }
    // What the layers logged since the last call, once the pending input is handled.
    Log Heard()
    {
        Pump();
        return std::exchange(fLog, Log{});
    }

    LogLayer* fA = nullptr;
    LogLayer* fB = nullptr;
    LogLayer* fC = nullptr;
    Log fLog;
};

TEST_F(QuorWnd, PressesMovesWheelAndDropsStopAtTheLayerUnderThePointer)
{
    // Catches presses delivered to every layer under the point, the top layer not told about a
    // press outside it, moves that skip the layers above the hovered one or reach those below,
    // the mouse layer not getting the drag after the pointer leaves it, and a drop position taken
    // from screen coordinates or from the wrong layer.
    AddThreeLayers();
    fHost.PushMouse(fHostId, Quor_HostEvent::kMouseDown, 60, 70);
    EXPECT_EQ(Heard(), (Log{"C outside -140,70", "B down 10,20 b1 m0"}));

    fHost.PushMouse(fHostId, Quor_HostEvent::kMouseMove, 10, 10);
    // The pressed layer first, then from the top down to the layer under the pointer.
    EXPECT_EQ(Heard(), (Log{"B move -40,-40", "C move -190,10", "A move 10,10"}));

    fHost.PushMouse(fHostId, Quor_HostEvent::kMouseUp, 10, 10);
    fHost.PushMouse(fHostId, Quor_HostEvent::kMouseMove, 60, 60);
    EXPECT_EQ(Heard(), (Log{"B up -40,-40", "C move -140,60", "B move 10,10"}));

    fHost.PushWheel(fHostId, 250, 50, -2);
    fHost.PushWheel(fHostId, 10, 180, 1);
    EXPECT_EQ(Heard(), (Log{"C wheel 50,50 d-1 w-1 m0", "C wheel -190,180 d1 w1 m0", "B wheel -40,130 d1 w1 m0",
                            "A wheel 10,180 d1 w1 m0"}));

    fHost.PushDrop(fHostId, "/tmp/a b.jpg", 70, 90);
    fHost.PushDrop(fHostId, "/tmp/c.jpg", 250, 20);
    EXPECT_EQ(Heard(), (Log{"B drop 20,40 /tmp/a b.jpg", "C drop 50,20 /tmp/c.jpg"}));
}

TEST_F(QuorWnd, DoubleClicksNeedBothTimeAndPlace)
{
    // Catches thresholds off by one in time or distance, and a double click measured on the
    // wall clock instead of the event clock.
    AddThreeLayers();
    struct Case { const char* name; int waitMs; int dx; int dy; bool doubleClick; };
    const Case cases[] = {
        {"0.4 s and 2 px", 400, 2, 2, true}, {"3 px apart in x", 400, 3, 0, false},
        {"3 px apart in y", 100, 0, -3, false}, {"0.5 s apart", 500, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fHost.AdvanceTime(5000);
        fHost.PushClick(fHostId, 20, 20);
        Heard();
        fHost.AdvanceTime(c.waitMs);
        fHost.PushClick(fHostId, 20 + c.dx, 20 + c.dy);
        const Log downs = Only(Heard(), "A down");
        ASSERT_EQ(downs.size(), 1u);
        EXPECT_EQ(downs[0].find(" double") != std::string::npos, c.doubleClick) << downs[0];
    }
}

TEST_F(QuorWnd, LayerStackHoldsSixteenAndClosingRespectsModalLayers)
{
    // Catches a seventeenth layer written past the array, a window that closes under an open
    // dialog layer or during its own modal loop, and a palette without close box (type 6) that
    // a close request from the desktop closes all the same.
    for (int i = 0; i < 16; ++i)
        fWindow->AddLayer(new Quor_Layer());
    Quor_Layer extra;
    fWindow->AddLayer(&extra);
    EXPECT_EQ(fWindow->CountLayers(), 16);
    EXPECT_EQ(extra.Window(), nullptr);
    EXPECT_FALSE(fWindow->CloseOK());
    fWindow->DestroyLayers();
    EXPECT_TRUE(fWindow->CloseOK());

    // A refused close leaves the window; an allowed one deletes it.
    LogLayer* base = new LogLayer("base", &fLog, Quor_Rect(0, 0, 99, 99));
    LogLayer* dialog = new LogLayer("dialog", &fLog, Quor_Rect(0, 0, 49, 49));
    fWindow->AddLayer(base);
    fWindow->AddLayer(dialog);
    fHost.PushClose(fHostId);
    Pump();
    ASSERT_EQ(Quor_WindowList::Find(fId), fWindow);
    dialog->fModal = false;
    fHost.PushClose(fHostId);
    Pump();
    EXPECT_EQ(Quor_WindowList::Find(fId), nullptr);
    EXPECT_EQ(fHost.WindowRecord(fHostId), nullptr);

    Quor_Wnd* palette = new Quor_Wnd("palette", Quor_Rect(0, 60, 99, 159), false, 6, nullptr);
    const uint32_t paletteId = palette->Id();
    fHost.PushClose(palette->PlatformWindow());
    Pump();
    EXPECT_EQ(Quor_WindowList::Find(paletteId), palette);
    palette->CloseWindow();
}

TEST_F(QuorWnd, TimerIdsAreReusedOnlyWhenFree)
{
    // Catches an id taken twice after a kill (count + 1 already in use), a refused period given
    // an id, and timers that fire on the wrong period.
    WhatLog counter;
    const std::vector<unsigned int> ids = {fWindow->SetTimer(0.1f, &counter, 7), fWindow->SetTimer(0.1f, &counter, 7),
                                           fWindow->SetTimer(1.0f, &counter, 8)};
    EXPECT_EQ(ids, (std::vector<unsigned int>{1, 2, 3}));
    fWindow->KillTimer(1);
    fWindow->KillTimer(3);
    EXPECT_EQ(fWindow->SetTimer(1.0f, &counter, 8), 3u);
    fWindow->KillTimer(2);
    fWindow->KillTimer(0);
    for (float refused : {0.0f, -1.0f, std::nanf("")})
        EXPECT_EQ(fWindow->SetTimer(refused, &counter, 9), 0u) << refused;

    // Timer 3 (1 s, what 8) fires once per second of event-clock time.
    for (int i = 0; i < 25; ++i) {
        fHost.AdvanceTime(100);
        Pump();
    }
    EXPECT_EQ(counter.whats, (std::vector<int>{8, 8}));
    // After a stall of five periods it fires once, not five times, and keeps its period from
    // then on (at 2.5 s, then 7.5 s: next at 8.5 s).
    fHost.AdvanceTime(5000);
    Pump();
    EXPECT_EQ(counter.Count(8), 3);
    fHost.AdvanceTime(900);
    Pump();
    EXPECT_EQ(counter.Count(8), 3);
    fHost.AdvanceTime(100);
    Pump();
    EXPECT_EQ(counter.Count(8), 4);
}

TEST_F(QuorWnd, TimersBelongToTheirWindowNotToItsAddress)
{
    // Catches timers matched to a window by its address: a window made where a closed one lay
    // in memory would fire the closed one's timer that was due in the same round.
    alignas(Quor_Wnd) unsigned char storage[sizeof(Quor_Wnd)];
    const Quor_Rect frame(0, 60, 99, 159);
    Quor_Wnd* closing = new (storage) Quor_Wnd("closing", frame, false, 0, nullptr);
    WhatLog closingTicks;
    WhatLog newTicks;
    ASSERT_EQ(closing->SetTimer(0.05f, &closingTicks, 1), 1u);
    Quor_Wnd* made = nullptr;
    // Due first in the round: closes that window and makes another in its place.
    struct Replacer : Quor_Handler {
        std::function<void()> act;
        void HandleMessage(Quor_Message*) override { if (act) std::exchange(act, nullptr)(); }
    } replacer;
    replacer.act = [&] {
        closing->~Quor_Wnd();
        made = new (storage) Quor_Wnd("made", frame, false, 0, nullptr);
        made->SetTimer(1.0f, &newTicks, 2);
    };
    fWindow->SetTimer(0.04f, &replacer, 3);
    fHost.AdvanceTime(50);
    Pump();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(closingTicks.whats, std::vector<int>{});
    EXPECT_EQ(newTicks.whats, std::vector<int>{});
    made->~Quor_Wnd();
}

TEST_F(QuorWnd, RememberedPlacesAreRestoredPulledOnScreenAndClamped)
{
    // Catches a window restored off screen (right of it or below it) or larger than the screen it
    // opens on (remembered on a larger one), a remembered size outside the window's limits (a
    // damaged settings file), and places not written back when the window goes.
    Quor_App app("PlaceTest", "1.0", false);
    app.Prefs()->Set("main_location", Quor_Point(5000, 300));
    app.Prefs()->Set("main_shape", Quor_Point(100000, 3));
    fWindow->RestoreLocation("main");
    fWindow->RestoreShape("main");
    fWindow->Show();
    Pump();
    const Quor_Rect screen = Quor_Screen::Bounds();
    EXPECT_EQ(screen, Quor_Rect(0, 48, 1023, 767));
    // 8192 wide by its limits, then as wide as the screen, so wholly on it from its left edge.
    EXPECT_EQ(fWindow->Location(), Quor_Point(0, 300));
    EXPECT_EQ(fWindow->Bounds(), Quor_Rect(0, 0, 1023, 7));

    // Remembered on a larger screen: below this one's bottom, or above and left of it.
    fWindow->SetLocation(300, 5000);
    fWindow->Show();
    EXPECT_EQ(fWindow->Location(), Quor_Point(0, screen.bottom + 1 - 8 - fWindow->MenuStripHeight()));
    fWindow->SetLocation(-40, 10);
    fWindow->Show();
    EXPECT_EQ(fWindow->Location(), Quor_Point(0, 48));

    fWindow->SetLocation(30, 70);
    fWindow->SetShape(320, 240);
    fWindow->CloseWindow();
    Quor_Point place, size;
    EXPECT_TRUE(app.Prefs()->Get("main_location", &place) && app.Prefs()->Get("main_shape", &size));
    EXPECT_EQ(place, Quor_Point(30, 70));
    EXPECT_EQ(size, Quor_Point(320, 240));
}

TEST_F(QuorWnd, DialogsOpenCentredOverTheirWindowOnTheScreenAndOwnedByIt)
{
    // Catches a dialog placed on the middle of the screen far from the window it asks about, one
    // pushed off the screen by a window near its edge, one placed over a hidden window, and one
    // the window manager does not know to keep above its window.
    fWindow->Show();
    Pump();
    const int strip = fWindow->MenuStripHeight();
    const struct {
        Quor_Point parentAt;
        bool parentShown;
        Quor_Point expected;
    } cases[] = {
        {{100, 100}, true, {200, 100 + (200 + strip) / 2 - 25}},
        {{900, 600}, true, {1024 - 100, 600 + (200 + strip) / 2 - 25}},
        {{100, 100}, false, {511 - 50, 407 - 25}},
    };
    for (const auto& c : cases) {
        fWindow->SetLocation(c.parentAt.x, c.parentAt.y);
        if (!c.parentShown)
            fWindow->Hide();
        Quor_Wnd* dialog = new Quor_Wnd("dialog", Quor_Rect(0, 0, 99, 49), false, 2, fWindow);
        dialog->CenterOverParent();
        EXPECT_EQ(dialog->Location(), c.expected) << c.parentAt.x << "," << c.parentAt.y;
        EXPECT_EQ(fHost.WindowRecord(dialog->PlatformWindow())->parent, fHostId);
        dialog->CloseWindow();
        fWindow->Show();
        Pump();
    }
}

TEST_F(QuorWnd, LayersFollowEachSizeChangeExactlyOnce)
{
    // Catches a layer that follows all four edges shrinking twice after a layout (the size it
    // was fitted to not recorded, so the host's resize event applies the change once more), a
    // SetShape whose layers follow again when the resize event comes back, a layout that leaves
    // the only child where it was, a minimum size the desktop is never told, layers that ignore
    // their follow flags, and a user resize measured against a size that a Bounds() call had
    // already updated (the layers then never follow).
    constexpr unsigned int kAllEdges = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP | QUOR_FOLLOW_RIGHT | QUOR_FOLLOW_BOTTOM;
    enum How { kLayout, kSetShape, kUserResize };
    struct Case {
        const char* name;
        Quor_Point preferred;   // of the layer's only child: what DoLayout fits the layer to
        How how;
        Quor_Point wanted;      // for SetShape and the user's resize
        Quor_Point expected;    // the window's content and the layer, after the resize event
    };
    const Case cases[] = {
        {"layout to a smaller size", Quor_Point(554, 436), kLayout, Quor_Point(), Quor_Point(554, 436)},
        {"layout below the minimum size", Quor_Point(40, 5), kLayout, Quor_Point(), Quor_Point(64, 8)},
        {"shape to a larger size", Quor_Point(640, 480), kSetShape, Quor_Point(700, 500), Quor_Point(700, 500)},
        {"the user's resize", Quor_Point(640, 480), kUserResize, Quor_Point(740, 540), Quor_Point(740, 540)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Quor_Wnd* window = new Quor_Wnd("layout", Quor_Rect(0, 60, 639, 539), true, 0, nullptr);
        LogLayer* layer = new LogLayer("L", &fLog, Quor_Rect(0, 0, 639, 479), kAllEdges);
        LogView* view = new LogView("V", &fLog, Quor_Rect(30, 30, 29 + c.preferred.x, 29 + c.preferred.y));
        layer->AddChild(view);
        window->AddLayer(layer);
        // A layout fits a window of one layer; more layers show how each follows a resize.
        LogLayer* corner = nullptr;
        if (c.how != kLayout) {
            corner = new LogLayer("K", &fLog, Quor_Rect(590, 430, 639, 479), QUOR_FOLLOW_RIGHT | QUOR_FOLLOW_BOTTOM);
            window->AddLayer(corner);
            window->AddLayer(new LogLayer("F", &fLog, Quor_Rect(10, 10, 59, 59)));
        }
        window->Show();
        Pump();
        if (c.how == kLayout)
            window->DoLayout();
        else if (c.how == kSetShape)
            window->SetShape(c.wanted.x, c.wanted.y);
        else
            fHost.UserResize(window->PlatformWindow(), c.wanted.x, c.wanted.y);
        window->Bounds();
        Pump();
        EXPECT_EQ(window->Bounds().Size(), c.expected);
        EXPECT_EQ(layer->Frame(), Quor_Rect(0, 0, c.expected.x - 1, c.expected.y - 1));
        EXPECT_EQ(layer->LayerImage()->Width(), c.expected.x);
        if (corner != nullptr) {
            EXPECT_EQ(corner->Frame(), Quor_Rect(c.expected.x - 50, c.expected.y - 50, c.expected.x - 1, c.expected.y - 1));
            EXPECT_EQ(window->LayerAt(2)->Frame(), Quor_Rect(10, 10, 59, 59));
        }
        EXPECT_EQ(view->Frame().LeftTop(), c.how == kLayout ? Quor_Point(0, 0) : Quor_Point(30, 30));
        EXPECT_EQ(fHost.WindowRecord(window->PlatformWindow())->minWidth, 64);
        fHost.PushExpose(window->PlatformWindow());
        Pump();
        EXPECT_EQ(layer->Frame().Size(), c.expected) << "a redraw moves nothing";
        window->CloseWindow();
    }
}

TEST_F(QuorWnd, IconIsCopiedToTheHostAndUnusableImagesAreRefused)
{
    // Catches an icon kept by pointer (changed or freed behind the host's back), an image of
    // another depth or without a row length handed on as 32-bit pixels, and a refused icon
    // that still replaces the one shown.
    Quor_BaseImage icon;
    MakeIndexed(&icon, 24, 16);
    ASSERT_TRUE(fWindow->SetIcon(icon));
    Fill(&icon, 24, 16, Px(0, 0, 0));

    Quor_BaseImage grey;
    ASSERT_EQ(grey.Initialize(24, 16, 8), QUOR_OK);
    Quor_image noRows = icon.Image();
    noRows.rowBytes = 0;
    EXPECT_FALSE(fWindow->SetIcon(nullptr));
    EXPECT_FALSE(fWindow->SetIcon(grey));
    EXPECT_FALSE(fWindow->SetIcon(&noRows));

    const Quor_MemoryHost::Window* record = fHost.WindowRecord(fHostId);
    ASSERT_NE(record, nullptr);
    ASSERT_NE(record->icon, nullptr);
    ASSERT_EQ(Quor_Point(record->icon->Width(), record->icon->Height()), Quor_Point(24, 16));
    EXPECT_EQ(Text(PixelAt(*record->icon, 23, 15)), Text(rgb_color{23, 15, 7, 255}));
    EXPECT_EQ(Text(PixelAt(*record->icon, 5, 9)), Text(rgb_color{5, 9, 7, 255}));
}
