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
