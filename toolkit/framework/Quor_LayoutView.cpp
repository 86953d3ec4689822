#include "toolkit/framework/Quor_LayoutView.h"

#include <algorithm>
#include <new>

#include "toolkit/framework/Quor_PadView.h"

Quor_LayoutView::Quor_LayoutView(unsigned int direction, int spacing, Quor_Point margin,
                                 unsigned int followFlags)
    : Quor_View(followFlags),
      fDirection(direction),
      fSpacing(spacing),
      fCurrentIndent(0),
      fMargin(margin),
      fStack{},
      fTop(-1)
{
}

Quor_LayoutView* Quor_LayoutView::Innermost(int* indentSum)
{
    Quor_LayoutView* container = this;
    int sum = container->fCurrentIndent;
    while (container->fTop >= 0) {
        container = container->fStack[container->fTop];
        sum += container->fCurrentIndent;
    }
    *indentSum = sum;
    return container;
}

void Quor_LayoutView::AddChild(Quor_View* view, unsigned int alignment, int indent)
{
    if (view == nullptr)
        return;
    int sum = 0;
    Quor_LayoutView* container = Innermost(&sum);
    view->SetAlignment(alignment);
    view->SetIndent(sum + indent);
    container->Quor_View::AddChild(view);
}

void Quor_LayoutView::AddChild(Quor_View* view)
{
    if (view != nullptr)
        AddChild(view, view->Alignment(), 0);
}

void Quor_LayoutView::AddPadding(int pixels)
{
    int sum = 0;
    Quor_LayoutView* container = Innermost(&sum);
    const Quor_Point size = container->fDirection == kHorizontal ? Quor_Point(pixels, 1) : Quor_Point(1, pixels);
    Quor_PadView* pad = new (std::nothrow) Quor_PadView(size, QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP);
    if (pad == nullptr)
        return;
    pad->SetAlignment(QUOR_LAYOUT_NONE);
    pad->SetIndent(0);
    container->Quor_View::AddChild(pad);
}

Quor_LayoutView* Quor_LayoutView::Push(unsigned int direction, unsigned int alignment, int spacing,
                                       Quor_Point margin, unsigned int followFlags)
{
    if (fTop + 1 >= kMaxDepth)
        return nullptr;
    Quor_LayoutView* nested = new (std::nothrow) Quor_LayoutView(direction, spacing, margin, followFlags);
    if (nested == nullptr)
        return nullptr;
    AddChild(nested, alignment, 0);
    fStack[++fTop] = nested;
    return nested;
}

Quor_LayoutView* Quor_LayoutView::PushH(unsigned int alignment, int spacing, Quor_Point margin,
                                        unsigned int followFlags)
{
    return Push(kHorizontal, alignment, spacing, margin, followFlags);
}

Quor_LayoutView* Quor_LayoutView::PushV(unsigned int alignment, int spacing, Quor_Point margin,
                                        unsigned int followFlags)
{
    return Push(kVertical, alignment, spacing, margin, followFlags);
}

Quor_LayoutView* Quor_LayoutView::PushH2(unsigned int alignment, int spacing)
{
    return PushH(alignment, spacing < 0 ? fSpacing : spacing, Quor_Point(0, 0),
                 QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP);
}

Quor_LayoutView* Quor_LayoutView::PushV2(unsigned int alignment, int spacing)
{
    return PushV(alignment, spacing < 0 ? fSpacing : spacing, Quor_Point(0, 0),
                 QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP);
}

void Quor_LayoutView::Pop()
{
    if (fTop >= 0)
        fStack[fTop--] = nullptr;
}

Quor_Point Quor_LayoutView::PreferredSize()
{
    if (CountChildren() == 0)
        return Quor_View::PreferredSize();
    int along = fDirection == kHorizontal ? fMargin.x : fMargin.y;
    int reachAlong = along;
    int reachAcross = 0;
    for (int i = 0; i < CountChildren(); ++i) {
        Quor_View* child = GetChild(i);
        const Quor_Point p = child->LayoutSize();
        if (fDirection == kHorizontal) {
            reachAlong = along + p.x;
            along = reachAlong + fSpacing;
            reachAcross = std::max(reachAcross, fMargin.y + child->Indent() + p.y);
        } else {
            reachAlong = along + p.y;
            along = reachAlong + fSpacing;
            reachAcross = std::max(reachAcross, fMargin.x + child->Indent() + p.x);
        }
    }
    if (fDirection == kHorizontal)
        return Quor_Point(reachAlong + fMargin.x, reachAcross + fMargin.y);
    return Quor_Point(reachAcross + fMargin.x, reachAlong + fMargin.y);
}

void Quor_LayoutView::DoLayout()
{
    LayoutPass(false);
    const Quor_Point p = PreferredSize();
    if (p.x > 0 && p.y > 0)
        SetShapeEventless(p.x, p.y);
}

void Quor_LayoutView::DoReLayout()
{
    LayoutPass(true);
}

void Quor_LayoutView::LayoutPass(bool relayout)
{
    const int count = CountChildren();
    if (count == 0)
        return;
    const bool horizontal = fDirection == kHorizontal;
    for (int i = 0; i < count; ++i) {
        if (relayout)
            GetChild(i)->DoReLayout();
        else
            GetChild(i)->DoLayout();
    }
    const int marginAcross = horizontal ? fMargin.y : fMargin.x;
    int extent = 0;
    if (!relayout) {
        int along = horizontal ? fMargin.x : fMargin.y;
        int reach = 0;
        for (int i = 0; i < count; ++i) {
            Quor_View* child = GetChild(i);
            const Quor_Point p = child->LayoutSize();
            if (horizontal)
                child->SetLocation(along, fMargin.y + child->Indent());
            else
                child->SetLocation(fMargin.x + child->Indent(), along);
            child->SetShapeEventless(p.x, p.y);
            const Quor_Rect f = child->Frame();
            along += (horizontal ? f.Width() : f.Height()) + fSpacing;
            reach = std::max(reach, horizontal ? f.bottom + 1 : f.right + 1);
        }
        extent = reach - marginAcross;
    } else {
        const Quor_Rect b = Bounds();
        extent = (horizontal ? b.bottom : b.right) - 2 * marginAcross;
    }
    for (int i = 0; i < count; ++i) {
        Quor_View* child = GetChild(i);
        const unsigned int alignment = child->Alignment();
        const Quor_Rect f = child->Frame();
        const int size = horizontal ? f.Height() : f.Width();
        if (alignment == QUOR_LAYOUT_NONE || size >= extent)
            continue;
        int across = horizontal ? f.top : f.left;
        switch (alignment) {
        case QUOR_LAYOUT_CENTER:
            across = marginAcross + (extent - size) / 2;
            break;
        case QUOR_LAYOUT_FAR:
            across = marginAcross + extent - size;
            break;
        case QUOR_LAYOUT_FILL:
            if (horizontal)
                child->SetShapeEventless(f.Width(), extent - child->Indent());
            else
                child->SetShapeEventless(extent - child->Indent(), f.Height());
            if (!relayout)
                child->DoReLayout();
            continue;
        default:
            continue;
        }
        if (horizontal)
            child->SetLocation(f.left, across);
        else
            child->SetLocation(across, f.top);
    }
}
