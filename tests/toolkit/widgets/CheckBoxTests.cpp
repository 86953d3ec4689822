// Check boxes: toggling by the pointer and quietly, disabled boxes, sizes, and their look.
#include <gtest/gtest.h>

#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/widgets/Quor_CheckBox.h"
#include "toolkit/widgets/Quor_RadioButton.h"

using namespace quor_test;

class QuorCheckBox : public WidgetWindowTest {};

TEST_F(QuorCheckBox, ReleaseOverTheBoxTogglesAndSendsSetValueStaysQuiet)
{
    // Catches a toggle on the press or on a release outside, SetValue that sends, and a
    // disabled box the pointer can still toggle (while SetValue must still work on it).
    WhatLog log;
    Quor_CheckBox* box = Place(new Quor_CheckBox("Snap", 9, 3), 20, 20);
    box->SetHandler(&log);
    Open();
    ASSERT_EQ(box->Shape(), Quor_Point(12 + Quor_App::gRegularFont->StringWidth("Snap") + 8, 18));

    Press(25, 28);
    EXPECT_TRUE(box->IsPressed());
    Move(25, 120);
    EXPECT_FALSE(box->IsPressed());
    Release(25, 120);
    EXPECT_FALSE(box->Value());
    EXPECT_TRUE(log.whats.empty());

    Click(25, 28);
    EXPECT_TRUE(box->Value());
    Click(40, 28);
    EXPECT_FALSE(box->Value());
    EXPECT_EQ(log.whats, std::vector<int>({9, 9}));

    box->SetValue(true);
    EXPECT_TRUE(box->Value());
    box->Enable(false);
    Click(25, 28);
    EXPECT_TRUE(box->Value());
    box->SetValue(false);
    EXPECT_FALSE(box->Value());
    EXPECT_EQ(log.whats.size(), 2u);
}

TEST_F(QuorCheckBox, MarksLookRightOffOnPressedAndDisabled)
{
    // Catches a tick or dot drawn for the wrong value, a bevel not swapped while pressed, and
    // disabled marks drawn with their outline or at full strength.
    struct Item { bool radio; bool value; bool enabled; };
    const Item items[] = {
        {false, false, true}, {false, true, true}, {false, false, true}, {false, true, false}, {false, false, false},
        {true, false, true},  {true, true, true},   {true, false, true},  {true, true, false},  {true, false, false},
    };
    Quor_View* rows[2] = {Place(SizedView(5 * 72, 20), 4, 4), Place(SizedView(5 * 72, 20), 4, 26)};
    Quor_CheckBox* pressed[2] = {};
    for (int i = 0; i < 10; ++i) {
        const Item& it = items[i];
        const char* label = it.value ? "On" : "Off";
        Quor_CheckBox* box = it.radio ? new Quor_RadioButton(label, i, 3) : new Quor_CheckBox(label, i, 3);
        // Each radio button in a group of its own, so that each keeps its value.
        Quor_View* cell = SizedView(70, 18);
        cell->SetLocation((i % 5) * 72, 1);
        cell->AddChild(box);
        rows[it.radio ? 1 : 0]->AddChild(cell);
        box->SetValue(it.value);
        box->Enable(it.enabled);
        if (i % 5 == 2)
            pressed[it.radio ? 1 : 0] = box;
    }
    Open();
    // Hold the third mark of the first row pressed.
    Press(4 + 2 * 72 + 4, 4 + 10);
    EXPECT_TRUE(pressed[0]->IsPressed());
    ExpectGolden(Quor_Rect(0, 0, 5 * 72 + 7, 49), "check_boxes.png");
    Release(400, 200);
    EXPECT_FALSE(pressed[0]->Value());
}
