#include "toolkit/widgets/Quor_PopupMenu.h"

#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/widgets/Quor_Menu.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

Quor_PopupMenu::Quor_PopupMenu(int width, bool showChecked, unsigned int followFlags)
    : Quor_BaseWidget(true, followFlags),
      fOpen(false),
      fShowChecked(showChecked),
      fMenu(nullptr)
{
    SetFont(Quor_App::gRegularFont);
    SetShape(width > 0 ? width : 1, BaseWidgetHeight());
}

Quor_PopupMenu::~Quor_PopupMenu()
{
    if (fMenu != nullptr) {
        fMenu->SetPopupOwner(nullptr);
        delete fMenu;
    }
}

void Quor_PopupMenu::SetMenu(Quor_Menu* menu)
{
    if (menu == fMenu)
        return;
    if (fMenu != nullptr) {
        fMenu->SetPopupOwner(nullptr);
        delete fMenu;
    }
    fMenu = menu;
    fOpen = false;
    if (fMenu != nullptr) {
        fMenu->SetTarget(this);
        fMenu->SetPopupOwner(this);
    }
    Redraw(true);
}

Quor_Menu* Quor_PopupMenu::DetachMenu()
{
    Quor_Menu* menu = fMenu;
    fMenu = nullptr;
    if (menu != nullptr) {
        menu->Close();
        menu->SetPopupOwner(nullptr);
        menu->SetTarget(nullptr);
    }
    fOpen = false;
    return menu;
}

void Quor_PopupMenu::Stop()
{
    fOpen = false;
    Redraw(true);
}

void Quor_PopupMenu::SwallowPressAt(Quor_Point windowPoint)
{
    fSwallowed.Set(windowPoint);
}

void Quor_PopupMenu::SendMessage(int what)
{
    Quor_Handler::SendMessage(what);
}

void Quor_PopupMenu::SendMessage(Quor_Message* message)
{
    Quor_Handler::SendMessage(message);
}

void Quor_PopupMenu::HandleMessage(Quor_Message* message)
{
    if (fShowChecked && fMenu != nullptr) {
        fMenu->UncheckAll();
        fMenu->SetChecked(message->what, true);
        Redraw(true);
    }
    PassOn(message);
}

void Quor_PopupMenu::OnMouseDown(Quor_Point where, unsigned int, unsigned int, Quor_Message*)
{
    if (fSwallowed.Take(this, where))
        return;
    Quor_Wnd* window = Window();
    if (IsEnabled() && fMenu != nullptr && !fOpen && window != nullptr) {
        fOpen = true;
        Redraw(true);
        fMenu->SetMinWidth(Bounds().Width());
        fMenu->GoBelow(window, this, Bounds(), false);
        if (!fMenu->IsOpen())
            Stop();
        return;
    }
    fOpen = false;
    Redraw(true);
}

void Quor_PopupMenu::OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers,
                               Quor_Message* message)
{
    if (fOpen && fMenu != nullptr)
        fMenu->TakeOpenerMouseUp(this, where, button, modifiers, message);
}

void Quor_PopupMenu::DetachedFromWindow()
{
    if (fMenu != nullptr)
        fMenu->Close();
    fOpen = false;
    Quor_BaseWidget::DetachedFromWindow();
}

void Quor_PopupMenu::RedrawMe(Quor_Graphics* g)
{
    const char* text = "";
    if (fMenu != nullptr)
        text = fShowChecked ? fMenu->FirstCheckedLabel() : fMenu->Title().Buffer();
    Quor_WidgetLook::DrawPopupButton(g, Bounds(), TinyCornerRadius(), fOpen, IsEnabled(), text);
}
