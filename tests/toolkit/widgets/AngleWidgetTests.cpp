// Angle widgets: the knob and the degree field following each other, and what the widget sends.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>

#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/widgets/Quor_AngleKnob.h"
#include "toolkit/widgets/Quor_AngleWidget.h"
#include "toolkit/widgets/Quor_TextControl.h"

using namespace quor_test;

class QuorAngleWidget : public WidgetWindowTest {};

TEST_F(QuorAngleWidget, KnobAndFieldFollowEachOtherInDegrees)
{
    // Catches the field shown in radians or the knob fed degrees, the inner controls' codes
    // leaking up instead of the widget's own, and a field that stops at the knob's turn.
    WhatLog log;
    Quor_AngleWidget* widget = Place(new Quor_AngleWidget(44, true, 3), 20, 20);
    widget->SetHandler(&log);
    Open();
    Quor_AngleKnob* knob = widget->Knob();
    Quor_TextControl* field = widget->Field();
    ASSERT_NE(knob, nullptr);
    ASSERT_NE(field, nullptr);
    EXPECT_STREQ(field->Value(), "0.00");
    EXPECT_GE(field->Shape().x, 2 * knob->Shape().x);
    EXPECT_GT(field->Frame().top, knob->Frame().top) << "the field sits below the knob";

    widget->SetValue(static_cast<float>(std::numbers::pi / 2));
    EXPECT_STREQ(field->Value(), "90.00");
    EXPECT_TRUE(log.whats.empty()) << "SetValue is quiet";

    // A click left of the knob's centre: about 180 degrees, shown with two decimals.
    Quor_Point centre(knob->Shape().x / 2, knob->Shape().y / 2);
    knob->ViewToWnd(centre);
    Click(centre.x - 12, centre.y);
    char shown[32];
    std::snprintf(shown, sizeof shown, "%.2f", knob->Value() * 180.0 / std::numbers::pi);
    EXPECT_STREQ(field->Value(), shown);
    EXPECT_NEAR(knob->Value(), std::numbers::pi, 0.1);
    EXPECT_EQ(log.whats, std::vector<int>({44, 44}));

    // Typing into the field turns the knob.
    Quor_Point at(5, 5);
    field->ViewToWnd(at);
    Click(at.x, at.y);
    field->SelectAll();
    log.whats.clear();
    Type("45");
    EXPECT_NEAR(knob->Value(), std::numbers::pi / 4, 1e-5);
    EXPECT_EQ(log.Count(44), static_cast<int>(log.whats.size()));
    EXPECT_GE(log.whats.size(), 1u);
    EXPECT_NEAR(widget->Value(), std::numbers::pi / 4, 1e-5);
}
