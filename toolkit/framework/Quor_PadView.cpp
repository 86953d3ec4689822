#include "toolkit/framework/Quor_PadView.h"

Quor_PadView::Quor_PadView(Quor_Point size, unsigned int followFlags) : Quor_View(followFlags), fSize(size)
{
    SetShape(size.x, size.y);
}
