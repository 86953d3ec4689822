#include "toolkit/widgets/Quor_TextList.h"

#include <algorithm>
#include <new>

#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/widgets/Quor_ScrollBar.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

Quor_TextList::Quor_TextList(int what, unsigned int followFlags)
    : Quor_BaseWidget(true, followFlags), fWhat(what), fScrollOffset(0), fSelection(-1), fScrollBar(nullptr)
{
    const Quor_Point size = Shape();
    const int s = Quor_ScrollBar::Thickness();
    fScrollBar = new (std::nothrow) Quor_ScrollBar(size.y, true, QUOR_MSG_VSCROLL,
                                                   QUOR_FOLLOW_TOP | QUOR_FOLLOW_RIGHT | QUOR_FOLLOW_BOTTOM);
    if (fScrollBar != nullptr) {
        fScrollBar->SetLocation(size.x - s, 0);
        fScrollBar->SetStepSize(LineHeight(), std::max(1, size.y - LineHeight()));
        fScrollBar->SetRange(0, 0);
        fScrollBar->Enable(false);
        AddChild(fScrollBar);
    }
}

Quor_TextList::~Quor_TextList() = default;

int Quor_TextList::LineHeight() const
{
    return fFont != nullptr ? std::max(1, fFont->LineToLineHeight()) : 15;
}

const char* Quor_TextList::GetItem(int index) const
{
    return index >= 0 && index < CountItems() ? fItems[static_cast<size_t>(index)].Buffer() : nullptr;
}

const char* Quor_TextList::SelItemLabel() const
{
    return GetItem(fSelection);
}

int Quor_TextList::ContentHeight() const
{
    return CountItems() * LineHeight() + 2 * kInset;
}

int Quor_TextList::MaxScroll() const
{
    return std::max(0, ContentHeight() - Shape().y);
}

bool Quor_TextList::Insert(int index, const char* text)
{
    try {
        fItems.insert(fItems.begin() + index, Quor_String(text != nullptr ? text : ""));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void Quor_TextList::AddItem(const char* text)
{
    if (!Insert(CountItems(), text))
        return;
    if (fSelection < 0)
        fSelection = CountItems() - 1;
    UpdateScrollBar();
    Redraw(true);
}

void Quor_TextList::AddItemAlphabetically(const char* text)
{
    const Quor_String item(text != nullptr ? text : "");
    int index = 0;
    while (index < CountItems() && !(item < fItems[static_cast<size_t>(index)]))
        ++index;
    if (!Insert(index, item))
        return;
    if (fSelection < 0)
        fSelection = CountItems() - 1;
    else if (index <= fSelection)
        ++fSelection;   // the selection stays on its row
    UpdateScrollBar();
    Redraw(true);
}

void Quor_TextList::RemoveItem(int index)
{
    const int count = CountItems();
    if (index < 0 || index >= count)
        return;
    if (fSelection == count - 1 || index < fSelection)
        --fSelection;
    fItems.erase(fItems.begin() + index);
    // The range shrinks with the rows, so no blank stretch is left to scroll into.
    UpdateScrollBar();
    Redraw(true);
}

void Quor_TextList::RemoveAllItems()
{
    fItems.clear();
    fSelection = -1;
    fScrollOffset = 0;
    UpdateScrollBar();
    Redraw(true);
}

void Quor_TextList::SetItems(std::vector<Quor_String>* items, int selection)
{
    fItems.swap(*items);
    items->clear();
    fSelection = -1;
    fScrollOffset = 0;
    UpdateScrollBar();
    SetSelItem(selection);
}

void Quor_TextList::SetItemLabel(int index, const char* text)
{
    if (index < 0 || index >= CountItems())
        return;
    fItems[static_cast<size_t>(index)] = text != nullptr ? text : "";
    Redraw(true);
}

void Quor_TextList::SetSelItem(int index)
{
    const int count = CountItems();
    fSelection = count == 0 ? -1 : std::clamp(index, 0, count - 1);
    if (fSelection >= 0) {
        // Just enough scrolling to show the whole row inside the list's inset.
        const int lineHeight = LineHeight();
        const int top = fSelection * lineHeight;
        int offset = fScrollOffset;
        if (top < offset)
            offset = top;
        else if (top + lineHeight + 2 * kInset > offset + Shape().y)
            offset = top + lineHeight + 2 * kInset - Shape().y;
        SetScrollOffset(offset);
    }
    Redraw(true);
}

bool Quor_TextList::SetSelItem(const char* text)
{
    if (text == nullptr)
        return false;
    for (int i = 0; i < CountItems(); ++i) {
        if (fItems[static_cast<size_t>(i)] == text) {
            SetSelItem(i);
            return true;
        }
    }
    return false;
}

void Quor_TextList::SetScrollOffset(int offset)
{
    fScrollOffset = std::clamp(offset, 0, MaxScroll());
    if (fScrollBar != nullptr && fScrollBar->Value() != fScrollOffset)
        fScrollBar->SetValue(fScrollOffset);
}

void Quor_TextList::UpdateScrollBar()
{
    if (fScrollBar != nullptr) {
        const int overflow = ContentHeight() - Shape().y;
        fScrollBar->SetStepSize(LineHeight(), std::max(1, Shape().y - LineHeight()));
        fScrollBar->SetRange(0, std::max(0, overflow));
        if ((overflow > 0) != fScrollBar->IsEnabled())
            fScrollBar->Enable(overflow > 0);
    }
    SetScrollOffset(fScrollOffset);
}

int Quor_TextList::RowAt(Quor_Point where) const
{
    const int s = fScrollBar != nullptr ? fScrollBar->Shape().x : 0;
    if (where.x < 0 || where.x >= Shape().x - s || where.y < 0 || where.y >= Shape().y)
        return -1;
    const int y = where.y - kInset + fScrollOffset;
    if (y < 0)
        return -1;
    const int row = y / LineHeight();
    return row < CountItems() ? row : -1;
}

void Quor_TextList::HandleMessage(Quor_Message* message)
{
    if (message->what == QUOR_MSG_VSCROLL && fScrollBar != nullptr) {
        fScrollOffset = std::clamp(fScrollBar->Value(), 0, MaxScroll());
        Redraw(true);
        return;
    }
    Quor_BaseWidget::HandleMessage(message);
}

void Quor_TextList::SetShape(int width, int height)
{
    SetShapeEventless(width, height);
}

void Quor_TextList::SetShapeEventless(int width, int height)
{
    const Quor_Point oldSize = Shape();
    Quor_BaseWidget::SetShapeEventless(width, height);
    if (Shape() != oldSize)
        OnResize(oldSize, Shape());
}

void Quor_TextList::OnResize(Quor_Point oldSize, Quor_Point newSize)
{
    Quor_BaseWidget::OnResize(oldSize, newSize);
    UpdateScrollBar();
}

void Quor_TextList::OnMouseDown(Quor_Point where, unsigned int, unsigned int, Quor_Message* message)
{
    if (!IsEnabled())
        return;
    const int row = RowAt(where);
    if (row < 0)
        return;
    SetSelItem(row);
    bool doubleClick = false;
    if (message != nullptr)
        message->Get("doubleclick", &doubleClick);
    Quor_Message chosen(fWhat);
    if (doubleClick)
        chosen.Set("doubleclick", true);
    SendMessage(&chosen);
}

void Quor_TextList::OnMouseWheel(float delta, Quor_Point, unsigned int, Quor_Message*)
{
    if (!IsEnabled() || !(delta > 0.0f || delta < 0.0f))
        return;
    const int notches = delta > 0.0f ? 1 : -1;
    SetScrollOffset(fScrollOffset - notches * 2 * LineHeight());
    Redraw(true);
}

int Quor_TextList::VisibleRows() const
{
    return std::max(1, (Shape().y - 2 * kInset) / std::max(1, LineHeight()));
}

bool Quor_TextList::WantsKey(int key, unsigned int modifiers)
{
    return IsMoveKey(key, modifiers, false);
}

void Quor_TextList::OnKeyDown(int key, unsigned int modifiers)
{
    if (!IsEnabled() || !WantsKey(key, modifiers) || CountItems() == 0)
        return;
    const int before = fSelection;
    const int page = VisibleRows();
    int row = fSelection;
    switch (key) {
    case QUOR_KEY_UP:
        row -= 1;
        break;
    case QUOR_KEY_DOWN:
        row += 1;
        break;
    case QUOR_KEY_PAGEUP:
        row -= page;
        break;
    case QUOR_KEY_PAGEDOWN:
        row += page;
        break;
    case QUOR_KEY_HOME:
        row = 0;
        break;
    default:
        row = CountItems() - 1;
        break;
    }
    SetSelItem(std::clamp(row, 0, CountItems() - 1));
    if (fSelection != before)
        SendMessage(fWhat);
}

void Quor_TextList::RedrawMe(Quor_Graphics* g)
{
    const bool enabled = IsEnabled();
    const bool active = IsFocused();
    Quor_WidgetLook::DrawField(g, Bounds(), BigCornerRadius(), Quor_ColorOps::TextBackground, enabled);

    Quor_Rect area = Bounds();
    if (fScrollBar != nullptr)
        area.right -= fScrollBar->Shape().x;
    Quor_Rect clip = area;
    clip.InsetBy(2, 2);
    g->SetClipRect(clip);
    const int lineHeight = LineHeight();
    const int fontHeight = fFont != nullptr ? fFont->FontHeight() : lineHeight;
    const int tiny = TinyCornerRadius();
    // Only the rows that can show are drawn.
    const int first = std::max(0, (fScrollOffset - kInset) / lineHeight);
    for (int i = first; i < CountItems(); ++i) {
        const int top = area.top + kInset - fScrollOffset + i * lineHeight;
        if (top > clip.bottom)
            break;
        const Quor_Rect row(area.left + kInset, top, area.right - kInset, top + lineHeight - 1);
        const bool selected = enabled && i == fSelection;
        if (selected)
            Quor_WidgetLook::DrawHighlight(g, row, tiny, active);
        g->SetColor(selected && active ? Quor_ColorOps::HighlightedText
                                       : (enabled ? Quor_ColorOps::Text : Quor_ColorOps::DisabledText));
        // The baseline sits one ascent below the row's top, so that descenders (underscores,
        // "g", "p") stay inside the row instead of vanishing under the next row's highlight.
        g->MoveTo(row.left + 2, top + std::min(fontHeight, lineHeight / 2 + fontHeight / 2));
        g->DrawString(fItems[static_cast<size_t>(i)], QUOR_ALIGN_RIGHT, QUOR_ALIGN_TOP);
    }
    g->ClearClipRect();
    // The bar draws through the same shared context: nothing more may be drawn with g after it.
    if (fScrollBar != nullptr)
        fScrollBar->Redraw(false);
}
