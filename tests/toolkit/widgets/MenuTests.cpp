// Menus: the menu strip's bar opening menus below it, keys in an open menu, shortcuts, items
// that cannot be chosen, menus in columns, submenus and the pop-up menu's check mark.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/GoldenImage.h"
#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/widgets/Quor_Menu.h"
#include "toolkit/widgets/Quor_MenuBar.h"
#include "toolkit/widgets/Quor_Dialog.h"
#include "toolkit/widgets/Quor_PopupDialog.h"
#include "toolkit/widgets/Quor_PopupMenu.h"

using namespace quor_test;

namespace {

// A form whose UpdateMenus disables the codes it is told to, as an application's would, and
// that logs the keys reaching it.
class MenuFormLayer : public FormLayer {
public:
    void UpdateMenus() override
    {
        ++fUpdates;
        if (fBar != nullptr) {
            for (int code : fDisable)
                fBar->SetEnabled(code, false);
        }
    }
    void OnKeyDown(int key, unsigned int modifiers) override
    {
        fKeys.push_back(key);
        FormLayer::OnKeyDown(key, modifiers);
    }
    Quor_MenuBar* fBar = nullptr;
    std::vector<int> fDisable;
    std::vector<int> fKeys;
    int fUpdates = 0;
};

struct Item {
    const char* label;
    char shortcut;
    int code;
};

// A menu of the items given; an empty label makes a separator.
Quor_Menu* MenuOf(const char* title, std::initializer_list<Item> items)
{
    Quor_Menu* menu = new Quor_Menu(title);
    for (const Item& item : items)
        menu->AddItem(item.label, item.shortcut, item.code);
    return menu;
}

class QuorMenu : public WidgetWindowTest {
protected:
    void SetUp() override
    {
        WidgetWindowTest::SetUp();
        Quor_Menu::gFlashMilliseconds = 0;
        delete fLayer;
        fForm = new MenuFormLayer();
        fForm->SetShape(kWidth, kHeight);
        fLayer = fForm;
    }
    void TearDown() override
    {
        Quor_Menu::gFlashMilliseconds = 60;
        WidgetWindowTest::TearDown();
    }

    // File: New ^N (1), Open ^O (2), a separator, Save ^S (3), Quit ^Q (4).
    // Edit: Undo ^Z (10), Copy ^C (11).
    void OpenWithBar()
    {
        OpenWith({MenuOf("File", {{"New", 'N', 1}, {"Open", 'O', 2}, {"", 0, 0}, {"Save", 'S', 3}, {"Quit", 'Q', 4}}),
                  MenuOf("Edit", {{"Undo", 'Z', 10}, {"Copy", 'C', 11}})});
    }
    // Shows the form with a bar of the menus given.
    void OpenWith(std::initializer_list<Quor_Menu*> menus)
    {
        fBar = new Quor_MenuBar();
        for (Quor_Menu* menu : menus)
            ASSERT_TRUE(fBar->AddMenu(menu));
        fForm->fBar = fBar;
        fForm->AddMenuBar(fBar);
        Open();
        fStrip = fWindow->MenuStripHeight();
        ASSERT_GT(fStrip, 0);
    }
    // Client coordinates of a window point (the strip lies above the content).
    int Y(int windowY) const { return windowY + fStrip; }
    Quor_Point TitleCentre(int index) const
    {
        const Quor_Rect r = fBar->MenuRect(index);
        return Quor_Point((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    // The centre of a menu's item in client coordinates.
    Quor_Point ItemCentre(const Quor_Menu* menu, int index) const
    {
        const Quor_Rect r = menu->ItemRect(index);
        return Quor_Point(menu->Location().x + (r.left + r.right) / 2, Y(menu->Location().y + (r.top + r.bottom) / 2));
    }
    void ClickAt(Quor_Point p) { Click(p.x, p.y); }
    void MoveTo(Quor_Point p) { Move(p.x, p.y); }

    MenuFormLayer* fForm = nullptr;
    Quor_MenuBar* fBar = nullptr;
    int fStrip = 0;
};

}  // namespace

TEST_F(QuorMenu, StripOpensMenusBelowItAfterUpdatingThemAndKeysWorkTheOpenMenu)
{
    // Catches a menu opened over the strip, menus opened before UpdateMenus ran (so a
    // disabled command can still be chosen), arrows that land on separators or disabled items,
    // Return that sends nothing, Escape that leaves the menu, and Left/Right that do not move
    // along the bar.
    OpenWithBar();
    fForm->fDisable = {3};
    Quor_Menu* file = fBar->Menu(0);
    Quor_Menu* edit = fBar->Menu(1);

    ClickAt(TitleCentre(0));
    ASSERT_TRUE(file->IsOpen()) << "the release of the opening click leaves the menu open";
    EXPECT_EQ(fForm->fUpdates, 1);
    EXPECT_FALSE(file->IsEnabled(3));
    EXPECT_EQ(file->Location(), Quor_Point(fBar->MenuRect(0).left, 0)) << "just below the strip";

    // The separator and the disabled Save are skipped, and the highlight wraps round.
    const int downs[][2] = {{kHostDown, 0}, {kHostDown, 1}, {kHostDown, 4}, {kHostDown, 0}, {kHostUp, 4}, {kHostUp, 1}};
    for (const auto& d : downs) {
        Key(d[0]);
        EXPECT_EQ(file->Highlighted(), d[1]);
    }
    Key(kHostReturn);
    EXPECT_FALSE(file->IsOpen());
    EXPECT_EQ(fForm->Heard(2), 1);
    EXPECT_FALSE(fBar->IsTracking());
    EXPECT_TRUE(fForm->fKeys.empty()) << "keys of an open menu stay in the menu";

    ClickAt(TitleCentre(0));
    Key(kHostRight);
    EXPECT_FALSE(file->IsOpen());
    ASSERT_TRUE(edit->IsOpen());
    EXPECT_EQ(edit->Highlighted(), 0);
    Key(kHostLeft);
    EXPECT_TRUE(file->IsOpen());
    Key(kHostEscape);
    EXPECT_FALSE(file->IsOpen());
    EXPECT_EQ(fBar->OpenIndex(), -1);
    EXPECT_EQ(fForm->fHeard.size(), 1u) << "nothing else was chosen";
}

TEST_F(QuorMenu, F10AndAltWithATitleLetterOpenTheStripMenusFromTheKeyboard)
{
    // Catches menus that the keyboard alone cannot reach, a menu opened by key before
    // UpdateMenus ran or without its first item lit, F10 that cannot close what it opened,
    // titles sharing a letter where only the first can be reached, and keys the menus do not
    // use (Alt with another letter, Shift+F10) swallowed instead of reaching the window.
    OpenWithBar();
    ASSERT_TRUE(fBar->AddMenu(new Quor_Menu("Format")));
    Quor_Menu* file = fBar->Menu(0);
    const auto pushF10 = [this](unsigned int hostModifiers) {
        fHost.PushKey(fHostId, 16, hostModifiers, 1u << 9);
        Pump();
    };

    pushF10(0);
    ASSERT_TRUE(file->IsOpen());
    EXPECT_EQ(file->Highlighted(), 0);
    EXPECT_EQ(fForm->fUpdates, 1);
    pushF10(0);
    EXPECT_FALSE(file->IsOpen());
    EXPECT_EQ(fBar->OpenIndex(), -1);

    struct Step {
        int key;
        unsigned int hostModifiers;
        int open;   // the bar's open menu afterwards
    };
    const Step steps[] = {
        {'e', QUOR_HOST_ALT, 1}, {'f', QUOR_HOST_ALT, 0}, {'F', QUOR_HOST_ALT | QUOR_HOST_SHIFT, 2},
        {'f', QUOR_HOST_ALT, 0}, {kHostEscape, 0, -1}, {'x', QUOR_HOST_ALT, -1}, {'e', 0, -1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string(1, static_cast<char>(step.key)));
        Key(step.key, step.hostModifiers);
        EXPECT_EQ(fBar->OpenIndex(), step.open);
    }
    pushF10(QUOR_HOST_SHIFT);
    EXPECT_EQ(fBar->OpenIndex(), -1);
    EXPECT_EQ(fForm->fKeys, (std::vector<int>{'x', 'e', QUOR_KEY_F10}));
}

TEST_F(QuorMenu, PointerChoosesOnlyEnabledItemsAndTitlesToggleTheirMenu)
{
    // Catches separators or disabled items that send a code (or leave the menu open), a click
    // on the open menu's title that opens it again, and a press-drag-release that does not
    // choose.
    OpenWithBar();
    fForm->fDisable = {3};
    Quor_Menu* file = fBar->Menu(0);

    for (int item : {2, 3}) {   // the separator, the disabled Save: each closes the menu
        ClickAt(TitleCentre(0));
        ClickAt(ItemCentre(file, item));
        EXPECT_FALSE(file->IsOpen()) << item;
    }
    EXPECT_TRUE(fForm->fHeard.empty());

    ClickAt(TitleCentre(0));
    ClickAt(TitleCentre(0));
    EXPECT_FALSE(file->IsOpen()) << "the title closes its own menu";

    const Quor_Point title = TitleCentre(0);
    Press(title.x, title.y);
    const Quor_Point item = ItemCentre(file, 4);
    Move(item.x, item.y - 3);
    Release(item.x, item.y);
    EXPECT_FALSE(file->IsOpen());
    EXPECT_EQ(fForm->fHeard, std::vector<int>{4});

    // Moving over another title while a menu is open switches to it.
    ClickAt(TitleCentre(0));
    MoveTo(TitleCentre(1));
    EXPECT_TRUE(fBar->Menu(1)->IsOpen());
    EXPECT_FALSE(file->IsOpen());
    Click(5, Y(200));
    EXPECT_FALSE(fBar->Menu(1)->IsOpen()) << "a press outside closes the menu";

    // A click on another title switches to its menu, whether or not the pointer moved over the
    // title first (a real pointer always does, and its menu is open by the time of the click);
    // a second click there closes it.
    for (const bool hover : {false, true}) {
        ClickAt(TitleCentre(0));
        const Quor_Point other = TitleCentre(1);
        if (hover)
            MoveTo(other);
        Press(other.x, other.y);
        Release(other.x, other.y);
        EXPECT_TRUE(fBar->Menu(1)->IsOpen()) << "hover " << hover;
        EXPECT_FALSE(file->IsOpen());
        ClickAt(other);
        EXPECT_FALSE(fBar->Menu(1)->IsOpen()) << "hover " << hover;
    }
}

TEST_F(QuorMenu, CtrlShortcutsFireEveryMatchingEnabledItemAfterUpdatingTheMenus)
{
    // Catches a shortcut that fires only its first match, one that fires a command UpdateMenus
    // has just disabled, shortcuts of submenus left out, a case-sensitive match, and a chord
    // that fires and then also arrives as a key.
    Quor_Menu* a = MenuOf("A", {{"Save", 'S', 5}, {"Save too", 'S', 7}, {"Save copy", 'S', 9}});
    Quor_Menu* b = MenuOf("B", {{"Store", 's', 6}});
    Quor_Menu* sub = MenuOf("More", {{"Stash", 'S', 8}});
    b->AddSubMenu("More", sub);
    OpenWith({a, b});
    fForm->fDisable = {7};

    Key('s', QUOR_HOST_CTRL);
    std::vector<int> heard = fForm->fHeard;
    std::sort(heard.begin(), heard.end());
    EXPECT_EQ(heard, (std::vector<int>{5, 6, 8, 9}));
    EXPECT_EQ(fForm->fUpdates, 1);
    EXPECT_TRUE(fForm->fKeys.empty());

    Key('k', QUOR_HOST_CTRL);
    EXPECT_EQ(fForm->fKeys, std::vector<int>{'k'}) << "a chord without a command goes on as a key";
    EXPECT_EQ(a->GoShortcut(0xE9), 0);
    EXPECT_EQ(a->GoShortcut(QUOR_KEY_F5), 0);

    // Disabling a code on the bar reaches every menu and submenu.
    fBar->SetEnabled(8, false);
    EXPECT_FALSE(sub->IsEnabled(8));
}

TEST_F(QuorMenu, ShiftedShortcutsAndAliasesReachOnlyTheirItem)
{
    // Catches Ctrl+Shift+Z also undoing, Ctrl+Z redoing, an alias that is not heard, Shift
    // breaking the shortcuts that never asked for it, and a relabel that misses the item.
    Quor_Menu* edit = MenuOf("Edit", {{"Undo", 'Z', 10}});
    edit->AddShiftedItem("Redo", 'Z', 11);
    edit->SetAlias(11, 'Y');
    edit->AddItem("Save", 'S', 12);
    OpenWith({edit});
    const struct {
        int key;
        int modifiers;
        int heard;
    } kCases[] = {
        {'z', QUOR_HOST_CTRL, 10},
        {'z', QUOR_HOST_CTRL | QUOR_HOST_SHIFT, 11},
        {'Z', QUOR_HOST_CTRL | QUOR_HOST_SHIFT, 11},
        {'y', QUOR_HOST_CTRL, 11},
        {'s', QUOR_HOST_CTRL | QUOR_HOST_SHIFT, 12},
    };
    for (const auto& c : kCases) {
        fForm->fHeard.clear();
        Key(c.key, c.modifiers);
        EXPECT_EQ(fForm->fHeard, std::vector<int>{c.heard}) << char(c.key) << " with " << c.modifiers;
    }
    fBar->SetLabel(11, "Redo Move");
    EXPECT_STREQ(edit->ItemLabel(11), "Redo Move");
}

TEST_F(QuorMenu, TallMenuRunsInColumnsAndStaysInsideTheWindow)
{
    // Catches a menu taller than the window, items of later columns placed below the first
    // column instead of beside it, picks that miss them, no divider between the columns, and a
    // menu opened near the corner that hangs out of the window.
    Open();
    WhatLog log;
    Quor_Menu menu("Long");
    for (int i = 0; i < 60; ++i)
        menu.AddItem(i == 7 ? "" : "Item", 0, 100 + i);
    menu.SetTarget(&log);
    menu.Go(fWindow, Quor_Point(380, 250));
    ASSERT_TRUE(menu.IsOpen());
    const int rows = menu.RowsPerColumn();
    const int h = menu.LineHeight();
    EXPECT_LE(rows * h, kHeight - 8);
    EXPECT_GT((rows + 1) * h, kHeight - 8) << "as many rows as fit";
    EXPECT_EQ(menu.Columns(), (60 + rows - 1) / rows);
    const Quor_Rect frame = menu.Frame();
    EXPECT_TRUE(InsideWindow(frame));

    const Quor_Rect first = menu.ItemRect(0);
    const Quor_Rect second = menu.ItemRect(rows);
    EXPECT_EQ(second.top, first.top) << "a new column starts at the top";
    EXPECT_GT(second.left, first.right);
    const Quor_Point centre((second.left + second.right) / 2, (second.top + second.bottom) / 2);
    EXPECT_EQ(menu.PickItem(centre), rows);
    EXPECT_EQ(menu.PickItem(menu.ItemRect(7).LeftTop()), -1);

    // The divider: a shadow line just left of the second column, a highlight line beside it.
    const int dividerX = frame.left + second.left - 3;
    const int dividerY = frame.top + frame.Height() / 2;
    EXPECT_TRUE(Near(Shown(dividerX, dividerY), Quor_ColorOps::WidgetShadow, 0));
    EXPECT_TRUE(Near(Shown(dividerX + 1, dividerY), Quor_ColorOps::WidgetHighlight, 0));

    Click(frame.left + centre.x, frame.top + centre.y);
    EXPECT_FALSE(menu.IsOpen());
    EXPECT_EQ(log.whats, std::vector<int>{100 + rows});
}

TEST_F(QuorMenu, SubmenusOpenBesideTheirItemAndEscapeClosesOneLevel)
{
    // Catches a submenu that never opens, opens over its item, sends its code to nobody (its
    // target not inherited), or that takes the whole chain with it on Escape.
    Open();
    WhatLog log;
    Quor_Menu menu("Context");
    menu.AddItem("First", 0, 30);
    Quor_Menu* sub = MenuOf("More", {{"Deep", 0, 31}, {"Deeper", 0, 32}});
    menu.AddSubMenu("More", sub);
    menu.SetTarget(&log);
    menu.Go(fWindow, Quor_Point(40, 40));

    MoveTo(ItemCentre(&menu, 1));
    ASSERT_TRUE(sub->IsOpen());
    const Quor_Rect item = menu.ItemRect(1);
    EXPECT_EQ(sub->Location(), Quor_Point(menu.Location().x + item.right, menu.Location().y + item.top));
    ClickAt(ItemCentre(sub, 1));
    EXPECT_EQ(log.whats, std::vector<int>{32});
    EXPECT_FALSE(sub->IsOpen());
    EXPECT_FALSE(menu.IsOpen());

    menu.Go(fWindow, Quor_Point(40, 40));
    MoveTo(ItemCentre(&menu, 1));
    Key(kHostEscape);
    EXPECT_FALSE(sub->IsOpen());
    EXPECT_TRUE(menu.IsOpen());
    Key(kHostRight);
    EXPECT_TRUE(sub->IsOpen());
    EXPECT_EQ(sub->Highlighted(), 0);
    Key(kHostEscape);
    Key(kHostEscape);
    EXPECT_FALSE(menu.IsOpen());
    EXPECT_EQ(log.whats.size(), 1u);
}

TEST_F(QuorMenu, PopupMovesItsCheckMarkAndStillReachesItsHandler)
{
    // Catches a pop-up whose check mark stays on the old item, one that shows a stale label,
    // codes that bypass the pop-up when a handler is set (so the mark never moves), and a
    // pop-up deleted while its menu is open that leaves the menu in the window (a press then
    // reaches freed memory).
    WhatLog log;
    auto* popup = Place(new Quor_PopupMenu(120, true), 20, 20);
    Quor_Menu* menu = MenuOf("Mode", {{"Alpha", 0, 21}, {"Beta", 0, 22}, {"Gamma", 0, 23}});
    menu->SetChecked(21, true);
    popup->SetMenu(menu);
    popup->SetHandler(&log);
    Open();

    Click(30, 25);
    ASSERT_TRUE(menu->IsOpen());
    EXPECT_EQ(menu->Location(), Quor_Point(20, 20 + popup->Shape().y));
    ClickAt(ItemCentre(menu, 2));
    EXPECT_FALSE(menu->IsOpen());
    EXPECT_FALSE(popup->IsOpen());
    EXPECT_EQ(log.whats, std::vector<int>{23});
    EXPECT_FALSE(menu->IsChecked(21));
    EXPECT_STREQ(menu->FirstCheckedLabel(), "Gamma");

    // A second click on the pop-up while its menu is open only closes it.
    Click(30, 25);
    ASSERT_TRUE(menu->IsOpen());
    Click(30, 25);
    EXPECT_FALSE(menu->IsOpen());
    EXPECT_EQ(log.whats.size(), 1u);

    // Deleted while its menu is open, the pop-up takes the menu out of the window.
    Click(30, 25);
    ASSERT_TRUE(menu->IsOpen());
    const int layers = fWindow->CountLayers();
    fLayer->RemoveChild(popup);
    delete popup;
    EXPECT_EQ(fWindow->CountLayers(), layers - 1);
    Move(40, 60);
    Click(40, 60);
    EXPECT_EQ(log.whats.size(), 1u);
}

TEST_F(QuorMenu, BarRefusesAThirteenthMenu)
{
    // Catches a thirteenth menu written past the bar's table.
    Quor_MenuBar bar;
    for (int i = 0; i < Quor_MenuBar::kMaxMenus; ++i)
        EXPECT_TRUE(bar.AddMenu(new Quor_Menu("M")));
    Quor_Menu extra("Extra");
    EXPECT_FALSE(bar.AddMenu(&extra));
    EXPECT_EQ(bar.CountMenus(), Quor_MenuBar::kMaxMenus);
    EXPECT_EQ(extra.BarOwner(), nullptr);
}

TEST_F(QuorMenu, OpenMenuLooksRight)
{
    // Catches changes to how the bar, an open title, items, shortcuts, a checked item, a
    // disabled item, a separator, a submenu arrow and the highlight are drawn.
    OpenWithBar();
    Quor_Menu* file = fBar->Menu(0);
    file->SetChecked(1, true);
    file->SetEnabled(3, false);
    file->AddSubMenu("Open Recent", MenuOf("Recent", {{"a.qpm", 0, 50}}));
    ClickAt(TitleCentre(0));
    ASSERT_TRUE(file->IsOpen());
    Key(kHostDown);
    Key(kHostDown);
    const Quor_Rect frame = file->Frame();
    ExpectGolden(Quor_Rect(0, 0, frame.right + 8, Y(frame.bottom) + 8), "menu_open.png");
}

TEST_F(QuorMenu, PopupButtonsLookRightInEachState)
{
    // Catches changes to how pop-up menus (row 1) and pop-up dialog buttons (row 2) are drawn
    // closed, open (pushed in, contents moved by a pixel) and disabled, and a label cut off by
    // the arrow.
    Quor_PopupMenu* menus[3];
    for (int i = 0; i < 3; ++i) {
        menus[i] = Place(new Quor_PopupMenu(96, true), 8 + i * 110, 8);
        Quor_Menu* menu = MenuOf("Mode", {{"Spherical", 0, 1}, {"Flat", 0, 2}});
        menu->SetChecked(1, true);
        menus[i]->SetMenu(menu);
    }
    menus[2]->Enable(false);
    Quor_PopupDialog* buttons[3];
    for (int i = 0; i < 3; ++i) {
        buttons[i] = Place(new Quor_PopupDialog("Options", false, 9, 0), 8 + i * 110, 150);
        buttons[i]->SetDialog(new Quor_Dialog("Options", nullptr));
    }
    buttons[2]->Enable(false);
    Open();

    const int cell = 110;
    const int rowHeight = Quor_BaseWidget::BaseWidgetHeight() + 4;
    Quor_BaseImage shot;
    ASSERT_EQ(shot.Initialize(3 * cell, 2 * rowHeight, 32), 0);
    shot.Clear(Quor_ColorOps::BackCol);
    // Each widget's own rectangle (grown by 2), so an open menu or dialog below stays out.
    auto grab = [&](const Quor_View* view, int column, int row) {
        Quor_Rect r = view->LayerFrame();
        r.InsetBy(-2, -2);
        Quor_BaseImage part;
        CaptureRect(r, &part);
        Quor_ImageOps::Blit(&part.Image(), &shot.Image(), column * cell, row * rowHeight);
    };
    for (int i : {0, 2}) {
        grab(menus[i], i, 0);
        grab(buttons[i], i, 1);
    }
    ClickOn(menus[1]);
    ASSERT_TRUE(menus[1]->IsOpen());
    grab(menus[1], 1, 0);
    ClickOn(menus[1]);
    ClickOn(buttons[1]);
    ASSERT_TRUE(buttons[1]->IsOpen());
    grab(buttons[1], 1, 1);
    EXPECT_GOLDEN(shot.Image(), "tests/toolkit/widgets/golden/popups.png", 0);
}
