#include "toolkit/framework/Quor_Screen.h"

#include "toolkit/framework/platform/Quor_Host.h"

Quor_Rect Quor_Screen::Bounds()
{
    Quor_Rect screen(0, 0, 1023, 767);
    if (Quor_Host* host = Quor_Host::Current())
        screen = host->ScreenBounds();
    screen.top += kTopMargin;
    return screen;
}

int Quor_Screen::BytesPerPixel(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 8:
        return 1;
    case 15:
    case 16:
        return 2;
    case 24:
        return 3;
    default:
        return 4;
    }
}
