#include "toolkit/framework/Quor_MenuStripLayer.h"

#include "toolkit/framework/Quor_MenuStrip.h"
#include "toolkit/framework/Quor_View.h"

Quor_MenuStripLayer::Quor_MenuStripLayer(Quor_Layer* owner, Quor_MenuStrip* strip)
    : Quor_Layer(QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP | QUOR_FOLLOW_RIGHT),
      fOwner(owner),
      fStrip(strip),
      fBar(strip->StripView())
{
    if (fBar != nullptr)
        AddChild(fBar);
}

Quor_MenuStripLayer::~Quor_MenuStripLayer()
{
    // A bar deleted meanwhile has already left the child list.
    for (int i = 0; i < CountChildren(); ++i) {
        if (GetChild(i) == fBar) {
            RemoveChild(fBar);
            break;
        }
    }
}

void Quor_MenuStripLayer::HandleMessage(Quor_Message* message)
{
    fOwner->SendMessage(message);
}

void Quor_MenuStripLayer::UpdateMenus()
{
    fOwner->UpdateMenus();
}
