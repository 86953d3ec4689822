// Tool bars: cells cut from the strip images, push, radio and toggle buttons acting on the
// release or the press, the fixed table of 32 buttons, and which image each button shows.
#include <gtest/gtest.h>

#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/widgets/Quor_ToolBar.h"
#include "toolkit/widgets/Quor_ToolTip.h"

using namespace quor_test;

namespace {

constexpr rgb_color kNormal{200, 200, 200, 255};
constexpr rgb_color kSet{60, 60, 120, 255};
constexpr rgb_color kDisabled{230, 230, 230, 255};
constexpr rgb_color kHover{250, 230, 90, 255};

// A strip of 101 x 24 pixels in one colour.
void Strip(Quor_BaseImage* image, rgb_color color)
{
    ASSERT_EQ(image->Initialize(101, 24, 32), 0);
    image->Clear(color);
}

}  // namespace

class QuorToolBar : public WidgetWindowTest {
protected:
    // Four cells of 25 x 24 in a 101 x 24 strip: push 11, radio 12 and 13, toggle 14.
    Quor_ToolBar* MakeBar(bool withHover)
    {
        Strip(&fNormal, kNormal);
        Strip(&fSet, kSet);
        Strip(&fDisabled, kDisabled);
        Strip(&fHover, kHover);
        Quor_ToolBar* bar = Place(new Quor_ToolBar(&fNormal.Image(), &fSet.Image(), &fDisabled.Image(),
                                                   withHover ? &fHover.Image() : nullptr, 3),
                                  10, 10);
        bar->SetButtonRange(4, 1);
        EXPECT_TRUE(bar->SetButtonInfo(0, 0, 11, "Rotate", Quor_ToolBar::kPush));
        EXPECT_TRUE(bar->SetButtonInfo(1, 0, 12, "Move", Quor_ToolBar::kRadio));
        EXPECT_TRUE(bar->SetButtonInfo(2, 0, 13, "Pan", Quor_ToolBar::kRadio));
        EXPECT_TRUE(bar->SetButtonInfo(3, 0, 14, "Snap", Quor_ToolBar::kToggle));
        bar->SetHandler(&fLog);
        return bar;
    }
    // The window point in the middle of cell i of the bar.
    int CellX(int i) { return 10 + i * 25 + 12; }

    Quor_BaseImage fNormal, fSet, fDisabled, fHover;
    WhatLog fLog;
};

TEST_F(QuorToolBar, SetRadioIgnoresPressesAndAToggleFlipsOnEachClick)
{
    // Catches a set radio button that sends again, two radio buttons set at once, a toggle that
    // sends only when it turns on, a push button that stays set, and a bar that acts on the
    // press and again on the release.
    Quor_ToolBar* bar = MakeBar(false);
    Open();
    bar->UnsetAllButtons(13);
    Click(CellX(2), 20);
    EXPECT_TRUE(fLog.whats.empty()) << "the set radio button ignores the press";
    Click(CellX(1), 20);
    EXPECT_TRUE(bar->IsButtonSet(12));
    EXPECT_FALSE(bar->IsButtonSet(13));
    Click(CellX(3), 20);
    EXPECT_TRUE(bar->IsButtonSet(14));
    Click(CellX(3), 20);
    EXPECT_FALSE(bar->IsButtonSet(14));
    Click(CellX(0), 20);
    EXPECT_FALSE(bar->IsButtonSet(11));
    EXPECT_EQ(fLog.whats, (std::vector<int>{12, 14, 14, 11}));

    // A press dragged off its button sends nothing; a disabled button ignores presses.
    Press(CellX(0), 20);
    Move(CellX(2), 20);
    Release(CellX(2), 20);
    bar->EnableButton(13, false);
    Click(CellX(2), 20);
    EXPECT_EQ(fLog.whats.size(), 4u);
    EXPECT_TRUE(bar->IsActiveEnabled());
    bar->EnableButton(12, false);
    EXPECT_FALSE(bar->IsActiveEnabled());

    // The first enabled radio button takes over.
    bar->EnableButton(13, true);
    EXPECT_TRUE(bar->ActivateFirstButton());
    EXPECT_TRUE(bar->IsButtonSet(13));
    EXPECT_FALSE(bar->IsButtonSet(12));
    EXPECT_EQ(fLog.whats.back(), 13);
    bar->DisableAllButtons();
    EXPECT_FALSE(bar->ActivateFirstButton());

    // Acting on the press: once, not again on the release.
    bar->EnableButton(11, true);
    bar->EnableButton(12, true);
    bar->ActivateOnMouseDown(true);
    fLog.whats.clear();
    Press(CellX(1), 20);
    EXPECT_TRUE(bar->IsButtonSet(12)) << "set at the press";
    Release(CellX(1), 20);
    Click(CellX(0), 20);
    EXPECT_EQ(fLog.whats, (std::vector<int>{12, 11}));
}

TEST_F(QuorToolBar, CellsReachTheImageEdgeAndTheTableHoldsThirtyTwo)
{
    // Catches a remainder column left dead, a button index past the table written anyway (a
    // grid of 6 x 6 has 36 cells), and cells of buttons that were never defined answering.
    Quor_ToolBar* bar = MakeBar(true);
    EXPECT_EQ(bar->GetButtonRect(0), Quor_Rect(0, 0, 24, 23));
    EXPECT_EQ(bar->GetButtonRect(3), Quor_Rect(75, 0, 100, 23));
    EXPECT_EQ(bar->ButtonAt(Quor_Point(100, 5)), 3);
    EXPECT_FALSE(bar->SetButtonInfo(4, 0, 15, "", Quor_ToolBar::kPush));
    EXPECT_FALSE(bar->SetButtonInfo(0, 0, 15, "", 7));

    bar->SetButtonRange(6, 6);
    EXPECT_TRUE(bar->SetButtonInfo(1, 5, 40, "", Quor_ToolBar::kPush));    // index 31
    EXPECT_FALSE(bar->SetButtonInfo(2, 5, 41, "", Quor_ToolBar::kPush));   // index 32
    EXPECT_FALSE(bar->SetButtonInfo(5, 5, 42, "", Quor_ToolBar::kPush));   // index 35
    EXPECT_TRUE(bar->HasButton(40));
    EXPECT_FALSE(bar->HasButton(42));
    EXPECT_EQ(bar->ButtonAt(Quor_Point(100, 23)), -1);
}

TEST_F(QuorToolBar, EachButtonShowsTheImageOfItsState)
{
    // Catches a pressed button not drawn from the set image, a hovered one not from the hover
    // image, a set radio drawn normal, and a disabled button drawn from another image.
    Quor_ToolBar* bar = MakeBar(true);
    bar->UnsetAllButtons(12);
    bar->EnableButton(14, false);
    Open();
    std::vector<rgb_color> cells;
    for (int i = 0; i < 4; ++i)
        cells.push_back(Shown(CellX(i), 20));
    EXPECT_EQ(cells, (std::vector<rgb_color>{kNormal, kSet, kNormal, kDisabled}));
    Move(CellX(2), 20);
    EXPECT_EQ(Shown(CellX(2), 20), kHover);
    ASSERT_NE(bar->ToolTip(), nullptr);
    Wait(800);
    EXPECT_TRUE(bar->ToolTip()->IsShowing());
    EXPECT_STREQ(bar->ToolTip()->Text(), "Pan");
    Press(CellX(0), 20);
    EXPECT_FALSE(bar->ToolTip()->IsShowing());
    EXPECT_EQ(Shown(CellX(0), 20), kSet);
    Move(CellX(0), 60);
    EXPECT_EQ(Shown(CellX(0), 20), kNormal) << "the pointer left the pressed button";
    Release(CellX(0), 60);
}
