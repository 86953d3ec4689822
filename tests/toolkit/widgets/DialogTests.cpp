// Dialogs: the OK/Cancel protocol of modal, modeless and pop-up dialogs driven with keys and
// clicks, the repair of a refused field, and pop-ups kept inside their window.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/framework/Quor_LayoutView.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_Dialog.h"
#include "toolkit/widgets/Quor_DialogWnd.h"
#include "toolkit/widgets/Quor_PopupDialog.h"
#include "toolkit/widgets/Quor_TextControl.h"

using namespace quor_test;

namespace {

// What a dialog's protocol did; kept outside the dialog, which goes with its window.
struct Record {
    int value = 0;        // the dialog's data
    int stored = -1;      // what the last UpdateData(true) stored
    int saves = 0;
    int loads = 0;
    std::vector<int> ends;
};

// A dialog with a number field (focused when shown), OK and Cancel, that accepts 0 to 100.
class LimitDialog : public Quor_Dialog {
public:
    LimitDialog(int value, Record* record) : Quor_Dialog("Limit", nullptr), fRecord(record)
    {
        fRecord->value = value;
        auto* form = new Quor_LayoutView(Quor_LayoutView::kHorizontal, 8, Quor_Point(8, 8));
        fField = new Quor_TextControl(60, "", 0, Quor_TextControl::kCount, QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP);
        fOK = new Quor_Button("OK", QUOR_MSG_OK, 64, true, QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP);
        fCancel = new Quor_Button("Cancel", QUOR_MSG_CANCEL, 64, false, QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP);
        form->AddChild(fField, QUOR_LAYOUT_CENTER);
        form->AddChild(fOK, QUOR_LAYOUT_CENTER);
        form->AddChild(fCancel, QUOR_LAYOUT_CENTER);
        AddChild(form);
        SetKeyButtons(fOK, fCancel);
        SetFocusView(fField);
    }
    bool ValidateData() override { return ValidateInt(fField, 0, 100); }
    void UpdateData(bool save) override
    {
        if (save) {
            fRecord->stored = fField->IntValue();
            ++fRecord->saves;
        } else {
            fField->SetValue(fRecord->value);
            ++fRecord->loads;
        }
    }
    void OnEndDialog(int code) override { fRecord->ends.push_back(code); }
    std::string Shown() const { return fField->Value(); }

    Record* fRecord;
    Quor_TextControl* fField;
    Quor_Button* fOK;
    Quor_Button* fCancel;
};

class QuorDialog : public WidgetWindowTest {
protected:
    void SetUp() override
    {
        WidgetWindowTest::SetUp();
        Quor_Dialog::gPressMilliseconds = 0;
    }
    void TearDown() override
    {
        Quor_Dialog::gPressMilliseconds = 200;
        WidgetWindowTest::TearDown();
    }
};

}  // namespace

TEST_F(QuorDialog, ModalOkRepairsARefusedValueAndStaysOpenUntilItValidates)
{
    // Catches an OK that closes although ValidateData refused, a refusal without a beep, values
    // stored from a refused dialog, and Return or a click on OK that never reaches the window.
    Record record;
    LimitDialog* dialog = new LimitDialog(150, &record);
    const int beepsBefore = fHost.BeepCount();
    Script({
        [&](uint32_t w) {
            EXPECT_TRUE(dialog->fField->IsFocused());
            fHost.PushKey(w, kHostReturn);
        },
        [&](uint32_t w) {
            EXPECT_NE(w, fHostId) << "a refused OK keeps the dialog open";
            EXPECT_EQ(fHost.BeepCount(), beepsBefore + 1);
            EXPECT_EQ(dialog->Shown(), "100") << "the refused field is repaired to the nearer bound";
            EXPECT_EQ(record.saves, 0);
            EXPECT_EQ(record.loads, 1);
            PushClickOn(w, dialog->fOK);
        },
    });
    EXPECT_EQ(dialog->DoModal(), QUOR_MSG_OK);
    EXPECT_EQ(record.stored, 100);
    EXPECT_EQ(record.ends, std::vector<int>{QUOR_MSG_OK});
    EXPECT_EQ(fHost.Windows().size(), 1u) << "the dialog window closes when the loop ends";
}

TEST_F(QuorDialog, EscapeAndTheCloseBoxCancelWithoutStoring)
{
    // Catches Escape that does nothing, a cancel that stores the values, OnEndDialog told the
    // wrong code, and a close box that leaves a modal dialog stuck on screen.
    struct Case {
        const char* name;
        std::function<void(Quor_MemoryHost&, uint32_t)> act;
    };
    const Case cases[] = {
        {"escape", [](Quor_MemoryHost& host, uint32_t w) { host.PushKey(w, kHostEscape); }},
        {"close box", [](Quor_MemoryHost& host, uint32_t w) { host.PushClose(w); }},
    };
    for (const Case& c : cases) {
        Record record;
        LimitDialog* dialog = new LimitDialog(5, &record);
        Script({[&](uint32_t w) { c.act(fHost, w); }});
        EXPECT_EQ(dialog->DoModal(), QUOR_MSG_CANCEL) << c.name;
        EXPECT_EQ(record.ends, std::vector<int>{QUOR_MSG_CANCEL}) << c.name;
        EXPECT_EQ(record.saves, 0) << c.name;
        EXPECT_EQ(fHost.Windows().size(), 1u) << c.name;
    }
}

TEST_F(QuorDialog, PopupIsPulledInsideAndAPressOutsideAppliesIt)
{
    // Catches a pop-up left hanging past the window's edges, a press outside that neither
    // applies nor closes, a stay-open pop-up that closes on it, values applied although they
    // were refused, and a Cancel button that does not take a pop-up away.
    Open();
    struct Case { bool stayOpen; int value; bool showingAfter; int storedAfter; };
    const Case cases[] = {
        {true, 7, true, 7}, {false, 7, false, 7}, {false, 150, true, -1}, {true, -4, true, -1},
    };
    for (const Case& c : cases) {
        Record record;
        LimitDialog* dialog = new LimitDialog(c.value, &record);
        dialog->DoPopup(fWindow, Quor_Point(380, 290), c.stayOpen);
        ASSERT_EQ(fWindow->TopLayer(), dialog);
        EXPECT_TRUE(InsideWindow(dialog->Frame()));
        EXPECT_EQ(record.loads, 1);

        Click(5, 5);
        EXPECT_EQ(dialog->Window() != nullptr, c.showingAfter) << c.stayOpen << " " << c.value;
        EXPECT_EQ(record.stored, c.storedAfter);
        if (c.storedAfter < 0) {
            EXPECT_EQ(dialog->Shown(), c.value > 100 ? "100" : "0") << "repaired, silently";
        }
        if (dialog->Window() != nullptr) {
            PushClickOn(fHostId, dialog->fCancel);
            Pump();
            EXPECT_EQ(dialog->Window(), nullptr) << "Cancel takes the pop-up away";
            EXPECT_EQ(record.saves, c.storedAfter >= 0 ? 1 : 0);
        }
        EXPECT_EQ(fLayer->Heard(QUOR_MSG_CANCEL), 0);
        delete dialog;
    }
}

TEST_F(QuorDialog, PopupButtonOpensAndClosesItsDialogWithClicksAndKeys)
{
    // Catches a target that hears the button's code only once per open-and-close, a second
    // click on the button that opens the dialog again instead of closing it, Return applying
    // twice (once for the OK button, once for the key), and Escape that applies.
    WhatLog log;
    auto* button = Place(new Quor_PopupDialog("Options", false, 42, 0), 20, 20);
    button->SetHandler(&log);
    Record record;
    LimitDialog* dialog = new LimitDialog(9, &record);
    button->SetDialog(dialog);
    Open();

    Click(30, 25);
    ASSERT_EQ(dialog->Window(), fWindow);
    EXPECT_TRUE(button->IsOpen());
    EXPECT_EQ(dialog->Location(), Quor_Point(20, 20 + button->Shape().y)) << "opens just below the button";
    Click(30, 25);
    EXPECT_EQ(dialog->Window(), nullptr);
    EXPECT_FALSE(button->IsOpen());
    EXPECT_EQ(log.Count(42), 2);

    Click(30, 25);
    ASSERT_EQ(dialog->Window(), fWindow);
    Key(kHostReturn);
    EXPECT_EQ(dialog->Window(), nullptr);
    EXPECT_EQ(record.saves, 2) << "the click that closed it applied once, Return once";

    Click(30, 25);
    dialog->fField->SetValue(11);
    Key(kHostEscape);
    EXPECT_EQ(dialog->Window(), nullptr);
    EXPECT_EQ(record.stored, 9) << "Escape does not apply";
    EXPECT_EQ(log.Count(42), 6);
    EXPECT_EQ(fLayer->Heard(QUOR_MSG_OK) + fLayer->Heard(QUOR_MSG_CANCEL), 0);
}

TEST_F(QuorDialog, PopupOkInsideAModalDialogLeavesThatDialogRunning)
{
    // Catches the OK and Cancel codes of a pop-up climbing on to the dialog window around it,
    // which would end (or cancel) the outer modal dialog.
    Record outer;
    LimitDialog* dialog = new LimitDialog(1, &outer);
    auto* popupButton = new Quor_PopupDialog("More", false, 5, 0);
    Record inner;
    LimitDialog* popup = new LimitDialog(3, &inner);
    popupButton->SetDialog(popup);
    static_cast<Quor_LayoutView*>(dialog->GetChild(0))->AddChild(popupButton, QUOR_LAYOUT_CENTER);
    Script({
        [&](uint32_t w) { PushClickOn(w, popupButton); },
        [&](uint32_t w) {
            EXPECT_NE(popup->Window(), nullptr);
            PushClickOn(w, popup->fOK);
        },
        [&](uint32_t w) {
            EXPECT_TRUE(outer.ends.empty()) << "the outer dialog is still running";
            fHost.PushKey(w, kHostEscape);
        },
    });
    EXPECT_EQ(dialog->DoModal(), QUOR_MSG_CANCEL);
    EXPECT_EQ(inner.stored, 3);
    EXPECT_EQ(outer.ends, std::vector<int>{QUOR_MSG_CANCEL});
}

TEST_F(QuorDialog, ModelessDialogClosesOnlyWithValuesThatValidate)
{
    // Catches a floating dialog whose close box drops its values, one that closes with a
    // refused value, and OK or Cancel codes that climb on to the parent window instead of
    // closing the floating one.
    Open();
    Record record;
    LimitDialog* dialog = new LimitDialog(150, &record);
    dialog->DoModeless();
    const uint32_t floating = fHost.Windows().back();
    ASSERT_NE(floating, fHostId);
    EXPECT_EQ(fHost.WindowRecord(floating)->type, 5);
    EXPECT_TRUE(fHost.WindowRecord(floating)->visible);

    const int beeps = fHost.BeepCount();
    fHost.PushClose(floating);
    Pump();
    ASSERT_NE(fHost.WindowRecord(floating), nullptr) << "a refused value keeps the dialog open";
    EXPECT_EQ(fHost.BeepCount(), beeps + 1);
    EXPECT_EQ(dialog->Shown(), "100");

    PushClickOn(floating, dialog->fOK);
    Pump();
    EXPECT_EQ(fHost.WindowRecord(floating), nullptr);
    EXPECT_EQ(record.stored, 100);
    EXPECT_EQ(record.ends, std::vector<int>{QUOR_MSG_OK});

    Record cancelled;
    LimitDialog* other = new LimitDialog(4, &cancelled);
    other->DoModeless();
    const uint32_t second = fHost.Windows().back();
    PushClickOn(second, other->fCancel);
    Pump();
    EXPECT_EQ(fHost.WindowRecord(second), nullptr);
    EXPECT_EQ(cancelled.saves, 0);
    EXPECT_EQ(cancelled.ends, std::vector<int>{QUOR_MSG_CANCEL});
    EXPECT_EQ(fLayer->Heard(QUOR_MSG_OK) + fLayer->Heard(QUOR_MSG_CANCEL), 0);
}

TEST_F(QuorDialog, ValidatorsRepairAFieldToTheNearerBoundOnly)
{
    // Catches a validator that accepts a value outside the range, changes a value inside it, or
    // repairs to the wrong bound (or not at all).
    struct Case { const char* text; bool isFloat; bool accepted; const char* shown; };
    const Case cases[] = {
        {"150", false, false, "100"}, {"50", false, true, "50"}, {"0", false, false, "1"},
        {"", false, false, "1"},      {"0.1", true, false, "0.50"}, {"2.5", true, false, "2"},
        {"1.25", true, true, "1.25"},
    };
    Quor_Dialog dialog("Check", nullptr);
    for (const Case& c : cases) {
        Quor_TextControl field(60, c.text, 0, c.isFloat ? Quor_TextControl::kNumber : Quor_TextControl::kInteger,
                               QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP);
        const bool accepted = c.isFloat ? dialog.ValidateFloat(&field, 0.5f, 2.0f) : dialog.ValidateInt(&field, 1, 100);
        EXPECT_EQ(accepted, c.accepted) << c.text;
        EXPECT_STREQ(field.Value(), c.shown) << c.text;
    }
    EXPECT_FALSE(dialog.ValidateInt(nullptr, 1, 2));
}
