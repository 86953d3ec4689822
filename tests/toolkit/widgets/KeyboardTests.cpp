// The keyboard on every kind of control: Tab reaches it, Space and the arrows do what a click or
// a drag would (and send the same codes), the focus ring shows only once the keyboard was used,
// and a list's selection follows the focus in its colour.
#include <gtest/gtest.h>

#include <functional>

#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_CheckBox.h"
#include "toolkit/widgets/Quor_Menu.h"
#include "toolkit/widgets/Quor_PopupMenu.h"
#include "toolkit/widgets/Quor_RadioButton.h"
#include "toolkit/widgets/Quor_Slider.h"
#include "toolkit/widgets/Quor_TabView.h"
#include "toolkit/widgets/Quor_TextControl.h"
#include "toolkit/widgets/Quor_TextList.h"
#include "toolkit/widgets/Quor_ToolBar.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

using namespace quor_test;

namespace {

constexpr int kPageUp = 11;
constexpr int kPageDown = 12;
constexpr int kSpace = ' ';
constexpr unsigned int kFixed = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP;

bool SameRgb(rgb_color a, rgb_color b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

}  // namespace

class QuorKeyboard : public WidgetWindowTest {};

TEST_F(QuorKeyboard, KeysOnTheFocusedControlDoWhatTheMouseWould)
{
    // Catches a control Tab does not reach, a key that changes the value without sending the
    // code a click or drag sends (or sends it when nothing changed), a slider step that runs past
    // its ends, radio arrows that do not wrap round the group or set the button they reach, a
    // pop-up that moves its check mark past the first or last item, and a tool bar whose arrows
    // stop on a disabled button or whose Space acts on a radio button already set.
    struct Step { int key; unsigned int modifiers; int value; int heard; };
    struct Case {
        const char* name;
        // Places the controls, returns the value the steps read.
        std::function<std::function<int()>()> make;
        std::vector<Step> steps;
    };
    Quor_BaseImage strip;
    ASSERT_EQ(strip.Initialize(100, 24, 32), 0);
    const Case cases[] = {
        {"button",
         [this] {
             Place(new Quor_Button("Go", 7, 0, false, kFixed), 10, 10);
             return std::function<int()>([] { return 0; });
         },
         {{kSpace, 0, 0, 1}, {kHostReturn, 0, 0, 1}, {kSpace, 0, 0, 2}}},
        {"check box",
         [this] {
             auto* box = Place(new Quor_CheckBox("Keep", 7, kFixed), 10, 10);
             return std::function<int()>([box] { return box->Value() ? 1 : 0; });
         },
         {{kSpace, 0, 1, 1}, {kSpace, 0, 0, 2}, {'x', 0, 0, 2}}},
        {"radio group",
         [this] {
             // Added out of order: the arrows follow their places, not the order of adding.
             auto* c = Place(new Quor_RadioButton("C", 7, kFixed), 10, 70);
             auto* a = Place(new Quor_RadioButton("A", 7, kFixed), 10, 10);
             auto* b = Place(new Quor_RadioButton("B", 7, kFixed), 10, 40);
             return std::function<int()>([a, b, c] {
                 const int set = (a->Value() ? 1 : 0) + (b->Value() ? 2 : 0) + (c->Value() ? 4 : 0);
                 const int focus = a->IsFocused() ? 10 : b->IsFocused() ? 20 : c->IsFocused() ? 40 : 0;
                 return set + focus;
             });
         },
         {{kSpace, 0, 11, 1}, {kHostDown, 0, 22, 2}, {kHostDown, 0, 44, 3}, {kHostDown, 0, 11, 4},
          {kHostUp, 0, 44, 5}, {kHostLeft, 0, 22, 6}}},
        {"slider",
         [this] {
             auto* slider = Place(new Quor_Slider(120, false, false, 7, kFixed), 10, 10);
             slider->SetRange(0, 100);
             slider->SetValue(50);
             return std::function<int()>([slider] { return slider->Value(); });
         },
         {{kHostRight, 0, 51, 1}, {kHostLeft, 0, 50, 2}, {kHostDown, 0, 49, 3}, {kPageUp, 0, 59, 4},
          {kPageDown, 0, 49, 5}, {kHostEnd, 0, 100, 6}, {kHostRight, 0, 100, 6}, {kHostHome, 0, 0, 7},
          {kPageDown, 0, 0, 7}}},
        {"pop-up",
         [this] {
             auto* popup = Place(new Quor_PopupMenu(100, true, kFixed), 10, 10);
             auto* menu = new Quor_Menu("Kind");
             menu->AddItem("First", 0, 7);
             menu->AddItem("Off", 0, 8);
             menu->AddItem("", 0, 0);
             menu->AddItem("Last", 0, 9);
             menu->SetEnabled(8, false);
             menu->SetChecked(7, true);
             popup->SetMenu(menu);
             return std::function<int()>([menu] { return menu->FirstCheckedMsg(); });
         },
         // Space opens the menu, whose own keys then choose in it.
         {{kHostUp, 0, 7, 0}, {kHostDown, 0, 9, 0}, {kHostDown, 0, 9, 0}, {kHostUp, 0, 7, 1}, {kSpace, 0, 7, 1},
          {kHostDown, 0, 7, 1}, {kHostReturn, 0, 9, 1}}},
        {"tool bar",
         [this, &strip] {
             // Push 7, the set radio 20, a disabled radio and a toggle.
             auto* bar = Place(new Quor_ToolBar(&strip.Image(), &strip.Image(), &strip.Image(), nullptr, kFixed), 10, 10);
             bar->SetButtonRange(4, 1);
             bar->SetButtonInfo(0, 0, 7, "Push", Quor_ToolBar::kPush);
             bar->SetButtonInfo(1, 0, 20, "One", Quor_ToolBar::kRadio);
             bar->SetButtonInfo(2, 0, 21, "Two", Quor_ToolBar::kRadio);
             bar->SetButtonInfo(3, 0, 22, "Toggle", Quor_ToolBar::kToggle);
             bar->UnsetAllButtons(20);
             bar->EnableButton(21, false);
             return std::function<int()>([bar] { return bar->KeyButton() * 10 + (bar->IsButtonSet(22) ? 1 : 0); });
         },
         {{kSpace, 0, 10, 0}, {kHostRight, 0, 30, 0}, {kSpace, 0, 31, 0}, {kHostRight, 0, 1, 0}, {kSpace, 0, 1, 1},
          {kHostLeft, 0, 31, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUpWindowAgain();
        const std::function<int()> value = c.make();
        Open();
        Key(kHostTab);
        ASSERT_NE(fLayer->FocusView(), nullptr);
        for (const Step& s : c.steps) {
            SCOPED_TRACE("key " + std::to_string(s.key));
            Key(s.key, s.modifiers);
            EXPECT_EQ(value(), s.value);
            EXPECT_EQ(fLayer->Heard(7), s.heard);
        }
    }
}

TEST_F(QuorKeyboard, TabViewsSwitchPagesFromTheStripAndFromInsideAPage)
{
    // Catches Left and Right not reaching a focused tab view, Ctrl+Page Down not heard while a
    // field of the page has the keyboard (or typed into the field), not wrapping round, and the
    // keyboard lost with the page that went away.
    auto* tabs = Place(new Quor_TabView(QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP), 10, 10);
    auto* field = new Quor_TextControl(80, "abc", 0, Quor_TextControl::kText, kFixed);
    tabs->AddTab("One", field);
    for (const char* label : {"Two", "Three"})
        tabs->AddTab(label, SizedView(80, 20));
    tabs->DoLayout();
    Open();
    Key(kHostTab);
    ASSERT_EQ(fLayer->FocusView(), tabs);
    Key(kHostRight);
    Key(kHostRight);
    Key(kHostRight);
    EXPECT_EQ(tabs->ActiveTab(), 2);
    Key(kHostLeft);
    Key(kHostLeft);
    EXPECT_EQ(tabs->ActiveTab(), 0);
    Key(kHostTab);
    ASSERT_EQ(fLayer->FocusView(), field);
    Key(kPageUp, QUOR_HOST_CTRL);
    EXPECT_EQ(tabs->ActiveTab(), 2);
    EXPECT_STREQ(field->Value(), "abc");
    EXPECT_EQ(fLayer->FocusView(), tabs);
    Key(kPageDown, QUOR_HOST_CTRL);
    EXPECT_EQ(tabs->ActiveTab(), 0);
}

TEST_F(QuorKeyboard, TheRingShowsOnlyAfterTheKeyboardMovedTheFocusAndListsShowWhetherTheyHaveIt)
{
    // Catches a ring drawn on a press of the mouse, not drawn after Tab, left behind on the
    // control Tab left, or clipped away at the control's edge; and a list that draws its
    // selection in the same colour with and without the keyboard.
    auto* button = Place(new Quor_Button("Apply", 7, 80, false, kFixed), 10, 10);
    auto* list = Place(new Quor_TextList(8, kFixed), 10, 50);
    list->SetShape(120, 60);
    list->AddItem("first");
    list->AddItem("second");
    Open();
    const Quor_Rect ring = button->FocusRingRect();
    const Quor_Point top(OnWindow(button).left + ring.left + ring.Width() / 2, OnWindow(button).top + ring.top);
    const Quor_Point side(OnWindow(button).left + ring.left, OnWindow(button).top + ring.top + ring.Height() / 2);
    const rgb_color highlight = Quor_ColorOps::TextHighlight;
    // The selected row's fill, right of its short text.
    const Quor_Point row(OnWindow(list).left + 60,
                         OnWindow(list).top + Quor_TextList::kInset + list->LineHeight() / 2);

    ClickOn(button);
    EXPECT_FALSE(SameRgb(Shown(top.x, top.y), highlight));
    EXPECT_TRUE(SameRgb(Shown(row.x, row.y), Quor_WidgetLook::InactiveHighlight()));
    Key(kHostTab);
    EXPECT_EQ(fLayer->FocusView(), button);
    EXPECT_TRUE(SameRgb(Shown(top.x, top.y), highlight));
    EXPECT_TRUE(SameRgb(Shown(side.x, side.y), highlight));
    Key(kHostTab);
    EXPECT_EQ(fLayer->FocusView(), list);
    EXPECT_FALSE(SameRgb(Shown(top.x, top.y), highlight));
    EXPECT_TRUE(SameRgb(Shown(row.x, row.y), highlight));
    // A press on the list keeps its focus and active selection, and hides the ring.
    const Quor_Point listTop(OnWindow(list).left + OnWindow(list).Width() / 3, OnWindow(list).top + 1);
    EXPECT_TRUE(SameRgb(Shown(listTop.x, listTop.y), highlight));
    Click(row.x, row.y);
    EXPECT_FALSE(SameRgb(Shown(listTop.x, listTop.y), highlight));
    EXPECT_TRUE(SameRgb(Shown(row.x, row.y), highlight));
}
