#include "toolkit/widgets/Quor_Menu.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "toolkit/core/Quor_Thread.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_View.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/math/Quor_Vector2.h"
#include "toolkit/widgets/Quor_BaseWidget.h"
#include "toolkit/widgets/Quor_MenuBar.h"
#include "toolkit/widgets/Quor_PopupMenu.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

int Quor_Menu::gFlashMilliseconds = 60;

namespace {

constexpr int kLabelIndent = 16;
// Room a column keeps beside its widest label: the tick on the left, the gap, the arrow.
constexpr int kColumnPadding = 40;

int LineHeightOf(const Quor_Font* font)
{
    return font != nullptr ? std::max(1, font->LineToLineHeight()) : 16;
}

int WidthOf(const Quor_Font* font, const char* text)
{
    return font != nullptr ? font->StringWidth(text) : 0;
}

// The shortcut as the menu shows it.
void ShortcutText(char shortcut, bool shifted, char* out, size_t size)
{
    std::snprintf(out, size, shifted ? "Ctrl+Shift+%c" : "Ctrl+%c", shortcut);
}

int UpperAscii(int c)
{
    return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}

}  // namespace

Quor_Menu::Quor_Menu(const char* title) : Quor_Menu(static_cast<const Quor_image*>(nullptr))
{
    fTitle = title != nullptr ? title : "";
}

Quor_Menu::Quor_Menu(const Quor_image* image)
    : Quor_Layer(QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP),
      fImage(image),
      fTarget(nullptr),
      fBarOwner(nullptr),
      fParentMenu(nullptr),
      fPopupOwner(nullptr),
      fFont(Quor_App::gBoldFont),
      fLineHeight(LineHeightOf(Quor_App::gBoldFont)),
      fHighlighted(-1),
      fOpenSub(nullptr),
      fRows(1),
      fColumns(1),
      fColumnWidth(1),
      fColumnHeight(1),
      fOpenerRect(0, 0, -1, -1),
      fOpeningPress(false),
      fClosing(false)
{
}

Quor_Menu::~Quor_Menu()
{
    Close();
    // The submenus go with the items; none may point back here while they do.
    for (Item& item : fItems) {
        if (item.sub)
            item.sub->fParentMenu = nullptr;
    }
}

// --- Items ---------------------------------------------------------------------------------------

bool Quor_Menu::InsertItem(int index, const char* label, char shortcut, int code, Quor_Menu* sub)
{
    try {
        Item item;
        item.label = label != nullptr ? label : "";
        item.shortcut = shortcut;
        item.code = code;
        item.sub.reset(sub);
        index = std::clamp(index, 0, CountItems());
        fItems.insert(fItems.begin() + index, std::move(item));
    } catch (...) {
        return false;
    }
    // Rows move under an open menu: nothing stays highlighted.
    CloseSubMenu();
    fHighlighted = -1;
    if (sub != nullptr) {
        sub->fParentMenu = this;
        sub->SetTarget(fTarget);
    }
    return true;
}

int Quor_Menu::AlphabeticalIndex(const char* label) const
{
    const Quor_String text(label != nullptr ? label : "");
    for (int i = 0; i < CountItems(); ++i) {
        if (text < fItems[i].label)
            return i;
    }
    return CountItems();
}

bool Quor_Menu::AddItem(const char* label, char shortcut, int code)
{
    return InsertItem(CountItems(), label, shortcut, code, nullptr);
}

bool Quor_Menu::AddShiftedItem(const char* label, char shortcut, int code)
{
    if (!InsertItem(CountItems(), label, shortcut, code, nullptr))
        return false;
    fItems.back().shifted = true;
    return true;
}

bool Quor_Menu::AddItemAlphabetically(const char* label, char shortcut, int code)
{
    return InsertItem(AlphabeticalIndex(label), label, shortcut, code, nullptr);
}

bool Quor_Menu::AddSubMenu(const char* label, Quor_Menu* sub)
{
    if (sub == nullptr || sub == this)
        return false;
    return InsertItem(CountItems(), label, 0, 0, sub);
}

bool Quor_Menu::AddSubMenuAlphabetically(const char* label, Quor_Menu* sub)
{
    if (sub == nullptr || sub == this)
        return false;
    return InsertItem(AlphabeticalIndex(label), label, 0, 0, sub);
}

void Quor_Menu::RemoveAllItems()
{
    CloseSubMenu();
    fHighlighted = -1;
    for (Item& item : fItems) {
        if (item.sub)
            item.sub->fParentMenu = nullptr;
    }
    fItems.clear();
    if (IsOpen())
        Draw(true);
}

const char* Quor_Menu::ItemLabelByID(int index) const
{
    return index >= 0 && index < CountItems() ? fItems[index].label.Buffer() : "";
}

char Quor_Menu::ItemShortcut(int index) const
{
    return index >= 0 && index < CountItems() ? fItems[index].shortcut : 0;
}

int Quor_Menu::ItemMessage(int index) const
{
    return index >= 0 && index < CountItems() ? fItems[index].code : 0;
}

Quor_Menu* Quor_Menu::ItemSubMenu(int index) const
{
    return index >= 0 && index < CountItems() ? fItems[index].sub.get() : nullptr;
}

bool Quor_Menu::IsItemEnabled(int index) const
{
    return index >= 0 && index < CountItems() && fItems[index].enabled;
}

bool Quor_Menu::IsItemChecked(int index) const
{
    return index >= 0 && index < CountItems() && fItems[index].checked;
}

const char* Quor_Menu::ItemLabel(int code) const
{
    const Item* item = FindItem(code);
    return item != nullptr ? item->label.Buffer() : "";
}

Quor_Menu* Quor_Menu::FindSubMenu(const char* label) const
{
    for (const Item& item : fItems) {
        if (item.sub && item.label == (label != nullptr ? label : ""))
            return item.sub.get();
    }
    return nullptr;
}

template <class Matches, class Change>
void Quor_Menu::ChangeItems(const Matches& matches, const Change& change)
{
    for (Item& item : fItems) {
        if (item.sub)
            item.sub->ChangeItems(matches, change);
        else if (matches(item))
            change(item);
    }
    if (IsOpen())
        Draw(true);
}

void Quor_Menu::SetEnabled(int code, bool enabled)
{
    ChangeItems([code](const Item& item) { return item.code == code; },
                [enabled](Item& item) { item.enabled = enabled; });
}

void Quor_Menu::SetChecked(int code, bool checked)
{
    ChangeItems([code](const Item& item) { return item.code == code; },
                [checked](Item& item) { item.checked = checked; });
}

void Quor_Menu::SetChecked(const char* label, bool checked)
{
    const char* text = label != nullptr ? label : "";
    ChangeItems([text](const Item& item) { return item.label == text; },
                [checked](Item& item) { item.checked = checked; });
}

void Quor_Menu::SetLabel(int code, const char* label)
{
    const char* text = label != nullptr ? label : "";
    ChangeItems([code](const Item& item) { return item.code == code; },
                [text](Item& item) { item.label = text; });
}

void Quor_Menu::SetAlias(int code, char alias)
{
    ChangeItems([code](const Item& item) { return item.code == code; },
                [alias](Item& item) { item.alias = alias; });
}

const Quor_Menu::Item* Quor_Menu::FindItem(int code) const
{
    for (const Item& item : fItems) {
        if (!item.sub && item.code == code)
            return &item;
    }
    return nullptr;
}

bool Quor_Menu::IsEnabled(int code) const
{
    const Item* item = FindItem(code);
    return item != nullptr && item->enabled;
}

bool Quor_Menu::IsChecked(int code) const
{
    const Item* item = FindItem(code);
    return item != nullptr && item->checked;
}

void Quor_Menu::UncheckAll()
{
    for (Item& item : fItems)
        item.checked = false;
    if (IsOpen())
        Draw(true);
}

int Quor_Menu::FirstChecked() const
{
    for (int i = 0; i < CountItems(); ++i) {
        if (fItems[i].checked)
            return i;
    }
    return -1;
}

int Quor_Menu::FirstCheckedMsg() const
{
    const int index = FirstChecked();
    return index >= 0 ? fItems[index].code : -1;
}

const char* Quor_Menu::FirstCheckedLabel() const
{
    const int index = FirstChecked();
    return index >= 0 ? fItems[index].label.Buffer() : "";
}

int Quor_Menu::GoShortcut(int c, bool shifted)
{
    if (c <= 0 || c > 255)
        return 0;
    const int wanted = UpperAscii(c);
    // The codes are gathered first: a handler may change the menus while it runs.
    std::vector<int> codes;
    std::vector<Quor_Menu*> subs;
    for (const Item& item : fItems) {
        if (!item.enabled)
            continue;
        if (item.sub)
            subs.push_back(item.sub.get());
        else if (item.shortcut != 0 && item.shifted == shifted &&
                 UpperAscii(static_cast<unsigned char>(item.shortcut)) == wanted)
            codes.push_back(item.code);
        else if (item.alias != 0 && !shifted && UpperAscii(static_cast<unsigned char>(item.alias)) == wanted)
            codes.push_back(item.code);
    }
    int fired = 0;
    for (Quor_Menu* sub : subs)
        fired += sub->GoShortcut(c, shifted);
    Quor_Handler* target = fTarget;
    for (int code : codes) {
        if (target != nullptr)
            target->SendMessage(code);
        ++fired;
    }
    return fired;
}

void Quor_Menu::SetTarget(Quor_Handler* target)
{
    fTarget = target;
    for (Item& item : fItems) {
        if (item.sub)
            item.sub->SetTarget(target);
    }
}

// --- Showing -------------------------------------------------------------------------------------

void Quor_Menu::Go(Quor_Wnd* window, Quor_Point where)
{
    Open(window, where);
}

void Quor_Menu::GoWithKeyboard(Quor_Wnd* window, Quor_Point where)
{
    Open(window, where);
    if (IsOpen()) {
        fOpeningPress = false;
        StepHighlight(1);
    }
}

void Quor_Menu::GoBelow(Quor_Wnd* window, const Quor_View* opener, Quor_Rect rect, bool withKeyboard)
{
    Quor_Point topLeft = rect.LeftTop();
    opener->ViewToWnd(topLeft);
    rect.OffsetTo(topLeft.x, topLeft.y);
    SetOpenerRect(rect);
    const Quor_Point below(rect.left, rect.bottom + 1);
    if (withKeyboard)
        GoWithKeyboard(window, below);
    else
        Go(window, below);
}

void Quor_Menu::TakeOpenerMouseUp(const Quor_View* opener, Quor_Point where, unsigned int button,
                                  unsigned int modifiers, Quor_Message* message)
{
    if (!IsOpen())
        return;
    opener->ViewToWnd(where);
    WndToLayer(where);
    OnMouseUp(where, button, modifiers, message);
}

void Quor_Menu::Open(Quor_Wnd* window, Quor_Point where)
{
    if (window == nullptr || IsOpen())
        return;
    // A context menu (no bar, no parent) takes the regular font; the others the bold one.
    fFont = fBarOwner == nullptr && fParentMenu == nullptr ? Quor_App::gRegularFont : Quor_App::gBoldFont;
    fLineHeight = LineHeightOf(fFont);
    int width = 8;
    int shortcutWidth = 0;
    for (const Item& item : fItems) {
        width = std::max(width, WidthOf(fFont, item.label));
        if (item.shortcut != 0) {
            char text[24];
            ShortcutText('W', item.shifted, text, sizeof text);
            shortcutWidth = std::max(shortcutWidth, WidthOf(Quor_App::gRegularFont, text));
        }
    }
    if (shortcutWidth > 0)
        width += shortcutWidth + 8;
    const int count = CountItems();
    const int available = window->Bounds().Height() - 8;
    fRows = std::max(1, count);
    while (fRows > 1 && fRows * fLineHeight > available)
        --fRows;
    fColumns = std::max(1, count / fRows + (count % fRows != 0 ? 1 : 0));
    fColumnWidth = std::max(width + kColumnPadding, fMinWidth);
    fColumnHeight = fRows * fLineHeight;
    fHighlighted = -1;
    fOpenSub = nullptr;
    fClosing = false;
    fOpenedByHover = false;
    // Until a press lands on the menus, a release is taken to end the press that opened them.
    fOpeningPress = true;
    MoveFrameTo(where.x, where.y);
    SetShape(fColumnWidth * fColumns, fRows * fLineHeight + 4);
    window->AddLayer(this);
}

void Quor_Menu::AttachedToWindow()
{
    if (Window() != nullptr) {
        // Moved left and up by as much as it sticks out past the right and bottom edges, but
        // never past the top-left corner.
        const Quor_Rect inside = Window()->Bounds();
        Quor_Rect frame = Frame();
        frame.OffsetBy(std::min(0, inside.right - frame.right), std::min(0, inside.bottom - frame.bottom));
        MoveFrameTo(std::max(frame.left, inside.left), std::max(frame.top, inside.top));
    }
    Quor_Layer::AttachedToWindow();
}

void Quor_Menu::Stop()
{
    CloseChain();
}

void Quor_Menu::Close()
{
    if (fOpenSub != nullptr) {
        Quor_Menu* sub = fOpenSub;
        fOpenSub = nullptr;
        sub->Close();
    }
    if (fParentMenu != nullptr && fParentMenu->fOpenSub == this)
        fParentMenu->fOpenSub = nullptr;
    fHighlighted = -1;
    fOpeningPress = false;
    if (Quor_Wnd* window = Window())
        window->RemoveLayer(this);
}

Quor_Menu* Quor_Menu::TopMenu()
{
    Quor_Menu* top = this;
    while (top->fParentMenu != nullptr && top->fParentMenu->IsOpen())
        top = top->fParentMenu;
    return top;
}

void Quor_Menu::CloseChain()
{
    // Stopping the owners must not come back here.
    if (fClosing)
        return;
    Quor_Menu* top = TopMenu();
    top->fClosing = true;
    top->Close();
    if (top->fBarOwner != nullptr)
        top->fBarOwner->Stop();
    if (top->fPopupOwner != nullptr)
        top->fPopupOwner->Stop();
    top->fClosing = false;
}

void Quor_Menu::CloseSubMenu()
{
    if (fOpenSub == nullptr)
        return;
    Quor_Menu* sub = fOpenSub;
    fOpenSub = nullptr;
    sub->Close();
}

// --- Geometry ------------------------------------------------------------------------------------

Quor_Rect Quor_Menu::ItemRect(int index) const
{
    if (index < 0 || index >= CountItems())
        return Quor_Rect(-10, -10, -5, -5);
    const Quor_Rect b = Bounds();
    const int h = fLineHeight;
    Quor_Rect r(b.left + 2, b.top + 2 + index * h, b.right - 2, b.top + 2 + (index + 1) * h - 1);
    const int column = index / fRows;
    r.OffsetBy(column * fColumnWidth, -column * fColumnHeight);
    r.right = r.left + fColumnWidth - 5;
    return r;
}

int Quor_Menu::ItemAt(Quor_Point where) const
{
    for (int i = 0; i < CountItems(); ++i) {
        if (ItemRect(i).Contains(where))
            return i;
    }
    return -1;
}

bool Quor_Menu::Choosable(int index) const
{
    return index >= 0 && index < CountItems() && fItems[index].enabled && !fItems[index].label.IsEmpty();
}

int Quor_Menu::PickItem(Quor_Point where) const
{
    const int index = ItemAt(where);
    return Choosable(index) ? index : -1;
}

// --- Tracking ------------------------------------------------------------------------------------

void Quor_Menu::SetHighlight(int index, bool openSub)
{
    if (index == fHighlighted)
        return;
    CloseSubMenu();
    fHighlighted = index;
    Draw(true);
    if (openSub && index >= 0 && fItems[index].sub)
        OpenSubMenuOf(index, false);
}

void Quor_Menu::OpenSubMenuOf(int index, bool withKeyboard)
{
    Quor_Menu* sub = ItemSubMenu(index);
    if (sub == nullptr || Window() == nullptr || !Choosable(index))
        return;
    if (fOpenSub == sub)
        return;
    if (fHighlighted != index)
        SetHighlight(index, false);
    CloseSubMenu();
    Quor_Point at = ItemRect(index).RightTop();
    LayerToWnd(at);
    sub->fParentMenu = this;
    if (withKeyboard)
        sub->GoWithKeyboard(Window(), at);
    else
        sub->Go(Window(), at);
    if (sub->IsOpen())
        fOpenSub = sub;
}

void Quor_Menu::OnMouseMove(Quor_Point where, unsigned int, Quor_Message*)
{
    if (!IsOpen())
        return;
    int index = ItemAt(where);
    if (index < 0) {
        // Off the items: a highlighted item keeps its open submenu, so the pointer can travel
        // into it.
        index = fHighlighted >= 0 && fItems[fHighlighted].sub ? fHighlighted : -1;
    } else if (!Choosable(index)) {
        index = -1;
    }
    SetHighlight(index, true);
}

void Quor_Menu::OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers,
                            Quor_Message* message)
{
    TopMenu()->fOpeningPress = false;
    Quor_Layer::OnMouseDown(where, button, modifiers, message);
}

void Quor_Menu::OnMouseDownOutside(Quor_Point where, unsigned int, unsigned int, Quor_Message*)
{
    Quor_Point at = where;
    LayerToWnd(at);
    // A press on a menu further up the chain closes only the menus above it; the window then
    // hands that menu the press.
    for (Quor_Menu* menu = fParentMenu; menu != nullptr; menu = menu->fParentMenu) {
        if (menu->IsOpen() && menu->Frame().Contains(at)) {
            menu->CloseSubMenu();
            return;
        }
    }
    // The window passes the press on to whatever lies under it; a press on the title or button
    // that opened the menu only closes it.
    Quor_Menu* top = TopMenu();
    if (top->fOpenerRect.Contains(at) && top->fOpenedByHover && top->fOpenSub == nullptr) {
        // A click on the title that the pointer has just switched to is meant for that menu: it
        // stays open, and takes this press as its opening one.
        top->fOpenedByHover = false;
        top->fOpeningPress = true;
        return;
    }
    if (top->fOpenerRect.Contains(at)) {
        if (top->fBarOwner != nullptr)
            top->fBarOwner->SwallowPressAt(at);
        if (top->fPopupOwner != nullptr)
            top->fPopupOwner->SwallowPressAt(at);
    }
    CloseChain();
}

void Quor_Menu::OnMouseUp(Quor_Point where, unsigned int, unsigned int, Quor_Message*)
{
    if (!IsOpen())
        return;
    Quor_Point at = where;
    LayerToWnd(at);
    Quor_Menu* top = TopMenu();
    const bool opening = top->fOpeningPress;
    top->fOpeningPress = false;

    // The deepest open menu under the pointer takes the release.
    Quor_Menu* menu = this;
    while (menu->fOpenSub != nullptr)
        menu = menu->fOpenSub;
    for (; menu != nullptr; menu = menu->fParentMenu) {
        if (!menu->IsOpen() || !menu->Frame().Contains(at))
            continue;
        Quor_Point local = at;
        menu->WndToLayer(local);
        const int index = menu->ItemAt(local);
        if (menu->Choosable(index) && menu->fItems[index].sub) {
            // A release on an item with a submenu leaves the submenu open.
            menu->OpenSubMenuOf(index, false);
            return;
        }
        if (menu->Choosable(index)) {
            menu->Choose(index);
            return;
        }
        // A separator, a disabled item or the menu's margin: nothing is chosen.
        CloseChain();
        return;
    }
    // Outside every menu: the release of the press that opened the menu leaves it open, so it
    // can be used with the pointer or the keyboard; any other release closes it.
    if (!opening)
        CloseChain();
}

void Quor_Menu::Choose(int index)
{
    if (!Choosable(index))
        return;
    const Quor_Rect rect = ItemRect(index);
    // Flashes: off, on, off.
    const int flash[3] = {-1, index, -1};
    for (int step : flash) {
        fHighlighted = step;
        Draw(false);
        Refresh(rect);
        Quor_Snooze(gFlashMilliseconds);
    }
    const int code = fItems[index].code;
    Quor_Handler* target = fTarget;
    CloseChain();
    if (target != nullptr)
        target->SendMessage(code);
}

// --- Keys ----------------------------------------------------------------------------------------

void Quor_Menu::StepHighlight(int step)
{
    const int count = CountItems();
    if (count == 0)
        return;
    int start = fHighlighted;
    if (start < 0)
        start = step > 0 ? -1 : count;
    for (int k = 1; k <= count; ++k) {
        const int index = ((start + step * k) % count + count) % count;
        if (Choosable(index)) {
            SetHighlight(index, false);
            return;
        }
    }
}

void Quor_Menu::OnKeyDown(int key, unsigned int)
{
    if (!IsOpen())
        return;
    switch (key) {
    case QUOR_KEY_DOWN:
        StepHighlight(1);
        break;
    case QUOR_KEY_UP:
        StepHighlight(-1);
        break;
    case QUOR_KEY_RIGHT:
        if (fHighlighted >= 0 && fItems[fHighlighted].sub)
            OpenSubMenuOf(fHighlighted, true);
        else if (fBarOwner != nullptr && fParentMenu == nullptr)
            fBarOwner->OpenAdjacent(1);
        else if (Quor_Menu* top = TopMenu(); top != this && top->fBarOwner != nullptr)
            top->fBarOwner->OpenAdjacent(1);
        break;
    case QUOR_KEY_LEFT:
        if (fParentMenu != nullptr && fParentMenu->IsOpen())
            fParentMenu->CloseSubMenu();
        else if (fBarOwner != nullptr)
            fBarOwner->OpenAdjacent(-1);
        break;
    case QUOR_KEY_RETURN:
        if (fHighlighted >= 0 && fItems[fHighlighted].sub)
            OpenSubMenuOf(fHighlighted, true);
        else if (fHighlighted >= 0)
            Choose(fHighlighted);
        break;
    case QUOR_KEY_ESCAPE:
        if (fParentMenu != nullptr && fParentMenu->IsOpen())
            fParentMenu->CloseSubMenu();
        else
            CloseChain();
        break;
    default:
        break;
    }
}

// --- Drawing -------------------------------------------------------------------------------------

void Quor_Menu::InitBackground()
{
    Draw(false);
    Quor_Layer::InitBackground();
}

void Quor_Menu::Draw(bool refresh)
{
    Quor_Graphics* g = LayerGraphics();
    if (g == nullptr)
        return;
    const Quor_Rect b = Bounds();
    g->SetBezierTolerance(2.0f);
    Quor_WidgetLook::DrawPanel(g, b);
    for (int c = 1; c < fColumns; ++c) {
        const float x = static_cast<float>(c * fColumnWidth - 1);
        g->SetColor(Quor_ColorOps::WidgetShadow);
        g->VLine(static_cast<float>(b.top + 4), static_cast<float>(b.bottom - 4), x);
        g->SetColor(Quor_ColorOps::WidgetHighlight);
        g->VLine(static_cast<float>(b.top + 4), static_cast<float>(b.bottom - 4), x + 1.0f);
    }
    for (int i = 0; i < CountItems(); ++i)
        DrawItem(g, i, i == fHighlighted);
    g->EndDraw();
    if (refresh)
        Refresh();
}

void Quor_Menu::DrawItem(Quor_Graphics* g, int index, bool highlighted)
{
    const Item& item = fItems[index];
    const Quor_Rect r = ItemRect(index);
    const int mid = (r.top + r.bottom) / 2;
    if (item.label.IsEmpty()) {
        // An etched line across the middle of the row.
        g->SetSmoothing(false);
        g->SetColor(Quor_ColorOps::WidgetShadow);
        g->HLine(static_cast<float>(r.left + 8), static_cast<float>(r.right - 8), static_cast<float>(mid));
        g->SetColor(Quor_ColorOps::WidgetHighlight);
        g->HLine(static_cast<float>(r.left + 8), static_cast<float>(r.right - 8), static_cast<float>(mid + 1));
        return;
    }
    g->SetSmoothing(true);
    g->SetPenWidth(1);
    if (highlighted)
        Quor_WidgetLook::DrawHighlight(g, r, Quor_BaseWidget::TinyCornerRadius());
    const rgb_color ink = highlighted ? Quor_ColorOps::HighlightedText
                          : item.enabled ? Quor_ColorOps::Text
                                         : Quor_ColorOps::DisabledText;
    g->SetColor(ink);
    g->SetFont(fFont);
    Quor_Rect text(r);
    text.left += kLabelIndent;
    g->DrawString(item.label, text, QUOR_ALIGN_LEFT, QUOR_ALIGN_CENTER);
    if (item.shortcut != 0 && !item.sub) {
        char shortcut[24];
        ShortcutText(item.shortcut, item.shifted, shortcut, sizeof shortcut);
        Quor_Rect right(r);
        right.right -= 8;
        g->SetFont(Quor_App::gRegularFont);
        g->DrawString(shortcut, right, QUOR_ALIGN_RIGHT, QUOR_ALIGN_CENTER);
        g->SetFont(fFont);
    }
    if (item.checked) {
        g->SetPenWidth(2);
        const float left = static_cast<float>(r.left);
        const float m = static_cast<float>(mid);
        g->DrawLine(left + 2.0f, m + 1.0f, left + 4.0f, m + 3.0f);
        g->DrawLine(left + 4.0f, m + 3.0f, left + 10.0f, m - 3.0f);
        g->SetPenWidth(1);
    }
    if (item.sub) {
        // A filled triangle pointing right at the row's right end.
        const float s = std::max(2.0f, r.Height() / 5.0f);
        const float x = static_cast<float>(r.right) - 6.0f;
        const float y = (r.top + r.bottom) / 2.0f;
        const Quor_Vector2 a(x - s, y - s);
        const Quor_Vector2 b(x + s * 0.8f, y);
        const Quor_Vector2 c(x - s, y + s);
        Quor_WidgetLook::FillTriangle(g, a, b, c);
    }
}
