// Angle knobs: the angle of the pointer seen from the centre, Shift snapping, wheel steps with
// their modifiers, wrapping by whole turns, and how they look.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/framework/platform/Quor_HostEvent.h"
#include "toolkit/widgets/Quor_AngleKnob.h"

using namespace quor_test;

namespace {

float Degrees(float radians)
{
    return static_cast<float>(radians * 180.0 / std::numbers::pi);
}

}  // namespace

class QuorAngleKnob : public WidgetWindowTest {};

TEST_F(QuorAngleKnob, PointerDirectionSetsTheAngleAndShiftSnapsToFortyFive)
{
    // Catches y measured downward (angles mirrored), a centre off by half a pixel, snapping that
    // truncates (50 degrees giving 45 is right, 67 must give 45 and 68 must give 90), and angles
    // left negative instead of wrapped.
    WhatLog log;
    Quor_AngleKnob* knob = Place(new Quor_AngleKnob(true, 31, 3), 20, 20);
    knob->SetHandler(&log);
    Open();
    ASSERT_EQ(knob->Shape(), Quor_Point(30, 30));
    // The centre is (14.5, 14.5) in the knob: points far along a direction give its angle.
    struct Case { double degrees; bool shift; float expected; };
    const Case cases[] = {
        {50, false, 50}, {50, true, 45}, {90, false, 90}, {180, false, 180}, {-90, false, 270},
        {67, true, 45}, {68, true, 90}, {-22, true, 0}, {-23, true, 315},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.degrees) + (c.shift ? " with shift" : ""));
        const double a = c.degrees * std::numbers::pi / 180.0;
        const Quor_Point far(static_cast<int>(std::lround(14.5 + 1000 * std::cos(a))),
                             static_cast<int>(std::lround(14.5 - 1000 * std::sin(a))));
        EXPECT_NEAR(Degrees(knob->AngleAt(far, c.shift)), c.expected, 0.06f);
    }

    // Presses on the knob: the press and the release each set the angle and send.
    const int clicks[][2] = {{34 + 12, 34}, {34, 34 - 12}, {34 - 12, 34 + 12}};
    for (const auto& at : clicks) {
        Click(at[0], at[1]);
        EXPECT_FLOAT_EQ(knob->Value(), knob->AngleAt(Quor_Point(at[0] - 20, at[1] - 20), false));
    }
    // About 49 degrees, snapped with Shift.
    Click(34 + 7, 34 - 8, 1, QUOR_HOST_SHIFT);
    EXPECT_FLOAT_EQ(Degrees(knob->Value()), 45.0f);
    EXPECT_EQ(log.Count(31), 2 * 4) << "the press and the release each send";
}

TEST_F(QuorAngleKnob, WheelStepsByFiveOrWithCtrlByTwoAndAHalfOrTenAndWraps)
{
    // Catches the fine and coarse steps swapped or ignored, a wheel that runs below zero or past
    // a whole turn, and a disabled knob that still turns.
    WhatLog log;
    Quor_AngleKnob* knob = Place(new Quor_AngleKnob(false, 31, 3), 20, 20);
    knob->SetHandler(&log);
    Open();
    struct Case { int notches; unsigned int modifiers; float degrees; };
    const Case cases[] = {
        {1, 0, 5.0f}, {1, QUOR_HOST_CTRL, 7.5f}, {1, QUOR_HOST_CTRL | QUOR_HOST_SHIFT, 17.5f}, {-1, 0, 12.5f},
        {-1, QUOR_HOST_CTRL | QUOR_HOST_SHIFT, 2.5f}, {-1, 0, 357.5f}, {1, QUOR_HOST_CTRL, 0.0f},
    };
    for (const Case& c : cases) {
        Wheel(30, 30, c.notches, c.modifiers);
        EXPECT_NEAR(Degrees(knob->Value()), c.degrees, 1e-3f);
        EXPECT_GE(knob->Value(), 0.0f);
        EXPECT_LT(knob->Value(), static_cast<float>(2.0 * std::numbers::pi));
    }
    EXPECT_EQ(log.Count(31), 7);
    knob->Enable(false);
    Wheel(30, 30, 1);
    EXPECT_EQ(log.Count(31), 7);

    for (float v : {-0.5f, 7.0f, 100.0f, std::nanf("")}) {
        knob->SetValue(v);
        EXPECT_GE(knob->Value(), 0.0f) << v;
        EXPECT_LT(knob->Value(), static_cast<float>(2.0 * std::numbers::pi)) << v;
    }
}

TEST_F(QuorAngleKnob, LooksRightWithGuidesAndDisabled)
{
    // Catches a pointer drawn in the mirrored direction and guides that are missing or drawn
    // in the disabled state's outline colour.
    Quor_AngleKnob* guides = Place(new Quor_AngleKnob(true, 1, 3), 4, 4);
    Quor_AngleKnob* plain = Place(new Quor_AngleKnob(false, 2, 3), 40, 4);
    Quor_AngleKnob* off = Place(new Quor_AngleKnob(true, 3, 3), 76, 4);
    guides->SetValue(static_cast<float>(std::numbers::pi / 6));
    plain->SetValue(static_cast<float>(std::numbers::pi * 1.25));
    off->SetValue(static_cast<float>(std::numbers::pi / 2));
    off->Enable(false);
    Open();
    ExpectGolden(Quor_Rect(0, 0, 109, 37), "angle_knobs.png");
}
