// The about box as a user meets it: it closes on a click and on any key, and its credits scroll
// up through their strip and start again from the bottom once the last line has gone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ui/AboutLayer.h"
#include "app/ui/AboutWnd.h"
#include "app/ui/data/PanomerArt.h"
#include "tests/support/ImageFixtures.h"
#include "tests/toolkit/framework/FrameworkTestSupport.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/imaging/fonts/Quor_Font.h"

namespace {

using quor_test::MemoryHostTest;

class AboutWndTest : public MemoryHostTest {
protected:
    void TearDown() override
    {
        fHost.SetIdleHook(nullptr);
        MemoryHostTest::TearDown();
    }

    // Whether the credits strip shows any text: a pixel much darker than the strip's background.
    bool StripShowsText(uint32_t hostWindow, Quor_Rect strip)
    {
        const Quor_BaseImage* shown = fHost.Shown(hostWindow);
        if (shown == nullptr)
            return false;
        for (int y = strip.top; y <= strip.bottom; y++) {
            for (int x = strip.left; x <= strip.right; x++) {
                const rgb_color c = quor_test::PixelAt(*shown, x, y);
                if (c.red + c.green + c.blue < 3 * 100)
                    return true;
            }
        }
        return false;
    }
};

}  // namespace

TEST_F(AboutWndTest, ClosesOnAClickAnywhereInItAndOnAnyKey)
{
    // Catches an about box that ignores the mouse or some keys (the user would be stuck in a
    // modal window without a close box), and one that stops scrolling while shown.
    struct Case {
        const char* what;
        int x, y;  // a click there, or a key when x < 0
        int key;
    };
    const Case cases[] = {
        {"click on the picture", 200, 40, 0},
        {"click in a corner", kabout.width - 1, kabout.height - 1, 0},
        {"letter key", -1, 0, 'q'},
        {"Escape", -1, 0, 27},
    };
    Quor_Wnd* parent = new Quor_Wnd("main", Quor_Rect(0, 60, 299, 259), false, 0, nullptr);
    parent->Show();
    for (const Case& c : cases) {
        int idleCalls = 0;
        int scrolled = -1;
        uint32_t aboutHost = 0;
        fHost.SetIdleHook([&] {
            const std::vector<uint32_t> windows = fHost.Windows();
            if (windows.size() < 2 || ++idleCalls < 30)
                return;
            if (aboutHost == 0) {
                aboutHost = windows.back();
                for (Quor_Wnd* w : Quor_WindowList::All()) {
                    if (auto* about = dynamic_cast<AboutWnd*>(w))
                        scrolled = about->Layer()->ScrollOffset();
                }
                if (c.x >= 0)
                    fHost.PushClick(aboutHost, c.x, c.y);
                else
                    fHost.PushKey(aboutHost, c.key);
            }
        });
        AboutBox(parent);
        EXPECT_FALSE(fHost.Stalled()) << c.what;
        EXPECT_NE(aboutHost, 0u) << c.what;
        EXPECT_EQ(fHost.Windows().size(), 1u) << c.what << ": the about box is still open";
        EXPECT_GT(scrolled, 0) << c.what << ": the credits did not move while the box was up";
    }
    parent->CloseWindow();
}

TEST_F(AboutWndTest, CreditsStartAgainFromTheBottomOnceTheLastLineHasLeftTheTop)
{
    // Catches credits that never come back (an empty strip for ever), credits that restart while
    // the last lines are still showing, and a strip that does not restart from its bottom edge.
    AboutWnd* about = new AboutWnd(nullptr);
    about->Show();
    Pump();
    AboutLayer* layer = about->Layer();
    ASSERT_GT(layer->CountLines(), 10);
    const Quor_Rect strip = layer->CreditsArea();
    const int lineHeight = Quor_App::gRegularSmallFont->LineToLineHeight();
    // The offset grows by one pixel a tick until the last line has left the top, then starts
    // again at 0.
    const int pass = strip.Height() + lineHeight * layer->CountLines();
    bool shownLate = false, back = false;
    for (int tick = 1; tick <= pass + 3 * lineHeight; tick++) {
        fHost.AdvanceTime(40);
        Pump();
        ASSERT_EQ(layer->ScrollOffset(), tick <= pass ? tick : tick - pass - 1) << "tick " << tick;
        if (tick < pass - 2 * lineHeight)
            continue;
        const bool text = StripShowsText(about->PlatformWindow(), strip);
        if (tick == pass) {
            EXPECT_FALSE(text) << "credits restarted while still showing";
        }
        (tick <= pass ? shownLate : back) |= text;
    }
    EXPECT_TRUE(shownLate) << "the last line never reached the strip";
    EXPECT_TRUE(back) << "the credits did not start again";
    about->CloseWindow();
}
