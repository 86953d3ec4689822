#include "demo/quor-demo/DemoStrip.h"

#include <cstdio>

#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"

DemoStrip::DemoStrip() : Quor_View(QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP | QUOR_FOLLOW_RIGHT) {}

int DemoStrip::StripHeight()
{
    const Quor_Font* font = Quor_App::gBoldFont;
    const int line = font != nullptr ? font->LineToLineHeight() : 16;
    return line + line / 4 + 4;
}

bool DemoStrip::StripShortcut(int key, unsigned int)
{
    if (Layer() != nullptr)
        Layer()->UpdateMenus();
    if (key != 'q' && key != 'Q')
        return false;
    SendMessage(kQuit);
    return true;
}

void DemoStrip::InitBackground()
{
    Quor_Graphics* g = ViewGraphics();
    if (g == nullptr)
        return;
    const Quor_Rect b = Bounds();
    g->RoundedGradientFill(b, 0, true, rgb_color{70, 90, 130, 255}, rgb_color{40, 55, 90, 255});
    if (Quor_App::gBoldFont != nullptr) {
        g->SetFont(Quor_App::gBoldFont);
        g->SetColor(245, 245, 250);
        Quor_Rect text(b);
        text.InsetBy(10, 0);
        g->DrawString("Quor demo    (Ctrl+Q quits)", text, QUOR_ALIGN_LEFT, QUOR_ALIGN_CENTER);
    }
    g->EndDraw();
}

void DemoStrip::OnMouseDown(Quor_Point where, unsigned int, unsigned int, Quor_Message*)
{
    std::printf("strip press %d,%d\n", where.x, where.y);
    std::fflush(stdout);
}
