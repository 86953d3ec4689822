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
    if (IsEnabled() && fMenu != nullptr && !fOpen && Window() != nullptr) {
        Open(false);
        return;
    }
    fOpen = false;
    Redraw(true);
}

void Quor_PopupMenu::Open(bool withKeyboard)
{
    Quor_Wnd* window = Window();
    if (window == nullptr || fMenu == nullptr)
        return;
    fOpen = true;
    Redraw(true);
    fMenu->SetMinWidth(Bounds().Width());
    fMenu->GoBelow(window, this, Bounds(), withKeyboard);
    if (!fMenu->IsOpen())
        Stop();
}

bool Quor_PopupMenu::WantsKey(int key, unsigned int modifiers)
{
    if ((modifiers & QUOR_COMMAND) != 0)
        return false;
    if ((modifiers & QUOR_OPTION) != 0)
        return key == QUOR_KEY_DOWN;
    return key == ' ' || key == QUOR_KEY_UP || key == QUOR_KEY_DOWN;
}

void Quor_PopupMenu::OnKeyDown(int key, unsigned int modifiers)
{
    if (!IsEnabled() || fMenu == nullptr || fOpen || !WantsKey(key, modifiers))
        return;
    if (key == ' ' || (modifiers & QUOR_OPTION) != 0) {
        Open(true);
        return;
    }
    if (!fShowChecked)
        return;
    const int count = fMenu->CountItems();
    const int step = key == QUOR_KEY_DOWN ? 1 : -1;
    // From the checked item (none: from before the first) to the next that can be chosen; the
    // ends stop it, as in a closed pop-up of a desktop.
    int index = fMenu->FirstChecked();
    if (index < 0)
        index = step > 0 ? -1 : count;
    for (index += step; index >= 0 && index < count; index += step) {
        const int code = fMenu->ItemMessage(index);
        if (code != 0 && fMenu->IsItemEnabled(index) && fMenu->ItemSubMenu(index) == nullptr) {
            SendMessage(code);
            return;
        }
    }
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

Quor_Rect Quor_PopupMenu::FocusRingRect() const
{
    Quor_Rect r = Bounds();
    r.InsetBy(3, 2);
    return r;
}

void Quor_PopupMenu::RedrawMe(Quor_Graphics* g)
{
    const char* text = "";
    if (fMenu != nullptr)
        text = fShowChecked ? fMenu->FirstCheckedLabel() : fMenu->Title().Buffer();
    Quor_WidgetLook::DrawPopupButton(g, Bounds(), TinyCornerRadius(), fOpen, IsEnabled(), text);
}
