// Host input reaching windows as toolkit codes: keys, modifiers, buttons, the wheel and text;
// keys a focused text field keeps from the menus, and repeated keys that answer no prompt.
#include <gtest/gtest.h>

#include <string>

#include "tests/toolkit/framework/FrameworkTestSupport.h"
#include "toolkit/framework/Quor_FrameworkDefs.h"
#include "toolkit/framework/Quor_InputMap.h"
#include "toolkit/widgets/Quor_Dialog.h"
#include "toolkit/widgets/Quor_FileDialogConfirm.h"
#include "toolkit/widgets/Quor_Menu.h"
#include "toolkit/widgets/Quor_MenuBar.h"
#include "toolkit/widgets/Quor_TextControl.h"

using namespace quor_test;

TEST(QuorInputMap, SpecialKeysAndFunctionKeysFollowTheKeyTable)
{
    // Catches a wrong or shifted entry in the key table, and F-keys found in the wrong order.
    struct Case { int hostChar; unsigned int functionKeys; int code; };
    const Case cases[] = {
        {3, 0, QUOR_KEY_RETURN},      {13, 0, QUOR_KEY_RETURN},    {27, 0, QUOR_KEY_ESCAPE},
        {9, 0, QUOR_KEY_TAB},         {8, 0, QUOR_KEY_BACKSPACE},  {127, 0, QUOR_KEY_DELETE},
        {1, 0, QUOR_KEY_HOME},        {4, 0, QUOR_KEY_END},        {11, 0, QUOR_KEY_PAGEUP},
        {12, 0, QUOR_KEY_PAGEDOWN},   {28, 0, QUOR_KEY_LEFT},      {30, 0, QUOR_KEY_UP},
        {29, 0, QUOR_KEY_RIGHT},      {31, 0, QUOR_KEY_DOWN},
        {16, 1u << 4, QUOR_KEY_F5},   {16, 1u << 0, QUOR_KEY_F1}, {16, 1u << 11, QUOR_KEY_F12},
        // The first key found down wins, tested from F1 on.
        {16, (1u << 7) | (1u << 2), QUOR_KEY_F3},
        // A function key character with no function key down stays 16.
        {16, 0, 16},
        {'a', 0, 'a'},                {0xE9, 0, 0xE9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("host character " + std::to_string(c.hostChar));
        EXPECT_EQ(Quor_InputMap::KeyCode(c.hostChar, c.functionKeys), c.code);
    }
}

class QuorKeyInput : public OneWindowTest {
protected:
    void SetUp() override
    {
        OneWindowTest::SetUp();
        MakeWindow(Quor_Rect(10, 60, 209, 159), false, new LogLayer("L", &fLog, Quor_Rect(0, 0, 199, 99)));
        fLog.clear();
    }

    Log Keys()
    {
        Pump();
        return Only(fLog, "L key");
    }

    Log fLog;
};

TEST_F(QuorKeyInput, EveryKeyArrivesExactlyOnceWithItsModifiers)
{
    // Catches a chord delivered twice (key press and the text the desktop also sends for Alt and
    // Super), Ctrl chords lost because no text comes for them, typing after a Ctrl chord taken
    // for the chord's text, and typed characters beyond Latin-1 lost or cut to their low byte.
    struct Case { const char* name; int hostChar; unsigned int modifiers; unsigned int functionKeys; Log expected; };
    const Case cases[] = {
        {"plain letter", 'a', 0, 0, {"L key 97 m0"}}, {"shifted letter", 'a', QUOR_HOST_SHIFT, 0, {"L key 65 m1"}},
        {"ctrl chord", 'c', QUOR_HOST_CTRL, 0, {"L key 99 m2"}},
        {"ctrl shift chord", 's', QUOR_HOST_CTRL | QUOR_HOST_SHIFT, 0, {"L key 83 m3"}},
        {"alt chord", 'c', QUOR_HOST_ALT, 0, {"L key 99 m4"}},
        {"super and AltGr set no bit", 'z', QUOR_HOST_SUPER | QUOR_HOST_ALTGR, 0, {"L key 122 m0"}},
        {"caps lock sets no bit", 'z', QUOR_HOST_CAPS, 0, {"L key 90 m0"}}, {"return", 13, 0, 0, {"L key -1 m0"}},
        {"ctrl delete", 127, QUOR_HOST_CTRL, 0, {"L key -5 m2"}}, {"F5", 16, 0, 1u << 4, {"L key -24 m0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fLog.clear();
        fHost.PushKey(fHostId, c.hostChar, c.modifiers, c.functionKeys);
        EXPECT_EQ(Keys(), c.expected);
    }

    // Typed text after a Ctrl chord, with no key press of its own (keys beyond ASCII have none).
    fLog.clear();
    fHost.PushKey(fHostId, 'a', QUOR_HOST_CTRL);
    fHost.PushText(fHostId, "\xC3\xA9\xE2\x82\xAC" "a\xC2\x85");
    EXPECT_EQ(Keys(), (Log{"L key 97 m2", "L key 233 m0", "L key 8364 m0", "L key 97 m0"}));
}

TEST_F(QuorKeyInput, TitlesClipboardAndDropsKeepTheirCharactersAndBytes)
{
    // Catches host text narrowed to 8 bits on the way in (a pasted dotless i arriving as "1"),
    // UTF-8 widened twice on the way out, stray bytes handed to a host that needs UTF-8, and a
    // dropped path that is not valid UTF-8 changed on its way to the window.
    fWindow->SetTitle("\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE caf\xE9");
    EXPECT_EQ(fHost.WindowRecord(fHostId)->title, "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE caf\xC3\xA9");
    fWindow->CopyToOS("\xE4\xB8\x80 \xE9");
    EXPECT_EQ(fHost.Clipboard(), "\xE4\xB8\x80 \xC3\xA9");
    fHost.SetClipboard("\xC4\xB1.jpg");
    EXPECT_STREQ(fWindow->PasteFromOS(), "\xC4\xB1.jpg");
    fHost.PushDrop(fHostId, "/tmp/caf\xE9 \xD0\xA4.jpg", 20, 30);
    Pump();
    EXPECT_EQ(Only(fLog, "L drop"), (Log{"L drop 20,30 /tmp/caf\xE9 \xD0\xA4.jpg"}));
}

TEST_F(QuorKeyInput, ClicksWheelAndFloatingPalettesFollowTheRoutingRules)
{
    // Catches a Super-click arriving as a left click, a Ctrl-click turned into a right click,
    // middle and right buttons swapped, a wheel step not reduced to its sign or carrying
    // modifiers in the argument, and a horizontal wheel reaching anything.
    fHost.PushClick(fHostId, 20, 30, 1, QUOR_HOST_SUPER);
    fHost.PushClick(fHostId, 60, 30, 1, QUOR_HOST_CTRL);
    fHost.PushClick(fHostId, 100, 30, 2);
    fHost.PushClick(fHostId, 140, 30, 3);
    fHost.PushWheel(fHostId, 5, 6, 3, 0, QUOR_HOST_SHIFT);
    fHost.PushWheel(fHostId, 5, 6, 0, -2);
    Pump();
    EXPECT_EQ(Only(fLog, "L down"),
              (Log{"L down 20,30 b2 m0", "L down 60,30 b1 m2", "L down 100,30 b2 m0", "L down 140,30 b4 m0"}));
    EXPECT_EQ(Only(fLog, "L wheel"), (Log{"L wheel 5,6 d1 w1 m0"}));

    // A palette with a parent passes typing on while none of its fields has the focus, and
    // shortcuts always, but keeps for a focused field the chords it has a use for.
    Log paletteLog;
    Quor_Wnd* palette = new Quor_Wnd("palette", Quor_Rect(300, 60, 399, 159), false, 5, fWindow);
    LogLayer* paletteLayer = new LogLayer("P", &paletteLog, Quor_Rect(0, 0, 99, 99));
    LogView* field = new LogView("field", &paletteLog, Quor_Rect(5, 5, 50, 20), true);
    paletteLayer->AddChild(field);
    palette->AddLayer(paletteLayer);
    palette->Show();
    Pump();
    fLog.clear();
    fHost.PushKey(palette->PlatformWindow(), 'z');
    Pump();
    EXPECT_EQ(Only(fLog, "L key"), (Log{"L key 122 m0"}));
    field->fWantedKeys = {'c'};
    field->Focus(true);
    fLog.clear();
    fHost.PushKey(palette->PlatformWindow(), 'c', QUOR_HOST_CTRL);
    fHost.PushKey(palette->PlatformWindow(), 'q', QUOR_HOST_CTRL);
    Pump();
    EXPECT_EQ(Only(fLog, "L key"), (Log{"L key 113 m2"}));
    EXPECT_EQ(Only(paletteLog, "field key"), (Log{"field key 99", "field key 113"}));
    palette->CloseWindow();
}

TEST_F(QuorKeyInput, AFocusedTextFieldKeepsItsChordsFromTheMenus)
{
    // Catches a menu shortcut taking a chord the focused text field uses (Ctrl+A toggled a menu
    // item instead of selecting the field's text), and shortcuts the field has no use for that
    // no longer reach the menus.
    Log log;
    LogLayer* form = new LogLayer("F", &log, Quor_Rect(0, 0, 299, 99));
    auto* field = new Quor_TextControl(100, "35", 9, Quor_TextControl::kNumber, QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP);
    form->AddChild(field);
    auto* bar = new Quor_MenuBar();
    auto* menu = new Quor_Menu("Edit");
    menu->AddItem("Snap", 'A', 501);
    menu->AddItem("Save", 'S', 502);
    menu->AddItem("Paste photo", 'V', 503);
    bar->AddMenu(menu);
    form->AddMenuBar(bar);
    Quor_Wnd* window = new Quor_Wnd("form", Quor_Rect(0, 300, 299, 399), false, 0, nullptr);
    window->AddLayer(form);
    window->Show();
    Pump();
    field->Focus(true);
    field->SetValue("35");
    fHost.SetClipboard("7");
    const uint32_t host = window->PlatformWindow();
    fHost.PushKey(host, 'a', QUOR_HOST_CTRL);
    Pump();
    EXPECT_EQ(std::string(field->Selection().Buffer()), "35");
    fHost.PushKey(host, 'v', QUOR_HOST_CTRL);
    fHost.PushKey(host, 's', QUOR_HOST_CTRL);
    Pump();
    EXPECT_STREQ(field->Value(), "7");
    EXPECT_EQ(Only(log, "F message 50"), (Log{"F message 502"}));
    window->CloseWindow();
}

TEST_F(QuorKeyInput, HeldReturnOrEscapeDoesNotAnswerAPrompt)
{
    // Catches a prompt answered by the auto-repeat of the key that opened it (Return held in a
    // save dialog confirmed the replace prompt at once), and a repeat that no longer says so.
    fHost.PushRepeatedKey(fHostId, kHostLeft);
    fHost.PushRepeatedKey(fHostId, 'x', QUOR_HOST_CTRL);
    EXPECT_EQ(Keys(), (Log{"L key -10 m8", "L key 120 m10"}));

    Quor_Dialog::gPressMilliseconds = 0;
    bool plainSent = false;
    Script({[&](uint32_t prompt) { fHost.PushRepeatedKey(prompt, kHostReturn); },
            [&](uint32_t prompt) { fHost.PushRepeatedKey(prompt, kHostEscape); },
            [&](uint32_t prompt) {
                plainSent = true;
                fHost.PushKey(prompt, kHostReturn);
            }});
    EXPECT_TRUE(Quor_FileDialogConfirm::Ask("pano.jpg already exists.", "", "Replace", fWindow));
    EXPECT_TRUE(plainSent);
    Quor_Dialog::gPressMilliseconds = 200;
}
