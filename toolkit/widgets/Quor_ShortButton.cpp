#include "toolkit/widgets/Quor_ShortButton.h"

#include <algorithm>

#include "toolkit/imaging/fonts/Quor_Font.h"

Quor_ShortButton::Quor_ShortButton(const char* label, int what, int minWidth, unsigned int followFlags)
    : Quor_Button(label, what, 0, false, followFlags)
{
    const int h = BaseWidgetHeight();
    int width = (fFont != nullptr ? fFont->StringWidth(fLabel) : 0) + h;
    if (minWidth > 0)
        width = std::max(width, minWidth);
    SetShapeForced(width, h);
}
