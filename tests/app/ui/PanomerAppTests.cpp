// The application object: its preferences as read at start and written at the end, and the
// main window it opens.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/app/ui/EditorTestSupport.h"

namespace {

using editor_test::EditorTest;

class PanomerAppTest : public EditorTest {};

// Catches a damaged "FocalLength" setting (not a number, infinite, zero, huge) that would make
// every new document degenerate or non-finite, and a "Fisheye" preference that is lost at quit
// or written as false (which the settings never hold).
TEST_F(PanomerAppTest, PreferencesAreReadSafelyAndKept)
{
    const struct {
        const char* stored;
        float read;
    } cases[] = {{"50", 50.0f}, {"0", 8.0f}, {"5000", 1000.0f}, {"nan", 35.0f}, {"inf", 35.0f}, {"-inf", 35.0f},
                 {"abc", 35.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        gFocalLength = 35.0f;
        fApp = std::make_unique<PanomerApp>();
        fApp->Prefs()->Set("FocalLength", c.stored);
        fApp->Prefs()->Set("Fisheye", true);
        fApp->ReadyToRun("");
        EXPECT_EQ(gFocalLength, c.read);
        EXPECT_EQ(Doc().fFocalLength, c.read);
        EXPECT_TRUE(gEnableFisheye);
        EXPECT_EQ(gMainWnd, Wnd());
        fApp->OnQuit();
        EXPECT_EQ(Wnd(), nullptr) << "the window and its document go at the end";
        float written = 0.0f;
        EXPECT_TRUE(fApp->Prefs()->Get("FocalLength", &written));
        EXPECT_EQ(written, c.read);
        fApp.reset();
    }

    gEnableFisheye = false;
    fApp = std::make_unique<PanomerApp>();
    fApp->ReadyToRun("");
    fApp->OnQuit();
    EXPECT_FALSE(fApp->Prefs()->HasField("Fisheye"));
}

}  // namespace

namespace {

// Catches a first window that is a small box in a corner of a large screen, one larger than a
// small screen, one that is not centred, and the 80% rule pushing it below its least size.
TEST(PanomerAppFirstFrame, AboutFourFifthsOfTheScreenCentredWithinItsLimits)
{
    const struct {
        Quor_Rect screen, expected;
    } cases[] = {
        {Quor_Rect(0, 0, 1919, 1079), Quor_Rect(192, 108, 1727, 971)},      // 1536 x 864
        {Quor_Rect(0, 0, 2559, 1599), Quor_Rect(480, 300, 2079, 1299)},     // at most 1600 x 1000
        {Quor_Rect(1920, 0, 3199, 799), Quor_Rect(2048, 80, 3071, 719)},    // a second screen on the right
        {Quor_Rect(0, 0, 799, 599), Quor_Rect(10, 60, 789, 539)},           // no smaller than 780 x 400 ...
        {Quor_Rect(0, 0, 699, 379), Quor_Rect(0, 0, 699, 379)},             // ... unless the screen is
        {Quor_Rect(0, 0, -1, -1), Quor_Rect(32, 64, 811, 463)},             // no screen
    };
    for (const auto& c : cases)
        EXPECT_EQ(PanomerApp::FirstFrame(c.screen), c.expected) << c.screen.left << "," << c.screen.right;
}

// Catches a window that forgets where and how large the user left it, one that grows by its
// menu strip at every start, and one that reopens off a screen that has shrunk since.
TEST_F(PanomerAppTest, TheWindowReopensWhereItWasLeftAndOnASmallerScreen)
{
    fHost.SetScreen(1920, 1080);
    fApp = std::make_unique<PanomerApp>();
    fApp->ReadyToRun("");
    Pump();
    EXPECT_EQ(Wnd()->Bounds(), Quor_Rect(0, 0, 1535, 863));
    fHost.UserMove(HostId(), 1000, 500);
    fHost.UserResize(HostId(), 900, 560);
    Pump();
    const Quor_Rect left = Wnd()->Bounds();
    fApp->OnQuit();
    const Quor_Message kept(*fApp->Prefs());
    fApp.reset();

    for (const Quor_Point screen : {Quor_Point(1920, 1080), Quor_Point(1280, 720)}) {
        fHost.SetScreen(screen.x, screen.y);
        fApp = std::make_unique<PanomerApp>();
        *fApp->Prefs() = kept;
        fApp->ReadyToRun("");
        Pump();
        const Quor_Point at = Wnd()->Location();
        const Quor_Rect b = Wnd()->Bounds();
        if (screen.x == 1920) {
            // The very same size: not taller by the menu strip at every start.
            EXPECT_EQ(at, Quor_Point(1000, 500));
            EXPECT_EQ(b, left);
        } else {
            // Pulled back wholly onto the smaller screen, at the size it had: its right and
            // bottom edges (the menu strip above the content included) at the screen's.
            EXPECT_EQ(Quor_Point(at.x + b.Width(), at.y + Wnd()->MenuStripHeight() + b.Height()), Quor_Point(1280, 720));
            EXPECT_EQ(b.Width(), 900);
        }
        fApp->OnQuit();
        fApp.reset();
    }
}

}  // namespace
