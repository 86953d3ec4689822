#include "toolkit/widgets/Quor_PopupMenu.h"

#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/math/Quor_Vector2.h"
#include "toolkit/widgets/Quor_Menu.h"

Quor_PopupMenu::Quor_PopupMenu(int width, bool showChecked, unsigned int followFlags)
    : Quor_BaseWidget(true, followFlags),
      fOpen(false),
      fShowChecked(showChecked),
      fMenu(nullptr),
      fSwallowPress(false)
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
    fSwallowPress = true;
    fSwallowPoint = windowPoint;
}

void Quor_PopupMenu::SendMessage(int what)
{
    Quor_Message message(what);
    HandleMessage(&message);
}

void Quor_PopupMenu::SendMessage(Quor_Message* message)
{
    HandleMessage(message);
}

void Quor_PopupMenu::HandleMessage(Quor_Message* message)
{
    if (fShowChecked && fMenu != nullptr) {
        fMenu->UncheckAll();
        fMenu->SetChecked(message->what, true);
        Redraw(true);
    }
    if (fHandler != nullptr)
        fHandler->SendMessage(message);
    else
        Quor_BaseWidget::HandleMessage(message);
}

void Quor_PopupMenu::OnMouseDown(Quor_Point where, unsigned int, unsigned int, Quor_Message*)
{
    if (fSwallowPress) {
        fSwallowPress = false;
        Quor_Point at = where;
        ViewToWnd(at);
        if (at == fSwallowPoint)
            return;
    }
    Quor_Wnd* window = Window();
    if (IsEnabled() && fMenu != nullptr && !fOpen && window != nullptr) {
        fOpen = true;
        Redraw(true);
        Quor_Rect opener = Bounds();
        Quor_Point topLeft = opener.LeftTop();
        ViewToWnd(topLeft);
        opener.OffsetTo(topLeft.x, topLeft.y);
        fMenu->SetOpenerRect(opener);
        fMenu->SetMinWidth(opener.Width());
        fMenu->Go(window, Quor_Point(opener.left, opener.bottom + 1));
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
    if (!fOpen || fMenu == nullptr || !fMenu->IsOpen())
        return;
    Quor_Point at = where;
    ViewToWnd(at);
    fMenu->WndToLayer(at);
    fMenu->OnMouseUp(at, button, modifiers, message);
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
    const bool enabled = IsEnabled();
    const Quor_Rect b = Bounds();
    const int height = b.Height();
    const int radius = TinyCornerRadius();
    Quor_Rect inset = b;
    inset.InsetBy(1, 0);
    g->SetSmoothing(true);
    g->SetPenWidth(1);
    const rgb_color c1 = fOpen ? Quor_ColorOps::ButtonGradient2 : Quor_ColorOps::ButtonGradient1;
    const rgb_color c2 = fOpen ? Quor_ColorOps::ButtonGradient1 : Quor_ColorOps::ButtonGradient2;
    g->RoundedGradientFill(inset, radius, true, c1, c2);
    g->SetColor(Quor_ColorOps::WidgetShadow);
    g->FrameRoundedRect(inset, radius);
    if (enabled) {
        Quor_Rect outline = b;
        outline.InsetBy(0, 1);
        g->SetColor(Quor_ColorOps::WidgetOutline);
        g->FrameRoundedRect(outline, radius);
    }

    const float shift = fOpen ? 1.0f : 0.0f;
    const float cx = static_cast<float>(b.right) - height / 2.0f + shift;
    const float cy = (b.top + b.bottom) / 2.0f + shift;
    const float s = height / 7.0f;
    const Quor_Vector2 p1(cx - s, cy - s * 0.6f);
    const Quor_Vector2 p2(cx + s, cy - s * 0.6f);
    const Quor_Vector2 p3(cx, cy + s * 0.8f);
    g->SetColor(enabled ? Quor_ColorOps::WidgetOutline : Quor_ColorOps::DisabledText);
    g->BeginShape();
    g->AddLine(p1, p2);
    g->AddLine(p2, p3);
    g->AddLine(p3, p1);
    g->EndShape();

    const char* text = "";
    if (fMenu != nullptr)
        text = fShowChecked ? fMenu->FirstCheckedLabel() : fMenu->Title().Buffer();
    // Centred in the part left of the triangle's square, so a label that fits is never cut.
    Quor_Rect clip = inset;
    clip.right = b.right - height;
    if (clip.right >= clip.left) {
        g->SetClipRect(clip);
        Quor_Rect area = clip;
        if (fOpen)
            area.OffsetBy(1, 1);
        g->SetColor(enabled ? Quor_ColorOps::Text : Quor_ColorOps::DisabledText);
        g->DrawString(text, area, QUOR_ALIGN_CENTER, QUOR_ALIGN_CENTER);
        g->ClearClipRect();
    }
    g->SetSmoothing(false);
}
