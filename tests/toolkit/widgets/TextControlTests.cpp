// Text fields driven through the in-memory host: typing by type, editing by whole characters,
// scrolling, the clipboard and the length limit, number stepping with the wheel and the right
// button, focus, the caret's blink, and how they look.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "tests/support/ImageFixtures.h"
#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/widgets/Quor_TextControl.h"

using namespace quor_test;

namespace {

constexpr unsigned int kFollow = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP;

}  // namespace

class QuorTextControl : public WidgetWindowTest {
protected:
    // A field on the form with the keyboard focus, its text as given and the caret at its end.
    Quor_TextControl* Field(unsigned int type, const char* text = "", int what = 77)
    {
        Quor_TextControl* field = Place(new Quor_TextControl(120, text, what, type, kFollow), 10, 10);
        Open();
        field->Focus(true);
        field->Select(field->Caret(), field->Caret());
        return field;
    }
};

TEST_F(QuorTextControl, EachTypeTakesItsCharactersAndBeepsAtTheRest)
{
    // Catches a type that lets a refused character in, a refusal without the beep, and a beep
    // for characters the type accepts.
    struct Case { unsigned int type; std::string typed; const char* expected; int beeps; };
    const Case cases[] = {
        {Quor_TextControl::kText, "a-1.5 \xC3\xA9\xD0\xA4!", "a-1.5 \xC3\xA9\xD0\xA4!", 0},
        {Quor_TextControl::kInteger, "-12.5x\xD0\xA4", "-125", 3}, {Quor_TextControl::kNumber, "-1.5", "-1.5", 0},
        {Quor_TextControl::kCount, "-3.7", "37", 2}, {Quor_TextControl::kNonNegative, "-0.25e", "0.25", 2},
        {Quor_TextControl::kNoDigits, "a1b2 \xC3\xA9\xE4\xB8\x80", "ab \xC3\xA9\xE4\xB8\x80", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + " typing " + c.typed);
        SetUpWindowAgain();
        Quor_TextControl* field = Field(c.type);
        const int beepsBefore = fHost.BeepCount();
        Type(c.typed);
        EXPECT_STREQ(field->Value(), c.expected);
        EXPECT_EQ(fHost.BeepCount() - beepsBefore, c.beeps);
    }
}

TEST_F(QuorTextControl, EditingMovesAndDeletesWholeCharacters)
{
    // Catches typing that inserts beside a selection instead of replacing it, shift-arrows that
    // move the anchor, a plain arrow that moves on from a selection instead of collapsing it, deletion that ignores the selection or the caret's side, and a caret,
    // selection or deletion that splits a character of several bytes (a stray byte is one).
    Quor_TextControl* field = Field(Quor_TextControl::kText, "Hello w\xC3\xB6r\xE4\xB8\x80\xE9");
    field->Select(0, 5);
    Type("J");
    EXPECT_STREQ(field->Value(), "J w\xC3\xB6r\xE4\xB8\x80\xE9");
    EXPECT_EQ(field->Caret(), 1);
    Key(kHostLeft, QUOR_HOST_SHIFT);
    EXPECT_EQ(field->Selection(), Quor_String("J"));
    Type("j");
    field->Select(4, 7);
    EXPECT_EQ(field->Anchor(), 3);
    EXPECT_EQ(field->Caret(), 6);

    const char* full = "j w\xC3\xB6r\xE4\xB8\x80\xE9";
    const char* shorter = "j w\xC3\xB6r";
    struct Step { int key; unsigned int modifiers; const char* text; int caret; int anchor; };
    const Step steps[] = {
        {kHostEnd, 0, full, 10, 10}, {kHostLeft, QUOR_HOST_SHIFT, full, 9, 10},
        {kHostLeft, QUOR_HOST_SHIFT, full, 6, 10}, {kHostBackspace, 0, shorter, 6, 6},
        {kHostLeft, 0, shorter, 5, 5}, {kHostLeft, 0, shorter, 3, 3}, {kHostHome, QUOR_HOST_SHIFT, shorter, 0, 3},
        {kHostRight, 0, shorter, 3, 3}, {kHostHome, 0, shorter, 0, 0}, {kHostRight, 0, shorter, 1, 1}, {kHostDelete, 0, "jw\xC3\xB6r", 1, 1}, {kHostRight, 0, "jw\xC3\xB6r", 2, 2},
        {kHostRight, 0, "jw\xC3\xB6r", 4, 4}, {kHostBackspace, 0, "jwr", 2, 2}, {kHostDelete, 0, "jw", 2, 2},
        {kHostDelete, 0, "jw", 2, 2}, {kHostRight, 0, "jw", 2, 2}, {kHostHome, 0, "jw", 0, 0},
        {kHostBackspace, 0, "jw", 0, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string("key ") + std::to_string(s.key) + " -> " + s.text);
        Key(s.key, s.modifiers);
        EXPECT_STREQ(field->Value(), s.text);
        EXPECT_EQ(field->Caret(), s.caret);
        EXPECT_EQ(field->Anchor(), s.anchor);
    }
}

TEST_F(QuorTextControl, CtrlArrowsAndDeletionGoByWordsAndClicksPickWordsOrAll)
{
    // Catches word moves that stop at each character or inside a multi-byte letter, punctuation
    // or spaces counted as words, Ctrl+Shift moving the anchor, word deletion that takes the
    // wrong side or ignores a selection, and a double or triple click that does not widen the
    // selection to the word or the whole text.
    const char* text = "ab, \xC3\xA9t\xC3\xA9 x9";  // words at bytes 0-2, 4-9 (two-byte letters) and 10-12
    Quor_TextControl* field = Field(Quor_TextControl::kText, text);
    field->Select(0, 0);
    constexpr unsigned int kCtrl = QUOR_HOST_CTRL;
    constexpr unsigned int kCtrlShift = QUOR_HOST_CTRL | QUOR_HOST_SHIFT;
    struct Step { int key; unsigned int modifiers; const char* text; int caret; int anchor; };
    const Step steps[] = {
        {kHostRight, kCtrl, text, 2, 2}, {kHostRight, kCtrl, text, 9, 9}, {kHostRight, kCtrl, text, 12, 12},
        {kHostRight, kCtrl, text, 12, 12}, {kHostLeft, kCtrl, text, 10, 10}, {kHostLeft, kCtrlShift, text, 4, 10},
        {kHostLeft, kCtrlShift, text, 0, 10}, {kHostRight, 0, text, 10, 10}, {kHostLeft, kCtrl, text, 4, 4},
        {kHostBackspace, kCtrl, "\xC3\xA9t\xC3\xA9 x9", 0, 0}, {kHostDelete, kCtrl, " x9", 0, 0},
        {kHostEnd, 0, " x9", 3, 3}, {kHostLeft, QUOR_HOST_SHIFT, " x9", 2, 3}, {kHostBackspace, kCtrl, " x", 2, 2},
        {kHostBackspace, kCtrl, " ", 1, 1}, {kHostBackspace, kCtrl, "", 0, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string("key ") + std::to_string(s.key) + " m" + std::to_string(s.modifiers) + " -> " + s.text);
        Key(s.key, s.modifiers);
        EXPECT_STREQ(field->Value(), s.text);
        EXPECT_EQ(field->Caret(), s.caret);
        EXPECT_EQ(field->Anchor(), s.anchor);
    }

    field->SetValue(text);
    const Quor_Rect inner = field->InnerRect();
    const Quor_Rect frame = OnWindow(field);
    // A point inside the second word, found from where the field puts its characters.
    int x = inner.left;
    while (field->FindPos(Quor_Point(x, inner.top + 2)) < 6 && x < inner.right)
        ++x;
    const Quor_Point at(frame.left + x, frame.top + inner.top + 2);
    const std::pair<int, Quor_String> clicks[] = {{1, ""}, {2, "\xC3\xA9t\xC3\xA9"}, {3, text}};
    for (const auto& [count, selected] : clicks) {
        SCOPED_TRACE("clicks " + std::to_string(count));
        Wait(1000);
        for (int i = 0; i < count; ++i)
            Click(at.x, at.y);
        EXPECT_EQ(field->Selection(), selected);
    }
}

TEST_F(QuorTextControl, AnOverlongTextScrollsWithTheCaretAndAClickLandsWhereItIsShown)
{
    // Catches a press into an unfocused overlong field mapped after gaining the focus scrolled
    // the text (the caret lands far from the click, and the text jumps), a field focused by Tab
    // mapping a later click as if unscrolled, and Home leaving the text scrolled.
    const std::string digits = "0123456789012345678901234567890123456789";
    Quor_TextControl* field = Place(new Quor_TextControl(120, "", 0, 0, kFollow), 10, 10);
    Quor_TextControl* other = Place(new Quor_TextControl(120, "x", 0, 0, kFollow), 10, 40);
    Open();
    field->SetValue(digits.c_str());
    other->Focus(true);
    const Quor_Font* font = Quor_App::gRegularFont;
    const Quor_Rect inner = field->InnerRect();
    ASSERT_GT(font->StringWidth(digits.c_str()), inner.Width());
    // Just right of the boundary between "4" and "5": the caret goes between them.
    Click(10 + inner.left + font->StringWidth("01234") + 1, 10 + inner.top + 3);
    ASSERT_TRUE(field->IsFocused());
    EXPECT_EQ(field->Caret(), 5);
    EXPECT_EQ(field->ScrollOffset(), 0);

    Key(kHostEnd);
    const int scrolled = field->ScrollOffset();
    EXPECT_GT(scrolled, 0);
    Key(kHostHome);
    EXPECT_EQ(field->ScrollOffset(), 0);
    EXPECT_EQ(field->Caret(), 0);

    // Focused by Tab, the whole text is selected and shown from its end; a click then lands on
    // the character shown under it.
    other->Focus(true);
    Key(kHostTab);
    ASSERT_TRUE(field->IsFocused());
    EXPECT_EQ(field->ScrollOffset(), scrolled);
    const int shownThere = field->FindPos(Quor_Point(inner.left + 1, inner.top + 3));
    EXPECT_GT(shownThere, 5);
    Click(10 + inner.left + 1, 10 + inner.top + 3);
    EXPECT_EQ(field->Caret(), shownThere);
}

TEST_F(QuorTextControl, TheClipboardCarriesUtf8AndAPasteKeepsWhatFits)
{
    // Catches pasted text narrowed to 8 bits (a dotless i turned into "1"), stray bytes copied
    // to a clipboard that needs UTF-8, a cut that does not delete, a paste with an empty
    // clipboard that changes the field, control characters of a multi-line clipboard landing in
    // a one-line field, a pasted megabyte kept whole, and a limit that splits a character.
    Quor_TextControl* field = Field(Quor_TextControl::kText, "Caf\xE9 ol\xC3\xA9");
    WhatLog counter;
    field->SetHandler(&counter);

    field->Select(0, 4);
    Key('c', QUOR_HOST_CTRL);
    EXPECT_EQ(fHost.Clipboard(), "Caf\xC3\xA9");
    field->Select(4, 9);
    Key('x', QUOR_HOST_CTRL);
    EXPECT_EQ(fHost.Clipboard(), " ol\xC3\xA9");
    EXPECT_STREQ(field->Value(), "Caf\xE9");

    fHost.SetClipboard("na\xC3\xAFve\nl\xC4\xB1ne\ttwo\xC2\x85!");
    field->Select(0, 3);
    const size_t before = counter.whats.size();
    Key('v', QUOR_HOST_CTRL);
    EXPECT_STREQ(field->Value(), "na\xC3\xAFvel\xC4\xB1netwo!\xE9");
    EXPECT_EQ(field->Caret(), 15);
    EXPECT_EQ(field->Anchor(), 15);
    EXPECT_EQ(counter.whats.size(), before + 1);

    fHost.SetClipboard("", false);
    Key('v', QUOR_HOST_CTRL);
    EXPECT_STREQ(field->Value(), "na\xC3\xAFvel\xC4\xB1netwo!\xE9");
    Key('a', QUOR_HOST_CTRL);
    EXPECT_EQ(field->Anchor(), 0);
    EXPECT_EQ(field->Caret(), 16);

    fHost.SetClipboard(std::string(8 << 20, 'a'));
    const int beeps = fHost.BeepCount();
    Key('v', QUOR_HOST_CTRL);
    EXPECT_EQ(std::string(field->Value()), std::string(Quor_TextControl::kDefaultMaxBytes, 'a'));
    EXPECT_EQ(fHost.BeepCount(), beeps + 1);

    // Nine bytes: two letters and two of the three pasted characters fit, then one letter more.
    field->SetMaxBytes(9);
    field->SetValue("ab");
    fHost.SetClipboard("\xE4\xB8\x80\xE4\xB8\x80\xE4\xB8\x80");
    Key('v', QUOR_HOST_CTRL);
    Type("cd");
    EXPECT_STREQ(field->Value(), "ab\xE4\xB8\x80\xE4\xB8\x80" "c");
    field->SetMaxBytes(4);
    EXPECT_STREQ(field->Value(), "ab");
}

TEST(QuorTextControlMemory, AClipboardTooLargeToHoldPastesNothing)
{
    // Catches an allocation failure while pasting that escapes the key handler and ends the
    // program.
    struct HugeClipboardHost : Quor_MemoryHost {
        bool GetClipboardText(std::string*) override { throw std::bad_alloc(); }
    } host;
    ASSERT_TRUE(Quor_App::InitQuorSystem(&host));
    Quor_Wnd* window = new Quor_Wnd("paste", Quor_Rect(0, 60, 199, 99), false, 0, nullptr);
    Quor_Layer* layer = new Quor_Layer();
    Quor_TextControl* field = new Quor_TextControl(120, "kept", 0, 0, kFollow);
    layer->AddChild(field);
    window->AddLayer(layer);
    window->Show();
    field->Focus(true);
    host.PushKey(window->PlatformWindow(), 'v', QUOR_HOST_CTRL);
    Quor_EventLoop::ProcessPending();
    EXPECT_STREQ(field->Value(), "kept");
    window->CloseWindow();
    Quor_EventLoop::ProcessPending();
    Quor_App::ShutdownQuorSystem();
}

TEST_F(QuorTextControl, NumbersReadClampedAndShowWithTheirDecimals)
{
    // Catches unreadable text read as garbage, values beyond the limit passed through, and the
    // decimal rule showing 1.5 as 1.5000 or 2.0 as 2.00.
    Quor_TextControl field(60, "", 0, Quor_TextControl::kNumber, kFollow);
    struct Read { const char* text; int asInt; float asFloat; };
    const Read reads[] = {
        {"", 0, 0.0f},          {"abc", 0, 0.0f},         {"12abc", 12, 12.0f},
        {" -7.9", -7, -7.9f},   {"99999999999999999999", 1000000, 1000000.0f},
        {"-5e300", -5, -1000000.0f}, {"1e999", 1, 1000000.0f}, {".5", 0, 0.5f},
    };
    for (const Read& r : reads) {
        SCOPED_TRACE(r.text);
        field.SetValue(r.text);
        EXPECT_EQ(field.IntValue(), r.asInt);
        EXPECT_FLOAT_EQ(field.FloatValue(), r.asFloat);
    }
    struct Show { float value; const char* text; };
    const Show shows[] = {{2.0f, "2"}, {0.125f, "0.1250"}, {1.5f, "1.50"}, {1.25f, "1.25"},
                          {1.2345f, "1.2345"}, {-0.5f, "-0.50"}, {3e30f, "1000000"}};
    for (const Show& s : shows) {
        field.SetValue(s.value);
        EXPECT_STREQ(field.Value(), s.text) << s.value;
    }
    Quor_TextControl integer(60, "", 0, Quor_TextControl::kInteger, kFollow);
    integer.SetValue(2.5f);
    EXPECT_STREQ(integer.Value(), "3");
}

TEST_F(QuorTextControl, TheWheelAndARightDragStepNumbers)
{
    // Catches a Ctrl-halved step that rounds back to nothing on the way down, a non-negative
    // field stepping below 0, the wheel changing text fields, and a right drag stepping per
    // pixel instead of per 8 pixels.
    struct Case {
        unsigned int type;
        const char* start;
        int notches;
        unsigned int hostModifiers;
        const char* expected;
    };
    const Case cases[] = {
        {Quor_TextControl::kInteger, "7", 1, 0, "8"}, {Quor_TextControl::kInteger, "7", 1, QUOR_HOST_CTRL, "8"},
        {Quor_TextControl::kInteger, "7", -1, QUOR_HOST_CTRL, "6"},
        {Quor_TextControl::kInteger, "7", -1, QUOR_HOST_SHIFT, "5"},
        {Quor_TextControl::kNonNegative, "0.1", -1, 0, "0"}, {Quor_TextControl::kNumber, "0.1", 1, 0, "0.35"},
        {Quor_TextControl::kCount, "0", -1, 0, "0"}, {Quor_TextControl::kText, "7", 1, 0, "7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.start) + " type " + std::to_string(c.type) + " notches " +
                     std::to_string(c.notches) + " mods " + std::to_string(c.hostModifiers));
        SetUpWindowAgain();
        Quor_TextControl* field = Field(c.type, c.start);
        WhatLog counter;
        field->SetHandler(&counter);
        Wheel(20, 15, c.notches, c.hostModifiers);
        EXPECT_STREQ(field->Value(), c.expected);
        EXPECT_EQ(counter.whats.size(), c.type == Quor_TextControl::kText ? 0u : 1u);
        field->SetHandler(nullptr);
    }

    SetUpWindowAgain();
    Quor_TextControl* field = Field(Quor_TextControl::kInteger, "10");
    Press(30, 15, 2);
    for (int x = 35; x <= 50; x += 5)
        Move(x, 15);
    Release(50, 15, 2);
    EXPECT_STREQ(field->Value(), "12");
}

TEST_F(QuorTextControl, FocusStartsTheCaretAndLosingItReports)
{
    // Catches a caret that never blinks (or blinks on the wall clock), a caret still running
    // after the focus left, and a field that reports on every key without constant messages.
    Quor_TextControl* first = Place(new Quor_TextControl(100, "abc", 11, 0, kFollow), 10, 10);
    Quor_TextControl* second = Place(new Quor_TextControl(100, "xyz", 12, 0, kFollow), 10, 40);
    Open();
    const Quor_Rect inner = first->InnerRect();
    // Clicking right of the text puts the caret at its end.
    Click(10 + inner.right - 2, 10 + inner.top + 3);
    ASSERT_TRUE(first->IsFocused());
    EXPECT_EQ(Quor_TextControl::gFocusedTextControl, first);
    EXPECT_EQ(first->Caret(), 3);
    EXPECT_EQ(first->Anchor(), 3);

    // The caret's right column lies just after the text, where no glyph reaches.
    const Quor_Rect shownInner(10 + inner.left, 10 + inner.top, 10 + inner.right, 10 + inner.bottom);
    const int caretX = shownInner.left + Quor_App::gRegularFont->StringWidth("abc");
    auto caretOn = [&] { return Near(Shown(caretX, shownInner.top + 1), Quor_ColorOps::Text, 0); };
    EXPECT_TRUE(caretOn());
    // 20 frames a second: shown for 12 frames, hidden for 8.
    Wait(500);
    EXPECT_TRUE(first->CaretShown());
    Wait(200);
    EXPECT_FALSE(first->CaretShown());
    EXPECT_FALSE(caretOn());
    Type("d");
    EXPECT_TRUE(first->CaretShown());
    Wait(700);
    EXPECT_FALSE(first->CaretShown());
    Wait(400);
    EXPECT_TRUE(first->CaretShown());

    Type("ef");
    EXPECT_EQ(fLayer->Heard(11), 0);
    Key(kHostTab);
    EXPECT_TRUE(second->IsFocused());
    EXPECT_FALSE(first->IsRunning());
    EXPECT_EQ(Quor_TextControl::gFocusedTextControl, second);
    EXPECT_EQ(fLayer->Heard(11), 1);
    // Gaining the focus by Tab selects the whole text, so typing replaces it.
    Type("q");
    EXPECT_STREQ(second->Value(), "q");
    second->SetConstantMessages(true);
    Type("rs");
    EXPECT_EQ(fLayer->Heard(12), 2);
}

TEST_F(QuorTextControl, LooksLikeItsGoldens)
{
    // Catches a focused selection drawn in the wrong colours, a disabled field keeping its
    // outline, and text placed off the field's middle.
    Quor_TextControl* normal = Place(new Quor_TextControl(110, "Panorama 1", 0, 0, kFollow), 10, 10);
    Quor_TextControl* focused = Place(new Quor_TextControl(110, "Panorama 2", 0, 0, kFollow), 10, 40);
    Quor_TextControl* disabled = Place(new Quor_TextControl(110, "Panorama 3", 0, 0, kFollow), 10, 70);
    Open();
    disabled->Enable(false);
    focused->Focus(true);
    focused->Select(3, 8);
    // The blink's hidden phase, so that the caret does not decide the picture.
    Wait(650);
    ASSERT_FALSE(focused->CaretShown());
    ExpectGolden(normal, "text_field.png");
    ExpectGolden(focused, "text_field_focused.png");
    ExpectGolden(disabled, "text_field_disabled.png");
}
