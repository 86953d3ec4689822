// Push buttons: what a press, a drag off and back and a release send, their sizes, the icon
// button's tool tip, and how they look in each state.
#include <gtest/gtest.h>

#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_ShortButton.h"
#include "toolkit/widgets/Quor_ToolTip.h"

using namespace quor_test;

class QuorButton : public WidgetWindowTest {};

TEST_F(QuorButton, OnlyAReleaseOverTheButtonSendsItsCode)
{
    // Catches a button that acts on the press, one that acts on a release after the pointer was
    // dragged off, one that forgets the press when the pointer comes back, and a disabled
    // button that still sends.
    WhatLog log;
    Quor_Button* button = Place(new Quor_Button("Apply", 77, 80, false, QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP), 20, 20);
    button->SetHandler(&log);
    Open();

    Press(30, 30);
    EXPECT_TRUE(button->IsPressed());
    EXPECT_TRUE(log.whats.empty());
    Move(200, 200);
    EXPECT_FALSE(button->IsPressed()) << "drawn pushed in while the pointer is off it";
    Release(200, 200);
    EXPECT_TRUE(log.whats.empty()) << "a release outside must cancel";

    Press(30, 30);
    Move(200, 30);
    Move(35, 32);
    EXPECT_TRUE(button->IsPressed());
    Release(35, 32);
    EXPECT_EQ(log.whats, std::vector<int>({77}));

    button->Enable(false);
    Click(30, 30);
    EXPECT_EQ(log.whats.size(), 1u);
}

TEST_F(QuorButton, SizesFollowTheLabelTheMinimumAndTheFont)
{
    // Catches the padding or the minimum width applied wrongly, and a short button sized like a
    // full one (the golden picture holds buttons without a minimum, and icon buttons).
    ASSERT_EQ(Quor_BaseWidget::BaseWidgetHeight(), 18);
    const int label = Quor_App::gBoldFont->StringWidth("Open");
    struct Case { const char* name; Quor_BaseWidget* widget; Quor_Point size; };
    const Case cases[] = {
        {"text, minimum below the label", new Quor_Button("Open", 1, label, false, 3), Quor_Point(label + 16, 22)},
        {"text, minimum 80", new Quor_Button("Open", 1, 80, true, 3), Quor_Point(80, 22)},
        {"short", new Quor_ShortButton("Open", 1, 0, 3), Quor_Point(label + 18, 18)},
        {"short, minimum 60", new Quor_ShortButton("Open", 1, 60, 3), Quor_Point(60, 18)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.widget->Shape(), c.size);
        delete c.widget;
    }
}

TEST_F(QuorButton, LooksRightInEachState)
{
    // Catches a lost gradient swap or content shift while pressed, a missing default outline,
    // and a disabled button drawn with its outline or dark text.
    Quor_BaseImage icon;
    MakeIcon(&icon);
    Place(new Quor_Button("Normal", 1, 0, false, 3), 8, 8);
    Place(new Quor_Button("Pressed", 2, 0, false, 3), 80, 8);
    Place(new Quor_Button("Default", 3, 0, true, 3), 152, 8);
    Place(new Quor_Button("Disabled", 4, 0, false, 3), 224, 8)->Enable(false);
    Place(new Quor_Button(&icon.Image(), "An icon", 5, false, 3), 300, 11);
    Place(new Quor_Button(&icon.Image(), "An icon", 6, false, 3), 324, 11)->Enable(false);
    Open();
    Press(85, 15);
    ExpectGolden(Quor_Rect(0, 0, 347, 37), "buttons.png");
    Release(85, 15);
}
