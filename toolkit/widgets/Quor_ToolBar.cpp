#include "toolkit/widgets/Quor_ToolBar.h"

#include <algorithm>

#include "toolkit/core/Quor_Thread.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/widgets/Quor_ToolTip.h"

namespace {

bool Usable(const Quor_image* image)
{
    return image != nullptr && image->bits != nullptr && image->width > 0 && image->height > 0;
}

}  // namespace

Quor_ToolBar::Quor_ToolBar(const Quor_image* normal, const Quor_image* set, const Quor_image* disabled,
                           const Quor_image* hover, unsigned int followFlags)
    : Quor_BaseWidget(true, followFlags),
      fNormal(Usable(normal) ? normal : nullptr),
      fSet(Usable(set) ? set : nullptr),
      fDisabled(Usable(disabled) ? disabled : nullptr),
      fHover(Usable(hover) ? hover : nullptr),
      fColumns(1),
      fRows(1),
      fActivateOnDown(false),
      fPressed(-1),
      fPressInside(false),
      fHovered(-1),
      fKeyButton(-1),
      fToolTip(nullptr)
{
    const Quor_Point size = PreferredSize();
    SetShape(size.x, size.y);
}

Quor_ToolBar::~Quor_ToolBar()
{
    delete fToolTip;
}

Quor_Point Quor_ToolBar::PreferredSize()
{
    if (fNormal == nullptr)
        return Quor_Point(1, 1);
    return Quor_Point(fNormal->width, fNormal->height);
}

void Quor_ToolBar::SetButtonRange(int columns, int rows)
{
    fColumns = std::max(1, columns);
    fRows = std::max(1, rows);
}

int Quor_ToolBar::CellCount() const
{
    return std::min(kMaxButtons, fColumns * fRows);
}

bool Quor_ToolBar::SetButtonInfo(int column, int row, int what, const char* toolTip, int kind)
{
    if (column < 0 || column >= fColumns || row < 0 || row >= fRows)
        return false;
    if (kind != kPush && kind != kRadio && kind != kToggle)
        return false;
    const int index = row * fColumns + column;
    if (index >= kMaxButtons)
        return false;
    Button& b = fButtons[index];
    b.what = what;
    b.toolTip = toolTip != nullptr ? toolTip : "";
    b.kind = kind;
    b.set = false;
    b.enabled = true;
    return true;
}

void Quor_ToolBar::SetButton(int what, bool set)
{
    for (Button& b : fButtons) {
        if (b.what != 0 && b.what == what)
            b.set = set;
    }
    Redraw(true);
}

void Quor_ToolBar::EnableButton(int what, bool enabled)
{
    for (Button& b : fButtons) {
        if (b.what != 0 && b.what == what)
            b.enabled = enabled;
    }
    Redraw(true);
}

void Quor_ToolBar::DisableAllButtons()
{
    for (Button& b : fButtons)
        b.enabled = false;
    Redraw(true);
}

void Quor_ToolBar::UnsetAllButtons(int what)
{
    for (Button& b : fButtons) {
        if (b.kind == kRadio && b.what != 0)
            b.set = b.what == what;
    }
    Redraw(true);
}

const Quor_ToolBar::Button* Quor_ToolBar::FindButton(int what) const
{
    for (const Button& b : fButtons) {
        if (b.what != 0 && b.what == what)
            return &b;
    }
    return nullptr;
}

bool Quor_ToolBar::IsButtonEnabled(int what) const
{
    const Button* b = FindButton(what);
    return b != nullptr && b->enabled;
}

bool Quor_ToolBar::IsButtonSet(int what) const
{
    const Button* b = FindButton(what);
    return b != nullptr && b->set;
}

bool Quor_ToolBar::IsActiveEnabled() const
{
    for (const Button& b : fButtons) {
        if (b.what != 0 && b.set && b.enabled)
            return true;
    }
    return false;
}

bool Quor_ToolBar::ActivateFirstButton()
{
    for (const Button& b : fButtons) {
        if (b.what != 0 && b.kind == kRadio && b.enabled) {
            const int what = b.what;
            UnsetAllButtons(what);
            SendMessage(what);
            return true;
        }
    }
    return false;
}

bool Quor_ToolBar::HasButton(int what) const
{
    return FindButton(what) != nullptr;
}

Quor_Rect Quor_ToolBar::GetButtonRect(int index) const
{
    if (index < 0 || index >= CellCount())
        return Quor_Rect(-10, -10, -5, -5);
    const Quor_Point size = fNormal != nullptr ? Quor_Point(fNormal->width, fNormal->height) : Shape();
    const int cellWidth = std::max(1, size.x / fColumns);
    const int cellHeight = std::max(1, size.y / fRows);
    const int column = index % fColumns;
    const int row = index / fColumns;
    Quor_Rect r(column * cellWidth, row * cellHeight, (column + 1) * cellWidth - 1, (row + 1) * cellHeight - 1);
    // Cells that do not fill the image leave a remainder; the last column and row take it.
    if (column == fColumns - 1)
        r.right = size.x - 1;
    if (row == fRows - 1)
        r.bottom = size.y - 1;
    return r;
}

int Quor_ToolBar::ButtonAt(Quor_Point where) const
{
    const int count = CellCount();
    for (int i = 0; i < count; ++i) {
        if (fButtons[i].what != 0 && GetButtonRect(i).Contains(where))
            return i;
    }
    return -1;
}

void Quor_ToolBar::Act(int index)
{
    Button& b = fButtons[index];
    if (b.kind == kRadio) {
        for (Button& other : fButtons) {
            if (other.kind == kRadio)
                other.set = false;
        }
        b.set = true;
    } else if (b.kind == kToggle) {
        b.set = !b.set;
    }
    const int what = b.what;
    Redraw(true);
    SendMessage(what);
}

void Quor_ToolBar::OnMouseDown(Quor_Point where, unsigned int, unsigned int, Quor_Message*)
{
    if (!IsEnabled())
        return;
    const int index = ButtonAt(where);
    if (index < 0)
        return;
    const Button& b = fButtons[index];
    if (!b.enabled || (b.kind == kRadio && b.set))
        return;
    fPressed = index;
    fPressInside = true;
    if (!fActivateOnDown) {
        Redraw(true);
        return;
    }
    if (b.kind == kPush) {
        Redraw(true);
        Quor_Snooze(kPushFlashMs);
    }
    // The action has run; the release only redraws.
    fPressed = -1;
    fPressInside = false;
    Act(index);
}

void Quor_ToolBar::OnMouseMove(Quor_Point where, unsigned int, Quor_Message*)
{
    const int index = Bounds().Contains(where) ? ButtonAt(where) : -1;
    if (fPressed >= 0) {
        const bool inside = GetButtonRect(fPressed).Contains(where);
        if (inside != fPressInside) {
            fPressInside = inside;
            Redraw(true);
        }
    }
    if (index != fHovered) {
        fHovered = index;
        if (fHover != nullptr)
            Redraw(true);
    }
    Quor_Wnd* window = Window();
    if (index < 0 || window == nullptr || fButtons[index].toolTip.IsEmpty() || window->IsMouseDragging(0))
        return;
    Quor_ToolTip::GoFor(&fToolTip, this, window, where, fButtons[index].toolTip);
}

void Quor_ToolBar::OnMouseUp(Quor_Point where, unsigned int, unsigned int, Quor_Message*)
{
    const int pressed = fPressed;
    fPressed = -1;
    fPressInside = false;
    if (pressed >= 0 && IsEnabled() && fButtons[pressed].enabled && GetButtonRect(pressed).Contains(where))
        Act(pressed);
    else
        Redraw(true);
}

bool Quor_ToolBar::TabStop()
{
    const int count = CellCount();
    for (int i = 0; i < count; ++i) {
        if (fButtons[i].what != 0 && fButtons[i].enabled)
            return true;
    }
    return false;
}

bool Quor_ToolBar::WantsKey(int key, unsigned int modifiers)
{
    if ((modifiers & (QUOR_COMMAND | QUOR_OPTION)) != 0)
        return false;
    return key == ' ' || key == QUOR_KEY_LEFT || key == QUOR_KEY_RIGHT || key == QUOR_KEY_UP || key == QUOR_KEY_DOWN;
}

void Quor_ToolBar::OnFocus(bool focused)
{
    const int count = CellCount();
    const bool usable = fKeyButton >= 0 && fKeyButton < count && fButtons[fKeyButton].what != 0 &&
                        fButtons[fKeyButton].enabled;
    if (focused && !usable) {
        fKeyButton = -1;
        for (int i = 0; i < count && fKeyButton < 0; ++i) {
            if (fButtons[i].what != 0 && fButtons[i].enabled && fButtons[i].kind == kRadio && fButtons[i].set)
                fKeyButton = i;
        }
        for (int i = 0; i < count && fKeyButton < 0; ++i) {
            if (fButtons[i].what != 0 && fButtons[i].enabled)
                fKeyButton = i;
        }
    }
    Quor_BaseWidget::OnFocus(focused);
}

void Quor_ToolBar::OnKeyDown(int key, unsigned int modifiers)
{
    const int count = CellCount();
    if (!IsEnabled() || !WantsKey(key, modifiers) || fKeyButton < 0 || fKeyButton >= count)
        return;
    if (key == ' ') {
        const Button& b = fButtons[fKeyButton];
        if (b.what != 0 && b.enabled && !(b.kind == kRadio && b.set))
            Act(fKeyButton);
        return;
    }
    const int step = key == QUOR_KEY_LEFT || key == QUOR_KEY_UP ? count - 1 : 1;
    int i = fKeyButton;
    for (int k = 1; k < count; ++k) {
        i = (i + step) % count;
        if (fButtons[i].what != 0 && fButtons[i].enabled) {
            fKeyButton = i;
            Redraw(true);
            return;
        }
    }
}

Quor_Rect Quor_ToolBar::FocusRingRect() const
{
    if (fKeyButton < 0 || fKeyButton >= CellCount())
        return Quor_Rect(0, 0, -1, -1);
    Quor_Rect r = GetButtonRect(fKeyButton);
    r.InsetBy(1, 1);
    return r;
}

void Quor_ToolBar::DetachedFromWindow()
{
    if (fToolTip != nullptr)
        fToolTip->RemoveMe();
    fPressed = -1;
    fPressInside = false;
    fHovered = -1;
    Quor_BaseWidget::DetachedFromWindow();
}

void Quor_ToolBar::RedrawMe(Quor_Graphics* g)
{
    const int count = CellCount();
    const bool barEnabled = IsEnabled();
    for (int i = 0; i < count; ++i) {
        const Button& b = fButtons[i];
        if (b.what == 0)
            continue;
        const Quor_image* source = fNormal;
        if (!b.enabled || !barEnabled)
            source = fDisabled;
        else if ((fPressed == i && fPressInside) || (b.set && b.kind != kPush))
            source = fSet;
        else if (fHovered == i && fHover != nullptr)
            source = fHover;
        if (source == nullptr)
            continue;
        const Quor_Rect cell = GetButtonRect(i);
        Quor_image part;
        if (Quor_ImageOps::FillImage(source, cell, &part) != QUOR_OK)
            continue;
        g->BlitAlpha(&part, static_cast<float>(cell.left), static_cast<float>(cell.top), false);
    }
}
