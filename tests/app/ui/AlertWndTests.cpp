// The alert box as the user answers it: keys, clicks and the close box, and how it is laid out.
#include <gtest/gtest.h>

#include "tests/app/ui/EditorTestSupport.h"
#include "tests/support/GoldenImage.h"

namespace {

using editor_test::EditorTest;
using editor_test::kEscape;
using editor_test::kReturn;

class AlertWndTest : public EditorTest {};

// Catches a key or click that answers with the wrong button, letter keys that stay on when two
// labels share their first letter (the answer would depend on button order), an Escape that
// does not give the last button, a close box that ends the alert as if "Yes" were chosen, and a
// held key whose auto-repeat answers the alert it opened.
TEST_F(AlertWndTest, EachWayOfAnsweringGivesTheButtonMeant)
{
    struct Case {
        const char* buttons[3];
        std::vector<int> answer;
        int expected;
    };
    const Case cases[] = {
        {{"OK", nullptr, nullptr}, {kReturn}, 0},
        {{"OK", nullptr, nullptr}, {kEscape}, 0},
        {{"Yes", "No", "Cancel"}, {'y'}, 0},
        {{"Yes", "No", "Cancel"}, {'n'}, 1},
        {{"Yes", "No", "Cancel"}, {'c'}, 2},
        {{"Yes", "No", "Cancel"}, {kEscape}, 2},
        {{"Yes", "No", "Cancel"}, {kReturn}, 0},
        {{"Yes", "No", "Cancel"}, {EditorTest::kClickFirst - 1}, 1},
        {{"Yes", "No", "Cancel"}, {EditorTest::kCloseBox}, 2},
        // "Save" and "Skip" share their key: letters do nothing, Return and Escape still work.
        {{"Save", "Skip", "Cancel"}, {'s', 'c'}, -1},
        {{"Save", "Skip", nullptr}, {'s', kEscape}, 1},
        {{"Save", "Skip", nullptr}, {'s', kReturn}, 0},
        // Tab reaches the buttons in turn: Space presses the one reached, Return the first.
        {{"Yes", "No", "Cancel"}, {'\t', '\t', ' '}, 1},
        {{"Yes", "No", "Cancel"}, {'\t', '\t', kReturn}, 0},
        // An alert without buttons offers "OK".
        {{nullptr, nullptr, nullptr}, {'o'}, 0},
        // A key held down from the window that opened the alert answers nothing by its repeats.
        {{"Replace", "Cancel", nullptr}, {EditorTest::kRepeated + kReturn, EditorTest::kRepeated + 'r', kEscape}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.buttons[0] ? c.buttons[0] : "-") + " " + std::to_string(c.answer[0]));
        std::vector<int> answer = c.answer;
        // A case whose letters do nothing is closed with Escape, which must still be open then.
        if (c.expected < 0)
            answer.push_back(kEscape);
        AnswerWithAll(answer);
        const int result = Quor_Alert(nullptr, kAlertQuestion, "Question?", nullptr, nullptr, c.buttons[0],
                                      c.buttons[1], c.buttons[2]);
        EXPECT_EQ(result, c.expected < 0 ? 2 : c.expected);
    }
}

// Catches a text cut off by a window of fixed size, buttons of different widths, the icon of
// the wrong type, and a look that drifts (the picture is kept as a reference).
TEST_F(AlertWndTest, GrowsToItsTextAndShowsTheIconOfItsType)
{
    auto shownWidth = [this](const char* text) {
        Answer({kReturn});
        Quor_Alert(nullptr, kAlertExclamation, "Could not save document.", text, nullptr, "OK");
        return fLastAlertShown.Width();
    };
    const int narrow = shownWidth("/a.qpm");
    const int wide = shownWidth("/a/very/long/folder/name/that/the/user/chose/for/the/panorama/project.qpm");
    EXPECT_GT(wide, narrow + 150);

    AlertLayer layer(kAlertQuestion, "Save changes?", "Your changes have not been saved.", nullptr, "Yes", "No",
                     "Cancel");
    const int width = layer.Button(0)->Shape().x;
    EXPECT_GE(width, 48);
    EXPECT_EQ(layer.Button(1)->Shape().x, width);
    EXPECT_EQ(layer.Button(2)->Shape().x, width);
    EXPECT_EQ(layer.CancelCode(), -3);

    Answer({'c'});
    Quor_Alert(nullptr, kAlertQuestion, "Save changes?", "Your changes to \"earth.qpm\" have not been saved.",
               nullptr, "Yes", "No", "Cancel");
    EXPECT_GOLDEN(fLastAlertShown.Image(), "tests/app/ui/golden/alert_save_changes.png", 8);
}

}  // namespace
