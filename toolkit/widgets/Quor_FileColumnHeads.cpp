#include "toolkit/widgets/Quor_FileColumnHeads.h"

#include <algorithm>

#include "toolkit/core/Quor_Message.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/widgets/Quor_FileList.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

namespace {

const char* const kHeadings[3] = {"Name", "Size", "Modified"};

}  // namespace

Quor_FileColumnHeads::Quor_FileColumnHeads(int what, unsigned int followFlags)
    : Quor_BaseWidget(true, followFlags), fWhat(what)
{
    const int lineHeight = fFont != nullptr ? fFont->LineToLineHeight() : 15;
    SetShape(Shape().x, lineHeight + 6);
}

void Quor_FileColumnHeads::SetSort(int column, bool reversed)
{
    fColumn = std::clamp(column, 0, 2);
    fReversed = reversed;
    Redraw(true);
}

int Quor_FileColumnHeads::HeadingLeft(int column) const
{
    const Quor_FileList::Columns columns = Quor_FileList::ColumnsFor(Shape().x, fFont);
    if (column == 1) {
        // The size heading ends where the sizes end, as they are right-aligned.
        const int width = fFont != nullptr ? fFont->StringWidth(kHeadings[1]) : 24;
        return columns.sizeRight - width;
    }
    return column == 2 ? columns.dateLeft : columns.nameLeft;
}

int Quor_FileColumnHeads::ColumnAt(Quor_Point where) const
{
    if (where.x < 0 || where.x >= Shape().x || where.y < 0 || where.y >= Shape().y)
        return -1;
    const Quor_FileList::Columns columns = Quor_FileList::ColumnsFor(Shape().x, fFont);
    if (where.x >= columns.dateLeft - 7)
        return 2;
    if (where.x >= columns.sizeLeft - 4)
        return 1;
    return 0;
}

void Quor_FileColumnHeads::OnMouseDown(Quor_Point where, unsigned int, unsigned int, Quor_Message*)
{
    const int column = ColumnAt(where);
    if (!IsEnabled() || column < 0)
        return;
    Quor_Message pressed(fWhat);
    pressed.Set("column", column);
    SendMessage(&pressed);
}

void Quor_FileColumnHeads::RedrawMe(Quor_Graphics* g)
{
    const Quor_Rect bounds = Bounds();
    g->SetColor(Quor_ColorOps::DialogBackground);
    g->FillRect(bounds);
    const Quor_FileList::Columns columns = Quor_FileList::ColumnsFor(Shape().x, fFont);
    // A line under the headings and short separators between them.
    g->SetColor(Quor_ColorOps::Dark1);
    g->MoveTo(bounds.left + 2, bounds.bottom);
    g->LineTo(bounds.right - 2, bounds.bottom);
    for (const int x : {columns.sizeLeft - 4, columns.dateLeft - 7}) {
        g->MoveTo(x, bounds.top + 3);
        g->LineTo(x, bounds.bottom - 3);
    }
    const int fontHeight = fFont != nullptr ? fFont->FontHeight() : 11;
    const int baseline = bounds.top + (Shape().y - 1) / 2 + fontHeight / 2;
    for (int column = 0; column < 3; ++column) {
        const int left = HeadingLeft(column);
        g->SetColor(column == fColumn ? Quor_ColorOps::Text : Quor_ColorOps::DisabledText);
        g->MoveTo(left, baseline);
        g->DrawString(kHeadings[column], QUOR_ALIGN_RIGHT, QUOR_ALIGN_TOP);
        if (column != fColumn)
            continue;
        // The arrow sits after the heading: pointing up for ascending, down when reversed.
        const int width = fFont != nullptr ? fFont->StringWidth(kHeadings[column]) : 24;
        const float x = static_cast<float>(column == 1 ? left - 12 : left + width + 5);
        const float mid = static_cast<float>(bounds.top + Shape().y / 2);
        g->SetColor(Quor_ColorOps::Text);
        if (fReversed) {
            Quor_WidgetLook::FillTriangle(g, Quor_Vector2(x, mid - 2), Quor_Vector2(x + 8, mid - 2),
                                          Quor_Vector2(x + 4, mid + 3));
        } else {
            Quor_WidgetLook::FillTriangle(g, Quor_Vector2(x, mid + 3), Quor_Vector2(x + 8, mid + 3),
                                          Quor_Vector2(x + 4, mid - 2));
        }
    }
}
