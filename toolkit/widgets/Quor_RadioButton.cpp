#include "toolkit/widgets/Quor_RadioButton.h"

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
