// Scroll bars: the parts under the pointer, the auto-repeat of arrows and page areas on the
// event clock, dragging the thumb, ranges that are empty or change, and how they look.
#include <gtest/gtest.h>

#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/widgets/Quor_ScrollBar.h"

using namespace quor_test;

class QuorScrollBar : public WidgetWindowTest {
protected:
    // A horizontal bar 200 long at (20, 40) whose messages go to the log.
    Quor_ScrollBar* HorizontalBar()
    {
        Quor_ScrollBar* bar = Place(new Quor_ScrollBar(200, false, 55, 3), 20, 40);
        bar->SetHandler(&fLog);
        return bar;
    }
    WhatLog fLog;
};

TEST_F(QuorScrollBar, PartsLieWhereTheThumbShowsTheValue)
{
    // Catches arrows or a thumb measured from the wrong end, a thumb that runs over the arrows
    // at the ends of the range, and a division by an empty range.
    ASSERT_EQ(Quor_ScrollBar::Thickness(), 16);
    Quor_ScrollBar bar(200, false, 1, 3);
    EXPECT_EQ(bar.Shape(), Quor_Point(200, 16));
    // The thumb is two thicknesses long and meets each arrow at the ends of the range.
    const int cases[][2] = {{0, 16}, {100, 152}, {50, 84}, {-20, 16}, {500, 152}};
    for (const auto& c : cases) {
        bar.SetValue(c[0]);
        EXPECT_EQ(bar.ThumbRect(), Quor_Rect(c[1], 0, c[1] + 31, 15)) << "value " << c[0];
    }
    bar.SetValue(50);
    const int parts[][2] = {{-1, Quor_ScrollBar::kNone},        {0, Quor_ScrollBar::kStartArrow},
                            {15, Quor_ScrollBar::kStartArrow},  {16, Quor_ScrollBar::kPageBefore},
                            {100, Quor_ScrollBar::kThumb},      {183, Quor_ScrollBar::kPageAfter},
                            {184, Quor_ScrollBar::kEndArrow},   {200, Quor_ScrollBar::kNone}};
    for (const auto& p : parts)
        EXPECT_EQ(bar.PickTarget(Quor_Point(p[0], 5)), p[1]) << "x " << p[0];
}

TEST_F(QuorScrollBar, HeldArrowRepeatsEveryElevenHundredthsWhileThePointerStaysOnIt)
{
    // Catches a repeat on the wall clock or at the wrong period, a repeat that goes on while
    // the pointer is off the arrow, one that runs past the maximum, and a timer left running
    // after the release.
    Quor_ScrollBar* bar = HorizontalBar();
    bar->SetRange(0, 100);
    Open();
    const int arrowX = 20 + 200 - 5;
    Press(arrowX, 48);
    EXPECT_EQ(bar->Value(), 5) << "the first step comes with the press";
    Wait(330);
    EXPECT_EQ(bar->Value(), 20) << "one step per 0.11 s";

    Move(arrowX - 40, 48);
    Wait(440);
    EXPECT_EQ(bar->Value(), 20) << "no stepping while the pointer is off the arrow";
    Move(arrowX, 48);
    Wait(110);
    EXPECT_EQ(bar->Value(), 25);

    Wait(3000);
    EXPECT_EQ(bar->Value(), 100);
    const size_t sent = fLog.whats.size();
    EXPECT_EQ(sent, 20u) << "one message per step, none once the maximum is reached";
    Release(arrowX, 48);
    Wait(500);
    EXPECT_EQ(fLog.whats.size(), sent);

    // The start arrow steps back the same way.
    Press(22, 48);
    Release(22, 48);
    EXPECT_EQ(bar->Value(), 95);
}

TEST_F(QuorScrollBar, PageAreasStepUntilTheThumbReachesThePointer)
{
    // Catches page steps in the wrong direction and a page area that keeps paging once the
    // thumb has arrived under the pointer.
    Quor_ScrollBar* bar = HorizontalBar();
    bar->SetRange(0, 100);
    bar->SetStepSize(5, 10);
    Open();
    // The pointer over the track near its far end, where value 90 would put the thumb's centre.
    const int x = 20 + 32 + 122;
    Press(x, 48);
    EXPECT_EQ(bar->Value(), 10);
    Wait(2000);
    const int reached = bar->Value();
    EXPECT_GE(reached, 80);
    EXPECT_LE(reached, 100);
    EXPECT_EQ(bar->PickTarget(Quor_Point(x - 20, 8)), Quor_ScrollBar::kThumb);
    Release(x, 48);

    Press(20 + 20, 48);
    Wait(110);
    Release(20 + 20, 48);
    EXPECT_EQ(bar->Value(), reached - 20);
}

TEST_F(QuorScrollBar, DraggedThumbFollowsThePointerAndStopsAtTheEnds)
{
    // Catches a thumb that jumps by where it was taken, values outside the range at the ends,
    // and a disabled bar that still moves.
    Quor_ScrollBar* bar = HorizontalBar();
    bar->SetRange(0, 136);
    Open();
    // Value 0: the thumb covers x 16..47 of the bar; take it 10 pixels right of its centre.
    Press(20 + 42, 48);
    EXPECT_EQ(bar->Value(), 0);
    Move(20 + 42 + 34, 48);
    EXPECT_EQ(bar->Value(), 34);
    Move(20 + 400, 48);
    EXPECT_EQ(bar->Value(), 136);
    Move(0, 48);
    EXPECT_EQ(bar->Value(), 0);
    Release(0, 48);
    EXPECT_EQ(fLog.Count(55), 3);

    bar->Enable(false);
    Press(20 + 42, 48);
    Move(20 + 100, 48);
    Release(20 + 100, 48);
    EXPECT_EQ(bar->Value(), 0);
}

TEST_F(QuorScrollBar, LooksRightHorizontalVerticalPressedAndDisabled)
{
    // Catches arrows pointing the wrong way, a thumb off its value, a pressed arrow not drawn
    // down, and a disabled bar that shows a thumb.
    Quor_ScrollBar* horizontal = Place(new Quor_ScrollBar(120, false, 1, 3), 4, 4);
    Quor_ScrollBar* vertical = Place(new Quor_ScrollBar(90, true, 2, 3), 130, 4);
    Quor_ScrollBar* disabled = Place(new Quor_ScrollBar(120, false, 3, 3), 4, 28);
    horizontal->SetValue(30);
    vertical->SetValue(70);
    disabled->Enable(false);
    Open();
    Press(132, 90);   // the vertical bar's end arrow, held
    ExpectGolden(Quor_Rect(0, 0, 149, 97), "scroll_bars.png");
    Release(132, 90);
}
