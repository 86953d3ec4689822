// The progress window against its worker: Cancel pressed at random moments around the worker's
// own end must neither lose the end, nor hang, nor touch a window or a worker that is gone, and
// every export must leave the photos at their previews.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <string>

#include "app/ui/PSDProgress.h"
#include "app/ui/RenderProgress.h"
#include "tests/app/ui/ExportTestSupport.h"
#include "toolkit/widgets/Quor_ProgressBar.h"

using namespace export_test;

namespace {

using Clock = std::chrono::steady_clock;

class RenderProgressTest : public ExportTest {
protected:
    // Runs one export in its progress window and presses Escape `cancelAfter` after the window
    // came up (never, when negative); a window that outlasts the script fails the test. Returns
    // how it ended.
    RenderResult RunOnce(bool psd, std::chrono::microseconds cancelAfter)
    {
        RenderResult outcome;
        outcome.status = RenderStatus::kFailed;
        const Clock::time_point start = Clock::now();
        Script({[&] {
            RenderProgress* p = OpenDialog<RenderProgress>();
            if (p == nullptr || cancelAfter.count() < 0 || Clock::now() - start < cancelAfter)
                return false;
            KeyTo(p->Window(), kHostEscape);
            return true;
        }});
        (psd ? new PSDProgress(&Doc(), Wnd(), &outcome) : new RenderProgress(&Doc(), Wnd(), &outcome))->DoModal();
        fHost.SetIdleHook(nullptr);
        return outcome;
    }
};

}  // namespace

TEST_F(RenderProgressTest, CancelAtRandomMomentsAroundTheEndNeverLosesTheEndOrThePreviews)
{
    // Catches the race between the worker's end and the user's Cancel: an end handed to a window
    // already closed (a use after free), a worker never joined, an end that arrives before the
    // modal loop runs and is lost (the window would wait for ever), a Cancel that leaves photos at
    // full size, and a result other than done or cancelled from a healthy export.
    Doc().fRenderPath = fDir.File("race.jpg").c_str();
    // How long one export takes here, to aim the Cancel around its end.
    const Clock::time_point t0 = Clock::now();
    ASSERT_EQ(RunOnce(false, std::chrono::microseconds(-1)).status, RenderStatus::kDone);
    ASSERT_FALSE(HasFailure());
    const auto typical = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - t0).count();

    const unsigned seed = 20240611u;
    std::mt19937 random(seed);
    const int rounds = std::getenv("QUOR_RACE_ROUNDS") != nullptr ? std::atoi(std::getenv("QUOR_RACE_ROUNDS")) : 300;
    int done = 0, cancelled = 0;
    for (int round = 0; round < rounds; round++) {
        const bool psd = round % 3 == 2;
        Doc().fRenderPath = fDir.File(psd ? "race.psd" : "race.jpg").c_str();
        const std::chrono::microseconds after(std::uniform_int_distribution<long>(0, 2 * typical)(random));
        SCOPED_TRACE(testing::Message() << "seed " << seed << " round " << round);
        const RenderResult result = RunOnce(psd, after);
        ASSERT_FALSE(HasFailure() || fHost.Stalled());
        ASSERT_TRUE(result.status == RenderStatus::kDone || result.status == RenderStatus::kCancelled) << result.Message();
        (result.status == RenderStatus::kDone ? done : cancelled)++;
        ASSERT_TRUE(OpenDialog<RenderProgress>() == nullptr);
        for (int i = 0; i < Doc().fNumPhotos; i++)
            ASSERT_EQ(Doc().fPhotoImage[i].Width(), kPreviewSize);
    }
    // Both ways of ending were met, so the Cancels did land around the end.
    if (rounds >= 100) {
        EXPECT_GT(done, 0);
        EXPECT_GT(cancelled, 0);
    }
}

TEST_F(RenderProgressTest, TheBarFollowsTheWorker)
{
    // Catches a bar that never moves while the worker renders: its progress must reach the
    // window, on the window's own thread.
    // Large enough that the window's clock ticks many times while it renders.
    Doc().fRenderWidth = Doc().fRenderHeight = 3000;
    Doc().fRenderPath = fDir.File("bar.jpg").c_str();
    RenderResult outcome;
    // The fullest the bar showed while the worker was still short of its last rows.
    float midway = 0.0f;
    fHost.SetIdleHook([&] {
        RenderProgress* p = OpenDialog<RenderProgress>();
        if (p != nullptr && p->Progress() < 0.9f)
            midway = std::max(midway, p->Bar()->Value());
    });
    (new RenderProgress(&Doc(), Wnd(), &outcome))->DoModal();
    fHost.SetIdleHook(nullptr);
    EXPECT_EQ(outcome.status, RenderStatus::kDone);
    EXPECT_GT(midway, 0.1f);
    EXPECT_LT(midway, 0.9f);
}
