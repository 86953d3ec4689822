#include "toolkit/widgets/Quor_StaticText.h"

#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"

Quor_StaticText::Quor_StaticText(const char* text, Quor_textAlignment align, unsigned int followFlags)
    : Quor_BaseWidget(false, followFlags), fText(text != nullptr ? text : ""), fAlign(align)
{
    const int width = fFont != nullptr ? fFont->StringWidth(fText) : 0;
    SetShape(width + 4, BaseWidgetHeight());
}

void Quor_StaticText::OnEnable(bool enabled)
{
    Quor_View::OnEnable(enabled);
}

void Quor_StaticText::RedrawMe(Quor_Graphics* g)
{
    Quor_Rect area = Bounds();
    area.InsetBy(2, 0);
    g->SetColor(Quor_ColorOps::Text);
    g->DrawString(fText, area, fAlign, QUOR_ALIGN_CENTER);
}
