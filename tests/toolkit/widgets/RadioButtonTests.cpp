// Radio buttons: one set button per parent (a view or a layer), and the order in which the
// group and the target hear about a change.
#include <gtest/gtest.h>

#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/widgets/Quor_CheckBox.h"
#include "toolkit/widgets/Quor_RadioButton.h"

using namespace quor_test;

namespace {

// A radio button that notes in a shared log when the group tells it to clear itself.
class NotedRadio : public Quor_RadioButton {
public:
    NotedRadio(const char* label, int what, std::vector<int>* order)
        : Quor_RadioButton(label, what, 3), fOrder(order)
    {
    }
    void HandleMessage(Quor_Message* message) override
    {
        if (message->what == QUOR_MSG_RADIO)
            fOrder->push_back(-What());
        Quor_RadioButton::HandleMessage(message);
    }

private:
    std::vector<int>* fOrder;
};

// Adds every what-code it hears to the shared log.
class OrderLog : public Quor_Handler {
public:
    explicit OrderLog(std::vector<int>* order) : fOrder(order) {}
    void HandleMessage(Quor_Message* message) override { fOrder->push_back(message->what); }

private:
    std::vector<int>* fOrder;
};

}  // namespace

class QuorRadioButton : public WidgetWindowTest {};

TEST_F(QuorRadioButton, ClickClearsTheOthersFirstThenSendsItsCode)
{
    // Catches two buttons of a group left set, the clicked button's code sent before the group
    // was cleared, the clear message leaking to siblings of other kinds (and so up the chain)
    // or to a sibling's own target, and a group that reaches into another parent.
    std::vector<int> order;
    OrderLog target(&order);
    WhatLog chain;   // everything that climbs past the group
    Quor_View* group = Place(SizedView(300, 100), 10, 10);
    NotedRadio* radios[3] = {new NotedRadio("One", 1, &order), new NotedRadio("Two", 2, &order),
                             new NotedRadio("Three", 3, &order)};
    for (int i = 0; i < 3; ++i) {
        radios[i]->SetLocation(0, i * 20);
        radios[i]->SetHandler(&target);
        group->AddChild(radios[i]);
    }
    Quor_CheckBox* check = new Quor_CheckBox("Other kind", 50, 3);
    check->SetLocation(150, 0);
    group->AddChild(check);
    NotedRadio* elsewhere = Place(new NotedRadio("Elsewhere", 7, &order), 10, 150);
    elsewhere->SetValue(true);
    Open();

    // Everything that climbs up to the layer's window is counted through a handler on the check
    // box's chain: nothing of the group should arrive there.
    check->SetHandler(&chain);
    radios[0]->SetValue(true);
    order.clear();

    Click(15, 10 + 45);
    EXPECT_EQ(order, (std::vector<int>{-1, -2, 3}));
    EXPECT_TRUE(!radios[0]->Value() && !radios[1]->Value() && radios[2]->Value());
    EXPECT_TRUE(elsewhere->Value()) << "another parent is another group";
    EXPECT_TRUE(chain.whats.empty());

    // SetValue(true) clears the group quietly.
    order.clear();
    radios[1]->SetValue(true);
    EXPECT_FALSE(radios[2]->Value());
    EXPECT_EQ(order, (std::vector<int>{-1, -3}));

    // Radio buttons placed straight in a layer form a group there.
    Quor_RadioButton* a = Place(new Quor_RadioButton("A", 1, 3), 200, 150);
    Quor_RadioButton* b = Place(new Quor_RadioButton("B", 2, 3), 200, 170);
    Click(205, 158);
    Click(205, 178);
    EXPECT_TRUE(b->Value() && !a->Value());
    EXPECT_FALSE(elsewhere->Value()) << "the layer's group holds this one too";
}
