#include "demo/quor-demo/DemoSwatch.h"

#include <cstdio>

#include "toolkit/framework/Quor_App.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"

namespace {

constexpr rgb_color kFrame{60, 60, 60, 255};
constexpr rgb_color kHoverFrame{255, 255, 255, 255};

}  // namespace

DemoSwatch::DemoSwatch(const char* name, rgb_color color, rgb_color alternate)
    : fName(name), fColor(color), fAlternate(alternate)
{
    SetShapeForced(80, 60);
}

void DemoSwatch::InitBackground()
{
    Paint(false);
}

void DemoSwatch::Paint(bool refresh)
{
    Quor_Graphics* g = ViewGraphics();
    if (g == nullptr)
        return;
    const Quor_Rect b = Bounds();
    g->SetColor(fHover ? kHoverFrame : kFrame);
    g->FillRect(b);
    Quor_Rect inside(b);
    inside.InsetBy(3, 3);
    g->SetColor(fSwapped ? fAlternate : fColor);
    g->FillRect(inside);
    if (Quor_App::gBoldFont != nullptr) {
        g->SetFont(Quor_App::gBoldFont);
        g->SetColor(255, 255, 255);
        Quor_Rect label(inside);
        label.top = label.bottom - 16;
        g->DrawString(fName, label, QUOR_ALIGN_CENTER, QUOR_ALIGN_CENTER);
    }
    g->EndDraw();
    if (refresh)
        Refresh();
}

void DemoSwatch::OnMouseDown(Quor_Point, unsigned int button, unsigned int, Quor_Message* message)
{
    bool doubleClick = false;
    if (message != nullptr)
        message->Get("doubleclick", &doubleClick);
    fSwapped = !fSwapped;
    std::printf("click %s button %u%s\n", fName, button, doubleClick ? " double" : "");
    std::fflush(stdout);
    Paint(true);
}

void DemoSwatch::OnMouseMove(Quor_Point where, unsigned int, Quor_Message*)
{
    const bool inside = Bounds().Contains(where);
    if (inside == fHover)
        return;
    fHover = inside;
    if (inside) {
        std::printf("hover %s\n", fName);
        std::fflush(stdout);
    }
    Paint(true);
}
