#include "demo/quor-demo/DemoKeyView.h"

#include <cstdio>

#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_FrameworkDefs.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"

DemoKeyView::DemoKeyView()
{
    SetShapeForced(272, 40);
}

void DemoKeyView::InitBackground()
{
    Paint(false);
}

void DemoKeyView::Paint(bool refresh)
{
    Quor_Graphics* g = ViewGraphics();
    if (g == nullptr)
        return;
    const Quor_Rect b = Bounds();
    g->SetColor(fColor);
    g->FillRect(b);
    g->SetColor(40, 40, 40);
    g->FrameRect(b);
    if (Quor_App::gRegularFont != nullptr) {
        g->SetFont(Quor_App::gRegularFont);
        Quor_Rect text(b);
        text.InsetBy(8, 0);
        g->DrawString(fText.c_str(), text, QUOR_ALIGN_LEFT, QUOR_ALIGN_CENTER);
    }
    g->EndDraw();
    if (refresh)
        Refresh();
}

void DemoKeyView::OnKeyDown(int key, unsigned int modifiers)
{
    switch (key) {
    case 'r':
        fColor = rgb_color{220, 60, 60, 255};
        break;
    case 'g':
        fColor = rgb_color{60, 180, 80, 255};
        break;
    case 'b':
        fColor = rgb_color{60, 90, 220, 255};
        break;
    default:
        fColor = rgb_color{255, 255, 255, 255};
        break;
    }
    char text[64];
    if (key >= 32 && key <= 255)
        std::snprintf(text, sizeof text, "Key '%c' (%d), modifiers %u", static_cast<char>(key), key, modifiers);
    else
        std::snprintf(text, sizeof text, "Key code %d, modifiers %u", key, modifiers);
    fText = text;
    std::printf("key %d modifiers %u\n", key, modifiers);
    std::fflush(stdout);
    Paint(true);
}

void DemoKeyView::OnFileDrop(const char* path, Quor_Point where, unsigned int)
{
    fColor = rgb_color{250, 220, 120, 255};
    fText = std::string("Dropped ") + path;
    std::printf("drop %s at %d,%d\n", path, where.x, where.y);
    std::fflush(stdout);
    Paint(true);
}
