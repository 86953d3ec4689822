// Animated widgets: frames at the asked rate on the event clock, starting and stopping with the
// window, ticks that reach the widget itself, and their own frame images.
#include <gtest/gtest.h>

#include <vector>

#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/widgets/Quor_AnimatedWidget.h"

using namespace quor_test;

namespace {

// Records every hook call; draws its frames in a colour that changes with the frame number.
class Counter : public Quor_AnimatedWidget {
public:
    Counter(float fps, bool autoStart, bool ownImage)
        : Quor_AnimatedWidget(fps, autoStart, ownImage, false, QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP)
    {
        SetShape(20, 10);
    }
    void BeginAnimation(Quor_Graphics*) override { ++begins; }
    void DrawFrame(Quor_Graphics* g, int frame, float seconds, float) override
    {
        frames.push_back(frame);
        times.push_back(seconds);
        g->Clear(rgb_color{uint8_t(frame * 10), 100, 0, 255});
    }
    void StopAnimation(Quor_Graphics*) override { ++stops; }

    int begins = 0;
    int stops = 0;
    std::vector<int> frames;
    std::vector<float> times;
};

}  // namespace

class QuorAnimatedWidget : public WidgetWindowTest {};

TEST_F(QuorAnimatedWidget, FramesComeAtTheRateAndStopWithTheWindow)
{
    // Catches an animation timed by the wall clock, frames numbered or timed wrongly, an
    // animation that starts without a window, one that keeps ticking after it left it, and
    // ticks sent through the widget's message target (the target would hear a stream of ticks
    // and the animation would stand still).
    WhatLog target;
    Counter* auto20 = Place(new Counter(20.0f, true, false), 10, 10);
    auto20->SetHandler(&target);
    Counter* manual = new Counter(10.0f, false, false);
    EXPECT_FALSE(manual->Start()) << "no window yet";
    Place(manual, 40, 10);
    Open();
    EXPECT_TRUE(auto20->IsRunning());
    EXPECT_EQ(auto20->begins, 1);
    EXPECT_FALSE(manual->IsRunning());
    ASSERT_TRUE(manual->Start());
    EXPECT_FALSE(manual->Start()) << "already running";

    Wait(1000);
    ASSERT_EQ(auto20->frames.size(), 20u);
    EXPECT_EQ(auto20->frames.back(), 19);
    EXPECT_NEAR(auto20->times.front(), 0.05f, 0.011f);
    EXPECT_NEAR(auto20->times.back(), 1.0f, 0.011f);
    EXPECT_NEAR(auto20->MeasuredFps(), 20.0f, 0.5f);
    EXPECT_EQ(manual->frames.size(), 10u);
    EXPECT_TRUE(target.whats.empty());

    manual->Stop();
    EXPECT_EQ(manual->stops, 1);
    fLayer->RemoveChild(auto20);
    auto20->DetachedFromWindow();
    EXPECT_FALSE(auto20->IsRunning());
    Wait(500);
    EXPECT_EQ(auto20->frames.size(), 20u);
    EXPECT_EQ(manual->frames.size(), 10u);
    delete auto20;
}

TEST_F(QuorAnimatedWidget, OwnFrameImageFollowsTheSizeAndIsShown)
{
    // Catches a frame image that keeps its first size after a resize (drawing past its edge or
    // showing a stale corner), and frames drawn but never shown.
    Counter* widget = Place(new Counter(10.0f, true, true), 10, 10);
    Open();
    ASSERT_TRUE(widget->IsRunning());
    Wait(300);
    ASSERT_EQ(widget->frames.size(), 3u);
    EXPECT_EQ(Shown(15, 15), (rgb_color{20, 100, 0, 255}));
    widget->SetShape(30, 12);
    Wait(100);
    EXPECT_EQ(widget->FrameImage().Height(), 12);
    EXPECT_EQ(Shown(10 + 29, 10 + 11), (rgb_color{30, 100, 0, 255}));
}
