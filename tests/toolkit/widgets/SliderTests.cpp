// Sliders: how the pointer maps to a value along the track, the messages of a drag, ranges
// that shrink or are empty, and how they look.
#include <gtest/gtest.h>

#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/widgets/Quor_Slider.h"

using namespace quor_test;

class QuorSlider : public WidgetWindowTest {};

TEST_F(QuorSlider, PointerMapsOntoTheTrackInsetByHalfAKnobAndADragSendsEveryStep)
{
    // Catches a track measured over the whole length (press at x = 8 not giving the minimum),
    // truncation instead of rounding (x = 55 giving 5), a press past the end not clamped, a
    // vertical slider mapped on the wrong axis, a slider that reports only the final value of a
    // drag or sends again on the release, and a disabled slider that moves.
    ASSERT_EQ(Quor_Slider::Thickness(), 16);
    WhatLog log;
    Quor_Slider* slider = Place(new Quor_Slider(110, false, false, 21, 3), 0, 20);
    Quor_Slider* upright = Place(new Quor_Slider(110, true, false, 22, 3), 200, 0);
    slider->SetHandler(&log);
    upright->SetHandler(&log);
    Open();
    struct Case { int at; int value; };
    const Case cases[] = {{8, 1}, {55, 6}, {101, 10}, {109, 10}, {0, 1}, {18, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE("at " + std::to_string(c.at));
        Click(c.at, 28);
        EXPECT_EQ(slider->Value(), c.value);
        Click(208, c.at);
        EXPECT_EQ(upright->Value(), c.value);
    }
    EXPECT_EQ(log.Count(21), 6) << "a click sends once, with the press";
    EXPECT_EQ(log.Count(22), 6);

    Press(8, 28);
    Move(30, 28);
    Move(55, 28);
    Release(55, 28);
    EXPECT_EQ(slider->Value(), 6);
    EXPECT_EQ(log.Count(21), 6 + 3);
    Move(80, 28);
    EXPECT_EQ(slider->Value(), 6) << "moves without a button do nothing";

    slider->Enable(false);
    Click(100, 28);
    EXPECT_EQ(slider->Value(), 6);
    EXPECT_EQ(log.Count(21), 6 + 3);
}

TEST_F(QuorSlider, LooksRightWithTicksUprightAndDisabled)
{
    // Catches a knob off its value, ticks off the track, and a disabled slider drawn with its
    // outlines.
    Quor_Slider* ticks = Place(new Quor_Slider(140, false, true, 1, 3), 4, 4);
    Quor_Slider* plain = Place(new Quor_Slider(140, false, false, 2, 3), 4, 26);
    Quor_Slider* off = Place(new Quor_Slider(140, false, true, 3, 3), 4, 48);
    Quor_Slider* upright = Place(new Quor_Slider(64, true, true, 4, 3), 150, 4);
    ticks->SetValue(4);
    plain->SetRange(0, 100);
    plain->SetValue(75);
    off->SetValue(7);
    off->Enable(false);
    upright->SetRange(1, 5);
    upright->SetValue(2);
    Open();
    ExpectGolden(Quor_Rect(0, 0, 169, 71), "sliders.png");
}
