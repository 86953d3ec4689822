#include "toolkit/widgets/Quor_MenuBar.h"

#include <algorithm>

#include "toolkit/core/Quor_Ascii.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/widgets/Quor_Menu.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

namespace {

// Room left of the first title, inside the bar's rounded outline.
constexpr int kFirstTitle = 4;

int BarHeight(const Quor_Font* font)
{
    const int line = font != nullptr ? font->LineToLineHeight() : 16;
    return line + line / 4;
}

}  // namespace

Quor_MenuBar::Quor_MenuBar()
    : Quor_BaseWidget(false, QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP | QUOR_FOLLOW_RIGHT),
      fTracking(false),
      fOpenIndex(-1),
      fCount(0),
      fMenus{}
{
    SetFont(Quor_App::gBoldFont);
    SetShape(64, BarHeight(fFont));
}

Quor_MenuBar::~Quor_MenuBar()
{
    for (int i = 0; i < fCount; ++i) {
        fMenus[i]->SetBarOwner(nullptr);
        delete fMenus[i];
        fMenus[i] = nullptr;
    }
    fCount = 0;
}

bool Quor_MenuBar::AddMenu(Quor_Menu* menu)
{
    if (menu == nullptr || fCount >= kMaxMenus)
        return false;
    for (int i = 0; i < fCount; ++i) {
        if (fMenus[i] == menu)
            return true;
    }
    fMenus[fCount++] = menu;
    menu->SetTarget(this);
    menu->SetBarOwner(this);
    Redraw(true);
    return true;
}

Quor_Menu* Quor_MenuBar::Menu(int index) const
{
    return index >= 0 && index < fCount ? fMenus[index] : nullptr;
}

void Quor_MenuBar::SetEnabled(int code, bool enabled)
{
    for (int i = 0; i < fCount; ++i)
        fMenus[i]->SetEnabled(code, enabled);
}

void Quor_MenuBar::SetChecked(int code, bool checked)
{
    for (int i = 0; i < fCount; ++i)
        fMenus[i]->SetChecked(code, checked);
}

void Quor_MenuBar::Stop()
{
    fTracking = false;
    fOpenIndex = -1;
    Redraw(true);
}

Quor_Rect Quor_MenuBar::MenuRect(int index) const
{
    if (index < 0 || index >= fCount)
        return Quor_Rect(0, 0, -1, -1);
    const int bottom = Bounds().bottom;
    int x = kFirstTitle;
    for (int i = 0; i < fCount; ++i) {
        const Quor_Menu* menu = fMenus[i];
        int width;
        if (menu->Title().IsEmpty() && menu->Image() != nullptr)
            width = menu->Image()->width + 7;
        else
            width = (fFont != nullptr ? fFont->StringWidth(menu->Title()) : 0) + 15;
        if (i == index)
            return Quor_Rect(x, 0, x + width - 1, bottom);
        x += width + 1;
    }
    return Quor_Rect(0, 0, -1, -1);
}

int Quor_MenuBar::PickMenu(Quor_Point where) const
{
    for (int i = 0; i < fCount; ++i) {
        if (MenuRect(i).Contains(where))
            return i;
    }
    return -1;
}

void Quor_MenuBar::UpdateMenus()
{
    if (Quor_Layer* layer = Layer())
        layer->UpdateMenus();
}

void Quor_MenuBar::Open(int index, bool withKeyboard)
{
    Quor_Wnd* window = Window();
    Quor_Menu* menu = Menu(index);
    if (window == nullptr || menu == nullptr)
        return;
    if (Quor_Menu* open = Menu(fOpenIndex); open != nullptr && open != menu)
        open->Close();
    if (menu->IsOpen())
        return;
    fOpenIndex = index;
    fTracking = true;
    Redraw(true);
    // Just below the title: in the window's menu strip that is the top of the content.
    menu->GoBelow(window, this, MenuRect(index), withKeyboard);
    if (!menu->IsOpen())
        Stop();
}

void Quor_MenuBar::OpenMenu(int index)
{
    if (Menu(index) == nullptr)
        return;
    UpdateMenus();
    Open(index, true);
}

void Quor_MenuBar::OpenAdjacent(int step)
{
    if (fCount == 0)
        return;
    const int from = fOpenIndex >= 0 ? fOpenIndex : 0;
    Open(((from + step) % fCount + fCount) % fCount, true);
}

void Quor_MenuBar::SwallowPressAt(Quor_Point windowPoint)
{
    fSwallowed.Set(windowPoint);
}

int Quor_MenuBar::Shortcut(int key, unsigned int modifiers)
{
    UpdateMenus();
    int fired = 0;
    // With Shift held, an item that asks for Shift wins; without one, Shift is ignored, as the
    // other items have always been reached.
    const bool shifted = (modifiers & QUOR_SHIFT) != 0;
    if (shifted) {
        for (int i = 0; i < fCount; ++i)
            fired += fMenus[i]->GoShortcut(key, true);
        if (fired > 0)
            return fired;
    }
    for (int i = 0; i < fCount; ++i)
        fired += fMenus[i]->GoShortcut(key, false);
    return fired;
}

void Quor_MenuBar::SetLabel(int code, const char* label)
{
    for (int i = 0; i < fCount; ++i)
        fMenus[i]->SetLabel(code, label);
}

int Quor_MenuBar::StripHeight()
{
    return Shape().y;
}

bool Quor_MenuBar::StripShortcut(int key, unsigned int modifiers)
{
    if ((modifiers & QUOR_COMMAND) == 0)
        return false;
    return Shortcut(key, modifiers) > 0;
}

bool Quor_MenuBar::StripKey(int key, unsigned int modifiers)
{
    if ((modifiers & QUOR_COMMAND) != 0 || fCount == 0 || Window() == nullptr)
        return false;
    if (key == QUOR_KEY_F10 && modifiers == 0) {
        if (Quor_Menu* open = Menu(fOpenIndex); open != nullptr && open->IsOpen())
            open->Stop();
        else
            OpenMenu(0);
        return true;
    }
    if ((modifiers & QUOR_OPTION) == 0)
        return false;
    // The same letter again moves on to the next title that starts with it.
    const int after = TitleStartsWith(fOpenIndex, key) ? fOpenIndex : -1;
    const int index = MenuForLetter(key, after);
    if (index < 0)
        return false;
    OpenMenu(index);
    return true;
}

bool Quor_MenuBar::TitleStartsWith(int index, int letter) const
{
    const bool isLetter = (letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z');
    const Quor_Menu* menu = Menu(index);
    if (!isLetter || menu == nullptr || menu->Title().IsEmpty())
        return false;
    return Quor_Ascii::Lower(static_cast<unsigned char>(menu->Title().Buffer()[0])) == Quor_Ascii::Lower(letter);
}

int Quor_MenuBar::MenuForLetter(int letter, int after) const
{
    const int start = after >= 0 && after < fCount ? after : -1;
    for (int step = 1; step <= fCount; ++step) {
        const int index = (start + step) % fCount;
        if (TitleStartsWith(index, letter))
            return index;
    }
    return -1;
}

void Quor_MenuBar::OnMouseDown(Quor_Point where, unsigned int, unsigned int, Quor_Message*)
{
    if (fSwallowed.Take(this, where))
        return;
    const int index = PickMenu(where);
    if (index < 0)
        return;
    UpdateMenus();
    Open(index, false);
}

void Quor_MenuBar::OnMouseMove(Quor_Point where, unsigned int, Quor_Message*)
{
    if (!fTracking || fOpenIndex < 0)
        return;
    const int index = PickMenu(where);
    if (index >= 0 && index != fOpenIndex) {
        Open(index, false);
        if (Quor_Menu* menu = Menu(fOpenIndex); menu != nullptr && fOpenIndex == index && menu->IsOpen())
            menu->SetOpenedByHover();
    }
}

void Quor_MenuBar::OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers,
                             Quor_Message* message)
{
    if (Quor_Menu* menu = Menu(fOpenIndex))
        menu->TakeOpenerMouseUp(this, where, button, modifiers, message);
}

void Quor_MenuBar::OnKeyDown(int key, unsigned int modifiers)
{
    if (!StripShortcut(key, modifiers))
        StripKey(key, modifiers);
}

void Quor_MenuBar::DetachedFromWindow()
{
    if (Quor_Menu* menu = Menu(fOpenIndex))
        menu->Close();
    fTracking = false;
    fOpenIndex = -1;
    Quor_BaseWidget::DetachedFromWindow();
}

void Quor_MenuBar::RedrawMe(Quor_Graphics* g)
{
    const Quor_Rect b = Bounds();
    const int radius = TinyCornerRadius();
    g->SetSmoothing(false);
    Quor_WidgetLook::DrawPanel(g, b);
    g->SetSmoothing(true);
    g->FrameRoundedRect(b, radius);
    for (int i = 0; i < fCount; ++i) {
        const Quor_Menu* menu = fMenus[i];
        Quor_Rect title = MenuRect(i);
        const bool open = i == fOpenIndex;
        if (open) {
            Quor_Rect mark(title);
            mark.InsetBy(0, 2);
            Quor_WidgetLook::DrawHighlight(g, mark, radius);
            title.OffsetBy(1, 1);
        }
        if (menu->Title().IsEmpty() && menu->Image() != nullptr) {
            const Quor_image* image = menu->Image();
            const float x = title.left + (title.Width() - image->width) / 2;
            const float y = title.top + (title.Height() - image->height) / 2;
            g->BlitAlpha(image, x, y, false);
            continue;
        }
        g->SetColor(open ? Quor_ColorOps::HighlightedText : Quor_ColorOps::Text);
        g->DrawString(menu->Title(), title, QUOR_ALIGN_CENTER, QUOR_ALIGN_CENTER);
    }
    g->SetSmoothing(false);
}
