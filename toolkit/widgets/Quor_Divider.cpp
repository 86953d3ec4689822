#include "toolkit/widgets/Quor_Divider.h"

#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/widgets/Quor_BarAxis.h"

Quor_Divider::Quor_Divider(bool vertical, unsigned int followFlags)
    : Quor_BaseWidget(true, followFlags), fVertical(vertical)
{
    const Quor_Point size = Quor_BarAxis(vertical).Point(32, 2);
    SetShape(size.x, size.y);
}

void Quor_Divider::RedrawMe(Quor_Graphics* g)
{
    const Quor_Rect b = Bounds();
    const Quor_BarAxis axis(fVertical);
    // An etched line along the middle, stopping 8 pixels short of either end: lit, with its
    // shadow just before it.
    const int middle = axis.Across(b.LeftTop()) + axis.Across(b.Size()) / 2;
    const int from = axis.Along(b.LeftTop()) + 8;
    const int to = axis.Along(b.RightBottom()) - 8;
    g->SetPenWidth(1);
    g->SetSmoothing(false);
    g->SetColor(Quor_ColorOps::WidgetHighlight);
    axis.DrawAlong(g, middle, from, to);
    g->SetColor(Quor_ColorOps::WidgetShadow);
    axis.DrawAlong(g, middle - 1, from, to);
}
