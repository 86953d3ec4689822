// Tab views: which page shows after activation, presses on the strip, the size they ask for, and
// how they look.
#include <gtest/gtest.h>

#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/widgets/Quor_TabView.h"
#include "toolkit/widgets/Quor_TextControl.h"

using namespace quor_test;

class QuorTabView : public WidgetWindowTest {};

TEST_F(QuorTabView, ActivationIsClampedAndAThirteenthTabIsRefused)
{
    // Catches an index past the last tab reading beyond the page table, a negative index kept,
    // and a thirteenth tab written past the fixed arrays (ASan) or leaked.
    Quor_TabView* tabs = Place(new Quor_TabView(QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP), 10, 10);
    Quor_View* pages[3] = {SizedView(100, 60), SizedView(120, 40), SizedView(80, 80)};
    EXPECT_EQ(tabs->AddTab("One", pages[0]), 1);
    EXPECT_EQ(tabs->AddTab("Two", pages[1]), 2);
    EXPECT_EQ(tabs->AddTab("Three", pages[2]), 3);
    tabs->DoLayout();
    Open();

    struct Case { int asked; int shown; };
    const Case cases[] = {{5, 2}, {1, 1}, {-3, 0}, {2, 2}, {3, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE("activate " + std::to_string(c.asked));
        tabs->ActivateTab(c.asked);
        EXPECT_EQ(tabs->ActiveTab(), c.shown);
        ASSERT_EQ(tabs->CountChildren(), 1);
        EXPECT_EQ(tabs->GetChild(0), pages[c.shown]);
        // The page sits below the strip, 8 pixels in, centred when narrower than the area.
        EXPECT_EQ(pages[c.shown]->Frame().top, tabs->StripHeight() + 8);
        const int area = tabs->Shape().x - 16;
        EXPECT_EQ(pages[c.shown]->Frame().left, 8 + (area - pages[c.shown]->Shape().x) / 2);
    }

    for (int i = 3; i < Quor_TabView::kMaxTabs; ++i)
        EXPECT_EQ(tabs->AddTab("More", SizedView(10, 10)), i + 1);
    EXPECT_EQ(tabs->AddTab("Too many", SizedView(10, 10)), Quor_TabView::kMaxTabs);
    EXPECT_EQ(tabs->CountTabs(), Quor_TabView::kMaxTabs);
    tabs->ActivateTab(100);
    EXPECT_EQ(tabs->ActiveTab(), Quor_TabView::kMaxTabs - 1);
}

TEST_F(QuorTabView, APressOnATabShowsItsPage)
{
    // Catches tab spans measured without the overlap (a press on the second tab showing the
    // first), presses below the strip switching pages, and a press going to a hidden page.
    Quor_TabView* tabs = Place(new Quor_TabView(QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP), 0, 0);
    tabs->AddTab("Alpha", SizedView(200, 100));
    tabs->AddTab("Beta", SizedView(200, 100));
    tabs->AddTab("Gamma", SizedView(200, 100));
    tabs->DoLayout();
    Open();
    const int y = tabs->StripHeight() / 2;

    // Tab 1 starts where tab 0 ends less the 2-pixel overlap.
    EXPECT_EQ(tabs->TabLeft(1), 8 + tabs->TabWidth(0) - 2);
    Click(tabs->TabLeft(1) + 3, y);
    EXPECT_EQ(tabs->ActiveTab(), 1);
    Click(tabs->TabLeft(2) + tabs->TabWidth(2) - 2, y);
    EXPECT_EQ(tabs->ActiveTab(), 2);
    Click(tabs->TabLeft(0) + 1, y);
    EXPECT_EQ(tabs->ActiveTab(), 0);
    // Below the strip, and beyond the last tab: nothing changes.
    Click(tabs->TabLeft(1) + 5, tabs->StripHeight() + 2);
    Click(tabs->TabLeft(2) + tabs->TabWidth(2) + 5, y);
    EXPECT_EQ(tabs->ActiveTab(), 0);

    // The keyboard does not stay on a field of a page that has gone: typing after a switch
    // reaches no hidden field, and the field coming back does not think it has the keyboard.
    auto* field = new Quor_TextControl(120, "", 0, Quor_TextControl::kText, QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP);
    tabs->Page(0)->AddChild(field);
    field->SetLocation(10, 10);
    field->Focus(true);
    Type("a");
    ASSERT_STREQ(field->Value(), "a");
    Click(tabs->TabLeft(1) + 3, y);
    EXPECT_FALSE(field->IsFocused());
    Type("b");
    Click(tabs->TabLeft(0) + 3, y);
    Type("c");
    EXPECT_STREQ(field->Value(), "a") << "keys reached a field of a hidden page";
    EXPECT_FALSE(field->IsFocused());
}

TEST_F(QuorTabView, PreferredSizeHoldsTheWidestPageAndTheWholeStrip)
{
    // Catches a view sized for its pages only, which cuts off the last tabs, and a height that
    // forgets the strip.
    Quor_TabView tabs(QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP);
    tabs.AddTab("A", SizedView(300, 50));
    tabs.AddTab("B", SizedView(100, 120));
    EXPECT_EQ(tabs.PreferredSize(), Quor_Point(316, 120 + tabs.StripHeight() + 16));

    Quor_TabView narrow(QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP);
    for (int i = 0; i < 6; ++i)
        narrow.AddTab("A long label", SizedView(20, 20));
    const int last = narrow.TabLeft(5) + narrow.TabWidth(5);
    EXPECT_GE(narrow.PreferredSize().x, last + 8);
}

TEST_F(QuorTabView, LooksLikeItsGolden)
{
    // Catches tabs drawn in the wrong order (a later tab covering an earlier one), an active tab
    // not opened into its page, and labels off centre.
    Quor_TabView* tabs = Place(new Quor_TabView(QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP), 4, 4);
    tabs->AddTab("General", SizedView(180, 50));
    tabs->AddTab("Colors", SizedView(180, 50));
    tabs->AddTab("Fonts", SizedView(180, 50));
    tabs->DoLayout();
    tabs->ActivateTab(1);
    Open();
    ExpectGolden(tabs, "tab_view.png");
}
