#include "toolkit/widgets/Quor_DynamicText.h"

#include <algorithm>

#include "toolkit/core/Quor_Number.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"

Quor_DynamicText::Quor_DynamicText(const char* text, int minWidth, Quor_textAlignment align, unsigned int followFlags)
    : Quor_BaseWidget(true, followFlags), fText(text != nullptr ? text : ""), fAlign(align)
{
    int width = (fFont != nullptr ? fFont->StringWidth(fText) : 0) + 4;
    if (minWidth > 0)
        width = std::max(width, minWidth);
    SetShape(width, BaseWidgetHeight());
}

void Quor_DynamicText::SetValue(const char* text)
{
    fText = text != nullptr ? text : "";
    Redraw(true);
}

void Quor_DynamicText::SetValue(int value)
{
    SetValue(Quor_Number::IntText(value).CStr());
}

void Quor_DynamicText::SetValue(float value)
{
    SetValue(Quor_Number::FixedText(value, 2).CStr());
}

void Quor_DynamicText::RedrawMe(Quor_Graphics* g)
{
    Quor_Rect area = Bounds();
    area.InsetBy(2, 0);
    g->SetColor(IsEnabled() ? Quor_ColorOps::Text : Quor_ColorOps::DisabledText);
    g->DrawString(fText, area, fAlign, QUOR_ALIGN_CENTER);
}
