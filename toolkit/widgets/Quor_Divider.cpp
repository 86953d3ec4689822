#include "toolkit/widgets/Quor_Divider.h"

#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"

Quor_Divider::Quor_Divider(bool vertical, unsigned int followFlags)
    : Quor_BaseWidget(true, followFlags), fVertical(vertical)
{
    if (vertical)
        SetShape(2, 32);
    else
        SetShape(32, 2);
}

void Quor_Divider::RedrawMe(Quor_Graphics* g)
{
    const Quor_Rect b = Bounds();
    g->SetPenWidth(1);
    g->SetSmoothing(false);
    if (fVertical) {
        const float x = static_cast<float>(b.left + b.Width() / 2);
        const float top = static_cast<float>(b.top + 8);
        const float bottom = static_cast<float>(b.bottom - 8);
        g->SetColor(Quor_ColorOps::WidgetHighlight);
        g->DrawLine(x, top, x, bottom);
        g->SetColor(Quor_ColorOps::WidgetShadow);
        g->DrawLine(x - 1, top, x - 1, bottom);
    } else {
        const float y = static_cast<float>(b.top + b.Height() / 2);
        const float left = static_cast<float>(b.left + 8);
        const float right = static_cast<float>(b.right - 8);
        g->SetColor(Quor_ColorOps::WidgetHighlight);
        g->DrawLine(left, y, right, y);
        g->SetColor(Quor_ColorOps::WidgetShadow);
        g->DrawLine(left, y - 1, right, y - 1);
    }
}
