#include "toolkit/widgets/Quor_BarAxis.h"

#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/math/Quor_Round.h"
#include "toolkit/widgets/Quor_BaseWidget.h"

int Quor_BarAxis::Thickness()
{
    return Quor_RoundToInt(Quor_BaseWidget::BaseWidgetHeight() * 0.889);
}

Quor_Point Quor_BarAxis::Point(int along, int across) const
{
    return fVertical ? Quor_Point(across, along) : Quor_Point(along, across);
}

Quor_Rect Quor_BarAxis::Rect(int alongFrom, int alongTo, int acrossFrom, int acrossTo) const
{
    if (fVertical)
        return Quor_Rect(acrossFrom, alongFrom, acrossTo, alongTo);
    return Quor_Rect(alongFrom, acrossFrom, alongTo, acrossTo);
}

void Quor_BarAxis::DrawAcross(Quor_Graphics* g, int along, int acrossFrom, int acrossTo) const
{
    const Quor_Point from = Point(along, acrossFrom);
    const Quor_Point to = Point(along, acrossTo);
    g->DrawLine(static_cast<float>(from.x), static_cast<float>(from.y), static_cast<float>(to.x),
                static_cast<float>(to.y));
}

void Quor_BarAxis::DrawAlong(Quor_Graphics* g, int across, int alongFrom, int alongTo) const
{
    const Quor_Point from = Point(alongFrom, across);
    const Quor_Point to = Point(alongTo, across);
    g->DrawLine(static_cast<float>(from.x), static_cast<float>(from.y), static_cast<float>(to.x),
                static_cast<float>(to.y));
}
