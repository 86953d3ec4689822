// Progress bars: the pulse of the empty part, the fraction a worker sets, and how they look.
#include <gtest/gtest.h>

#include <thread>

#include "tests/support/ImageFixtures.h"
#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/widgets/Quor_ProgressBar.h"

using namespace quor_test;

class QuorProgressBar : public WidgetWindowTest {};

TEST_F(QuorProgressBar, EmptyPartPulsesWithATwoSecondPeriod)
{
    // Catches a pulse with the wrong period or one that jumps instead of turning back, and a
    // pulse that never reaches the window.
    EXPECT_EQ(Quor_ProgressBar::PulseColor(0.0f), Quor_ColorOps::ProgressBackground2);
    EXPECT_EQ(Quor_ProgressBar::PulseColor(1.0f), Quor_ColorOps::ProgressBackground1);
    for (float t : {0.3f, 0.5f, 1.25f, 1.9f}) {
        SCOPED_TRACE(t);
        EXPECT_EQ(Quor_ProgressBar::PulseColor(t), Quor_ProgressBar::PulseColor(t + 2.0f));
        // Symmetric about the turn at one second.
        EXPECT_EQ(Quor_ProgressBar::PulseColor(t), Quor_ProgressBar::PulseColor(2.0f - t));
    }

    Quor_ProgressBar* bar = Place(new Quor_ProgressBar(200, 3), 10, 10);
    Open();
    ASSERT_TRUE(bar->IsRunning());
    const int x = 10 + 150;
    const int y = 10 + 9;
    Wait(500);
    const rgb_color quarter = Shown(x, y);
    Wait(500);
    const rgb_color half = Shown(x, y);
    Wait(1500);
    const rgb_color later = Shown(x, y);
    EXPECT_NE(quarter, half);
    EXPECT_EQ(quarter, later) << Text(quarter) << " vs " << Text(later);
}

TEST_F(QuorProgressBar, FractionFromAWorkerIsClampedAndDrawnByTheBar)
{
    // Catches a fraction outside [0, 1] drawn past the bar, a NaN that poisons the drawing,
    // and a value written by a worker that the bar never draws.
    Quor_ProgressBar* bar = Place(new Quor_ProgressBar(200, 3), 10, 10);
    Open();
    std::thread worker([bar] { bar->SetValue(0.5f); });
    worker.join();
    Wait(40);
    ExpectGolden(bar, "progress_bar.png");

    const struct {
        float set;
        float value;
    } cases[] = {{-1.0f, 0.0f}, {3.0f, 1.0f}, {std::nanf(""), 0.0f}, {0.25f, 0.25f}};
    for (const auto& c : cases) {
        bar->SetValue(c.set);
        EXPECT_EQ(bar->Value(), c.value);
    }
}
