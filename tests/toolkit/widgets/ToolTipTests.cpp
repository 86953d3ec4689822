// Tool tips: the delay before showing, the pointer straying away, how long text is split and the
// tip kept inside the window, what dismisses it, and owners that go away while a tip is pending.
#include <gtest/gtest.h>

#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_ToolTip.h"

using namespace quor_test;

class QuorToolTip : public WidgetWindowTest {
protected:
    void TearDown() override
    {
        EXPECT_EQ(Quor_ToolTip::gCurrentToolTip, nullptr);
        WidgetWindowTest::TearDown();
    }
    bool TipOnTop(Quor_ToolTip* tip) { return fWindow->TopLayer() == tip; }
    // The pointer resting at (x, y) for longer than a tip's delay.
    void Rest(int x, int y) { Move(x, y); Wait(800); }
};

TEST_F(QuorToolTip, RestingOnAnIconButtonShowsTheTipUntilItTimesOut)
{
    // Catches a tip that shows at once or never, one placed over the pointer, one that stays
    // up for good, and a press on the tip that is swallowed instead of reaching what is under it.
    Quor_BaseImage icon;
    MakeIcon(&icon, 32);
    WhatLog log;
    Quor_Button* button = Place(new Quor_Button(&icon.Image(), "Rotate photo", 5, false, 3), 40, 40);
    Quor_Button* below = Place(new Quor_Button("Below", 6, 120, false, 3), 40, 72);
    below->SetHandler(&log);
    Open();

    Move(50, 50);
    Quor_ToolTip* tip = button->ToolTip();
    ASSERT_NE(tip, nullptr);
    Wait(700);
    EXPECT_FALSE(tip->IsShowing());
    Wait(100);
    ASSERT_TRUE(TipOnTop(tip));
    EXPECT_EQ(tip->Frame().LeftTop(), Quor_Point(50, 70));
    EXPECT_EQ(Shown(52, 72), Quor_ColorOps::ToolTipBackground);
    Wait(3000);
    EXPECT_FALSE(TipOnTop(tip));
    EXPECT_NE(Shown(52, 72), Quor_ColorOps::ToolTipBackground) << "the area the tip left is redrawn";

    // A press on the showing tip closes it and reaches the button underneath.
    Rest(51, 50);
    ASSERT_TRUE(tip->IsShowing());
    Click(60, 78);
    EXPECT_FALSE(tip->IsShowing());
    EXPECT_EQ(log.whats, std::vector<int>({6}));

    // A key closes it too.
    Rest(50, 50);
    ASSERT_TRUE(tip->IsShowing());
    Key('a');
    EXPECT_FALSE(tip->IsShowing());
}

TEST_F(QuorToolTip, PointerThatStraysMoreThanTenPixelsKeepsTheTipAway)
{
    // Catches a tip that shows wherever the pointer has gone, a slack measured on one axis
    // only, and a boundary off by one (10 pixels still counts as resting).
    struct Case { int dx; int dy; bool shows; };
    const Case cases[] = {{10, 10, true}, {-10, 0, true}, {11, 0, false}, {0, -11, false}, {30, 30, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dx) + "," + std::to_string(c.dy));
        Quor_ToolTip tip;
        if (fWindow->CountLayers() == 0)
            Open();
        Move(100, 100);
        tip.Go(fWindow, Quor_Point(100, 100), "Pan");
        Wait(300);
        Move(100 + c.dx, 100 + c.dy);
        Wait(600);
        EXPECT_EQ(tip.IsShowing(), c.shows);
        tip.RemoveMe();
    }
}

TEST_F(QuorToolTip, LongTextSplitsAtTheFirstBlankAndTheTipStaysInTheWindow)
{
    // Catches a long tip cut off at the window's edge, a split at the wrong blank or a text
    // without blanks split anyway, and a tip pushed past the left or bottom edge.
    Open();
    const Quor_Font* font = Quor_App::gRegularFont;
    const int line = font->LineToLineHeight();
    std::string longText = "Arrange";
    std::string rest;
    while (font->StringWidth((longText + " " + rest).c_str()) <= kWidth)
        rest += "the photos by hand ";
    const std::string text = longText + " " + rest;

    Quor_ToolTip tip;
    tip.SetShowDelay(0.0f);
    Move(10, 10);
    tip.Go(fWindow, Quor_Point(10, 10), text.c_str());
    ASSERT_TRUE(tip.IsTwoLines());
    EXPECT_STREQ(tip.FirstLine(), "Arrange");
    EXPECT_EQ(std::string(tip.SecondLine().Buffer()), rest);
    EXPECT_EQ(tip.Shape().y, 2 * line + 4);
    EXPECT_EQ(tip.Shape().x, font->StringWidth(rest.c_str()) + 14);

    // A single word wider than the window stays on one line.
    std::string word(120, 'W');
    tip.Go(fWindow, Quor_Point(10, 10), word.c_str());
    EXPECT_FALSE(tip.IsTwoLines());
    EXPECT_EQ(tip.Shape().y, line + 4);
    EXPECT_EQ(tip.Frame().left, 0) << "pushed left, but not past the window's edge";

    // Near the right and bottom edges the tip moves in.
    tip.Go(fWindow, Quor_Point(380, 290), "Zoom");
    const int width = font->StringWidth("Zoom") + 14;
    EXPECT_EQ(tip.Frame().left, 380 - (380 + width - 1 - (kWidth - 1)) - 6);
    EXPECT_EQ(tip.Frame().top, 290 + 20 - 40);
    tip.RemoveMe();
}

TEST_F(QuorToolTip, OwnersThatGoAwayLeaveNoTipOrTimerBehind)
{
    // Catches a deleted button whose pending tip still fires into freed memory, a deleted
    // button whose showing tip stays in the window's layer list, and two tips up at once.
    Quor_BaseImage icon;
    MakeIcon(&icon, 32);
    Quor_Button* first = Place(new Quor_Button(&icon.Image(), "First", 1, false, 3), 40, 40);
    Quor_Button* second = Place(new Quor_Button(&icon.Image(), "Second", 2, false, 3), 100, 40);
    Open();
    const int layers = fWindow->CountLayers();

    Move(50, 50);
    ASSERT_TRUE(first->ToolTip() != nullptr && first->ToolTip()->IsPending());
    fLayer->RemoveChild(first);
    delete first;
    Wait(1000);
    EXPECT_EQ(fWindow->CountLayers(), layers);

    Rest(110, 50);
    Quor_ToolTip* tip = second->ToolTip();
    ASSERT_TRUE(tip->IsShowing());
    Quor_ToolTip other;
    other.SetShowDelay(0.0f);
    other.Go(fWindow, Quor_Point(110, 50), "Other");
    EXPECT_FALSE(tip->IsShowing()) << "one tip at a time";
    EXPECT_EQ(Quor_ToolTip::gCurrentToolTip, &other);
    other.RemoveMe();

    Rest(111, 50);
    ASSERT_TRUE(second->ToolTip()->IsShowing());
    fLayer->RemoveChild(second);
    delete second;
    EXPECT_EQ(fWindow->CountLayers(), layers);
    EXPECT_EQ(Quor_ToolTip::gCurrentToolTip, nullptr);
    Move(200, 200);
    Wait(4000);
}
