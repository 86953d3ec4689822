#include "toolkit/widgets/Quor_RadioButton.h"

#include <algorithm>
#include <vector>

#include "toolkit/core/Quor_Message.h"
#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

Quor_RadioButton::Quor_RadioButton(const char* label, int what, unsigned int followFlags)
    : Quor_CheckBox(label, what, followFlags)
{
}

void Quor_RadioButton::SetValue(bool value)
{
    Quor_CheckBox::SetValue(value);
    if (value)
        ClearSiblings();
}

void Quor_RadioButton::HandleMessage(Quor_Message* message)
{
    if (message->what == QUOR_MSG_RADIO) {
        if (fValue) {
            fValue = false;
            Redraw(true);
        }
        return;
    }
    Quor_CheckBox::HandleMessage(message);
}

void Quor_RadioButton::ClearSiblings()
{
    // Only the other radio buttons of the group hear it, and straight from here: a sibling's own
    // message target, or the chain above a sibling of another kind, has nothing to do with it.
    Quor_Message radio(QUOR_MSG_RADIO);
    Quor_View* parent = Parent();
    Quor_Layer* layer = parent == nullptr ? DirectLayer() : nullptr;
    const int count = parent != nullptr ? parent->CountChildren() : (layer != nullptr ? layer->CountChildren() : 0);
    for (int i = 0; i < count; ++i) {
        Quor_View* sibling = parent != nullptr ? parent->GetChild(i) : layer->GetChild(i);
        if (sibling == this)
            continue;
        if (Quor_RadioButton* other = dynamic_cast<Quor_RadioButton*>(sibling))
            other->HandleMessage(&radio);
    }
}

bool Quor_RadioButton::WantsKey(int key, unsigned int modifiers)
{
    if ((modifiers & (QUOR_COMMAND | QUOR_OPTION)) != 0)
        return false;
    return key == QUOR_KEY_LEFT || key == QUOR_KEY_RIGHT || key == QUOR_KEY_UP || key == QUOR_KEY_DOWN ||
           Quor_CheckBox::WantsKey(key, modifiers);
}

void Quor_RadioButton::OnKeyDown(int key, unsigned int modifiers)
{
    if (!IsEnabled() || !WantsKey(key, modifiers))
        return;
    if (key == ' ') {
        Activate();
        return;
    }
    // The group: the enabled radio buttons among the siblings, top to bottom, then left to right.
    Quor_View* parent = Parent();
    Quor_Layer* layer = parent == nullptr ? DirectLayer() : nullptr;
    const int count = parent != nullptr ? parent->CountChildren() : (layer != nullptr ? layer->CountChildren() : 0);
    std::vector<Quor_RadioButton*> group;
    for (int i = 0; i < count; ++i) {
        Quor_View* sibling = parent != nullptr ? parent->GetChild(i) : layer->GetChild(i);
        auto* radio = dynamic_cast<Quor_RadioButton*>(sibling);
        if (radio != nullptr && (radio == this || radio->IsEnabled()))
            group.push_back(radio);
    }
    std::stable_sort(group.begin(), group.end(), [](const Quor_RadioButton* a, const Quor_RadioButton* b) {
        const Quor_Rect fa = a->Frame();
        const Quor_Rect fb = b->Frame();
        return fa.top != fb.top ? fa.top < fb.top : fa.left < fb.left;
    });
    const int n = static_cast<int>(group.size());
    const int index = static_cast<int>(std::find(group.begin(), group.end(), this) - group.begin());
    if (n < 2 || index >= n)
        return;
    const bool back = key == QUOR_KEY_LEFT || key == QUOR_KEY_UP;
    Quor_RadioButton* next = group[static_cast<size_t>((index + (back ? n - 1 : 1)) % n)];
    next->Focus(true);
    next->Activate();
}

void Quor_RadioButton::Activate()
{
    fValue = true;
    Redraw(true);
    ClearSiblings();
    SendMessage(fWhat);
}

void Quor_RadioButton::DrawMark(Quor_Graphics* g, const Quor_Rect& square, bool pushed)
{
    Quor_WidgetLook::DrawRoundWell(g, square, pushed, IsEnabled());
    if (fValue) {
        Quor_Rect dot = square;
        dot.InsetBy(3, 3);
        rgb_color color = Quor_ColorOps::WidgetOutline;
        if (!IsEnabled())
            color.alpha = 128;
        g->SetColor(color);
        g->FillOval(dot);
    }
}
