#include "toolkit/widgets/Quor_FileList.h"

#include <algorithm>

#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/widgets/Quor_ScrollBar.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

Quor_FileList::Columns Quor_FileList::ColumnsFor(int width, const Quor_Font* font)
{
    // The widest date and a size such as "999.9 MB" fit; the names take the rest.
    const int dateWidth = font != nullptr ? font->StringWidth("0000-00-00 00:00") + 6 : 110;
    const int sizeWidth = font != nullptr ? font->StringWidth("000.0 bytes") + 6 : 70;
    Columns columns;
    columns.nameLeft = kInset + 2;
    const int right = width - Quor_ScrollBar::Thickness() - kInset - 2;
    columns.dateLeft = std::max(columns.nameLeft, right - dateWidth);
    columns.sizeRight = std::max(columns.nameLeft, columns.dateLeft - 14);
    columns.sizeLeft = std::max(columns.nameLeft, columns.sizeRight - sizeWidth);
    return columns;
}

Quor_FileList::Quor_FileList(int what, unsigned int followFlags) : Quor_TextList(what, followFlags) {}

void Quor_FileList::SetRows(std::vector<Quor_String>* names, std::vector<Quor_String>* sizes,
                            std::vector<Quor_String>* dates, int selection)
{
    fSizes.swap(*sizes);
    sizes->clear();
    fDates.swap(*dates);
    dates->clear();
    SetItems(names, selection);
}

const char* Quor_FileList::SizeText(int row) const
{
    return row >= 0 && row < static_cast<int>(fSizes.size()) ? fSizes[static_cast<size_t>(row)].Buffer() : "";
}

const char* Quor_FileList::DateText(int row) const
{
    return row >= 0 && row < static_cast<int>(fDates.size()) ? fDates[static_cast<size_t>(row)].Buffer() : "";
}

void Quor_FileList::SetColumnsShown(bool shown)
{
    fColumnsShown = shown;
    Redraw(true);
}

void Quor_FileList::SetSelectionShown(bool shown)
{
    fSelectionShown = shown;
    Redraw(true);
}

void Quor_FileList::RedrawMe(Quor_Graphics* g)
{
    const bool enabled = IsEnabled();
    Quor_WidgetLook::DrawField(g, Bounds(), BigCornerRadius(), Quor_ColorOps::TextBackground, enabled);

    Quor_Rect area = Bounds();
    if (ScrollBar() != nullptr)
        area.right -= ScrollBar()->Shape().x;
    Quor_Rect clip = area;
    clip.InsetBy(2, 2);
    const Columns columns = ColumnsFor(Shape().x, fFont);
    // Long names stop short of the size column instead of running under it.
    Quor_Rect nameClip = clip;
    if (fColumnsShown)
        nameClip.right = std::min(clip.right, area.left + columns.sizeLeft - 4);
    const int lineHeight = LineHeight();
    const int fontHeight = fFont != nullptr ? fFont->FontHeight() : lineHeight;
    const int tiny = TinyCornerRadius();
    const int scroll = ScrollOffset();
    const int first = std::max(0, (scroll - kInset) / lineHeight);
    for (int i = first; i < CountItems(); ++i) {
        const int top = area.top + kInset - scroll + i * lineHeight;
        if (top > clip.bottom)
            break;
        const Quor_Rect row(area.left + kInset, top, area.right - kInset, top + lineHeight - 1);
        const bool selected = enabled && fSelectionShown && i == SelItem();
        g->SetClipRect(clip);
        if (selected)
            Quor_WidgetLook::DrawHighlight(g, row, tiny);
        g->SetColor(selected ? Quor_ColorOps::HighlightedText
                             : (enabled ? Quor_ColorOps::Text : Quor_ColorOps::DisabledText));
        // The baseline sits one ascent below the row's top, as in the plain list.
        const int baseline = top + std::min(fontHeight, lineHeight / 2 + fontHeight / 2);
        if (fColumnsShown) {
            const char* size = SizeText(i);
            const int sizeWidth = fFont != nullptr ? fFont->StringWidth(size) : 0;
            g->MoveTo(area.left + columns.sizeRight - sizeWidth, baseline);
            g->DrawString(size, QUOR_ALIGN_RIGHT, QUOR_ALIGN_TOP);
            g->MoveTo(area.left + columns.dateLeft, baseline);
            g->DrawString(DateText(i), QUOR_ALIGN_RIGHT, QUOR_ALIGN_TOP);
        }
        g->SetClipRect(nameClip);
        g->MoveTo(area.left + columns.nameLeft, baseline);
        g->DrawString(GetItem(i), QUOR_ALIGN_RIGHT, QUOR_ALIGN_TOP);
    }
    g->ClearClipRect();
    // The bar draws through the same shared context: nothing more may be drawn with g after it.
    if (ScrollBar() != nullptr)
        ScrollBar()->Redraw(false);
}
